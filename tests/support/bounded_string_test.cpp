#include "support/bounded_string.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

// Buffers start full of junk so that an operation that leaves one untouched is caught.
template <std::size_t N>
void FillJunk(char (&buffer)[N]) {
  std::memset(buffer, 'J', N);
}

TEST(BoundedCopyTest, CopiesATextThatFillsTheBufferExactly) {
  char buffer[8];
  FillJunk(buffer);
  BoundedCopy(buffer, "1234567");
  EXPECT_STREQ("1234567", buffer);
}

TEST(BoundedCopyTest, LeavesTheBufferEmptyAndThrowsWhenTheTerminatorDoesNotFit) {
  char buffer[8];
  FillJunk(buffer);
  errno = 0;
  EXPECT_THROW(BoundedCopy(buffer, "12345678"), CInvPrmException);
  EXPECT_STREQ("", buffer) << "a copy that does not fit must leave the buffer empty";
  EXPECT_EQ(ERANGE, errno);
}

TEST(BoundedCopyTest, ThrowsWithNullPointersAndZeros) {
  const std::string long_text(300, 'p');
  char buffer[260];
  FillJunk(buffer);
  try {
    BoundedCopy(buffer, long_text.c_str());
    FAIL() << "expected CInvPrmException for 300 bytes into 260, got no exception";
  } catch (const CInvPrmException& e) {
    EXPECT_EQ(nullptr, e.expression);
    EXPECT_EQ(nullptr, e.function);
    EXPECT_EQ(nullptr, e.file);
    EXPECT_EQ(0u, e.line);
    EXPECT_EQ(0u, e.reserved);
  }
  EXPECT_STREQ("", buffer);
}

TEST(BoundedCopyTest, RejectsInvalidArguments) {
  char buffer[4];
  FillJunk(buffer);
  EXPECT_THROW(BoundedCopy(buffer, sizeof buffer, nullptr), CInvPrmException);
  EXPECT_STREQ("", buffer) << "a null source still empties the destination";
  EXPECT_THROW(BoundedCopy(nullptr, 4, "a"), CInvPrmException);
  FillJunk(buffer);
  EXPECT_THROW(BoundedCopy(buffer, 0, "a"), CInvPrmException);
  EXPECT_EQ('J', buffer[0]) << "capacity 0 means not one byte may be written";
}

TEST(BoundedFormatTest, FormatsUpToTheLastByteAndThrowsOneByteLater) {
  char buffer[10];
  FillJunk(buffer);
  BoundedFormat(buffer, sizeof buffer, "%s%d", "abcdefgh", 7);
  EXPECT_STREQ("abcdefgh7", buffer);

  FillJunk(buffer);
  errno = 0;
  EXPECT_THROW(BoundedFormat(buffer, sizeof buffer, "%s%d", "abcdefgh", 42), CInvPrmException);
  EXPECT_STREQ("", buffer);
  EXPECT_EQ(ERANGE, errno);
}

TEST(BoundedFormatTest, RejectsANullFormatAndLeavesTheBufferEmpty) {
  char buffer[10];
  FillJunk(buffer);
  const char* no_format = nullptr;
  EXPECT_THROW(BoundedFormatV(buffer, sizeof buffer, no_format, nullptr), CInvPrmException);
  EXPECT_STREQ("", buffer);
}

struct Parts {
  char drive[kDriveCapacity];
  char folder[kFolderCapacity];
  char name[kNameCapacity];
  char extension[kExtensionCapacity];

  Parts() {
    FillJunk(drive);
    FillJunk(folder);
    FillJunk(name);
    FillJunk(extension);
  }
  void Split(const char* path) {
    SplitPath(path, drive, sizeof drive, folder, sizeof folder, name, sizeof name, extension,
              sizeof extension);
  }
  std::string Joined() const {
    char path[kPathCapacity];
    JoinPath(path, sizeof path, drive, folder, name, extension);
    return path;
  }
};

struct SplitCase {
  const char* path;
  const char* drive;
  const char* folder;
  const char* name;
  const char* extension;
};

// "表" is 0x95 0x5C and "ソ" 0x83 0x5C in code page 932: their trail bytes are the
// byte value of "\\" and must not split the path.
const SplitCase kSplitCases[] = {
    {"C:\\Program Files\\Parallux\\Parallux.exe", "C:", "\\Program Files\\Parallux\\", "Parallux",
     ".exe"},
    {"a/b/c.d.e", "", "a/b/", "c.d", ".e"},
    {"C:name", "C:", "", "name", ""},
    {"C:", "C:", "", "", ""},
    {".ini", "", "", "", ".ini"},
    {"dir.x\\noext", "", "dir.x\\", "noext", ""},
    {"\\\\server\\share\\f.txt", "", "\\\\server\\share\\", "f", ".txt"},
    {"D:/mixed\\seps/x.", "D:", "/mixed\\seps/", "x", "."},
    {"C:\\表\\ソ.txt", "C:", "\\表\\", "ソ", ".txt"},
    {"ソ", "", "", "ソ", ""},
    {"", "", "", "", ""},
};

