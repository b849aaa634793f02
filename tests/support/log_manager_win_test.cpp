#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/log_manager.h"
#include "support/sjis.h"
#include "tests/support/temp_folder_win.h"

namespace {

using Messages = std::vector<std::string>;

// Gives the tests the fields that only a derived class can see.
class InspectableLog : public CILogManager {
 public:
  using CILogManager::file_count;
  using CILogManager::file_handle;
  using CILogManager::level_threshold;
  using CILogManager::log_base;
  using CILogManager::log_folder;
  using CILogManager::log_path;
};

std::string Numbered(int n) {
  char name[16];
  std::snprintf(name, sizeof name, "X%d.log", n);
  return name;
}

// One run of the program: a manager's life that logs one line.
void RunProgramOnce(const TempFolder& folder, int run) {
  CILogManager log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  log.Print(4, "run %d", run);
}

TEST(LogManagerTest, ConstructionNamesTheFilesAfterTheExecutableAndOpensNothing) {
  char module[MAX_PATH];
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string path = module;
  const std::size_t slash = path.find_last_of("\\/");
  const std::string folder = path.substr(0, slash + 1);
  std::string base = path.substr(slash + 1);
  base = base.substr(0, base.rfind('.'));

  InspectableLog log;
  EXPECT_EQ(folder, log.log_folder);
  EXPECT_EQ(base, log.log_base);
  EXPECT_STREQ("", log.log_path);
  EXPECT_EQ(INVALID_HANDLE_VALUE, log.file_handle.get());
  EXPECT_EQ(10, log.file_count);
  EXPECT_EQ(0, log.level_threshold);
}

TEST(LogManagerTest, TenRunsFillTheSetAndTheEleventhDropsTheOldest) {
  TempFolder folder;
  for (int run = 0; run < 10; ++run) RunProgramOnce(folder, run);
  EXPECT_EQ(10u, folder.Files().size());
  for (int n = 0; n < 10; ++n) {
    EXPECT_EQ(Messages{"run " + std::to_string(9 - n)}, LogMessages(folder.Read(Numbered(n))))
        << "file " << n << " after ten runs";
  }

  RunProgramOnce(folder, 10);
  EXPECT_EQ(10u, folder.Files().size()) << "expected X0.log to X9.log only";
  for (int n = 0; n < 10; ++n) {
    EXPECT_EQ(Messages{"run " + std::to_string(10 - n)}, LogMessages(folder.Read(Numbered(n))))
        << "file " << n << " after eleven runs";
  }
}

TEST(LogManagerTest, LinesOfOneRunGoToOneFile) {
  TempFolder folder;
  CILogManager log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  log.Print(4, "first");
  log.Print(4, "second");
  EXPECT_EQ((Messages{"first", "second"}), LogMessages(folder.Read("X0.log")));
  EXPECT_FALSE(folder.Exists("X1.log"));
}

TEST(LogManagerTest, FirstLinePurgesHigherNumbersAndKeepsNamesWithoutDigits) {
  TempFolder folder;
  for (const char* name : {"X15.log", "X10.log", "X.log", "X-old.log", "Y12.log"}) {
    folder.Create(name, "old\r\n");
  }
  {
    CILogManager log;
    log.Setup(folder.path().c_str(), "X", 10, 0);
    log.Print(4, "new");
    EXPECT_FALSE(folder.Exists("X15.log")) << "15 is not below the count of 10";
    EXPECT_FALSE(folder.Exists("X10.log"));
    EXPECT_TRUE(folder.Exists("X.log")) << "no digits after the base reads as 0";
    EXPECT_TRUE(folder.Exists("X-old.log"));
    EXPECT_TRUE(folder.Exists("Y12.log")) << "not of this set";
    EXPECT_EQ(Messages{"new"}, LogMessages(folder.Read("X0.log")));

    log.Close();
    log.Purge(0);
  }
  EXPECT_EQ(std::vector<std::string>{"Y12.log"}, folder.Files()) << "keep 0 deletes the set";
}

TEST(LogManagerTest, FileCountZeroWritesNothingAndDeletesTheSet) {
  TempFolder folder;
  folder.Create("X0.log", "old\r\n");
  folder.Create("X3.log", "old\r\n");
  CILogManager log;
  log.Setup(folder.path().c_str(), "X", 0, 0);
  log.Print(4, "goes nowhere");
  EXPECT_TRUE(folder.Files().empty()) << "found " << folder.Files().size() << " files";
}

TEST(LogManagerTest, AFolderThatCannotBeOpenedDropsTheLine) {
  TempFolder folder;
  const std::string missing = folder.path() + "missing\\";
  InspectableLog log;
  log.Setup(missing.c_str(), "X", 10, 0);
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), log.Open());
  EXPECT_EQ(INVALID_HANDLE_VALUE, log.file_handle.get());
  log.Print(4, "dropped");  // tries again and fails again, quietly
  log.Setup(folder.path().c_str(), "X", 10, 0);
  log.Print(4, "kept");
  EXPECT_EQ(Messages{"kept"}, LogMessages(folder.Read("X0.log")));
}

