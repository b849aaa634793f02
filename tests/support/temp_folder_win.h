// A folder of its own for one test, under the temporary folder, removed with its files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder() {
    static LONG serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "pxsupport" + std::to_string(GetCurrentProcessId()) + "_" +
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
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        names.push_back(found.cFileName);
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
  }

  bool Exists(const std::string& name) const {
    return GetFileAttributesA((path_ + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  void Create(const std::string& name, const std::string& content = "") const {
    const HANDLE file = CreateFileA((path_ + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
  }

  // The file's bytes, or "<missing>" when it cannot be read.
  std::string Read(const std::string& name) const {
    const HANDLE file =
        CreateFileA((path_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string content;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
      content.append(chunk, got);
    CloseHandle(file);
    return content;
  }

 private:
  std::string path_;
};

// The messages of a log file: each line with its time stamp checked and taken off, and
// its CR LF taken off. A line that does not have the shape is returned as
// "<bad line: ...>" so that the comparison that follows shows it.
inline std::vector<std::string> LogMessages(const std::string& content) {
  std::vector<std::string> messages;
  std::size_t at = 0;
  while (at < content.size()) {
    std::size_t end = content.find("\r\n", at);
    if (end == std::string::npos) {
      messages.push_back("<bad line: no CR LF: " + content.substr(at) + ">");
      break;
    }
    const std::string line = content.substr(at, end - at);
    at = end + 2;
    // "yyyy/mm/dd hh:mm:ss.mmm " is 24 bytes.
    static const char kShape[] = "dddd/dd/dd dd:dd:dd.ddd ";
    bool stamped = line.size() >= 24;
    for (std::size_t i = 0; stamped && i < 24; ++i) {
      stamped = kShape[i] == 'd' ? (line[i] >= '0' && line[i] <= '9') : line[i] == kShape[i];
    }
    messages.push_back(stamped ? line.substr(24) : "<bad line: " + line + ">");
  }
  return messages;
}
