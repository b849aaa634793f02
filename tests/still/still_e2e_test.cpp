// parallux-still run as a program: what a user sees of it (exit code, messages, the
// files left behind) and that its picture is the board's synthesis of the image.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "stereogram/stereogram.h"
#include "tests/still/still_expected.h"
#include "tests/still/still_host.h"

namespace {

using still_test::Expected;
using still_test::MakeDepth;

// Set by the build: the program's path relative to the folder the tests run in.
constexpr const char* kStill = PARALLUX_STILL_PATH;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Join(const std::vector<std::string>& v) {
  std::string s;
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about
  // "literal" + std::string.
  for (const std::string& a : v) {
    if (!s.empty()) s += ' ';
    s.append(1, '\'').append(a).append(1, '\'');
  }
  return s;
}

struct Png {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

class StillProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    // One folder per test: natively CTest runs the tests of this file in parallel.
    folder_ = "still_e2e." + name;
    MakeEmptyFolder(folder_);
    MakeFolder("still_e2e.capture");
    capture_ = "still_e2e.capture/" + name;
  }

  std::string At(const std::string& name) const { return folder_ + "/" + name; }

  ProgramRun Still(const std::vector<std::string>& args) const {
    ProgramRun run = RunProgram(kStill, args, capture_);
    EXPECT_EQ(run.failure, "");
    return run;
  }

  // Writes a picture of 1 (grey), 3 (RGB) or 4 (RGBA) channels, top line first.
  void WritePng(const std::string& name, int w, int h, int channels,
                const std::vector<uint8_t>& bytes) const {
    ASSERT_NE(stbi_write_png(At(name).c_str(), w, h, channels, bytes.data(), w * channels), 0);
  }
  void WriteBmp(const std::string& name, int w, int h, int channels,
                const std::vector<uint8_t>& bytes) const {
    ASSERT_NE(stbi_write_bmp(At(name).c_str(), w, h, channels, bytes.data()), 0);
  }

  // The written PNG, which must be 8-bit RGB (colour type 2), with its pixels.
  ::testing::AssertionResult ReadRgbPng(const std::string& name, Png* png) const {
    const std::string file = ReadFile(At(name));
    if (file.size() < 33 || file.compare(1, 3, "PNG") != 0) {
      return ::testing::AssertionFailure() << name << " is not a PNG file";
    }
    const int bit_depth = static_cast<uint8_t>(file[24]);
    const int colour_type = static_cast<uint8_t>(file[25]);
    if (bit_depth != 8 || colour_type != 2) {
      return ::testing::AssertionFailure()
             << name << ": expected 8-bit RGB (depth 8, colour type 2), got depth " << bit_depth
             << ", colour type " << colour_type;
    }
    int channels = 0;
    stbi_uc* pixels = stbi_load(At(name).c_str(), &png->width, &png->height, &channels, 3);
    if (pixels == nullptr) {
      return ::testing::AssertionFailure() << name << " does not decode: " << stbi_failure_reason();
    }
    png->rgb.assign(pixels, pixels + static_cast<size_t>(png->width) * png->height * 3);
    stbi_image_free(pixels);
    return ::testing::AssertionSuccess();
  }

  // A run that must be refused as bad input and leave the folder as it was.
  void ExpectRefused(const std::vector<std::string>& args, const std::string& mention) {
    const std::vector<std::string> before = FolderEntries(folder_);
    const std::string kept = ReadFile(At("out.png"));
    const ProgramRun run = Still(args);
    const std::string what = "args " + Join(args) + ": ";
    EXPECT_EQ(run.exit_code, 2) << what << "stderr: " << run.err;
    ExpectOneLine(run, what, mention);
    EXPECT_EQ(run.out, "") << what << "nothing belongs on standard output";
    EXPECT_EQ(FolderEntries(folder_), before) << what << "files appeared or vanished";
    EXPECT_EQ(ReadFile(At("out.png")), kept) << what << "the existing out.png was changed";
  }

