// The depth-image reader on whole files of every kind it reads, and on the same files
// one byte short. The damaged and hostile files are still_e2e_test's corpus.
#include "images/image_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 13;  // odd, so that every row of every depth is padded
constexpr int kHeight = 3;

// White where x == y (counted from the top line), black elsewhere: a picture read upside
// down or with the wrong row length shows.
std::string DiagonalBmp(int bits, bool top_down) {
  const int stride = (kWidth * bits + 31) / 32 * 4;
  const int colours = bits < 16 ? 2 : 0;  // black and white
  std::string pixels(stride * kHeight, '\0');
  for (int y = 0; y < kHeight; ++y) {
    char* row = &pixels[(top_down ? y : kHeight - 1 - y) * stride];
    const int bit = y * bits;
    if (bits >= 16) {
      std::memset(row + bit / 8, 0xFF, bits / 8);
    } else {
      row[bit / 8] = static_cast<char>(row[bit / 8] | 1 << (8 - bits - bit % 8));  // colour 1
    }
  }
  const int offset = 54 + 4 * colours;
  const int height = top_down ? -kHeight : kHeight;
  std::string file = "BM" + std::string(offset - 2, '\0');
  // Pixel offset, header size, width, height, planes and bits per pixel, colours.
  const int fields[][2] = {{10, offset},         {14, 40},     {18, kWidth}, {22, height},
                           {26, 1 | bits << 16}, {46, colours}};
  for (const auto& [at, value] : fields) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(value >> 8 * i);
  }
  if (colours > 0) file.replace(58, 3, "\xFF\xFF\xFF");
  return file + pixels;
}

TEST(ImageFileTest, ReadsWholePngAndBmpOfEveryDepthAndRefusesThemOneByteShort) {
  std::vector<uint8_t> diagonal(kWidth * kHeight * 3, 0);
  for (int y = 0; y < kHeight; ++y) std::memset(&diagonal[(y * kWidth + y) * 3], 0xFF, 3);
  const PngBytes png = EncodePng({kWidth, kHeight, diagonal.data()});
  ASSERT_TRUE(png.data);
  std::vector<std::pair<std::string, std::string>> files = {
      {"png", std::string(reinterpret_cast<const char*>(png.data.get()), png.size)}};
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    for (const bool top_down : {false, true}) {
      files.push_back({std::to_string(bits) + (top_down ? "-bit top-down" : "-bit bottom-up"),
                       DiagonalBmp(bits, top_down)});
    }
  }
  for (const auto& [name, bytes] : files) {
    for (const bool whole : {true, false}) {
      std::ofstream("image_file_test.img", std::ios::binary)
          << bytes.substr(0, bytes.size() - (whole ? 0 : 1));
      ImageFile file;
      ImageError error;
      RgbPicture picture;
      const bool read = file.Open("image_file_test.img", &error) && file.Decode(&picture, &error);
      EXPECT_EQ(whole, read) << name << (whole ? "" : " one byte short") << ": " << error.message;
      if (!whole) {
        EXPECT_NE(std::string::npos, error.message.find("cut short"))
            << name << " one byte short: " << error.message;
      } else if (read) {
        ASSERT_EQ(kWidth * kHeight, picture.width * picture.height) << name;
        EXPECT_EQ(0, std::memcmp(diagonal.data(), picture.pixels.get(), diagonal.size())) << name;
      }
    }
  }
}

}  // namespace