TEST(SplitPathTest, SplitsDriveFolderNameAndExtensionAndJoinsThemBack) {
  for (const SplitCase& c : kSplitCases) {
    Parts parts;
    parts.Split(c.path);
    EXPECT_STREQ(c.drive, parts.drive) << "drive of \"" << c.path << "\"";
    EXPECT_STREQ(c.folder, parts.folder) << "folder of \"" << c.path << "\"";
    EXPECT_STREQ(c.name, parts.name) << "name of \"" << c.path << "\"";
    EXPECT_STREQ(c.extension, parts.extension) << "extension of \"" << c.path << "\"";
    EXPECT_EQ(c.path, parts.Joined()) << "split and joined again";
  }
}

TEST(SplitPathTest, SkipsPartsThatAreNotWanted) {
  char name[kNameCapacity];
  FillJunk(name);
  SplitPath("C:\\dir\\base.ext", nullptr, 0, nullptr, 0, name, sizeof name, nullptr, 0);
  EXPECT_STREQ("base", name);
}

TEST(SplitPathTest, EmptiesEveryPartWhenOneDoesNotFit) {
  // A folder of 255 bytes fits its 256-byte part, one of 256 does not.
  const std::string fitting = "C:\\" + std::string(253, 'f') + "\\n.e";
  Parts parts;
  parts.Split(fitting.c_str());
  EXPECT_EQ(255u, std::strlen(parts.folder));

  const std::string too_long = "C:\\" + std::string(254, 'f') + "\\n.e";
  Parts failed;
  errno = 0;
  EXPECT_THROW(failed.Split(too_long.c_str()), CInvPrmException);
  EXPECT_EQ(ERANGE, errno);
  EXPECT_STREQ("", failed.drive);
  EXPECT_STREQ("", failed.folder);
  EXPECT_STREQ("", failed.name);
  EXPECT_STREQ("", failed.extension);

  char drive[2];
  EXPECT_THROW(SplitPath("C:x", drive, sizeof drive, nullptr, 0, nullptr, 0, nullptr, 0),
               CInvPrmException)
      << "\"C:\" and its terminator need 3 bytes";
}

TEST(SplitPathTest, RejectsInvalidArguments) {
  Parts parts;
  EXPECT_THROW(parts.Split(nullptr), CInvPrmException);
  EXPECT_STREQ("", parts.folder);
  char name[8];
  EXPECT_THROW(SplitPath("a.b", nullptr, 3, nullptr, 0, name, sizeof name, nullptr, 0),
               CInvPrmException)
      << "a null part with a capacity";
  EXPECT_THROW(SplitPath("a.b", nullptr, 0, nullptr, 0, name, 0, nullptr, 0), CInvPrmException)
      << "a part with capacity 0";
}

TEST(JoinPathTest, CompletesDriveFolderAndExtension) {
  char path[kPathCapacity];
  JoinPath(path, sizeof path, "C", "\\a", "b", "ini");
  EXPECT_STREQ("C:\\a\\b.ini", path);
  JoinPath(path, sizeof path, "C:", "\\a\\", nullptr, nullptr);
  EXPECT_STREQ("C:\\a\\", path) << "the program folder: drive and folder alone";
  JoinPath(path, sizeof path, nullptr, "", "b", "");
  EXPECT_STREQ("b", path);
  // The folder ends in the trail byte 0x5C of "表", not in a separator.
  JoinPath(path, sizeof path, "", "x\\表", "b", ".bmp");
  EXPECT_STREQ("x\\表\\b.bmp", path);
}

TEST(JoinPathTest, FillsTheBufferExactlyAndThrowsOneByteLater) {
  char path[8];
  FillJunk(path);
  JoinPath(path, sizeof path, "C", "d", "n", "e");  // "C:d\n.e" is 7 bytes
  EXPECT_STREQ("C:d\\n.e", path);
  FillJunk(path);
  EXPECT_THROW(JoinPath(path, sizeof path, "C", "d", "nn", "e"), CInvPrmException);
  EXPECT_STREQ("", path);
  EXPECT_THROW(JoinPath(nullptr, 8, "C", "d", "n", "e"), CInvPrmException);
}

}  // namespace
