// What the tests of the log and of its callers share: a folder of its own for one test,
// under the temporary folder and removed with all it holds, and the messages of a log
// file.
#pragma once

#include <windows.h>

#include <algorithm>
#include <filesystem>
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
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Ends in "\\".
  const std::string& path() const { return path_; }

  // The names of the files in it, folders left out.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    }
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
