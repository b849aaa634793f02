// Layer numbering and selection, pixel transfer, bitmap files and the clipboard copy.
#include <stdexcept>
#include <thread>

#include "tests/canvas/canvas_fixture_win.h"

namespace canvas_test {
namespace {

class LayerTest : public ::testing::Test {
 protected:
  TestWindow window_;
  CICG canvas_{window_.get()};
};

TEST_F(LayerTest, LayersAreNumberedFromTwoAndTheNewestIsCurrent) {
  EXPECT_EQ(nullptr, canvas_.FindLayer(0)) << "0 is never a layer number";
  EXPECT_EQ(2, canvas_.CreateLayer(Description(icg_mode::kAlphaBlend, 0, 60)));
  EXPECT_EQ(3, canvas_.CreateLayer(Description(icg_mode::kHidden, 0x00FF00FF)));
  EXPECT_EQ(3, canvas_.current_layer);
  EXPECT_EQ(canvas_.FindLayer(3)->bitmap, GetCurrentObject(canvas_.draw_dc, OBJ_BITMAP));
  EXPECT_EQ(1, canvas_.GetBaseLayer());

  // The description is copied whole, except the number and bitmap the canvas gives.
  const ICGLayer* text = canvas_.FindLayer(2);
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(icg_mode::kAlphaBlend, text->mode.load());
  EXPECT_EQ(60u, text->transparency);
  EXPECT_EQ(960, text->source_rect.right);
  EXPECT_NE(nullptr, text->bitmap);
  EXPECT_NE(canvas_.FindLayer(3)->bitmap, text->bitmap);

  EXPECT_EQ(nullptr, canvas_.FindLayer(4));
  EXPECT_EQ(0, canvas_.SetLayerMode(4, 2)) << "no layer 4";
  EXPECT_EQ(0, canvas_.SelectLayer(4));
  EXPECT_EQ(3, canvas_.current_layer) << "a failed selection changes nothing";
  EXPECT_EQ(0, canvas_.SetLayerMode(2, 0)) << "mode 0 also answers 0";
  EXPECT_EQ(icg_mode::kHidden, text->mode.load());
  EXPECT_EQ(5, canvas_.SetLayerMode(2, 5));
  EXPECT_EQ(5, text->mode.load());
}

TEST_F(LayerTest, AFailedLayerTakesNoNumber) {
  ASSERT_EQ(2, canvas_.CreateLayer(ICGLayer{}));
  const gdi::LiveCounts before = gdi::Live();
  gdi::FailCreation(0);
  EXPECT_EQ(0, canvas_.CreateLayer(ICGLayer{}));
  gdi::FailCreation(-1);
  EXPECT_EQ(before, gdi::Live());
  EXPECT_EQ(2u, canvas_.layers.size());
  EXPECT_EQ(2, canvas_.current_layer);
  EXPECT_EQ(2, canvas_.layer_counter);
  EXPECT_EQ(3, canvas_.CreateLayer(ICGLayer{})) << "the next layer still gets the next number";
}

TEST_F(LayerTest, DrawingGoesOnlyToTheSelectedLayer) {
  ASSERT_EQ(2, canvas_.CreateLayer(ICGLayer{}));
  FillLayer(canvas_, 1, 0x00101010);
  FillLayer(canvas_, 2, 0x00202020);
  ASSERT_EQ(1, canvas_.SelectLayer(1));
  ASSERT_EQ(2, canvas_.SelectLayer(2));
  ASSERT_NE(0, canvas_.FillCanvas(RGB(0, 0, 255)));
  EXPECT_EQ(0x000000FFu, ReadLayer(canvas_, 2)[1234]) << "layer 2 was filled";
  EXPECT_EQ(0x00101010u, ReadLayer(canvas_, 1)[1234]) << "layer 1 was not";
}

TEST_F(LayerTest, TransfersRoundTripKeepRowOrderAndLeaveTheCurrentLayer) {
  const std::size_t count = 960u * 320u;
  for (std::size_t i = 0; i < count; ++i) {
    canvas_.dst_buffer[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0x00FFFFFF;
  }
  canvas_.dst_buffer[0] = 0x00FF0000;             // bottom-left: pure red
  ASSERT_EQ(2, canvas_.CreateLayer(ICGLayer{}));  // layer 1 is no longer current
  const HGDIOBJ current = GetCurrentObject(canvas_.draw_dc, OBJ_BITMAP);
  ASSERT_EQ(1, canvas_._set_dib_dst(1));
  EXPECT_EQ(current, GetCurrentObject(canvas_.draw_dc, OBJ_BITMAP));
  std::vector<std::uint32_t> written(canvas_.dst_buffer, canvas_.dst_buffer + count);

  ASSERT_EQ(1, canvas_._get_dib_src(1));
  EXPECT_EQ(current, GetCurrentObject(canvas_.draw_dc, OBJ_BITMAP));
  std::size_t differing = 0;
  for (std::size_t i = 0; i < count; ++i) differing += canvas_.src_buffer[i] != written[i];
  EXPECT_EQ(0u, differing) << "pixels that did not survive the round trip";

  // Element 0 is the bottom-left pixel of the picture, as GDI sees it.
  ASSERT_EQ(1, canvas_.SelectLayer(1));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(canvas_.draw_dc, 0, 319));
  EXPECT_EQ(1, canvas_.current_layer);

  // Back through the source buffer: unchanged.
  std::copy(canvas_.src_buffer, canvas_.src_buffer + count, canvas_.dst_buffer);
  ASSERT_EQ(1, canvas_._set_dib_dst(1));
  EXPECT_EQ(written, ReadLayer(canvas_, 1));
}

TEST_F(LayerTest, ATransferOfAMissingLayerThrowsAndChangesNothing) {
  canvas_.src_buffer[7] = 0x123456;
  try {
    canvas_._get_dib_src(0);
    ADD_FAILURE() << "expected std::logic_error";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ("CICG::_get_dib_src : player_src is NULL", e.what());
  }
  EXPECT_EQ(0x123456u, canvas_.src_buffer[7]);
  try {
    canvas_._set_dib_dst(99);
    ADD_FAILURE() << "expected std::logic_error";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ("CICG::_set_dib_dst : player_dst is NULL", e.what());
  }
}

// A 24-bit bottom-up BMP file of `width` x `height` in one colour (blue, green, red).
std::string BmpFile(int width, int height, unsigned char b, unsigned char g, unsigned char r) {
  const int stride = (width * 3 + 3) & ~3;
  const int image = stride * height;
  std::string file(54 + image, '\0');
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, 54 + image);
  put32(10, 54);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  file[26] = 1;
  file[28] = 24;
  put32(34, image);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      file[54 + y * stride + x * 3] = static_cast<char>(b);
      file[54 + y * stride + x * 3 + 1] = static_cast<char>(g);
      file[54 + y * stride + x * 3 + 2] = static_cast<char>(r);
    }
  }
  return file;
}