  static void ExpectOneLine(const ProgramRun& run, const std::string& what,
                            const std::string& mention) {
    const std::string& e = run.err;
    EXPECT_TRUE(e.size() > 1 && e.find('\n') == e.size() - 1)
        << what << "expected one line on stderr, got '" << e << "'";
    EXPECT_EQ(e.rfind("parallux-still: ", 0), 0u) << what << "got '" << e << "'";
    EXPECT_NE(e.find(mention), std::string::npos)
        << what << "expected the message to mention '" << mention << "', got '" << e << "'";
  }

  std::string folder_;
  std::string capture_;
};

StillFrame Frame(int32_t parallax_width, bool reverse, uint32_t dot_mode, uint32_t text_depth,
                 bool guides, uint32_t seed, uint64_t frame) {
  StillFrame s;
  s.params.parallax_width = parallax_width;
  s.params.reverse = reverse;
  s.params.dot_mode = dot_mode;
  s.params.text_depth = text_depth;
  s.guides = guides;
  s.seed = seed;
  s.frame = frame;
  return s;
}

// The first differing pixel, for a message that says where and what.
::testing::AssertionResult SamePixels(const std::vector<uint8_t>& expected, const Png& png) {
  if (expected.size() != png.rgb.size()) {
    return ::testing::AssertionFailure()
           << "expected " << expected.size() / 3 << " pixels, got " << png.rgb.size() / 3;
  }
  for (size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != png.rgb[i]) {
      const size_t px = i / 3;
      return ::testing::AssertionFailure()
             << "first difference at x " << px % png.width << " y " << px / png.width << " channel "
             << i % 3 << ": expected " << int{expected[i]} << ", got " << int{png.rgb[i]};
    }
  }
  return ::testing::AssertionSuccess();
}

TEST_F(StillProgramTest, BadArgumentsAreRefusedWithoutTouchingTheOutput) {
  WritePng("depth.png", 60, 10, 3, MakeDepth(60, 10, 1));
  WriteFile(At("out.png"), "an earlier picture");
  const std::string in = At("depth.png");
  const std::string out = At("out.png");
  // The parser's cases are its unit tests'; one of each kind shows the program's way of
  // refusing (message, exit code 2, output untouched).
  ExpectRefused({in}, "missing OUT.png");
  ExpectRefused({in, out, "--bogus"}, "--bogus");
  ExpectRefused({in, out, "--seed", "4294967296"}, "4294967296");
  // One wider than the image: known only from the image's header.
  ExpectRefused({in, out, "--parallax-width", "61"}, "--parallax-width");
  // The default is the board's 100, which this picture is too narrow for.
  ExpectRefused({in, out}, "default parallax width");
}

TEST_F(StillProgramTest, BadImagesAreRefusedWithoutTouchingTheOutput) {
  WriteFile(At("out.png"), "an earlier picture");
  const std::string out = At("out.png");
  ExpectRefused({At("missing.png"), out}, "missing.png");

  WriteFile(At("text.png"), "not a picture at all\n");
  ExpectRefused({At("text.png"), out}, "text.png");

  // A whole header and the start of the data: readable size, undecodable pixels.
  WritePng("whole.png", 120, 40, 3, MakeDepth(120, 40, 2));
  const std::string whole = ReadFile(At("whole.png"));
  WriteFile(At("cut.png"), whole.substr(0, whole.size() / 2));
  ExpectRefused({At("cut.png"), out}, "cut.png");

  // A bitmap header that claims 16385 x 2 pixels and brings none: it must be refused
  // for its size, before any decoding could run out of data or memory.
  std::string bmp = "BM";
  auto u32 = [&bmp](uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp.push_back(static_cast<char>(v >> (8 * i)));
  };
  auto u16 = [&bmp](uint16_t v) {
    bmp.push_back(static_cast<char>(v));
    bmp.push_back(static_cast<char>(v >> 8));
  };
  u32(54 + 16388u * 3 * 2);
  u32(0);
  u32(54);  // file header
  u32(40);
  u32(16385);
  u32(2);
  u16(1);
  u16(24);
  u32(0);  // info header
  u32(0);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  WriteFile(At("huge.bmp"), bmp);
  ExpectRefused({At("huge.bmp"), out}, "16385");

  // A real picture one pixel too tall.
  WritePng("tall.png", 1, 16385, 1, std::vector<uint8_t>(16385, 0));
  ExpectRefused({At("tall.png"), out}, "16385");
}

