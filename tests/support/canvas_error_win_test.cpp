#include <gtest/gtest.h>

#include <string>

#include "support/canvas_error.h"
#include "support/log_manager.h"
#include "tests/support/temp_folder_win.h"

namespace {

std::string SystemText(DWORD code) {
  char text[1024] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  return text;
}

// The part of one log line after its 24-byte time stamp.
std::string AfterStamp(const std::string& content, std::size_t at) {
  return content.size() > at + 24 ? content.substr(at + 24) : "<short: " + content + ">";
}

TEST(CanvasErrorRaiseTest, LogsTheLastErrorAndThrowsTheSharedText) {
  TempFolder folder;
  TheLog().Setup(folder.path().c_str(), "canvas", 10, 0);

  SetLastError(ERROR_ACCESS_DENIED);
  const int raise_line = __LINE__ + 2;
  try {
    PX_RAISE_CANVAS_ERROR();
    FAIL() << "expected a thrown const char*, got nothing";
  } catch (const char* text) {
    EXPECT_EQ(CanvasErrorText(), text) << "the pointer thrown must be the shared buffer";
    EXPECT_EQ(
        "*vornack error : " + std::string(__FILE__) + "(" + std::to_string(raise_line + 1) + ")",
        text)
        << "the path as the compiler gives it and the line after the log call";
  }
  TheLog().Close();

  const std::string text = SystemText(ERROR_ACCESS_DENIED);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ("ERROR [canvas_error_win_test.cpp:" + std::to_string(raise_line) + "] " + text + "\r\n",
            AfterStamp(folder.Read("canvas0.log"), 0));
  TheLog().Setup("", "", 10, 2147483647);
}

TEST(CanvasErrorRaiseTest, TwoRaisesLeaveOnlyTheSecondText) {
  TempFolder folder;
  CILogManager log;
  log.Setup(folder.path().c_str(), "canvas", 10, 0);
  const char* thrown[2] = {};
  const char* const files[2] = {"canvas\\a\\much\\longer\\path\\icg.cpp", "icg.cpp"};
  for (int i = 0; i < 2; ++i) {
    SetLastError(i == 0 ? ERROR_INVALID_HANDLE : ERROR_NOT_ENOUGH_MEMORY);
    try {
      RaiseCanvasError(log, files[i], 100 + i);
    } catch (const char* text) {
      thrown[i] = text;
    }
  }
  EXPECT_EQ(thrown[0], thrown[1]) << "both raises throw the one shared buffer";
  EXPECT_STREQ("*vornack error : icg.cpp(102)", CanvasErrorText());
  log.Close();

  const std::string content = folder.Read("canvas0.log");
  const std::string first = "ERROR [icg.cpp:100] " + SystemText(ERROR_INVALID_HANDLE) + "\r\n";
  const std::string second = "ERROR [icg.cpp:101] " + SystemText(ERROR_NOT_ENOUGH_MEMORY) + "\r\n";
  EXPECT_EQ(first + "<stamp>" + second, AfterStamp(content, 0).substr(0, first.size()) + "<stamp>" +
                                            AfterStamp(content, 24 + first.size()));
}

}  // namespace
