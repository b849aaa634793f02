// Parallux.exe run as a user runs it: a copy of the program in a folder of its own,
// started as a separate process, driven through its main window and dialogs from this
// one, and judged by what it shows (the picture its copy command puts on the clipboard)
// and by what it leaves behind (its settings file, its log, its exit code).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/resource.h"
#include "tests/app/first_run_settings.h"
#include "tests/app/parallux_process_win.h"

namespace parallux_e2e {
namespace {

// Set by the build: the program's path relative to this test program's folder.
constexpr const char* kProgram = PARALLUX_EXE_PATH;

constexpr int kWidth = 960;
constexpr int kHeight = 320;
// Picture lines above the text (its 200-pixel cell starts at line 60): with no
// background image they show the far plane.
constexpr int kFarTop = 0;
constexpr int kFarBottom = 50;
// The local period at the default text depth: 100 - ((200 * 100) >> 8) / 4.
constexpr int kTextPeriod = 81;

constexpr const char* kDefaultSettings = kFirstRunSettings;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

// A settings file as its section line and then its key lines in sorted order: the
// profile functions keep the keys of an existing file where they stand and append the
// others. A line not ended by CR LF is shown as such.
std::vector<std::string> SettingsLines(const std::string& file) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < file.size()) {
    const std::size_t end = file.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back("<no CR LF>" + file.substr(at));
      break;
    }
    lines.push_back(file.substr(at, end - at));
    at = end + 2;
  }
  if (lines.size() > 1) std::sort(lines.begin() + 1, lines.end());
  return lines;
}

std::string Hex(std::uint32_t pixel) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(pixel));
  return text;
}

::testing::AssertionResult IsWholePicture(const Picture& p) {
  if (p.width == kWidth && p.height == kHeight) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "the copy is " << p.width << " x " << p.height << ", not 960 x 320";
}

// Of the pixels in lines [top, bottom] at x >= period that `considered` accepts, how
// many equal the pixel `period` to their left.
struct Repeats {
  int checked = 0;
  int equal = 0;
  int first_x = -1;  // the first that does not
  int first_y = -1;
  double share() const { return checked > 0 ? static_cast<double>(equal) / checked : 0.0; }
};

template <typename Considered>
Repeats CountRepeats(const Picture& p, int top, int bottom, int period, Considered considered) {
  Repeats r;
  if (p.width != kWidth || p.height != kHeight) return r;
  for (int y = top; y <= bottom; ++y) {
    for (int x = period; x < p.width; ++x) {
      if (!considered(x, y)) continue;
      ++r.checked;
      if (p.at(x, y) == p.at(x - period, y)) {
        ++r.equal;
      } else if (r.first_x < 0) {
        r.first_x = x;
        r.first_y = y;
      }
    }
  }
  return r;
}

Repeats CountRepeats(const Picture& p, int top, int bottom, int period) {
  return CountRepeats(p, top, bottom, period, [](int, int) { return true; });
}

// The far plane repeats exactly with `period`, and is a field of dots, not a flat or
// blank picture that would repeat with every period (neighbours of random dots are
// equal once in 256 for grey dots).
::testing::AssertionResult FarPlaneRepeatsWith(const Picture& p, int period) {
  if (!IsWholePicture(p)) return IsWholePicture(p);
  const Repeats r = CountRepeats(p, kFarTop, kFarBottom, period);
  if (r.equal != r.checked) {
    return ::testing::AssertionFailure()
           << "lines " << kFarTop << ".." << kFarBottom << " should repeat with " << period << ": "
           << r.checked - r.equal << " of " << r.checked << " pixels do not, the first at ("
           << r.first_x << ", " << r.first_y << "): " << Hex(p.at(r.first_x, r.first_y))
           << " against " << Hex(p.at(r.first_x - period, r.first_y));
  }
  const Repeats neighbours = CountRepeats(p, kFarTop, kFarBottom, 1);
  if (neighbours.share() > 0.05) {
    return ::testing::AssertionFailure()
           << "the far plane is not a field of dots: " << neighbours.equal << " of "
           << neighbours.checked << " pixels equal their left neighbour";
  }
  return ::testing::AssertionSuccess();
}

