// Pixel transfer and the clipboard copy.
#include <stdexcept>
#include <thread>

#include "tests/canvas/canvas_fixture_win.h"

namespace canvas_test {
namespace {

// A bitmap's bits are read and set while no DC holds it; the current layer is selected
// back afterwards.
TEST(LayerTest, TransfersRoundTripInRowOrderAndLeaveTheCurrentLayerSelected) {
  TestWindow window;
  CICG canvas(window.get());
  ASSERT_EQ(2, canvas.CreateLayer(ICGLayer{}));
  const std::size_t count = static_cast<std::size_t>(kWidth) * kHeight;
  for (std::size_t i = 0; i < count; ++i)
    canvas.dst_buffer[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0x00FFFFFF;
  canvas.dst_buffer[0] = 0x00FF0000;  // the bottom-left pixel: pure red
  const std::vector<std::uint32_t> written(canvas.dst_buffer, canvas.dst_buffer + count);
  const HGDIOBJ current = GetCurrentObject(canvas.draw_dc, OBJ_BITMAP);
  for (std::int32_t layer : {1, 2}) {
    ASSERT_EQ(1, canvas._set_dib_dst(layer));
    EXPECT_EQ(written, ReadLayer(canvas, layer)) << "layer " << layer;
    EXPECT_EQ(current, GetCurrentObject(canvas.draw_dc, OBJ_BITMAP)) << "layer " << layer;
  }
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas.draw_dc, 0, kHeight - 1));
  EXPECT_THROW(canvas._set_dib_dst(3), std::logic_error) << "no layer 3";
}

// Another thread holds the clipboard open for a while.
TEST(LayerTest, TheClipboardGetsTheComposedPictureWithinTwoHundredMilliseconds) {
  TestWindow window;
  CICG canvas(window.get());
  FillLayer(canvas, 1, 0x00336699);
  ASSERT_EQ(1, canvas.DrawFrame());
  for (const DWORD held_ms : {0u, 60u, 2000u}) {
    std::thread holder = HoldClipboard(held_ms);
    const gdi::LiveCounts before = gdi::Live();
    const DWORD start = GetTickCount();
    EXPECT_EQ(held_ms < 200 ? 1 : 0, canvas.CopyToClipboard()) << "held for " << held_ms << " ms";
    EXPECT_LT(GetTickCount() - start, 1000u) << "the retry is short";
    EXPECT_EQ(before, gdi::Live())
        << "a copied bitmap belongs to the clipboard, a failed one is gone";
    holder.join();
  }
  ASSERT_TRUE(OpenClipboard(nullptr));
  HBITMAP copied = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  EXPECT_EQ(ReadComposition(canvas), ReadBitmap(copied, kWidth, kHeight));
  CloseClipboard();
}

}  // namespace
}  // namespace canvas_test
