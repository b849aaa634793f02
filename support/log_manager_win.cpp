#include <cstdarg>
#include <cstring>

#include "support/bounded_string.h"
#include "support/log_format.h"
#include "support/log_manager.h"
#include "support/scoped_win.h"

namespace {

LogTime LocalTimeNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LogTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                 now.wMinute, now.wSecond, now.wMilliseconds};
}

// "%s%s%d.log" of the set's folder, base and a number. False when the name does not fit:
// a cut name would be some other file, so the caller leaves that file alone.
bool FormatNumberedPath(char (&path)[kPathCapacity], const char* folder, const char* base,
                        std::int32_t number) {
  return FormatCut(path, sizeof path, "%s%s%d.log", folder, base, number);
}

void CopyCut(char* destination, std::size_t capacity, const char* source) {
  FormatCut(destination, capacity, "%s", source != nullptr ? source : "");
}

}  // namespace

CILogManager::CILogManager() noexcept : file_handle(INVALID_HANDLE_VALUE) {
  PreservedLastError keep_error;
  log_folder[0] = '\0';
  log_base[0] = '\0';
  log_path[0] = '\0';

  char module_path[kPathCapacity];
  const DWORD length = GetModuleFileNameA(nullptr, module_path, sizeof module_path);
  // A result of the full buffer size means the path was cut: no usable name.
  if (length > 0 && length < sizeof module_path) {
    try {
      char drive[kDriveCapacity];
      char folder[kFolderCapacity];
      char name[kNameCapacity];
      char extension[kExtensionCapacity];
      SplitPath(module_path, drive, sizeof drive, folder, sizeof folder, name, sizeof name,
                extension, sizeof extension);
      BoundedFormat(log_folder, sizeof log_folder, "%s%s", drive, folder);
      BoundedCopy(log_base, name);
    } catch (const CInvPrmException&) {
      log_folder[0] = '\0';
      log_base[0] = '\0';
    }
  }
  file_count = 10;
  level_threshold = 0;
}

CILogManager::~CILogManager() {
  PreservedLastError keep_error;
  // file_handle closes itself after this; what is buffered goes out first.
  if (file_handle.valid()) FlushFileBuffers(file_handle.get());
}

void CILogManager::Purge(std::int32_t keep) {
  PreservedLastError keep_error;
  char pattern[kPathCapacity];
  if (!FormatCut(pattern, sizeof pattern, "%s%s*.log", log_folder, log_base)) return;

  const std::size_t base_length = std::strlen(log_base);
  WIN32_FIND_DATAA found;
  ScopedFind search(pattern, &found);
  if (!search.valid()) return;
  do {
    // The pattern can also match by a short 8.3 name, so the long name need not start
    // with the base; such a name has nothing after it and reads as 0.
    const std::size_t name_length = std::strlen(found.cFileName);
    const char* number = found.cFileName + (name_length < base_length ? name_length : base_length);
    if (ReadLeadingNumber(number) < keep) continue;
    char path[kPathCapacity];
    if (FormatCut(path, sizeof path, "%s%s", log_folder, found.cFileName)) DeleteFileA(path);
  } while (search.Next(&found));
}

void CILogManager::SetupByName(const char* folder, const char* base, std::int32_t count,
                               const char* level_name) {
  Setup(folder, base, count, LogLevelByName(level_name));
}

void CILogManager::Setup(const char* folder, const char* base, std::int32_t count,
                         std::int32_t level) {
  PreservedLastError keep_error;
  ScopedCriticalSection hold(log_lock);
  if (file_handle.valid()) Close();
  set_rotated_ = false;
  CopyCut(log_folder, sizeof log_folder, folder);
  CopyCut(log_base, sizeof log_base, base);
  if (count >= 0) file_count = count;
  level_threshold = level;
}

void CILogManager::SetLimitsByName(std::int32_t count, const char* level_name) {
  SetLimits(count, LogLevelByName(level_name));
}

void CILogManager::SetLimits(std::int32_t count, std::int32_t level) {
  PreservedLastError keep_error;
  ScopedCriticalSection hold(log_lock);
  if (file_handle.valid()) Close();
  set_rotated_ = false;
  if (count >= 0) file_count = count;
  level_threshold = level;
}