// For CopyUntil: the picture shows the far plane repeating with `period`.
auto FarPlane(int period) {
  return [period](const Picture& p) { return static_cast<bool>(FarPlaneRepeatsWith(p, period)); };
}

// The text view blends the text layer over the dots: the text's grey at 40 %, the
// picture at 60 %, per channel, wherever the text layer is not black.
std::uint32_t Blended(std::uint32_t grey, std::uint32_t under) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= ((grey * 40 + ((under >> shift) & 0xFF) * 60) / 100) << shift;
  }
  return out;
}

struct TextView {
  int full = 0;   // pixels with the text's own grey blended over them
  int edges = 0;  // pixels with a darker grey: the font's smoothed glyph edges
};

// Every pixel of `on` is the one of `off`, or a grey of at most the text depth blended
// over it. Glyphs are drawn smoothed (Wine follows the prefix's font smoothing, as
// Windows follows ClearType), so their edges carry greys between black and the text's.
::testing::AssertionResult OnlyTextBlendedOver(const Picture& off, const Picture& on,
                                               std::uint32_t text_grey, TextView* view) {
  if (!IsWholePicture(off)) return IsWholePicture(off);
  if (!IsWholePicture(on)) return IsWholePicture(on);
  *view = TextView{};
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint32_t before = off.at(x, y);
      const std::uint32_t after = on.at(x, y);
      if (after == before) continue;
      if (after == Blended(text_grey, before)) {
        ++view->full;
        continue;
      }
      bool edge = false;
      for (std::uint32_t grey = 1; grey < text_grey && !edge; ++grey)
        edge = after == Blended(grey, before);
      if (!edge) {
        return ::testing::AssertionFailure()
               << "at (" << x << ", " << y << ") the text view turned " << Hex(before) << " into "
               << Hex(after) << "; expected it unchanged, or " << Hex(Blended(text_grey, before))
               << ", or a darker grey blended over it";
      }
      ++view->edges;
    }
  }
  return ::testing::AssertionSuccess();
}

// A 24-bit bitmap file of the picture's size in one grey level.
std::string GreyBitmapFile(std::uint8_t grey) {
  const std::uint32_t stride = kWidth * 3;  // a multiple of 4 already
  const std::uint32_t bits = stride * kHeight;
  std::string file(54, '\0');
  const auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  file[0] = 'B';
  file[1] = 'M';
  put(2, 54 + bits, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, kWidth, 4);
  put(22, kHeight, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, bits, 4);
  file.append(bits, static_cast<char>(grey));
  return file;
}

class ParalluxProgram : public ::testing::Test {
 protected:
  ParalluxProgram() : program_(kProgram) {}

  void Start() { ASSERT_TRUE(program_.Start()); }

  // The first frames take a moment (the first font, the first composition); until then
  // the copy is a blank picture, which repeats with every period.
  void WaitForDots(int far_period) {
    Picture picture;
    ASSERT_TRUE(program_.CopyUntil(&picture, FarPlane(far_period), 10000))
        << FarPlaneRepeatsWith(picture, far_period).message();
  }

  Picture CopyNow() {
    Picture p;
    EXPECT_TRUE(program_.Copy(&p));
    return p;
  }

  // Pauses, and returns the picture once two copies 300 ms apart agree: a frame begun
  // before the pause is still drawn and composed, which on a loaded machine can take
  // longer than a frame period. A picture that never stands still is returned as the
  // last one after 5 s, for the caller's checks to find.
  Picture Pause() {
    program_.Send(IDM_PAUSE);
    Picture last = CopyNow();
    const DWORD start = GetTickCount();
    for (;;) {
      Sleep(300);
      Picture next = CopyNow();
      if (next.pixels == last.pixels || GetTickCount() - start > 5000) return next;
      last = std::move(next);
    }
  }

