#include <windows.h>

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

}  // namespace

bool ReplaceFileContents(const std::string& path, const uint8_t* data, size_t size,
                         std::string* error) {
  // Beside the target, so that the move is a rename within one volume. CREATE_NEW
  // never takes over a file that exists; the process id keeps two runs apart.
  std::string temp;
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD code = 0;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temp = path + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
    handle = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      code = GetLastError();
      if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) break;
    }
  }
  if (handle == INVALID_HANDLE_VALUE) {
    *error = SystemError("cannot create a temporary file beside '" + path + "'", code);
    return false;
  }

  bool ok = false;
  {
    const ScopedHandle file(handle);
    ok = WriteAll(file.get(), data, size);
    // Flushed before the move: MOVEFILE_WRITE_THROUGH waits for the move itself,
    // not for data still cached for the file.
    if (ok) ok = FlushFileBuffers(file.get()) != FALSE;
    if (!ok) code = GetLastError();
  }  // closed here: a file still open cannot be moved or deleted
  if (!ok) {
    DeleteFileA(temp.c_str());
    *error = SystemError("cannot write '" + temp + "'", code);
    return false;
  }
  if (!MoveFileExA(temp.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    code = GetLastError();
    DeleteFileA(temp.c_str());
    *error = SystemError("cannot put the picture in place of '" + path + "'", code);
    return false;
  }
  return true;
}
