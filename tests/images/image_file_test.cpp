// The depth-image reader on whole files of every kind it reads, and on the same files
// one byte short. The damaged and hostile files are still_e2e_test's corpus.
#include "images/image_file.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
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

// What the format predicts a byte from: the bytes to its left (a), above (b) and above
// to the left (c), written as the format gives it, to filter lines the way encoders do.
int Predicted(int filter, int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  switch (filter) {
    case 1:
      return a;
    case 2:
      return b;
    case 3:
      return (a + b) / 2;
    case 4:
      return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    default:
      return 0;
  }
}

struct PngLayout {
  int channels = 1;  // grey, grey and alpha, RGB or RGBA
  int bits = 16;     // a sample
  int height = kHeight;
  int kept = kHeight;  // lines stored; the rest are missing
  int (*filter)(int line) = [](int) { return 0; };
  size_t idat_bytes = 0xFFFF;        // the image data is split into chunks of this many bytes
  const char* chunk_type = nullptr;  // of an empty chunk before the image data
};

// stb writes no 16-bit PNG, nor filters as asked: the file built here, from the depth's
// high byte in an 8-bit one.
std::string BuiltPng(const std::vector<uint16_t>& depth, const PngLayout& layout = {}) {
  const int channels = layout.channels;
  const int sample_bytes = layout.bits / 8;
  const int pixel_bytes = sample_bytes * channels;
  const int depth_channel = channels >= 3 ? 2 : 0;
  const int alpha_channel = channels % 2 == 0 ? channels - 1 : -1;
  std::string rows, up(static_cast<size_t>(kWidth * pixel_bytes), '\0');
  for (int y = 0; y < layout.kept; ++y) {
    std::string line;
    for (int x = 0; x < kWidth; ++x) {
      const uint16_t value = depth[y * kWidth + x];
      // Red and green share the depth's high byte only, and alpha not even that: the
      // depth must come from the blue (or grey).
      for (int c = 0; c < channels; ++c) {
        const uint32_t high = c == alpha_channel ? ~value >> 8 & 0xFF : value >> 8;
        const uint32_t other = sample_bytes == 2 ? high << 8 | 0x55 : high;
        line += BigEndian(c == depth_channel ? value >> (16 - layout.bits) : other, sample_bytes);
      }
    }
    const int filter = layout.filter(y);
    rows += static_cast<char>(filter);
    for (size_t i = 0; i < line.size(); ++i) {
      auto at = [](const std::string& bytes, size_t i) { return static_cast<uint8_t>(bytes[i]); };
      const bool left = i >= static_cast<size_t>(pixel_bytes);
      rows +=
          static_cast<char>(at(line, i) - Predicted(filter, left ? at(line, i - pixel_bytes) : 0,
                                                    at(up, i), left ? at(up, i - pixel_bytes) : 0));
    }
    up = line;
  }
  // One stored (uncompressed) deflate block, then the Adler-32 of the rows.
  uint32_t a = 1, b = 0;
  for (const char c : rows) {
    a = (a + static_cast<uint8_t>(c)) % 65521;
    b = (b + a) % 65521;
  }
  const auto size = static_cast<uint16_t>(rows.size());
  const std::string data = std::string("\x78\x01\x01", 3) + static_cast<char>(size) +
                           static_cast<char>(size >> 8) + static_cast<char>(~size) +
                           static_cast<char>(~size >> 8) + rows + BigEndian(b << 16 | a, 4);
  const char colour_types[] = {0, 4, 2, 6};
  const std::string ihdr = BigEndian(kWidth, 4) + BigEndian(layout.height, 4) +
                           static_cast<char>(layout.bits) + colour_types[channels - 1] +
                           std::string(3, '\0');
  std::string file = "\x89PNG\r\n\x1A\n" + PngChunk("IHDR", ihdr);
  if (layout.chunk_type != nullptr) file += PngChunk(layout.chunk_type, "");
  for (size_t at = 0; at < data.size(); at += layout.idat_bytes)
    file += PngChunk("IDAT", data.substr(at, layout.idat_bytes));
  return file + PngChunk("IEND", "");
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
      {"16-bit grey png", BuiltPng(wide), 0, wide},
      {"16-bit rgb png", BuiltPng(wide, {.channels = 3}), 0, wide},
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

// Tall enough for the lines to be inflated and unfiltered on two threads, and to pass
// around the ring between them more than once: 8 and 16 bits, every colour type, every
// filter, the image data split across chunks. A file whose data stops partway, or that
// names an unknown filter, fails there, and cleanly. So does one with a chunk before the
// image data that a reader must understand and this one does not; one it may skip is
// skipped.
TEST(ImageFileTest, ReadsTallFilesOfEveryLayoutAndFailsOnesThatGoWrongPartway) {
  constexpr int kTall = 150;
  std::vector<uint16_t> depth(kWidth * kTall);
  // High bytes of a few evenly spaced values, where the predictor's ties (which the
  // format settles in a set order) are common; low bytes of any value.
  std::mt19937 random(7);
  for (uint16_t& value : depth)
    value = static_cast<uint16_t>(random() % 8 * 0x1000 + random() % 256);
  const auto every_filter = [](int line) { return line % 5; };
  const auto unknown_at_100 = [](int line) { return line == 100 ? 5 : line % 5; };
  for (const int bits : {16, 8}) {
    for (const int channels : {1, 2, 3, 4}) {
      const PngLayout whole{.channels = channels,
                            .bits = bits,
                            .height = kTall,
                            .kept = kTall,
                            .filter = every_filter,
                            .idat_bytes = 7};
      PngLayout cut = whole, unknown = whole, critical = whole, ancillary = whole;
      cut.kept = 100;
      unknown.filter = unknown_at_100;
      critical.chunk_type = "ABCD";
      ancillary.chunk_type = "abCD";
      for (const auto& [layout, read] :
           {std::pair{whole, true}, std::pair{cut, false}, std::pair{unknown, false},
            std::pair{critical, false}, std::pair{ancillary, true}}) {
        const std::string name =
            std::to_string(bits) + "-bit, " + std::to_string(channels) + " channels, " +
            std::to_string(layout.kept) + " lines" +
            (layout.filter == unknown_at_100 ? ", an unknown filter" : "") +
            (layout.chunk_type == nullptr ? "" : std::string(", a chunk ") + layout.chunk_type);
        std::ofstream("image_file_test_tall.png", std::ios::binary) << BuiltPng(depth, layout);
        ImageFile file;
        ImageError error;
        RgbPicture picture;
        ASSERT_TRUE(file.Open("image_file_test_tall.png", &error)) << name << ": " << error.message;
        EXPECT_EQ(read, file.Decode(&picture, &error)) << name << ": " << error.message;
        if (!read) continue;
        EXPECT_EQ(bits == 16 ? depth : std::vector<uint16_t>{}, picture.depth16) << name;
        for (size_t i = 0; i < depth.size() * 3; ++i)
          ASSERT_EQ(depth[i / 3] >> 8, picture.pixels.get()[i]) << name << " at " << i;
      }
    }
  }
}

}  // namespace
