// Builds a console-mode canvas in a process of its own and writes what happened into
// the file named by its argument: a process's console is set when it starts, so the
// tests start this probe with the console they want it to have.
#include <windows.h>

#include <fstream>
#include <sstream>

#include "canvas/gdi_win.h"
#include "canvas/icg.h"
#include "support/log_manager.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string report_path = argv[1];
  const std::string folder = report_path.substr(0, report_path.find_last_of("\\/") + 1);
  TheLog().Setup(folder.c_str(), "probe", 10, 0);
  std::ostringstream report;
  const HANDLE standard_output = GetStdHandle(STD_OUTPUT_HANDLE);
  const gdi::LiveCounts before = gdi::Live();
  try {
    auto* canvas = new CICG(nullptr);
    const SMALL_RECT& visible = canvas->screen_info.srWindow;
    const bool cell_ok =
        canvas->window != nullptr && canvas->cell_size.cx > 0 &&
        canvas->cell_size.cx == canvas->width / (visible.Right - visible.Left + 1) &&
        canvas->cell_size.cy == canvas->height / (visible.Bottom - visible.Top + 1);
    const HANDLE buffer = canvas->console_buffer;
    delete canvas;
    DWORD flags = 0;
    CONSOLE_SCREEN_BUFFER_INFO info;
    report << "built cell_ok=" << cell_ok
           << " buffer_closed=" << !GetHandleInformation(buffer, &flags)
           << " std_open=" << GetConsoleScreenBufferInfo(standard_output, &info)
           << " released=" << (gdi::Live() == before) << "\n";
  } catch (const char* text) {
    report << "thrown=" << text << "\n";
  }
  TheLog().Close();
  report << "log:\n" << std::ifstream(folder + "probe0.log", std::ios::binary).rdbuf();
  std::ofstream(report_path, std::ios::binary) << report.str();
  return 0;
}
