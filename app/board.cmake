# The board: Parallux.exe. Its rules are portable (tested natively); the rest is Win32.
add_library(parallux_board_rules STATIC board_rules.cpp)
target_link_libraries(parallux_board_rules PUBLIC parallux_support_portable parallux_options)

if(WIN32)
  # Everything but the entry point, so that tests can run the board in their own process.
  add_library(parallux_board STATIC
    Parallux.cpp
    board_state_win.cpp
    renderer_win.cpp
    settings_win.cpp
  )
  target_link_libraries(parallux_board PUBLIC
    parallux_board_rules parallux_stereogram parallux_canvas parallux_support_win comdlg32)

  # The resources go into each executable that shows the board (a static library would
  # drop them).
  set(PARALLUX_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/Parallux.rc PARENT_SCOPE)
  set(PARALLUX_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/Parallux.rc)
  set_source_files_properties(Parallux.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/resource.h;${CMAKE_CURRENT_SOURCE_DIR}/Parallux.manifest;${CMAKE_CURRENT_SOURCE_DIR}/icons/parallux.ico;${CMAKE_CURRENT_SOURCE_DIR}/icons/parallux_small.ico")

  add_executable(Parallux WIN32 main_win.cpp ${PARALLUX_RESOURCES})
  target_link_libraries(Parallux PRIVATE parallux_board)
endif()
