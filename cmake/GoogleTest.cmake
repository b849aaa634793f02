# GoogleTest from Debian's source package, built for whichever target this tree builds.
set(PARALLUX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${PARALLUX_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${PARALLUX_GTEST_SOURCE} (tools/setup installs them)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${PARALLUX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

if(PARALLUX_SANITIZE AND NOT WIN32)
  foreach(t gtest gtest_main gmock gmock_main)
    target_compile_options(${t} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
  endforeach()
endif()

include(GoogleTest)

# parallux_add_test(NAME SOURCES... [LIBS ...])
# Native tests are discovered case by case. A Windows test runs as one executable under
# Wine (one Wine start per executable, not per case), inside the Wine session that the
# wine_session fixture opens and closes once per CTest run.
function(parallux_add_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE parallux_options GTest::gtest GTest::gtest_main GTest::gmock ${arg_LIBS})
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES
      FIXTURES_REQUIRED wine_session
      # A run that executed no case, or any failed case, must not count as passed.
      FAIL_REGULAR_EXPRESSION "Running 0 tests|\\[  FAILED  \\]"
      TIMEOUT 600)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
