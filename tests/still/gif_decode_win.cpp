#include <windows.h>

#include <propvarutil.h>
#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <stdexcept>
#include <string>

#include "tests/still/gif_decode.h"

using Microsoft::WRL::ComPtr;

namespace {

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) throw std::runtime_error(std::string(what) + " failed: " + std::to_string(hr));
}

}  // namespace

DecodedGif DecodeGif(const std::vector<uint8_t>& bytes) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // the test's thread keeps COM to its end
  ComPtr<IWICImagingFactory> factory;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_PPV_ARGS(&factory)),
        "CoCreateInstance");
  ComPtr<IStream> stream;
  stream.Attach(SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size())));
  ComPtr<IWICBitmapDecoder> decoder;
  Check(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                         &decoder),
        "CreateDecoderFromStream");
  UINT count = 0;
  Check(decoder->GetFrameCount(&count), "GetFrameCount");
  DecodedGif gif;
  for (UINT i = 0; i < count; ++i) {
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> pixels;
    ComPtr<IWICMetadataQueryReader> metadata;
    UINT w = 0, h = 0;
    Check(decoder->GetFrame(i, &frame), "GetFrame");
    Check(frame->GetSize(&w, &h), "GetSize");
    Check(factory->CreateFormatConverter(&pixels), "CreateFormatConverter");
    Check(pixels->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                             nullptr, 0, WICBitmapPaletteTypeCustom),
          "the conversion");
    std::vector<uint32_t> colours(static_cast<size_t>(w) * h);
    Check(pixels->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE*>(colours.data())),
          "CopyPixels");
    for (uint32_t& c : colours) c &= 0xFFFFFFu;
    PROPVARIANT delay;
    PropVariantInit(&delay);
    Check(frame->GetMetadataQueryReader(&metadata), "GetMetadataQueryReader");
    Check(metadata->GetMetadataByName(L"/grctlext/Delay", &delay), "the delay");
    gif.width = static_cast<int32_t>(w);
    gif.height = static_cast<int32_t>(h);
    gif.frames.push_back(std::move(colours));
    gif.delays.push_back(delay.vt == VT_UI2 ? delay.uiVal : 0);
  }
  return gif;
}
