// The "about" dialog.
#pragma once

#include <windows.h>

void RunAboutDialog(HINSTANCE instance, HWND owner);
