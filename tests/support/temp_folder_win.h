// What the tests of the log and of its callers share: a folder of its own for one test,
// under the temporary folder and removed with its files, and the messages of a log file.
#pragma once

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder() {
    static LONG serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "pxtest" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(InterlockedIncrement(&serial)) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const std::string& name : Files()) DeleteFileA((path_ + name).c_str());
    RemoveDirectoryA(path_.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Ends in "\\".
  const std::string& path() const { return path_; }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((path_ + "*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        names.push_back(found.cFileName);
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
  }
  void Create(const std::string& name, const std::string& content = "") const {
    std::ofstream(path_ + name, std::ios::binary) << content;
  }
  // The file's bytes, or "<missing>" when it cannot be read.
  std::string Read(const std::string& name) const {
    std::ifstream file(path_ + name, std::ios::binary);
    if (!file) return "<missing>";
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

 private:
  std::string path_;
};

// A log file's lines without their 24-byte time stamps and CR LF. A system text ends in
// its own CR LF, which shows as an empty line after it.
inline std::vector<std::string> LogMessages(const std::string& content) {
  std::vector<std::string> out;
  for (std::size_t at = 0, end; (end = content.find("\r\n", at)) != std::string::npos;
       at = end + 2) {
    out.push_back(content.substr(std::min(at + 24, end), end - std::min(at + 24, end)));
  }
  return out;
}
