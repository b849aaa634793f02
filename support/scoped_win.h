// Small owners for Win32 acquire/release pairs. Each is non-copyable (a copy would
// release twice) and keeps everything its destructor needs.
#pragma once

#include <windows.h>

#include <objbase.h>

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
  // Closes the handle now and leaves `empty` in its place; false (with the last error
  // set) when CloseHandle failed, for a caller that reports it.
  bool Close(HANDLE empty = INVALID_HANDLE_VALUE) {
    const HANDLE handle = handle_;
    handle_ = empty;
    return handle == INVALID_HANDLE_VALUE || handle == nullptr || CloseHandle(handle) != FALSE;
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

// A critical section, initialised with its owner and deleted with it. Nothing but the
// section itself is held, so a record that holds one keeps the layout it had with a
// bare CRITICAL_SECTION.
class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  CRITICAL_SECTION* get() { return &section_; }

 private:
  CRITICAL_SECTION section_;
};
static_assert(sizeof(CriticalSection) == sizeof(CRITICAL_SECTION) &&
              alignof(CriticalSection) == alignof(CRITICAL_SECTION));

// Holds a critical section for a scope.
class ScopedCriticalSection {
 public:
  explicit ScopedCriticalSection(CriticalSection& section) : section_(section.get()) {
    EnterCriticalSection(section_);
  }
  ~ScopedCriticalSection() { LeaveCriticalSection(section_); }
  ScopedCriticalSection(const ScopedCriticalSection&) = delete;
  ScopedCriticalSection& operator=(const ScopedCriticalSection&) = delete;

 private:
  CRITICAL_SECTION* section_;
};

// The bytes of a movable global memory block, locked for a scope; null when
// GlobalLock failed.
class ScopedGlobalLock {
 public:
  explicit ScopedGlobalLock(HGLOBAL memory) : memory_(memory), bytes_(GlobalLock(memory)) {}
  ~ScopedGlobalLock() {
    if (bytes_ != nullptr) GlobalUnlock(memory_);
  }
  ScopedGlobalLock(const ScopedGlobalLock&) = delete;
  ScopedGlobalLock& operator=(const ScopedGlobalLock&) = delete;

  const void* bytes() const { return bytes_; }

 private:
  HGLOBAL memory_;
  void* bytes_;
};

// COM on this thread for a scope. A thread that already chose another apartment keeps
// it, which callers that work in either accept: then there is nothing to undo.
class ScopedComApartment {
 public:
  explicit ScopedComApartment(DWORD model) : result_(CoInitializeEx(nullptr, model)) {}
  ~ScopedComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;

  // Whether COM can be used: initialised here, or already in another apartment.
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
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