TEST(LogManagerTest, LevelsBelowTheThresholdAndUntaggableLevelsWriteNothing) {
  TempFolder folder;
  CILogManager log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  log.Print(0, "print 0");
  log.Print(7, "print 7");
  log.Log(0, "f.cpp", 1, "log 0");
  log.Log(6, "f.cpp", 1, "log 6");
  log.Log(1, "f.cpp", 1, "log 1");
  log.LogFormat(6, "f.cpp", 1, "%s", "format 6");
  log.LogSystemError(0, "f.cpp", 1, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ((Messages{"print 0", "print 7", "DEBUG [f.cpp:1] log 1"}),
            LogMessages(folder.Read("X0.log")));
}

TEST(LogManagerTest, LevelNamesAreMatchedCaseSensitively) {
  TempFolder folder;
  InspectableLog log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  log.SetLimitsByName(10, "warn");
  EXPECT_EQ(2147483647, log.level_threshold);
  log.Print(5, "fatal print");
  log.Log(5, "f.cpp", 1, "fatal log");
  log.LogFormat(5, "f.cpp", 1, "%s", "fatal format");
  log.LogSystemError(5, "f.cpp", 1, ERROR_FILE_NOT_FOUND);
  log.DumpAt(5, "dump at", "\x01", 1);
  EXPECT_TRUE(folder.Files().empty()) << "a lower-case name must let nothing through";

  log.SetLimitsByName(10, "WARN");
  EXPECT_EQ(3, log.level_threshold);
  log.Print(2, "info print");
  log.Print(3, "warn print");
  log.Log(2, "f.cpp", 2, "info log");
  log.Log(4, "f.cpp", 3, "error log");
  log.DumpAt2(2, "info dump", "\x02", 1);
  log.DumpAt2(3, "warn dump", "\x02", 1);
  EXPECT_EQ((Messages{"warn print", "ERROR [f.cpp:3] error log", "warn dump 02"}),
            LogMessages(folder.Read("X0.log")));

  log.SetupByName(folder.path().c_str(), "X", -1, "NONE");
  EXPECT_EQ(2147483647, log.level_threshold) << "\"NONE\" lets nothing through";
  EXPECT_EQ(10, log.file_count) << "a negative count leaves the count unchanged";
}

TEST(LogManagerTest, TaggedLinesShowTheBareSourceFileName) {
  TempFolder folder;
  CILogManager log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  log.Log(2, "app\\board\\Parallux.cpp", 12, "hello");
  log.Log(4, "C:icg.cpp", 7, "drive");
  log.LogFormat(3, "../canvas/icg.cpp", 99, "%d-%s", 5, "z");
  log.LogFormat(5, "icg.cpp", 0, "%s", "fatal");
  EXPECT_EQ((Messages{" INFO [Parallux.cpp:12] hello", "ERROR [icg.cpp:7] drive",
                      " WARN [icg.cpp:99] 5-z", "FATAL [icg.cpp:0] fatal"}),
            LogMessages(folder.Read("X0.log")));
}

TEST(LogManagerTest, DumpsWriteTheTextAndTheBytesInHexadecimal) {
  TempFolder folder;
  CILogManager log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  const unsigned char bytes[] = {0x00, 0x7F, 0xFF};
  log.Dump("abc", bytes, 3);
  log.Dump2("abc", bytes, 2);
  log.Dump("none", bytes, 0);
  log.DumpAt(0, "at", bytes + 2, 1);
  EXPECT_EQ((Messages{"abc 00 7F FF", "abc 00 7F", "none", "at FF"}),
            LogMessages(folder.Read("X0.log")));
}

std::string SystemText(DWORD code) {
  char text[1024] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  return text;
}

TEST(LogManagerTest, SystemErrorsShowTheSystemsTextFollowedByTheLineEnd) {
  TempFolder folder;
  CILogManager log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  log.LogSystemError(4, "src\\file.cpp", 442, ERROR_FILE_NOT_FOUND);
  constexpr DWORD kNoSuchMessage = 0x2000FFFF;
  log.LogSystemError(4, "file.cpp", 443, kNoSuchMessage);

  const std::string text = SystemText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty()) << "the system has no text for ERROR_FILE_NOT_FOUND";
  EXPECT_TRUE(SystemText(kNoSuchMessage).empty());
  // Each line: a 24-byte time stamp, then these.
  const std::string first = "ERROR [file.cpp:442] " + text + "\r\n";
  const std::string second = "ERROR [file.cpp:443] \r\n";
  const std::string content = folder.Read("X0.log");
  ASSERT_EQ(24 + first.size() + 24 + second.size(), content.size()) << content;
  EXPECT_EQ(first, content.substr(24, first.size()));
  EXPECT_EQ(second, content.substr(24 + first.size() + 24));
}

