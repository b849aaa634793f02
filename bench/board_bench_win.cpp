// One whole frame of the board (BoardFrame and DrawFrame) at 960 x 320 with both views
// on, without a background picture and with a 960 x 320 depth scene behind the text,
// then the board running at 15 frames a second: the frame intervals it achieves and
// the processor time it takes.
//
// board_bench [runs] [seconds]: runs of each measure (300), seconds of running (60).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/renderer_win.h"
#include "bench/bench_timer_win.h"
#include "canvas/transfer_win.h"
#include "tests/stereogram/depth_pictures.h"

namespace {

std::vector<std::uint32_t> g_intervals;

std::int32_t RecordedFrame(CICG* canvas, std::uint32_t elapsed) {
  g_intervals.push_back(elapsed);
  return BoardFrame(canvas, elapsed);
}

double Seconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 1e7;
}

double ProcessorSeconds() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  return Seconds(kernel) + Seconds(user);
}

// A depth scene of ramps, steps and discs as a 32-bit bitmap file.
bool WriteBackground(const char* path, int width, int height) {
  std::vector<std::uint32_t> depth(static_cast<std::size_t>(width) * height);
  std::vector<std::uint32_t> text(depth.size());
  depth_pictures::Make(depth_pictures::Kind::kScene, width, height, depth.data(), text.data());
  BITMAPINFO info = PixelBufferInfo(width, height);
  BITMAPFILEHEADER head{};
  head.bfType = 0x4D42;
  head.bfOffBits = sizeof head + sizeof info.bmiHeader;
  head.bfSize = static_cast<DWORD>(head.bfOffBits + depth.size() * 4);
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(&head, sizeof head, 1, file) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
                 std::fwrite(depth.data(), 4, depth.size(), file) == depth.size();
  return std::fclose(file) == 0 && written;
}

// The three measures for one set-up of the board; false if it could not be set up, or
// not with the background picture it names.
bool MeasureFrames(HWND window, const char* label, int runs) {
  if (SetupBoard(g_board, window) != 0) return false;
  if (g_board.background_path[0] != '\0' && g_board.background_bitmap == nullptr) {
    TeardownBoard(g_board);
    return false;
  }
  CICG& canvas = *g_board.canvas;
  canvas.StopFrameThread();
  ShowText(g_board, true);
  ShowGuide(g_board, true);
  const std::string prefix = std::string(label) + ": ";
  Measure((prefix + "BoardFrame").c_str(), runs, [&] { BoardFrame(&canvas, 66); });
  Measure((prefix + "DrawFrame").c_str(), runs, [&] { canvas.DrawFrame(); });
  Measure((prefix + "whole frame").c_str(), runs, [&] {
    BoardFrame(&canvas, 66);
    canvas.DrawFrame();
  });
  TeardownBoard(g_board);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 300;
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;

  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ParalluxBoardBench";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "bench", WS_POPUP, 0, 0, 960, 320, nullptr,
                                nullptr, wc.hInstance, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);

  g_board.SetText("テキストを入力してください。");
  char background[MAX_PATH];
  GetTempPathA(MAX_PATH, background);
  std::strncat(background, "parallux_bench_depth.bmp", MAX_PATH - std::strlen(background) - 1);
  if (!WriteBackground(background, 960, 320) || !MeasureFrames(window, "no background", runs)) {
    std::printf("the board could not be set up\n");
    return 1;
  }
  std::strcpy(g_board.background_path, background);
  const bool measured = MeasureFrames(window, "960 x 320 background", runs);
  DeleteFileA(background);
  if (!measured) {
    std::printf("the board could not be set up with a background picture\n");
    return 1;
  }

  // Running, as the program runs: without a background picture.
  g_board.background_path[0] = '\0';
  if (SetupBoard(g_board, window) != 0) {
    std::printf("the board could not be set up\n");
    return 1;
  }
  CICG& canvas = *g_board.canvas;
  ShowText(g_board, true);
  ShowGuide(g_board, true);
  canvas.StopFrameThread();
  g_intervals.reserve(static_cast<std::size_t>(seconds) * 20);
  canvas.SetNoWait(false);
  const double cpu_before = ProcessorSeconds();
  const DWORD start = GetTickCount();
  canvas.StartFrameThread(&g_board, &RecordedFrame, 15.0f);
  MSG message;
  while (GetTickCount() - start < static_cast<DWORD>(seconds) * 1000) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(20);
  }
  canvas.StopFrameThread();
  const double wall = (GetTickCount() - start) / 1000.0;
  const double cpu = ProcessorSeconds() - cpu_before;

  double sum = 0;
  std::uint32_t longest = 0;
  std::uint32_t shortest = 0xFFFFFFFF;
  for (std::size_t i = 1; i < g_intervals.size(); ++i) {
    sum += g_intervals[i];
    longest = std::max(longest, g_intervals[i]);
    shortest = std::min(shortest, g_intervals[i]);
  }
  const double n = g_intervals.size() > 1 ? static_cast<double>(g_intervals.size() - 1) : 1.0;
  std::printf(
      "running %.1f s at 15 fps: %zu frames, interval mean %.2f ms, shortest %u ms, longest %u "
      "ms\n",
      wall, g_intervals.size(), sum / n, shortest, longest);
  std::printf("processor time %.2f s in %.1f s: %.1f %% of one core\n", cpu, wall,
              100.0 * cpu / wall);
  TeardownBoard(g_board);
  DestroyWindow(window);
  return 0;
}
