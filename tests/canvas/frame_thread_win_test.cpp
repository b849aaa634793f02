// The frame thread on a real window: pacing, starts and stops, ends of every kind,
// clipboard copies taken while frames run, and the count of GDI objects over many canvases.
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "tests/canvas/canvas_fixture_win.h"

namespace canvas_test {
namespace {

// What a frame callback sees, shared with the test's thread.
struct FrameLog {
  std::atomic<int> frames{0};
  std::atomic<int> block_ms{0};   // how long the next callback blocks
  std::atomic<int> throw_at{-1};  // the frame (0-based) whose callback raises
};

std::int32_t RecordFrame(CICG* canvas, std::uint32_t) {
  auto* log = static_cast<FrameLog*>(canvas->GetUserData());
  const int frame = log->frames.fetch_add(1);
  if (const int ms = log->block_ms.exchange(0); ms > 0) Sleep(static_cast<DWORD>(ms));
  if (frame == log->throw_at.load()) canvas->_get_dib_src(0);
  return 1;
}

// Every layer uniform in a colour of its frame, so every whole frame is uniform.
std::int32_t PaintUniformFrame(CICG* canvas, std::uint32_t) {
  auto* log = static_cast<FrameLog*>(canvas->GetUserData());
  const std::uint32_t c =
      (static_cast<std::uint32_t>(log->frames.fetch_add(1)) * 0x00050301u) & 0x00FEFEFEu;
  FillLayer(*canvas, 1, c);
  FillLayer(*canvas, 2, c | 0x00010101u);  // never the key (black)
  return 1;
}

// A window and what its frame callbacks see, for every test.
class FrameThreadTest : public ::testing::Test {
 protected:
  TestWindow window_;
  FrameLog log_;
};

TEST_F(FrameThreadTest, FifteenFramesASecondArePacedAt66Milliseconds) {
  CICG canvas(window_.get());
  canvas.SetNoWait(false);
  ASSERT_EQ(0u, canvas.StartFrameThread(&log_, &RecordFrame, 15.0f));
  Sleep(2000);
  canvas.StopFrameThread();

  // About 30 frames in 2 s; the intervals the callbacks were given average one period
  // (whole milliseconds, so a little jitter either way).
  const std::uint32_t frames = canvas.pacing.frame_count;
  EXPECT_TRUE(frames >= 25 && frames <= 32) << frames << " frames in 2 s";
  EXPECT_NEAR(66.0, static_cast<double>(canvas.pacing.total_elapsed) / frames, 3.0)
      << "mean frame interval";
}

// Two starts at once on one canvas, each on a thread of its own: exactly one thread, and
// the start that lost says so (not 0, which means started).
TEST_F(FrameThreadTest, AStartWhileAnotherIsUnderwayOrAThreadRunsIsRefused) {
  for (int round = 0; round < 40; ++round) {
    CICG canvas(window_.get());
    std::atomic<bool> go{false};
    DWORD results[2] = {1, 1};
    const auto start = [&](int i) {
      while (!go.load()) Sleep(0);
      results[i] = canvas.StartFrameThread(&log_, &RecordFrame, 30.0f);
    };
    std::thread first(start, 0), second(start, 1);
    go = true;
    first.join();
    second.join();
    ASSERT_EQ(static_cast<DWORD>(ERROR_BUSY), results[0] + results[1])
        << "round " << round << ": " << results[0] << " and " << results[1];
    ASSERT_NE(nullptr, canvas.thread_handle.get());
    canvas.StopFrameThread();
  }
}

// A failed creation leaves the canvas idle; a thread that ended by itself (its callback
// raised; one that answers 0 ends the loop as the pacing tests show) is forgotten by the
// next start.
TEST_F(FrameThreadTest, AfterAFailedCreationOrAnEndTheCanvasStartsAgain) {
  LogCapture captured;
  CICG canvas(window_.get());
  CICG::FailThreadCreation(ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY),
            canvas.StartFrameThread(&log_, &RecordFrame, 60.0f));
  EXPECT_EQ(1, captured.Count(":3635] "));
  EXPECT_FALSE(canvas.running.load()) << "no thread runs";
  canvas.StopFrameThread();

  log_.throw_at = 2;
  ASSERT_EQ(0u, canvas.StartFrameThread(&log_, &RecordFrame, 60.0f));
  ASSERT_TRUE(WaitFor([&] { return !canvas.running.load(); })) << "the thread did not end";
  EXPECT_EQ(3, log_.frames.load());
  EXPECT_EQ(1, captured.Count("CICG::_get_dib_src : player_src is NULL"));
  ASSERT_EQ(0u, canvas.StartFrameThread(&log_, &RecordFrame, 60.0f));
}

// Stopping wakes the thread from its wait for the next frame, and leaves the owner's
// queue alone: the owner stops from its window procedure, which a dispatch would re-enter.
TEST_F(FrameThreadTest, AStopTakesNoMoreThanTheRestOfAFrameAndDispatchesNothing) {
  LogCapture captured;
  CICG canvas(window_.get());
  canvas.SetNoWait(false);
  ASSERT_EQ(0u, canvas.StartFrameThread(&log_, &RecordFrame, 0.5f));
  Sleep(200);
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP, 7, 0));
  const DWORD start = GetTickCount();
  canvas.StopFrameThread();
  EXPECT_LT(GetTickCount() - start, 300u) << "the thread slept out its 2 s period";
  EXPECT_EQ(0, captured.Count("WaitForSingleObject timeout"));
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_APP, WM_APP, PM_REMOVE))
      << "the stop dispatched the owner's messages";
}

