#include <windows.h>

#include <wincodec.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "animation/gif_writer.h"
#include "support/scoped_win.h"

using Microsoft::WRL::ComPtr;

namespace {

std::string Failed(const char* what, HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(hr));
  return std::string("cannot encode the GIF: ") + what + " (HRESULT 0x" + code + ")";
}

// The graphics control extension: no transparency, the frame left in place, `delay`
// hundredths of a second.
void PutControl(std::vector<uint8_t>& out, uint16_t delay) {
  const uint8_t block[] = {
      0x21, 0xF9, 4, 0x04, static_cast<uint8_t>(delay), static_cast<uint8_t>(delay >> 8), 0, 0};
  out.insert(out.end(), block, block + sizeof block);
}

// The application extension that makes players loop for ever.
void PutLoop(std::vector<uint8_t>& out) {
  static const uint8_t kBlock[] = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                   'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
  out.insert(out.end(), kBlock, kBlock + sizeof kBlock);
}

// The end of the data sub-blocks starting at `at` (past their zero terminator), or 0
// when the file ends first.
size_t SkipSubBlocks(const std::vector<uint8_t>& gif, size_t at) {
  while (at < gif.size()) {
    const size_t length = gif[at];
    at += 1 + length;
    if (length == 0) return at;
  }
  return 0;
}

// WIC's GIF encoder takes the delay and the loop through metadata writers, which some
// implementations (Wine's) refuse. So the encoded file is walked once, block by block:
// every frame's control extension gets the delay (one is added where the encoder wrote
// none), and the loop extension is added after the colour table unless there is one.
// The image data, which the encoder compressed, is copied as it is.
bool SetDelayAndLoop(const std::vector<uint8_t>& gif, uint16_t delay, std::vector<uint8_t>* out) {
  if (gif.size() < 13 || std::memcmp(gif.data(), "GIF89a", 6) != 0) return false;
  const uint8_t screen = gif[10];
  size_t at = 13 + ((screen & 0x80) != 0 ? 3u << ((screen & 7) + 1) : 0);
  if (at > gif.size()) return false;
  out->assign(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(at));
  const size_t loop_at = out->size();
  bool looped = false;
  bool controlled = false;  // a control extension stands before the next image
  while (at < gif.size()) {
    const uint8_t kind = gif[at];
    if (kind == 0x3B) {
      out->push_back(kind);
      if (!looped) {
        std::vector<uint8_t> loop;
        PutLoop(loop);
        out->insert(out->begin() + static_cast<std::ptrdiff_t>(loop_at), loop.begin(), loop.end());
      }
      return true;
    }
    size_t end = 0;
    if (kind == 0x21 && at + 1 < gif.size()) {
      end = SkipSubBlocks(gif, at + 2);
      if (end == 0) return false;
      const size_t from = out->size();
      out->insert(out->end(), gif.begin() + static_cast<std::ptrdiff_t>(at),
                  gif.begin() + static_cast<std::ptrdiff_t>(end));
      if (gif[at + 1] == 0xF9 && end - at == 8) {
        (*out)[from + 4] = static_cast<uint8_t>(delay);
        (*out)[from + 5] = static_cast<uint8_t>(delay >> 8);
        controlled = true;
      } else if (gif[at + 1] == 0xFF && end - at > 13 &&
                 std::memcmp(&gif[at + 3], "NETSCAPE2.0", 11) == 0) {
        looped = true;
      }
    } else if (kind == 0x2C && at + 10 < gif.size()) {
      const uint8_t image = gif[at + 9];
      const size_t data = at + 10 + ((image & 0x80) != 0 ? 3u << ((image & 7) + 1) : 0);
      // Past the descriptor, its colour table and the LZW code size come the data.
      end = data < gif.size() ? SkipSubBlocks(gif, data + 1) : 0;
      if (end == 0) return false;
      if (!controlled) PutControl(*out, delay);
      out->insert(out->end(), gif.begin() + static_cast<std::ptrdiff_t>(at),
                  gif.begin() + static_cast<std::ptrdiff_t>(end));
      controlled = false;
    } else {
      return false;
    }
    at = end;
  }
  return false;
}

}  // namespace

