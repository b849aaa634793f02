# The board's rules natively; the board itself on Wine, in this process (settings,
# renderer, window and dialogs).
parallux_add_test(board_rules_test SOURCES board_rules_test.cpp LIBS parallux_board_rules)

if(WIN32)
  parallux_add_test(board_test
    SOURCES settings_win_test.cpp renderer_win_test.cpp window_win_test.cpp ${PARALLUX_RESOURCES}
    LIBS parallux_board)

  # The running board for a while at a high frame rate: GDI objects, memory and handles
  # must not grow. CTest runs it briefly; a long run is `board_soak --seconds 600`.
  add_executable(board_soak board_soak_win.cpp ${PARALLUX_RESOURCES})
  target_link_libraries(board_soak PRIVATE parallux_options parallux_board GTest::gtest)
  add_test(NAME board_soak COMMAND board_soak --seconds 20)
  set_tests_properties(board_soak PROPERTIES
    FIXTURES_REQUIRED wine_session
    FAIL_REGULAR_EXPRESSION "Running 0 tests|\\[  FAILED  \\]"
    TIMEOUT 120)

  # Parallux.exe itself, copied into a folder of its own and started as a process of its
  # own; the test finds it by its path relative to the test's folder.
  parallux_add_test(parallux_e2e_test SOURCES parallux_e2e_win_test.cpp LIBS gdi32)
  add_dependencies(parallux_e2e_test Parallux)
  target_compile_definitions(parallux_e2e_test PRIVATE
    "PARALLUX_EXE_PATH=\"$<PATH:RELATIVE_PATH,$<TARGET_FILE:Parallux>,${CMAKE_CURRENT_BINARY_DIR}>\"")
  # The clipboard is one for the whole Wine session: tests that copy pictures and read
  # them back must not run at the same time.
  set_tests_properties(parallux_e2e_test board_test board_soak PROPERTIES RESOURCE_LOCK clipboard)
endif()
