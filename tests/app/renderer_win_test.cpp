// The frame renderer on a real window, each frame drawn when the test says.
#include "app/renderer_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/app/board_fixture_win.h"

namespace board_test {
namespace {

std::vector<std::uint32_t> Frame(std::uint32_t elapsed_ms) {
  EXPECT_EQ(1, BoardFrame(g_board.canvas.get(), elapsed_ms));
  EXPECT_EQ(1, g_board.canvas->DrawFrame());
  return canvas_test::ReadComposition(*g_board.canvas);
}

TEST(RendererTest, FarPlaneTextAndBackgroundRepeatWithTheirPeriodsAndPauseFreezesAll) {
  ProgramFolder program;
  ASSERT_TRUE(CreateDirectoryA(program.Path("images").c_str(), nullptr));
  program.folder().Create("images\\depth.bmp", SquareBitmap());
  program.WriteSettings("[SETTINGS]\r\nBGI='images\\depth.bmp'\r\n");
  program.Start();
  canvas_test::TestWindow window;
  const gdi::LiveCounts before = gdi::Live();
  ASSERT_EQ(0u, SetupBoard(g_board, window.get()));
  g_board.canvas->StopFrameThread();
  ASSERT_NE(nullptr, g_board.background_bitmap);

  // Every dot repeats the one a local period to its left: 100 at the far plane, 81 at
  // the text's grey 200, 76 at the background's white. Fresh dots come only where the
  // depth falls, so where it cannot have fallen: a whole period into a run at the far
  // plane and the background, or inside a glyph (its smoothed edges are other greys).
  // The text starts again once an empty one has scrolled for 9.61 s; 5 s later it stands
  // at column 460, clear of the background, where the depth would fall into it.
  g_board.SetText("");
  Frame(20000);
  g_board.SetText("テキストを入力してください。");
  const std::vector<std::uint32_t> picture = Frame(5000);
  const std::uint32_t* depth = g_board.depth_buffer.get();
  struct Plane {
    std::uint32_t depth;
    int period, run, checked, wrong;
  } planes[] = {{0, 100, 100, 0, 0}, {0xC8C8C8, 81, 1, 0, 0}, {0xFFFFFF, 76, 76, 0, 0}};
  int run = 0;  // where the current run of one depth began
  for (int i = 0; i < 960 * 320; ++i) {
    const std::uint32_t d = depth[i] & 0xFFFFFF;
    if (i % 960 == 0 || d != (depth[i - 1] & 0xFFFFFF)) run = i;
    for (Plane& p : planes) {
      if (d != p.depth || i - run < p.run || i % 960 < p.period) continue;
      ++p.checked;
      p.wrong += picture[i] != picture[i - p.period];
    }
  }
  for (const Plane& p : planes) {
    EXPECT_GT(p.checked, 5000) << "depth " << std::hex << p.depth;
    EXPECT_EQ(0, p.wrong) << "dots at depth " << std::hex << p.depth << " that do not repeat";
  }

  const std::uint32_t clock = ScrollClock();
  g_board.paused = true;
  EXPECT_EQ(picture, Frame(66));
  EXPECT_EQ(clock, ScrollClock());
  g_board.paused = false;
  EXPECT_NE(picture, Frame(66)) << "new dots after resuming";
  EXPECT_EQ(clock + 66, ScrollClock());

  TeardownBoard(g_board);
  EXPECT_EQ(before, gdi::Live()) << "the background bitmap and everything else released";
  DeleteFileA(program.Path("images\\depth.bmp").c_str());
  RemoveDirectoryA(program.Path("images").c_str());
}

}  // namespace
}  // namespace board_test
