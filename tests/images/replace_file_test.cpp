// A replacement file that a signal interrupts: the program ends as the signal says, and
// the temporary file beside the target goes with it. (POSIX signals: native only.)
#include "images/replace_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(ReplacementFileTest, ASignalThatEndsTheProgramTakesTheTemporaryFileWithIt) {
  fs::remove_all("replace_signal");
  fs::create_directory("replace_signal");
  for (const int signal_number : {SIGINT, SIGTERM}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ReplacementFile file("replace_signal/out.webp");
      std::string error;
      const uint8_t bytes[] = {1, 2, 3};
      if (file.Open(&error) && file.Write(bytes, sizeof bytes, &error)) raise(signal_number);
      _exit(3);  // not reached when the signal ends it
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
    EXPECT_TRUE(fs::is_empty("replace_signal")) << "signal " << signal_number;
  }
}

}  // namespace
