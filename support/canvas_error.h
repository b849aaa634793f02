// The canvas's error text: one buffer shared by every canvas and thread, holding the
// last failure of a platform call while a canvas was built or released. A catcher that
// keeps the text copies it at once, since the next failure overwrites it.
#pragma once

#include <cstddef>

inline constexpr std::size_t kCanvasErrorTextSize = 256;
inline constexpr char kCanvasErrorFormat[] = "*vornack error : %s(%d)";

// Formats the text for `file` (the path as the compiler gives it) and `line` into the
// shared buffer and returns the buffer. A path too long for it is cut rather than
// raising again while an error is being raised.
const char* FormatCanvasError(const char* file, int line);

// The shared buffer as the last FormatCanvasError left it.
const char* CanvasErrorText();

#if defined(_WIN32)
class CILogManager;

// Logs the calling thread's last error at level 4 with `file` and `line`, formats the
// text with the line after it (the line of the raise that follows the log call), and
// throws the pointer to the shared buffer as `const char*`. Reads GetLastError before
// anything else can change it.
[[noreturn]] void RaiseCanvasError(const char* file, int line);
[[noreturn]] void RaiseCanvasError(CILogManager& log, const char* file, int line);

#define PX_RAISE_CANVAS_ERROR() RaiseCanvasError(__FILE__, __LINE__)
#endif
