# The board's rules natively; the board itself on Wine, in this process (settings,
# renderer, window and dialogs).
parallux_add_test(board_rules_test SOURCES board_rules_test.cpp LIBS parallux_board_rules)

if(WIN32)
  parallux_add_test(board_test
    SOURCES settings_win_test.cpp renderer_win_test.cpp window_win_test.cpp ${PARALLUX_RESOURCES}
    LIBS parallux_board)
endif()
