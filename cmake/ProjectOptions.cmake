# Compile options shared by every target of the project (not by GoogleTest).
add_library(parallux_options INTERFACE)
target_compile_options(parallux_options INTERFACE
  -Wall -Wextra -Werror
  # Sources are UTF-8; narrow literals become Shift-JIS bytes, as the program's texts are.
  -finput-charset=UTF-8 -fexec-charset=CP932)
target_include_directories(parallux_options INTERFACE ${PROJECT_SOURCE_DIR})

if(WIN32)
  target_compile_definitions(parallux_options INTERFACE
    NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # i686 defaults to x87 arithmetic, which keeps floats wider than single precision
    # between steps; SSE computes them as the native build does (every CPU that runs
    # Wine has it). x86_64 uses SSE already.
    target_compile_options(parallux_options INTERFACE -msse2 -mfpmath=sse)
  endif()
  target_link_options(parallux_options INTERFACE -static)
endif()

if(PARALLUX_SANITIZE AND NOT WIN32)
  target_compile_options(parallux_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(parallux_options INTERFACE -fsanitize=address,undefined)
endif()
