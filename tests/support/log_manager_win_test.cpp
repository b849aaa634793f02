#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/log_manager.h"
#include "tests/support/temp_folder_win.h"

namespace {

using Messages = std::vector<std::string>;

TEST(LogManagerTest, EachRunStartsFileZeroAndTheEleventhDropsTheOldest) {
  TempFolder folder;
  folder.Create("X15.log");
  folder.Create("X-old.log");
  for (int run = 0; run <= 10; ++run) {
    CILogManager log;
    log.Setup(folder.path().c_str(), "X", 10, 0);
    log.Print(4, "run %d", run);
  }
  EXPECT_EQ(11u, folder.Files().size()) << "X0.log to X9.log, and X-old.log of no number";
  for (int n = 0; n < 10; ++n) {
    const std::string number = std::to_string(n);
    EXPECT_EQ(Messages{std::string("run ") + std::to_string(10 - n)},
              LogMessages(folder.Read("X" + number + ".log")));
  }
}

TEST(LogManagerTest, WritesFromTheThresholdUpWithTagsAndBareFileNames) {
  TempFolder folder;
  CILogManager log;
  log.SetupByName(folder.path().c_str(), "X", 10, "INFO");
  log.Print(1, "below");
  log.Print(2, "print %d", 2);
  log.Log(6, "a.cpp", 1, "no tag for level 6");
  log.Log(2, "app\\board\\P.cpp", 12, "hello");
  log.LogFormat(5, "../icg.cpp", 99, "%d-%s", 5, "z");
  log.LogSystemError(4, "f.cpp", 442, 0x2000FFFF);  // a code without a system text
  log.Dump("abc", "\x00\x7F\xFF", 3);
  EXPECT_EQ((Messages{"print 2", " INFO [P.cpp:12] hello", "FATAL [icg.cpp:99] 5-z",
                      "ERROR [f.cpp:442] ", "abc 00 7F FF"}),
            LogMessages(folder.Read("X0.log")));
}

TEST(LogManagerTest, LoggingLeavesTheLastErrorAndAFolderThatCannotBeOpenedDropsTheLine) {
  TempFolder folder;
  CILogManager log;
  for (const std::string& where : {folder.path(), folder.path() + "missing\\"}) {
    log.Setup(where.c_str(), "X", 10, 0);
    SetLastError(0xDEADBEEF);
    log.Print(4, "the first line renames files that do not exist");
    log.LogSystemError(4, "f.cpp", 1, 0x2000FFFF);  // no system text
    log.SetLimits(10, 0);
    EXPECT_EQ(0xDEADBEEFu, GetLastError()) << where;
  }
  EXPECT_EQ(std::vector<std::string>{"X0.log"}, folder.Files());
}

}  // namespace
