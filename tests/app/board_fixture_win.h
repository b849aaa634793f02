// What the board's tests share: the Board state put back to its start, a program folder
// of the test's own (the settings code is told the executable lives there), and the
// program's log captured in that folder.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/board_state_win.h"
#include "app/settings_win.h"
#include "support/log_manager.h"
#include "tests/support/temp_folder_win.h"

namespace board_test {

// The executable path the settings code is given instead of this process's own.
inline std::string& FakeModule() {
  static std::string path;
  return path;
}

// GetModuleFileNameA's contract: the path and its length, or, when the buffer is too
// small, as much as fits (terminated) and the buffer's size.
inline DWORD FakeModulePath(char* buffer, DWORD size) {
  const std::string& path = FakeModule();
  if (path.size() >= size) {
    std::memcpy(buffer, path.data(), size - 1);
    buffer[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

// The Board state as static construction leaves it (without a canvas).
inline void ResetBoard(BoardState& b) {
  b.canvas.reset();
  b.client_rect = RECT{0, 0, 960, 320};
  b.text_layer = b.base_layer = b.guide_layer = 0;
  b.show_text = false;
  b.show_guide = false;
  b.depth_buffer.reset();
  b.background_file[0] = '\0';
  b.background_path[0] = '\0';
  b.background_bitmap = nullptr;
  b.depth_divisor = 4;
  b.reverse = false;
  b.parallax_width = 100;
  b.text_depth = 200;
  b.dot_mode = 1;
  b.SetText("");
  b.paused = false;
}

// A program folder in the temporary folder, with the log written there.
class ProgramFolder {
 public:
  ProgramFolder() {
    ResetBoard(g_board);
    FakeModule() = folder_.path() + "Parallux.exe";
    TheLog().Setup(folder_.path().c_str(), "Parallux", 10, 0);
  }
  ~ProgramFolder() {
    TheLog().Close();
    ResetBoard(g_board);
  }
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  const TempFolder& folder() const { return folder_; }
  std::string Path(const std::string& name) const { return folder_.path() + name; }
  std::string Settings() const { return folder_.Read("Parallux.ini"); }
  void WriteSettings(const std::string& content) const { folder_.Create("Parallux.ini", content); }

  // The log's lines so far (time stamps included).
  std::string Log() const {
    TheLog().Close();
    return folder_.Read("Parallux0.log");
  }

  // The settings part of the program's start, with this folder as the program's.
  void Start() const { StartSettings(g_board, &FakeModulePath); }

 private:
  TempFolder folder_;
};

inline std::string Text(const BoardState& b) {
  char text[kTextCapacity];
  b.GetText(text);
  return text;
}

}  // namespace board_test
