// Opens a canvas on a window of its own through the installed libraries, draws a line
// and shows one frame. Exit code 0 when the canvas has the window's size and the frame
// was shown.
#include <windows.h>

#include <cstdio>

#include "canvas/icg.h"

int main() {
  HWND window =
      CreateWindowExA(0, "STATIC", "Parallux consumer", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320,
                      200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return 1;
  RECT client{};
  GetClientRect(window, &client);
  int code = 1;
  try {
    CICG canvas(window);
    const bool sized = canvas.GetWidth() == client.right && canvas.GetHeight() == client.bottom;
    const bool drawn = canvas.MoveTo(10, 10) && canvas.LineTo(100, 80) && canvas.DrawFrame() == 1;
    std::printf("canvas %dx%d, frame %s\n", static_cast<int>(canvas.GetWidth()),
                static_cast<int>(canvas.GetHeight()), drawn ? "shown" : "failed");
    code = sized && drawn ? 0 : 1;
  } catch (const char* error) {
    std::printf("canvas: %s\n", error);
  }
  DestroyWindow(window);
  return code;
}
