#include <gif_lib.h>

#include <cstring>
#include <memory>
#include <new>

#include "animation/gif_writer.h"

namespace {

std::string Failed(const char* what, int code) {
  const char* text = GifErrorString(code);
  return std::string("cannot encode the GIF: ") + what + " (" + (text ? text : "unknown") + ")";
}

}  // namespace

struct GifWriter::Encoder {
  GifFileType* gif = nullptr;
  std::vector<uint8_t> bytes;
  std::vector<GifPixelType> line;
  int32_t width = 0;
  int32_t height = 0;
  uint8_t control[4] = {};  // the graphics control extension of every frame

  ~Encoder() {
    if (gif != nullptr) EGifCloseFile(gif, nullptr);
  }

  static int Write(GifFileType* file, const GifByteType* data, int size) {
    auto* self = static_cast<Encoder*>(file->UserData);
    // giflib takes a short count for a failed write; an exception must not cross its C
    // frames.
    try {
      self->bytes.insert(self->bytes.end(), data, data + size);
    } catch (const std::bad_alloc&) {
      return 0;
    }
    return size;
  }
};

GifWriter::GifWriter() = default;
GifWriter::~GifWriter() = default;

bool GifWriter::Begin(int32_t width, int32_t height, const GifPalette& palette, uint16_t delay_cs,
                      std::string* error) {
  encoder_ = std::make_unique<Encoder>();
  Encoder& e = *encoder_;
  e.width = width;
  e.height = height;
  e.line.resize(static_cast<size_t>(width));
  int code = 0;
  e.gif = EGifOpen(&e, &Encoder::Write, &code);
  if (e.gif == nullptr) {
    *error = Failed("open", code);
    return false;
  }
  // Delays and the loop are GIF89a extensions.
  EGifSetGifVersion(e.gif, true);

  GifColorType colours[256];
  for (size_t i = 0; i < palette.size(); ++i) {
    colours[i].Red = static_cast<GifByteType>(palette[i] >> 16);
    colours[i].Green = static_cast<GifByteType>(palette[i] >> 8);
    colours[i].Blue = static_cast<GifByteType>(palette[i]);
  }
  const std::unique_ptr<ColorMapObject, decltype(&GifFreeMapObject)> map(
      GifMakeMapObject(256, colours), GifFreeMapObject);
  if (!map) throw std::bad_alloc();
  // The screen descriptor keeps its own copy of the colour map.
  if (EGifPutScreenDesc(e.gif, width, height, 8, 0, map.get()) == GIF_ERROR) {
    *error = Failed("screen descriptor", e.gif->Error);
    return false;
  }

  // The application extension that makes players loop: NETSCAPE2.0, sub-block 1, a
  // loop count of 0 (for ever).
  static const GifByteType kApplication[] = "NETSCAPE2.0";
  static const GifByteType kLoop[] = {1, 0, 0};
  if (EGifPutExtensionLeader(e.gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(e.gif, 11, kApplication) == GIF_ERROR ||
      EGifPutExtensionBlock(e.gif, 3, kLoop) == GIF_ERROR ||
      EGifPutExtensionTrailer(e.gif) == GIF_ERROR) {
    *error = Failed("loop extension", e.gif->Error);
    return false;
  }

  GraphicsControlBlock block{};
  block.DisposalMode = DISPOSE_DO_NOT;
  block.DelayTime = delay_cs;
  block.TransparentColor = NO_TRANSPARENT_COLOR;
  EGifGCBToExtension(&block, e.control);
  return true;
}

bool GifWriter::AddFrame(const uint8_t* indices, std::string* error) {
  Encoder& e = *encoder_;
  if (EGifPutExtension(e.gif, GRAPHICS_EXT_FUNC_CODE, 4, e.control) == GIF_ERROR ||
      EGifPutImageDesc(e.gif, 0, 0, e.width, e.height, false, nullptr) == GIF_ERROR) {
    *error = Failed("frame header", e.gif->Error);
    return false;
  }
  for (int32_t y = 0; y < e.height; ++y) {
    // EGifPutLine takes a pointer to non-const pixels.
    std::memcpy(e.line.data(), indices + static_cast<size_t>(y) * e.line.size(), e.line.size());
    if (EGifPutLine(e.gif, e.line.data(), e.width) == GIF_ERROR) {
      *error = Failed("frame", e.gif->Error);
      return false;
    }
  }
  return true;
}

void GifWriter::TakeEncoded(std::vector<uint8_t>* bytes) {
  bytes->clear();
  bytes->swap(encoder_->bytes);
}

bool GifWriter::Finish(std::vector<uint8_t>* gif, std::string* error) {
  Encoder& e = *encoder_;
  int code = 0;
  // Writes the trailer and frees the file whether or not that succeeds.
  const int closed = EGifCloseFile(e.gif, &code);
  e.gif = nullptr;
  if (closed == GIF_ERROR) {
    *error = Failed("trailer", code);
    return false;
  }
  *gif = std::move(e.bytes);
  return true;
}
