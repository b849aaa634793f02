// GDI objects and device contexts as the canvas library acquires them.
//
// Every creation and release of the library (and of the programs built on it) goes
// through these functions, which keep a count of the live objects and DCs. Wine's
// GetGuiResources always answers 0, so this count is what shows a leak there; on
// Windows the tests compare it with GetGuiResources as well.
//
// Stock objects (GetStockObject, and the 1 x 1 bitmap that CreateCompatibleBitmap gives
// for a size of 0) are never counted: deleting one is a no-op that succeeds.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace gdi {

// Live objects and DCs acquired through this header and not yet released.
struct LiveCounts {
  std::int32_t objects;  // bitmaps, brushes, pens, fonts
  std::int32_t dcs;      // memory DCs and window DCs

  bool operator==(const LiveCounts&) const = default;
};
LiveCounts Live();

HDC GetWindowDC(HWND window);                                      // GetDC
BOOL ReleaseWindowDC(HWND window, HDC dc);                         // ReleaseDC
HDC CreateMemoryDC(HDC compatible_with);                           // CreateCompatibleDC
BOOL DeleteMemoryDC(HDC dc);                                       // DeleteDC
HBITMAP CreateBitmap(HDC compatible_with, int width, int height);  // CreateCompatibleBitmap
HBRUSH CreateBrush(COLORREF color);                                // CreateSolidBrush
HPEN CreatePen(int style, int width, COLORREF color);
HFONT CreateFont(const LOGFONTA& description);  // CreateFontIndirectA
// Takes ownership of an object made elsewhere (LoadImageA, a clipboard bitmap) so that
// its deletion through DeleteObject below keeps the count right.
HGDIOBJ Adopt(HGDIOBJ object);
// Counts the object as released without deleting it: the clipboard took it over.
void Disown(HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);

bool IsStockObject(HGDIOBJ object);

// Test seam: the `after`-th counted creation from now fails (the first if 0) with the
// last error ERROR_NOT_ENOUGH_MEMORY, as an exhausted GDI heap fails it; -1 disarms.
// It is the only way to reach most failure paths of a construction on a healthy system.
void FailCreation(std::int32_t after);

// An owned GDI object of type T, deleted once. It reads as the handle it holds, so a
// record field that was a bare handle can become one without changing its callers.
template <typename T>
class Object {
 public:
  explicit Object(T object = nullptr) noexcept : object_(object) {}
  ~Object() { reset(); }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  Object(Object&& other) noexcept : object_(other.release()) {}
  Object& operator=(Object&& other) noexcept {
    if (this != &other) {
      reset();
      object_ = other.release();
    }
    return *this;
  }
  Object& operator=(std::nullptr_t) {
    reset();
    return *this;
  }

  T get() const { return object_; }
  operator T() const { return object_; }  // NOLINT(google-explicit-constructor)
  explicit operator bool() const { return object_ != nullptr; }
  T release() {
    T object = object_;
    object_ = nullptr;
    return object;
  }
  void reset(T object = nullptr) {
    if (object_ != nullptr) gdi::DeleteObject(object_);
    object_ = object;
  }

 private:
  T object_;
};

using Bitmap = Object<HBITMAP>;
using Brush = Object<HBRUSH>;
using Pen = Object<HPEN>;
using Font = Object<HFONT>;

// An owned memory DC, deleted once; reads as the DC it holds.
class MemoryDC {
 public:
  MemoryDC() noexcept : dc_(nullptr) {}
  // Creates the DC (null when that failed).
  explicit MemoryDC(HDC compatible_with) : dc_(CreateMemoryDC(compatible_with)) {}
  ~MemoryDC() { reset(); }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;

  HDC get() const { return dc_; }
  operator HDC() const { return dc_; }  // NOLINT(google-explicit-constructor)
  explicit operator bool() const { return dc_ != nullptr; }
  // Deletes the DC held, if any, and holds `dc`; false when the deletion failed.
  bool reset(HDC dc = nullptr) {
    const bool deleted = dc_ == nullptr || DeleteMemoryDC(dc_);
    dc_ = dc;
    return deleted;
  }

 private:
  HDC dc_;
};

// An owned window DC from GetWindowDC. The DC names its window (WindowFromDC), so the
// owner is the size of one handle; an owner that still knows the window releases the
// DC itself with release() and ReleaseWindowDC.
class WindowDC {
 public:
  explicit WindowDC(HDC dc = nullptr) noexcept : dc_(dc) {}
  ~WindowDC() { reset(); }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC get() const { return dc_; }
  operator HDC() const { return dc_; }  // NOLINT(google-explicit-constructor)
  explicit operator bool() const { return dc_ != nullptr; }
  HDC release() {
    HDC dc = dc_;
    dc_ = nullptr;
    return dc;
  }
  // Releases the DC held, if any, and holds `dc`; false when the release failed.
  bool reset(HDC dc = nullptr) {
    const bool released = dc_ == nullptr || ReleaseWindowDC(WindowFromDC(dc_), dc_);
    dc_ = dc;
    return released;
  }

 private:
  HDC dc_;
};

// Selects an object into a DC for a scope and puts the replaced one back at its end,
// so that the object can be deleted afterwards (a selected object cannot be).
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
  ~Selection() { restore(); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

  // False when the selection failed (the DC holds what it held before).
  explicit operator bool() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }
  // Puts the replaced object back now; true when that succeeded or nothing was selected.
  bool restore() {
    if (!*this) return true;
    const bool ok = SelectObject(dc_, previous_) != nullptr;
    previous_ = nullptr;
    return ok;
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace gdi
