// A soak of the running board: the program's window, menu commands and dialogs in this
// process, its frame thread driven far faster than the 15 frames a second it ships
// with, for as long as asked (board_soak [--seconds N]). The views and the pause are
// switched, the picture is copied, the options are changed and the dialogs are opened
// and closed over and over, while the GDI objects and DCs the program holds, its memory
// and its handles are sampled. It fails when any of them grows once the run has warmed
// up.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "app/renderer_win.h"
#include "app/resource.h"
#include "canvas/gdi_win.h"
#include "tests/app/board_fixture_win.h"

namespace board_test {
namespace {

int g_seconds = 20;

// GDI objects and DCs are counted exactly and must not move at all after the warm-up.
// Memory may move a little without any leak: the heap keeps freed blocks of its own,
// Wine fills caches lazily (fonts, dialog templates, clipboard formats). 2 MB is above
// what the long runs show for that, and far below what a leak in anything the run
// repeats leaves: 100 bytes a frame add 7 MB in ten minutes at 125 frames a second, a
// lost copy of the 1.2 MB picture passes it at the second copy, a lost handle a
// dialog passes 16 handles within a minute. A short run catches only the gross leaks.
constexpr std::int64_t kMemoryTolerance = 2 * 1024 * 1024;
constexpr std::int64_t kHandleTolerance = 16;

// Wine answers PrivateUsage and GetProcessHandleCount with 0, so the soak counts for
// itself: the committed private pages of the address space (what Windows calls
// private bytes), and the handles it has open.
std::int64_t CommittedPrivateBytes() {
  std::int64_t total = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;  // the top of the address space
    at = next;
  }
  return total;
}

// The handles this process has open among the first 4096 values: Wine hands out the
// lowest free value, so a leak shows there long before it passes them.
std::int64_t OpenHandles() {
  std::int64_t count = 0;
  DWORD flags = 0;
  for (ULONG_PTR value = 4; value < 0x4000; value += 4)
    count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
  return count;
}

struct Sample {
  DWORD at_ms;
  gdi::LiveCounts live;
  std::int64_t memory, handles;
};

// The middle value of `quarter` samples from `from` on.
std::int64_t Median(const Sample* from, std::size_t quarter, std::int64_t Sample::*field) {
  std::vector<std::int64_t> values(quarter);
  for (std::size_t i = 0; i < quarter; ++i) values[i] = from[i].*field;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

TEST(BoardSoak, NothingGrowsWhileAUserWorksTheBoardAt120FramesASecond) {
  ProgramFolder program;
  RunningBoard board;
  ASSERT_NE(nullptr, g_board.canvas);
  g_board.canvas->StopFrameThread();
  g_board.canvas->SetNoWait(false);
  ASSERT_EQ(0u, g_board.canvas->StartFrameThread(&g_board, &BoardFrame, 120.0f));
  const DWORD start = GetTickCount();
  const DWORD run_ms = g_seconds * 1000;
  // The first quarter of the run (at most 30 s) warms up: caches fill, the heap grows
  // to its working size.
  const DWORD warm_up_ms = std::min<DWORD>(run_ms / 4, 30000);
  const DWORD sample_ms = std::clamp(g_seconds / 10, 1, 5) * 1000;
  const WORD kActions[] = {IDM_VIEW_TEXT, IDM_VIEW_GUIDE, IDM_COPY,  IDM_PAUSE, IDM_OPTIONS,
                           IDM_VIEW_TEXT, IDM_COPY,       IDM_ABOUT, IDM_PAUSE, IDM_TEXT_INPUT};
  std::vector<Sample> samples;
  for (unsigned step = 0;; ++step) {
    const DWORD now = GetTickCount() - start;
    if (now >= samples.size() * sample_ms || now >= run_ms) {
      // Sampled paused: a frame in progress holds its font and brushes for a moment,
      // a paused frame holds nothing, so the counts are exact.
      const bool paused = g_board.paused;
      if (!paused) board.Send(IDM_PAUSE);
      const std::uint32_t frames = g_board.canvas->pacing.frame_count;
      ASSERT_TRUE(WaitFor([&] { return g_board.canvas->pacing.frame_count >= frames + 2; }))
          << "no frames at " << now;
      const Sample& s =
          samples.emplace_back(Sample{now, gdi::Live(), CommittedPrivateBytes(), OpenHandles()});
      std::printf("%6.1f s %9u frames %4d GDI objects %3d DCs %8lld KB %5lld handles  width %d\n",
                  now / 1000.0, frames, s.live.objects, s.live.dcs,
                  static_cast<long long>(s.memory / 1024), static_cast<long long>(s.handles),
                  static_cast<int>(g_board.parallax_width));
      if (!paused) board.Send(IDM_PAUSE);
      if (now >= run_ms) break;
    }
    const WORD action = kActions[step % std::size(kActions)];
    if (action == IDM_OPTIONS || action == IDM_ABOUT || action == IDM_TEXT_INPUT) {
      HWND dialog = board.Open(action, nullptr);
      // Every other options dialog changes the width, the depth and the dots.
      if (dialog != nullptr && action == IDM_OPTIONS && step / std::size(kActions) % 2 == 1) {
        SetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, std::to_string(60 + step % 400).c_str());
        SetDlgItemTextA(dialog, IDC_TEXT_DEPTH, std::to_string(step % 256).c_str());
        CheckRadioButton(dialog, IDC_GREY_DOTS, IDC_COLOUR_DOTS,
                         g_board.dot_mode == 1 ? IDC_COLOUR_DOTS : IDC_GREY_DOTS);
        Press(dialog, IDOK);
      } else if (dialog != nullptr) {
        Press(dialog, IDCANCEL);
      }
      EXPECT_TRUE(dialog != nullptr && WaitFor([&] { return !IsWindow(dialog); }))
          << "the dialog of command " << action << " did not open and close";
    } else {
      board.Send(action);
    }
    Sleep(20);
  }
  EXPECT_EQ(0, board.Close());
  EXPECT_EQ((gdi::LiveCounts{0, 0}), gdi::Live()) << "GDI objects or DCs outlived the window";
  EXPECT_EQ(std::vector<std::string>{}, program.Lines()) << "the program logged failures";

  // The first sample past the warm-up is the baseline. Memory and handles wobble from
  // sample to sample, so the median of the first quarter of the samples after it is set
  // against the median of the last quarter: a leak grows steadily, a wobble does not.
  const auto settled = std::find_if(samples.begin(), samples.end(),
                                    [&](const Sample& s) { return s.at_ms >= warm_up_ms; });
  ASSERT_GE(samples.end() - settled, 2) << "too few samples after the warm-up";
  for (auto s = settled; s != samples.end(); ++s) {
    ASSERT_EQ(settled->live, s->live) << "GDI objects and DCs grew by " << s->at_ms << " ms";
  }
  const std::size_t quarter = std::max<std::size_t>(1, (samples.end() - settled) / 4);
  const auto growth = [&](std::int64_t Sample::*field) {
    return Median(samples.data() + samples.size() - quarter, quarter, field) -
           Median(&*settled, quarter, field);
  };
  EXPECT_LE(growth(&Sample::memory), kMemoryTolerance) << "committed private memory grew";
  EXPECT_LE(growth(&Sample::handles), kHandleTolerance) << "handles grew";
}

}  // namespace
}  // namespace board_test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--seconds") == 0)
    board_test::g_seconds = std::atoi(argv[2]);
  return RUN_ALL_TESTS();
}
