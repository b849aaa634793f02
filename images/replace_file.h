// Putting a finished file in place in one step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A file written piece by piece beside `path` and renamed over it only by Commit, so
// that `path` is either left as it was or holds all the bytes, never a part of them.
// Destroyed without a successful Commit, it removes the new file. Each call returns
// false with `error` set when it fails; the file is then of no further use.
class ReplacementFile {
 public:
  explicit ReplacementFile(std::string path);
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  ~ReplacementFile();

  bool Open(std::string* error);
  bool Write(const uint8_t* data, size_t size, std::string* error);
  // Overwrites bytes already written at `offset`: a size in a header known only at
  // the end.
  bool WriteAt(uint64_t offset, const uint8_t* data, size_t size, std::string* error);
  uint64_t written() const { return written_; }
  bool Commit(std::string* error);

 private:
  void Discard();

  std::string path_;
  std::string temp_;
  intptr_t handle_ = -1;  // a file descriptor, or a Windows HANDLE
  uint64_t written_ = 0;
};

// The whole file at once.
bool ReplaceFileContents(const std::string& path, const uint8_t* data, size_t size,
                         std::string* error);
