#include "still/animation.h"

#include <cstddef>
#include <cstring>

namespace {

// The nearest of `levels` levels spread evenly over 0 .. 255.
uint32_t Level(uint32_t value, uint32_t levels) { return (value * (levels - 1) + 127) / 255; }
uint32_t LevelValue(uint32_t level, uint32_t levels) {
  return (level * 255 + (levels - 1) / 2) / (levels - 1);
}

}  // namespace

uint16_t FrameDelay(uint32_t fps) { return static_cast<uint16_t>((200 + fps) / (2 * fps)); }

GifPalette GreyPalette() {
  GifPalette palette{};
  for (uint32_t i = 0; i < palette.size(); ++i) palette[i] = i * 0x010101u;
  return palette;
}

GifPalette ColourPalette() {
  GifPalette palette{};
  for (uint32_t i = 0; i < palette.size(); ++i) {
    palette[i] =
        LevelValue(i >> 5, 8) << 16 | LevelValue((i >> 2) & 7, 8) << 8 | LevelValue(i & 3, 4);
  }
  return palette;
}

uint8_t ColourIndex(uint32_t rgb) {
  return static_cast<uint8_t>(Level((rgb >> 16) & 0xFF, 8) << 5 | Level((rgb >> 8) & 0xFF, 8) << 2 |
                              Level(rgb & 0xFF, 4));
}

void FrameIndices(const RgbView& frame, bool grey, uint8_t* indices) {
  const size_t n = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
  const uint8_t* p = frame.pixels;
  for (size_t i = 0; i < n; ++i, p += 3) {
    indices[i] = grey ? p[2] : ColourIndex(PackPixel(p[0], p[1], p[2]));
  }
}

std::string ProgressLine::Update(uint64_t done, uint64_t total, uint32_t elapsed_ms) {
  const uint64_t left_ms = done == 0 ? 0 : elapsed_ms * (total - done) / done;
  if (left_ms <= 1000) return Clear();
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about
  // "literal" + std::string.
  std::string line = "\rparallux-still: frame ";
  line.append(std::to_string(done)).append(" of ").append(std::to_string(total));
  line.append(", about ").append(std::to_string((left_ms + 999) / 1000)).append(" s left");
  // A shorter line must cover all of the one before.
  const size_t length = line.size() - 1;
  if (length < shown_) line.append(shown_ - length, ' ');
  shown_ = length;
  return line;
}

std::string ProgressLine::Clear() {
  if (shown_ == 0) return {};
  std::string wipe(shown_ + 2, ' ');
  wipe.front() = '\r';
  wipe.back() = '\r';
  shown_ = 0;
  return wipe;
}

bool EncodeAnimation(const RgbView& depth, const Animation& animation, std::vector<uint8_t>* gif,
                     std::string* error) {
  const StillFrame& first = animation.first;
  const bool grey = first.params.dot_mode == 1;
  GifWriter writer;
  if (!writer.Begin(depth.width, depth.height, grey ? GreyPalette() : ColourPalette(),
                    FrameDelay(animation.fps), error)) {
    return false;
  }
  // Each frame is a still made from its own start state; the states follow one another
  // by the frame's map, so no frame is drawn twice.
  const GeneratorMap map = FrameMap(depth, first.params);
  uint32_t state = Repeated(map, first.frame - 1).Apply(first.seed);
  const size_t pixels = static_cast<size_t>(depth.width) * static_cast<size_t>(depth.height);
  std::vector<uint8_t> frame(pixels * 3);
  std::vector<uint8_t> indices(pixels);
  const RgbView view{depth.width, depth.height, frame.data()};
  for (uint64_t k = 0; k < animation.frames; ++k) {
    std::memcpy(frame.data(), depth.pixels, frame.size());
    StillFrame still = first;
    still.seed = state;
    still.frame = 1;
    RenderStill(view, still);
    FrameIndices(view, grey, indices.data());
    if (!writer.AddFrame(indices.data(), error)) return false;
    state = map.Apply(state);
    if (animation.after_frame) animation.after_frame(k + 1);
  }
  return writer.Finish(gif, error);
}
