#include "support/bounded_string.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "support/sjis.h"

namespace {

[[noreturn]] void RaiseInvalidParameter(int error_number) {
  errno = error_number;
  throw CInvPrmException{nullptr, nullptr, nullptr, 0, 0};
}

void ClearPart(char* part, std::size_t capacity) {
  if (part != nullptr && capacity > 0) part[0] = '\0';
}

// Appends bytes into a fixed buffer and remembers whether anything did not fit.
class Appender {
 public:
  Appender(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {}

  void Append(const char* text, std::size_t length) {
    if (length >= capacity_ - used_) {
      overflow_ = true;
      return;
    }
    std::memcpy(buffer_ + used_, text, length);
    used_ += length;
  }
  void Append(const char* text) { Append(text, std::strlen(text)); }
  void Append(char c) { Append(&c, 1); }

  // Terminates the result; on overflow leaves the buffer empty.
  bool Finish() {
    buffer_[overflow_ ? 0 : used_] = '\0';
    return !overflow_;
  }

 private:
  char* buffer_;
  std::size_t capacity_;
  std::size_t used_ = 0;
  bool overflow_ = false;
};

bool IsValidPart(const char* part, std::size_t capacity) {
  return (part == nullptr) == (capacity == 0);
}

// Copies `length` bytes of `text` into a wanted part; false when they do not fit.
bool StorePart(char* part, std::size_t capacity, const char* text, std::size_t length) {
  if (part == nullptr) return true;
  if (length >= capacity) return false;
  std::memcpy(part, text, length);
  part[length] = '\0';
  return true;
}

}  // namespace

void BoundedCopy(char* destination, std::size_t capacity, const char* source) {
  if (destination == nullptr || capacity == 0) RaiseInvalidParameter(EINVAL);
  if (source == nullptr) {
    destination[0] = '\0';
    RaiseInvalidParameter(EINVAL);
  }
  const std::size_t length = std::strlen(source);
  if (length >= capacity) {
    destination[0] = '\0';
    RaiseInvalidParameter(ERANGE);
  }
  std::memmove(destination, source, length + 1);
}

void BoundedFormat(char* destination, std::size_t capacity, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  try {
    BoundedFormatV(destination, capacity, format, arguments);
  } catch (...) {
    va_end(arguments);
    throw;
  }
  va_end(arguments);
}

void BoundedFormatV(char* destination, std::size_t capacity, const char* format,
                    std::va_list arguments) {
  if (destination == nullptr || capacity == 0) RaiseInvalidParameter(EINVAL);
  if (format == nullptr) {
    destination[0] = '\0';
    RaiseInvalidParameter(EINVAL);
  }
  const int length = std::vsnprintf(destination, capacity, format, arguments);
  if (length < 0) {
    destination[0] = '\0';
    RaiseInvalidParameter(EINVAL);
  }
  if (static_cast<std::size_t>(length) >= capacity) {
    destination[0] = '\0';
    RaiseInvalidParameter(ERANGE);
  }
}

void SplitPath(const char* path, char* drive, std::size_t drive_capacity, char* folder,
               std::size_t folder_capacity, char* name, std::size_t name_capacity, char* extension,
               std::size_t extension_capacity) {
  const auto clear_all = [&] {
    ClearPart(drive, drive_capacity);
    ClearPart(folder, folder_capacity);
    ClearPart(name, name_capacity);
    ClearPart(extension, extension_capacity);
  };
  if (path == nullptr || !IsValidPart(drive, drive_capacity) ||
      !IsValidPart(folder, folder_capacity) || !IsValidPart(name, name_capacity) ||
      !IsValidPart(extension, extension_capacity)) {
    clear_all();
    RaiseInvalidParameter(EINVAL);
  }

  const char* rest = path;
  if (path[0] != '\0' && path[1] == ':') rest = path + 2;
  const char* last_separator = SjisFindLastOf(rest, "\\/");
  const char* file = last_separator != nullptr ? last_separator + 1 : rest;
  const char* dot = SjisFindLastOf(file, ".");
  const char* file_end = file + std::strlen(file);
  const char* name_end = dot != nullptr ? dot : file_end;

  const bool fits = StorePart(drive, drive_capacity, path, rest - path) &&
                    StorePart(folder, folder_capacity, rest, file - rest) &&
                    StorePart(name, name_capacity, file, name_end - file) &&
                    StorePart(extension, extension_capacity, name_end, file_end - name_end);
  if (!fits) {
    clear_all();
    RaiseInvalidParameter(ERANGE);
  }
}

void JoinPath(char* destination, std::size_t capacity, const char* drive, const char* folder,
              const char* name, const char* extension) {
  if (destination == nullptr || capacity == 0) RaiseInvalidParameter(EINVAL);
  Appender out(destination, capacity);
  if (drive != nullptr && drive[0] != '\0') {
    out.Append(drive[0]);
    out.Append(':');
  }
  if (folder != nullptr && folder[0] != '\0') {
    out.Append(folder);
    const char* separator = SjisFindLastOf(folder, "\\/");
    if (separator == nullptr || separator[1] != '\0') out.Append('\\');
  }
  if (name != nullptr) out.Append(name);
  if (extension != nullptr && extension[0] != '\0') {
    if (extension[0] != '.') out.Append('.');
    out.Append(extension);
  }
  if (!out.Finish()) RaiseInvalidParameter(ERANGE);
}
