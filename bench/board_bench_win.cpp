// One whole frame of the board (BoardFrame and DrawFrame) at 960 x 320 with both views
// on, then the board running at 15 frames a second: the frame intervals it achieves
// and the processor time it takes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/renderer_win.h"
#include "bench/bench_timer_win.h"

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
  if (SetupBoard(g_board, window) != 0) {
    std::printf("the board could not be set up\n");
    return 1;
  }
  CICG& canvas = *g_board.canvas;
  canvas.StopFrameThread();
  ShowText(g_board, true);
  ShowGuide(g_board, true);
  std::uint32_t clock = 0;
  Measure("BoardFrame, both views on", runs, [&] { BoardFrame(&canvas, 66); });
  Measure("DrawFrame of the board, both views on", runs, [&] { canvas.DrawFrame(); });
  Measure("whole frame (BoardFrame + DrawFrame)", runs, [&] {
    BoardFrame(&canvas, 66);
    canvas.DrawFrame();
    clock += 66;
  });

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
