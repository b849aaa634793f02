// The animation's format comes from the output's extension, in either case; any other
// name is refused with a line that names it.
#include <gtest/gtest.h>

#include "animation/animation_writer.h"
#include "animation/webp_writer.h"

namespace {

TEST(AnimationFormatTest, ExtensionChoosesTheFormatOrIsRefused) {
  std::string error, why;
  EXPECT_EQ(AnimationFormatOf("out/dots.GIF", &error), AnimationFormat::kGif);
  // The Windows build has no WebP encoder and says so.
  const bool webp = WebpWritable(&why);
  EXPECT_EQ(AnimationFormatOf("dots.WebP", &error),
            webp ? std::optional(AnimationFormat::kWebp) : std::nullopt);
  if (!webp) {
    EXPECT_EQ(error, "'dots.WebP': " + why);
  }
  for (const char* path : {"dots.png", "gif", "dots.gif.png", "dots.webp/"}) {
    error.clear();
    EXPECT_EQ(AnimationFormatOf(path, &error), std::nullopt) << path;
    EXPECT_NE(error.find(path), std::string::npos) << error;
  }
}

}  // namespace
