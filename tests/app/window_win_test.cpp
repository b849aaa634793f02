// The running program in this process, driven as a user drives it: menu commands posted
// to the main window, dialog fields typed into and buttons pressed, message boxes read
// and closed; and a start whose setup fails.
#include <gtest/gtest.h>

#include "app/picture_copy_win.h"
#include "app/resource.h"
#include "canvas/gdi_win.h"
#include "canvas/pixel_memory.h"
#include "tests/app/board_fixture_win.h"

namespace board_test {
namespace {

std::string ItemText(HWND dialog, int id) {
  char text[300] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

// OK pressed: the message box it brought up (caption, then text), or "" when the
// dialog closed instead. The box is closed again.
std::string PressOk(HWND dialog) {
  Press(dialog, IDOK);
  HWND box = nullptr;
  WaitFor([&] { return !IsWindow(dialog) || (box = OwnedDialog(dialog, nullptr, 0)) != nullptr; });
  if (!IsWindow(dialog)) return "";
  char caption[64] = {};
  GetWindowTextA(box, caption, sizeof caption);
  const std::string said = std::string(caption) + ": " + ItemText(box, 0xFFFF);
  Press(box, IDOK);
  WaitFor([&] { return !IsWindow(box); });
  return said;
}

class BoardSession : public ::testing::Test {
 protected:
  ProgramFolder program_;
  RunningBoard board_;
};

TEST_F(BoardSession,
       TheOptionsShowTheSettingsRefuseWhatIsOutOfRangeOrOverflowsAndKeepWhatCameBefore) {
  g_board.dot_mode = 7;  // from a file: any value but 1 is colour
  const struct {
    const char* width;
    const char* depth;
    int dots;
    const char* refusal;  // "" when accepted
    const char* stored;   // width, depth, dot mode
  } cases[] = {
      // Wrapped, the width would be 100; the width is stored before the depth is refused.
      {"4294967396", "200", IDC_GREY_DOTS, "オプション: 視差幅が範囲外です", "100 200 7"},
      {"150", "256", IDC_GREY_DOTS, "オプション: テキスト位置が範囲外です", "150 200 7"},
      {" 480 ", "255", IDC_COLOUR_DOTS, "", "480 255 2"},
  };
  for (const auto& c : cases) {
    HWND dialog = board_.Open(IDM_OPTIONS, "オプション");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(std::to_string(g_board.parallax_width) + " " + std::to_string(g_board.text_depth),
              ItemText(dialog, IDC_PARALLAX_WIDTH) + " " + ItemText(dialog, IDC_TEXT_DEPTH));
    EXPECT_EQ(g_board.dot_mode != 1, IsDlgButtonChecked(dialog, IDC_COLOUR_DOTS) == BST_CHECKED);
    SetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, c.width);
    SetDlgItemTextA(dialog, IDC_TEXT_DEPTH, c.depth);
    CheckRadioButton(dialog, IDC_GREY_DOTS, IDC_COLOUR_DOTS, c.dots);
    EXPECT_EQ(c.refusal, PressOk(dialog)) << c.width << " " << c.depth;
    if (IsWindow(dialog)) {
      EXPECT_EQ(c.width, ItemText(dialog, IDC_PARALLAX_WIDTH)) << "the field keeps what was typed";
      Press(dialog, IDCANCEL);
      ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    }
    EXPECT_EQ(c.stored, std::to_string(g_board.parallax_width) + " " +
                            std::to_string(g_board.text_depth) + " " +
                            std::to_string(g_board.dot_mode))
        << c.width << " " << c.depth;
  }
}

// Another thread holds the clipboard, as Wine does for over a second after a dialog.
TEST_F(BoardSession, ACopyWaitsOutABusyClipboardWithoutBlockingAndLogsWhenItGivesUp) {
  for (const DWORD held_ms : {DWORD{1200}, PictureCopy::kGiveUpMs + 800}) {
    // Wine may still hold the clipboard for a moment after the last dialog closed.
    ASSERT_TRUE(WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000) && EmptyClipboard() &&
                CloseClipboard());
    std::thread holder = canvas_test::HoldClipboard(held_ms);
    const DWORD start = GetTickCount();
    board_.Send(IDM_COPY);
    EXPECT_LT(GetTickCount() - start, 50u) << "the command waited for the clipboard";
    holder.join();
    EXPECT_EQ(held_ms < PictureCopy::kGiveUpMs,
              WaitFor([] { return IsClipboardFormatAvailable(CF_BITMAP) != FALSE; }, 1000))
        << "held for " << held_ms << " ms";
  }
  EXPECT_EQ(1, program_.Count("CopyToClipboard : the clipboard stayed busy after 3"));
}

// A setup that cannot make the canvas, a buffer or a layer refuses the window: logged,
// nothing left behind, and the program ends with code 0.
TEST(BoardStartTest, ASetupThatFailsRefusesTheWindowLeavesNothingAndEndsWithCodeZero) {
  ProgramFolder program;
  program.WriteSettings("[SETTINGS]\r\nBGI='bg.bmp'\r\n");
  const struct {
    const char* what;
    int gdi_creation, pixel_allocation;  // the counted one that fails, or -1
  } failures[] = {
      {"SetupBoard : *vornack error : .\\icg(443)", 0, -1},
      {"SetupBoard : depth buffer", -1, 2},
      {"SetupBoard : CreateLayer", 5, -1},
      {"SetupBoard : CreateLayer", 6, -1},
      {"SetupBoard : background depth", -1, 3},
  };
  for (const auto& f : failures) {
    if (f.pixel_allocation == 3) program.folder().Create("bg.bmp", BlackBitmap(24, 8, 8, 8));
    const gdi::LiveCounts before = gdi::Live();
    gdi::FailCreation(f.gdi_creation);
    FailPixelAllocation(f.pixel_allocation);
    RunningBoard board;
    gdi::FailCreation(-1);
    FailPixelAllocation(-1);
    EXPECT_TRUE(WaitFor([&] { return board.ended(); }, 10000)) << f.what << ": it went on";
    EXPECT_EQ(0, board.Close()) << f.what;
    EXPECT_FALSE(board.quit_left()) << f.what << ": a quit message was left in the queue";
    EXPECT_EQ(before, gdi::Live()) << f.what;
  }
  for (const auto& f : failures) EXPECT_LE(1, program.Count(f.what)) << f.what;
}

}  // namespace
}  // namespace board_test
