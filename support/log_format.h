// The parts of the log manager that need no file and no clock: level names, the names
// shown in tagged lines, and the fixed-size texts of one log line.
//
// A text that does not fit its buffer is cut, never written past the buffer. A cut
// lands on a character boundary of code page 932 and never leaves a lone CR at the end
// of what is kept, so a cut system text (which ends in its own CR LF) does not turn
// into "\r\r\n". A line always ends in CR LF, cut or not.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "support/printf_format.h"

inline constexpr std::size_t kLogMessageSize = 512;
inline constexpr std::size_t kLogLineSize = 512;
inline constexpr std::size_t kLogDumpSize = 512;
inline constexpr std::size_t kLogSystemTextSize = 1024;

// A threshold that no level reaches; also what an unknown level name means.
inline constexpr std::int32_t kLogLevelOff = 2147483647;

inline constexpr std::int32_t kLogLevelCount = 6;
inline constexpr const char* kLogLevelNames[kLogLevelCount] = {"NONE", "DEBUG", "INFO",
                                                               "WARN", "ERROR", "FATAL"};

inline constexpr char kLogTaggedFormat[] = "%5.5s [%s:%d] %s";

// The name of a level 0 to 5; null for any other value.
const char* LogLevelName(std::int32_t level);

// Only levels 1 to 5 are written with a tag.
constexpr bool IsTaggedLevel(std::int32_t level) { return level >= 1 && level <= 5; }

// 1 to 5 for "DEBUG" to "FATAL", byte for byte; anything else, "NONE" and null
// included, is kLogLevelOff.
std::int32_t LogLevelByName(const char* name);

// The part of a source file name after its last folder separator or, without one,
// after its last colon ("C:name" shows "name"). "/" counts as a separator as well as
// "\\" because the cross compiler spells __FILE__ with forward slashes.
const char* ReduceSourceFileName(const char* file);

// The decimal number at the start of `text` as atoi reads it (leading white space, an
// optional sign, digits; 0 without digits), held to the range of a 32-bit integer.
std::int32_t ReadLeadingNumber(const char* text);

// How many bytes of `text` to keep when it is cut to at most `limit` bytes; `text`
// holds at least `limit` bytes.
std::size_t LogCutLength(const char* text, std::size_t limit);

// printf-style formatting into `capacity` bytes, cut as above when the result is longer
// than capacity - 1. Returns false when it was cut (or was an encoding error, which
// leaves it empty).
bool FormatCut(char* out, std::size_t capacity, const char* format, ...) PX_PRINTF_FORMAT(3, 4);
bool FormatCutV(char* out, std::size_t capacity, const char* format, std::va_list arguments);

// Local time as the line's time stamp shows it.
struct LogTime {
  int year;
  int month;
  int day;
  int hour;
  int minute;
  int second;
  int millisecond;
};

// "%04d/%02d/%02d %02d:%02d:%02d.%03d %s\r\n" of `time` and `message` into `capacity`
// bytes; the message is cut to make room for the CR LF. Returns false when it was cut.
bool FormatLogLine(char* out, std::size_t capacity, const LogTime& time, const char* message);

// The dump line: `text`, then " %02X" for each byte while at least 4 bytes of room are
// left, the room being `capacity` less the length of the text and 3 less per byte.
void FormatDump(char* out, std::size_t capacity, const char* text, const void* bytes,
                std::int32_t count);
