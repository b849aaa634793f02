// The canvas at 960 x 320 under Wine: each pixel transfer, the two ways of key-colour
// transparency, the software blend, DrawFrame of the board's layer set, and the frame
// thread's pace at 15 frames a second.
#include <windows.h>

#include <mmsystem.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/bench_timer_win.h"
#include "canvas/icg.h"
#include "canvas/pixel_kernels.h"
#include "canvas/transfer_win.h"

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 320;

HWND MakeWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ParalluxCanvasBench";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "bench", WS_POPUP, 0, 0, kWidth, kHeight,
                                nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

// The board's layer set: the stereogram copied, the text blended at 60, the guide marks
// over a key-colour field.
struct BoardLayers {
  explicit BoardLayers(CICG& canvas) {
    ICGLayer layer{};
    layer.source_rect = RECT{0, 0, kWidth, kHeight};
    layer.transparency = 60;
    layer.mode = icg_mode::kAlphaBlend;
    text = canvas.CreateLayer(layer);
    layer.mode = icg_mode::kTransparent;
    layer.key_color = canvas.GetKeyColor();
    guide = canvas.CreateLayer(layer);
    std::uint32_t state = 1;
    for (int i = 0; i < kWidth * kHeight; ++i) {
      state = state * 214013u + 2531011u;
      canvas.dst_buffer[i] = (state >> 8) & 0xFFFFFF;
    }
    canvas._set_dib_dst(1);
    for (int i = 0; i < kWidth * kHeight; ++i) {
      canvas.dst_buffer[i] =
          (i / kWidth > 60 && i / kWidth < 260 && (i % kWidth) % 150 < 90) ? 0xC8C8C8 : 0;
    }
    canvas._set_dib_dst(text);
    canvas.SelectLayer(guide);
    canvas.ClearCanvas();
    canvas.FillColorRect(RECT{435, 5, 443, 15}, 0);
    canvas.FillColorRect(RECT{516, 5, 524, 15}, 0);
  }
  std::int32_t text;
  std::int32_t guide;
};

struct PaceRecord {
  std::vector<std::uint32_t> intervals;
};

std::int32_t RecordInterval(CICG* canvas, std::uint32_t elapsed) {
  static_cast<PaceRecord*>(canvas->GetUserData())->intervals.push_back(elapsed);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 300;
  const int pace_seconds = argc > 2 ? std::atoi(argv[2]) : 10;
  HWND window = MakeWindow();
  CICG canvas(window);
  BoardLayers board(canvas);
  const ICGLayer& base = *canvas.FindLayer(1);
  const ICGLayer& guide = *canvas.FindLayer(board.guide);
  std::vector<std::uint32_t> pixels(kWidth * kHeight);

  std::printf("canvas %d x %d\n", canvas.width, canvas.height);
  Measure("GetDIBits (a layer into a buffer)", runs,
          [&] { ReadBitmapBits(canvas.window_dc, base.bitmap, kWidth, kHeight, pixels.data()); });
  Measure("SetDIBits (a buffer into a layer)", runs,
          [&] { WriteBitmapBits(canvas.window_dc, base.bitmap, kWidth, kHeight, pixels.data()); });
  Measure("_get_dib_src", runs, [&] { canvas._get_dib_src(1); });
  Measure("_set_dib_dst", runs, [&] { canvas._set_dib_dst(1); });
  canvas.SelectLayer(1);
  Measure("BitBlt layer -> composition", runs,
          [&] { BitBlt(canvas.compose_dc, 0, 0, kWidth, kHeight, canvas.draw_dc, 0, 0, SRCCOPY); });
  Measure("BitBlt composition -> window", runs, [&] {
    BitBlt(canvas.window_dc, 0, 0, kWidth, kHeight, canvas.compose_dc, 0, 0, SRCCOPY);
  });
  canvas.SelectLayer(board.guide);
  Measure("TransparentBlt guide layer -> composition", runs, [&] {
    TransparentBlt(canvas.compose_dc, 0, 0, kWidth, kHeight, canvas.draw_dc, 0, 0, kWidth, kHeight,
                   guide.key_color);
  });
  Measure("key copy on buffers (kernel only)", runs, [&] {
    kernels::KeyCopy(canvas.src_buffer, canvas.dst_buffer, pixels.size(),
                     kernels::PixelFromColor(guide.key_color));
  });
  Measure("alpha blend at 60 (kernel only)", runs, [&] {
    kernels::AlphaBlend(canvas.src_buffer, canvas.dst_buffer, kWidth,
                        kernels::Region{0, 0, kWidth, kHeight}, 0, 60);
  });

  canvas.SetKeyTransparency(CICG::KeyTransparency::kPixelBuffers);
  Measure("DrawFrame, board set, key copy on buffers", runs, [&] { canvas.DrawFrame(); });
  canvas.SetKeyTransparency(CICG::KeyTransparency::kTransparentBlt);
  Measure("DrawFrame, board set, TransparentBlt", runs, [&] { canvas.DrawFrame(); });
  canvas.SetKeyTransparency(CICG::KeyTransparency::kPixelBuffers);
  canvas.SetLayerMode(board.text, icg_mode::kHidden);
  canvas.SetLayerMode(board.guide, icg_mode::kHidden);
  Measure("DrawFrame, base layer only", runs, [&] { canvas.DrawFrame(); });
  Measure("CopyToClipboard", runs / 10, [&] { canvas.CopyToClipboard(); });

  // The frame thread at 15 frames a second, with the board's composition on each frame.
  canvas.SetLayerMode(board.text, icg_mode::kAlphaBlend);
  canvas.SetLayerMode(board.guide, icg_mode::kTransparent);
  PaceRecord record;
  record.intervals.reserve(static_cast<std::size_t>(pace_seconds) * 20);
  canvas.SetNoWait(false);
  canvas.StartFrameThread(&record, &RecordInterval, 15.0f);
  MSG message;
  const DWORD until = GetTickCount() + static_cast<DWORD>(pace_seconds) * 1000;
  while (GetTickCount() < until) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(50);
  }
  canvas.StopFrameThread();
  // The first interval counts from the start; the rest are the steady pace.
  double sum = 0;
  std::uint32_t worst = 0;
  for (std::size_t i = 1; i < record.intervals.size(); ++i) {
    sum += record.intervals[i];
    const std::uint32_t off =
        record.intervals[i] > 66 ? record.intervals[i] - 66 : 66 - record.intervals[i];
    worst = std::max(worst, off);
  }
  const std::size_t n = record.intervals.size() > 1 ? record.intervals.size() - 1 : 1;
  std::printf(
      "frame thread at 15 fps for %d s: %zu frames, mean interval %.2f ms, worst jitter %u ms\n",
      pace_seconds, record.intervals.size(), sum / static_cast<double>(n), worst);
  DestroyWindow(window);
  return 0;
}