DWORD CILogManager::Open() {
  // The code is returned, not left in GetLastError: failed deletes and renames of files
  // that do not exist yet must not change the caller's last error either.
  PreservedLastError keep_error;
  ScopedCriticalSection hold(log_lock);
  const bool rotated = set_rotated_;
  if (file_handle.valid()) Close();
  if (file_count <= 0) return 0;

  char path[kPathCapacity];
  // Once per opening, however many tries it takes: while file 0 stays blocked (held by
  // a program that shares neither writing nor deleting), each dropped line would
  // otherwise push one more old file out of the set.
  if (!rotated) {
    if (FormatNumberedPath(path, log_folder, log_base, file_count - 1)) DeleteFileA(path);
    for (std::int32_t n = file_count - 2; n >= 0; --n) {
      char to[kPathCapacity];
      if (FormatNumberedPath(path, log_folder, log_base, n) &&
          FormatNumberedPath(to, log_folder, log_base, n + 1)) {
        MoveFileA(path, to);
      }
    }
  }

  if (!FormatNumberedPath(path, log_folder, log_base, 0)) {
    log_path[0] = '\0';
    return ERROR_FILENAME_EXCED_RANGE;
  }
  std::memcpy(log_path, path, sizeof log_path);
  HANDLE handle = CreateFileA(log_path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    set_rotated_ = true;
    return code;
  }
  file_handle.reset(handle);
  set_rotated_ = false;
  SetFilePointer(handle, 0, nullptr, FILE_END);
  return 0;
}

void CILogManager::Close() {
  PreservedLastError keep_error;
  ScopedCriticalSection hold(log_lock);
  set_rotated_ = false;
  if (!file_handle.valid()) return;
  FlushFileBuffers(file_handle.get());
  file_handle.reset(INVALID_HANDLE_VALUE);
}

void CILogManager::Log(std::int32_t level, const char* file, std::int32_t line, const char* text) {
  PreservedLastError keep_error;
  if (!TaggedLevelPasses(level)) return;
  Write(kLogTaggedFormat, LogLevelName(level), ReduceSourceFileName(file), line,
        text != nullptr ? text : "");
}

void CILogManager::Write(const char* format, ...) {
  PreservedLastError keep_error;
  ScopedCriticalSection hold(log_lock);
  if (!file_handle.valid()) {
    if (Open() != 0) return;
    Purge(file_count);
  }

  const LogTime now = LocalTimeNow();
  char message[kLogMessageSize];
  std::va_list arguments;
  va_start(arguments, format);
  FormatCutV(message, sizeof message, format != nullptr ? format : "", arguments);
  va_end(arguments);
  char line[kLogLineSize];
  FormatLogLine(line, sizeof line, now, message);

  if (!file_handle.valid()) return;
  DWORD written = 0;
  WriteFile(file_handle.get(), line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
}

void CILogManager::Print(std::int32_t level, const char* format, ...) {
  PreservedLastError keep_error;
  if (level < level_threshold) return;
  char message[kLogMessageSize];
  std::va_list arguments;
  va_start(arguments, format);
  FormatCutV(message, sizeof message, format != nullptr ? format : "", arguments);
  va_end(arguments);
  Write("%s", message);
}

void CILogManager::LogFormat(std::int32_t level, const char* file, std::int32_t line,
                             const char* format, ...) {
  PreservedLastError keep_error;
  if (!TaggedLevelPasses(level)) return;
  char text[kLogMessageSize];
  std::va_list arguments;
  va_start(arguments, format);
  FormatCutV(text, sizeof text, format != nullptr ? format : "", arguments);
  va_end(arguments);
  Write(kLogTaggedFormat, LogLevelName(level), ReduceSourceFileName(file), line, text);
}

void CILogManager::LogSystemError(std::int32_t level, const char* file, std::int32_t line,
                                  std::uint32_t code) {
  PreservedLastError keep_error;
  if (!TaggedLevelPasses(level)) return;
  // Cleared first: on failure FormatMessageA need not leave the buffer terminated, and a
  // code without a system text logs an empty text.
  char text[kLogSystemTextSize] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  text[sizeof text - 1] = '\0';
  Write(kLogTaggedFormat, LogLevelName(level), ReduceSourceFileName(file), line, text);
}

void CILogManager::DumpAt(std::int32_t level, const char* text, const void* bytes,
                          std::int32_t count) {
  if (level < level_threshold) return;
  Dump(text, bytes, count);
}

void CILogManager::Dump(const char* text, const void* bytes, std::int32_t count) {
  WriteDump(text, bytes, count);
}

void CILogManager::DumpAt2(std::int32_t level, const char* text, const void* bytes,
                           std::int32_t count) {
  if (level < level_threshold) return;
  Dump2(text, bytes, count);
}

void CILogManager::Dump2(const char* text, const void* bytes, std::int32_t count) {
  WriteDump(text, bytes, count);
}

void CILogManager::WriteDump(const char* text, const void* bytes, std::int32_t count) {
  PreservedLastError keep_error;
  char line[kLogDumpSize];
  FormatDump(line, sizeof line, text, bytes, count);
  Write("%s", line);
}

bool CILogManager::TaggedLevelPasses(std::int32_t level) const {
  return level >= level_threshold && IsTaggedLevel(level);
}

CILogManager& TheLog() noexcept {
  static CILogManager log;
  return log;
}

namespace {
// Built before main, as the program expects of its one log manager; TheLog() alone would
// build it only at the first line.
[[maybe_unused]] CILogManager& g_log_at_start = TheLog();
}  // namespace
