#include "still/still_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

StillCommand Parse(std::initializer_list<const char*> args) {
  const std::vector<const char*> v(args);
  return ParseStillCommand(v);
}

const char* KindName(StillCommand::Kind kind) {
  switch (kind) {
    case StillCommand::Kind::kRun:
      return "run";
    case StillCommand::Kind::kHelp:
      return "help";
    case StillCommand::Kind::kError:
      return "error";
  }
  return "?";
}

// A command that must be refused: its message must be one line and mention `needle`.
void ExpectError(std::initializer_list<const char*> args, const std::string& needle) {
  const StillCommand c = Parse(args);
  std::string line;
  for (const char* a : args) line += std::string(" ") + a;
  ASSERT_EQ(c.kind, StillCommand::Kind::kError)
      << "args:" << line << " expected error, got " << KindName(c.kind);
  EXPECT_NE(c.error.find(needle), std::string::npos)
      << "args:" << line << " expected the message to mention '" << needle << "', got '" << c.error
      << "'";
  EXPECT_EQ(c.error.find('\n'), std::string::npos) << "message is not one line: " << c.error;
}

TEST(StillOptionsTest, TwoPathsGiveTheBoardsDefaults) {
  const StillCommand c = Parse({"depth.bmp", "out.png"});
  ASSERT_EQ(c.kind, StillCommand::Kind::kRun) << c.error;
  const StillOptions& o = c.options;
  EXPECT_EQ(o.depth_path, "depth.bmp");
  EXPECT_EQ(o.out_path, "out.png");
  EXPECT_FALSE(o.parallax_width.has_value()) << "the default must be told from a given 100";
  EXPECT_FALSE(o.reverse);
  EXPECT_EQ(o.dot_mode, 1u);
  EXPECT_EQ(o.text_depth, 200u);
  EXPECT_FALSE(o.guides);
  EXPECT_FALSE(o.seed.has_value()) << "without --seed the clock must seed";
  EXPECT_EQ(o.frame, 1u);
}

TEST(StillOptionsTest, EveryOptionReachesItsSettingInAnyPosition) {
  const StillCommand c =
      Parse({"--reverse", "in.png", "--parallax-width", "37", "--dot-mode", "2", "out.png",
             "--text-depth", "0", "--guides", "--seed", "0", "--frame", "9"});
  ASSERT_EQ(c.kind, StillCommand::Kind::kRun) << c.error;
  const StillOptions& o = c.options;
  EXPECT_EQ(o.depth_path, "in.png");
  EXPECT_EQ(o.out_path, "out.png");
  EXPECT_EQ(o.parallax_width.value_or(0), 37);
  EXPECT_TRUE(o.reverse);
  EXPECT_EQ(o.dot_mode, 2u);
  EXPECT_EQ(o.text_depth, 0u);
  EXPECT_TRUE(o.guides);
  ASSERT_TRUE(o.seed.has_value()) << "--seed 0 must count as given, not as the clock";
  EXPECT_EQ(*o.seed, 0u);
  EXPECT_EQ(o.frame, 9u);
}

TEST(StillOptionsTest, RangeEndsAreAccepted) {
  StillCommand c =
      Parse({"a", "b", "--text-depth", "255", "--seed", "4294967295", "--dot-mode", "4294967295",
             "--frame", "18446744073709551615", "--parallax-width", "2147483647"});
  ASSERT_EQ(c.kind, StillCommand::Kind::kRun) << c.error;
  EXPECT_EQ(c.options.text_depth, 255u);
  EXPECT_EQ(*c.options.seed, 4294967295u);
  EXPECT_EQ(c.options.dot_mode, 4294967295u);
  EXPECT_EQ(c.options.frame, UINT64_MAX);
  EXPECT_EQ(c.options.parallax_width.value_or(0), INT32_MAX);

  c = Parse(
      {"a", "b", "--parallax-width", "1", "--dot-mode", "0", "--frame", "1", "--seed", "000042"});
  ASSERT_EQ(c.kind, StillCommand::Kind::kRun) << c.error;
  EXPECT_EQ(c.options.parallax_width.value_or(0), 1);
  EXPECT_EQ(c.options.dot_mode, 0u);
  EXPECT_EQ(c.options.frame, 1u);
  EXPECT_EQ(*c.options.seed, 42u) << "leading zeros are still decimal, not octal";
}

