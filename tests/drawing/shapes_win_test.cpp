// Shapes drawn on a canvas layer and read back pixel by pixel.
#include "drawing/shapes_win.h"

#include <numbers>

#include "tests/drawing/drawing_fixture_win.h"

namespace drawing_test {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr std::uint32_t kBlack = 0;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class ShapesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    layer_ =
        canvas_.CreateLayer(canvas_test::Description(icg_mode::kTransparent, canvas_.key_color));
    ASSERT_NE(0, layer_);
    canvas_test::FillLayer(canvas_, layer_, kBlack);
  }

  Picture Read() { return ReadPicture(canvas_, layer_); }

  canvas_test::TestWindow window_;
  CICG canvas_{window_.get()};
  std::int32_t layer_ = 0;
};

TEST_F(ShapesTest, APolygonIsShiftedByThePositionAndTurnedByTheAngle) {
  // 30 x 10, pen and fill alike so that the whole area has one colour.
  CICGPolygon bar(canvas_, {{0, 0}, {30, 0}, {30, 10}, {0, 10}},
                  {.pen_color = kRed, .pen_width = 1, .fill_color = kRed});
  bar.Draw(C2DPos(100, 50), 0.0f);
  // A quarter turn takes +x to +y: the bar hangs down from (200, 100), to the left of it.
  bar.Draw(C2DPos(200, 100), kPi / 2);

  const Picture picture = Read();
  const std::uint32_t red = PixelOf(kRed);
  EXPECT_EQ("(100, 50)-(130, 60)", picture.BoxNot(kBlack, 60, 20, 160, 80)) << "the bar at rest";
  EXPECT_EQ(red, picture(115, 55));
  EXPECT_EQ("(190, 100)-(200, 130)", picture.BoxNot(kBlack, 160, 80, 240, 160)) << "the turned bar";
  EXPECT_EQ(red, picture(195, 125));
  EXPECT_EQ(kBlack, picture(205, 115)) << "a turn the other way would have put the bar here";
}

TEST_F(ShapesTest, APolylineIsOpenAndDrawnWithItsPenOnly) {
  CICGPolyline hook(canvas_, {{0, 0}, {40, 0}, {40, 20}},
                    {.pen_color = kGreen, .pen_width = 1, .fill_color = kRed});
  hook.Draw(C2DPos(300, 50), kPi / 2);  // (0, 0) to (0, 40) to (-20, 40)

  const Picture picture = Read();
  const std::uint32_t green = PixelOf(kGreen);
  EXPECT_EQ(green, picture(300, 50));
  EXPECT_EQ(green, picture(300, 89));
  EXPECT_EQ(green, picture(290, 90));
  EXPECT_EQ(kBlack, picture(290, 70)) << "open: no closing edge from (280, 90) back to (300, 50)";
  EXPECT_EQ(kBlack, picture(295, 80)) << "not filled";
  EXPECT_EQ(0, picture.Count(PixelOf(kRed), 250, 30, 350, 120)) << "the fill colour is not used";
  EXPECT_EQ("(281, 50)-(300, 90)", picture.BoxNot(kBlack, 250, 30, 350, 120))
      << "the last point itself is left out, as LineTo leaves it";
}

TEST_F(ShapesTest, ACircleOfTenBySixAtFiftyFillsTheEllipseFrom45_47To55_53) {
  CICGCircle circle(canvas_, 10, 6, {.pen_color = kGreen, .pen_width = 1, .fill_color = kGreen});
  circle.Draw(C2DPos(50, 50), 1.0f);
  // GDI's Ellipse draws within its rectangle, right and bottom edges excluded.
  EXPECT_EQ("(45, 47)-(54, 52)", Read().BoxNot(kBlack, 20, 20, 80, 80));
}

TEST_F(ShapesTest, ACircleIsOutlinedInItsPenColourAndFilledInItsFillColour) {
  CICGCircle circle(canvas_, 41, 21, {.pen_color = kBlue, .pen_width = 1, .fill_color = kGreen});
  circle.Draw(C2DPos(200.5f, 200.5f), 0.0f);  // Ellipse(180, 190, 221, 211)
  const Picture picture = Read();
  EXPECT_EQ(PixelOf(kGreen), picture(200, 200)) << "centre";
  EXPECT_EQ(PixelOf(kBlue), picture(180, 200)) << "left end of the width";
  EXPECT_EQ(PixelOf(kBlue), picture(200, 190)) << "top end of the height";
  EXPECT_EQ(kBlack, picture(181, 191)) << "outside the ellipse, inside its box";
}