  // Switches a view (or resumes) and returns the first picture that shows the change:
  // while paused the composition goes on, so the change shows at the next composition.
  template <typename Shows>
  Picture Switch(WORD command, Shows shows) {
    program_.Send(command);
    Picture picture;
    EXPECT_TRUE(program_.CopyUntil(&picture, shows))
        << "command " << command << " did not show in the picture within 5 s";
    return picture;
  }

  // Presses OK on a dialog; the message box that brings up, or null when the dialog
  // closed instead.
  HWND PressOkForBox(HWND dialog) {
    Press(dialog, IDOK);
    HWND box = nullptr;
    WaitFor([&] {
      if (!IsWindow(dialog)) return true;
      box = program_.FindOwned(dialog, nullptr, 0);
      return box != nullptr;
    });
    return box;
  }

  // Options with the given fields (null leaves one as shown) and OK: the refusal that
  // comes as a message box must have the caption "オプション" and `refusal` as its text,
  // and leave the dialog open; it is then cancelled.
  void ExpectOptionsRefused(const char* width, const char* depth, const std::string& refusal) {
    const std::string what = std::string("width ") + (width ? width : "(as shown)") +
                             ", text position " + (depth ? depth : "(as shown)");
    HWND dialog = program_.OpenDialog(IDM_OPTIONS, "オプション");
    ASSERT_NE(nullptr, dialog) << "the options dialog did not open";
    if (width != nullptr) SetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, width);
    if (depth != nullptr) SetDlgItemTextA(dialog, IDC_TEXT_DEPTH, depth);
    HWND box = PressOkForBox(dialog);
    ASSERT_NE(nullptr, box) << what << ": OK was not refused";
    EXPECT_EQ(refusal, MessageBoxText(box)) << what;
    EXPECT_EQ("オプション", TextOf(box)) << what;
    Press(box, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }))
        << what << ": the message box did not close";
    EXPECT_TRUE(IsWindow(dialog)) << what << ": the dialog must stay open after the refusal";
    if (width != nullptr) {
      EXPECT_EQ(width, ItemText(dialog, IDC_PARALLAX_WIDTH)) << "the field keeps what was typed";
    }
    Press(dialog, IDCANCEL);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }))
        << what << ": Cancel did not close the dialog";
  }

  std::string Settings() const { return program_.folder().Read("Parallux.ini"); }

  ParalluxProcess program_;
};

TEST_F(ParalluxProgram, AFirstRunShowsTheFarPlaneAtWidth100AndTheCloseBoxSavesTheDefaults) {
  Start();
  RECT client{};
  GetClientRect(program_.window(), &client);
  EXPECT_EQ(kWidth, client.right);
  EXPECT_EQ(kHeight, client.bottom);
  Picture picture;
  // The first frames may still be on their way.
  program_.CopyUntil(&picture, FarPlane(100));
  EXPECT_TRUE(FarPlaneRepeatsWith(picture, 100));

  EXPECT_EQ(0, program_.Close(WM_CLOSE));
  EXPECT_EQ(kDefaultSettings, Settings());
}

TEST_F(ParalluxProgram, AParallaxWidthFromTheOptionsDialogTakesEffectAndTheExitCommandSavesIt) {
  Start();
  HWND dialog = program_.OpenDialog(IDM_OPTIONS, "オプション");
  ASSERT_NE(nullptr, dialog) << "the options dialog did not open";
  EXPECT_EQ("100", ItemText(dialog, IDC_PARALLAX_WIDTH));
  EXPECT_EQ("200", ItemText(dialog, IDC_TEXT_DEPTH));
  SetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, "150");
  EXPECT_EQ(nullptr, PressOkForBox(dialog)) << "150 must be accepted";
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

  Picture picture;
  program_.CopyUntil(&picture, FarPlane(150));
  EXPECT_TRUE(FarPlaneRepeatsWith(picture, 150));
  EXPECT_LT(CountRepeats(picture, kFarTop, kFarBottom, 100).share(), 0.05)
      << "the old width is gone";

  EXPECT_EQ(0, program_.Close(WM_COMMAND, IDM_EXIT));
  EXPECT_EQ(SettingsLines(Replaced(kDefaultSettings, "PWD=100", "PWD=150")),
            SettingsLines(Settings()));
}

