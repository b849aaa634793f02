// CIArray: a fixed-capacity array that owns its slots.
//
// Every slot exists and holds a value: slots are value-initialised when storage is
// made, so a new slot of positions is (0, 0, 1) and one of an enumeration or a pointer
// type is 0 or null. Equals reads every slot, so none may be left indeterminate.
//
// The virtual operations keep the library's slot order (the destructor, Resize, Attach,
// GetCapacity, At, assignment, Equals); CITable continues it. Failures raise
// CIRangeError and CIMemoryError with the codes of support/errors.h and leave the
// array as it was.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include "geometry/slot_storage.h"
#include "support/errors.h"

template <typename T>
class CIArray {
 public:
  // `capacity` slots; CIMemoryError code 2 when they cannot be allocated.
  explicit CIArray(std::uint32_t capacity = 0)
      : capacity_(capacity), items_(MakeSlots(capacity, error_code::kArrayMemory)) {}

  // Every slot is copied, spare or not.
  CIArray(const CIArray& other)
      : capacity_(other.capacity_), items_(MakeSlots(other.capacity_, error_code::kArrayMemory)) {
    std::copy(other.items_.get(), other.items_.get() + capacity_, items_.get());
  }

  // Leaves `other` with no slots (capacity 0).
  CIArray(CIArray&& other) noexcept
      : capacity_(std::exchange(other.capacity_, 0)), items_(std::move(other.items_)) {}

  virtual ~CIArray() = default;

  // New storage of `capacity` slots, keeping the first min(old, new) elements; the
  // slots beyond the old capacity are new (default) values. CIMemoryError code 2 when
  // the storage cannot be allocated.
  virtual void Resize(std::uint32_t capacity) {
    std::unique_ptr<T[]> fresh = MakeSlots(capacity, error_code::kArrayMemory);
    geometry_detail::TransferSlots(items_.get(), std::min(capacity, capacity_), fresh.get());
    Adopt(std::move(fresh), capacity);
  }

  // Releases the current storage and owns `storage` instead, which must hold
  // `capacity` slots made with new[]. Null storage leaves the array with no slots,
  // whatever capacity came with it.
  virtual void Attach(std::unique_ptr<T[]> storage, std::uint32_t capacity) {
    const std::uint32_t held = storage ? capacity : 0;
    Adopt(std::move(storage), held);
  }

  virtual std::uint32_t GetCapacity() const { return capacity_; }

  // Any slot below the capacity, spare or not; CIRangeError code 1 with the index
  // otherwise.
  virtual T& At(std::uint32_t index) {
    CheckSlot(index);
    return items_[index];
  }
  const T& At(std::uint32_t index) const {
    CheckSlot(index);
    return items_[index];
  }

  // Takes the other's capacity (through Resize, so a table keeps its count within it)
  // and a copy of every slot.
  virtual CIArray& operator=(const CIArray& other) {
    if (this != &other) {
      Resize(other.capacity_);
      std::copy(other.items_.get(), other.items_.get() + other.capacity_, items_.get());
    }
    return *this;
  }

  // Equal capacities and every slot equal to its counterpart (spare slots included).
  virtual bool Equals(const CIArray& other) const {
    return capacity_ == other.capacity_ &&
           std::equal(items_.get(), items_.get() + capacity_, other.items_.get());
  }

 protected:
  static std::unique_ptr<T[]> MakeSlots(std::uint32_t count, std::int32_t memory_code) {
    std::unique_ptr<T[]> slots = geometry_detail::AllocateSlots<T>(count);
    if (!slots) throw CIMemoryError(memory_code);
    return slots;
  }

  // Replaces the storage without touching anything a derived class keeps.
  void Adopt(std::unique_ptr<T[]> storage, std::uint32_t capacity) noexcept {
    items_ = std::move(storage);
    capacity_ = capacity;
  }

  std::uint32_t Capacity() const noexcept { return capacity_; }
  T* Slots() noexcept { return items_.get(); }
  const T* Slots() const noexcept { return items_.get(); }

 private:
  void CheckSlot(std::uint32_t index) const {
    if (index >= capacity_) throw CIRangeError(error_code::kArrayIndex, index);
  }

  std::uint32_t capacity_;
  std::unique_ptr<T[]> items_;
};
