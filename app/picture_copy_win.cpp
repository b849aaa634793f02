#include "app/picture_copy_win.h"

#include "support/log_manager.h"

void PictureCopy::Start(HWND window, CICG& canvas) {
  started_ = GetTickCount();
  picture_ = canvas.CopyPicture();
  if (!picture_) {
    GiveUp(window, "the picture could not be copied", GetLastError());
    return;
  }
  Try(window);
}

void PictureCopy::Retry(HWND window) {
  if (picture_) {
    Try(window);
  } else {
    KillTimer(window, kTimerId);
  }
}

void PictureCopy::Drop(HWND window) {
  if (picture_) GiveUp(window, "the window closed first", ERROR_SUCCESS);
}

void PictureCopy::Try(HWND window) {
  const CICG::HandOver result = CICG::HandToClipboard(window, picture_);
  const DWORD code = GetLastError();
  if (result == CICG::HandOver::kDone) {
    KillTimer(window, kTimerId);
  } else if (result == CICG::HandOver::kFailed) {
    GiveUp(window, "the clipboard refused the picture", code);
  } else if (GetTickCount() - started_ >= kGiveUpMs) {
    GiveUp(window, "the clipboard stayed busy", code);
  } else {
    SetTimer(window, kTimerId, kRetryMs, nullptr);
  }
}

void PictureCopy::GiveUp(HWND window, const char* why, DWORD code) {
  KillTimer(window, kTimerId);
  picture_.reset();
  TheLog().Print(4, "CopyToClipboard : %s after %lu ms (error %lu)", why, GetTickCount() - started_,
                 code);
}
