// Shapes drawn on a canvas layer and read back pixel by pixel.
#include "drawing/shapes_win.h"

#include <numbers>

#include "tests/canvas/canvas_fixture_win.h"

namespace drawing_test {
namespace {

using namespace canvas_test;  // the window, log capture and pixel reads

constexpr float kPi = std::numbers::pi_v<float>;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// GDI's Ellipse leaves out its right and bottom edges, LineTo its last point; the hit
// test takes the whole ellipse.
TEST(ShapesTest, ShapesAreShiftedByThePositionTurnedByTheAngleFilledAndOutlined) {
  TestWindow window;
  CICG canvas(window.get());
  FillLayer(canvas, 1, 0);
  CICGPolygon bar(canvas, {{0, 0}, {30, 0}, {30, 10}, {0, 10}},
                  {.pen_color = kRed, .pen_width = 1, .fill_color = kRed});
  bar.Draw(C2DPos(200, 100), kPi / 2);  // +x turns to +y: it hangs down, left of (200, 100)
  CICGPolyline hook(canvas, {{0, 0}, {40, 0}, {40, 20}},
                    {.pen_color = kGreen, .pen_width = 1, .fill_color = kRed});
  hook.Draw(C2DPos(300, 50), kPi / 2);  // (300, 50) to (300, 90) to (280, 90)
  CICGCircle circle(canvas, 10, 6, {.pen_color = kBlue, .pen_width = 1, .fill_color = kGreen});
  circle.Draw(C2DPos(50, 50), 1.0f);
  const Picture picture{ReadLayer(canvas, 1)};
  EXPECT_EQ("(190, 100)-(200, 130)", picture.BoxNot(0, 160, 80, 240, 160)) << "the turned bar";
  EXPECT_EQ(PixelOf(kRed), picture(195, 125)) << "filled";
  EXPECT_EQ("(281, 50)-(300, 90)", picture.BoxNot(0, 250, 30, 350, 120)) << "the polyline";
  EXPECT_EQ(0u, picture(295, 80)) << "open and not filled";
  EXPECT_EQ("(45, 47)-(54, 52)", picture.BoxNot(0, 20, 20, 80, 80)) << "the circle";
  EXPECT_EQ(PixelOf(kGreen), picture(50, 50));
  EXPECT_EQ(PixelOf(kBlue), picture(50, 47)) << "the top end of the height";
  C2DObject hub(C2DPos(100, 100));
  ASSERT_TRUE(circle.Place(&hub, C2DPos(20, 0), kPi / 2));  // at (100, 120)
  EXPECT_TRUE(circle.HitTest(105, 120)) << "the whole ellipse at the absolute position";
  EXPECT_FALSE(circle.HitTest(104.5f, 122.5f)) << "in the box, outside the ellipse";
}

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
