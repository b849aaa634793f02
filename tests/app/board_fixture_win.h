// What the board's tests share: the Board state put back to its start, a program folder
// of the test's own (the settings code is told the executable lives there, and the log
// is written there), and the running program played by a user on this thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/board_state_win.h"
#include "app/board_window_win.h"
#include "app/settings_win.h"
#include "tests/canvas/canvas_fixture_win.h"

namespace board_test {

using canvas_test::WaitFor;

// The executable path the settings code is given instead of this process's own.
inline std::string& FakeModule() {
  static std::string path;
  return path;
}

// GetModuleFileNameA's contract: the path and its length, or, when the buffer is too
// small, as much as fits (terminated) and the buffer's size.
inline DWORD FakeModulePath(char* buffer, DWORD size) {
  lstrcpynA(buffer, FakeModule().c_str(), static_cast<int>(size));
  if (FakeModule().size() < size) return static_cast<DWORD>(FakeModule().size());
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

// The settings as static construction leaves them.
inline void ResetBoard(BoardState& b) {
  b.show_text = b.show_guide = b.paused = b.reverse = false;
  b.background_file[0] = b.background_path[0] = '\0';
  b.parallax_width = 100;
  b.text_depth = 200;
  b.dot_mode = 1;
  b.SetText("");
}

// A shown dialog or message box of this process owned by `owner` (any caption when
// null), waited for; null when none came.
inline HWND OwnedDialog(HWND owner, const char* caption, DWORD timeout_ms = 5000) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (found = FindWindowExA(nullptr, nullptr, "#32770", caption); found != nullptr;
             found = FindWindowExA(nullptr, found, "#32770", caption)) {
          if (GetWindow(found, GW_OWNER) == owner && IsWindowVisible(found)) return true;
        }
        return false;
      },
      timeout_ms);
  return found;
}

// Presses a button as a click does, without waiting for what the press starts.
inline void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

class ProgramFolder : public canvas_test::LogCapture {
 public:
  ProgramFolder() : LogCapture("Parallux") {
    ResetBoard(g_board);
    FakeModule() = Path("Parallux.exe");
  }
  ~ProgramFolder() { ResetBoard(g_board); }

  std::string Path(const std::string& name) const { return folder().path() + name; }
  void WriteSettings(const std::string& content) const { folder().Create("Parallux.ini", content); }
  // The settings part of the program's start, with this folder as the program's.
  void Start() const { StartSettings(g_board, &FakeModulePath); }
};

// The program on a thread of its own, as its first thread runs it; the caller plays
// the user through the main window.
class RunningBoard {
 public:
  RunningBoard()
      : thread_([this] {
          exit_code_ = RunBoard(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE, &FakeModulePath);
          // A quit message left behind would end the next message loop of this thread.
          MSG quit;
          quit_left_ = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
          ended_ = true;
        }) {
    WaitFor([&] { return ended_ || (window_ = FindWindowA("PARALLUX", "Parallux")) != nullptr; },
            20000);
    SendMessageA(window_, WM_NULL, 0, 0);  // returns once the window's creation is over
  }
  ~RunningBoard() { Close(); }

  HWND window() const { return window_; }
  // Whether the program has ended, and then whether it left a quit message behind.
  bool ended() const { return ended_; }
  bool quit_left() const { return quit_left_; }
  // A command that has taken effect when this returns.
  void Send(WORD command) const { SendMessageA(window_, WM_COMMAND, command, 0); }
  // A command that opens a modal dialog is posted, and the dialog waited for.
  HWND Open(WORD command, const char* caption) const {
    PostMessageA(window_, WM_COMMAND, command, 0);
    return OwnedDialog(window_, caption);
  }
  // Closes the main window as the user would; the program's exit code.
  int Close() {
    if (thread_.joinable()) {
      if (window_ != nullptr) PostMessageA(window_, WM_CLOSE, 0, 0);
      thread_.join();
    }
    return exit_code_;
  }

 private:
  HWND window_ = nullptr;
  int exit_code_ = -1;
  bool quit_left_ = false;
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

// A black bitmap file whose header states `width` x `height` (negative: rows top-down) at
// `bits` per pixel, holding `rows` rows of pixels.
inline std::string BlackBitmap(int bits, int width, int height, int rows) {
  const int colours = bits <= 8 ? 1 << bits : 0;
  const int stride = (width * bits + 31) / 32 * 4;
  const DWORD offset = 54 + colours * 4;
  const BITMAPFILEHEADER file{0x4D42, offset + stride * std::abs(height), 0, 0, offset};
  const BITMAPINFOHEADER info{sizeof info, width, height, 1, static_cast<WORD>(bits), BI_RGB, 0,
                              0,           0,     0,      0};
  return std::string(reinterpret_cast<const char*>(&file), 14) +
         std::string(reinterpret_cast<const char*>(&info), 40) +
         std::string(colours * 4 + stride * rows, '\0');
}

}  // namespace board_test
