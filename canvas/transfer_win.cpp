// Pixel transfer between layers and the pixel buffers, bitmap files, and the
// clipboard copy of the composed picture.
#include "canvas/transfer_win.h"

#include <stdexcept>

#include "canvas/gdi_win.h"
#include "canvas/icg.h"
#include "support/scoped_win.h"

namespace {

// How long CopyToClipboard keeps trying to open a clipboard that another program holds
// for a moment (on X11 Wine holds it while it answers a selection request).
constexpr int kClipboardAttempts = 10;
constexpr DWORD kClipboardRetryMs = 20;

}  // namespace

BITMAPINFO PixelBufferInfo(std::int32_t width, std::int32_t height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: rows bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

bool ReadBitmapBits(HDC dc, HBITMAP bitmap, std::int32_t width, std::int32_t height,
                    std::uint32_t* pixels) {
  BITMAPINFO info = PixelBufferInfo(width, height);
  return GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS) != 0;
}

bool WriteBitmapBits(HDC dc, HBITMAP bitmap, std::int32_t width, std::int32_t height,
                     const std::uint32_t* pixels) {
  BITMAPINFO info = PixelBufferInfo(width, height);
  return SetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels, &info, DIB_RGB_COLORS) != 0;
}

bool CICG::TransferLayerBits(const ICGLayer& layer, std::uint32_t* pixels, bool write) {
  const auto transfer = [&] {
    return write ? WriteBitmapBits(window_dc, layer.bitmap, width, height, pixels)
                 : ReadBitmapBits(window_dc, layer.bitmap, width, height, pixels);
  };
  // GDI must not have the bitmap selected while its bits are read or set: a drawing DC
  // that holds it is parked on the stock 1 x 1 bitmap meanwhile. Only then, since
  // selecting a canvas-sized bitmap back costs Wine a quarter of a millisecond.
  if (GetCurrentObject(draw_dc, OBJ_BITMAP) != layer.bitmap) return transfer();
  gdi::Bitmap parking(gdi::CreateBitmap(draw_dc, 0, 0));
  if (!parking) return false;
  gdi::Selection parked(draw_dc, parking.get());
  if (!parked) return false;
  return transfer();
}

std::int32_t CICG::_get_dib_src(std::int32_t number) {
  const ICGLayer* layer = FindLayer(number);
  if (layer == nullptr) throw std::logic_error("CICG::_get_dib_src : player_src is NULL");
  return TransferLayerBits(*layer, src_buffer, /*write=*/false) ? 1 : 0;
}

std::int32_t CICG::_set_dib_dst(std::int32_t number) {
  const ICGLayer* layer = FindLayer(number);
  if (layer == nullptr) throw std::logic_error("CICG::_set_dib_dst : player_dst is NULL");
  return TransferLayerBits(*layer, dst_buffer, /*write=*/true) ? 1 : 0;
}

std::int32_t CICG::DrawBitmap(HBITMAP bitmap) {
  BITMAP size;
  if (GetObjectA(bitmap, sizeof size, &size) == 0) return 0;
  gdi::MemoryDC source(draw_dc.get());
  if (!source) return 0;
  // The bitmap stays the caller's: it is only lent to the temporary DC.
  gdi::Selection lent(source.get(), bitmap);
  if (!lent) return 0;
  return BitBlt(draw_dc, 0, 0, size.bmWidth, size.bmHeight, source.get(), 0, 0, SRCCOPY) ? 1 : 0;
}

HBITMAP CICG::LoadBitmapFile(const char* path) {
  HANDLE image = LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  return static_cast<HBITMAP>(gdi::Adopt(image));
}

gdi::Bitmap CICG::CopyPicture() {
  // The frame thread composes into compose_dc under this lock; holding it here makes
  // the copy one whole frame, never one caught halfway.
  ScopedCriticalSection hold(canvas_lock);
  gdi::Bitmap copy;
  gdi::MemoryDC memory(compose_dc.get());
  if (!memory) return copy;
  copy.reset(gdi::CreateBitmap(compose_dc, width, height));
  if (!copy) return copy;
  gdi::Selection target(memory.get(), copy.get());
  if (!target || !BitBlt(memory.get(), 0, 0, width, height, compose_dc, 0, 0, SRCCOPY) ||
      !target.restore()) {
    copy.reset();
  }
  return copy;
}

CICG::HandOver CICG::HandToClipboard(HWND owner, gdi::Bitmap& picture) {
  if (!OpenClipboard(owner)) return HandOver::kBusy;
  if (!EmptyClipboard() || SetClipboardData(CF_BITMAP, picture.get()) == nullptr) {
    const DWORD code = GetLastError();
    CloseClipboard();
    SetLastError(code);
    return HandOver::kFailed;
  }
  // The clipboard owns the bitmap from here on.
  gdi::Disown(picture.release());
  return CloseClipboard() ? HandOver::kDone : HandOver::kFailed;
}

std::int32_t CICG::CopyToClipboard() {
  gdi::Bitmap picture = CopyPicture();
  if (!picture) return 0;
  for (int attempt = 0;; ++attempt) {
    const HandOver result = HandToClipboard(window, picture);
    if (result != HandOver::kBusy) return result == HandOver::kDone ? 1 : 0;
    if (attempt + 1 == kClipboardAttempts) return 0;
    Sleep(kClipboardRetryMs);
  }
}
