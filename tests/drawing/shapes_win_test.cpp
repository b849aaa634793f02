// Shapes drawn over and over on a canvas: the GDI objects they take.
#include "drawing/shapes_win.h"

#include "tests/canvas/canvas_fixture_win.h"

namespace drawing_test {
namespace {

using canvas_test::TestWindow;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

TEST(ShapesTest, PensAndBrushesAreReplacedNotPiledUpAndGoWithTheCanvas) {
  TestWindow window;
  const gdi::LiveCounts before = gdi::Live();
  {
    CICG canvas(window.get());
    CICGPolygon polygon(canvas, {{0, 0}, {8, 0}, {4, 6}},
                        {.pen_color = kRed, .pen_width = 2, .fill_color = kBlue});
    CICGPolyline polyline(canvas, {{0, 0}, {8, 8}}, {.pen_color = kGreen, .pen_width = 1});
    CICGCircle circle(canvas, 6, 6, {.pen_color = kBlue, .pen_width = 1, .fill_color = kRed});
    gdi::LiveCounts after_one{};
    for (int i = 0; i < 300; ++i) {
      polygon.Draw(C2DPos(20.0f + i % 100, 20), 0.1f * (i % 100));
      polyline.Draw(C2DPos(40, 20.0f + i % 100), 0.1f * (i % 100));
      circle.Draw(C2DPos(60.0f + i % 100, 60), 0.0f);
      if (i == 0) after_one = gdi::Live();
    }
    EXPECT_EQ(after_one, gdi::Live()) << "after one round and after 300";
  }
  EXPECT_EQ(before, gdi::Live());
}

}  // namespace
}  // namespace drawing_test
