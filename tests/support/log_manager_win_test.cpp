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
