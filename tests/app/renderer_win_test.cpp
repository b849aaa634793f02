// The frame renderer on a real window: the board's layers, and what a user sees in the
// composed picture: the far plane and the text at their repeat distances, the guide
// marks, the plain-text view, the pause, and the scrolling text.
#include "app/renderer_win.h"

#include <functional>
#include <vector>

#include "canvas/pixel_memory.h"
#include "tests/app/board_fixture_win.h"
#include "tests/canvas/canvas_fixture_win.h"

namespace board_test {
namespace {

using canvas_test::At;
using canvas_test::ReadComposition;
using canvas_test::ReadLayer;
using canvas_test::TestWindow;

constexpr int kW = 960;
constexpr int kH = 320;

// A board set up on a test window, its frame thread stopped so that each frame is drawn
// when the test says.
class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_.Start();
    ASSERT_EQ(0u, SetupBoard(g_board, window_.get()));
    canvas().StopFrameThread();
  }
  void TearDown() override { TeardownBoard(g_board); }

  CICG& canvas() { return *g_board.canvas; }

  std::vector<std::uint32_t> Frame(std::uint32_t elapsed = 66) {
    EXPECT_EQ(1, BoardFrame(&canvas(), elapsed));
    EXPECT_EQ(1, canvas().DrawFrame());
    return ReadComposition(canvas());
  }

  // Picture pixel (x, y), y from the top, of a bottom-up buffer.
  static std::uint32_t Pixel(const std::vector<std::uint32_t>& p, int x, int y) {
    return At(p, kW, kH, x, y);
  }

  // Pixels where `expected` and `got` differ, the first few named.
  static std::string Differences(const std::vector<std::uint32_t>& got,
                                 const std::function<std::uint32_t(int, int)>& expected) {
    int count = 0;
    std::string first;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (Pixel(got, x, y) == expected(x, y)) continue;
        if (++count <= 3) {
          char text[80];
          std::snprintf(text, sizeof text, " (%d,%d) %06X not %06X;", x, y, Pixel(got, x, y),
                        expected(x, y));
          first += text;
        }
      }
    }
    return count == 0 ? "" : std::to_string(count) + " pixels differ:" + first;
  }

  ProgramFolder program_;
  TestWindow window_;
};

TEST_F(RendererTest, SetupMakesTheThreeLayersAndTeardownReleasesEverything) {
  ASSERT_EQ(3u, canvas().layers.size());
  EXPECT_EQ(1, g_board.base_layer);
  EXPECT_EQ(2, g_board.text_layer);
  EXPECT_EQ(3, g_board.guide_layer);
  const ICGLayer& text = *canvas().FindLayer(2);
  const ICGLayer& guide = *canvas().FindLayer(3);
  EXPECT_EQ(icg_mode::kHidden, text.mode.load());
  EXPECT_EQ(60u, text.transparency);
  EXPECT_EQ(0u, text.key_color);
  EXPECT_EQ(kW, text.source_rect.right);
  EXPECT_EQ(kH, text.source_rect.bottom);
  EXPECT_EQ(icg_mode::kHidden, guide.mode.load());
  EXPECT_EQ(0x00FF00FFu, guide.key_color);
  EXPECT_EQ(60u, guide.transparency);
  EXPECT_EQ(nullptr, g_board.background_bitmap) << "no background file in the folder";
  EXPECT_NE(nullptr, g_board.depth_buffer.get());

  TeardownBoard(g_board);
  EXPECT_EQ(nullptr, g_board.canvas);
  EXPECT_EQ(nullptr, g_board.depth_buffer.get());
}

TEST_F(RendererTest, TheFarPlaneRepeatsWithTheParallaxWidth) {
  g_board.SetText("");
  for (const bool reverse : {false, true}) {
    g_board.reverse = reverse;
    // Depth 0 everywhere: W = 100; reversed, W = 76 and black is the near plane at 58.
    const int period = reverse ? 58 : 100;
    const std::vector<std::uint32_t> picture = Frame();
    EXPECT_EQ("", Differences(picture,
                              [&](int x, int y) {
                                return x < period ? Pixel(picture, x, y)
                                                  : Pixel(picture, x - period, y);
                              }))
        << (reverse ? "reversed" : "unreversed");
    // ...and not with a shorter period: the first `period` dots are fresh.
    int repeats = 0;
    for (int x = 1; x < period; ++x)
      repeats += Pixel(picture, x, 100) == Pixel(picture, x - 1, 100);
    EXPECT_LT(repeats, period / 4);
  }
}

