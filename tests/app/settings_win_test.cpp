// The settings file: first run, what survives a save and a load, values a hand-edited
// or foreign file may hold, and the ways reading and writing can fail.
#include <random>

#include "tests/app/board_fixture_win.h"
#include "tests/app/first_run_settings.h"

namespace board_test {
namespace {

const std::string kFirstRunFile = kFirstRunSettings;

TEST(SettingsTest, AFirstRunUsesTheDefaultsAndWritesAllSixKeys) {
  ProgramFolder program;
  program.Start();
  EXPECT_STREQ("背景.bmp", g_board.background_file);
  EXPECT_EQ("テキストを入力してください。", Text(g_board));
  EXPECT_EQ(28u, Text(g_board).size()) << "Shift-JIS bytes";
  EXPECT_EQ(100, g_board.parallax_width.load());
  EXPECT_EQ(200u, g_board.text_depth.load());
  EXPECT_EQ(1u, g_board.dot_mode.load());
  EXPECT_FALSE(g_board.reverse.load());
  EXPECT_EQ(program.Path("背景.bmp"), g_board.background_path);
  EXPECT_EQ(program.Path("Parallux.ini"), g_paths.settings_path);
  EXPECT_EQ(program.folder().path(), g_paths.program_folder);

  SaveSettings(g_board);
  EXPECT_EQ(kFirstRunFile, program.Settings());
  EXPECT_FALSE(program.folder().Exists("Parallux.ini.new")) << "the temporary file is gone";
  EXPECT_EQ("<missing>", program.Log()) << "nothing went wrong, so nothing is logged";
}

TEST(SettingsTest, ValuesComeBackAfterASaveAndALoadBlanksIncluded) {
  ProgramFolder program;
  program.Start();
  g_board.SetText("  前後に空白  ");
  std::snprintf(g_board.background_file, sizeof g_board.background_file, " %s ", "bg.bmp");
  g_board.reverse = true;
  g_board.parallax_width = 123;
  g_board.text_depth = 7;
  g_board.dot_mode = 2;
  SaveSettings(g_board);

  ResetBoard(g_board);
  program.Start();
  EXPECT_EQ("  前後に空白  ", Text(g_board));
  EXPECT_STREQ(" bg.bmp ", g_board.background_file);
  EXPECT_TRUE(g_board.reverse.load());
  EXPECT_EQ(123, g_board.parallax_width.load());
  EXPECT_EQ(7u, g_board.text_depth.load());
  EXPECT_EQ(2u, g_board.dot_mode.load());
}

TEST(SettingsTest, AnyNonZeroReversalTurnsItOnAndIsSavedAsOne) {
  ProgramFolder program;
  program.WriteSettings("[SETTINGS]\r\nREV=5\r\n");
  program.Start();
  EXPECT_TRUE(g_board.reverse.load());
  SaveSettings(g_board);
  EXPECT_NE(std::string::npos, program.Settings().find("\r\nREV=1\r\n")) << program.Settings();
}

TEST(SettingsTest, ALongTextIsCutToFortyBytesOnACharacterBoundary) {
  ProgramFolder program;
  const std::string fifty(50, 'x');
  program.WriteSettings("[SETTINGS]\r\nTEXT='" + fifty + "'\r\n");
  program.Start();
  EXPECT_EQ(std::string(40, 'x'), Text(g_board));

  // 39 single bytes, then a double-byte character straddling byte 40: it goes whole.
  ResetBoard(g_board);
  program.WriteSettings("[SETTINGS]\r\nTEXT='" + std::string(39, 'y') + "あいう'\r\n");
  program.Start();
  EXPECT_EQ(std::string(39, 'y'), Text(g_board));
}

TEST(SettingsTest, ABackgroundInASubFolderIsFoundBelowTheProgramFolder) {
  ProgramFolder program;
  program.WriteSettings("[SETTINGS]\r\nBGI='images\\depth.bmp'\r\n");
  program.Start();
  EXPECT_EQ(program.Path("images\\depth.bmp"), g_board.background_path);
  // An absolute name is still taken as relative to the program folder.
  ResetBoard(g_board);
  program.WriteSettings("[SETTINGS]\r\nBGI='C:\\depth.bmp'\r\n");
  program.Start();
  EXPECT_EQ(program.Path("C:\\depth.bmp"), g_board.background_path);
}

TEST(SettingsTest, MissingKeysKeepTheirDefaults) {
  ProgramFolder program;
  program.WriteSettings("[SETTINGS]\r\nBGI='a.bmp'\r\nREV=1\r\nTDS=50\r\nVDT=2\r\nTEXT='t'\r\n");
  program.Start();
  EXPECT_EQ(100, g_board.parallax_width.load()) << "no PWD key";
  EXPECT_EQ(50u, g_board.text_depth.load());
  EXPECT_STREQ("a.bmp", g_board.background_file);
}

TEST(SettingsTest, ValuesOutsideTheDialogsRangesAreHeldToThem) {
  struct Case {
    const char* file;
    std::int32_t width;
    std::uint32_t depth;
    std::uint32_t dots;
  };
  const Case cases[] = {
      {"PWD=99999\r\nTDS=300\r\nVDT=7\r\n", 480, 255, 2},
      {"PWD=-5\r\nTDS=-1\r\nVDT=0\r\n", 10, 255, 2},
      {"PWD=0\r\nTDS=0\r\nVDT=1\r\n", 10, 0, 1},
      {"PWD=4294967295\r\n", 10, 200, 1},
  };
  for (const Case& c : cases) {
    ProgramFolder program;
    program.WriteSettings(std::string("[SETTINGS]\r\n") + c.file);
    program.Start();
    EXPECT_EQ(c.width, g_board.parallax_width.load()) << c.file;
    EXPECT_EQ(c.depth, g_board.text_depth.load()) << c.file;
    EXPECT_EQ(c.dots, g_board.dot_mode.load()) << c.file;
  }
}

TEST(SettingsTest, GarbageEmptyHugeAndForeignFilesLeaveAWorkingBoard) {
  std::mt19937 random(7);
  std::string garbage(4096, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  std::string huge = "[SETTINGS]\r\nPWD=150\r\n";
  while (huge.size() < 10u * 1024 * 1024) huge += "NOISE=" + std::string(100, 'n') + "\r\n";
  huge += "TDS=77\r\n";
  const struct {
    const char* name;
    std::string content;
  } files[] = {
      {"garbage", garbage},
      {"empty", ""},
      {"huge", huge},
      // UTF-8 rather than Shift-JIS: bytes, not characters, and no crash.
      {"utf-8",
       "[SETTINGS]\r\nTEXT='\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88"
       "\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88\xE3\x83\x86\xE3\x82\xAD"
       "\xE3\x82\xB9\xE3\x83\x88\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9'\r\n"},
  };
  for (const auto& file : files) {
    ProgramFolder program;
    program.WriteSettings(file.content);
    program.Start();
    EXPECT_GE(g_board.parallax_width.load(), 10) << file.name;
    EXPECT_LE(g_board.parallax_width.load(), 480) << file.name;
    EXPECT_LE(g_board.text_depth.load(), 255u) << file.name;
    EXPECT_LE(Text(g_board).size(), 40u) << file.name;
    SaveSettings(g_board);
    ResetBoard(g_board);
    program.Start();
    EXPECT_LE(Text(g_board).size(), 40u) << file.name << " after a save";
  }
  ProgramFolder program;
  program.WriteSettings(huge);
  program.Start();
  EXPECT_EQ(150, g_board.parallax_width.load());
  EXPECT_EQ(77u, g_board.text_depth.load()) << "a key after 10 MB is still found";
}

TEST(SettingsTest, OtherContentOfTheFileAndAStaleTemporaryAreHandled) {
  ProgramFolder program;
  program.WriteSettings("[OTHER]\r\nKEEP=me\r\n[SETTINGS]\r\nPWD=120\r\n");
  // What a save cut off half way once left behind.
  program.folder().Create("Parallux.ini.new", "[SETTINGS]\r\nPWD=3");
  program.Start();
  EXPECT_EQ(120, g_board.parallax_width.load());
  SaveSettings(g_board);
  const std::string saved = program.Settings();
  EXPECT_NE(std::string::npos, saved.find("[OTHER]\r\nKEEP=me\r\n")) << saved;
  EXPECT_NE(std::string::npos, saved.find("PWD=120\r\n")) << saved;
  EXPECT_NE(std::string::npos, saved.find("TEXT='テキストを入力してください。'")) << saved;
  EXPECT_FALSE(program.folder().Exists("Parallux.ini.new"));
}

TEST(SettingsTest, APathCutByItsBufferIsNeverUsed) {
  ProgramFolder program;
  FakeModule() = program.folder().path() + std::string(300, 'd') + "\\Parallux.exe";
  program.Start();
  EXPECT_STREQ("", g_paths.settings_path);
  EXPECT_STREQ("", g_board.background_path) << "no background without a program folder";
  EXPECT_EQ(100, g_board.parallax_width.load());
  SaveSettings(g_board);
  for (const std::string& name : program.folder().Files()) {
    EXPECT_EQ("Parallux0.log", name) << "only the log may be written";
  }
  // One system-error line naming the buffer's shortage.
  const std::string log = program.Log();
  EXPECT_NE(std::string::npos, log.find("ERROR [Parallux:")) << log;
}

TEST(SettingsTest, AFileThatCannotBeWrittenIsLoggedKeyByKeyAndTheProgramGoesOn) {
  ProgramFolder program;
  program.Start();
  // The settings file and its temporary are folders: every write fails.
  ASSERT_TRUE(CreateDirectoryA(program.Path("Parallux.ini.new").c_str(), nullptr));
  SaveSettings(g_board);
  const std::string log = program.Log();
  std::size_t lines = 0;
  for (std::size_t at = log.find("ERROR [Parallux:"); at != std::string::npos;
       at = log.find("ERROR [Parallux:", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(6u, lines) << "one entry per key:\n" << log;
  RemoveDirectoryA(program.Path("Parallux.ini.new").c_str());
}

}  // namespace
}  // namespace board_test
