// Composition: every mode checked on the pixels of the composed picture.
#include <functional>

#include "tests/canvas/canvas_fixture_win.h"

namespace canvas_test {
namespace {

constexpr std::uint32_t kRed = 0x00FF0000;
constexpr std::uint32_t kGreen = 0x0000FF00;
constexpr std::uint32_t kBlue = 0x000000FF;
constexpr std::uint32_t kMagenta = 0x00FF00FF;
using PixelAt = std::function<std::uint32_t(int x, int y)>;

// The base layer: green in its top-left 50 x 25 pixels, red elsewhere.
std::uint32_t Base(int x, int y) { return x < 50 && y < 25 ? kGreen : kRed; }
// A hidden third layer, the stencil's source.
std::uint32_t Third(int x, int) { return x % 2 == 0 ? kBlue : kGreen; }
std::uint32_t Blue(int, int) { return kBlue; }
bool In(int x, int y, const RECT& r) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

void Paint(CICG& canvas, std::int32_t number, const PixelAt& pixel_at) {
  for (int i = 0; i < kWidth * kHeight; ++i)
    canvas.dst_buffer[(kHeight - 1 - i / kWidth) * kWidth + i % kWidth] =
        pixel_at(i % kWidth, i / kWidth);
  ASSERT_EQ(1, canvas._set_dib_dst(number));
}

// How many pixels of `got` differ from `expected(x, y)`, and the first of them.
std::string Differences(const Picture& got, const PixelAt& expected) {
  int count = 0;
  char first[64] = "";
  for (int i = 0; i < kWidth * kHeight; ++i) {
    const int x = i % kWidth, y = i / kWidth;
    const std::uint32_t want = expected(x, y), have = got(x, y);
    if (want != have && count++ == 0)
      std::snprintf(first, sizeof first, "(%d,%d) expected %06X got %06X", x, y, want, have);
  }
  return count == 0 ? "" : std::to_string(count) + " pixels differ, first " + first;
}

ICGLayer Layer(std::int32_t mode, COLORREF key, RECT source = {0, 0, kWidth, kHeight},
               std::uint32_t source_layer = 0, std::uint32_t transparency = 60) {
  ICGLayer layer = Description(mode, key, transparency);
  layer.source_rect = source;
  layer.dest_rect = RECT{300, 100, 400, 150};  // mode 3: twice the size of the region
  layer.source_layer = source_layer;
  layer.rop = SRCCOPY;
  return layer;
}

TEST(ComposeTest, EveryModeOnThePixelsOfTheComposedPicture) {
  // Mostly key, with marks of every kind of colour, black and near-key ones included.
  const PixelAt marks = [](int x, int y) -> std::uint32_t {
    if ((x / 8 + y / 10) % 3 != 0) return kMagenta;
    return x % 5 == 0 ? 0 : x % 5 == 1 ? 0x00FF00FE : (x * 11 + y * 13) & 0xFFFFFF;
  };
  const RECT box{100, 50, 200, 60};
  const PixelAt mask = [&](int x, int y) { return In(x, y, box) ? 0 : kMagenta; };
  const struct {
    const char* what;
    ICGLayer layer;
    PixelAt paint, expected;
  } rows[] = {
      {"hidden", Layer(icg_mode::kHidden, 0), Blue, Base},
      {"a mode of no meaning", Layer(7, 0), Blue, Base},
      {"copy", Layer(icg_mode::kCopy, 0), Blue, Blue},
      {"key colour", Layer(icg_mode::kTransparent, kMagenta), marks,
       [&](int x, int y) { return marks(x, y) == kMagenta ? Base(x, y) : marks(x, y); }},
      {"region copy", Layer(icg_mode::kRegionCopy, kMagenta, {0, 0, 50, 25}), Blue,
       [](int x, int y) {
         return In(x, y, {300, 100, 400, 150}) ? kGreen : Base(x, y);
       }},
      // 60 % keeps 60 % of the picture: red 153, blue 102 of blue over red.
      {"alpha blend at 60 %, black the key", Layer(icg_mode::kAlphaBlend, 0),
       [](int x, int) { return x >= 480 ? kBlue : 0; },
       [](int x, int y) { return x >= 480 ? 0x00990066u : Base(x, y); }},
      {"alpha blend over 100 %: as 100",
       Layer(icg_mode::kAlphaBlend, 0, {0, 0, kWidth, kHeight}, 0, 0xFFFFFFFF), Blue, Base},
      // Grey added to pure red or green saturates where it meets them.
      {"a blend region has GDI edges, additions saturate and skip the key",
       Layer(icg_mode::kAdditive, kMagenta, {10, 20, 30, 40}),
       [](int x, int) { return x % 2 == 0 ? 0x00808080u : kMagenta; },
       [](int x, int y) {
         return In(x, y, {10, 20, 30, 40}) && x % 2 == 0 ? Base(x, y) | 0x00808080u : Base(x, y);
       }},
      {"stencil of layer 3", Layer(icg_mode::kStencil, kMagenta, {}, 3), mask,
       [&](int x, int y) { return In(x, y, box) ? Third(x, y) : Base(x, y); }},
      {"stencil of itself", Layer(icg_mode::kStencil, kMagenta, {}, 2), mask, Base},
      {"stencil of no layer", Layer(icg_mode::kStencil, kMagenta, {}, 4), mask, Base},
  };
  TestWindow window;
  for (const auto& row : rows) {
    for (const auto how :
         {CICG::KeyTransparency::kPixelBuffers, CICG::KeyTransparency::kTransparentBlt}) {
      CICG canvas(window.get());
      canvas.SetKeyTransparency(how);
      Paint(canvas, 1, Base);
      ASSERT_EQ(2, canvas.CreateLayer(row.layer));
      ASSERT_EQ(3, canvas.CreateLayer(Layer(icg_mode::kHidden, 0)));
      Paint(canvas, 2, row.paint);
      Paint(canvas, 3, Third);
      ASSERT_EQ(1, canvas.DrawFrame());  // makes the stencil's scratch pixels, once
      const gdi::LiveCounts before = gdi::Live();
      ASSERT_EQ(1, canvas.DrawFrame());
      EXPECT_EQ(before, gdi::Live()) << row.what;
      EXPECT_EQ(canvas.FindLayer(3)->bitmap, GetCurrentObject(canvas.draw_dc, OBJ_BITMAP))
          << row.what << ": drawing still goes to the current layer";
      EXPECT_EQ("", Differences({ReadComposition(canvas)}, row.expected))
          << row.what
          << (how == CICG::KeyTransparency::kTransparentBlt ? ", by TransparentBlt" : "");
    }
  }
}

}  // namespace
}  // namespace canvas_test
