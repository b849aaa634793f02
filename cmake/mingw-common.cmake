# Shared by the mingw-w64 toolchain files; they set PARALLUX_MINGW_TRIPLE first.
# The -posix compilers are required: GCC 12's -win32 ones have no std::mutex or
# std::thread.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${PARALLUX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PARALLUX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PARALLUX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PARALLUX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A static runtime: no libstdc++/libgcc/libwinpthread DLLs to find under Wine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
