#include "tests/app/parallux_process_win.h"

#include "app/resource.h"

namespace parallux_e2e {
namespace {

constexpr DWORD kSendTimeoutMs = 5000;

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string full = folder + name;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(full + "\\");
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

// The folder this test program lives in, ending in "\\".
std::string OwnFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// On X11 another client may hold the clipboard for a moment while Wine answers a
// selection request.
bool OpenClipboardSoon() {
  return WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000);
}

bool ReadPicture(HBITMAP bitmap, Picture* picture) {
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info) != sizeof info) return false;
  picture->width = info.bmWidth;
  picture->height = info.bmHeight;
  picture->pixels.assign(static_cast<std::size_t>(info.bmWidth) * info.bmHeight, 0xDEADBEEF);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = -info.bmHeight;  // top line first
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight),
                              picture->pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (std::uint32_t& p : picture->pixels) p &= 0xFFFFFF;
  return lines == info.bmHeight;
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static LONG serial = 0;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  path_ = std::string(temp) + "parallux_e2e" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(InterlockedIncrement(&serial)) + "\\";
  RemoveTree(path_);  // left over from a run that died
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

::testing::AssertionResult ScratchFolder::Write(const std::string& name,
                                                const std::string& bytes) const {
  const HANDLE file = CreateFileA((path_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return ::testing::AssertionFailure()
           << "cannot create " << path_ << name << " (error " << GetLastError() << ")";
  }
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size())
    return ::testing::AssertionFailure() << "cannot write " << path_ << name;
  return ::testing::AssertionSuccess();
}

std::string ScratchFolder::Read(const std::string& name) const {
  const HANDLE file =
      CreateFileA((path_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) content.append(chunk, got);
  CloseHandle(file);
  return content;
}

::testing::AssertionResult ScratchFolder::MakeFolder(const std::string& name) const {
  if (CreateDirectoryA((path_ + name).c_str(), nullptr)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "cannot make " << path_ << name << " (error " << GetLastError() << ")";
}

ParalluxProcess::ParalluxProcess(const std::string& program) {
  const std::string source = OwnFolder() + program;
  program_ = folder_.path() + "Parallux.exe";
  EXPECT_TRUE(CopyFileA(source.c_str(), program_.c_str(), TRUE))
      << "cannot copy " << source << " to " << program_ << " (error " << GetLastError() << ")";
}

ParalluxProcess::~ParalluxProcess() {
  if (process_.hProcess == nullptr) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    if (window_ != nullptr) PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 5000) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, 5000);
    }
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

::testing::AssertionResult ParalluxProcess::Start() {
  std::string line = "\"" + program_ + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program_.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.path().c_str(), &startup, &process_)) {
    const DWORD error = GetLastError();
    process_ = PROCESS_INFORMATION{};
    return ::testing::AssertionFailure()
           << "cannot start " << program_ << " (error " << error << ")";
  }
  const bool found = WaitFor(
      [&] {
        for (HWND w = FindWindowExA(nullptr, nullptr, "PARALLUX", nullptr); w != nullptr;
             w = FindWindowExA(nullptr, w, "PARALLUX", nullptr)) {
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner == process_.dwProcessId && IsWindowVisible(w)) {
            window_ = w;
            return true;
          }
        }
        return WaitForSingleObject(process_.hProcess, 0) != WAIT_TIMEOUT;
      },
      20000);
  if (window_ != nullptr) return ::testing::AssertionSuccess();
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return ::testing::AssertionFailure()
         << (found ? "the program ended (exit code " + std::to_string(code) +
                         ") without a main window"
                   : std::string("no main window of class PARALLUX appeared within 20 s"))
         << "; its log: " << folder_.Read("Parallux0.log");
}

void ParalluxProcess::Send(WORD command) const {
  DWORD_PTR result = 0;
  EXPECT_NE(
      0, SendMessageTimeoutA(window_, WM_COMMAND, command, 0, SMTO_NORMAL, kSendTimeoutMs, &result))
      << "command " << command << " was not handled within " << kSendTimeoutMs << " ms";
}

void ParalluxProcess::Post(WORD command) const { PostMessageA(window_, WM_COMMAND, command, 0); }

HWND ParalluxProcess::OpenDialog(WORD command, const char* caption) const {
  Post(command);
  return FindOwned(window_, caption);
}

HWND ParalluxProcess::FindOwned(HWND owner, const char* caption, DWORD timeout_ms) const {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", caption); w != nullptr;
             w = FindWindowExA(nullptr, w, "#32770", caption)) {
          DWORD process = 0;
          GetWindowThreadProcessId(w, &process);
          if (process == process_.dwProcessId && GetWindow(w, GW_OWNER) == owner &&
              IsWindowVisible(w)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeout_ms);
  return found;
}

::testing::AssertionResult ParalluxProcess::Copy(Picture* picture) const {
  std::string failure;
  // A few attempts: the program gives up its copy when the clipboard stays busy for a
  // moment, which on X11 is no fault of its own.
  for (int attempt = 0; attempt < 3; ++attempt) {
    // Emptied first, so that a picture read afterwards can only be this copy's.
    if (!OpenClipboardSoon()) {
      failure = "the clipboard could not be opened to empty it";
      continue;
    }
    EmptyClipboard();
    CloseClipboard();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window_, WM_COMMAND, IDM_COPY, 0, SMTO_NORMAL, kSendTimeoutMs,
                             &result)) {
      return ::testing::AssertionFailure()
             << "the copy command was not handled within " << kSendTimeoutMs << " ms";
    }
    if (!OpenClipboardSoon()) {
      failure = "the clipboard could not be opened to read it";
      continue;
    }
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    const bool read = bitmap != nullptr && ReadPicture(bitmap, picture);
    CloseClipboard();
    if (read) return ::testing::AssertionSuccess();
    failure = bitmap == nullptr ? "the clipboard held no bitmap after the copy command"
                                : "the clipboard bitmap could not be read";
  }
  return ::testing::AssertionFailure() << failure;
}

int ParalluxProcess::Close(UINT message, WPARAM wparam) {
  PostMessageA(window_, message, wparam, 0);
  if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::string TextOf(HWND window) {
  // WM_GETTEXT itself: GetWindowTextA does not ask a control of another process.
  char text[512] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                      kSendTimeoutMs, &length);
  return text;
}

std::string ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

std::string MessageBoxText(HWND box) { return ItemText(box, 0xFFFF); }

}  // namespace parallux_e2e
