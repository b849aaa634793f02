// Element storage for the matrices, arrays and tables.
//
// Allocation yields null instead of throwing std::bad_alloc, so that each class can
// raise its own documented error (a matrix text, or a CIMemoryError code) for a block
// that cannot be had.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace geometry_detail {

// `count` value-initialised elements: zeros for arithmetic, enumeration and pointer
// types, the default value for classes. Null when the block cannot be allocated,
// including when its size in bytes does not fit the address space (a 32-bit product
// asked for four billion positions). An element constructor that throws passes its
// exception on; the elements made so far are destroyed and the block released.
template <typename T>
std::unique_ptr<T[]> AllocateSlots(std::size_t count) {
  if (count > static_cast<std::size_t>(PTRDIFF_MAX) / sizeof(T)) return nullptr;
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]());
}

// Carries `count` elements into slots of a new block whose old block is released
// afterwards. Elements are moved only when that cannot throw: a copy that fails
// halfway leaves the old block whole, a move that failed would not.
template <typename T>
void TransferSlots(T* from, std::size_t count, T* to) {
  for (std::size_t i = 0; i < count; ++i) {
    if constexpr (std::is_nothrow_move_assignable_v<T>) {
      to[i] = std::move(from[i]);
    } else {
      to[i] = from[i];
    }
  }
}

}  // namespace geometry_detail
