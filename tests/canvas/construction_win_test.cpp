// Building and releasing a canvas on a real window, and every way construction can fail.
#include <cstring>
#include <string>

#include "canvas/pixel_memory.h"
#include "support/canvas_error.h"
#include "tests/canvas/canvas_fixture_win.h"

namespace canvas_test {
namespace {

std::string ErrorText(int line) {
  return std::string("*vornack error : .\\icg(") + std::to_string(line) + ")";
}

TEST(CanvasConstructionTest, AWindowCanvasStartsWithOneBaseLayerAndItsDefaults) {
  TestWindow window;
  const gdi::LiveCounts before = gdi::Live();
  {
    CICG canvas(window.get());
    EXPECT_EQ(960, canvas.GetWidth());
    EXPECT_EQ(320, canvas.GetHeight());
    ASSERT_EQ(1u, canvas.layers.size());
    const ICGLayer& base = *canvas.layers.front();
    EXPECT_EQ(1, base.number);
    EXPECT_EQ(icg_mode::kCopy, base.mode.load());
    EXPECT_EQ(static_cast<std::uint32_t>(SRCCOPY), base.rop);
    EXPECT_EQ(0u, base.key_color);
    EXPECT_EQ(0u, base.transparency);
    EXPECT_EQ(1, canvas.current_layer);
    EXPECT_EQ(1, canvas.layer_counter);
    EXPECT_EQ(1, canvas.GetBaseLayer());
    EXPECT_EQ(base.bitmap, GetCurrentObject(canvas.draw_dc, OBJ_BITMAP))
        << "the drawing DC holds the base layer";
    EXPECT_EQ(GetStockObject(WHITE_PEN), GetCurrentObject(canvas.draw_dc, OBJ_PEN));
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), GetCurrentObject(canvas.draw_dc, OBJ_BRUSH));
    EXPECT_EQ(canvas.compose_bitmap, GetCurrentObject(canvas.compose_dc, OBJ_BITMAP));
    EXPECT_EQ(0x00FF00FFu, canvas.GetKeyColor());
    EXPECT_EQ(16u, canvas.pacing.frame_period);
    EXPECT_EQ(0u, canvas.pacing.frame_count);
    EXPECT_TRUE(canvas.no_wait.load());
    EXPECT_FALSE(canvas.running.load());
    EXPECT_EQ(nullptr, canvas.thread_handle.get());
    EXPECT_EQ(INVALID_HANDLE_VALUE, canvas.console_output);
    EXPECT_EQ(INVALID_HANDLE_VALUE, canvas.console_buffer);
    const CONSOLE_SCREEN_BUFFER_INFO zero{};
    EXPECT_EQ(0, std::memcmp(&zero, &canvas.screen_info, sizeof zero));
    EXPECT_NE(nullptr, canvas.src_buffer);
    EXPECT_NE(nullptr, canvas.dst_buffer);

    SIZE expected{};
    HDC dc = GetDC(window.get());
    GetTextExtentPoint32A(dc, "0", 1, &expected);
    ReleaseDC(window.get(), dc);
    EXPECT_GT(expected.cx, 0);
    EXPECT_EQ(expected.cx, canvas.cell_size.cx);
    EXPECT_EQ(expected.cy, canvas.cell_size.cy);

    // Two window DCs and memory DCs... the window DC, the drawing DC, the composition DC;
    // two bitmaps: the base layer and the composition.
    EXPECT_EQ((gdi::LiveCounts{before.objects + 2, before.dcs + 3}), gdi::Live());
  }
  EXPECT_EQ(before, gdi::Live()) << "destruction released everything";
}

TEST(CanvasConstructionTest, ADestroyedWindowFailsAtGetDCWithItsLogLineAndText) {
  LogCapture log;
  TestWindow window;
  const HWND gone = window.get();
  window.Destroy();
  const gdi::LiveCounts before = gdi::Live();
  SetLastError(0xdeadbeef);
  EXPECT_EQ(ErrorText(443), CanvasErrorThrown([&] { CICG canvas(gone); }));
  EXPECT_EQ(ErrorText(443), CanvasErrorText());
  EXPECT_EQ(1, log.Count("ERROR [icg:442] ")) << "one system-error line for GetDC";
  EXPECT_EQ(before, gdi::Live());
}

