// Small owners for Win32 acquire/release pairs. Each is non-copyable (a copy would
// release twice) and keeps everything its destructor needs.
#pragma once

#include <windows.h>

// A kernel handle from CreateFile, CreateThread and the like; closed once.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle = INVALID_HANDLE_VALUE) noexcept : handle_(handle) {}
  ~ScopedHandle() {
    if (valid()) CloseHandle(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE get() const { return handle_; }
  // CreateFile fails with INVALID_HANDLE_VALUE, CreateThread with null.
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  // Gives the handle up to a caller that closes it itself (and reports a failure).
  HANDLE release(HANDLE empty = INVALID_HANDLE_VALUE) {
    const HANDLE handle = handle_;
    handle_ = empty;
    return handle;
  }
  void reset(HANDLE handle) {
    if (valid()) CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_;
};

// A FindFirstFileA search, closed with FindClose (not CloseHandle).
class ScopedFind {
 public:
  ScopedFind(const char* pattern, WIN32_FIND_DATAA* data)
      : handle_(FindFirstFileA(pattern, data)) {}
  ~ScopedFind() {
    if (valid()) FindClose(handle_);
  }
  ScopedFind(const ScopedFind&) = delete;
  ScopedFind& operator=(const ScopedFind&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAA* data) const { return FindNextFileA(handle_, data) != FALSE; }

 private:
  HANDLE handle_;
};

// Holds a critical section for a scope; the section itself is owned elsewhere.
class ScopedCriticalSection {
 public:
  explicit ScopedCriticalSection(CRITICAL_SECTION* section) : section_(section) {
    EnterCriticalSection(section_);
  }
  ~ScopedCriticalSection() { LeaveCriticalSection(section_); }
  ScopedCriticalSection(const ScopedCriticalSection&) = delete;
  ScopedCriticalSection& operator=(const ScopedCriticalSection&) = delete;

 private:
  CRITICAL_SECTION* section_;
};

// Puts the thread's last error back at the end of a scope, so that a helper called
// between a failing call and its caller's GetLastError does not change the answer.
class PreservedLastError {
 public:
  PreservedLastError() : error_(GetLastError()) {}
  ~PreservedLastError() { SetLastError(error_); }
  PreservedLastError(const PreservedLastError&) = delete;
  PreservedLastError& operator=(const PreservedLastError&) = delete;

 private:
  DWORD error_;
};
