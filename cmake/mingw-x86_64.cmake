# A 64-bit build of the same sources: it runs the Windows tests under 64-bit Wine on
# hosts that cannot execute 32-bit programs. The product stays the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PARALLUX_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
