// The board's own frames against parallux-still's for the same seed and time: the text
// drawn, placed and hidden in the dots alike, bit for bit.
#include <gtest/gtest.h>

#include <vector>

#include "app/renderer_win.h"
#include "render/still_frame.h"
#include "stereogram/text_placement.h"
#include "tests/app/board_fixture_win.h"
#include "text/text_mask.h"

namespace board_test {
namespace {

TEST(BoardTextTest, TheBoardsFirstThreeSecondsAreTheStillsFramesAt15ASecond) {
  ProgramFolder program;
  RunningBoard board;
  // The frames are drawn here, each 66 ms after the one before, as a punctual frame
  // thread would draw them.
  g_board.canvas->StopFrameThread();
  g_board.SetText("テキストを入力してください。");
  CICG& canvas = *g_board.canvas;
  ASSERT_EQ(960, canvas.width);
  ASSERT_EQ(320, canvas.height);

  TextMask mask;
  std::string error;
  ASSERT_TRUE(DrawTextMask("テキストを入力してください。", 200, "", &mask, &error)) << error;
  std::vector<uint8_t> black(960 * 320 * 3, 0);
  std::vector<uint8_t> still_pixels(960 * 320 * 3);
  std::vector<uint32_t> text(960 * 320);
  std::vector<uint32_t> row(960);
  const RgbView out{960, 320, still_pixels.data()};
  StillFrame still;
  still.params = g_board.Snapshot().params;
  still.seed = 12345;
  still.text = text.data();
  RestartFrames(still.seed);
  for (uint32_t k = 1; k <= 45; ++k) {
    ASSERT_EQ(1, BoardFrame(&canvas, 66));
    FillTextImage(mask, PlaceText(66 * k, 960, 320, mask.width, mask.height), 960, 320,
                  text.data());
    still.seed = RenderStill({{960, 320, black.data()}}, still, out);
    int differ = 0;
    for (int32_t r = 0; r < 320; ++r) {
      ReadBufferRow(out, r, row.data());
      for (int32_t x = 0; x < 960; ++x)
        differ += row[x] != (canvas.dst_buffer[r * 960 + x] & 0xFFFFFF);
    }
    ASSERT_EQ(0, differ) << "frame " << k << " at clock " << ScrollClock();
  }
  EXPECT_EQ(66u * 45, ScrollClock());
}

}  // namespace
}  // namespace board_test
