# Compile options shared by every target of the project (not by GoogleTest). They are
# the project's own: an installed library hands its users only the include folder.
add_library(parallux_options INTERFACE)
target_compile_options(parallux_options INTERFACE $<BUILD_INTERFACE:
  -Wall -Wextra -Werror
  # Sources are UTF-8; narrow literals become Shift-JIS bytes, as the program's texts are.
  -finput-charset=UTF-8 -fexec-charset=CP932>)
# The version, declared once in the top CMakeLists.txt, reaches the code as a header.
configure_file(${CMAKE_CURRENT_LIST_DIR}/parallux_version.h.in
  ${PROJECT_BINARY_DIR}/generated/parallux_version.h @ONLY)
target_include_directories(parallux_options INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
  $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/generated>
  $<INSTALL_INTERFACE:include/parallux>)

if(WIN32)
  target_compile_definitions(parallux_options INTERFACE $<BUILD_INTERFACE:
    NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601>)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # i686 defaults to x87 arithmetic, which keeps floats wider than single precision
    # between steps; SSE computes them as the native build does (every CPU that runs
    # Wine has it). x86_64 uses SSE already.
    target_compile_options(parallux_options INTERFACE $<BUILD_INTERFACE:-msse2 -mfpmath=sse>)
  endif()
  target_link_options(parallux_options INTERFACE $<BUILD_INTERFACE:-static>)
endif()

if(PARALLUX_SANITIZE AND NOT WIN32)
  target_compile_options(parallux_options INTERFACE $<BUILD_INTERFACE:
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer>)
  target_link_options(parallux_options INTERFACE $<BUILD_INTERFACE:-fsanitize=address,undefined>)
endif()

# The version block Explorer shows in a Windows program's properties: one per program,
# from the same version. Usage: parallux_version_resource(TARGET "what it is")
function(parallux_version_resource target description)
  set(PARALLUX_RC_NAME ${target})
  set(PARALLUX_RC_FILE ${target}.exe)
  set(PARALLUX_RC_DESCRIPTION "${description}")
  set(rc ${PROJECT_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
