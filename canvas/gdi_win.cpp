#include "canvas/gdi_win.h"

#include <array>
#include <atomic>

namespace gdi {
namespace {

std::atomic<std::int32_t> g_live_objects{0};
std::atomic<std::int32_t> g_live_dcs{0};
std::atomic<std::int32_t> g_fail_after{-1};

// True when the seam says this creation is to fail; sets the error the platform would.
bool CreationFails() {
  std::int32_t left = g_fail_after.load();
  while (left >= 0) {
    if (g_fail_after.compare_exchange_weak(left, left - 1)) {
      if (left != 0) return false;
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return true;
    }
  }
  return false;
}

// The stock objects, indices 0 to 31: the documented ones and the internal 1 x 1 bitmap
// that memory DCs start with and that a zero-sized compatible bitmap returns.
const std::array<HGDIOBJ, 32>& StockObjects() {
  static const std::array<HGDIOBJ, 32> stock = [] {
    std::array<HGDIOBJ, 32> all{};
    for (int i = 0; i < 32; ++i) all[i] = GetStockObject(i);
    return all;
  }();
  return stock;
}

template <typename T>
T Counted(T object, std::atomic<std::int32_t>& live) {
  if (object != nullptr && !IsStockObject(object)) ++live;
  return object;
}

}  // namespace

LiveCounts Live() { return LiveCounts{g_live_objects.load(), g_live_dcs.load()}; }

bool IsStockObject(HGDIOBJ object) {
  if (object == nullptr) return false;
  for (HGDIOBJ stock : StockObjects()) {
    if (stock == object) return true;
  }
  return false;
}

HDC GetWindowDC(HWND window) {
  if (CreationFails()) return nullptr;
  HDC dc = ::GetDC(window);
  if (dc != nullptr) ++g_live_dcs;
  return dc;
}

BOOL ReleaseWindowDC(HWND window, HDC dc) {
  const BOOL released = ::ReleaseDC(window, dc);
  if (released) --g_live_dcs;
  return released;
}

HDC CreateMemoryDC(HDC compatible_with) {
  if (CreationFails()) return nullptr;
  HDC dc = ::CreateCompatibleDC(compatible_with);
  if (dc != nullptr) ++g_live_dcs;
  return dc;
}

BOOL DeleteMemoryDC(HDC dc) {
  const BOOL deleted = ::DeleteDC(dc);
  if (deleted) --g_live_dcs;
  return deleted;
}

HBITMAP CreateBitmap(HDC compatible_with, int width, int height) {
  if (CreationFails()) return nullptr;
  return Counted(::CreateCompatibleBitmap(compatible_with, width, height), g_live_objects);
}

HBRUSH CreateBrush(COLORREF color) {
  if (CreationFails()) return nullptr;
  return Counted(::CreateSolidBrush(color), g_live_objects);
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (CreationFails()) return nullptr;
  return Counted(::CreatePen(style, width, color), g_live_objects);
}

HFONT CreateFont(const LOGFONTA& description) {
  if (CreationFails()) return nullptr;
  return Counted(::CreateFontIndirectA(&description), g_live_objects);
}

HGDIOBJ Adopt(HGDIOBJ object) { return Counted(object, g_live_objects); }

void Disown(HGDIOBJ object) {
  if (object != nullptr && !IsStockObject(object)) --g_live_objects;
}

BOOL DeleteObject(HGDIOBJ object) {
  const bool stock = IsStockObject(object);
  const BOOL deleted = ::DeleteObject(object);
  if (deleted && !stock && object != nullptr) --g_live_objects;
  return deleted;
}

void FailCreation(std::int32_t after) { g_fail_after.store(after); }

}  // namespace gdi
