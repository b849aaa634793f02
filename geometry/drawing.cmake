# Shapes and the graph canvas. Their arithmetic is portable (built natively and
# sanitised, and for Windows); the drawing is Win32 and sits on the canvas, which is why
# it is a library of its own: the canvas itself links parallux_geometry.
add_library(parallux_drawing_portable STATIC shape.cpp shape_math.cpp graph_math.cpp)
target_link_libraries(parallux_drawing_portable PUBLIC parallux_geometry)

if(WIN32)
  add_library(parallux_drawing STATIC drawing_tools_win.cpp shapes_win.cpp graph_win.cpp)
  target_link_libraries(parallux_drawing PUBLIC
    parallux_drawing_portable parallux_canvas parallux_support_win gdi32 user32)
endif()
