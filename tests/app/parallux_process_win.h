// Parallux.exe as a user meets it: a copy of the program in a folder of its own, started
// as a process of its own, its main window and dialogs driven from outside, and what it
// shows read back through the clipboard.
//
// What crosses processes on Wine decides the means: commands go to the main window as
// WM_COMMAND (menus cannot be read from outside), dialog fields are read and written
// with WM_GETTEXT and WM_SETTEXT, buttons are pressed with posted WM_COMMANDs, and the
// picture comes back as the CF_BITMAP of the program's copy command.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace parallux_e2e {

// A picture, top line first: pixel (x, y) is red << 16 | green << 8 | blue.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A folder under the temporary folder, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Ends in "\\".
  const std::string& path() const { return path_; }
  ::testing::AssertionResult Write(const std::string& name, const std::string& bytes) const;
  // The file's bytes, or "<missing>" when it cannot be read.
  std::string Read(const std::string& name) const;
  ::testing::AssertionResult MakeFolder(const std::string& name) const;

 private:
  std::string path_;
};

class ParalluxProcess {
 public:
  // The program is copied into a new folder; it is started by Start.
  explicit ParalluxProcess(const std::string& program);
  // A process still running is closed, and ended by force if it does not go.
  ~ParalluxProcess();
  ParalluxProcess(const ParalluxProcess&) = delete;
  ParalluxProcess& operator=(const ParalluxProcess&) = delete;

  const ScratchFolder& folder() const { return folder_; }

  // Starts the program and waits for its main window.
  ::testing::AssertionResult Start();
  HWND window() const { return window_; }

  // A command whose handling returns at once (views, pause, copy): sent, so that it has
  // taken effect when this returns.
  void Send(WORD command) const;
  // A command that opens a modal dialog: posted, since its sender would wait for the
  // dialog to close.
  void Post(WORD command) const;
  // Opens a dialog with a command; the dialog, or null when it did not appear.
  HWND OpenDialog(WORD command, const char* caption) const;
  // A visible dialog or message box of this process owned by `owner`; null if none came
  // within the time. A null caption takes any.
  HWND FindOwned(HWND owner, const char* caption, DWORD timeout_ms = 5000) const;

  // The copy command, and the picture it put on the clipboard.
  ::testing::AssertionResult Copy(Picture* picture) const;
  // Copies until `condition` holds for the picture or the time is up; the last picture
  // is left in `picture` either way.
  template <typename Condition>
  bool CopyUntil(Picture* picture, Condition condition, DWORD timeout_ms = 10000) const {
    const DWORD start = GetTickCount();
    for (;;) {
      if (Copy(picture) && condition(*picture)) return true;
      if (GetTickCount() - start > timeout_ms) return false;
      Sleep(50);
    }
  }

  // Ends the program with `message` (WM_CLOSE, or WM_COMMAND with the exit command)
  // and returns its exit code; -1 when it did not end in time.
  int Close(UINT message, WPARAM wparam = 0);

 private:
  ScratchFolder folder_;
  std::string program_;
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// Presses a dialog's button as a click does, without waiting for what it starts.
void Press(HWND dialog, int id);
// The text of a window or a dialog control of any process.
std::string TextOf(HWND window);
std::string ItemText(HWND dialog, int id);
// The text of a message box: its static text control.
std::string MessageBoxText(HWND box);
bool WaitFor(const auto& condition, DWORD timeout_ms = 5000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(10);
  }
  return true;
}

}  // namespace parallux_e2e