TEST(LogManagerTest, SetLimitsAtRunTimeStartsANewFileZero) {
  TempFolder folder;
  CILogManager log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  log.Print(4, "before");
  log.SetLimits(10, 0);
  log.Print(4, "after");
  EXPECT_EQ(Messages{"after"}, LogMessages(folder.Read("X0.log")));
  EXPECT_EQ(Messages{"before"}, LogMessages(folder.Read("X1.log")));
}

TEST(LogManagerTest, ATooLongMessageIsCutOnACharacterBoundary) {
  TempFolder folder;
  CILogManager log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  std::string message = "ab";
  for (int i = 0; i < 300; ++i) message += "表";  // 0x95 0x5C, from an even offset on
  log.Print(4, "%s", message.c_str());

  const std::string content = folder.Read("X0.log");
  ASSERT_GE(content.size(), 26u);
  EXPECT_EQ("\r\n", content.substr(content.size() - 2));
  // 511 bytes at most: 24 of time stamp, 2 of CR LF, and 485 of room, of which "ab" and
  // 241 whole characters fill 484.
  const std::string kept = content.substr(24, content.size() - 26);
  EXPECT_EQ(484u, kept.size()) << "message bytes kept in the line";
  EXPECT_EQ(message.substr(0, kept.size()), kept);
}

TEST(LogManagerTest, LoggingLeavesTheCallersLastError) {
  TempFolder folder;
  CILogManager log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  const auto check = [](const char* what) {
    EXPECT_EQ(0xDEADBEEFu, GetLastError()) << what << " changed the last error";
    SetLastError(0xDEADBEEF);
  };
  SetLastError(0xDEADBEEF);
  log.Print(4, "first line: deletes and renames files that do not exist");
  check("Print with a rotation");
  log.LogSystemError(4, "f.cpp", 1, 0x2000FFFF);
  check("LogSystemError with no system text");
  log.Dump("d", "\x01", 1);
  check("Dump");
  log.SetLimits(10, 0);
  check("SetLimits closing the file");
  log.Setup((folder.path() + "missing\\").c_str(), "X", 10, 0);
  log.Print(4, "cannot be opened");
  check("Print to a folder that does not exist");
  log.Open();
  check("Open");
}

TEST(LogManagerTest, LinesFromTwoThreadsNeverMix) {
  TempFolder folder;
  constexpr int kLinesPerThread = 10000;
  static constexpr char kFormat[] = "thread %d line %05d ----------------------------------------";
  {
    CILogManager log;
    log.Setup(folder.path().c_str(), "X", 10, 0);
    const auto writer = [&log](int thread) {
      for (int i = 0; i < kLinesPerThread; ++i) {
        log.Print(4, kFormat, thread, i);
      }
    };
    std::thread first(writer, 1);
    std::thread second(writer, 2);
    first.join();
    second.join();
  }
  EXPECT_EQ(1u, folder.Files().size()) << "the set was rotated more than once";

  std::vector<int> seen[3] = {
      {}, std::vector<int>(kLinesPerThread), std::vector<int>(kLinesPerThread)};
  int bad = 0;
  for (const std::string& message : LogMessages(folder.Read("X0.log"))) {
    int thread = 0;
    int line = 0;
    char whole[128] = {};
    const bool parsed = std::sscanf(message.c_str(), "thread %d line %d", &thread, &line) == 2 &&
                        (thread == 1 || thread == 2) && line >= 0 && line < kLinesPerThread;
    if (parsed) std::snprintf(whole, sizeof whole, kFormat, thread, line);
    if (!parsed || message != whole) {
      if (bad++ < 3) ADD_FAILURE() << "mixed or broken line: \"" << message << "\"";
      continue;
    }
    ++seen[thread][line];
  }
  EXPECT_EQ(0, bad) << "broken lines";
  for (int thread = 1; thread <= 2; ++thread) {
    const auto wrong = std::count_if(seen[thread].begin(), seen[thread].end(),
                                     [](int count) { return count != 1; });
    EXPECT_EQ(0, wrong) << "lines of thread " << thread << " not present exactly once";
  }
}

// All output reaches the file through Write, so a derived class can take it elsewhere.
class RecordingLog : public CILogManager {
 public:
  void Write(const char* format, ...) override {
    char message[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    messages.push_back(message);
  }
  Messages messages;
};

TEST(LogManagerTest, EveryFormReachesTheVirtualWrite) {
  TempFolder folder;
  RecordingLog log;
  log.Setup(folder.path().c_str(), "X", 10, 0);
  log.Print(4, "p%d", 1);
  log.Log(2, "a\\b.cpp", 3, "log");
  log.LogFormat(3, "b.cpp", 4, "f%s", "x");
  log.LogSystemError(4, "c.cpp", 5, 0x2000FFFF);
  log.DumpAt(1, "d", "\xAB", 1);
  log.DumpAt2(1, "e", "\xCD", 1);
  EXPECT_EQ((Messages{"p1", " INFO [b.cpp:3] log", " WARN [b.cpp:4] fx", "ERROR [c.cpp:5] ", "d AB",
                      "e CD"}),
            log.messages);
  EXPECT_TRUE(folder.Files().empty()) << "nothing may reach a file";
}

}  // namespace
