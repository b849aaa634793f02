#include "images/replace_file.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

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

// The temporary file being written, for a signal that ends the program to remove: a
// long animation is often stopped with Ctrl+C. One at a time, as the program writes.
char g_pending[4096];
volatile sig_atomic_t g_armed = 0;

void RemovePendingAndEnd(int signal_number) {
  if (g_armed != 0) ::unlink(g_pending);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

void Arm(const std::string& temp) {
  g_armed = 0;
  if (temp.size() >= sizeof g_pending) return;  // left behind, as before, if it must be
  std::memcpy(g_pending, temp.c_str(), temp.size() + 1);
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_handler = RemovePendingAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      ::sigaction(signal_number, &action, nullptr);
    }
    return true;
  }();
  (void)installed;
  g_armed = 1;
}

}  // namespace

ReplacementFile::ReplacementFile(std::string path) : path_(std::move(path)) {}

ReplacementFile::~ReplacementFile() { Discard(); }

void ReplacementFile::Discard() {
  if (handle_ < 0) return;
  g_armed = 0;
  ::close(static_cast<int>(handle_));
  ::unlink(temp_.c_str());
  handle_ = -1;
}

bool ReplacementFile::Open(std::string* error) {
  // Beside the target, so the rename stays within one file system and is atomic. The
  // process id keeps two runs for the same target apart; O_EXCL never takes over a
  // file that exists, whoever made it.
  int fd = -1;
  int open_error = 0;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp_ = path_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    open_error = errno;  // before any string is built, which may change it
    if (fd < 0 && open_error != EEXIST) break;
  }
  if (fd < 0) {
    *error = SystemError("cannot create a temporary file beside '" + path_ + "'", open_error);
    return false;
  }
  handle_ = fd;
  Arm(temp_);
  return true;
}

bool ReplacementFile::Write(const uint8_t* data, size_t size, std::string* error) {
  int code = 0;
  if (!WriteAll(static_cast<int>(handle_), data, size, &code)) {
    *error = SystemError("cannot write '" + temp_ + "'", code);
    Discard();
    return false;
  }
  written_ += size;
  return true;
}

bool ReplacementFile::WriteAt(uint64_t offset, const uint8_t* data, size_t size,
                              std::string* error) {
  const int fd = static_cast<int>(handle_);
  int code = 0;
  const off_t end = ::lseek(fd, 0, SEEK_CUR);
  if (end < 0 || ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0 ||
      !WriteAll(fd, data, size, &code) || ::lseek(fd, end, SEEK_SET) < 0) {
    if (code == 0) code = errno;
    *error = SystemError("cannot write '" + temp_ + "'", code);
    Discard();
    return false;
  }
  return true;
}

bool ReplacementFile::Commit(std::string* error) {
  // Whatever the outcome, the temporary file is gone or renamed when this returns.
  struct Disarm {
    ~Disarm() { g_armed = 0; }
  } disarm;
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  int code = 0;
  // Synced before the rename: otherwise a crash soon after could leave the target
  // renamed onto a file whose data never reached the disk.
  bool ok = ::fsync(fd) == 0;
  if (!ok) code = errno;
  if (::close(fd) != 0 && ok) {
    code = errno;
    ok = false;
  }
  if (!ok) {
    ::unlink(temp_.c_str());
    *error = SystemError("cannot write '" + temp_ + "'", code);
    return false;
  }
  if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
    code = errno;
    ::unlink(temp_.c_str());
    *error = SystemError("cannot put the picture in place of '" + path_ + "'", code);
    return false;
  }
  SyncFolderOf(path_);
  return true;
}
