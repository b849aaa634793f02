#include <windows.h>

#include <utility>

#include "images/replace_file.h"
#include "support/scoped_win.h"

namespace {

std::string SystemError(const std::string& what, DWORD code) {
  return what + " (Windows error " + std::to_string(code) + ")";
}

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
  while (size > 0) {
    // WriteFile counts in DWORD; a chunk well below that also keeps one call short.
    const DWORD chunk = size > (1u << 26) ? (1u << 26) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr)) return false;
    if (written == 0) {
      // Succeeded without writing: the last error is not this call's.
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

ReplacementFile::ReplacementFile(std::string path) : path_(std::move(path)) {}

ReplacementFile::~ReplacementFile() { Discard(); }

void ReplacementFile::Discard() {
  if (handle_ == -1) return;
  // Closed first: a file still open cannot be deleted.
  CloseHandle(AsHandle(handle_));
  DeleteFileA(temp_.c_str());
  handle_ = -1;
}

bool ReplacementFile::Open(std::string* error) {
  // Beside the target, so that the move is a rename within one volume. CREATE_NEW
  // never takes over a file that exists; the process id keeps two runs apart.
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD code = 0;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temp_ = path_ + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
    handle = CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      code = GetLastError();
      if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) break;
    }
  }
  if (handle == INVALID_HANDLE_VALUE) {
    *error = SystemError("cannot create a temporary file beside '" + path_ + "'", code);
    return false;
  }
  handle_ = reinterpret_cast<intptr_t>(handle);
  return true;
}

bool ReplacementFile::Write(const uint8_t* data, size_t size, std::string* error) {
  if (!WriteAll(AsHandle(handle_), data, size)) {
    const DWORD code = GetLastError();
    *error = SystemError("cannot write '" + temp_ + "'", code);
    Discard();
    return false;
  }
  written_ += size;
  return true;
}

bool ReplacementFile::WriteAt(uint64_t offset, const uint8_t* data, size_t size,
                              std::string* error) {
  HANDLE file = AsHandle(handle_);
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(written_);
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || !WriteAll(file, data, size) ||
      !SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) {
    const DWORD code = GetLastError();
    *error = SystemError("cannot write '" + temp_ + "'", code);
    Discard();
    return false;
  }
  return true;
}

bool ReplacementFile::Commit(std::string* error) {
  DWORD code = 0;
  bool ok = false;
  {
    const ScopedHandle file(AsHandle(handle_));
    handle_ = -1;
    // Flushed before the move: MOVEFILE_WRITE_THROUGH waits for the move itself,
    // not for data still cached for the file.
    ok = FlushFileBuffers(file.get()) != FALSE;
    if (!ok) code = GetLastError();
  }  // closed here: a file still open cannot be moved or deleted
  if (!ok) {
    DeleteFileA(temp_.c_str());
    *error = SystemError("cannot write '" + temp_ + "'", code);
    return false;
  }
  if (!MoveFileExA(temp_.c_str(), path_.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    code = GetLastError();
    DeleteFileA(temp_.c_str());
    *error = SystemError("cannot put the picture in place of '" + path_ + "'", code);
    return false;
  }
  return true;
}
