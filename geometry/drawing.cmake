# Shapes and the graph canvas. Their arithmetic is portable (built natively and
# sanitised, and for Windows); the drawing is Win32 and sits on the canvas, which is why
# it is a library of its own: the canvas itself links parallux_geometry.
add_library(parallux_drawing_portable STATIC shape.cpp shape_math.cpp graph_math.cpp)
target_link_libraries(parallux_drawing_portable PUBLIC parallux_geometry)

if(WIN32)
  # Single-precision steps as the matrices take them (see CMakeLists.txt here).
  target_compile_options(parallux_drawing_portable PRIVATE -msse2 -mfpmath=sse)
endif()
