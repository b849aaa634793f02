// Composition: every mode checked on the pixels of the composed picture.
#include "tests/canvas/canvas_fixture_win.h"

namespace canvas_test {
namespace {

constexpr std::uint32_t kRed = 0x00FF0000;
constexpr std::uint32_t kGreen = 0x0000FF00;
constexpr std::uint32_t kBlue = 0x000000FF;
constexpr std::uint32_t kMagenta = 0x00FF00FF;

class ComposeTest : public ::testing::Test {
 protected:
  void SetUp() override { FillLayer(canvas_, 1, kRed); }

  // Writes a layer from a function of (x, y) in picture coordinates.
  template <typename PixelAt>
  void PaintLayer(std::int32_t number, PixelAt pixel_at) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        canvas_.dst_buffer[static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x] = pixel_at(x, y);
      }
    }
    ASSERT_EQ(1, canvas_._set_dib_dst(number));
  }

  std::vector<std::uint32_t> Compose() {
    EXPECT_EQ(1, canvas_.DrawFrame());
    return ReadComposition(canvas_);
  }

  // Pixels of `got` that differ from `expected(x, y)`, with the first few named.
  template <typename PixelAt>
  std::string Differences(const std::vector<std::uint32_t>& got, PixelAt expected) {
    int count = 0;
    std::string first;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::uint32_t want = expected(x, y);
        const std::uint32_t have = At(got, kWidth, kHeight, x, y);
        if (want == have) continue;
        if (++count <= 3) {
          char line[96];
          std::snprintf(line, sizeof line, " (%d,%d) expected %06X got %06X;", x, y, want, have);
          first += line;
        }
      }
    }
    return count == 0 ? "" : std::to_string(count) + " pixels differ:" + first;
  }

  TestWindow window_;
  CICG canvas_{window_.get()};
};

