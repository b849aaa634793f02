#include "support/log_format.h"

#include <cstdio>
#include <cstring>

#include "support/sjis.h"

const char* LogLevelName(std::int32_t level) {
  return level >= 0 && level < kLogLevelCount ? kLogLevelNames[level] : nullptr;
}

std::int32_t LogLevelByName(const char* name) {
  if (name == nullptr) return kLogLevelOff;
  for (std::int32_t level = 1; level < kLogLevelCount; ++level) {
    if (std::strcmp(name, kLogLevelNames[level]) == 0) return level;
  }
  return kLogLevelOff;
}

const char* ReduceSourceFileName(const char* file) {
  if (file == nullptr) return "";
  if (const char* separator = SjisFindLastOf(file, "\\/")) return separator + 1;
  if (const char* colon = SjisFindLastOf(file, ":")) return colon + 1;
  return file;
}

std::int32_t ReadLeadingNumber(const char* text) {
  if (text == nullptr) return 0;
  const char* at = text;
  while (*at == ' ' || (*at >= '\t' && *at <= '\r')) ++at;
  bool negative = false;
  if (*at == '+' || *at == '-') negative = *at++ == '-';
  // Held to the 32-bit range: atoi itself is undefined past it, and a file name such as
  // "X99999999999.log" must still read as a large number.
  std::int64_t value = 0;
  for (; *at >= '0' && *at <= '9'; ++at) {
    value = value * 10 + (*at - '0');
    if (value > 2147483648LL) value = 2147483648LL;
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return value > 2147483647LL ? 2147483647 : static_cast<std::int32_t>(value);
}

std::size_t LogCutLength(const char* text, std::size_t limit) {
  std::size_t keep = SjisBoundaryAtOrBefore(text, limit);
  if (keep > 0 && text[keep - 1] == '\r') --keep;
  return keep;
}

bool FormatCut(char* out, std::size_t capacity, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const bool whole = FormatCutV(out, capacity, format, arguments);
  va_end(arguments);
  return whole;
}

bool FormatCutV(char* out, std::size_t capacity, const char* format, std::va_list arguments) {
  if (capacity == 0) return false;
  const int length = std::vsnprintf(out, capacity, format, arguments);
  if (length < 0) {
    out[0] = '\0';
    return false;
  }
  if (static_cast<std::size_t>(length) < capacity) return true;
  out[LogCutLength(out, capacity - 1)] = '\0';
  return false;
}

bool FormatLogLine(char* out, std::size_t capacity, const LogTime& time, const char* message) {
  static constexpr char kLineEnd[] = "\r\n";
  static constexpr std::size_t kLineEndLength = sizeof kLineEnd - 1;
  if (capacity <= kLineEndLength) {
    if (capacity > 0) out[0] = '\0';
    return false;
  }
  int stamp =
      std::snprintf(out, capacity, "%04d/%02d/%02d %02d:%02d:%02d.%03d ", time.year, time.month,
                    time.day, time.hour, time.minute, time.second, time.millisecond);
  // Only absurd field values make the stamp this long; the line end still comes first.
  if (stamp < 0 || static_cast<std::size_t>(stamp) + kLineEndLength >= capacity) stamp = 0;

  const std::size_t room = capacity - 1 - kLineEndLength - stamp;
  if (message == nullptr) message = "";
  std::size_t keep = std::strlen(message);
  const bool whole = keep <= room;
  if (!whole) keep = LogCutLength(message, room);
  char* end = out + stamp;
  std::memcpy(end, message, keep);  // NOLINT(bugprone-not-null-terminated-result): ended below
  end += keep;
  std::memcpy(end, kLineEnd, sizeof kLineEnd);
  return whole;
}

void FormatDump(char* out, std::size_t capacity, const char* text, const void* bytes,
                std::int32_t count) {
  if (capacity == 0) return;
  FormatCut(out, capacity, "%s", text != nullptr ? text : "");
  const std::size_t length = std::strlen(out);
  std::size_t room = capacity - length;
  char* end = out + length;
  const auto* byte = static_cast<const unsigned char*>(bytes);
  for (std::int32_t i = 0; i < count && byte != nullptr && room >= 4; ++i) {
    std::snprintf(end, 4, " %02X", byte[i]);
    end += 3;
    room -= 3;
  }
}