TEST_F(ParalluxProgram, TheDefaultBackgroundImageBesideTheProgramSetsTheDepthOfThePlane) {
  // Grey 128 everywhere: the shift is ((128 * 100) >> 8) / 4 = 12, the period 88.
  const ::testing::AssertionResult written =
      program_.folder().Write("背景.bmp", GreyBitmapFile(128));
  if (!written) {
    // Wine turns names into Unix names through its Unix locale; without a UTF-8 one
    // (the build generates ja_JP.UTF-8 for this test where the system has localedef)
    // no Japanese file name can exist, for this test or for the program.
    GTEST_SKIP() << written.message() << ": this Wine cannot name files in Japanese";
  }
  Start();
  Picture picture;
  program_.CopyUntil(&picture, FarPlane(88), 10000);
  EXPECT_TRUE(FarPlaneRepeatsWith(picture, 88));
}

TEST_F(ParalluxProgram, ABackgroundImageNamedInTheSettingsIsFoundBelowTheProgramFolder) {
  ASSERT_TRUE(program_.folder().MakeFolder("depth"));
  // White: the shift is ((255 * 100) >> 8) / 4 = 24, the period 76. It is nearer than
  // the text, so the whole picture stands at that depth.
  ASSERT_TRUE(program_.folder().Write("depth\\white.bmp", GreyBitmapFile(255)));
  ASSERT_TRUE(program_.folder().Write("Parallux.ini", "[SETTINGS]\r\nBGI='depth\\white.bmp'\r\n"));
  Start();
  Picture picture;
  program_.CopyUntil(&picture, FarPlane(76), 10000);
  EXPECT_TRUE(FarPlaneRepeatsWith(picture, 76));
  const Repeats all = CountRepeats(picture, 0, kHeight - 1, 76);
  EXPECT_EQ(all.checked, all.equal) << "every line repeats with 76; the first that does not at ("
                                    << all.first_x << ", " << all.first_y << ")";
}

// The text rows, with a text of solid squares standing at the default text depth 200.
//
// Criterion: every pixel inside a glyph links to the pixel one local period (81) to its
// left, exactly, since the synthesis inserts fresh dots only after a fall of the depth,
// that is behind a glyph, never inside one. Which pixels lie inside a glyph is read from
// the picture itself: paused, the text view turns exactly those into the text's grey
// 200 blended over the dots (smoothed edge pixels get darker greys, other depths, and
// are left out). Chance cannot pass this: unlinked grey dots agree once in 256, and the
// same pixels do not repeat with the far plane's period 100.
TEST_F(ParalluxProgram, TheTextRowsRepeatWithTheTextsLocalPeriod) {
  ASSERT_TRUE(program_.folder().Write("Parallux.ini", "[SETTINGS]\r\nTEXT='■■■■■■■■'\r\n"));
  Start();
  WaitForDots(100);
  // The text enters from the right at 100 pixels a second. Wait until a quarter of the
  // lines through its middle link with period 81, which unlinked dots never come near.
  Picture picture;
  const auto text_in_view = [](const Picture& p) {
    return CountRepeats(p, 140, 180, kTextPeriod).share() >= 0.25;
  };
  ASSERT_TRUE(program_.CopyUntil(&picture, text_in_view, 15000))
      << "the text never covered a quarter of lines 140..180: "
      << CountRepeats(picture, 140, 180, kTextPeriod).share();

  const Picture off = Pause();
  const Picture on =
      Switch(IDM_VIEW_TEXT, [&](const Picture& p) { return p.pixels != off.pixels; });
  TextView view;
  ASSERT_TRUE(OnlyTextBlendedOver(off, on, 200, &view));
  EXPECT_GT(view.full, 10000) << "too few pixels inside the glyphs";

  const auto inside = [&](int x, int y) {
    return on.at(x, y) != off.at(x, y) && on.at(x, y) == Blended(200, off.at(x, y));
  };
  const Repeats linked = CountRepeats(off, 0, kHeight - 1, kTextPeriod, inside);
  EXPECT_EQ(linked.checked, linked.equal)
      << "of " << linked.checked << " pixels inside the glyphs, " << linked.checked - linked.equal
      << " do not repeat the pixel 81 to their left; the first at (" << linked.first_x << ", "
      << linked.first_y << ")";
  EXPECT_LT(CountRepeats(off, 0, kHeight - 1, 100, inside).share(), 0.05)
      << "pixels inside the glyphs repeat with the far plane's period";
}

