// Builds a console-mode canvas in a process of its own and writes what happened into
// the file named by its argument: the console a process has (or has not) is set when it
// starts, so the tests start this probe with the console they want it to have.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

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
    report << "built=1\n";
    const SMALL_RECT& visible = canvas->screen_info.srWindow;
    const int columns = visible.Right - visible.Left + 1;
    const int rows = visible.Bottom - visible.Top + 1;
    const bool cell_ok = canvas->window != nullptr && canvas->cell_size.cx > 0 &&
                         canvas->cell_size.cx == canvas->width / columns &&
                         canvas->cell_size.cy == canvas->height / rows;
    report << "cell=" << (cell_ok ? "ok" : "wrong") << " size=" << canvas->width << "x"
           << canvas->height << " window=" << columns << "x" << rows << "\n";
    const HANDLE buffer = canvas->console_buffer;
    delete canvas;
    DWORD flags = 0;
    report << "buffer_closed=" << (GetHandleInformation(buffer, &flags) ? 0 : 1) << "\n";
    CONSOLE_SCREEN_BUFFER_INFO info;
    report << "std_open=" << (GetConsoleScreenBufferInfo(standard_output, &info) ? 1 : 0) << "\n";
    const gdi::LiveCounts after = gdi::Live();
    report << "live_after=" << after.objects - before.objects << "," << after.dcs - before.dcs
           << "\n";
  } catch (const char* text) {
    report << "thrown=" << (text != nullptr ? text : "(null)") << "\n";
  }
  TheLog().Close();
  std::ifstream log(folder + "probe0.log", std::ios::binary);
  report << "log:\n" << log.rdbuf();
  std::ofstream(report_path, std::ios::binary) << report.str();
  return 0;
}
