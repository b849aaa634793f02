// The main window and the program's run from start to exit.
#pragma once

#include <windows.h>

#include "app/settings_win.h"

// Settings, window, message loop, and the exit code of the quit message (0); 0 at once
// when the window cannot be made. The settings file is the one beside the executable
// that `get_module_path` names (by default this process's).
int RunBoard(HINSTANCE instance, int show, ModulePathGetter get_module_path = nullptr);

// The window title and class name from the string table.
void LoadBoardStrings(HINSTANCE instance);

ATOM RegisterBoardClass(HINSTANCE instance);
// The main window, shown; null when it could not be made (the board setup failed).
HWND CreateBoardWindow(HINSTANCE instance, int show);
LRESULT CALLBACK BoardWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