TEST_F(ParalluxProgram, APausedPictureStandsStillAndTheTextViewBlendsTheTextOverIt) {
  Start();
  WaitForDots(100);
  Sleep(2500);  // the default text is well into the picture
  const Picture first = Pause();
  Sleep(300);
  const Picture second = CopyNow();
  ASSERT_TRUE(FarPlaneRepeatsWith(first, 100));
  EXPECT_TRUE(first.pixels == second.pixels) << "the picture changed while paused";

  // The composition goes on while paused: the view switch shows.
  const Picture with_text =
      Switch(IDM_VIEW_TEXT, [&](const Picture& p) { return p.pixels != first.pixels; });
  TextView view;
  EXPECT_TRUE(OnlyTextBlendedOver(first, with_text, 200, &view));
  EXPECT_GT(view.full, 2000) << "too few pixels show the text's grey";
  const Picture without_text =
      Switch(IDM_VIEW_TEXT, [&](const Picture& p) { return p.pixels == first.pixels; });
  EXPECT_TRUE(without_text.pixels == first.pixels)
      << "switching the text view off again restores the picture";

  // New dots everywhere once resumed (equal by chance once in 256).
  const auto differing = [&](const Picture& p) {
    int n = 0;
    for (std::size_t i = 0; i < p.pixels.size() && i < first.pixels.size(); ++i) {
      n += p.pixels[i] != first.pixels[i] ? 1 : 0;
    }
    return n;
  };
  const Picture resumed =
      Switch(IDM_PAUSE, [&](const Picture& p) { return differing(p) > kWidth * kHeight / 2; });
  EXPECT_GT(differing(resumed), kWidth * kHeight / 2) << "after resuming, new dots are drawn";
}

TEST_F(ParalluxProgram, GuideMarksAreTwoBlackRectanglesOneTextPeriodApart) {
  struct Mark {
    int left, right, top, bottom;  // inclusive
    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
  };
  const Mark marks[] = {{435, 442, 5, 14}, {516, 523, 5, 14}};
  const auto in_mark = [&](int x, int y) {
    return marks[0].contains(x, y) || marks[1].contains(x, y);
  };
  const auto all_black = [&](const Picture& p) -> ::testing::AssertionResult {
    if (!IsWholePicture(p)) return IsWholePicture(p);
    for (const Mark& m : marks) {
      for (int y = m.top; y <= m.bottom; ++y) {
        for (int x = m.left; x <= m.right; ++x) {
          if (p.at(x, y) != 0) {
            return ::testing::AssertionFailure()
                   << "no black mark at (" << x << ", " << y << "): " << Hex(p.at(x, y));
          }
        }
      }
    }
    return ::testing::AssertionSuccess();
  };

  Start();
  WaitForDots(100);
  program_.Send(IDM_VIEW_GUIDE);
  Picture on;
  program_.CopyUntil(&on, all_black);
  ASSERT_TRUE(all_black(on)) << "marks expected at columns 435..442 and 516..523, lines 5..14";
  // Around the marks the dots are the far plane's: every pixel that is not a mark and
  // not one period right of a mark repeats.
  const Repeats around = CountRepeats(on, kFarTop, kFarBottom, 100, [&](int x, int y) {
    return !in_mark(x, y) && !in_mark(x - 100, y);
  });
  EXPECT_EQ(around.checked, around.equal)
      << "the dots around the marks are not the far plane's; the first at (" << around.first_x
      << ", " << around.first_y << ")";

  // Paused, the marks switched off: only the rectangles change, back to the dots.
  on = Pause();
  ASSERT_TRUE(all_black(on));
  const Picture off = Switch(IDM_VIEW_GUIDE, [&](const Picture& p) { return !all_black(p); });
  ASSERT_TRUE(IsWholePicture(off));
  int inside = 0, outside = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (on.at(x, y) != off.at(x, y)) ++(in_mark(x, y) ? inside : outside);
    }
  }
  EXPECT_EQ(0, outside) << "pixels outside the marks changed";
  // A dot under a mark is black by chance once in 256.
  EXPECT_GE(inside, 150) << "of the 160 mark pixels";
  EXPECT_TRUE(FarPlaneRepeatsWith(off, 100)) << "without the marks, no black block is left";
}