TEST_F(ComposeTest, TheBaseLayerAloneIsShownExactlyInTheWindow) {
  PaintLayer(1,
             [](int x, int y) { return static_cast<std::uint32_t>(x * 7 + y * 1031) & 0xFFFFFF; });
  const std::vector<std::uint32_t> composed = Compose();
  EXPECT_EQ(ReadLayer(canvas_, 1), composed);

  // What the window's DC holds now.
  HDC window_dc = GetDC(window_.get());
  HDC memory = CreateCompatibleDC(window_dc);
  HBITMAP shot = CreateCompatibleBitmap(window_dc, kWidth, kHeight);
  HGDIOBJ old = SelectObject(memory, shot);
  BitBlt(memory, 0, 0, kWidth, kHeight, window_dc, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(window_.get(), window_dc);
  EXPECT_EQ(composed, ReadBitmap(shot, kWidth, kHeight));
  DeleteObject(shot);
}

TEST_F(ComposeTest, HiddenAndMeaninglessModesChangeNothing) {
  ASSERT_EQ(2, canvas_.CreateLayer(Description(icg_mode::kHidden)));
  FillLayer(canvas_, 2, kBlue);
  for (std::int32_t mode : {0, 7, 100, -1}) {
    canvas_.SetLayerMode(2, mode);
    EXPECT_EQ("", Differences(Compose(), [](int, int) { return kRed; })) << "mode " << mode;
  }
}

TEST_F(ComposeTest, KeyTransparencyOnBuffersAndByTransparentBltGiveTheSamePixels) {
  PaintLayer(1,
             [](int x, int y) { return static_cast<std::uint32_t>(x * 3 + y * 5000) & 0xFFFFFF; });
  ASSERT_EQ(2, canvas_.CreateLayer(Description(icg_mode::kTransparent, kMagenta)));
  // Mostly key, with marks of every kind of colour, black and near-key ones included.
  const auto guide = [](int x, int y) -> std::uint32_t {
    if ((x / 8 + y / 10) % 3 != 0) return kMagenta;
    if (x % 5 == 0) return 0;
    if (x % 5 == 1) return 0x00FF00FE;
    return static_cast<std::uint32_t>(x * 11 + y * 13) & 0xFFFFFF;
  };
  PaintLayer(2, guide);
  const auto expected = [&](int x, int y) {
    return guide(x, y) != kMagenta ? guide(x, y)
                                   : (static_cast<std::uint32_t>(x * 3 + y * 5000) & 0xFFFFFF);
  };
  canvas_.SetKeyTransparency(CICG::KeyTransparency::kPixelBuffers);
  const std::vector<std::uint32_t> on_buffers = Compose();
  EXPECT_EQ("", Differences(on_buffers, expected)) << "on the pixel buffers";
  canvas_.SetKeyTransparency(CICG::KeyTransparency::kTransparentBlt);
  EXPECT_EQ("", Differences(Compose(), expected)) << "by TransparentBlt";
}

TEST_F(ComposeTest, RegionCopyScalesPartOfThePictureIntoTheLayer) {
  // The picture: green in its top-left 50 x 25 pixels, red elsewhere.
  PaintLayer(1, [](int x, int y) { return x < 50 && y < 25 ? kGreen : kRed; });
  ICGLayer region = Description(icg_mode::kRegionCopy, kMagenta);
  region.source_rect = RECT{0, 0, 50, 25};
  region.dest_rect = RECT{300, 100, 400, 150};  // twice the size
  ASSERT_EQ(2, canvas_.CreateLayer(region));
  FillLayer(canvas_, 2, kBlue);  // cleared to the key by the composition
  const auto expected = [](int x, int y) {
    if (x >= 300 && x < 400 && y >= 100 && y < 150) return kGreen;
    return x < 50 && y < 25 ? kGreen : kRed;
  };
  EXPECT_EQ("", Differences(Compose(), expected));
}

TEST_F(ComposeTest, AlphaBlendMixesNonKeyPixelsByTheTransparency) {
  ASSERT_EQ(2, canvas_.CreateLayer(Description(icg_mode::kAlphaBlend, 0, 60)));
  PaintLayer(2, [](int x, int) { return x < 480 ? kBlue : 0u; });
  EXPECT_EQ("", Differences(Compose(), [](int x, int) { return x < 480 ? 0x00990066u : kRed; }))
      << "blue over red at 60 % is red 153, blue 102; black (the key) is never blended";

  canvas_.FindLayer(2)->transparency = 0;
  EXPECT_EQ("", Differences(Compose(), [](int x, int) { return x < 480 ? kBlue : kRed; }));
  for (std::uint32_t kept : {100u, 250u, 0x80000000u}) {
    canvas_.FindLayer(2)->transparency = kept;
    EXPECT_EQ("", Differences(Compose(), [](int, int) { return kRed; })) << "transparency " << kept;
  }
}

TEST_F(ComposeTest, BlendRegionsFollowTheSourceRectangleWithGdiEdges) {
  ICGLayer layer = Description(icg_mode::kAdditive, 0x00FF00FF);
  layer.source_rect = RECT{10, 20, 30, 40};
  ASSERT_EQ(2, canvas_.CreateLayer(layer));
  FillLayer(canvas_, 1, 0);
  FillLayer(canvas_, 2, kBlue);
  const auto inside = [](int x, int y) { return x >= 10 && x < 30 && y >= 20 && y < 40; };
  EXPECT_EQ("", Differences(Compose(), [&](int x, int y) { return inside(x, y) ? kBlue : 0u; }));
}

TEST_F(ComposeTest, AdditiveSaturatesAndSkipsTheKey) {
  FillLayer(canvas_, 1, 0x006464FA);  // red 100, green 100, blue 250
  ASSERT_EQ(2, canvas_.CreateLayer(Description(icg_mode::kAdditive, kMagenta)));
  PaintLayer(2, [](int, int y) { return y < 160 ? 0x00C8640Au : kMagenta; });  // 200, 100, 10
  EXPECT_EQ("",
            Differences(Compose(), [](int, int y) { return y < 160 ? 0x00FFC8FFu : 0x006464FAu; }));
}

TEST_F(ComposeTest, AStencilLetsAnyOtherLayerShowThroughItsNonKeyPixels) {
  ICGLayer stencil = Description(icg_mode::kStencil, kMagenta);
  stencil.source_layer = 3;  // the newest layer: a source like any other
  ASSERT_EQ(2, canvas_.CreateLayer(stencil));
  ASSERT_EQ(3, canvas_.CreateLayer(Description(icg_mode::kHidden)));
  PaintLayer(2,
             [](int x, int y) { return x >= 100 && x < 200 && y >= 50 && y < 60 ? 0u : kMagenta; });
  PaintLayer(3, [](int x, int) { return x % 2 == 0 ? kBlue : kGreen; });
  const auto through = [](int x, int y) {
    if (x >= 100 && x < 200 && y >= 50 && y < 60) return x % 2 == 0 ? kBlue : kGreen;
    return kRed;
  };
  EXPECT_EQ("", Differences(Compose(), through));

  // A stencil naming itself or no layer adds nothing.
  for (std::uint32_t source : {2u, 4u, 0u, 0xFFFFFFFFu}) {
    canvas_.FindLayer(2)->source_layer = source;
    FillLayer(canvas_, 1, kRed);
    EXPECT_EQ("", Differences(Compose(), [](int, int) { return kRed; })) << "source " << source;
  }
}

TEST_F(ComposeTest, WithEveryLayerHiddenThePreviousPictureStays) {
  ASSERT_EQ("", Differences(Compose(), [](int, int) { return kRed; }));
  canvas_.SetLayerMode(1, icg_mode::kHidden);
  FillLayer(canvas_, 1, kGreen);
  EXPECT_EQ("", Differences(Compose(), [](int, int) { return kRed; }));
}

TEST_F(ComposeTest, AfterAFrameDrawingGoesToTheCurrentLayerAndNothingIsLeftAllocated) {
  ICGLayer stencil = Description(icg_mode::kStencil, kMagenta);
  stencil.source_layer = 1;
  for (std::int32_t mode = 2; mode <= 6; ++mode) {
    ICGLayer layer = mode == 6 ? stencil : Description(mode, kMagenta, 50);
    layer.dest_rect = RECT{0, 0, 10, 10};
    ASSERT_EQ(mode, canvas_.CreateLayer(layer));
    FillLayer(canvas_, mode, 0x00404040);
  }
  ASSERT_EQ(3, canvas_.SelectLayer(3));
  ASSERT_EQ(1, canvas_.DrawFrame());  // the stencil's scratch pixels are made once
  const gdi::LiveCounts before = gdi::Live();
  for (int frame = 0; frame < 50; ++frame) ASSERT_EQ(1, canvas_.DrawFrame());
  EXPECT_EQ(before, gdi::Live());
  EXPECT_EQ(canvas_.FindLayer(3)->bitmap, GetCurrentObject(canvas_.draw_dc, OBJ_BITMAP));
  EXPECT_EQ(canvas_.compose_bitmap, GetCurrentObject(canvas_.compose_dc, OBJ_BITMAP));
  EXPECT_EQ(3, canvas_.current_layer);
}

}  // namespace
}  // namespace canvas_test
