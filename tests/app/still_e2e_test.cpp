// parallux-still run as a program: its exit codes and messages, and that it leaves
// behind the finished picture or nothing at all. What the picture holds is the unit
// tests' business.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct Outcome {
  int exit_code;
  std::string out, err;
};

class StillProgramTest : public ::testing::Test {
 protected:
  // One folder per test: natively CTest runs these tests in parallel.
  void SetUp() override {
    dir_ =
        std::string("still_e2e.") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directory(dir_);
    std::vector<uint8_t> grey(60 * 10, 99);
    ASSERT_NE(0, stbi_write_png((dir_ + "/depth.png").c_str(), 60, 10, 1, grey.data(), 60));
    std::ofstream(dir_ + "/out.png") << "an earlier picture";
  }

  // The program through the shell, its output streams caught in files beside the folder.
  Outcome Still(const std::string& args) const {
    std::string program = PARALLUX_STILL_PATH;
#ifdef _WIN32
    std::replace(program.begin(), program.end(), '/', '\\');
#endif
    const std::string capture = dir_ + ".";
    int code =
        std::system((program + " " + args + " >" + capture + "out 2>" + capture + "err").c_str());
#ifndef _WIN32
    code = WIFEXITED(code) ? WEXITSTATUS(code) : -1;
#endif
    return {code, Read(capture + "out"), Read(capture + "err")};
  }

  // A run that ends with `code` and one line on standard error naming `mention`, and
  // leaves the folder as it was.
  void ExpectFailure(int code, const std::string& args, const std::string& mention) const {
    const std::vector<std::string> before = Entries(dir_);
    const Outcome run = Still(args);
    EXPECT_EQ(code, run.exit_code) << args << ": " << run.err;
    EXPECT_EQ(0u, run.err.rfind("parallux-still: ", 0)) << args << ": " << run.err;
    EXPECT_EQ(run.err.size() - 1, run.err.find('\n')) << args << ": " << run.err;
    EXPECT_NE(std::string::npos, run.err.find(mention)) << args << ": " << run.err;
    EXPECT_EQ("", run.out) << args;
    EXPECT_EQ(before, Entries(dir_)) << args << ": files appeared or vanished";
    EXPECT_EQ("an earlier picture", Read(dir_ + "/out.png")) << args;
  }

  std::string dir_;
};

TEST_F(StillProgramTest, BadInputEndsWithCode2AndTouchesNothing) {
  const std::string out = " " + dir_ + "/out.png";
  std::ofstream(dir_ + "/text.png") << "not a picture at all\n";
  std::vector<uint8_t> tall(16385, 0);
  ASSERT_NE(0, stbi_write_png((dir_ + "/tall.png").c_str(), 1, 16385, 1, tall.data(), 1));
  ExpectFailure(2, dir_ + "/depth.png" + out + " --bogus", "--bogus");
  ExpectFailure(2, dir_ + "/missing.png" + out, "missing.png");
  ExpectFailure(2, dir_ + "/text.png" + out, "text.png");
  ExpectFailure(2, dir_ + "/tall.png" + out, "16385");
  // Known only from the image's header, and the board's default width 100 likewise.
  ExpectFailure(2, dir_ + "/depth.png" + out + " --parallax-width 61", "--parallax-width");
  ExpectFailure(2, dir_ + "/depth.png" + out, "default parallax width");
}

TEST_F(StillProgramTest, APictureReplacesTheOldFileThroughATemporaryOneLeftNowhere) {
  fs::create_directory(dir_ + "/folder.png");
  ExpectFailure(1, dir_ + "/depth.png " + dir_ + "/no-such-folder/out.png --parallax-width 20",
                "no-such-folder");
  ExpectFailure(1, dir_ + "/depth.png " + dir_ + "/folder.png --parallax-width 20", "folder.png");
  EXPECT_TRUE(fs::is_directory(dir_ + "/folder.png")) << "the folder in the way was replaced";
  fs::remove(dir_ + "/folder.png");

  const Outcome run = Still(dir_ + "/depth.png " + dir_ + "/out.png --parallax-width 20 --guides");
  EXPECT_EQ(0, run.exit_code) << run.err;
  EXPECT_EQ("", run.out + run.err);
  int w = 0, h = 0, channels = 0;
  EXPECT_EQ(1, stbi_info((dir_ + "/out.png").c_str(), &w, &h, &channels));
  EXPECT_EQ(60 * 10, w * h);
  EXPECT_EQ((std::vector<std::string>{"depth.png", "out.png"}), Entries(dir_));
}

}  // namespace
