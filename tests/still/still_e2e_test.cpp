// parallux-still run as a program: its exit codes and messages, and that it leaves
// behind the finished picture, animation or revealed depth, or nothing at all. What the
// picture holds is the unit tests' business.
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

std::vector<fs::path> Entries() {
  std::vector<fs::path> names(fs::directory_iterator("still_e2e"), {});
  std::sort(names.begin(), names.end());
  return names;
}

TEST(StillProgramTest, BadInputEndsWithCode2AFailedWriteWith1AndOnlySuccessLeavesAFile) {
  fs::remove_all("still_e2e");
  fs::create_directories("still_e2e/folder.png");
  const std::vector<uint8_t> black(16385, 0);
  ASSERT_NE(0, stbi_write_png("still_e2e/depth.png", 60, 10, 1, black.data(), 60));
  ASSERT_NE(0, stbi_write_png("still_e2e/tall.png", 1, 16385, 1, black.data(), 1));
  std::ofstream("still_e2e/text.png") << "not a picture at all\n";
  std::ofstream("still_e2e/out.png") << "an earlier picture";
  const struct {
    const char* args;
    int code;
    const char* mention;  // in a refusal's message; for a success, how stdout begins
  } runs[] = {
      {"depth.png out.png --bogus", 2, "--bogus"},
      {"missing.png out.png", 2, "missing.png"},
      {"text.png out.png", 2, "text.png"},
      {"tall.png out.png", 2, "16385"},
      // Known only from the image's header, the board's default width 100 likewise.
      {"depth.png out.png --parallax-width 61", 2, "--parallax-width"},
      {"depth.png out.png", 2, "default parallax width"},
      {"depth.png no-such-folder/out.png --parallax-width 20", 1, "no-such-folder"},
      {"depth.png folder.png --parallax-width 20", 1, "folder.png"},
      {"--reveal depth.png out.png", 1, "no stereogram"},
      {"depth.png out.png --parallax-width 20 --frames 2 --quiet", 0, ""},  // a GIF
      {"depth.png out.png --parallax-width 20 --guides", 0, ""},
      {"--reveal out.png out.png", 0, "read with period 20 "},
  };
  for (const auto& run : runs) {
    const std::vector<fs::path> before = Entries();
    std::string program = "../" PARALLUX_STILL_PATH;
#ifdef _WIN32
    std::replace(program.begin(), program.end(), '/', '\\');
#endif
    int code = std::system(
        ("cd still_e2e && " + program + " " + run.args + " >../still_e2e.out 2>../still_e2e.err")
            .c_str());
#ifndef _WIN32
    code = WIFEXITED(code) ? WEXITSTATUS(code) : -1;
#endif
    const std::string err = Read("still_e2e.err");
    EXPECT_EQ(run.code, code) << run.args << ": " << err;
    const std::string out = Read("still_e2e.out");
    EXPECT_TRUE(*run.mention != '\0' && run.code == 0 ? out.rfind(run.mention, 0) == 0
                                                      : out.empty())
        << run.args << ": " << out;
    EXPECT_EQ(before, Entries()) << run.args << ": files appeared or vanished";
    // A refusal is one line, naming the problem, and leaves the earlier picture.
    EXPECT_TRUE(run.code == 0
                    ? err.empty()
                    : err.rfind("parallux-still: ", 0) == 0 && err.find('\n') == err.size() - 1 &&
                          err.find(run.mention) != std::string::npos)
        << run.args << ": " << err;
    int w = 0, h = 0, channels = 0;
    EXPECT_TRUE(run.code == 0
                    ? (stbi_info("still_e2e/out.png", &w, &h, &channels) == 1 && w * h == 600) ||
                          Read("still_e2e/out.png").rfind("GIF89a", 0) == 0
                    : Read("still_e2e/out.png") == "an earlier picture")
        << run.args;
  }
  EXPECT_TRUE(fs::is_directory("still_e2e/folder.png")) << "the folder in the way was replaced";
}

}  // namespace
