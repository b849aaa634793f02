#include <windows.h>

#include <propvarutil.h>
#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include "tests/app/gif_decode.h"

using Microsoft::WRL::ComPtr;

namespace {

std::string Failed(const char* what, HRESULT hr) {
  return std::string(what) + " failed, HRESULT " + std::to_string(static_cast<unsigned long>(hr));
}

}  // namespace

bool DecodeGif(const std::vector<uint8_t>& bytes, DecodedGif* gif, std::string* error) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  bool ok = false;
  {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size())));
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&factory));
    if (SUCCEEDED(hr)) {
      hr = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                            &decoder);
    }
    UINT count = 0;
    if (SUCCEEDED(hr)) hr = decoder->GetFrameCount(&count);
    for (UINT i = 0; SUCCEEDED(hr) && i < count; ++i) {
      ComPtr<IWICBitmapFrameDecode> frame;
      ComPtr<IWICPalette> palette;
      ComPtr<IWICMetadataQueryReader> metadata;
      UINT w = 0;
      UINT h = 0;
      hr = decoder->GetFrame(i, &frame);
      if (SUCCEEDED(hr)) hr = frame->GetSize(&w, &h);
      if (SUCCEEDED(hr)) hr = factory->CreatePalette(&palette);
      if (SUCCEEDED(hr)) hr = frame->CopyPalette(palette.Get());
      WICColor colours[256] = {};
      UINT used = 0;
      if (SUCCEEDED(hr)) hr = palette->GetColors(256, colours, &used);
      std::vector<BYTE> indices(static_cast<size_t>(w) * h);
      if (SUCCEEDED(hr))
        hr = frame->CopyPixels(nullptr, w, static_cast<UINT>(indices.size()), indices.data());
      PROPVARIANT delay;
      PropVariantInit(&delay);
      if (SUCCEEDED(hr)) hr = frame->GetMetadataQueryReader(&metadata);
      if (SUCCEEDED(hr)) hr = metadata->GetMetadataByName(L"/grctlext/Delay", &delay);
      if (FAILED(hr)) {
        *error = Failed("reading a frame", hr);
        break;
      }
      std::vector<uint32_t> pixels(indices.size());
      for (size_t k = 0; k < indices.size(); ++k) pixels[k] = colours[indices[k]] & 0xFFFFFFu;
      gif->width = static_cast<int32_t>(w);
      gif->height = static_cast<int32_t>(h);
      gif->frames.push_back(std::move(pixels));
      gif->delays.push_back(delay.vt == VT_UI2 ? delay.uiVal : 0xFFFFFFFFu);
      PropVariantClear(&delay);
    }
    if (FAILED(hr) && error->empty()) *error = Failed("decoding", hr);
    ok = SUCCEEDED(hr);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return ok;
}
