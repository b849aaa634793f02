#include "app/options_dialog_win.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/board_rules.h"
#include "app/resource.h"

namespace {

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

void AcceptOptions(HWND dialog, BoardState& state) {
  // Each value is stored as soon as it is read: a refusal further down leaves the
  // earlier ones in force, as the user saw them accepted.
  state.reverse = IsDlgButtonChecked(dialog, IDC_REVERSE) == BST_CHECKED;
  std::uint32_t value = 0;
  const auto widest = static_cast<std::uint32_t>(board::MaxParallaxWidth(state.PictureWidth()));
  switch (ReadNumberField(dialog, IDC_PARALLAX_WIDTH, board::kMinParallaxWidth, widest,
                          "視差幅が範囲外です", &value)) {
    case FieldResult::kRefused:
      return;
    case FieldResult::kStore:
      state.parallax_width = static_cast<std::int32_t>(value);
      break;
    case FieldResult::kKeep:
      break;
  }
  switch (ReadNumberField(dialog, IDC_TEXT_DEPTH, 0, board::kMaxTextDepth,
                          "テキスト位置が範囲外です", &value)) {
    case FieldResult::kRefused:
      return;
    case FieldResult::kStore:
      state.text_depth = value;
      break;
    case FieldResult::kKeep:
      break;
  }
  state.dot_mode = IsDlgButtonChecked(dialog, IDC_GREY_DOTS) == BST_CHECKED ? board::kGreyDots
                                                                            : board::kColourDots;
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      // The Board state comes with the dialog's creation and stays with the dialog.
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      const BoardState& state = *reinterpret_cast<const BoardState*>(lparam);
      CheckDlgButton(dialog, IDC_REVERSE, state.reverse ? BST_CHECKED : BST_UNCHECKED);
      char number[16];
      std::snprintf(number, sizeof number, "%u",
                    static_cast<unsigned>(state.parallax_width.load()));
      SetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, number);
      std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(state.text_depth.load()));
      SetDlgItemTextA(dialog, IDC_TEXT_DEPTH, number);
      CheckRadioButton(dialog, IDC_GREY_DOTS, IDC_COLOUR_DOTS,
                       state.dot_mode == board::kGreyDots ? IDC_GREY_DOTS : IDC_COLOUR_DOTS);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        AcceptOptions(dialog, *reinterpret_cast<BoardState*>(GetWindowLongPtrA(dialog, DWLP_USER)));
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

}  // namespace

void RunOptionsDialog(HINSTANCE instance, HWND owner, BoardState& state) {
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_OPTIONS), owner, &OptionsDlgProc,
                  reinterpret_cast<LPARAM>(&state));
}
