#include "images/gif_frames.h"

#include <cstring>
#include <vector>

// A copy of stb_image of this file's own, with only its GIF decoder and every function
// static: its frame-by-frame step is not part of stb's interface, which decodes all
// frames of a file into memory at once.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_GIF
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

constexpr char kCut[] = "is cut short";

// Sub-blocks up to the empty one that ends them; false when the file ends first.
bool SkipSubBlocks(std::FILE* file) {
  uint8_t data[255];
  for (;;) {
    const int length = std::fgetc(file);
    if (length == EOF) return false;
    if (length == 0) return true;
    if (std::fread(data, 1, static_cast<size_t>(length), file) != static_cast<size_t>(length)) {
      return false;
    }
  }
}

// A colour table of 2^(bits + 1) entries follows when `flags` says so.
bool SkipColourTable(std::FILE* file, uint8_t flags) {
  if ((flags & 0x80) == 0) return true;
  std::vector<uint8_t> table(3u << ((flags & 7) + 1));
  return std::fread(table.data(), 1, table.size(), file) == table.size();
}

uint32_t Little16(const uint8_t* p) { return uint32_t{p[1]} << 8 | p[0]; }

std::string WalkBlocks(std::FILE* file, GifLayout* layout) {
  for (;;) {
    const int kind = std::fgetc(file);
    if (kind == EOF) return kCut;
    if (kind == 0x3B) return layout->frames == 0 ? "holds no frames" : "";
    if (kind == 0x21) {
      if (std::fgetc(file) == EOF || !SkipSubBlocks(file)) return kCut;
    } else if (kind == 0x2C) {
      uint8_t descriptor[9];
      if (std::fread(descriptor, 1, sizeof descriptor, file) != sizeof descriptor) return kCut;
      if (Little16(descriptor) + Little16(descriptor + 4) > static_cast<uint32_t>(layout->width) ||
          Little16(descriptor + 2) + Little16(descriptor + 6) >
              static_cast<uint32_t>(layout->height)) {
        return "has frame " + std::to_string(layout->frames + 1) + " outside its picture";
      }
      if (!SkipColourTable(file, descriptor[8])) return kCut;
      const int code_size = std::fgetc(file);
      if (code_size == EOF || !SkipSubBlocks(file)) return kCut;
      if (code_size < 2 || code_size > 11) {
        return "has frame " + std::to_string(layout->frames + 1) + " with a bad code size";
      }
      ++layout->frames;
    } else {
      return "has a block of an unknown kind after frame " + std::to_string(layout->frames);
    }
  }
}

}  // namespace

bool IsGif(std::FILE* file) {
  char magic[6] = {};
  const size_t got = std::fread(magic, 1, sizeof magic, file);
  std::fseek(file, 0, SEEK_SET);
  return got == sizeof magic &&
         (std::memcmp(magic, "GIF87a", 6) == 0 || std::memcmp(magic, "GIF89a", 6) == 0);
}

std::string WalkGif(std::FILE* file, GifLayout* layout) {
  *layout = {};
  uint8_t head[13];
  std::string damage;
  if (std::fread(head, 1, sizeof head, file) != sizeof head) {
    damage = kCut;
  } else {
    layout->width = static_cast<int32_t>(Little16(head + 6));
    layout->height = static_cast<int32_t>(Little16(head + 8));
    damage = SkipColourTable(file, head[10]) ? WalkBlocks(file, layout) : kCut;
  }
  if (std::fseek(file, 0, SEEK_SET) != 0) return "cannot be read again from its start";
  return damage;
}

struct GifFrames::Decoder {
  stbi__context context{};
  stbi__gif gif{};
  std::string path;
  // The frame before last, which a frame that restores what was before it goes back to.
  std::vector<uint8_t> two_back;
  std::vector<uint8_t> one_back;
  int frames = 0;

  ~Decoder() {
    STBI_FREE(gif.out);
    STBI_FREE(gif.history);
    STBI_FREE(gif.background);
  }
};

GifFrames::GifFrames() = default;
GifFrames::~GifFrames() = default;

void GifFrames::Start(std::FILE* file, const std::string& path) {
  decoder_ = std::make_unique<Decoder>();
  stbi__start_file(&decoder_->context, file);
  decoder_->path = path;
}

bool GifFrames::Next(RgbPicture* frame, ImageError* error) {
  Decoder& d = *decoder_;
  int components = 0;
  stbi_uc* rgba = stbi__gif_load_next(&d.context, &d.gif, &components, 4,
                                      d.frames >= 2 ? d.two_back.data() : nullptr);
  if (rgba == nullptr || rgba == reinterpret_cast<stbi_uc*>(&d.context)) {
    const char* reason = stbi__g_failure_reason;
    error->out_of_memory = reason != nullptr && std::strcmp(reason, "outofmem") == 0;
    error->message = "cannot decode frame " + std::to_string(d.frames + 1) + " of '" + d.path +
                     "' (" + (reason != nullptr ? reason : "no frame left") + ")";
    return false;
  }
  const size_t pixels = static_cast<size_t>(d.gif.w) * static_cast<size_t>(d.gif.h);
  d.two_back.swap(d.one_back);
  d.one_back.assign(rgba, rgba + pixels * 4);
  ++d.frames;

  StbBytes rgb(static_cast<uint8_t*>(STBI_MALLOC(pixels * 3)));
  if (!rgb) {
    error->out_of_memory = true;
    error->message = "not enough memory to decode '" + d.path + "'";
    return false;
  }
  for (size_t i = 0; i < pixels; ++i) {
    // A pixel no frame has drawn yet is transparent: the far plane.
    const bool shown = rgba[i * 4 + 3] != 0;
    for (int c = 0; c < 3; ++c) rgb.get()[i * 3 + c] = shown ? rgba[i * 4 + c] : 0;
  }
  frame->width = d.gif.w;
  frame->height = d.gif.h;
  frame->pixels = std::move(rgb);
  frame->depth16.clear();
  return true;
}
