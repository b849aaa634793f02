#include "still/image_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A picture whose every byte tells where it is: line y, column x, channel c holds
// 100 y + 10 x + c (the pictures here stay small enough for that to fit a byte).
std::vector<uint8_t> Numbered(int32_t width, int32_t height) {
  std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 3);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      for (int32_t c = 0; c < 3; ++c) {
        bytes[(static_cast<size_t>(y) * width + x) * 3 + c] =
            static_cast<uint8_t>(100 * y + 10 * x + c);
      }
    }
  }
  return bytes;
}

TEST(ImageRowsTest, BufferRowZeroIsTheBottomLine) {
  std::vector<uint8_t> bytes = Numbered(3, 2);
  const RgbView picture{3, 2, bytes.data()};
  uint32_t row[4] = {0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF};

  ReadBufferRow(picture, 0, row);
  for (uint32_t x = 0; x < 3; ++x) {
    // Line 1 is the bottom line of a two-line picture.
    const uint32_t expected =
        PackPixel(static_cast<uint8_t>(100 + 10 * x), static_cast<uint8_t>(101 + 10 * x),
                  static_cast<uint8_t>(102 + 10 * x));
    EXPECT_EQ(row[x], expected) << "buffer row 0, column " << x;
  }
  EXPECT_EQ(row[3], 0xDEADBEEFu) << "wrote past the row";

  ReadBufferRow(picture, 1, row);
  EXPECT_EQ(row[0], PackPixel(0, 1, 2)) << "buffer row 1 of two is the top line";
  EXPECT_EQ(row[2], PackPixel(20, 21, 22));
}

TEST(ImageRowsTest, WritingARowTouchesOnlyItsLineAndDropsTheFourthByte) {
  std::vector<uint8_t> bytes = Numbered(2, 3);
  const std::vector<uint8_t> before = bytes;
  const RgbView picture{2, 3, bytes.data()};
  const uint32_t row[2] = {0xAB112233u, 0xFF445566u};

  WriteBufferRow(picture, 0, row);  // the bottom line, line 2
  const std::vector<uint8_t> line2 = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  for (size_t i = 0; i < bytes.size(); ++i) {
    const uint8_t expected = i >= 12 ? line2[i - 12] : before[i];
    EXPECT_EQ(bytes[i], expected) << "byte " << i << " (line " << i / 6 << ")";
  }

  // And back: what was written reads as the same pixels without the fourth byte.
  uint32_t back[2] = {};
  ReadBufferRow(picture, 0, back);
  EXPECT_EQ(back[0], 0x00112233u);
  EXPECT_EQ(back[1], 0x00445566u);
}

TEST(ImageRowsTest, FillBlackIsCutToThePicture) {
  constexpr int32_t kW = 6;
  constexpr int32_t kH = 4;
  struct Case {
    int32_t left, top, right, bottom;
  };
  const Case cases[] = {
      {1, 1, 3, 2},    // inside
      {-4, -3, 2, 2},  // over the top-left corner
      {4, 2, 60, 50},  // over the bottom-right corner
      {-9, 1, -1, 3},  // wholly left of the picture
      {2, 4, 5, 9},    // wholly below it
      {3, 1, 3, 3},    // empty
      {5, 3, 2, 1},    // inverted
  };
  for (const Case& k : cases) {
    std::vector<uint8_t> bytes(kW * kH * 3, 0x7F);
    FillBlack({kW, kH, bytes.data()}, k.left, k.top, k.right, k.bottom);
    for (int32_t y = 0; y < kH; ++y) {
      for (int32_t x = 0; x < kW; ++x) {
        const bool inside = x >= k.left && x < k.right && y >= k.top && y < k.bottom;
        const size_t i = (static_cast<size_t>(y) * kW + x) * 3;
        for (int c = 0; c < 3; ++c) {
          ASSERT_EQ(bytes[i + c], inside ? 0 : 0x7F)
              << "rect (" << k.left << "," << k.top << ")-(" << k.right << "," << k.bottom
              << ") at x " << x << " y " << y << " channel " << c;
        }
      }
    }
  }
}

}  // namespace
