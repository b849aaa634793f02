# The same sources for 64-bit Windows: used to run the Windows tests on hosts whose
# kernel cannot execute 32-bit processes, where 32-bit Wine cannot start.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PARALLUX_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