TEST_F(ShapesTest, TheCircleIsHitOverItsWholeAreaAroundItsAbsolutePosition) {
  C2DObject hub(C2DPos(100, 100));
  CICGCircle circle(canvas_, 10, 6, {});
  ASSERT_TRUE(circle.Place(&hub, C2DPos(20, 0), kPi / 2));  // at (100, 120)

  EXPECT_TRUE(circle.HitTest(100, 120)) << "centre";
  EXPECT_TRUE(circle.HitTest(102, 122)) << "inside, away from the width's segment";
  EXPECT_TRUE(circle.HitTest(105, 120)) << "on the boundary";
  EXPECT_TRUE(circle.HitTest(100, 117)) << "on the boundary";
  EXPECT_FALSE(circle.HitTest(104.5f, 122.5f)) << "in the box, outside the ellipse";
  EXPECT_FALSE(circle.HitTest(100, 123.5f));
  EXPECT_FALSE(circle.HitTest(120, 100)) << "where it would stand unturned";
}

TEST_F(ShapesTest, FewerThanTwoPointsAreLoggedAndDrawNothing) {
  canvas_test::LogCapture log;
  CICGPolygon dot(canvas_, {{5, 5}}, {.pen_color = kRed, .pen_width = 3, .fill_color = kRed});
  CITable<C2DPos> none;
  CICGPolyline empty(canvas_, none, {.pen_color = kRed, .pen_width = 3, .fill_color = kRed});
  dot.Draw(C2DPos(100, 100), 0.0f);
  empty.Draw(C2DPos(100, 100), 0.0f);

  EXPECT_EQ(1, log.Count("_polygon : apos count (1) < 2"));
  EXPECT_EQ(1, log.Count("_polyline : apos count (0) < 2"));
  EXPECT_EQ("none", Read().BoxNot(kBlack, 0, 0, kWidth, kHeight));
}

TEST_F(ShapesTest, PensAndBrushesAreReplacedNotPiledUp) {
  CICGPolygon polygon(canvas_, {{0, 0}, {8, 0}, {4, 6}},
                      {.pen_color = kRed, .pen_width = 2, .fill_color = kBlue});
  CICGPolyline polyline(canvas_, {{0, 0}, {8, 8}}, {.pen_color = kGreen, .pen_width = 1});
  CICGCircle circle(canvas_, 6, 6, {.pen_color = kBlue, .pen_width = 1, .fill_color = kRed});
  auto draw_all = [&](int i) {
    polygon.Draw(C2DPos(20.0f + i, 20), 0.1f * i);
    polyline.Draw(C2DPos(40, 20.0f + i), 0.1f * i);
    circle.Draw(C2DPos(60.0f + i, 60), 0.0f);
  };
  draw_all(0);
  const gdi::LiveCounts after_one = gdi::Live();
  for (int i = 1; i < 300; ++i) draw_all(i % 100);
  EXPECT_EQ(after_one, gdi::Live())
      << "after one round " << Describe(after_one) << ", after 300 " << Describe(gdi::Live());
}

TEST(ShapesLifetimeTest, ACanvasThatShapesDrewOnReleasesTheirPensAndBrushes) {
  canvas_test::TestWindow window;
  const gdi::LiveCounts before = gdi::Live();
  {
    CICG canvas(window.get());
    CICGPolygon polygon(canvas, {{0, 0}, {8, 0}, {4, 6}},
                        {.pen_color = kRed, .pen_width = 2, .fill_color = kBlue});
    CICGCircle circle(canvas, 6, 6, {});
    polygon.Draw(C2DPos(20, 20), 0.0f);
    circle.Draw(C2DPos(40, 40), 0.0f);
  }
  EXPECT_EQ(before, gdi::Live()) << "before " << Describe(before) << ", after "
                                 << Describe(gdi::Live());
}

}  // namespace
}  // namespace drawing_test
