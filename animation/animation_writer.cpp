#include "animation/animation_writer.h"

#include <vector>

#include "animation/gif_writer.h"
#include "animation/palette.h"
#include "animation/webp_writer.h"

namespace {

bool EndsWith(const std::string& path, const char* extension) {
  const std::string ext(extension);
  if (path.size() < ext.size()) return false;
  for (size_t i = 0; i < ext.size(); ++i) {
    char c = path[path.size() - ext.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != ext[i]) return false;
  }
  return true;
}

// The GIF's 256 colours, and its bytes passed on to the file as giflib makes them.
class GifAnimation final : public AnimationWriter {
 public:
  GifAnimation(const AnimationShape& shape, ReplacementFile* out)
      : out_(out),
        grey_(shape.grey),
        indices_(static_cast<size_t>(shape.width) * static_cast<size_t>(shape.height)) {}

  bool Begin(const AnimationShape& shape, std::string* error) {
    return gif_.Begin(shape.width, shape.height, grey_ ? GreyPalette() : ColourPalette(),
                      FrameDelay(shape.fps), error) &&
           Pass(error);
  }

  bool AddFrame(const RgbView& frame, std::string* error) override {
    FrameIndices(frame, grey_, indices_.data());
    return gif_.AddFrame(indices_.data(), error) && Pass(error);
  }

  bool Finish(std::string* error) override {
    return gif_.Finish(&bytes_, error) && out_->Write(bytes_.data(), bytes_.size(), error);
  }

 private:
  bool Pass(std::string* error) {
    gif_.TakeEncoded(&bytes_);
    return out_->Write(bytes_.data(), bytes_.size(), error);
  }

  GifWriter gif_;
  ReplacementFile* out_;
  bool grey_;
  std::vector<uint8_t> indices_;
  std::vector<uint8_t> bytes_;
};

}  // namespace

bool NamesAnimation(const std::string& path) {
  return EndsWith(path, ".gif") || EndsWith(path, ".webp");
}

std::string SizeRefused(AnimationFormat format, int32_t width, int32_t height) {
  // The formats' own limits: WebP's 14-bit sides hold up to 16383, GIF's 16 bits more
  // than any picture that is read.
  constexpr int32_t kWebpMaxSide = 16383;
  if (format != AnimationFormat::kWebp || (width <= kWebpMaxSide && height <= kWebpMaxSide)) {
    return {};
  }
  return "a WebP holds at most " + std::to_string(kWebpMaxSide) + " pixels a side, not " +
         std::to_string(width) + " x " + std::to_string(height) + "; write a .gif";
}

std::optional<AnimationFormat> AnimationFormatOf(const std::string& path, std::string* error) {
  if (EndsWith(path, ".gif")) return AnimationFormat::kGif;
  if (EndsWith(path, ".webp")) {
    if (WebpWritable(error)) return AnimationFormat::kWebp;
    *error = "'" + path + "': " + *error;
    return std::nullopt;
  }
  *error = "'" + path + "': an animation is written as .gif or .webp";
  return std::nullopt;
}

std::unique_ptr<AnimationWriter> OpenAnimationWriter(AnimationFormat format,
                                                     const AnimationShape& shape,
                                                     ReplacementFile* out, std::string* error) {
  if (format == AnimationFormat::kWebp) return OpenWebpWriter(shape, out, error);
  auto gif = std::make_unique<GifAnimation>(shape, out);
  if (!gif->Begin(shape, error)) return nullptr;
  return gif;
}