TEST_F(LayerTest, BitmapFilesDrawAtTheirOwnSizeFromTheTopLeft) {
  TempFolder folder;
  folder.Create("small.bmp", BmpFile(100, 50, 0x30, 0x20, 0x10));
  folder.Create("large.bmp", BmpFile(1200, 400, 0x60, 0x50, 0x40));
  folder.Create("not.bmp", "this is not a bitmap");
  const gdi::LiveCounts before = gdi::Live();
  EXPECT_EQ(nullptr, CICG::LoadBitmapFile((folder.path() + "not.bmp").c_str()));
  EXPECT_EQ(nullptr, CICG::LoadBitmapFile((folder.path() + "missing.bmp").c_str()));
  HBITMAP small = CICG::LoadBitmapFile((folder.path() + "small.bmp").c_str());
  HBITMAP large = CICG::LoadBitmapFile((folder.path() + "large.bmp").c_str());
  ASSERT_NE(nullptr, small);
  ASSERT_NE(nullptr, large);

  FillLayer(canvas_, 1, 0x00777777);
  ASSERT_EQ(1, canvas_.DrawBitmap(small));
  std::vector<std::uint32_t> pixels = ReadLayer(canvas_, 1);
  EXPECT_EQ(0x00102030u, At(pixels, 960, 320, 0, 0));
  EXPECT_EQ(0x00102030u, At(pixels, 960, 320, 99, 49));
  EXPECT_EQ(0x00777777u, At(pixels, 960, 320, 100, 0)) << "right of the bitmap: unchanged";
  EXPECT_EQ(0x00777777u, At(pixels, 960, 320, 0, 50)) << "below the bitmap: unchanged";

  ASSERT_EQ(1, canvas_.DrawBitmap(large));
  pixels = ReadLayer(canvas_, 1);
  EXPECT_EQ(0x00405060u, At(pixels, 960, 320, 959, 319)) << "a larger bitmap covers all";
  EXPECT_EQ(canvas_.FindLayer(1)->bitmap, GetCurrentObject(canvas_.draw_dc, OBJ_BITMAP))
      << "drawing still goes to the current layer";
  EXPECT_EQ(0, canvas_.DrawBitmap(nullptr));

  gdi::DeleteObject(small);
  gdi::DeleteObject(large);
  EXPECT_EQ(before, gdi::Live());
}

std::vector<std::uint32_t> ClipboardPixels(int* width, int* height) {
  std::vector<std::uint32_t> pixels;
  for (int attempt = 0; attempt < 20 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  BITMAP info{};
  if (bitmap != nullptr && GetObjectA(bitmap, sizeof info, &info) != 0) {
    *width = info.bmWidth;
    *height = info.bmHeight;
    pixels = ReadBitmap(bitmap, info.bmWidth, info.bmHeight);
  }
  CloseClipboard();
  return pixels;
}

TEST_F(LayerTest, TheClipboardGetsTheComposedPictureAndTheCanvasLetsItGo) {
  FillLayer(canvas_, 1, 0x00336699);
  ASSERT_EQ(1, canvas_.DrawFrame());
  const gdi::LiveCounts before = gdi::Live();
  ASSERT_EQ(1, canvas_.CopyToClipboard());
  EXPECT_EQ(before, gdi::Live()) << "the copied bitmap belongs to the clipboard";
  int width = 0;
  int height = 0;
  const std::vector<std::uint32_t> copied = ClipboardPixels(&width, &height);
  EXPECT_EQ(960, width);
  EXPECT_EQ(320, height);
  EXPECT_EQ(ReadComposition(canvas_), copied);
}

TEST_F(LayerTest, ACopyWhileAnotherHoldsTheClipboardFailsAndLeavesNothing) {
  ASSERT_EQ(1, canvas_.DrawFrame());
  // Clipboard ownership is per thread: another thread holds it open.
  HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    OpenClipboard(nullptr);
    SetEvent(opened);
    WaitForSingleObject(release, 10000);
    CloseClipboard();
  });
  WaitForSingleObject(opened, 10000);
  const gdi::LiveCounts before = gdi::Live();
  const DWORD start = GetTickCount();
  EXPECT_EQ(0, canvas_.CopyToClipboard());
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(before, gdi::Live()) << "the bitmap made for the copy was deleted";
  EXPECT_LT(took, 1000u) << "the retry is short";
  SetEvent(release);
  holder.join();
  CloseHandle(opened);
  CloseHandle(release);
}

}  // namespace
}  // namespace canvas_test
