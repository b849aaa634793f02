#include "images/replace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string SystemError(const std::string& what, int code) {
  return what + ": " + std::strerror(code);
}

bool WriteAll(int fd, const uint8_t* data, size_t size, int* code) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      *code = errno;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The folder entry of the rename is made durable too, or a crash could bring back
// the old file after the new one was reported written. Best effort: some file
// systems cannot sync a directory, and the file itself is already safe.
void SyncFolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

bool ReplaceFileContents(const std::string& path, const uint8_t* data, size_t size,
                         std::string* error) {
  // Beside the target, so the rename stays within one file system and is atomic. The
  // process id keeps two runs for the same target apart; O_EXCL never takes over a
  // file that exists, whoever made it.
  std::string temp;
  int fd = -1;
  int open_error = 0;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    open_error = errno;  // before any string is built, which may change it
    if (fd < 0 && open_error != EEXIST) break;
  }
  if (fd < 0) {
    *error = SystemError("cannot create a temporary file beside '" + path + "'", open_error);
    return false;
  }

  int code = 0;
  bool ok = WriteAll(fd, data, size, &code);
  // Synced before the rename: otherwise a crash soon after could leave the target
  // renamed onto a file whose data never reached the disk.
  if (ok && ::fsync(fd) != 0) {
    code = errno;
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    code = errno;
    ok = false;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    *error = SystemError("cannot write '" + temp + "'", code);
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    code = errno;
    ::unlink(temp.c_str());
    *error = SystemError("cannot put the picture in place of '" + path + "'", code);
    return false;
  }
  SyncFolderOf(path);
  return true;
}