TEST_F(ParalluxProgram, TheOptionsDialogRefusesOutOfRangeNumbersAndKeepsWhatWasStoredBefore) {
  Start();
  ExpectOptionsRefused("9", nullptr, "視差幅が範囲外です");
  ExpectOptionsRefused("481", nullptr, "視差幅が範囲外です");
  ExpectOptionsRefused(nullptr, "256", "テキスト位置が範囲外です");

  // Reversal and the width are stored before the text position is refused; Cancel
  // does not take them back.
  HWND dialog = program_.OpenDialog(IDM_OPTIONS, "オプション");
  ASSERT_NE(nullptr, dialog);
  CheckDlgButton(dialog, IDC_REVERSE, BST_CHECKED);
  SetDlgItemTextA(dialog, IDC_PARALLAX_WIDTH, "200");
  SetDlgItemTextA(dialog, IDC_TEXT_DEPTH, "300");
  HWND box = PressOkForBox(dialog);
  ASSERT_NE(nullptr, box) << "a text position of 300 was not refused";
  EXPECT_EQ("テキスト位置が範囲外です", MessageBoxText(box));
  Press(box, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  Press(dialog, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

  // Reversed at width 200 the period is 200 - (199 / 4) = 151 and black lies at depth
  // 255: the far plane repeats with 151 - ((255 * 151) >> 8) / 4 = 114.
  Picture picture;
  program_.CopyUntil(&picture, FarPlane(114));
  EXPECT_TRUE(FarPlaneRepeatsWith(picture, 114));

  EXPECT_EQ(0, program_.Close(WM_CLOSE));
  EXPECT_EQ(
      SettingsLines(Replaced(Replaced(kDefaultSettings, "REV=0", "REV=1"), "PWD=100", "PWD=200")),
      SettingsLines(Settings()));
}

TEST_F(ParalluxProgram, TheTextDialogKeeps40BytesAndRefusesAnEmptyText) {
  Start();
  HWND dialog = program_.OpenDialog(IDM_TEXT_INPUT, "入力");
  ASSERT_NE(nullptr, dialog) << "the text dialog did not open";
  EXPECT_EQ("テキストを入力してください。", ItemText(dialog, IDC_TEXT_EDIT));
  const std::string typed = "ABCDEFGHIJabcdefghij0123456789KLMNOPQRSTklmnopqrst";
  ASSERT_EQ(50u, typed.size());
  SetDlgItemTextA(dialog, IDC_TEXT_EDIT, typed.c_str());
  EXPECT_EQ(nullptr, PressOkForBox(dialog)) << "a text of 50 bytes must be accepted";
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

  dialog = program_.OpenDialog(IDM_TEXT_INPUT, "入力");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(typed.substr(0, 40), ItemText(dialog, IDC_TEXT_EDIT))
      << "reopened, the dialog shows what is kept";
  SetDlgItemTextA(dialog, IDC_TEXT_EDIT, "");
  HWND box = PressOkForBox(dialog);
  ASSERT_NE(nullptr, box) << "an empty text was not refused";
  EXPECT_EQ("入力誤り", MessageBoxText(box));
  EXPECT_EQ("入力", TextOf(box));
  Press(box, IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  EXPECT_TRUE(IsWindow(dialog)) << "the dialog must stay open after the refusal";
  Press(dialog, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

  EXPECT_EQ(0, program_.Close(WM_CLOSE));
  EXPECT_EQ(SettingsLines(
                Replaced(kDefaultSettings, "テキストを入力してください。", typed.substr(0, 40))),
            SettingsLines(Settings()));
}

TEST_F(ParalluxProgram, AltQuestionMarkAndAltSlashOpenTheAboutBox) {
  Start();
  for (const char key : {'?', '/'}) {
    // A character accelerator: the character itself, with the Alt bit (29) set.
    PostMessageA(program_.window(), WM_SYSKEYDOWN, static_cast<WPARAM>(key), 0x20000001);
    HWND about = program_.FindOwned(program_.window(), "バージョン情報 Parallux");
    ASSERT_NE(nullptr, about) << "Alt+" << key << " did not open the about box";
    Press(about, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); })) << "OK did not close the about box";
  }
  EXPECT_EQ(0, program_.Close(WM_CLOSE));
}

TEST_F(ParalluxProgram, SettingsOutOfRangeAreHeldToTheDialogsRanges) {
  ASSERT_TRUE(
      program_.folder().Write("Parallux.ini", "[SETTINGS]\r\nPWD=99999\r\nTDS=999\r\nVDT=7\r\n"));
  Start();
  Picture picture;
  program_.CopyUntil(&picture, FarPlane(480));
  EXPECT_TRUE(FarPlaneRepeatsWith(picture, 480));
  bool coloured = false;
  for (const std::uint32_t p : picture.pixels) {
    coloured = coloured || (p & 0xFF) != ((p >> 8) & 0xFF) || (p & 0xFF) != ((p >> 16) & 0xFF);
  }
  EXPECT_TRUE(coloured) << "dot mode 7 draws coloured dots";

  HWND dialog = program_.OpenDialog(IDM_OPTIONS, "オプション");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("480", ItemText(dialog, IDC_PARALLAX_WIDTH));
  EXPECT_EQ("255", ItemText(dialog, IDC_TEXT_DEPTH));
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_COLOUR_DOTS));
  Press(dialog, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));

  EXPECT_EQ(0, program_.Close(WM_CLOSE));
  EXPECT_EQ(SettingsLines(Replaced(
                Replaced(Replaced(kDefaultSettings, "PWD=100", "PWD=480"), "TDS=200", "TDS=255"),
                "VDT=1", "VDT=2")),
            SettingsLines(Settings()));
}

