# Shapes and the graph canvas: their arithmetic natively (and under Wine); what they
# draw on Wine's GDI, read back from the layers.
parallux_add_test(drawing_math_test
  SOURCES shape_test.cpp shape_math_test.cpp graph_math_test.cpp
  LIBS parallux_drawing_portable)

if(WIN32)
  parallux_add_test(drawing_test
    SOURCES shapes_win_test.cpp graph_win_test.cpp
    LIBS parallux_drawing)
endif()
