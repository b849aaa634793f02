// How the canvas reports a platform call that failed while it was built or released:
// a log entry in the system-error form naming the canvas's source file and the
// failure's line, then the shared error text formatted with the next line.
#pragma once

#include <windows.h>

namespace icg_report {

// Logs the thread's last error with `logged_line` and throws the error text (line + 1).
[[noreturn]] void Raise(int logged_line);
// As Raise, for a failure that left no last error of its own.
[[noreturn]] void RaiseWithCode(int logged_line, DWORD code);
// Throws the error text with `text_line` and logs nothing.
[[noreturn]] void RaiseText(int text_line);
// For release, which must go on: logs and formats the error text as Raise does, and
// returns. With `keep_text` the text is left alone (it holds the error that started
// the release).
void Report(int logged_line, bool keep_text = false);

}  // namespace icg_report