TEST_F(RendererTest, TheTextRepeatsWithItsOwnShorterPeriod) {
  // Scrolled so that the text covers the middle of the picture.
  Frame(5000);
  const std::uint32_t* depth = g_board.depth_buffer.get();
  const std::uint32_t* dots = canvas().dst_buffer;
  int linked = 0;
  int wrong = 0;
  for (int row = 0; row < kH; ++row) {
    const std::size_t at = static_cast<std::size_t>(row) * kW;
    for (int x = 82; x < kW; ++x) {
      // Inside the text (depth 200 here and just before): the local period is
      // 100 - ((200 * 100) >> 8) / 4 = 81.
      if ((depth[at + x] & 0xFF) != 200 || (depth[at + x - 1] & 0xFF) != 200) continue;
      ++linked;
      wrong += dots[at + x] != dots[at + x - 81];
    }
  }
  EXPECT_GT(linked, 10000) << "the text must be in the picture";
  EXPECT_EQ(0, wrong) << "text pixels that do not repeat 81 pixels to their left";
  EXPECT_EQ(ReadLayer(canvas(), 1), std::vector<std::uint32_t>(dots, dots + kW * kH))
      << "the stereogram went into the base layer";
}

TEST_F(RendererTest, GuideMarksCoverExactlyTheirRectanglesWhileShown) {
  const auto marks = [](int left_mark, int right_mark) {
    return [=](int x, int y) {
      return y >= 5 && y < 15 &&
             ((x >= left_mark && x < left_mark + 8) || (x >= right_mark && x < right_mark + 8));
    };
  };
  ShowGuide(g_board, true);
  EXPECT_EQ(icg_mode::kTransparent, canvas().FindLayer(3)->mode.load());
  std::vector<std::uint32_t> picture = Frame();
  std::vector<std::uint32_t> dots = ReadLayer(canvas(), 1);
  std::function<bool(int, int)> inside = marks(435, 516);
  EXPECT_EQ("", Differences(picture,
                            [&](int x, int y) { return inside(x, y) ? 0u : Pixel(dots, x, y); }));

  g_board.reverse = true;
  picture = Frame();
  dots = ReadLayer(canvas(), 1);
  inside = marks(440, 512);
  EXPECT_EQ(
      "", Differences(picture, [&](int x, int y) { return inside(x, y) ? 0u : Pixel(dots, x, y); }))
      << "reversed: the marks stand 72 pixels apart";

  ShowGuide(g_board, false);
  EXPECT_EQ(icg_mode::kHidden, canvas().FindLayer(3)->mode.load());
  picture = Frame();
  EXPECT_EQ(ReadLayer(canvas(), 1), picture) << "no marks once switched off";
}

TEST_F(RendererTest, TheTextViewBlendsFortyPercentGreyTextOverTheDots) {
  ShowText(g_board, true);
  EXPECT_EQ(icg_mode::kAlphaBlend, canvas().FindLayer(2)->mode.load());
  const std::vector<std::uint32_t> picture = Frame(5000);
  const std::vector<std::uint32_t> dots = ReadLayer(canvas(), 1);
  const std::vector<std::uint32_t> text = ReadLayer(canvas(), 2);
  int lettered = 0;
  EXPECT_EQ("", Differences(picture, [&](int x, int y) {
              const std::uint32_t t = Pixel(text, x, y);
              const std::uint32_t d = Pixel(dots, x, y);
              if (t == 0) return d;  // the dots stay untouched outside the letters
              ++lettered;
              std::uint32_t mixed = 0;
              for (int shift : {0, 8, 16}) {
                mixed |= ((((t >> shift) & 0xFF) * 40 + ((d >> shift) & 0xFF) * 60) / 100) << shift;
              }
              return mixed;
            }));
  EXPECT_GT(lettered, 10000);
  // Full text pixels are the text depth's grey.
  EXPECT_NE(std::find(text.begin(), text.end(), 0x00C8C8C8u), text.end());
}

TEST_F(RendererTest, PauseFreezesThePictureAndTheScrollAndResumeGoesOn) {
  Frame(1000);
  const std::uint32_t clock = ScrollClock();
  const std::vector<std::uint32_t> before = ReadComposition(canvas());
  g_board.paused = true;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(before, Frame(66)) << "paused frame " << i;
  }
  EXPECT_EQ(clock, ScrollClock());
  g_board.paused = false;
  const std::vector<std::uint32_t> after = Frame(66);
  EXPECT_EQ(clock + 66, ScrollClock());
  EXPECT_NE(before, after) << "new dots after resuming";
}

