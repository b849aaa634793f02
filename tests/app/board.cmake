# The board's rules natively; the board itself on Wine, in this process (settings,
# renderer, window and dialogs).
parallux_add_test(board_rules_test SOURCES board_rules_test.cpp LIBS parallux_board_rules)

if(WIN32)
  parallux_add_test(board_test
    SOURCES settings_win_test.cpp renderer_win_test.cpp window_win_test.cpp ${PARALLUX_RESOURCES}
    LIBS parallux_board)
endif()

if(WIN32)
  # The running board for a while at a high frame rate: GDI objects, memory and handles
  # must not grow. CTest runs it briefly; a long run is `board_soak --seconds 600`.
  add_executable(board_soak board_soak_win.cpp ${PARALLUX_RESOURCES})
  target_link_libraries(board_soak PRIVATE parallux_board psapi ntdll)
  add_test(NAME board_soak COMMAND board_soak --seconds 20)
  set_tests_properties(board_soak PROPERTIES
    FIXTURES_REQUIRED wine_session
    FAIL_REGULAR_EXPRESSION "FAILURE"
    RESOURCE_LOCK clipboard
    TIMEOUT 120)
endif()

if(WIN32)
  # Parallux.exe itself, copied into a folder of its own and started as a process of its
  # own; the test finds it by its path relative to the test's folder.
  parallux_add_test(parallux_e2e_test
    SOURCES parallux_e2e_win_test.cpp parallux_process_win.cpp
    LIBS gdi32)
  add_dependencies(parallux_e2e_test Parallux)
  target_compile_definitions(parallux_e2e_test PRIVATE
    "PARALLUX_EXE_PATH=\"$<PATH:RELATIVE_PATH,$<TARGET_FILE:Parallux>,${CMAKE_CURRENT_BINARY_DIR}>\"")
  # The clipboard is one for the whole Wine session: tests that copy pictures and read
  # them back must not run at the same time.
  set_tests_properties(parallux_e2e_test board_test PROPERTIES RESOURCE_LOCK clipboard)

  # Wine makes Unix file names through its Unix locale: without a UTF-8 Japanese one no
  # file can be called "背景.bmp". Where the host can make that locale, the test gets
  # one of its own (the host's own locales are left alone).
  find_program(PARALLUX_LOCALEDEF localedef)
  if(CMAKE_HOST_UNIX AND PARALLUX_LOCALEDEF AND EXISTS /usr/share/i18n/locales/ja_JP)
    set(e2e_locale ${CMAKE_CURRENT_BINARY_DIR}/locale)
    add_custom_command(OUTPUT ${e2e_locale}/ja_JP.UTF-8/LC_CTYPE
      COMMAND sh -c "'${PARALLUX_LOCALEDEF}' -i ja_JP -f UTF-8 '${e2e_locale}/ja_JP.UTF-8' || test -f '${e2e_locale}/ja_JP.UTF-8/LC_CTYPE'"
      COMMENT "Making the ja_JP.UTF-8 locale for parallux_e2e_test"
      VERBATIM)
    add_custom_target(parallux_e2e_locale DEPENDS ${e2e_locale}/ja_JP.UTF-8/LC_CTYPE)
    add_dependencies(parallux_e2e_test parallux_e2e_locale)
    set_tests_properties(parallux_e2e_test PROPERTIES ENVIRONMENT LOCPATH=${e2e_locale})
  endif()
endif()
