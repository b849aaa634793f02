#include "app/board_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using board::FieldNumber;

TEST(BoardRulesTest, SettingsFromAFileAreHeldToTheDialogsRanges) {
  EXPECT_EQ(100, board::FitParallaxWidth(100, 960));
  EXPECT_EQ(10, board::FitParallaxWidth(10, 960));
  EXPECT_EQ(480, board::FitParallaxWidth(480, 960));
  EXPECT_EQ(480, board::FitParallaxWidth(99999, 960));
  EXPECT_EQ(10, board::FitParallaxWidth(-5, 960));
  EXPECT_EQ(10, board::FitParallaxWidth(0, 960));
  EXPECT_EQ(10, board::FitParallaxWidth(INT32_MIN, 960));
  EXPECT_EQ(10, board::FitParallaxWidth(50, 12)) << "a picture narrower than twice the minimum";

  EXPECT_EQ(0u, board::FitTextDepth(0));
  EXPECT_EQ(255u, board::FitTextDepth(255));
  EXPECT_EQ(255u, board::FitTextDepth(256));
  EXPECT_EQ(255u, board::FitTextDepth(0xFFFFFFFF));

  EXPECT_EQ(1u, board::FitDotMode(1));
  for (std::uint32_t other : {0u, 2u, 7u, 0xFFFFFFFFu}) {
    EXPECT_EQ(2u, board::FitDotMode(other)) << "dot mode " << other << " means random colour";
  }
}

TEST(BoardRulesTest, OptionFieldsAreDecimalNumbersThatFit32Bits) {
  struct Case {
    const char* text;
    FieldNumber kind;
    std::uint32_t value;
  };
  const Case cases[] = {
      {"120", FieldNumber::kValue, 120},
      {"  480 ", FieldNumber::kValue, 480},
      {"0", FieldNumber::kValue, 0},
      {"007", FieldNumber::kValue, 7},
      {"4294967295", FieldNumber::kValue, 4294967295u},
      {"4294967296", FieldNumber::kTooLarge, 0},
      {"4294967396", FieldNumber::kTooLarge, 0},  // would wrap to 100
      {"99999999999999999999999999", FieldNumber::kTooLarge, 0},
      {"", FieldNumber::kNone, 0},
      {"   ", FieldNumber::kNone, 0},
      {"-5", FieldNumber::kNone, 0},
      {"+5", FieldNumber::kNone, 0},
      {"12a", FieldNumber::kNone, 0},
      {"abc", FieldNumber::kNone, 0},
      {"1 2", FieldNumber::kNone, 0},
      {"１２０", FieldNumber::kNone, 0},  // full-width digits are characters, not a number
  };
  for (const Case& c : cases) {
    std::uint32_t value = 0xdeadbeef;
    EXPECT_EQ(c.kind, board::ParseFieldNumber(c.text, &value)) << "\"" << c.text << "\"";
    if (c.kind == FieldNumber::kValue) {
      EXPECT_EQ(c.value, value) << "\"" << c.text << "\"";
    } else {
      EXPECT_EQ(0xdeadbeefu, value) << "\"" << c.text << "\" must leave the value alone";
    }
  }
}

TEST(BoardRulesTest, ATextIsCutBeforeADoubleByteCharacterThatWouldNotFit) {
  // 39 single bytes and then a double-byte character: 41 bytes; the character goes.
  std::string text(39, 'a');
  text += "あ";
  ASSERT_EQ(41u, text.size());
  board::CutText(text.data(), 40);
  EXPECT_EQ(std::string(39, 'a'), std::string(text.c_str()));

  // Twenty double-byte characters fit 40 bytes exactly; a twenty-first is cut whole.
  std::string kana;
  for (int i = 0; i < 21; ++i) kana += "テ";
  board::CutText(kana.data(), 40);
  EXPECT_EQ(40u, std::string(kana.c_str()).size());

  // A trail byte that looks like a separator or an ASCII letter does not confuse the cut.
  std::string mixed = "a";
  for (int i = 0; i < 20; ++i) mixed += "表";  // 0x95 0x5C
  board::CutText(mixed.data(), 40);
  EXPECT_EQ(39u, std::string(mixed.c_str()).size()) << "1 + 19 whole characters";

  std::string short_text = "short";
  board::CutText(short_text.data(), 40);
  EXPECT_EQ("short", std::string(short_text.c_str()));
}

TEST(BoardRulesTest, TheTextScrollsAPixelPerTenMillisecondsAndStartsAgainWhenGone) {
  // First frame: the text's left edge at the right edge, less what the clock ran.
  board::TextPlacement at = board::PlaceText(66, 960, 320, 2618, 200);
  EXPECT_EQ(66u, at.clock);
  EXPECT_EQ(954, at.x);
  EXPECT_EQ(60, at.y);
  // Only accumulated time counts, in whole steps of 10 ms.
  EXPECT_EQ(960 - 100, board::PlaceText(1000, 960, 320, 2618, 200).x);
  EXPECT_EQ(960 - 100, board::PlaceText(1009, 960, 320, 2618, 200).x);

  // The right end passes column 0 when width - steps + tw < 0.
  const std::uint32_t last = (960 + 2618) * 10 + 9;  // right end exactly at 0
  EXPECT_EQ(last, board::PlaceText(last, 960, 320, 2618, 200).clock);
  at = board::PlaceText(last + 1, 960, 320, 2618, 200);
  EXPECT_EQ(0u, at.clock) << "restarted";
  EXPECT_EQ(960, at.x);

  // An empty text restarts at the first frame whose clock reaches (width + 1) x 10.
  EXPECT_EQ(9609u, board::PlaceText(9609, 960, 320, 0, 0).clock);
  EXPECT_EQ(0u, board::PlaceText(9610, 960, 320, 0, 0).clock);

  // A text taller than the picture is cut evenly top and bottom.
  EXPECT_EQ(-40, board::PlaceText(0, 960, 320, 100, 400).y);
  EXPECT_EQ(-40, board::PlaceText(0, 960, 320, 100, 401).y) << "truncated toward zero";
}

}  // namespace
