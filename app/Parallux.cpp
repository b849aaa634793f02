// The program's shell on the window's thread: the entry point, the start and the message
// loop, and the main window with its menu commands (each dialog has a file of its own).
// The picture itself is drawn by the frame renderer on the canvas's frame thread.
#include <cstdio>

#include "app/about_dialog_win.h"
#include "app/board_rules.h"
#include "app/board_window_win.h"
#include "app/options_dialog_win.h"
#include "app/picture_copy_win.h"
#include "app/renderer_win.h"
#include "app/resource.h"
#include "app/settings_win.h"
#include "app/text_dialog_win.h"
#include "support/bounded_string.h"
#include "support/invalid_parameter.h"

namespace {

constexpr std::size_t kTitleCapacity = 100;

HINSTANCE g_instance = nullptr;
char g_window_title[kTitleCapacity];
char g_window_class[kTitleCapacity];
PictureCopy g_copy;

// Copies as much of `source` as fits, never half a double-byte character.
void CopyCut(char* destination, std::size_t capacity, const char* source) {
  std::snprintf(destination, capacity, "%s", source);
  board::CutText(destination, capacity - 1);
}

void RunTextInput(HWND window) {
  char text[kTextCapacity];
  g_board.GetText(text);
  TextDialogState state;
  CopyCut(state.caption, sizeof state.caption, "テキスト");
  CopyCut(state.text, sizeof state.text, text);
  if (RunTextDialog(g_instance, window, state)) g_board.SetText(state.text);
}

bool RunCommand(HWND window, WORD command) {
  switch (command) {
    case IDM_ABOUT:
      RunAboutDialog(g_instance, window);
      break;
    case IDM_EXIT:
      DestroyWindow(window);
      break;
    case IDM_OPTIONS:
      RunOptionsDialog(g_instance, window, g_board);
      break;
    case IDM_VIEW_TEXT:
      ShowText(g_board, !g_board.show_text);
      break;
    case IDM_PAUSE:
      g_board.paused = !g_board.paused;
      break;
    case IDM_COPY:
      if (g_board.canvas != nullptr) g_copy.Start(window, *g_board.canvas);
      break;
    case IDM_VIEW_GUIDE:
      ShowGuide(g_board, !g_board.show_guide);
      break;
    case IDM_TEXT_INPUT:
      RunTextInput(window);
      break;
    default:
      return false;
  }
  return true;
}

void SetItemChecked(HMENU menu, UINT item, bool checked) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = MFS_ENABLED | (checked ? MFS_CHECKED : MFS_UNCHECKED);
  SetMenuItemInfoA(menu, item, FALSE, &info);
}

void UpdateMenu(HMENU menu) {
  SetItemChecked(menu, IDM_VIEW_TEXT, g_board.show_text);
  SetItemChecked(menu, IDM_VIEW_GUIDE, g_board.show_guide);
  char pause_text[32];
  std::snprintf(pause_text, sizeof pause_text, "%s", g_board.paused ? "再開(&P)" : "一時停止(&P)");
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = pause_text;
  SetMenuItemInfoA(menu, IDM_PAUSE, FALSE, &info);
}

}  // namespace

ATOM RegisterBoardClass(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &BoardWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PARALLUX));
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszMenuName = MAKEINTRESOURCEA(IDC_PARALLUX);
  wc.lpszClassName = g_window_class;
  wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PARALLUX_SMALL));
  return RegisterClassExA(&wc);
}

HWND CreateBoardWindow(HINSTANCE instance, int show) {
  g_instance = instance;
  const RECT& client = g_board.client_rect;
  const int width = (client.right - client.left) + 2 * GetSystemMetrics(SM_CXDLGFRAME);
  const int height = (client.bottom - client.top) + 2 * GetSystemMetrics(SM_CYDLGFRAME) +
                     GetSystemMetrics(SM_CYMENU) + GetSystemMetrics(SM_CYCAPTION);
  // Fixed size: a caption, a system menu and a minimise box, no sizing border.
  HWND window = CreateWindowExA(
      0, g_window_class, g_window_title, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
      CW_USEDEFAULT, 0, width, height, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return nullptr;
  ShowWindow(window, show);
  UpdateWindow(window);
  return window;
}

LRESULT CALLBACK BoardWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return SetupBoard(g_board, window) != 0 ? -1 : 0;
    case WM_DESTROY:
      g_copy.Drop(window);
      TeardownBoard(g_board);
      SaveSettings(g_board);
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      // The frame thread presents the picture; painting only validates.
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_COMMAND:
      if (RunCommand(window, LOWORD(wparam))) return 0;
      break;
    case WM_TIMER:
      if (wparam != PictureCopy::kTimerId) break;
      g_copy.Retry(window);
      return 0;
    case WM_INITMENU:
      UpdateMenu(reinterpret_cast<HMENU>(wparam));
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

void LoadBoardStrings(HINSTANCE instance) {
  LoadStringA(instance, IDS_APP_TITLE, g_window_title, sizeof g_window_title);
  LoadStringA(instance, IDS_WINDOW_CLASS, g_window_class, sizeof g_window_class);
}

int RunBoard(HINSTANCE instance, int show, ModulePathGetter get_module_path) {
  CInvalidParameterHook invalid_parameters;
  StartSettings(g_board, get_module_path);
  LoadBoardStrings(instance);
  RegisterBoardClass(instance);
  if (CreateBoardWindow(instance, show) == nullptr) {
    // The refused window's destruction posted a quit message; it belongs to this run.
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return 0;
  }
  HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDC_PARALLUX));
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  return RunBoard(instance, show);
}
