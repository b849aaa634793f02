// The copy command. Right after a dialog closes, Wine can keep the clipboard from the
// program for more than a second; a copy that finds it busy keeps the picture of the
// moment of the command and tries again on a window timer, so that the window goes on
// answering, for a few seconds at most, and then logs that it gave up.
#pragma once

#include <windows.h>

#include "canvas/gdi_win.h"
#include "canvas/icg.h"

class PictureCopy {
 public:
  static constexpr UINT_PTR kTimerId = 1;
  static constexpr UINT kRetryMs = 100;
  // Copies were seen to fail for 1.4 s after a dialog closed.
  static constexpr DWORD kGiveUpMs = 3000;

  // The command: a newer picture replaces one still waiting.
  void Start(HWND window, CICG& canvas);
  // WM_TIMER with kTimerId.
  void Retry(HWND window);
  // The window is going: a copy still waiting is logged as lost.
  void Drop(HWND window);

 private:
  void Try(HWND window);
  void GiveUp(HWND window, const char* why, DWORD code);

  gdi::Bitmap picture_;
  DWORD started_ = 0;
};