TEST(CanvasConstructionTest, EveryLaterFailureReleasesWhatWasAcquired) {
  TestWindow window;
  LogCapture log;
  // The counted creations of a construction in their order, and the failure each one
  // is reported as: window DC, drawing DC, base bitmap, composition DC, composition bitmap.
  const int expected_text_lines[] = {443, 450, 498, 555, 561};
  const gdi::LiveCounts before = gdi::Live();
  for (int nth = 0; nth < 5; ++nth) {
    gdi::FailCreation(nth);
    const std::string thrown = CanvasErrorThrown([&] { CICG canvas(window.get()); });
    gdi::FailCreation(-1);
    EXPECT_EQ(ErrorText(expected_text_lines[nth]), thrown) << "failing creation " << nth;
    EXPECT_EQ(before, gdi::Live()) << "after failing creation " << nth;
  }
  EXPECT_EQ(1, log.Count("ERROR [icg:449] "));
  EXPECT_EQ(1, log.Count("ERROR [icg:560] "));

  // The pixel buffers fail like a platform call, with the memory error's text.
  for (int nth = 0; nth < 2; ++nth) {
    FailPixelAllocation(nth);
    const std::string thrown = CanvasErrorThrown([&] { CICG canvas(window.get()); });
    FailPixelAllocation(-1);
    EXPECT_EQ(ErrorText(nth == 0 ? 506 : 511), thrown) << "failing pixel buffer " << nth;
    EXPECT_EQ(before, gdi::Live()) << "after failing pixel buffer " << nth;
  }
  EXPECT_EQ(1, log.Count("ERROR [icg:505] "));
  EXPECT_EQ(1, log.Count("ERROR [icg:510] "));

  // And the canvas can be built again afterwards.
  CICG canvas(window.get());
  EXPECT_EQ(960, canvas.GetWidth());
}

TEST(CanvasConstructionTest, TwoErrorsInARowLeaveOnlyTheSecondText) {
  TestWindow window;
  const HWND gone = window.get();
  window.Destroy();
  LogCapture log;
  CanvasErrorThrown([&] { CICG canvas(gone); });
  TestWindow other;
  gdi::FailCreation(4);
  const std::string second = CanvasErrorThrown([&] { CICG canvas(other.get()); });
  gdi::FailCreation(-1);
  EXPECT_EQ(ErrorText(561), second);
  EXPECT_EQ(ErrorText(561), CanvasErrorText());
}

TEST(CanvasConstructionTest, DestructionReleasesEveryLayerAndEveryObjectTheCanvasOwns) {
  TestWindow window;
  const gdi::LiveCounts before = gdi::Live();
  {
    CICG canvas(window.get());
    ICGLayer description{};
    ASSERT_EQ(2, canvas.CreateLayer(description));
    ASSERT_EQ(3, canvas.CreateLayer(description));
    // The current layer (3) is still selected, and the canvas has taken over a pen and a
    // brush of its caller's.
    ASSERT_EQ(1, canvas.SelectGdiObject(gdi::CreatePen(PS_SOLID, 3, RGB(1, 2, 3))));
    ASSERT_EQ(1, canvas.SetBrushColor(RGB(4, 5, 6)));
    EXPECT_EQ((gdi::LiveCounts{before.objects + 6, before.dcs + 3}), gdi::Live());
  }
  EXPECT_EQ(before, gdi::Live());
}

// Console mode runs in a child process, which can be given a console or none.
std::string RunConsoleProbe(DWORD creation_flags, DWORD* exit_code) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string probe = self;
  probe = probe.substr(0, probe.find_last_of("\\/") + 1) + "canvas_console_probe.exe";
  TempFolder folder;
  const std::string report = folder.path() + "report.txt";
  std::string command = "\"" + probe + "\" \"" + report + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(probe.c_str(), command.data(), nullptr, nullptr, FALSE, creation_flags,
                      nullptr, folder.path().c_str(), &startup, &process)) {
    return "(the probe did not start: " + std::to_string(GetLastError()) + ")";
  }
  WaitForSingleObject(process.hProcess, 30000);
  GetExitCodeProcess(process.hProcess, exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return folder.Read("report.txt");
}

TEST(CanvasConsoleTest, AProcessWithoutAConsoleFailsAtTheScreenBufferInfo) {
  DWORD code = 0;
  const std::string report = RunConsoleProbe(DETACHED_PROCESS, &code);
  EXPECT_EQ(0u, code) << report;
  EXPECT_NE(std::string::npos, report.find("thrown=" + ErrorText(351))) << report;
  EXPECT_NE(std::string::npos, report.find("ERROR [icg:350] ")) << report;
}

TEST(CanvasConsoleTest, AProcessWithItsOwnConsoleDrawsOnTheConsoleWindow) {
  DWORD code = 0;
  const std::string report = RunConsoleProbe(CREATE_NEW_CONSOLE, &code);
  EXPECT_EQ(0u, code) << report;
  if (report.find("thrown=" + ErrorText(413)) != std::string::npos) {
    GTEST_SKIP() << "this Wine gives a new console no window: " << report;
  }
  EXPECT_NE(std::string::npos, report.find("built=1")) << report;
  EXPECT_NE(std::string::npos, report.find("cell=ok")) << report;
  EXPECT_NE(std::string::npos, report.find("buffer_closed=1")) << report;
  EXPECT_NE(std::string::npos, report.find("std_open=1")) << report;
  EXPECT_NE(std::string::npos, report.find("live_after=0,0")) << report;
}

}  // namespace
}  // namespace canvas_test
