#include "app/text_dialog_win.h"

#include "app/resource.h"

namespace {

INT_PTR CALLBACK TextDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    // The state comes with the dialog's creation and stays with the dialog.
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    const auto* state = reinterpret_cast<const TextDialogState*>(lparam);
    SendDlgItemMessageA(dialog, IDC_TEXT_EDIT, EM_LIMITTEXT, kTextDialogCapacity - 1, 0);
    SetDlgItemTextA(dialog, IDC_TEXT_EDIT, state->text);
    SetDlgItemTextA(dialog, IDC_TEXT_GROUP, state->caption);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  auto* state = reinterpret_cast<TextDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (LOWORD(wparam)) {
    case IDOK:
      GetDlgItemTextA(dialog, IDC_TEXT_EDIT, state->text, sizeof state->text);
      if (state->text[0] == '\0') {
        MessageBoxA(dialog, "入力誤り", "入力", MB_OK);
      } else {
        EndDialog(dialog, IDOK);
      }
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

bool RunTextDialog(HINSTANCE instance, HWND owner, TextDialogState& state) {
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_TEXT_INPUT), owner, &TextDlgProc,
                         reinterpret_cast<LPARAM>(&state)) == IDOK;
}
