// Drawing primitives on the current layer: coordinate conversions, fills that leave the
// selected brush alone, and the ownership of what the canvas is handed.
#include <algorithm>

#include "tests/canvas/canvas_fixture_win.h"

namespace canvas_test {
namespace {

class PrimitivesTest : public ::testing::Test {
 protected:
  TestWindow window_;
  CICG canvas_{window_.get()};

  std::uint32_t Pixel(int x, int y) {
    return At(ReadLayer(canvas_, canvas_.current_layer), kWidth, kHeight, x, y);
  }
};

TEST_F(PrimitivesTest, FloatFillsTruncateAndPenPositionsRound) {
  ASSERT_NE(0, canvas_.FillCanvas(RGB(0, 0, 0)));
  const float rect[4] = {0.9f, 0.9f, 10.9f, 10.9f};
  ASSERT_NE(0, canvas_.FillColor(rect, RGB(255, 0, 0)));
  const std::vector<std::uint32_t> pixels = ReadLayer(canvas_, 1);
  EXPECT_EQ(0x00FF0000u, At(pixels, kWidth, kHeight, 0, 0)) << "0.9 truncates to 0";
  EXPECT_EQ(0x00FF0000u, At(pixels, kWidth, kHeight, 9, 9));
  EXPECT_EQ(0u, At(pixels, kWidth, kHeight, 10, 10)) << "10.9 truncates to 10, excluded";

  const struct {
    float x, y;
    POINT expected;
  } moves[] = {{0.9f, 0.9f, {1, 1}}, {2.5f, 2.4f, {3, 2}}, {-0.7f, -1.6f, {0, -1}}};
  for (const auto& m : moves) {
    ASSERT_TRUE(canvas_.MoveTo(m.x, m.y));
    POINT at{};
    GetCurrentPositionEx(canvas_.draw_dc, &at);
    EXPECT_EQ(m.expected.x, at.x) << m.x;
    EXPECT_EQ(m.expected.y, at.y) << m.y;
  }
  ASSERT_TRUE(canvas_.MoveTo(C2DPos(4.5f, 6.49f)));
  POINT at{};
  GetCurrentPositionEx(canvas_.draw_dc, &at);
  EXPECT_EQ(5, at.x);
  EXPECT_EQ(6, at.y);
}

TEST_F(PrimitivesTest, LinesAndShapesUseTheSelectedPenAndBrush) {
  ASSERT_NE(0, canvas_.FillCanvas(RGB(0, 0, 0)));
  ASSERT_EQ(1, canvas_.SelectGdiObject(gdi::CreatePen(PS_SOLID, 1, RGB(0, 255, 0))));
  ASSERT_TRUE(canvas_.MoveTo(C2DPos(10.0f, 20.0f)));
  ASSERT_TRUE(canvas_.LineTo(C2DPos(20.0f, 20.0f)));
  EXPECT_EQ(0x0000FF00u, Pixel(10, 20));
  EXPECT_EQ(0x0000FF00u, Pixel(19, 20));
  EXPECT_EQ(0u, Pixel(20, 20)) << "GDI lines leave out their end point";

  ASSERT_EQ(1, canvas_.SetBrushColor(RGB(0, 0, 255)));
  ASSERT_TRUE(canvas_.DrawRectangle(RECT{100, 100, 110, 110}));
  EXPECT_EQ(0x0000FF00u, Pixel(100, 100)) << "the outline is the pen's";
  EXPECT_EQ(0x000000FFu, Pixel(105, 105)) << "the inside is the brush's";
  ASSERT_TRUE(canvas_.DrawEllipse(200, 100, 240, 140));
  EXPECT_EQ(0x000000FFu, Pixel(220, 120));
  EXPECT_EQ(0u, Pixel(201, 101)) << "outside the ellipse in its box's corner";

  EXPECT_NE(CLR_INVALID, canvas_.PutPixel(5, 5, RGB(3, 2, 1)));
  EXPECT_EQ(0x00030201u, Pixel(5, 5)) << "GDI red 3, green 2, blue 1 as a pixel";
}

TEST_F(PrimitivesTest, FillsNeverChangeTheSelectedBrushAndClearUsesTheKeyColour) {
  ASSERT_EQ(1, canvas_.SetBrushColor(RGB(9, 9, 9)));
  const HGDIOBJ brush = GetCurrentObject(canvas_.draw_dc, OBJ_BRUSH);
  const gdi::LiveCounts before = gdi::Live();
  ASSERT_NE(0, canvas_.FillColorRect(RECT{0, 0, 5, 5}, RGB(1, 1, 1)));
  ASSERT_NE(0, canvas_.FillCanvas(RGB(7, 7, 7)));
  EXPECT_EQ(brush, GetCurrentObject(canvas_.draw_dc, OBJ_BRUSH));
  EXPECT_EQ(before, gdi::Live()) << "each fill's brush is deleted after use";

  const std::vector<std::uint32_t> filled = ReadLayer(canvas_, 1);
  EXPECT_EQ(filled.size(),
            static_cast<std::size_t>(std::count(filled.begin(), filled.end(), 0x00070707u)));
  ASSERT_NE(0, canvas_.ClearCanvas());
  const std::vector<std::uint32_t> cleared = ReadLayer(canvas_, 1);
  EXPECT_EQ(cleared.size(),
            static_cast<std::size_t>(std::count(cleared.begin(), cleared.end(), 0x00FF00FFu)))
      << "every pixel the key colour";
}

TEST_F(PrimitivesTest, TheCanvasDeletesWhatItsSelectionsReplace) {
  const gdi::LiveCounts start = gdi::Live();
  ASSERT_EQ(1, canvas_.SetBrushColor(RGB(1, 0, 0)));
  ASSERT_EQ(1, canvas_.SetBrushColor(RGB(2, 0, 0)));
  EXPECT_EQ(start.objects + 1, gdi::Live().objects) << "only the second brush is left";
  ASSERT_EQ(1, canvas_.SelectGdiObject(gdi::CreatePen(PS_SOLID, 2, RGB(3, 0, 0))));
  ASSERT_EQ(1, canvas_.SelectGdiObject(gdi::CreatePen(PS_SOLID, 2, RGB(4, 0, 0))));
  EXPECT_EQ(start.objects + 2, gdi::Live().objects) << "one brush and one pen";
  EXPECT_EQ(0, canvas_.SelectGdiObject(nullptr));
}

TEST_F(PrimitivesTest, TextIsMeasuredAndDrawnInTheSelectedFont) {
  ASSERT_NE(0, canvas_.FillCanvas(RGB(0, 0, 0)));
  LOGFONTA description{};
  description.lfHeight = 40;
  description.lfCharSet = SHIFTJIS_CHARSET;
  ASSERT_EQ(1, canvas_.SelectGdiObject(gdi::CreateFont(description)));
  SIZE size{};
  ASSERT_TRUE(canvas_.GetTextSize("Wy", 2, &size));
  EXPECT_GE(size.cy, 40);
  EXPECT_GT(size.cx, 10);
  canvas_.TextColor(RGB(255, 255, 255));
  EXPECT_EQ(RGB(255, 255, 255), canvas_.BackColor(RGB(0, 0, 0))) << "the DC's default background";
  RECT box{0, 0, 0, 0};
  ASSERT_GT(canvas_.DrawTextRect("Wy", 2, &box, DT_CALCRECT), 0);
  EXPECT_EQ(size.cx, box.right);
  box = RECT{50, 50, 50 + size.cx, 50 + size.cy};
  ASSERT_GT(canvas_.DrawTextRect("Wy", 2, &box, 0), 0);
  int lit = 0;
  const std::vector<std::uint32_t> pixels = ReadLayer(canvas_, 1);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (At(pixels, kWidth, kHeight, x, y) == 0) continue;
      ++lit;
      EXPECT_TRUE(x >= 50 && x < 50 + size.cx && y >= 50 && y < 50 + size.cy)
          << "text outside its rectangle at " << x << "," << y;
    }
  }
  EXPECT_GT(lit, 50);
}

}  // namespace
}  // namespace canvas_test
