// The frame thread: calls the application's frame callback and DrawFrame once per frame
// period, with the multimedia timer at 1 ms resolution for its lifetime.
#include <windows.h>

#include <mmsystem.h>

#include <exception>
#include <stdexcept>

#include "canvas/icg.h"
#include "canvas/pacing.h"
#include "support/log_manager.h"

namespace {

// Keeps a second start from running while one is in progress (any canvas).
std::atomic<bool> g_start_guard{false};
// Passes that found no frame due, across all frame threads.
std::atomic<std::int32_t> g_early_wakes{0};

constexpr DWORD kStopWaitMs = 1000;
constexpr int kStopWaits = 4;

void PumpThreadMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

class FrameThreadHooks final : public pacing::FrameLoopHooks {
 public:
  explicit FrameThreadHooks(CICG& canvas) : canvas_(canvas) {}

  bool Running() override { return canvas_.running.load(); }
  bool NoWait() override { return canvas_.no_wait.load(); }
  void PumpMessages() override { PumpThreadMessages(); }
  std::uint32_t Now() override { return timeGetTime(); }
  void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
  bool Frame(std::uint32_t interval) override {
    if (canvas_.frame_callback == nullptr) return true;
    if (canvas_.frame_callback(&canvas_, interval) == 0) return false;
    return canvas_.DrawFrame() != 0;
  }

 private:
  CICG& canvas_;
};

void LogEscapedException(const char* what) {
  TheLog().Print(4, "CGWin::DrawThread : frame ended by an exception : %s", what);
}

}  // namespace

DWORD CICG::StartFrameThread(void* data, ICGFrameCallback callback, float rate) {
  bool idle = false;
  if (!g_start_guard.compare_exchange_strong(idle, true)) return 0;
  // One thread per canvas: a second one would draw on the same DCs and outlive the
  // canvas. A thread that has ended by itself is forgotten first.
  if (thread_handle != nullptr) {
    // A thread that cleared the running flag is past its last frame and about to return.
    if (running.load() || WaitForSingleObject(thread_handle, kStopWaitMs) != WAIT_OBJECT_0) {
      g_start_guard.store(false);
      return ERROR_BUSY;
    }
    CloseHandle(thread_handle);
    thread_handle = nullptr;
  }
  user_data = data;
  frame_callback = callback;
  pacing::StartPacing(pacing, timeGetTime(), rate);
  running.store(true);

  thread_handle = CreateThread(nullptr, 0, &CICG::DrawThread, this, 0, &thread_id);
  if (thread_handle == nullptr) {
    const DWORD code = GetLastError();
    TheLog().LogSystemError(4, kIcgSourceFile, 3635, code);
    g_start_guard.store(false);
    return code;
  }
  g_start_guard.store(false);
  return 0;
}

DWORD WINAPI CICG::DrawThread(LPVOID pData) {
  if (pData == nullptr) {
    TheLog().Print(4, "CGWin::DrawThread : pData is NULL");
    return 0xFFFFFFFF;
  }
  CICG& canvas = *static_cast<CICG*>(pData);
  if (timeBeginPeriod(1) != TIMERR_NOERROR) return 0;
  canvas.timer_raised.store(true);

  // An exception from the callback or the composition ends this thread in order (the
  // picture stays as it was) instead of the whole process.
  try {
    FrameThreadHooks hooks(canvas);
    pacing::RunFrameLoop(canvas.pacing, g_early_wakes, hooks);
  } catch (const std::exception& error) {
    LogEscapedException(error.what());
  } catch (const char* text) {
    LogEscapedException(text != nullptr ? text : "");
  } catch (...) {
    LogEscapedException("unknown");
  }

  if (canvas.timer_raised.exchange(false)) timeEndPeriod(1);
  canvas.running.store(false);
  return 0;
}

void CICG::StopFrameThread() {
  if (thread_handle == nullptr) return;
  running.store(false);
  PumpThreadMessages();

  for (int timeouts = 0; WaitForSingleObject(thread_handle, kStopWaitMs) == WAIT_TIMEOUT;) {
    TheLog().Print(3, "WaitForSingleObject timeout");
    PumpThreadMessages();
    if (++timeouts < kStopWaits) continue;

    // The thread does not end. End it (not the process, so that the owner can still save
    // what it must), and release nothing before it is gone.
    TheLog().Print(3, "TerminateProcess");
    if (TerminateThread(thread_handle, 1)) {
      WaitForSingleObject(thread_handle, INFINITE);
    } else {
      // A thread that cannot be ended would touch the canvas after its release: the
      // process must end instead.
      TheLog().LogSystemError(4, kIcgSourceFile, 3782, GetLastError());
      TerminateProcess(GetCurrentProcess(), 1);
    }
    // A thread ended by force never lowered the timer resolution it raised.
    if (timer_raised.exchange(false)) timeEndPeriod(1);
    running.store(false);
    break;
  }

  if (!CloseHandle(thread_handle)) {
    TheLog().LogSystemError(4, kIcgSourceFile, 3789, GetLastError());
  }
  thread_handle = nullptr;
}
