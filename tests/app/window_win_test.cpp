// The running program in this process, driven as a user drives it: menu commands and
// accelerator keys posted to the main window, dialogs filled in and their buttons
// pressed, message boxes read and closed, the picture checked through the clipboard.
// The board runs on a thread of its own, as the program's first thread runs it; the
// test's thread plays the user.
#include <functional>
#include <thread>

#include "app/board_window_win.h"
#include "app/renderer_win.h"
#include "app/resource.h"
#include "tests/app/board_fixture_win.h"
#include "tests/canvas/canvas_fixture_win.h"

namespace board_test {
namespace {

bool WaitFor(const std::function<bool()>& condition, DWORD timeout_ms = 5000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(10);
  }
  return true;
}

std::string WindowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// A shown dialog or message box of this process owned by `owner`, with the caption
// (any caption when null); null when there is none now.
HWND OwnedDialog(HWND owner, const char* caption) {
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", caption); w != nullptr;
       w = FindWindowExA(nullptr, w, "#32770", caption)) {
    if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// The same, waited for.
HWND FindOwnedDialog(HWND owner, const char* caption) {
  HWND found = nullptr;
  WaitFor([&] { return (found = OwnedDialog(owner, caption)) != nullptr; });
  return found;
}

// The text of a message box (its static text control).
std::string MessageBoxText(HWND box) {
  char text[256] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

// Presses a button the way a click does, without waiting for what it starts (a press
// that opens a message box returns only when that box is closed).
void Press(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

class BoardSession : public ::testing::Test {
 protected:
  void SetUp() override {
    runner_ = std::thread([this] {
      exit_code_ = RunBoard(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE, &FakeModulePath);
    });
    ASSERT_TRUE(WaitFor([&] {
      window_ = FindWindowA("PARALLUX", "Parallux");
      return window_ != nullptr && g_board.canvas != nullptr;
    })) << "the main window did not appear";
  }

  void TearDown() override {
    if (runner_.joinable()) {
      PostMessageA(window_, WM_CLOSE, 0, 0);
      runner_.join();
    }
  }

  // Ends the program as the user would with `message`; its exit code.
  int Close(UINT message, WPARAM wparam = 0) {
    PostMessageA(window_, message, wparam, 0);
    runner_.join();
    return exit_code_;
  }

  // A command that opens a modal dialog is posted: its sender would wait for the dialog.
  void Command(WORD id) { PostMessageA(window_, WM_COMMAND, id, 0); }
  // Any other command is sent, so that it has taken effect when this returns.
  void Send(WORD id) { SendMessageA(window_, WM_COMMAND, id, 0); }

  HWND OpenDialog(WORD command, const char* caption) {
    Command(command);
    return FindOwnedDialog(window_, caption);
  }

  // The options dialog: fields as given (null leaves a field as shown), then OK.
  HWND FillOptions(const char* width, const char* depth) {
    HWND dialog = OpenDialog(IDM_OPTIONS, "オプション");
    if (dialog == nullptr) return nullptr;
    if (width != nullptr) SetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, width);
    if (depth != nullptr) SetDlgItemTextA(dialog, IDC_TEXT_DEPTH, depth);
    return dialog;
  }

  // Presses OK; the message box it brings up, or null when the dialog closed instead.
  HWND PressOkExpectingBox(HWND dialog) {
    Press(dialog, IDOK);
    HWND box = nullptr;
    WaitFor([&] { return !IsWindow(dialog) || (box = OwnedDialog(dialog, nullptr)) != nullptr; });
    return box;
  }

  bool Closed(HWND dialog) {
    return WaitFor([&] { return !IsWindow(dialog); });
  }

  ProgramFolder program_;
  std::thread runner_;
  int exit_code_ = -1;
  HWND window_ = nullptr;
};

TEST_F(BoardSession, TheWindowHasA960By320PictureAndTheProgramEndsWithCodeZero) {
  RECT client{};
  GetClientRect(window_, &client);
  EXPECT_EQ(960, client.right);
  EXPECT_EQ(320, client.bottom);
  const LONG style = GetWindowLongA(window_, GWL_STYLE);
  EXPECT_EQ(0, style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) << "the window cannot be resized";
  EXPECT_NE(0, style & WS_MINIMIZEBOX);
  EXPECT_TRUE(WaitFor([] { return g_board.canvas->pacing.frame_count >= 3; }))
      << "frames are drawn";
  EXPECT_EQ(66u, g_board.canvas->pacing.frame_period);
  EXPECT_EQ(0, Close(WM_CLOSE));
  EXPECT_NE(std::string::npos, program_.Settings().find("PWD=100")) << "the close box saves";
}

TEST_F(BoardSession, TheExitCommandSavesTheSettingsToo) {
  g_board.parallax_width = 222;
  EXPECT_EQ(0, Close(WM_COMMAND, IDM_EXIT));
  EXPECT_NE(std::string::npos, program_.Settings().find("PWD=222")) << program_.Settings();
}

TEST_F(BoardSession, MenuMarksAndThePauseItemFollowTheState) {
  HMENU menu = GetMenu(window_);
  const auto marks = [&] {
    SendMessageA(window_, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    char pause[64] = {};
    GetMenuStringA(menu, IDM_PAUSE, pause, sizeof pause, MF_BYCOMMAND);
    return std::string((GetMenuState(menu, IDM_VIEW_TEXT, MF_BYCOMMAND) & MF_CHECKED) ? "T" : "-") +
           ((GetMenuState(menu, IDM_VIEW_GUIDE, MF_BYCOMMAND) & MF_CHECKED) ? "G " : "- ") + pause;
  };
  EXPECT_EQ("-- 一時停止(&P)", marks());
  Send(IDM_VIEW_TEXT);
  Send(IDM_PAUSE);
  EXPECT_EQ("T- 再開(&P)", marks());
  EXPECT_TRUE(g_board.paused.load());
  EXPECT_EQ(icg_mode::kAlphaBlend, g_board.canvas->FindLayer(g_board.text_layer)->mode.load());
  Send(IDM_VIEW_GUIDE);
  Send(IDM_VIEW_TEXT);
  Send(IDM_PAUSE);
  EXPECT_EQ("-G 一時停止(&P)", marks());
  EXPECT_EQ(icg_mode::kHidden, g_board.canvas->FindLayer(g_board.text_layer)->mode.load());
  EXPECT_EQ(icg_mode::kTransparent, g_board.canvas->FindLayer(g_board.guide_layer)->mode.load());

  // The menu's own texts.
  char text[64] = {};
  GetMenuStringA(menu, IDM_OPTIONS, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ("オプション(&O)...", text);
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ("ファイル(&F)", text);
}

TEST_F(BoardSession, TheAboutBoxOpensFromItsMenuItemAndBothAltAccelerators) {
  for (const char key : {'\0', '?', '/'}) {
    if (key == '\0') {
      Command(IDM_ABOUT);
    } else {
      // A character accelerator with Alt: the key's character with the Alt bit set.
      PostMessageA(window_, WM_SYSKEYDOWN, static_cast<WPARAM>(key), 0x20000001);
    }
    HWND about = FindOwnedDialog(window_, "バージョン情報 Parallux");
    ASSERT_NE(nullptr, about) << "no about box for "
                              << (key == '\0' ? "the menu item" : std::string(1, key));
    // Escape closes it like OK.
    PostMessageA(GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Closed(about));
  }
}

TEST_F(BoardSession, ParallaxWidthsOutsideTenTo480AreRefusedAndTheDialogStaysOpen) {
  for (const char* refused : {"9", "481", "4294967396", "99999999999"}) {
    HWND dialog = FillOptions(refused, nullptr);
    ASSERT_NE(nullptr, dialog);
    HWND box = PressOkExpectingBox(dialog);
    ASSERT_NE(nullptr, box) << refused << " was not refused";
    EXPECT_EQ("視差幅が範囲外です", MessageBoxText(box));
    EXPECT_EQ("オプション", WindowText(box));
    Press(box, IDOK);
    ASSERT_TRUE(Closed(box));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays open";
    char shown[32] = {};
    GetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, shown, sizeof shown);
    EXPECT_STREQ(refused, shown) << "the field keeps what the user typed";
    Press(dialog, IDCANCEL);
    ASSERT_TRUE(Closed(dialog));
    EXPECT_EQ(100, g_board.parallax_width.load()) << refused;
  }
  for (const char* accepted : {"10", "480", " 120 "}) {
    HWND dialog = FillOptions(accepted, nullptr);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(nullptr, PressOkExpectingBox(dialog)) << accepted;
    EXPECT_TRUE(Closed(dialog));
    EXPECT_EQ(std::atoi(accepted), g_board.parallax_width.load());
  }
  // No number at all: nothing changes, and the dialog closes.
  for (const char* ignored : {"-5", "abc", ""}) {
    HWND dialog = FillOptions(ignored, nullptr);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(nullptr, PressOkExpectingBox(dialog)) << ignored;
    EXPECT_TRUE(Closed(dialog));
    EXPECT_EQ(120, g_board.parallax_width.load()) << ignored;
  }
}

TEST_F(BoardSession, TextPositionsFrom0To255AreAcceptedAndARefusalKeepsEarlierSteps) {
  for (const char* accepted : {"0", "255"}) {
    HWND dialog = FillOptions(nullptr, accepted);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(nullptr, PressOkExpectingBox(dialog));
    EXPECT_EQ(static_cast<std::uint32_t>(std::atoi(accepted)), g_board.text_depth.load());
  }
  g_board.text_depth = 200;
  HWND dialog = FillOptions("150", "300");
  ASSERT_NE(nullptr, dialog);
  CheckDlgButton(dialog, IDC_REVERSE, BST_CHECKED);
  HWND box = PressOkExpectingBox(dialog);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ("テキスト位置が範囲外です", MessageBoxText(box));
  Press(box, IDOK);
  ASSERT_TRUE(Closed(box));
  Press(dialog, IDCANCEL);
  ASSERT_TRUE(Closed(dialog));
  EXPECT_TRUE(g_board.reverse.load()) << "stored before the refusal";
  EXPECT_EQ(150, g_board.parallax_width.load()) << "stored before the refusal";
  EXPECT_EQ(200u, g_board.text_depth.load()) << "the refused value is not stored";

  dialog = FillOptions(nullptr, "256");
  ASSERT_NE(nullptr, dialog);
  box = PressOkExpectingBox(dialog);
  ASSERT_NE(nullptr, box) << "256 was not refused";
  Press(box, IDOK);
  ASSERT_TRUE(Closed(box));
  Press(dialog, IDCANCEL);
  ASSERT_TRUE(Closed(dialog));
}

TEST_F(BoardSession, TheOptionsDialogShowsTheSettingsAndStoresTheDotChoice) {
  g_board.dot_mode = 7;  // from a file: any value but 1 is colour
  g_board.reverse = true;
  g_board.parallax_width = 321;
  g_board.text_depth = 45;
  HWND dialog = OpenDialog(IDM_OPTIONS, "オプション");
  ASSERT_NE(nullptr, dialog);
  char text[32] = {};
  GetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, text, sizeof text);
  EXPECT_STREQ("321", text);
  GetDlgItemTextA(dialog, IDC_TEXT_DEPTH, text, sizeof text);
  EXPECT_STREQ("45", text);
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_REVERSE));
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_COLOUR_DOTS));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_GREY_DOTS));

  // The keyboard walks the page from top to bottom and ends on the buttons.
  std::vector<int> order;
  HWND at = GetDlgItem(dialog, IDC_REVERSE);
  for (int i = 0; i < 6; ++i) {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(dialog, at, FALSE);
  }
  EXPECT_EQ((std::vector<int>{IDC_REVERSE, IDC_PARALLAX_WIDTH, IDC_TEXT_DEPTH, IDC_COLOUR_DOTS,
                              IDOK, IDCANCEL}),
            order);

  EXPECT_EQ(nullptr, PressOkExpectingBox(dialog));
  EXPECT_EQ(2u, g_board.dot_mode.load());

  dialog = OpenDialog(IDM_OPTIONS, "オプション");
  ASSERT_NE(nullptr, dialog);
  CheckRadioButton(dialog, IDC_GREY_DOTS, IDC_COLOUR_DOTS, IDC_GREY_DOTS);
  // Enter in a field presses the default button.
  PostMessageA(GetDlgItem(dialog, IDC_TEXT_DEPTH), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(Closed(dialog));
  EXPECT_EQ(1u, g_board.dot_mode.load());
}

