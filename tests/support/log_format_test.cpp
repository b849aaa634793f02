#include "support/log_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/sjis.h"

namespace {

// Whether `text` ends on a character boundary, scanned from its start as code page 932.
bool EndsOnCharacterBoundary(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size()) at += IsSjisLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
  return at == text.size();
}

std::string Repeat(const char* unit, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += unit;
  return out;
}

// A buffer with guard bytes after the capacity that is handed to the code under test.
struct GuardedBuffer {
  static constexpr std::size_t kCapacity = 512;
  static constexpr char kGuard = 0x55;
  char bytes[kCapacity + 64];

  GuardedBuffer() { std::memset(bytes, kGuard, sizeof bytes); }
  bool GuardIntact() const {
    for (std::size_t i = kCapacity; i < sizeof bytes; ++i) {
      if (bytes[i] != kGuard) return false;
    }
    return true;
  }
};

const LogTime kTime = {2024, 5, 6, 7, 8, 9, 10};
constexpr std::size_t kStampLength = 24;  // "2024/05/06 07:08:09.010 "

TEST(LogLevelTest, NamesAndLooksUpLevelsExactly) {
  const char* const names[] = {"NONE", "DEBUG", "INFO", "WARN", "ERROR", "FATAL"};
  for (int level = 0; level < 6; ++level) {
    EXPECT_STREQ(names[level], LogLevelName(level)) << "name of level " << level;
  }
  EXPECT_EQ(nullptr, LogLevelName(-1));
  EXPECT_EQ(nullptr, LogLevelName(6));
  for (int level = 1; level < 6; ++level) {
    EXPECT_EQ(level, LogLevelByName(names[level])) << "level of \"" << names[level] << "\"";
  }
  for (const char* other : {"NONE", "warn", "Warn", "WARN ", " WARN", "", "0"}) {
    EXPECT_EQ(2147483647, LogLevelByName(other)) << "level of \"" << other << "\"";
  }
  EXPECT_EQ(2147483647, LogLevelByName(nullptr));
}

TEST(ReduceSourceFileNameTest, KeepsOnlyTheLastComponent) {
  const struct {
    const char* file;
    const char* shown;
  } cases[] = {
      {"app\\board\\Parallux.cpp", "Parallux.cpp"},
      {"../canvas/icg.cpp", "icg.cpp"},
      {"/work/main/canvas/icg.cpp", "icg.cpp"},
      {"C:icg.cpp", "icg.cpp"},
      {"C:\\src\\a:b\\x.cpp", "x.cpp"},
      {"icg.cpp", "icg.cpp"},
      {"dir\\", ""},
      {"表.cpp", "表.cpp"},  // 0x95 0x5C: the trail byte is no separator
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(c.shown, ReduceSourceFileName(c.file)) << "reducing \"" << c.file << "\"";
  }
  EXPECT_STREQ("", ReduceSourceFileName(nullptr));
}

TEST(ReadLeadingNumberTest, ReadsAsAtoiDoes) {
  const struct {
    const char* text;
    int value;
  } cases[] = {
      {"15.log", 15},
      {".log", 0},
      {"-old.log", 0},
      {" 7.log", 7},
      {"\t+3.log", 3},
      {"-5.log", -5},
      {"0012.log", 12},
      {"99999999999.log", 2147483647},
      {"-99999999999", -2147483647 - 1},
      {"", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value, ReadLeadingNumber(c.text)) << "number at the start of \"" << c.text << "\"";
  }
}

TEST(FormatLogLineTest, WritesTheTimeStampTheMessageAndCrLf) {
  char line[kLogLineSize];
  EXPECT_TRUE(FormatLogLine(line, sizeof line, kTime, "WaitForSingleObject timeout"));
  EXPECT_STREQ("2024/05/06 07:08:09.010 WaitForSingleObject timeout\r\n", line);

  // A system text brings its own CR LF; the line's follows it.
  EXPECT_TRUE(FormatLogLine(line, sizeof line, {1999, 12, 31, 23, 59, 58, 999}, "text\r\n"));
  EXPECT_STREQ("1999/12/31 23:59:58.999 text\r\n\r\n", line);
}

TEST(FormatLogLineTest, FillsTheLineExactlyAndCutsOneByteLater) {
  const std::string fits(511 - kStampLength - 2, 'm');
  GuardedBuffer buffer;
  EXPECT_TRUE(FormatLogLine(buffer.bytes, GuardedBuffer::kCapacity, kTime, fits.c_str()));
  EXPECT_EQ(511u, std::strlen(buffer.bytes));

  GuardedBuffer cut;
  EXPECT_FALSE(FormatLogLine(cut.bytes, GuardedBuffer::kCapacity, kTime, (fits + "X").c_str()));
  const std::string line = cut.bytes;
  EXPECT_EQ(511u, line.size());
  EXPECT_EQ("m\r\n", line.substr(line.size() - 3)) << "the X is cut, the CR LF stays";
  EXPECT_TRUE(cut.GuardIntact()) << "bytes after the 512-byte line were written";
}