struct GifWriter::Encoder {
  // First, so that it is left last: the objects below must be released while COM is up.
  ScopedComApartment com{COINIT_MULTITHREADED};
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICPalette> palette;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t delay = 0;
};

GifWriter::GifWriter() = default;
GifWriter::~GifWriter() = default;

bool GifWriter::Begin(int32_t width, int32_t height, const GifPalette& palette, uint16_t delay_cs,
                      std::string* error) {
  encoder_ = std::make_unique<Encoder>();
  Encoder& e = *encoder_;
  e.width = width;
  e.height = height;
  e.delay = delay_cs;
  // WIC works in either apartment.
  if (!e.com.usable()) {
    *error = Failed("COM", e.com.result());
    return false;
  }
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&e.factory));
  if (FAILED(hr)) {
    *error = Failed("the imaging component", hr);
    return false;
  }
  hr = CreateStreamOnHGlobal(nullptr, TRUE, &e.stream);
  if (SUCCEEDED(hr)) hr = e.factory->CreateEncoder(GUID_ContainerFormatGif, nullptr, &e.encoder);
  if (SUCCEEDED(hr)) hr = e.encoder->Initialize(e.stream.Get(), WICBitmapEncoderNoCache);
  if (FAILED(hr)) {
    *error = Failed("the encoder", hr);
    return false;
  }
  WICColor colours[256];
  for (size_t i = 0; i < palette.size(); ++i) colours[i] = 0xFF000000u | palette[i];
  hr = e.factory->CreatePalette(&e.palette);
  if (SUCCEEDED(hr)) hr = e.palette->InitializeCustom(colours, 256);
  if (SUCCEEDED(hr)) hr = e.encoder->SetPalette(e.palette.Get());
  if (FAILED(hr)) {
    *error = Failed("the palette", hr);
    return false;
  }
  return true;
}

bool GifWriter::AddFrame(const uint8_t* indices, std::string* error) {
  Encoder& e = *encoder_;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  HRESULT hr = e.encoder->CreateNewFrame(&frame, &options);
  if (SUCCEEDED(hr)) hr = frame->Initialize(options.Get());
  if (SUCCEEDED(hr)) {
    hr = frame->SetSize(static_cast<UINT>(e.width), static_cast<UINT>(e.height));
  }
  WICPixelFormatGUID format = GUID_WICPixelFormat8bppIndexed;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
  // The encoder may offer a format other than the one asked for; indices are all there is.
  if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed)) {
    hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  }
  if (SUCCEEDED(hr)) hr = frame->SetPalette(e.palette.Get());
  if (SUCCEEDED(hr)) {
    const auto stride = static_cast<UINT>(e.width);
    hr = frame->WritePixels(static_cast<UINT>(e.height), stride,
                            stride * static_cast<UINT>(e.height), const_cast<BYTE*>(indices));
  }
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (FAILED(hr)) {
    *error = Failed("a frame", hr);
    return false;
  }
  return true;
}

// The encoder's stream is walked once at the end (SetDelayAndLoop), so it cannot be
// handed out before.
void GifWriter::TakeEncoded(std::vector<uint8_t>* bytes) { bytes->clear(); }

bool GifWriter::Finish(std::vector<uint8_t>* gif, std::string* error) {
  Encoder& e = *encoder_;
  HRESULT hr = e.encoder->Commit();
  STATSTG stat{};
  if (SUCCEEDED(hr)) hr = e.stream->Stat(&stat, STATFLAG_NONAME);
  HGLOBAL memory = nullptr;
  if (SUCCEEDED(hr)) hr = GetHGlobalFromStream(e.stream.Get(), &memory);
  if (FAILED(hr)) {
    *error = Failed("the file", hr);
    return false;
  }
  const auto size = static_cast<size_t>(stat.cbSize.QuadPart);
  std::vector<uint8_t> encoded;
  {
    const ScopedGlobalLock locked(memory);
    if (locked.bytes() == nullptr) throw std::bad_alloc();
    const auto* first = static_cast<const uint8_t*>(locked.bytes());
    encoded.assign(first, first + size);
  }
  if (!SetDelayAndLoop(encoded, e.delay, gif)) {
    *error = "cannot encode the GIF: the encoder wrote a file that is not GIF89a";
    return false;
  }
  return true;
}