TEST(StillOptionsTest, ValuesOutOfRangeAreRefusedNotWrapped) {
  // Each of these would land in range if it were reduced modulo its type's size.
  ExpectError({"a", "b", "--seed", "4294967296"}, "--seed");
  ExpectError({"a", "b", "--seed", "18446744073709551616"}, "18446744073709551616");
  ExpectError({"a", "b", "--seed", "99999999999999999999999999999999"}, "--seed");
  ExpectError({"a", "b", "--dot-mode", "4294967297"}, "--dot-mode");
  ExpectError({"a", "b", "--text-depth", "256"}, "--text-depth");
  ExpectError({"a", "b", "--text-depth", "4294967296"}, "--text-depth");
  ExpectError({"a", "b", "--frame", "0"}, "--frame");
  ExpectError({"a", "b", "--frame", "18446744073709551616"}, "--frame");
  ExpectError({"a", "b", "--parallax-width", "0"}, "--parallax-width");
  ExpectError({"a", "b", "--parallax-width", "2147483648"}, "--parallax-width");
  ExpectError({"a", "b", "--parallax-width", "4294967396"}, "--parallax-width");
}

TEST(StillOptionsTest, ValuesThatAreNotPlainDecimalsAreRefused) {
  for (const char* bad : {"", "-1", "+1", " 1", "1 ", "1x", "0x10", "1e3", "1.0", "ten",
                          "\xef\xbc\x91" /* full-width 1 */, "99999999999999999999x"}) {
    ExpectError({"a", "b", "--seed", bad}, "--seed");
  }
}

TEST(StillOptionsTest, ParseDecimalTellsJunkFromLargeNumbers) {
  uint64_t v = 12345;
  EXPECT_EQ(ParseDecimal("99999999999999999999", UINT64_MAX, &v), NumberStatus::kOutOfRange);
  EXPECT_EQ(ParseDecimal("99999999999999999999x", UINT64_MAX, &v), NumberStatus::kNotANumber);
  EXPECT_EQ(ParseDecimal("256", 255, &v), NumberStatus::kOutOfRange);
  EXPECT_EQ(v, 12345u) << "a refused number must not be stored";
  ASSERT_EQ(ParseDecimal("18446744073709551615", UINT64_MAX, &v), NumberStatus::kOk);
  EXPECT_EQ(v, UINT64_MAX);
}

TEST(StillOptionsTest, MisusedCommandLinesAreRefused) {
  ExpectError({}, "missing");
  ExpectError({"only.png"}, "missing OUT.png");
  ExpectError({"a", "b", "c"}, "'c'");
  ExpectError({"a", "b", "--bogus"}, "'--bogus'");
  ExpectError({"a", "b", "--seed=5"}, "'--seed=5'");
  ExpectError({"a", "b", "-r"}, "'-r'");
  ExpectError({"a", "b", "--seed"}, "--seed needs a value");
  ExpectError({"a", "b", "--frame"}, "--frame needs a value");
  // An option does not count as the value of the one before it.
  ExpectError({"a", "b", "--seed", "--reverse"}, "--seed");
}

TEST(StillOptionsTest, HelpWinsUnlessAProblemComesFirst) {
  EXPECT_EQ(Parse({"--help"}).kind, StillCommand::Kind::kHelp);
  EXPECT_EQ(Parse({"a", "b", "c", "--help"}).kind, StillCommand::Kind::kError)
      << "the surplus argument comes before --help";
  EXPECT_EQ(Parse({"a", "--help", "--bogus"}).kind, StillCommand::Kind::kHelp);
  EXPECT_EQ(Parse({"a", "b", "--seed", "--help"}).kind, StillCommand::Kind::kError)
      << "--help taken as the value of --seed";
  EXPECT_FALSE(StillUsage().empty());
  EXPECT_EQ(StillUsage().back(), '\n');
}

TEST(StillOptionsTest, DoubleDashLetsPathsStartWithADash) {
  StillCommand c = Parse({"--guides", "--", "-in.png", "--out.png"});
  ASSERT_EQ(c.kind, StillCommand::Kind::kRun) << c.error;
  EXPECT_EQ(c.options.depth_path, "-in.png");
  EXPECT_EQ(c.options.out_path, "--out.png");
  EXPECT_TRUE(c.options.guides);

  // A lone "-" is a name, not an option.
  c = Parse({"-", "out.png"});
  ASSERT_EQ(c.kind, StillCommand::Kind::kRun) << c.error;
  EXPECT_EQ(c.options.depth_path, "-");
}

}  // namespace