TEST(FormatLogLineTest, CutsBetweenDoubleByteCharacters) {
  // 485 bytes of room: after "a" a character ends at 485, after "ab" one would straddle it.
  for (const char* prefix : {"a", "ab"}) {
    const std::string message = prefix + Repeat("表", 300);
    GuardedBuffer buffer;
    EXPECT_FALSE(FormatLogLine(buffer.bytes, GuardedBuffer::kCapacity, kTime, message.c_str()));
    const std::string line = buffer.bytes;
    const std::string kept = line.substr(kStampLength, line.size() - kStampLength - 2);
    const std::size_t expected = std::strlen(prefix) == 1 ? 485 : 484;
    EXPECT_EQ(expected, kept.size()) << "message bytes kept after \"" << prefix << "\"";
    EXPECT_EQ(message.substr(0, kept.size()), kept);
    EXPECT_TRUE(EndsOnCharacterBoundary(kept)) << "a double-byte character was split";
    EXPECT_EQ("\r\n", line.substr(line.size() - 2));
    EXPECT_TRUE(buffer.GuardIntact());
  }
}

TEST(FormatLogLineTest, ACutSystemTextLeavesNoLoneCarriageReturn) {
  // The cut falls between the text's own CR and LF.
  const std::string message = std::string(484, 's') + "\r\n";
  char line[kLogLineSize];
  EXPECT_FALSE(FormatLogLine(line, sizeof line, kTime, message.c_str()));
  const std::string text = line;
  EXPECT_EQ(kStampLength + 484 + 2, text.size());
  EXPECT_EQ("s\r\n", text.substr(text.size() - 3)) << "expected no \"\\r\\r\\n\" at the end";
}

TEST(FormatCutTest, CutsAMessageAt511BytesOnACharacterBoundary) {
  for (const char* prefix : {"a", "ab"}) {
    const std::string message = prefix + Repeat("ソ", 300);
    GuardedBuffer buffer;
    EXPECT_FALSE(FormatCut(buffer.bytes, GuardedBuffer::kCapacity, "%s", message.c_str()));
    const std::string kept = buffer.bytes;
    EXPECT_EQ(std::strlen(prefix) == 1 ? 511u : 510u, kept.size()) << "after \"" << prefix << "\"";
    EXPECT_EQ(message.substr(0, kept.size()), kept);
    EXPECT_TRUE(EndsOnCharacterBoundary(kept));
    EXPECT_TRUE(buffer.GuardIntact());
  }
  char whole[8];
  EXPECT_TRUE(FormatCut(whole, sizeof whole, "%d-%s", 12, "abcd"));
  EXPECT_STREQ("12-abcd", whole);
}

TEST(FormatCutTest, TaggedTextPadsTheLevelNameToFiveCharacters) {
  char text[kLogMessageSize];
  FormatCut(text, sizeof text, kLogTaggedFormat, LogLevelName(2),
            ReduceSourceFileName("src\\main.cpp"), 42, "started");
  EXPECT_STREQ(" INFO [main.cpp:42] started", text);
  FormatCut(text, sizeof text, kLogTaggedFormat, LogLevelName(4), "a.cpp", 1, "x");
  EXPECT_STREQ("ERROR [a.cpp:1] x", text);
}

TEST(FormatDumpTest, AppendsEachByteInUpperCaseHexadecimal) {
  const unsigned char bytes[] = {0x00, 0x7F, 0xFF};
  char line[kLogDumpSize];
  FormatDump(line, sizeof line, "abc", bytes, 3);
  EXPECT_STREQ("abc 00 7F FF", line);
  FormatDump(line, sizeof line, "abc", bytes, 0);
  EXPECT_STREQ("abc", line);
  FormatDump(line, sizeof line, "abc", bytes, -1);
  EXPECT_STREQ("abc", line);
}

TEST(FormatDumpTest, StopsAtTheFirstByteWithoutFourBytesOfRoom) {
  const unsigned char bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  const struct {
    std::size_t text_length;
    std::string tail;
  } cases[] = {
      {500, " 00 01 02"},  // room 12, 9, 6; then 3
      {508, " 00"},        // room 4 takes one byte and fills all 512
      {509, ""},           // room 3
      {600, ""},           // the text alone is cut to 511
  };
  for (const auto& c : cases) {
    const std::string text(c.text_length, 't');
    GuardedBuffer buffer;
    FormatDump(buffer.bytes, GuardedBuffer::kCapacity, text.c_str(), bytes, 10);
    const std::string expected = text.substr(0, 511) + c.tail;
    EXPECT_EQ(expected, std::string(buffer.bytes)) << "dump after a text of " << c.text_length;
    EXPECT_TRUE(buffer.GuardIntact());
  }
}

}  // namespace
