// Drawing primitives on the current layer: coordinate conversions and the ownership of
// what the canvas is handed.
#include <cmath>

#include "geometry/shape_math.h"
#include "tests/canvas/canvas_fixture_win.h"

namespace canvas_test {
namespace {

TEST(PrimitivesTest, FillEdgesTruncateAndPenPositionsRoundHalfUp) {
  TestWindow window;
  CICG canvas(window.get());
  ASSERT_NE(0, canvas.FillCanvas(RGB(0, 0, 0)));
  const float rect[4] = {0.9f, 0.9f, 10.9f, 10.9f};
  ASSERT_NE(0, canvas.FillColor(rect, RGB(255, 0, 0)));
  const std::vector<std::uint32_t> pixels = ReadLayer(canvas, 1);
  EXPECT_EQ(0x00FF0000u, At(pixels, kWidth, kHeight, 0, 0)) << "0.9 truncates to 0";
  EXPECT_EQ(0u, At(pixels, kWidth, kHeight, 10, 10)) << "10.9 truncates to 10, excluded";
  // Beyond int a plain conversion gives INT_MIN on x86, and the fill would draw nothing.
  const float huge[4] = {20, 20, 1e30f, 1e30f};
  ASSERT_NE(0, canvas.FillColor(huge, RGB(0, 0, 255)));
  EXPECT_EQ(0xFFu, At(ReadLayer(canvas, 1), kWidth, kHeight, kWidth - 1, kHeight - 1));
  const struct {
    float x, y;
    int expected_x, expected_y;
  } moves[] = {{0.9f, 0.9f, 1, 1},
               {2.5f, 2.4f, 3, 2},
               {-0.7f, -1.6f, 0, -1},
               {std::nanf(""), 1e30f, 0, shape_math::kCoordinateLimit}};
  for (const auto& m : moves) {
    ASSERT_TRUE(canvas.MoveTo(m.x, m.y));
    POINT at{};
    GetCurrentPositionEx(canvas.draw_dc, &at);
    EXPECT_EQ(m.expected_x, at.x) << m.x;
    EXPECT_EQ(m.expected_y, at.y) << m.y;
  }
}

TEST(PrimitivesTest, SelectionsDeleteWhatTheyReplaceAndFillsSelectNothing) {
  TestWindow window;
  CICG canvas(window.get());
  const gdi::LiveCounts start = gdi::Live();
  ASSERT_EQ(1, canvas.SetBrushColor(RGB(1, 0, 0)));
  ASSERT_EQ(1, canvas.SetBrushColor(RGB(2, 0, 0)));
  ASSERT_EQ(1, canvas.SelectGdiObject(gdi::CreatePen(PS_SOLID, 2, RGB(3, 0, 0))));
  ASSERT_EQ(1, canvas.SelectGdiObject(gdi::CreatePen(PS_SOLID, 2, RGB(4, 0, 0))));
  EXPECT_EQ(start.objects + 2, gdi::Live().objects) << "one brush and one pen";
  const HGDIOBJ brush = GetCurrentObject(canvas.draw_dc, OBJ_BRUSH);
  ASSERT_NE(0, canvas.FillColorRect(RECT{0, 0, 5, 5}, RGB(1, 1, 1)));
  ASSERT_NE(0, canvas.ClearCanvas());
  EXPECT_EQ(brush, GetCurrentObject(canvas.draw_dc, OBJ_BRUSH));
  EXPECT_EQ(start.objects + 2, gdi::Live().objects) << "each fill's brush is deleted after use";
}

}  // namespace
}  // namespace canvas_test