TEST_F(FrameThreadTest, AThreadThatDoesNotEndIsEndedAfterFourWaitsAndTheProcessGoesOn) {
  LogCapture captured;
  const gdi::LiveCounts before = gdi::Live();
  {
    CICG canvas(window_.get());
    log_.block_ms = 10000;
    ASSERT_EQ(0u, canvas.StartFrameThread(&log_, &RecordFrame, 15.0f));
    ASSERT_TRUE(WaitFor([&] { return log_.frames.load() > 0; }));
    const DWORD start = GetTickCount();
    canvas.StopFrameThread();
    const DWORD took = GetTickCount() - start;
    EXPECT_TRUE(took >= 3900 && took < 6000) << took << " ms";
    EXPECT_EQ(1, log_.frames.load()) << "the blocked frame was the last";
  }
  EXPECT_EQ(before, gdi::Live()) << "the canvas was released after the thread was gone";
  // Plain messages at level WARN (no tag), naming the call made, and nothing else.
  EXPECT_EQ(4, captured.Count("WaitForSingleObject timeout"));
  EXPECT_EQ(1, captured.Count("TerminateThread"));
  EXPECT_EQ(5u, captured.Lines().size());
}

TEST_F(FrameThreadTest, EveryClipboardCopyTakenWhileFramesRunIsOneWholeFrame) {
  CICG canvas(window_.get());
  // The blended layer makes each composition read and rewrite the picture: a copy that
  // came in between would catch a picture half composed.
  ASSERT_EQ(2, canvas.CreateLayer(Description(icg_mode::kAlphaBlend, 0, 50)));
  canvas.SetNoWait(true);  // frames back to back
  ASSERT_EQ(0u, canvas.StartFrameThread(&log_, &PaintUniformFrame, 1000.0f));
  int copies = 0, torn = 0;
  for (int attempt = 0; attempt < 60; ++attempt) {
    Sleep(attempt % 7);
    if (canvas.CopyToClipboard() != 1) continue;
    ++copies;
    if (!OpenClipboard(nullptr)) continue;
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    const std::vector<std::uint32_t> pixels = ReadBitmap(bitmap, kWidth, kHeight);
    CloseClipboard();
    torn += std::any_of(pixels.begin(), pixels.end(), [&](auto p) { return p != pixels[0]; });
  }
  const int frames = log_.frames.load();
  canvas.StopFrameThread();
  EXPECT_GE(copies, 50);
  EXPECT_EQ(0, torn) << "copies that were not one frame";
  EXPECT_GT(frames, 60) << "frames must have run during the copies";
}

TEST_F(FrameThreadTest, AThousandCanvasesLeaveNoGdiObjectBehind) {
  // Warm up what the system keeps once per process (clipboard, fonts).
  {
    CICG canvas(window_.get());
    canvas.DrawFrame();
    canvas.CopyToClipboard();
  }
  const gdi::LiveCounts before = gdi::Live();
  for (int cycle = 0; cycle < 1000; ++cycle) {
    CICG canvas(window_.get());
    ASSERT_EQ(2, canvas.CreateLayer(Description(icg_mode::kAlphaBlend, 0, 60)));
    ASSERT_EQ(3, canvas.CreateLayer(Description(icg_mode::kTransparent, 0x00FF00FF)));
    // What the canvas is handed it owns: each selection deletes the object it replaces,
    // and each fill deletes its own brush.
    canvas.FillCanvas(RGB(cycle & 0xFF, 0, 0));
    canvas.FillColorRect(RECT{0, 0, 5, 5}, RGB(1, 1, 1));
    canvas.SetBrushColor(RGB(0, cycle & 0xFF, 0));
    canvas.SetBrushColor(RGB(0, 0, cycle & 0xFF));
    canvas.SelectGdiObject(gdi::CreatePen(PS_SOLID, 2, RGB(3, 0, 0)));
    canvas.SelectGdiObject(gdi::CreatePen(PS_SOLID, 2, RGB(4, 0, 0)));
    ASSERT_EQ(1, canvas.DrawFrame()) << "cycle " << cycle;
    ASSERT_EQ(1, canvas.CopyToClipboard()) << "cycle " << cycle;
  }
  EXPECT_EQ(before, gdi::Live());
}

}  // namespace
}  // namespace canvas_test