TEST_F(StillProgramTest, HelpGoesToStandardOutput) {
  const ProgramRun run = Still({"--help"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out.rfind("usage: parallux-still", 0), 0u) << "got '" << run.out << "'";
  EXPECT_EQ(run.err, "");
}

TEST_F(StillProgramTest, PictureIsTheBoardsSynthesisOfTheImage) {
  constexpr int kW = 123;
  constexpr int kH = 45;
  const std::vector<uint8_t> depth = MakeDepth(kW, kH, 77);
  WritePng("depth.png", kW, kH, 3, depth);
  const ProgramRun run =
      Still({At("depth.png"), At("out.png"), "--seed", "77", "--dot-mode", "3", "--reverse",
             "--parallax-width", "40", "--text-depth", "150", "--guides"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "");
  Png png;
  ASSERT_TRUE(ReadRgbPng("out.png", &png));
  ASSERT_EQ(png.width, kW);
  ASSERT_EQ(png.height, kH);
  EXPECT_TRUE(SamePixels(Expected(depth, kW, kH, Frame(40, true, 3, 150, true, 77, 1)), png));
}

TEST_F(StillProgramTest, GreyAlphaAndBitmapImagesReadAsTheirRgb) {
  constexpr int kW = 64;
  constexpr int kH = 21;
  const std::vector<uint8_t> rgb = MakeDepth(kW, kH, 5);
  std::vector<uint8_t> grey(kW * kH);
  std::vector<uint8_t> grey_rgb(kW * kH * 3);
  std::vector<uint8_t> rgba(kW * kH * 4);
  for (size_t i = 0; i < grey.size(); ++i) {
    grey[i] = rgb[i * 3 + 2];
    for (int c = 0; c < 3; ++c) grey_rgb[i * 3 + c] = grey[i];
    for (int c = 0; c < 3; ++c) rgba[i * 4 + c] = rgb[i * 3 + c];
    rgba[i * 4 + 3] = static_cast<uint8_t>(i * 37);  // alpha, 0 included: ignored
  }
  WritePng("grey.png", kW, kH, 1, grey);
  WritePng("rgba.png", kW, kH, 4, rgba);
  WriteBmp("rgb.bmp", kW, kH, 3, rgb);
  WriteBmp("rgba.bmp", kW, kH, 4, rgba);
  struct Case {
    const char* file;
    const std::vector<uint8_t>* seen;
  };
  for (const Case& k : {Case{"grey.png", &grey_rgb}, Case{"rgba.png", &rgb}, Case{"rgb.bmp", &rgb},
                        Case{"rgba.bmp", &rgb}}) {
    const ProgramRun run =
        Still({At(k.file), At("out.png"), "--seed", "5", "--parallax-width", "30", "--guides"});
    ASSERT_EQ(run.exit_code, 0) << k.file << ": " << run.err;
    Png png;
    ASSERT_TRUE(ReadRgbPng("out.png", &png)) << k.file;
    EXPECT_TRUE(SamePixels(Expected(*k.seen, kW, kH, Frame(30, false, 1, 200, true, 5, 1)), png))
        << k.file;
  }
}

TEST_F(StillProgramTest, SecondFrameIsTheGeneratorsNextFrame) {
  constexpr int kW = 80;
  constexpr int kH = 12;
  const std::vector<uint8_t> depth = MakeDepth(kW, kH, 8);
  WritePng("depth.png", kW, kH, 3, depth);
  Png first;
  Png second;
  ProgramRun run = Still({At("depth.png"), At("one.png"), "--seed", "8", "--parallax-width", "25"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  run = Still(
      {At("depth.png"), At("two.png"), "--seed", "8", "--parallax-width", "25", "--frame", "2"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  ASSERT_TRUE(ReadRgbPng("one.png", &first));
  ASSERT_TRUE(ReadRgbPng("two.png", &second));
  EXPECT_NE(first.rgb, second.rgb) << "--frame 2 gave the dots of frame 1";
  EXPECT_TRUE(SamePixels(Expected(depth, kW, kH, Frame(25, false, 1, 200, false, 8, 1)), first));
  EXPECT_TRUE(SamePixels(Expected(depth, kW, kH, Frame(25, false, 1, 200, false, 8, 2)), second));

  // A frame far beyond any that could be drawn one by one still comes out at once.
  run = Still({At("depth.png"), At("far.png"), "--seed", "8", "--parallax-width", "25", "--frame",
               "18446744073709551615"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
}

TEST_F(StillProgramTest, WithoutASeedTheClockSeedsAFlatPictureThatRepeatsWithTheWidth) {
  constexpr int kW = 150;
  constexpr int kH = 8;
  WritePng("black.png", kW, kH, 1, std::vector<uint8_t>(kW * kH, 0));
  std::vector<uint8_t> pictures[2];
  for (int n = 0; n < 2; ++n) {
    const std::string out = "out" + std::to_string(n) + ".png";
    const ProgramRun run = Still({At("black.png"), At(out), "--parallax-width", "50"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    Png png;
    ASSERT_TRUE(ReadRgbPng(out, &png));
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const size_t i = (static_cast<size_t>(y) * kW + x) * 3;
        ASSERT_TRUE(png.rgb[i] == png.rgb[i + 1] && png.rgb[i] == png.rgb[i + 2])
            << "grey dots expected at x " << x << " y " << y;
        if (x >= 50) {
          ASSERT_EQ(png.rgb[i], png.rgb[i - 150]) << "x " << x << " y " << y;
        }
      }
    }
    pictures[n] = png.rgb;
  }
  // Two runs (each a process start apart, many milliseconds) take different seeds.
  EXPECT_NE(pictures[0], pictures[1]) << "the dots do not come from the clock";
}

TEST_F(StillProgramTest, OutputReplacesAnOldFileAndLeavesNothingElse) {
  WritePng("depth.png", 20, 4, 3, MakeDepth(20, 4, 9));
  WriteFile(At("out.png"), "an earlier picture");
  const ProgramRun run = Still({At("depth.png"), At("out.png"), "--parallax-width", "10"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  Png png;
  EXPECT_TRUE(ReadRgbPng("out.png", &png));
  EXPECT_EQ(FolderEntries(folder_), (std::vector<std::string>{"depth.png", "out.png"}));
}

TEST_F(StillProgramTest, UnwritableOutputFailsCleanly) {
  WritePng("depth.png", 20, 4, 3, MakeDepth(20, 4, 10));
  MakeFolder(At("folder.png"));
  const std::vector<std::string> before = FolderEntries(folder_);
  for (const std::string& target : {At("no-such-folder/out.png"), At("folder.png")}) {
    const ProgramRun run = Still({At("depth.png"), target, "--parallax-width", "10"});
    EXPECT_EQ(run.exit_code, 1) << target << ": " << run.err;
    ExpectOneLine(run, target + ": ", target);
    EXPECT_EQ(FolderEntries(folder_), before) << target << ": a temporary file was left";
  }
  EXPECT_TRUE(IsFolder(At("folder.png"))) << "the folder in the way was replaced";
}

}  // namespace