TEST_F(ParalluxProgram, SettingsThatCannotBeWrittenAreLoggedAndTheProgramStillEndsNormally) {
  // Stands for a program folder the user may not write to (a read-only share, a
  // protected folder): Wine lets root write anywhere, but no file can be created where
  // a folder of the same name is, neither the new copy nor the file it would replace.
  ASSERT_TRUE(program_.folder().MakeFolder("Parallux.ini"));
  ASSERT_TRUE(program_.folder().MakeFolder("Parallux.ini.new"));
  Start();
  Picture picture;
  program_.CopyUntil(&picture, FarPlane(100));
  EXPECT_TRUE(FarPlaneRepeatsWith(picture, 100)) << "the program runs with its initial settings";
  EXPECT_EQ(0, program_.Close(WM_CLOSE));

  const std::string log = program_.folder().Read("Parallux0.log");
  ASSERT_NE("<missing>", log) << "no log beside the program";
  // One entry for each of the six keys, in the system-error form from the settings code.
  int failures = 0;
  const std::string entry = "ERROR [Parallux:";
  for (std::size_t at = log.find(entry); at != std::string::npos; at = log.find(entry, at + 1))
    ++failures;
  EXPECT_EQ(6, failures) << "the log:\n" << log;
}

}  // namespace
}  // namespace parallux_e2e
