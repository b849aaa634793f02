#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/log_manager.h"
#include "support/scoped_win.h"
#include "tests/support/temp_folder_win.h"

namespace {

// A run whose folder cannot be opened drops its lines and writes nothing elsewhere.
// Logging, even a code of no system text, leaves the caller's last error as it was.
TEST(LogManagerTest, EachRunStartsFileZeroTheEleventhDropsTheOldestAndTheLastErrorStays) {
  TempFolder folder;
  folder.Create("X15.log");
  folder.Create("X-old.log");
  for (int run = 0; run <= 11; ++run) {
    CILogManager log;
    log.Setup((folder.path() + (run < 11 ? "" : "missing\\")).c_str(), "X", 10, 0);
    SetLastError(0xDEADBEEF);
    log.Print(4, "run %d", run);  // the first line of a run renames the files
    log.LogSystemError(4, "f.cpp", 1, 0x2000FFFF);
    EXPECT_EQ(0xDEADBEEFu, GetLastError()) << "run " << run;
  }
  EXPECT_EQ(11u, folder.Files().size()) << "X0.log to X9.log, and X-old.log of no number";
  // The order of the others is the rotations' test's.
  EXPECT_EQ("run 10", LogMessages(folder.Read("X0.log")).at(0));
  EXPECT_EQ("run 1", LogMessages(folder.Read("X9.log")).at(0));
}

// While a fault lasts a line may be dropped, but no old file may go, each line written
// is whole, and the first line after the fault is written. The lines are many, so that
// a set rotated once per dropped line would push the old files out.
// File 0 is held by another program without write or delete sharing, then without delete
// sharing only: its rename fails, and the lines go on into it.
TEST(LogManagerTest, FaultsDropOnlyTheLinesTheyBlockAndNoOldLine) {
  for (const DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
    TempFolder folder;
    std::map<std::string, int> expected = {{"after", 1}};
    for (const std::string n : {"0", "1", "2", "3"}) {
      folder.Create("X" + n + ".log", "2024/01/01 00:00:00.000 old " + n + "\r\n");
      expected["old " + n] = 1;
    }
    ScopedHandle holder(CreateFileA((folder.path() + "X0.log").c_str(), GENERIC_READ, share,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    {
      CILogManager log;
      log.Setup(folder.path().c_str(), "X", 10, 0);
      for (int i = 0; i < 12; ++i) {
        log.Print(4, "held %d", i);
        if ((share & FILE_SHARE_WRITE) != 0) expected["held " + std::to_string(i)] = 1;
      }
      holder.reset(INVALID_HANDLE_VALUE);
      log.Print(4, "after");
    }
    std::map<std::string, int> seen;
    for (const std::string& name : folder.Files()) {
      for (const std::string& message : LogMessages(folder.Read(name))) ++seen[message];
    }
    EXPECT_EQ(expected, seen) << "file 0 shared " << share;
  }
}

// Line i of a thread that writes c's; 70 bytes, so that a torn line shows.
std::string ThreadLine(char c, int i) {
  char line[80];
  std::snprintf(line, sizeof line, "%c %05d %s", c, i, std::string(62, c).c_str());
  return line;
}

// Up to nine rotations while two threads write: every line of each thread, whole and
// in order, through the files from the oldest to file 0.
TEST(LogManagerTest, TwoThreadsLoseNoLineAcrossRotations) {
  TempFolder folder;
  int rotations = 0;
  {
    CILogManager log;
    log.Setup(folder.path().c_str(), "X", 10, 0);
    std::atomic<int> lines{0};
    const auto writer = [&log, &lines](char c) {
      for (int i = 0; i < 10000; ++i, ++lines) log.Print(4, "%s", ThreadLine(c, i).c_str());
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    // At least 1500 lines apart, and so at least 1498 lines in each file: of the lines
    // counted after a rotation, only the two being counted as it came were written
    // before. None late, when the last lines might be written before it.
    for (int last = 0; rotations < 9; ++rotations) {
      while (lines < last + 1500) std::this_thread::yield();
      if (lines > 15000) break;
      log.SetLimits(10, 0);
      last = lines;
    }
    a.join();
    b.join();
  }
  EXPECT_LT(0, rotations);
  EXPECT_EQ(rotations + 1u, folder.Files().size()) << "not one file per rotation";
  // Each line must be the next of its thread, whole; the first that is not stops the count.
  int next[2] = {0, 0};
  for (int n = rotations; n >= 0; --n) {
    const std::string number = std::to_string(n);
    for (const std::string& line : LogMessages(folder.Read("X" + number + ".log"))) {
      const int t = line[0] == 'b';
      if (next[t] >= 0) next[t] = line == ThreadLine(line[0], next[t]) ? next[t] + 1 : -next[t] - 1;
    }
  }
  EXPECT_EQ(10000, next[0]) << "of thread a's lines, whole and in order (negative: then a bad one)";
  EXPECT_EQ(10000, next[1]) << "of thread b's lines, whole and in order (negative: then a bad one)";
}

}  // namespace
