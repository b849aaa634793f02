#include "support/log_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

// 511 bytes at most: a 24-byte time stamp, the message, CR LF. A cut message keeps whole
// characters and no lone CR, and nothing is written past the line's 512 bytes.
TEST(LogFormatTest, ACutLineKeepsWholeCharactersAndNoLoneCarriageReturn) {
  std::string kanji;  // "表" (0x95 0x5C in code page 932) 300 times
  for (int i = 0; i < 300; ++i) kanji += "表";
  const std::pair<std::string, std::size_t> cases[] = {
      {std::string(485, 'm'), 485},
      {"a" + kanji, 485},
      {"ab" + kanji, 484},                    // a character would straddle the end
      {std::string(484, 's') + "\r\n", 484},  // the cut falls between its own CR and LF
  };
  for (const auto& [message, kept] : cases) {
    char line[kLogLineSize + 8];
    std::memset(line, 'G', sizeof line);
    FormatLogLine(line, kLogLineSize, {2024, 5, 6, 7, 8, 9, 10}, message.c_str());
    EXPECT_EQ("2024/05/06 07:08:09.010 " + message.substr(0, kept) + "\r\n", line);
    EXPECT_EQ("GGGGGGGG", std::string(line + kLogLineSize, 8)) << "written past the line";
  }
  char message[kLogMessageSize];
  EXPECT_FALSE(FormatCut(message, sizeof message, "%s", ("ab" + kanji).c_str()));
  EXPECT_EQ(510u, std::strlen(message)) << "a message is cut to 511 bytes, whole characters";
}

// A number past 32 bits in a file name or a dump past the line is held to its limit.
TEST(LogFormatTest, FileNumbersAndDumpsStayWithinTheirLimits) {
  EXPECT_EQ(2147483647, ReadLeadingNumber("99999999999.log"));
  // A byte needs 4 bytes of room: 512 less the text, less 3 per byte written.
  const std::pair<std::size_t, const char*> dumps[] = {
      {500, " 00 01 02"}, {508, " 00"}, {509, ""}, {600, ""}};  // text length, what follows
  const unsigned char bytes[10] = {0, 1, 2};
  for (const auto& [length, tail] : dumps) {
    char line[kLogDumpSize];
    FormatDump(line, sizeof line, std::string(length, 't').c_str(), bytes, 10);
    EXPECT_EQ(std::string(std::min<std::size_t>(length, 511), 't') + tail, line);
  }
}

}  // namespace
