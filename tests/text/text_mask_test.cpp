// The board's text as this build draws it, against masks GDI drew under Wine with the
// board's font (the IPA Gothic there): the Windows build must draw them exactly, FreeType
// within a pixel of every edge. With PARALLUX_TEXT_REFERENCE set to a folder, the
// Windows build writes its masks there instead, as the references are made.
#include "text/text_mask.h"

#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <string>

namespace {

// Each build's encoding of the text: the ANSI code page (932 under the tests' Wine) on
// Windows, where narrow literals are compiled to it, and UTF-8 elsewhere.
#ifdef _WIN32
#define TEXT(literal) std::string(literal)
#else
#define TEXT(literal) std::string(reinterpret_cast<const char*>(u8##literal))
#endif

// Whether (x, y) of `mask` is `grey`, or a pixel next to it is.
bool Near(const unsigned char* mask, int w, int h, int x, int y, int grey) {
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const int u = x + dx, v = y + dy;
      if (u >= 0 && v >= 0 && u < w && v < h && mask[v * w + u] == grey) return true;
    }
  }
  return false;
}

TEST(TextMaskTest, TheBoardsTextIsDrawnAsGdiDrawsItUnderWine) {
  const struct {
    const char* name;
    std::string text;
  } cases[] = {{"default", TEXT("テキストを入力してください。")},
               {"latin", TEXT("A&b gy|Q0,")},
               {"mixed", TEXT("ﾃｷｽﾄ 漢字ｶﾅ")}};
  const char* write_to = std::getenv("PARALLUX_TEXT_REFERENCE");
  for (const auto& c : cases) {
    TextMask mask;
    std::string error;
    ASSERT_TRUE(DrawTextMask(c.text, 200, "", &mask, &error)) << c.name << ": " << error;
    const std::string file = std::string(c.name) + ".png";
    if (write_to != nullptr) {
      ASSERT_NE(0, stbi_write_png((std::string(write_to) + "/" + file).c_str(), mask.width,
                                  mask.height, 1, mask.grey.data(), mask.width));
      continue;
    }
    int w = 0, h = 0, channels = 0;
    unsigned char* gdi = stbi_load((PARALLUX_TEXT_DATA "/" + file).c_str(), &w, &h, &channels, 1);
    ASSERT_NE(nullptr, gdi) << file;
    EXPECT_EQ(w, mask.width) << c.name;
    EXPECT_EQ(h, mask.height) << c.name;
    int differ = 0, far = 0;
    for (int y = 0; y < h && y < mask.height; ++y) {
      for (int x = 0; x < w && x < mask.width; ++x) {
        const int got = mask.grey[static_cast<size_t>(y) * mask.width + x];
        if (got == gdi[y * w + x]) continue;
        ++differ;
        // Off by a pixel at an edge: GDI has the same value next to it.
        far += !Near(gdi, w, h, x, y, got);
      }
    }
    stbi_image_free(gdi);
    std::printf("%s: %d of %d pixels differ from GDI's, %d more than a pixel from an edge\n",
                c.name, differ, w * h, far);
#ifdef _WIN32
    EXPECT_EQ(0, differ) << c.name;
#else
    EXPECT_EQ(0, far) << c.name;
#endif
  }
}

}  // namespace
