// The depth-image reader on whole files of every kind it reads, and on the same files
// one byte short. The damaged and hostile files are still_e2e_test's corpus.
#include "images/image_file.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "images/image_integrity.h"

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

std::string BigEndian(uint32_t value, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>(value >> 8 * i);
  return out;
}

std::string PngChunk(const std::string& type, const std::string& data) {
  const std::string body = type + data;
  return BigEndian(static_cast<uint32_t>(data.size()), 4) + body +
         BigEndian(PngCrc(reinterpret_cast<const uint8_t*>(body.data()), body.size()), 4);
}

// stb writes no 16-bit PNG: rows of `channels` 16-bit samples, unfiltered, built here.
// `height` lines are declared and only the first `kept` of them stored.
std::string Png16(const std::vector<uint16_t>& depth, int channels, int height = kHeight,
                  int kept = kHeight) {
  std::string rows;
  for (int y = 0; y < kept; ++y) {
    rows += '\0';
    for (int x = 0; x < kWidth; ++x) {
      const uint16_t value = depth[y * kWidth + x];
      // Red and green share the blue's high byte only: depth must come from the blue.
      for (int c = 1; c < channels; ++c) rows += BigEndian((value & 0xFF00) | 0x55, 2);
      rows += BigEndian(value, 2);
    }
  }
  // One stored (uncompressed) deflate block, then the Adler-32 of the rows.
  uint32_t a = 1, b = 0;
  for (const char c : rows) {
    a = (a + static_cast<uint8_t>(c)) % 65521;
    b = (b + a) % 65521;
  }
  const auto size = static_cast<uint16_t>(rows.size());
  const std::string idat = std::string("\x78\x01\x01", 3) + static_cast<char>(size) +
                           static_cast<char>(size >> 8) + static_cast<char>(~size) +
                           static_cast<char>(~size >> 8) + rows + BigEndian(b << 16 | a, 4);
  const std::string ihdr = BigEndian(kWidth, 4) + BigEndian(height, 4) + '\x10' +
                           static_cast<char>(channels == 1 ? 0 : 2) + std::string(3, '\0');
  return "\x89PNG\r\n\x1A\n" + PngChunk("IHDR", ihdr) + PngChunk("IDAT", idat) +
         PngChunk("IEND", "");
}

std::string Pgm(const std::vector<uint16_t>& samples, uint32_t maxval) {
  std::string file = "P5\n# a comment\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) +
                     "\n" + std::to_string(maxval) + "\n";
  for (const uint16_t sample : samples) file += BigEndian(sample, maxval > 255 ? 2 : 1);
  return file;
}

std::string Jpeg(const std::vector<uint8_t>& rgb) {
  std::string file;
  stbi_write_jpg_to_func(
      [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
      },
      &file, kWidth, kHeight, 3, rgb.data(), 100);
  return file;
}

struct Sample {
  std::string name;
  std::string bytes;
  int tolerance = 0;              // a lossy format's
  std::vector<uint16_t> depth16;  // what a 16-bit file must give
};

