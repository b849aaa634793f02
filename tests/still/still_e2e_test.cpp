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
#include <iterator>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr int kWebpCode = 2;  // the Windows build has no WebP encoder
#else
constexpr int kWebpCode = 0;
#endif

std::string Read(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::vector<fs::path> Entries(const std::string& folder) {
  std::vector<fs::path> names(fs::directory_iterator(folder), {});
  std::sort(names.begin(), names.end());
  return names;
}

struct Outcome {
  int code;
  std::string out, err;
};

// parallux-still with `args`, run in `folder`: a folder of each test's own, as CTest may
// run the tests at the same time.
Outcome RunStill(const std::string& folder, const std::string& args) {
  const std::string program = fs::path("../" PARALLUX_STILL_PATH).make_preferred().string();
  int code = std::system(("cd " + folder + " && " + program + " " + args + " >../" + folder +
                          ".out 2>../" + folder + ".err")
                             .c_str());
#ifndef _WIN32
  code = WIFEXITED(code) ? WEXITSTATUS(code) : -1;
#endif
  return {code, Read(folder + ".out"), Read(folder + ".err")};
}

// A refusal is one line that names the problem.
bool IsOneLineMentioning(const std::string& err, const std::string& mention) {
  return err.rfind("parallux-still: ", 0) == 0 && err.find('\n') == err.size() - 1 &&
         err.find(mention) != std::string::npos;
}

// Besides the runs below, every file of the corpus: cut, damaged and hostile depth images
// (the fuzzer's findings among them), each refused in one line naming it.
TEST(StillProgramTest, BadInputEndsWithCode2AFailedWriteWith1AndOnlySuccessLeavesAFile) {
  fs::remove_all("still_e2e");
  fs::create_directories("still_e2e/folder.png");
  const std::vector<uint8_t> black(16385, 0);
  ASSERT_NE(0, stbi_write_png("still_e2e/depth.png", 60, 10, 1, black.data(), 60));
  ASSERT_NE(0, stbi_write_png("still_e2e/tall.png", 1, 16385, 1, black.data(), 1));
  for (const char* out : {"still_e2e/out.png", "still_e2e/out.gif", "still_e2e/out.webp"}) {
    std::ofstream(out) << "an earlier picture";
  }
  ASSERT_NE(0, stbi_write_png("still_e2e/small.png", 4, 4, 1, black.data(), 4));
  ASSERT_NE(0, stbi_write_jpg("still_e2e/depth.jpg", 60, 10, 1, black.data(), 90));
  std::ofstream("still_e2e/depth.pgm", std::ios::binary) << "P5 60 10 65535\n"
                                                         << std::string(60 * 10 * 2, '\x80');
  // Depth sequences with a gap, a frame of another size and a damaged frame.
  const char* sequences[][3] = {{"gap/d_0001.png", "gap/d_0002.png", "gap/d_0004.png"},
                                {"size/d_1.png", "size/d_2.png", "size/d_3.png"},
                                {"cut/d_01.png", "cut/d_02.png", "cut/d_03.png"}};
  for (const auto& files : sequences) {
    for (const char* file : files) {
      const std::string path = std::string("still_e2e/") + file;
      fs::create_directories(fs::path(path).parent_path());
      ASSERT_NE(0, stbi_write_png(path.c_str(), file[0] == 's' && file[7] == '3' ? 50 : 60, 10, 1,
                                  black.data(), 60));
    }
  }
  // Removed first: the Windows build's copy_file refuses to overwrite.
  fs::remove("still_e2e/cut/d_02.png");
  fs::copy_file(fs::path(PARALLUX_STILL_CORPUS) / "png-cut-in-pixels.png",
                "still_e2e/cut/d_02.png");
  struct Run {
    std::string args;
    int code;
    std::string mention;  // in a refusal's message; for a success, how stdout begins
  };
  std::vector<Run> runs;
  for (const fs::directory_entry& entry : fs::directory_iterator(PARALLUX_STILL_CORPUS)) {
    const std::string name = entry.path().filename().string();
    fs::copy_file(entry.path(), "still_e2e/" + name);
    // A .text holds a --text, a .ttf a --font; the rest are depth pictures.
    if (entry.path().extension() == ".text") {
      runs.push_back({"out.png --text \"" + Read(entry.path()) + "\"", 2, "--text"});
    } else if (entry.path().extension() == ".ttf") {
      runs.push_back({"out.png --text A --font " + name, 2, "--font"});
    } else {
      runs.push_back({name + " out.png --parallax-width 1", 2, name});
    }
  }
  ASSERT_LE(20u, runs.size()) << "the corpus was not found";
  runs.insert(runs.end(),
              {
                  {"depth.png out.png --bogus", 2, "--bogus"},
                  // The one file named is the output, and a depth picture is not replaced:
                  // the runs after this one read it still 60 pixels wide.
                  {"depth.png --text A", 2, "depth.png"},
                  {"missing.png out.png", 2, "missing.png"},
                  {"tall.png out.png", 2, "16385"},
                  // Known only from the image's header, the board's default width 100 too.
                  {"depth.png out.png --parallax-width 61", 2, "--parallax-width"},
                  {"depth.png out.png", 2, "default parallax width"},
                  {"depth.png no-such-folder/out.png --parallax-width 20", 1, "no-such-folder"},
                  {"depth.png folder.png --parallax-width 20", 1, "folder.png"},
                  {"--reveal depth.png out.png", 1, "no stereogram"},
                  {"gap/d_%04d.png out.png --parallax-width 20", 2, "d_0003.png"},
                  {"size/d_%d.png out.png --parallax-width 20", 2, "d_3.png"},
                  {"cut/d_%02d.png out.png --parallax-width 20", 2, "d_02.png"},
                  {"depth.png out.png --parallax-width 20 --pattern small.png", 2, "small.png"},
                  {"depth.png out.png --parallax-width 20 --pattern png-no-end-chunk.png", 2,
                   "png-no-end-chunk.png"},
                  {"depth.png out.png --parallax-width 20 --frames 2 --quiet", 2, "out.png"},
                  {"depth.png out.webp --parallax-width 20", 2, "out.webp"},
                  {"depth.png out.gif --parallax-width 20 --frames 2 --quiet", 0, ""},
                  {"depth.png out.webp --parallax-width 20 --frames 2 --quiet", kWebpCode,
                   kWebpCode == 0 ? "" : "out.webp"},
                  {"depth.png out.png --parallax-width 20 --guides", 0, ""},
                  {"--reveal out.png out.png", 0, "read with period 20 "},
                  {"depth.jpg out.png --parallax-width 20", 0, ""},
                  {"depth.pgm out.png --parallax-width 20 --oversample 2", 0, ""},
              });
  for (const auto& run : runs) {
    const std::vector<fs::path> before = Entries("still_e2e");
    const Outcome outcome = RunStill("still_e2e", run.args);
    EXPECT_EQ(run.code, outcome.code) << run.args << ": " << outcome.err;
    // A success may say how it read the picture; a refusal says nothing on stdout.
    EXPECT_TRUE(!run.mention.empty() && run.code == 0 ? outcome.out.rfind(run.mention, 0) == 0
                                                      : outcome.out.empty())
        << run.args << ": " << outcome.out;
    EXPECT_EQ(before, Entries("still_e2e")) << run.args << ": files appeared or vanished";
    EXPECT_TRUE(run.code == 0 ? outcome.err.empty() : IsOneLineMentioning(outcome.err, run.mention))
        << run.args << ": " << outcome.err;
    const std::string out = run.args.find("out.gif") != std::string::npos    ? "out.gif"
                            : run.args.find("out.webp") != std::string::npos ? "out.webp"
                                                                             : "out.png";
    const std::string written = Read("still_e2e/" + out);
    int w = 0, h = 0, channels = 0;
    EXPECT_TRUE(run.code != 0 ? written == "an earlier picture"
                : out == "out.png"
                    ? stbi_info("still_e2e/out.png", &w, &h, &channels) == 1 && w * h == 600
                    : written.rfind(out == "out.gif" ? "GIF89a" : "RIFF", 0) == 0)
        << run.args;
  }
  EXPECT_TRUE(fs::is_directory("still_e2e/folder.png")) << "the folder in the way was replaced";
}

}  // namespace