TEST_F(RendererTest, TheTextEntersAtTheRightEdgeAndMovesAPixelPerTenMilliseconds) {
  ShowText(g_board, true);
  // The clock is shared by every frame the process drew; start it from a restart.
  g_board.SetText("");
  Frame(20000);  // an empty text restarts once the clock passes 9,610 ms
  ASSERT_EQ(0u, ScrollClock());
  g_board.SetText("テキストを入力してください。");
  for (const std::uint32_t elapsed : {200u, 1000u}) {
    Frame(elapsed);
    const int left = kW - static_cast<int>(ScrollClock() / 10);
    const std::vector<std::uint32_t> text = ReadLayer(canvas(), 2);
    int before_left = 0;
    int after_left = 0;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (Pixel(text, x, y) == 0) continue;
        (x < left ? before_left : after_left)++;
      }
    }
    EXPECT_EQ(0, before_left) << "text left of its left edge " << left;
    EXPECT_GT(after_left, 0) << "no text right of " << left;
  }
  EXPECT_EQ(1200u, ScrollClock());
}

TEST_F(RendererTest, ABackgroundImageIsDepthWhereItIsBrighterThanTheText) {
  TeardownBoard(g_board);
  // A white square on black in a sub-folder, named by the settings file.
  CreateDirectoryA(program_.Path("images").c_str(), nullptr);
  {
    BITMAPINFO info = PixelBufferInfo(kW, kH);
    std::vector<std::uint32_t> pixels(kW * kH, 0);
    for (int y = 100; y < 200; ++y) {
      for (int x = 100; x < 300; ++x)
        pixels[static_cast<std::size_t>(kH - 1 - y) * kW + x] = 0xFFFFFF;
    }
    std::string file(14 + 40 + pixels.size() * 4, '\0');
    BITMAPFILEHEADER head{};
    head.bfType = 0x4D42;
    head.bfSize = static_cast<DWORD>(file.size());
    head.bfOffBits = 54;
    std::memcpy(file.data(), &head, 14);
    std::memcpy(file.data() + 14, &info.bmiHeader, 40);
    std::memcpy(file.data() + 54, pixels.data(), pixels.size() * 4);
    program_.folder().Create("images\\depth.bmp", file);
  }
  program_.WriteSettings("[SETTINGS]\r\nBGI='images\\depth.bmp'\r\nTEXT=''\r\n");
  ResetBoard(g_board);
  program_.Start();
  const gdi::LiveCounts before = gdi::Live();
  ASSERT_EQ(0u, SetupBoard(g_board, window_.get()));
  canvas().StopFrameThread();
  ASSERT_NE(nullptr, g_board.background_bitmap);

  const std::vector<std::uint32_t> picture = Frame();
  // Inside the square the depth is 255: the local period is 100 - 24 = 76.
  int wrong = 0;
  for (int y = 100; y < 200; ++y) {
    for (int x = 100 + 76; x < 300; ++x) wrong += Pixel(picture, x, y) != Pixel(picture, x - 76, y);
  }
  EXPECT_EQ(0, wrong);
  EXPECT_EQ(0x00FFFFFFu, g_board.depth_buffer[static_cast<std::size_t>(kH - 1 - 150) * kW + 200]);

  TeardownBoard(g_board);
  EXPECT_EQ(before, gdi::Live()) << "the background bitmap and everything else released";
  DeleteFileA(program_.Path("images\\depth.bmp").c_str());
  RemoveDirectoryA(program_.Path("images").c_str());
}

// Setup that cannot build the canvas, its depth buffer or a layer refuses the window
// cleanly: logged, nothing left behind.
TEST(RendererSetupTest, AFailedSetupIsLoggedAndLeavesNothing) {
  ProgramFolder program;
  program.Start();
  TestWindow window;
  struct Failure {
    const char* what;
    int gdi_creation;  // the counted creation that fails, or -1
    int pixel_allocation;
    DWORD code;
  };
  const Failure failures[] = {
      {"canvas", 0, -1, ERROR_FUNCTION_FAILED},
      {"depth buffer", -1, 2, ERROR_NOT_ENOUGH_MEMORY},
      {"CreateLayer", 5, -1, ERROR_FUNCTION_FAILED},
      {"CreateLayer", 6, -1, ERROR_FUNCTION_FAILED},
  };
  for (const Failure& f : failures) {
    const gdi::LiveCounts before = gdi::Live();
    gdi::FailCreation(f.gdi_creation);
    FailPixelAllocation(f.pixel_allocation);
    const DWORD code = SetupBoard(g_board, window.get());
    gdi::FailCreation(-1);
    FailPixelAllocation(-1);
    EXPECT_EQ(f.code, code) << f.what;
    EXPECT_EQ(nullptr, g_board.canvas) << f.what;
    EXPECT_EQ(nullptr, g_board.depth_buffer.get()) << f.what;
    EXPECT_EQ(before, gdi::Live()) << f.what;
  }
  const std::string log = program.Log();
  EXPECT_NE(std::string::npos, log.find("SetupBoard : *vornack error : .\\icg(443)")) << log;
  EXPECT_NE(std::string::npos, log.find("SetupBoard : depth buffer")) << log;
  EXPECT_NE(std::string::npos, log.find("SetupBoard : CreateLayer")) << log;
}

}  // namespace
}  // namespace board_test
