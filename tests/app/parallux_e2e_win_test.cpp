// Parallux.exe as a process of its own, in a folder of its own: it starts, ends with
// code 0, keeps its settings from one run to the next, and its copy command hands
// another process the picture. Everything else is tested in process.
//
// On Wine menus cannot be read across processes; commands go to the main window as
// WM_COMMAND, dialog fields are written with WM_SETTEXT and buttons pressed with
// posted WM_COMMANDs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/resource.h"
#include "tests/app/board_fixture_win.h"

namespace {

using board_test::WaitFor;

class ParalluxProcess {
 public:
  explicit ParalluxProcess(const std::string& folder) {
    char own[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own, sizeof own);
    const std::string program = folder + "Parallux.exe";
    CopyFileA((std::string(own, std::strrchr(own, '\\') + 1) + PARALLUX_EXE_PATH).c_str(),
              program.c_str(), FALSE);
    std::string line = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
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

  // Ends the program with `message`; its exit code, or -1 when it did not end in time.
  int Close(UINT message, WPARAM wparam = 0) {
    PostMessageA(window_, message, wparam, 0);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process_.hProcess, 10000) == WAIT_OBJECT_0)
      GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }

  // The picture the copy command puts on the clipboard, top line first; empty when none
  // came. The clipboard is emptied first, so that it can only be this copy's; on X11 it
  // may be busy for a moment.
  std::vector<std::uint32_t> Copy() const {
    std::vector<std::uint32_t> pixels(960 * 320);
    if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) return {};
    EmptyClipboard();
    CloseClipboard();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window_, WM_COMMAND, IDM_COPY, 0, SMTO_NORMAL, 5000, &result);
    if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) return {};
    BITMAPINFO format{};
    format.bmiHeader = {sizeof format.bmiHeader, 960, -320, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    const HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    BITMAP info{};
    if (GetObjectA(bitmap, sizeof info, &info) != sizeof info || info.bmWidth != 960 ||
        info.bmHeight != 320 ||
        GetDIBits(screen, bitmap, 0, 320, pixels.data(), &format, DIB_RGB_COLORS) != 320) {
      pixels.clear();
    }
    ReleaseDC(nullptr, screen);
    CloseClipboard();
    return pixels;
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The far plane above the text (lines 0 to 50) repeats exactly with `period`, and is a
// field of dots, not a flat picture that would repeat with any period (neighbouring
// grey dots agree once in 256).
bool FarPlaneRepeatsWith(const std::vector<std::uint32_t>& p, int period) {
  int repeats = 0, neighbours = 0;
  for (int at = 0; at < 960 * 51 && !p.empty(); ++at) {
    if (at % 960 >= period) repeats += p[at] == p[at - period];
    if (at % 960 >= 1) neighbours += p[at] == p[at - 1];
  }
  return repeats == (960 - period) * 51 && neighbours < 959 * 51 / 20;
}

TEST(ParalluxProgram, AWidthSetInOneRunIsThePictureOfTheNextAndBothEndWithCodeZero) {
  TempFolder folder;
  {
    ParalluxProcess first(folder.path());
    ASSERT_NE(nullptr, first.window())
        << "no main window; the log: " << folder.Read("Parallux0.log");
    PostMessageA(first.window(), WM_COMMAND, IDM_OPTIONS, 0);
    HWND dialog = board_test::OwnedDialog(first.window(), "オプション");
    ASSERT_NE(nullptr, dialog);
    SetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, "150");
    board_test::Press(dialog, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); })) << "150 was not accepted";
    EXPECT_EQ(0, first.Close(WM_COMMAND, IDM_EXIT));
  }
  ParalluxProcess second(folder.path());
  ASSERT_NE(nullptr, second.window());
  std::vector<std::uint32_t> picture;
  // The first frames take a moment; until then the copy is a blank picture.
  EXPECT_TRUE(WaitFor([&] { return FarPlaneRepeatsWith(picture = second.Copy(), 150); }, 10000))
      << (picture.empty() ? "no 960 x 320 picture came through the clipboard"
                          : "the far plane does not repeat with the width set in the first run");
  EXPECT_EQ(0, second.Close(WM_CLOSE));
}

}  // namespace
