// Building and releasing a canvas, every way construction can fail, and the objects it
// is handed.
#include <cmath>
#include <cstring>

#include "canvas/pixel_memory.h"
#include "geometry/shape_math.h"
#include "support/canvas_error.h"
#include "tests/canvas/canvas_fixture_win.h"

namespace canvas_test {
namespace {

std::string ErrorText(int line) { return "*vornack error : .\\icg(" + std::to_string(line) + ")"; }

std::string SystemText(DWORD code) {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  return std::string(text, std::strlen(text) - 2);  // without its own CR LF
}

// Each failing step logs the last error at its line and throws the text of the next line,
// after releasing everything acquired before it.
TEST(CanvasConstructionTest, EveryFailureReleasesWhatWasAcquiredAndNamesItsLine) {
  TestWindow window;
  TestWindow gone;
  gone.Destroy();
  const struct {
    int creation, pixels;  // the counted creation or pixel buffer that fails; -1 for none
    HWND target;
    int logged;
  } cases[] = {
      {-1, -1, gone.get(), 442},                               // GetDC of a destroyed window
      {0, -1, window.get(), 442}, {1, -1, window.get(), 449},  // window DC, drawing DC
      {2, -1, window.get(), 497}, {3, -1, window.get(), 554},  // base bitmap, composition DC
      {4, -1, window.get(), 560}, {-1, 0, window.get(), 505},  // composition bitmap, pixels
      {-1, 1, window.get(), 510},
  };
  const gdi::LiveCounts before = gdi::Live();
  for (const auto& c : cases) {
    LogCapture log;
    gdi::FailCreation(c.creation);
    FailPixelAllocation(c.pixels);
    std::string thrown = "(nothing thrown)";
    try {
      CICG canvas(c.target);
    } catch (const char* text) {
      thrown = text;
    }
    gdi::FailCreation(-1);
    FailPixelAllocation(-1);
    EXPECT_EQ(ErrorText(c.logged + 1), thrown);
    EXPECT_EQ(ErrorText(c.logged + 1), CanvasErrorText());
    EXPECT_EQ(before, gdi::Live()) << "after a failure at line " << c.logged;
    const std::string line = "ERROR [icg:" + std::to_string(c.logged) + "] ";
    EXPECT_EQ(1,
              log.Count(c.target == gone.get() ? line : line + SystemText(ERROR_NOT_ENOUGH_MEMORY)))
        << "the memory error, as an exhausted heap reports it";
  }
  CICG canvas(window.get());
  EXPECT_EQ(960, canvas.GetWidth()) << "and the canvas can be built again";
}

// Release goes on past a failed step: where the window went first, its DC cannot be
// released, and that alone is left.
TEST(CanvasConstructionTest, DestructionReleasesEverythingAndGoesOnPastAFailedStep) {
  LogCapture log;
  const gdi::LiveCounts before = gdi::Live();
  for (const int window_first : {0, 1}) {
    TestWindow window;
    {
      CICG canvas(window.get());
      ASSERT_EQ(2, canvas.CreateLayer(ICGLayer{}));
      ASSERT_EQ(3, canvas.CreateLayer(ICGLayer{}));
      // The current layer stays selected, with a font of the caller's (pens and brushes
      // are the thousand-canvas check's).
      ASSERT_EQ(1, canvas.SelectGdiObject(gdi::CreateFont(LOGFONTA{})));
      if (window_first == 1) window.Destroy();
    }
    EXPECT_EQ((gdi::LiveCounts{before.objects, before.dcs + window_first}), gdi::Live());
  }
  EXPECT_EQ(1, log.Count("ERROR [icg:643] "));
}

// Floats from a caller's arithmetic: NaN and values beyond int stand at GDI's limit, where
// a plain conversion gives INT_MIN on x86 (a fill to 1e30 would draw nothing).
TEST(CanvasConstructionTest, FillsAndPenPositionsClampWhatIntCannotHold) {
  TestWindow window;
  CICG canvas(window.get());
  const float huge[4] = {0.9f, 0.9f, 1e30f, 1e30f};
  ASSERT_NE(0, canvas.FillColor(huge, RGB(0, 0, 255)));
  const Picture filled{ReadLayer(canvas, 1)};
  EXPECT_EQ(0xFFu, filled(kWidth - 1, kHeight - 1));
  EXPECT_EQ(0xFFu, filled(0, 0)) << "edges truncate: 0.9 gives 0";
  ASSERT_TRUE(canvas.MoveTo(std::nanf(""), 1e30f));
  POINT at{};
  GetCurrentPositionEx(canvas.draw_dc, &at);
  EXPECT_EQ(0, at.x);
  EXPECT_EQ(shape_math::kCoordinateLimit, at.y);
}

}  // namespace
}  // namespace canvas_test
