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

// Passes that found no frame due, across all frame threads.
std::atomic<std::int32_t> g_early_wakes{0};
// The error the next thread creation fails with (0: none).
std::atomic<DWORD> g_failed_creation{0};

constexpr DWORD kStopWaitMs = 1000;
constexpr int kStopWaits = 4;

class FrameThreadHooks final : public pacing::FrameLoopHooks {
 public:
  FrameThreadHooks(CICG& canvas, HANDLE stop_event) : canvas_(canvas), stop_(stop_event) {}

  bool Running() override { return canvas_.running.load(); }
  bool NoWait() override { return canvas_.no_wait.load(); }
  // The frame thread's own queue (it owns no window): nothing here re-enters the owner.
  void PumpMessages() override {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  std::uint32_t Now() override { return timeGetTime(); }
  void Sleep(std::uint32_t milliseconds) override {
    // A wait of 0 would not give the processor up, as the yield between frames must.
    if (milliseconds == 0) {
      ::Sleep(0);
    } else {
      WaitForSingleObject(stop_, milliseconds);
    }
  }
  bool Frame(std::uint32_t interval) override {
    if (canvas_.frame_callback == nullptr) return true;
    if (canvas_.frame_callback(&canvas_, interval) == 0) return false;
    return canvas_.DrawFrame() != 0;
  }

 private:
  CICG& canvas_;
  HANDLE stop_;
};

void LogEscapedException(const char* what) {
  TheLog().Print(4, "CGWin::DrawThread : frame ended by an exception : %s", what);
}

DWORD LogStartFailure() {
  const DWORD code = GetLastError();
  TheLog().LogSystemError(4, kIcgSourceFile, 3635, code);
  return code;
}

}  // namespace

void CICG::FailThreadCreation(DWORD error) { g_failed_creation.store(error); }

DWORD CICG::StartFrameThread(void* data, ICGFrameCallback callback, float rate) {
  bool idle = false;
  if (!starting.compare_exchange_strong(idle, true)) return ERROR_BUSY;
  const DWORD result = StartWorker(data, callback, rate);
  starting.store(false);
  return result;
}

DWORD CICG::StartWorker(void* data, ICGFrameCallback callback, float rate) {
  // One thread per canvas: a second one would draw on the same DCs and outlive the
  // canvas. A thread that has ended by itself is forgotten first.
  if (thread_handle.valid()) {
    // A thread that cleared the running flag is past its last frame and about to return.
    if (running.load() || WaitForSingleObject(thread_handle.get(), kStopWaitMs) != WAIT_OBJECT_0) {
      return ERROR_BUSY;
    }
    thread_handle.Close(nullptr);
  }
  if (!stop_event.valid()) {
    stop_event.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stop_event.valid()) return LogStartFailure();
  }
  ResetEvent(stop_event.get());

  user_data = data;
  frame_callback = callback;
  pacing::StartPacing(pacing, timeGetTime(), rate);
  // Set before the thread exists, which reads it on its first pass.
  running.store(true);
  HANDLE thread = nullptr;
  if (const DWORD injected = g_failed_creation.exchange(0); injected != 0) {
    SetLastError(injected);
  } else {
    thread = CreateThread(nullptr, 0, &CICG::DrawThread, this, 0, &thread_id);
  }
  if (thread == nullptr) {
    const DWORD code = LogStartFailure();
    running.store(false);
    return code;
  }
  thread_handle.reset(thread);
  return 0;
}

DWORD WINAPI CICG::DrawThread(LPVOID pData) {
  if (pData == nullptr) {
    TheLog().Print(4, "CGWin::DrawThread : pData is NULL");
    return 0xFFFFFFFF;
  }
  CICG& canvas = *static_cast<CICG*>(pData);
  if (timeBeginPeriod(1) != TIMERR_NOERROR) {
    canvas.running.store(false);
    return 0;
  }
  canvas.timer_raised.store(true);

  // An exception from the callback or the composition ends this thread in order (the
  // picture stays as it was) instead of the whole process.
  try {
    FrameThreadHooks hooks(canvas, canvas.stop_event.get());
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
  if (!thread_handle.valid()) return;
  running.store(false);
  SetEvent(stop_event.get());

  // The wait dispatches no messages: the owner stops the thread from its window
  // procedure (WM_DESTROY), which a dispatch here would run again inside itself, and the
  // frame thread needs nothing from the owner's thread to end.
  for (int timeouts = 0; WaitForSingleObject(thread_handle.get(), kStopWaitMs) == WAIT_TIMEOUT;) {
    TheLog().Print(3, "WaitForSingleObject timeout");
    if (++timeouts < kStopWaits) continue;

    // The thread does not end. End it (not the process, so that the owner can still save
    // what it must), and release nothing before it is gone.
    TheLog().Print(3, "TerminateThread");
    if (TerminateThread(thread_handle.get(), 1)) {
      WaitForSingleObject(thread_handle.get(), INFINITE);
    } else {
      // A thread that cannot be ended would touch the canvas after its release: the
      // process must end instead.
      TheLog().LogSystemError(4, kIcgSourceFile, 3782, GetLastError());
      TerminateProcess(GetCurrentProcess(), 1);
    }
    // A thread ended by force never lowered the timer resolution it raised.
    if (timer_raised.exchange(false)) timeEndPeriod(1);
    break;
  }

  if (!thread_handle.Close(nullptr)) {
    TheLog().LogSystemError(4, kIcgSourceFile, 3789, GetLastError());
  }
}