TEST_F(BoardSession, TheTextDialogCutsLongTextsAndRefusesAnEmptyOne) {
  HWND dialog = OpenDialog(IDM_TEXT_INPUT, "入力");
  ASSERT_NE(nullptr, dialog);
  char shown[300] = {};
  GetDlgItemTextA(dialog, IDC_TEXT_EDIT, shown, sizeof shown);
  EXPECT_STREQ("テキストを入力してください。", shown);
  GetDlgItemTextA(dialog, IDC_TEXT_GROUP, shown, sizeof shown);
  EXPECT_STREQ("テキスト", shown);

  // 50 bytes: 38 single bytes, then six double-byte characters (byte 39 starts one).
  const std::string typed = std::string(39, 'a') + "あいうえおか" + "b";
  ASSERT_EQ(52u, typed.size());
  SetDlgItemTextA(dialog, IDC_TEXT_EDIT, typed.c_str());
  Press(dialog, IDOK);
  ASSERT_TRUE(Closed(dialog));
  EXPECT_EQ(std::string(39, 'a'), Text(g_board)) << "cut before the character at byte 40";

  dialog = OpenDialog(IDM_TEXT_INPUT, "入力");
  ASSERT_NE(nullptr, dialog);
  GetDlgItemTextA(dialog, IDC_TEXT_EDIT, shown, sizeof shown);
  EXPECT_EQ(std::string(39, 'a'), shown) << "reopening shows what is stored";

  SetDlgItemTextA(dialog, IDC_TEXT_EDIT, "");
  HWND box = PressOkExpectingBox(dialog);
  ASSERT_NE(nullptr, box) << "an empty text must be refused";
  EXPECT_EQ("入力誤り", MessageBoxText(box));
  EXPECT_EQ("入力", WindowText(box));
  Press(box, IDOK);
  ASSERT_TRUE(Closed(box));
  EXPECT_TRUE(IsWindow(dialog));
  Press(dialog, IDCANCEL);
  ASSERT_TRUE(Closed(dialog));
  EXPECT_EQ(std::string(39, 'a'), Text(g_board)) << "Cancel leaves the text as it was";

  // Fifty single bytes keep exactly forty.
  dialog = OpenDialog(IDM_TEXT_INPUT, "入力");
  ASSERT_NE(nullptr, dialog);
  SetDlgItemTextA(dialog, IDC_TEXT_EDIT, std::string(50, 'z').c_str());
  PostMessageA(GetDlgItem(dialog, IDC_TEXT_EDIT), WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(Closed(dialog));
  EXPECT_EQ(std::string(40, 'z'), Text(g_board));
}

TEST_F(BoardSession, TheCopyCommandPutsTheWholePictureOnTheClipboard) {
  Send(IDM_VIEW_GUIDE);
  Send(IDM_VIEW_TEXT);
  // Paused, so that the picture on the clipboard is the one still composed.
  ASSERT_TRUE(WaitFor([] { return g_board.canvas->pacing.frame_count >= 3; }));
  Send(IDM_PAUSE);
  Sleep(300);
  Send(IDM_COPY);
  Sleep(300);
  ASSERT_TRUE(WaitFor([] { return OpenClipboard(nullptr) != FALSE; }));
  HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  BITMAP info{};
  ASSERT_NE(nullptr, bitmap);
  GetObjectA(bitmap, sizeof info, &info);
  const std::vector<std::uint32_t> copied =
      canvas_test::ReadBitmap(bitmap, info.bmWidth, info.bmHeight);
  CloseClipboard();
  EXPECT_EQ(960, info.bmWidth);
  EXPECT_EQ(320, info.bmHeight);
  EXPECT_EQ(canvas_test::ReadComposition(*g_board.canvas), copied);
  // The guide marks are part of it.
  EXPECT_EQ(0u, canvas_test::At(copied, 960, 320, 436, 6));
  EXPECT_EQ(0u, canvas_test::At(copied, 960, 320, 523, 14));
}

}  // namespace
}  // namespace board_test

