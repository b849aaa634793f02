// A canvas layer: one window-sized bitmap and how the composition puts it on the picture.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

// A 32-bit word that two threads share without a lock: every read and write is one
// whole access that the compiler may neither tear nor keep in a register. Copying the
// holder copies the value, so records holding it stay plain to copy. Relaxed order is
// enough: such a word carries no other data with it.
template <typename T>
class SharedWord {
 public:
  constexpr SharedWord(T value = T{}) noexcept : value_(value) {}  // NOLINT: implicit by design
  SharedWord(const SharedWord& other) noexcept : value_(other.load()) {}
  SharedWord& operator=(const SharedWord& other) noexcept {
    store(other.load());
    return *this;
  }
  SharedWord& operator=(T value) noexcept {
    store(value);
    return *this;
  }
  operator T() const noexcept { return load(); }  // NOLINT: reads like the plain field

  T load() const noexcept { return value_.load(std::memory_order_relaxed); }
  void store(T value) noexcept { value_.store(value, std::memory_order_relaxed); }

 private:
  std::atomic<T> value_;
};

// Composition modes of a layer; any other value is treated as hidden.
namespace icg_mode {
inline constexpr std::int32_t kHidden = 0;
inline constexpr std::int32_t kCopy = 1;         // BitBlt with the layer's raster operation
inline constexpr std::int32_t kTransparent = 2;  // copy except the key colour
inline constexpr std::int32_t kRegionCopy = 3;   // scaled region of the picture, then as 2
inline constexpr std::int32_t kAlphaBlend = 4;   // mixed by the transparency percentage
inline constexpr std::int32_t kAdditive = 5;     // added, saturating
inline constexpr std::int32_t kStencil = 6;      // lets the source layer show through
}  // namespace icg_mode

// The layer record. Callers fill a description of this type for CreateLayer (every
// field but `number` and `bitmap`) and read and change the fields of a found layer
// directly, so its fifteen 32-bit fields keep this order.
struct ICGLayer {
  std::int32_t number;            // assigned by CreateLayer, never reused
  HBITMAP bitmap;                 // canvas-sized, owned by the canvas
  SharedWord<std::int32_t> mode;  // icg_mode; the window's thread switches it while
                                  // the frame thread composes
  std::uint32_t rop;              // raster operation of kCopy
  COLORREF key_color;             // transparent colour of modes 2 to 6
  RECT source_rect;               // region of modes 3 (picture), 4 and 5 (layer)
  RECT dest_rect;                 // where mode 3 puts the region in the layer
  std::uint32_t transparency;     // percent of the picture beneath kept by mode 4
  std::uint32_t source_layer;     // the layer that mode 6 lets through
};

static_assert(sizeof(SharedWord<std::int32_t>) == 4 && alignof(SharedWord<std::int32_t>) == 4 &&
                  std::atomic<std::int32_t>::is_always_lock_free,
              "a composition mode must stay one aligned, lock-free 32-bit word");
static_assert(sizeof(void*) != 4 || sizeof(ICGLayer) == 15 * 4,
              "the layer record is fifteen 32-bit fields");
// In a 64-bit build the bitmap handle is eight bytes, aligned to eight: four bytes of
// padding follow `number`, and the record is 72 bytes. The field order is the same.
static_assert(sizeof(void*) != 8 ||
                  (offsetof(ICGLayer, bitmap) == 8 && offsetof(ICGLayer, mode) == 16 &&
                   offsetof(ICGLayer, source_layer) == 64 && sizeof(ICGLayer) == 72),
              "the 64-bit layer record keeps the field order with the handle's padding");
