// Parallux.exe as a process of its own, in a folder of its own: it starts, ends with
// code 0, keeps its settings from one run to the next, and its copy command hands
// another process the picture; it runs on every bad settings file and background
// picture. Everything else is tested in process. (That a kill at any moment of the save
// leaves the whole old or the whole new file is MoveFileExA's; the save through a new
// file is the settings test's.)
//
// On Wine menus cannot be read across processes; commands go to the main window as
// WM_COMMAND, dialog fields are written with WM_SETTEXT and buttons pressed with
// posted WM_COMMANDs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/resource.h"
#include "tests/app/board_fixture_win.h"

namespace {

using board_test::BlackBitmap;
using board_test::WaitFor;

// `path`, relative to this test program's folder.
std::string BesideThisTest(const std::string& path) {
  char own[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, own, sizeof own);
  return std::string(own, std::strrchr(own, '\\') + 1) + path;
}

class ParalluxProcess {
 public:
  explicit ParalluxProcess(const std::string& folder) {
    const std::string program = folder + "Parallux.exe";
    CopyFileA(BesideThisTest(PARALLUX_EXE_PATH).c_str(), program.c_str(), FALSE);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process_)) {
      return;
    }
    WaitFor(
        [&] {
          DWORD owner = 0;
          window_ = FindWindowA("PARALLUX", nullptr);
          GetWindowThreadProcessId(window_, &owner);
          return owner == process_.dwProcessId && IsWindowVisible(window_);
        },
        20000);
  }
  ~ParalluxProcess() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
      TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  ParalluxProcess(const ParalluxProcess&) = delete;
  ParalluxProcess& operator=(const ParalluxProcess&) = delete;

  HWND window() const { return window_; }

  // Ends the program with `message`; its exit code, or -1 when it did not end in time
  // (saving 10 MB of settings takes seconds on a busy machine).
  int Close(UINT message, WPARAM wparam = 0) {
    PostMessageA(window_, message, wparam, 0);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process_.hProcess, 30000) == WAIT_OBJECT_0)
      GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }

  // The 960 x 320 picture the copy command puts on the clipboard, bottom line first; empty
  // when none came. The clipboard is emptied first, so that it can only be this copy's; on
  // X11 it may be busy for a moment.
  std::vector<std::uint32_t> Copy() const {
    if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) return {};
    EmptyClipboard();
    CloseClipboard();
    SendMessageTimeoutA(window_, WM_COMMAND, IDM_COPY, 0, SMTO_NORMAL, 5000, nullptr);
    if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) return {};
    const HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info{};
    std::vector<std::uint32_t> pixels;
    if (GetObjectA(bitmap, sizeof info, &info) == sizeof info && info.bmWidth == 960 &&
        info.bmHeight == 320) {
      pixels = canvas_test::ReadBitmap(bitmap, 960, 320);
    }
    CloseClipboard();
    return pixels;
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The repeat distance of the far plane above the text (the top 51 lines, the last of the
// bottom-up picture); 0 while it is no field of dots, such as a flat picture, which
// repeats with any distance (neighbouring grey dots agree once in 256).
int FarPlanePeriod(const std::vector<std::uint32_t>& p) {
  constexpr int kFrom = 960 * (320 - 51), kTo = 960 * 320;
  int neighbours = 0;
  for (int at = kFrom + 1; at < kTo && !p.empty(); ++at) neighbours += p[at] == p[at - 1];
  for (int period = 1; period <= 480 && !p.empty() && neighbours < 960 * 51 / 20; ++period) {
    int repeats = 0;
    for (int at = kFrom; at < kTo; ++at) repeats += at % 960 >= period && p[at] == p[at - period];
    if (repeats == (960 - period) * 51) return period;
  }
  return 0;
}

// Lines "J<n>=..." in section `section` up to `bytes` in all.
std::string JunkKeys(const std::string& section, std::size_t bytes) {
  std::string junk = "[" + section + "]\r\n";
  for (int key = 0; junk.size() < bytes; ++key) {
    junk.append("J").append(std::to_string(key)).append("=junk junk junk junk junk junk\r\n");
  }
  return junk;
}

struct BadInput {
  std::string name;
  std::string settings;  // Parallux.ini
  std::string picture;   // b.bmp beside it, when not empty
};

// The committed corpus (tests/app/corpus/*.ini), then the cases too big or too regular
// to commit.
std::vector<BadInput> BadInputs() {
  std::vector<BadInput> cases;
  for (const auto& entry :
       std::filesystem::directory_iterator(BesideThisTest(PARALLUX_CORPUS_PATH))) {
    std::ifstream file(entry.path(), std::ios::binary);
    cases.push_back(
        {entry.path().filename().string(), {std::istreambuf_iterator<char>(file), {}}, ""});
  }
  cases.push_back({"10 MB of junk keys", JunkKeys("SETTINGS", 10 << 20) + "PWD=150\r\n", ""});
  const std::string bgi = "[SETTINGS]\r\nBGI='b.bmp'\r\n";
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    for (const int height : {8, -8}) {
      cases.push_back({std::to_string(bits) + " bpp " + (height < 0 ? "top-down" : "bottom-up"),
                       bgi, BlackBitmap(bits, 8, height, 8)});
    }
  }
  cases.push_back({"1 x 1 bitmap", bgi, BlackBitmap(24, 1, 1, 1)});
  cases.push_back({"truncated bitmap", bgi, BlackBitmap(24, 64, 64, 10)});
  cases.push_back({"60000 x 60000 header", bgi, BlackBitmap(24, 60000, 60000, 1)});
  return cases;
}