namespace board_test {
namespace {

struct RunResult {
  int exit_code = -1;
};

DWORD WINAPI RunBoardThread(LPVOID data) {
  static_cast<RunResult*>(data)->exit_code =
      RunBoard(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE, &FakeModulePath);
  MSG quit;
  // A quit message left behind would end the next message loop of this thread.
  return PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) ? 1 : 0;
}

TEST(BoardStartTest, ASetupThatFailsRefusesTheWindowAndTheProgramEndsWithCodeZero) {
  ProgramFolder program;
  gdi::FailCreation(0);  // the canvas cannot have the window's DC
  RunResult result;
  DWORD thread_id = 0;
  HANDLE thread = CreateThread(nullptr, 0, &RunBoardThread, &result, 0, &thread_id);
  ASSERT_NE(nullptr, thread);
  const DWORD waited = WaitForSingleObject(thread, 10000);
  gdi::FailCreation(-1);
  if (waited != WAIT_OBJECT_0) {
    // It made a window after all: end it before failing.
    if (HWND window = FindWindowA("PARALLUX", nullptr)) PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread, 10000);
  }
  DWORD quit_left = 1;
  GetExitCodeThread(thread, &quit_left);
  CloseHandle(thread);
  ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), waited) << "the program did not end by itself";
  EXPECT_EQ(0, result.exit_code);
  EXPECT_EQ(0u, quit_left) << "a quit message was left in the queue";
  EXPECT_EQ(nullptr, FindWindowA("PARALLUX", nullptr)) << "no window may be left";
  EXPECT_EQ(nullptr, g_board.canvas);
  const std::string log = program.Log();
  EXPECT_NE(std::string::npos, log.find("SetupBoard : *vornack error : .\\icg(443)")) << log;
}

}  // namespace
}  // namespace board_test
