// The program's shell on the window's thread: the start and the message loop, the main
// window with its menu commands, and the three dialogs. The picture itself is drawn by
// the frame renderer on the canvas's frame thread.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/board_rules.h"
#include "app/board_window_win.h"
#include "app/renderer_win.h"
#include "app/resource.h"
#include "app/settings_win.h"
#include "support/bounded_string.h"
#include "support/invalid_parameter.h"

namespace {

constexpr std::size_t kTitleCapacity = 100;
constexpr std::size_t kTextCaptionCapacity = 40;
constexpr std::size_t kTextDialogCapacity = 256;

HINSTANCE g_instance = nullptr;
char g_window_title[kTitleCapacity];
char g_window_class[kTitleCapacity];
char g_text_caption[kTextCaptionCapacity];
char g_text_dialog_text[kTextDialogCapacity];

// Copies as much of `source` as fits, never half a double-byte character.
void CopyCut(char* destination, std::size_t capacity, const char* source) {
  std::snprintf(destination, capacity, "%s", source);
  board::CutText(destination, capacity - 1);
}

void RunTextInput(HWND window) {
  char text[kTextCapacity];
  g_board.GetText(text);
  CopyCut(g_text_caption, sizeof g_text_caption, "テキスト");
  CopyCut(g_text_dialog_text, sizeof g_text_dialog_text, text);
  if (DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_TEXT_INPUT), window, &TextDlgProc, 0) ==
      IDOK) {
    g_board.SetText(g_text_dialog_text);
  }
}

bool RunCommand(HWND window, WORD command) {
  switch (command) {
    case IDM_ABOUT:
      DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), window, &AboutDlgProc, 0);
      break;
    case IDM_EXIT:
      DestroyWindow(window);
      break;
    case IDM_OPTIONS:
      DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), window, &OptionsDlgProc, 0);
      break;
    case IDM_VIEW_TEXT:
      ShowText(g_board, !g_board.show_text);
      break;
    case IDM_PAUSE:
      g_board.paused = !g_board.paused;
      break;
    case IDM_COPY:
      if (g_board.canvas != nullptr) g_board.canvas->CopyToClipboard();
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

// What reading an options field decided.
enum class FieldResult { kKeep, kStore, kRefused };

std::string FieldText(HWND dialog, int id) {
  HWND field = GetDlgItem(dialog, id);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(field)) + 1, '\0');
  GetWindowTextA(field, text.data(), static_cast<int>(text.size()));
  text.resize(std::strlen(text.c_str()));
  return text;
}

// A field without a number keeps its setting; a number out of range (one too large for
// 32 bits included, never wrapped into range) is refused with `refusal`.
FieldResult ReadNumberField(HWND dialog, int id, std::uint32_t lowest, std::uint32_t highest,
                            const char* refusal, std::uint32_t* value) {
  switch (board::ParseFieldNumber(FieldText(dialog, id).c_str(), value)) {
    case board::FieldNumber::kNone:
      return FieldResult::kKeep;
    case board::FieldNumber::kValue:
      if (*value >= lowest && *value <= highest) return FieldResult::kStore;
      break;
    case board::FieldNumber::kTooLarge:
      break;
  }
  MessageBoxA(dialog, refusal, "オプション", MB_OK);
  return FieldResult::kRefused;
}

void AcceptOptions(HWND dialog) {
  // Each value is stored as soon as it is read: a refusal further down leaves the
  // earlier ones in force, as the user saw them accepted.
  g_board.reverse = IsDlgButtonChecked(dialog, IDC_REVERSE) == BST_CHECKED;
  std::uint32_t value = 0;
  const auto widest = static_cast<std::uint32_t>(board::MaxParallaxWidth(g_board.PictureWidth()));
  switch (ReadNumberField(dialog, IDC_PARALLAX_WIDTH, board::kMinParallaxWidth, widest,
                          "視差幅が範囲外です", &value)) {
    case FieldResult::kRefused:
      return;
    case FieldResult::kStore:
      g_board.parallax_width = static_cast<std::int32_t>(value);
      break;
    case FieldResult::kKeep:
      break;
  }
  switch (ReadNumberField(dialog, IDC_TEXT_DEPTH, 0, board::kMaxTextDepth,
                          "テキスト位置が範囲外です", &value)) {
    case FieldResult::kRefused:
      return;
    case FieldResult::kStore:
      g_board.text_depth = value;
      break;
    case FieldResult::kKeep:
      break;
  }
  g_board.dot_mode = IsDlgButtonChecked(dialog, IDC_GREY_DOTS) == BST_CHECKED ? board::kGreyDots
                                                                              : board::kColourDots;
  EndDialog(dialog, IDOK);
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
    case WM_INITMENU:
      UpdateMenu(reinterpret_cast<HMENU>(wparam));
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK TextDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageA(dialog, IDC_TEXT_EDIT, EM_LIMITTEXT, kTextDialogCapacity - 1, 0);
      SetDlgItemTextA(dialog, IDC_TEXT_EDIT, g_text_dialog_text);
      SetDlgItemTextA(dialog, IDC_TEXT_GROUP, g_text_caption);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        GetDlgItemTextA(dialog, IDC_TEXT_EDIT, g_text_dialog_text, sizeof g_text_dialog_text);
        if (g_text_dialog_text[0] == '\0') {
          MessageBoxA(dialog, "入力誤り", "入力", MB_OK);
        } else {
          EndDialog(dialog, IDOK);
        }
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CheckDlgButton(dialog, IDC_REVERSE, g_board.reverse ? BST_CHECKED : BST_UNCHECKED);
      char number[16];
      std::snprintf(number, sizeof number, "%u",
                    static_cast<unsigned>(g_board.parallax_width.load()));
      SetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, number);
      std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(g_board.text_depth.load()));
      SetDlgItemTextA(dialog, IDC_TEXT_DEPTH, number);
      CheckRadioButton(dialog, IDC_GREY_DOTS, IDC_COLOUR_DOTS,
                       g_board.dot_mode == board::kGreyDots ? IDC_GREY_DOTS : IDC_COLOUR_DOTS);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        AcceptOptions(dialog);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
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
