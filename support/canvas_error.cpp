#include "support/canvas_error.h"

#include "support/log_format.h"

namespace {
char g_canvas_error_text[kCanvasErrorTextSize];
}  // namespace

const char* FormatCanvasError(const char* file, int line) {
  FormatCut(g_canvas_error_text, sizeof g_canvas_error_text, kCanvasErrorFormat,
            file != nullptr ? file : "", line);
  return g_canvas_error_text;
}

const char* CanvasErrorText() { return g_canvas_error_text; }
