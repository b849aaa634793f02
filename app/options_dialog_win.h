// The options dialog: depth reversal, parallax width, text depth and the kind of dots.
#pragma once

#include <windows.h>

#include "app/board_state_win.h"

// Shows the options of `state` and stores what the user accepts into them.
void RunOptionsDialog(HINSTANCE instance, HWND owner, BoardState& state);
