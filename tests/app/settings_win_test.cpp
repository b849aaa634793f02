// The settings file: what a hand-edited file may hold, and how reading and writing fail.
#include <gtest/gtest.h>

#include "support/scoped_win.h"
#include "tests/app/board_fixture_win.h"

namespace board_test {
namespace {

// Values from the file are held to the dialogs' ranges as they are read (the ranges
// themselves are the board rules').
TEST(SettingsTest, ASaveGoesThroughANewFileKeepsOtherKeysAndOverwritesAStaleCopy) {
  ProgramFolder program;
  program.WriteSettings("[OTHER]\r\nKEEP=me\r\n[SETTINGS]\r\nPWD=99999\r\nTDS=300\r\nVDT=7\r\n");
  program.folder().Create("Parallux.ini.new", "[SETTINGS]\r\nPWD=3");  // a save cut short
  program.Start();
  SaveSettings(g_board);
  const std::string saved = program.folder().Read("Parallux.ini");
  EXPECT_EQ(0u, saved.find("[OTHER]\r\nKEEP=me\r\n[SETTINGS]\r\nPWD=480\r\nTDS=255\r\nVDT=2\r\n"))
      << saved;
  EXPECT_EQ("<missing>", program.folder().Read("Parallux.ini.new"));

  // Where the new file cannot be made the save is refused, and logged once.
  ASSERT_TRUE(CreateDirectoryA(program.Path("Parallux.ini.new").c_str(), nullptr));
  SaveSettings(g_board);
  RemoveDirectoryA(program.Path("Parallux.ini.new").c_str());
  EXPECT_EQ(saved, program.folder().Read("Parallux.ini"));
  EXPECT_EQ(1, program.Count("ERROR [Parallux:"));
}

// Held open by another program, the file can be neither read at the start nor replaced
// at the end. Read-only, Wine's MoveFileExA would replace it where Windows refuses.
TEST(SettingsTest, AFileHeldOpenOrReadOnlyIsLeftAsItWasAndTheLogSaysWhy) {
  for (const bool held : {true, false}) {
    ProgramFolder program;
    const std::string ini = program.Path("Parallux.ini"), kept = "[SETTINGS]\r\nPWD=150\r\n";
    program.WriteSettings(kept);
    ScopedHandle holder(
        held ? CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
             : INVALID_HANDLE_VALUE);
    if (!held) SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    program.Start();
    g_board.parallax_width = 200;
    SaveSettings(g_board);
    holder.reset(INVALID_HANDLE_VALUE);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(kept, program.folder().Read("Parallux.ini")) << "held " << held;
    EXPECT_EQ(held ? 2 : 1, program.Count("ERROR [Parallux:")) << "held " << held;
  }
}

TEST(SettingsTest, APathCutByItsBufferIsNeverUsed) {
  ProgramFolder program;
  FakeModule() = program.folder().path() + std::string(300, 'd') + "\\Parallux.exe";
  program.Start();
  EXPECT_STREQ("", g_board.background_path);
  SaveSettings(g_board);
  EXPECT_EQ(std::vector<std::string>{"Parallux0.log"}, program.folder().Files())
      << "only the log may be written";
  EXPECT_EQ(1, program.Count("ERROR [Parallux:"));
}

}  // namespace
}  // namespace board_test
