#include "support/bounded_string.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

namespace {

// Each operation fills its destinations to the last byte, and one byte more leaves every
// one of them empty, sets ERANGE and throws.
TEST(BoundedStringTest, FitsToTheLastByteAndOneByteMoreLeavesEveryDestinationEmpty) {
  char out[8];
  char parts[4][8];  // drive, folder, name, extension
  const std::function<void(bool)> operations[] = {
      [&](bool over) { BoundedCopy(out, over ? "12345678" : "1234567"); },
      [&](bool over) { BoundedFormat(out, 8, "%s%d", "abcdef", over ? 42 : 7); },
      [&](bool over) { JoinPath(out, 8, "C", "d", over ? "nn" : "n", "e"); },
      [&](bool over) {
        SplitPath(over ? "C:folder_\\n.e" : "C:folder\\n.e", parts[0], 3, parts[1], 8, parts[2], 8,
                  parts[3], 8);
      },
  };
  const char* const fitted[] = {"1234567", "abcdef7", "C:d\\n.e", "folder\\"};
  for (int i = 0; i < 4; ++i) {
    std::memset(out, 'J', sizeof out);
    std::memset(parts, 'J', sizeof parts);
    operations[i](false);
    EXPECT_STREQ(fitted[i], i < 3 ? out : parts[1]);
    errno = 0;
    EXPECT_THROW(operations[i](true), CInvPrmException) << "operation " << i;
    EXPECT_EQ(ERANGE, errno) << "operation " << i;
    EXPECT_EQ("", i < 3 ? std::string(out) : std::string(parts[0]) + parts[1] + parts[2] + parts[3])
        << "operation " << i;
  }
}

TEST(BoundedStringTest, RefusesInvalidArgumentsAndWritesNothingWithoutCapacity) {
  char b[8];
  const std::function<void()> calls[] = {
      [&] { BoundedCopy(b, sizeof b, nullptr); },
      [&] { BoundedFormatV(b, sizeof b, nullptr, nullptr); },
      [&] { SplitPath(nullptr, nullptr, 0, nullptr, 0, b, sizeof b, nullptr, 0); },
      [&] { SplitPath("a.b", nullptr, 3, nullptr, 0, b, sizeof b, nullptr, 0); },
  };
  for (const auto& call : calls) {
    std::memset(b, 'J', sizeof b);
    EXPECT_THROW(call(), CInvPrmException);
    EXPECT_STREQ("", b);
  }
  EXPECT_THROW(BoundedCopy(nullptr, 4, "a"), CInvPrmException);
  std::memset(b, 'J', sizeof b);
  EXPECT_THROW(BoundedCopy(b, 0, "a"), CInvPrmException);
  EXPECT_EQ('J', b[0]) << "capacity 0 means not one byte may be written";
}

// "表" is 0x95 0x5C and "ソ" 0x83 0x5C in code page 932: trail bytes that equal "\\".
TEST(BoundedStringTest, SplitsPathsInCodePage932AndJoinsThemBack) {
  const char* const cases[][5] = {
      {"C:\\Program Files\\P\\P.exe", "C:", "\\Program Files\\P\\", "P", ".exe"},
      {"a/b/c.d.e", "", "a/b/", "c.d", ".e"},
      {"\\\\server\\share\\f.txt", "", "\\\\server\\share\\", "f", ".txt"},
      {"C:\\表\\ソ.txt", "C:", "\\表\\", "ソ", ".txt"},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    char parts[4][kNameCapacity];
    SplitPath(c[0], parts[0], kDriveCapacity, parts[1], kFolderCapacity, parts[2], kNameCapacity,
              parts[3], kExtensionCapacity);
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(c[i + 1], parts[i]) << "part " << i << " of " << c[0];
    char joined[kPathCapacity];
    JoinPath(joined, sizeof joined, parts[0], parts[1], parts[2], parts[3]);
    EXPECT_STREQ(c[0], joined);
  }
  char path[kPathCapacity];
  JoinPath(path, sizeof path, "C", "x\\表", "b", "ini");
  EXPECT_STREQ("C:x\\表\\b.ini", path) << "drive, separator and dot completed";
}

}  // namespace