TEST(ParalluxProgram, RunsOnEveryBadInputWithThePictureOfItsSavedWidthAndWholeTexts) {
  for (const BadInput& input : BadInputs()) {
    SCOPED_TRACE(input.name);
    TempFolder folder;
    const std::string ini = folder.path() + "Parallux.ini";
    folder.Create("Parallux.ini", input.settings);
    if (!input.picture.empty()) folder.Create("b.bmp", input.picture);
    CreateDirectoryA((folder.path() + "pictures").c_str(), nullptr);
    int period = 0;
    {
      ParalluxProcess program(folder.path());
      ASSERT_NE(nullptr, program.window())
          << "no main window; the log: " << folder.Read("Parallux0.log");
      EXPECT_TRUE(WaitFor([&] { return (period = FarPlanePeriod(program.Copy())) != 0; }, 10000))
          << "no field of dots came through the clipboard";
      EXPECT_EQ(0, program.Close(WM_CLOSE));
    }
    // What is read is held to the dialogs' ranges, as the settings test shows.
    const int width = static_cast<int>(GetPrivateProfileIntA("SETTINGS", "PWD", 0, ini.c_str()));
    const bool reverse = GetPrivateProfileIntA("SETTINGS", "REV", 0, ini.c_str()) != 0;
    // Reversed, the far plane's period is the smallest of the reversed period W.
    const auto nearest = [](int w) { return w - w * 255 / 256 / 4; };
    EXPECT_EQ(reverse ? nearest(nearest(width)) : width, period)
        << "the picture is not made with the saved width: " << folder.Read("Parallux.ini");
    // The saved texts: within their capacity, and never half a double-byte character at
    // the end.
    for (const auto& [name, capacity] : {std::pair{"TEXT", 40}, std::pair{"BGI", 255}}) {
      char value[1024] = {};
      const int length = static_cast<int>(
          GetPrivateProfileStringA("SETTINGS", name, "", value, sizeof value, ini.c_str()));
      int at = 0;
      while (at < length) at += IsDBCSLeadByteEx(932, static_cast<BYTE>(value[at])) ? 2 : 1;
      EXPECT_TRUE(length <= capacity && at == length) << name << " is '" << value << "'";
    }
    if (input.settings.size() > 1000000) {
      EXPECT_GE(folder.Read("Parallux.ini").size(), input.settings.size()) << "junk keys were lost";
    }
  }
}

// The width set in the options is saved at the exit; what a saved width gives in the next
// run is what every bad-input run checks.
TEST(ParalluxProgram, AWidthSetInTheOptionsIsSavedForTheNextRunAndTheExitEndsWithCodeZero) {
  TempFolder folder;
  ParalluxProcess program(folder.path());
  ASSERT_NE(nullptr, program.window())
      << "no main window; the log: " << folder.Read("Parallux0.log");
  PostMessageA(program.window(), WM_COMMAND, IDM_OPTIONS, 0);
  HWND dialog = board_test::OwnedDialog(program.window(), "オプション");
  ASSERT_NE(nullptr, dialog);
  SetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, "150");
  board_test::Press(dialog, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); })) << "150 was not accepted";
  EXPECT_EQ(0, program.Close(WM_COMMAND, IDM_EXIT));
  EXPECT_EQ(150u,
            GetPrivateProfileIntA("SETTINGS", "PWD", 0, (folder.path() + "Parallux.ini").c_str()))
      << folder.Read("Parallux.ini");
}

}  // namespace
