#include "still/still_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = StillCommand::Kind;

StillCommand Parse(const std::vector<const char*>& args) { return ParseStillCommand(args); }

TEST(StillOptionsTest, OptionsReachTheirSettingsInAnyPositionUpToTheirRangesEnds) {
  StillCommand c = Parse({"--reverse", "in.png", "--parallax-width", "2147483647", "--dot-mode",
                          "4294967295", "out.png", "--text-depth", "255", "--guides", "--seed",
                          "000042", "--frame", "18446744073709551615"});
  ASSERT_EQ(Kind::kRun, c.kind) << c.error;
  const StillOptions& o = c.options;
  EXPECT_EQ("in.png out.png", o.depth_path + " " + o.out_path);
  EXPECT_TRUE(o.reverse && o.guides && o.dot_mode == 4294967295u && o.text_depth == 255);
  EXPECT_EQ(INT32_MAX, o.parallax_width.value_or(0));
  EXPECT_EQ(42u, o.seed.value_or(0)) << "leading zeros are decimal, not octal";
  EXPECT_EQ(UINT64_MAX, o.frame);

  c = Parse({"--", "-in.png", "out.png"});
  EXPECT_EQ("-in.png", c.options.depth_path);
  EXPECT_FALSE(c.options.parallax_width || c.options.seed) << "defaults, told from given values";
}

TEST(StillOptionsTest, MisusedCommandLinesAreRefusedInOneLineNamingTheProblem) {
  const struct {
    std::vector<const char*> args;
    const char* mention;
  } cases[] = {
      {{"only.png"}, "missing OUT.png"},
      {{"a", "b", "c"}, "'c'"},
      {{"a", "b", "--seed=5"}, "'--seed=5'"},
      {{"a", "b", "--frame"}, "--frame needs a value"},
      // Each of these would land in range if it were wrapped modulo its type's size.
      {{"a", "b", "--seed", "4294967296"}, "--seed"},
      {{"a", "b", "--dot-mode", "4294967297"}, "--dot-mode"},
      {{"a", "b", "--text-depth", "256"}, "--text-depth"},
      {{"a", "b", "--frame", "18446744073709551616"}, "--frame"},
      {{"a", "b", "--frame", "0"}, "--frame"},
      {{"a", "b", "--parallax-width", "4294967396"}, "--parallax-width"},
      {{"a", "b.gif", "--frames", "1001"}, "--frames"},
      // Options that belong to another command.
      {{"--reveal", "a", "b", "--seed", "1"}, "--seed does not go with --reveal"},
      {{"a", "b", "--depth-divisor", "4"}, "--depth-divisor goes only with --reveal"},
      {{"a", "b.gif", "--fps", "10"}, "--fps goes only with --frames"},
  };
  for (const auto& k : cases) {
    const StillCommand c = Parse(k.args);
    EXPECT_EQ(Kind::kError, c.kind) << k.mention;
    EXPECT_NE(std::string::npos, c.error.find(k.mention)) << c.error;
    EXPECT_EQ(std::string::npos, c.error.find('\n')) << c.error;
  }
  for (const char* bad :
       {"", "-1", "+1", " 1", "1x", "0x10", "1.0", "１", "99999999999999999999x"}) {
    EXPECT_EQ(Kind::kError, Parse({"a", "b", "--seed", bad}).kind) << bad;
  }
  EXPECT_EQ(Kind::kHelp, Parse({"a", "--help", "--bogus"}).kind) << "help before a problem";
}

}  // namespace
