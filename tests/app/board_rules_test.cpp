#include "app/board_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using board::FieldNumber;

TEST(BoardRulesTest, SettingsFromAFileAreHeldToTheDialogsRanges) {
  const struct {
    std::int32_t value, picture_width, fitted;
  } widths[] = {{10, 960, 10},        {480, 960, 480}, {99999, 960, 480}, {-5, 960, 10},
                {INT32_MIN, 960, 10}, {50, 12, 10}};  // the last narrower than twice the minimum
  for (const auto& w : widths) {
    EXPECT_EQ(w.fitted, board::FitParallaxWidth(w.value, w.picture_width)) << w.value;
  }
  for (std::uint32_t depth : {255u, 0xFFFFFFFFu}) EXPECT_EQ(255u, board::FitTextDepth(depth));
  EXPECT_EQ(1u, board::FitDotMode(1));
  for (std::uint32_t other : {0u, 2u, 7u}) EXPECT_EQ(2u, board::FitDotMode(other)) << other;
}

TEST(BoardRulesTest, OptionFieldsAreDecimalNumbersThatFit32Bits) {
  const struct {
    const char* text;
    FieldNumber kind;
    std::uint32_t value;
  } cases[] = {
      {"  480 ", FieldNumber::kValue, 480},
      {"007", FieldNumber::kValue, 7},
      {"4294967295", FieldNumber::kValue, 4294967295u},
      {"4294967396", FieldNumber::kTooLarge, 0},  // would wrap to 100
      {"99999999999999999999999999", FieldNumber::kTooLarge, 0},
      {"", FieldNumber::kNone, 0},
      {"-5", FieldNumber::kNone, 0},
      {"12a", FieldNumber::kNone, 0},
      {"1 2", FieldNumber::kNone, 0},
      {"１２０", FieldNumber::kNone, 0},  // full-width digits are characters, not a number
  };
  for (const auto& c : cases) {
    std::uint32_t value = 0xdeadbeef;
    EXPECT_EQ(c.kind, board::ParseFieldNumber(c.text, &value)) << "\"" << c.text << "\"";
    EXPECT_EQ(c.kind == FieldNumber::kValue ? c.value : 0xdeadbeef, value)
        << "\"" << c.text << "\"";
  }
}

TEST(BoardRulesTest, ATextIsCutBeforeADoubleByteCharacterThatWouldNotFit) {
  std::string kana;
  for (int i = 0; i < 21; ++i) kana += "テ";
  std::string mixed = "a";
  for (int i = 0; i < 20; ++i) mixed += "表";  // its trail byte 0x5C looks like a separator
  const std::pair<std::string, std::size_t> cases[] = {
      {std::string(39, 'a') + "あ", 39}, {kana, 40}, {mixed, 39}, {"short", 5}};  // text, kept
  for (auto [text, kept] : cases) {
    board::CutText(text.data(), 40);
    EXPECT_EQ(kept, std::string(text.c_str()).size()) << text;
  }
}

}  // namespace
