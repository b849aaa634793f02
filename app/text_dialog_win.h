// The text input dialog: one line of text under a caption; an empty line is refused.
#pragma once

#include <windows.h>

#include <cstddef>

inline constexpr std::size_t kTextCaptionCapacity = 40;
inline constexpr std::size_t kTextDialogCapacity = 256;

// What the dialog shows and, after OK, what the user entered.
struct TextDialogState {
  char caption[kTextCaptionCapacity];
  char text[kTextDialogCapacity];
};

// True when the user confirmed a text, which is then in `state.text`.
bool RunTextDialog(HINSTANCE instance, HWND owner, TextDialogState& state);
