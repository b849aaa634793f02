#include <windows.h>

#include "support/canvas_error.h"
#include "support/log_manager.h"

void RaiseCanvasError(const char* file, int line) { RaiseCanvasError(TheLog(), file, line); }

void RaiseCanvasError(CILogManager& log, const char* file, int line) {
  const DWORD code = GetLastError();
  log.LogSystemError(4, file, line, code);
  throw static_cast<const char*>(FormatCanvasError(file, line + 1));
}
