// The entry point of Parallux.exe.
#include <windows.h>

#include "app/board_window_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  return RunBoard(instance, show);
}
