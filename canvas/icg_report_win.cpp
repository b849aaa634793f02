#include "canvas/icg_report_win.h"

#include "canvas/icg.h"
#include "support/canvas_error.h"
#include "support/log_manager.h"

namespace icg_report {

void Raise(int logged_line) { RaiseCanvasError(TheLog(), kIcgSourceFile, logged_line); }

void RaiseWithCode(int logged_line, DWORD code) {
  SetLastError(code);
  Raise(logged_line);
}

void RaiseText(int text_line) {
  throw static_cast<const char*>(FormatCanvasError(kIcgSourceFile, text_line));
}

void Report(int logged_line, bool keep_text) {
  const DWORD code = GetLastError();
  TheLog().LogSystemError(4, kIcgSourceFile, logged_line, code);
  if (!keep_text) FormatCanvasError(kIcgSourceFile, logged_line + 1);
}

}  // namespace icg_report
