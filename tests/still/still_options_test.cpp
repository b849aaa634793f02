#include "still/still_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = StillCommand::Kind;

StillCommand Parse(const std::vector<const char*>& args) { return ParseStillCommand(args); }

TEST(StillOptionsTest, MisusedCommandLinesAreRefusedInOneLineNamingTheProblem) {
  const std::string long_text(257, 'x');
  const struct {
    std::vector<const char*> args;
    const char* mention;
  } cases[] = {
      {{"only.png"}, "missing OUT.png"},
      {{"a", "b", "c"}, "'c'"},
      {{"a", "b", "--bogus=5"}, "'--bogus=5'"},
      {{"a", "b", "--seed=x"}, "--seed needs a whole number"},
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
      {{"a", "b", "--oversample", "9"}, "--oversample"},
      {{"a", "b.gif", "--fps", "10"}, "--fps goes only with --frames"},
      {{"a", "b", "--font", "f.ttf"}, "--font goes only with --text"},
      {{"b", "--text", long_text.c_str()}, "--text is longer than 256"},
      {{"--text", "x"}, "missing DEPTH_IMAGE and OUT.png"},
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
  EXPECT_EQ(Kind::kVersion, Parse({"--version", "--bogus"}).kind) << "version before a problem";
  EXPECT_EQ(Kind::kVersion, Parse({"a", "b.gif", "--frames", "2", "--version"}).kind);
}

TEST(StillOptionsTest, WithTextTheOneFileGivenIsTheOutput) {
  const StillCommand c = Parse({"out.gif", "--text", "a&b", "--frames", "2"});
  ASSERT_EQ(Kind::kRun, c.kind) << c.error;
  EXPECT_EQ("", c.options.depth_path);
  EXPECT_EQ("out.gif", c.options.out_path);
  EXPECT_EQ("a&b", c.options.text.value_or("none"));
}

}  // namespace