// Whole files of every kind read exactly (a lossy one nearly), and one byte short are
// refused; 16-bit files give their depth at full precision.
TEST(ImageFileTest, ReadsWholeFilesOfEveryKindAndRefusesThemOneByteShort) {
  std::vector<uint8_t> diagonal(kWidth * kHeight * 3, 0);
  std::vector<uint16_t> wide(kWidth * kHeight), ones(kWidth * kHeight);
  for (int i = 0; i < kWidth * kHeight; ++i) {
    ones[i] = i % kWidth == i / kWidth;
    wide[i] = static_cast<uint16_t>((ones[i] != 0 ? 0xFF00 : 0) + i);  // the low byte tells
    std::memset(&diagonal[i * 3], ones[i] != 0 ? 0xFF : 0, 3);
  }
  const PngBytes png = EncodePng({kWidth, kHeight, diagonal.data()});
  ASSERT_TRUE(png.data);
  EXPECT_EQ(0, png.data.get()[25]) << "a grey picture is written as a grey PNG";
  std::vector<Sample> files = {
      {"grey png", std::string(reinterpret_cast<const char*>(png.data.get()), png.size), 0, {}},
      {"16-bit grey png", Png16(wide, 1), 0, wide},
      {"16-bit rgb png", Png16(wide, 3), 0, wide},
      {"pgm of maxval 1", Pgm(ones, 1), 0, {}},
      {"pgm of maxval 65535", Pgm(wide, 65535), 0, wide},
      {"jpeg", Jpeg(diagonal), 8, {}}};
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    for (const bool top_down : {false, true}) {
      files.push_back({std::to_string(bits) + (top_down ? "-bit top-down" : "-bit bottom-up"),
                       DiagonalBmp(bits, top_down),
                       0,
                       {}});
    }
  }
  for (const Sample& sample : files) {
    const std::string& name = sample.name;
    for (const bool whole : {true, false}) {
      std::ofstream("image_file_test.img", std::ios::binary)
          << sample.bytes.substr(0, sample.bytes.size() - (whole ? 0 : 1));
      ImageFile file;
      ImageError error;
      RgbPicture picture;
      picture.depth16.assign(3, 7);  // a reader that leaves it alone shows
      const bool read = file.Open("image_file_test.img", &error) && file.Decode(&picture, &error);
      EXPECT_EQ(whole, read) << name << (whole ? "" : " one byte short") << ": " << error.message;
      if (!whole) {
        EXPECT_NE(std::string::npos, error.message.find("cut short"))
            << name << " one byte short: " << error.message;
      } else if (read) {
        ASSERT_EQ(kWidth * kHeight, picture.width * picture.height) << name;
        for (size_t i = 0; i < diagonal.size(); ++i) {
          ASSERT_NEAR(diagonal[i], picture.pixels.get()[i], sample.tolerance)
              << name << " at " << i;
        }
        EXPECT_EQ(sample.depth16, picture.depth16) << name;
      }
    }
  }
}

// A colour picture stays RGB, exactly.
// Tall enough to be compressed in two halves; rows repeat in tens, so the second half's
// first row is found in the first half's last.
TEST(ImageFileTest, WritesAColourPictureAsRgb) {
  constexpr size_t kTall = 150, kRow = kWidth * 3;
  std::vector<uint8_t> colour(kRow * kTall);
  for (size_t i = 0; i < colour.size(); ++i) {
    colour[i] = static_cast<uint8_t>(i % kRow * 37 + i / kRow / 10 * 11);
  }
  const PngBytes png = EncodePng({kWidth, static_cast<int32_t>(kTall), colour.data()});
  ASSERT_TRUE(png.data);
  EXPECT_EQ(2, png.data.get()[25]) << "colour type";
  std::ofstream("image_file_test.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data.get()), static_cast<std::streamsize>(png.size));
  ImageFile file;
  ImageError error;
  RgbPicture picture;
  ASSERT_TRUE(file.Open("image_file_test.png", &error) && file.Decode(&picture, &error))
      << error.message;
  EXPECT_EQ(0, std::memcmp(colour.data(), picture.pixels.get(), colour.size()));
}

// Tall enough for the lines to pass from the decoder to a second thread, and around its
// ring more than once; a file whose image data stops partway fails there, and cleanly.
TEST(ImageFileTest, ReadsATall16BitFileWholeAndFailsOneThatStopsPartway) {
  constexpr int kTall = 150;
  std::vector<uint16_t> depth(kWidth * kTall);
  for (size_t i = 0; i < depth.size(); ++i) depth[i] = static_cast<uint16_t>(i * 2741);
  for (const int kept : {kTall, 100}) {
    std::ofstream("image_file_test_tall.png", std::ios::binary) << Png16(depth, 3, kTall, kept);
    ImageFile file;
    ImageError error;
    RgbPicture picture;
    ASSERT_TRUE(file.Open("image_file_test_tall.png", &error)) << error.message;
    const bool read = file.Decode(&picture, &error);
    EXPECT_EQ(kept == kTall, read) << kept << " lines: " << error.message;
    if (read) {
      EXPECT_EQ(depth, picture.depth16);
      for (size_t i = 0; i < depth.size(); ++i)
        ASSERT_EQ(depth[i] >> 8, picture.pixels.get()[i * 3 + 2]) << "blue at " << i;
    }
  }
}

}  // namespace
