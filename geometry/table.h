// CITable: a growable list on a CIArray. Slots 0 to count - 1 are in use; the rest of
// the capacity is spare and keeps whatever it last held.
//
// The count never exceeds the capacity: Resize and Attach to a smaller capacity cut
// the count down to it. Through the array interface a table keeps its count, and At,
// Equals and array assignment see every slot, spare ones included.
//
// Equality of elements is T's ==: positions by shape and float elements, enumerations
// and pointers by value.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>

#include "geometry/array.h"
#include "geometry/slot_storage.h"
#include "support/errors.h"

template <typename T>
class CITable : public CIArray<T> {
 public:
  // An empty table with room for `capacity` elements. `step` is the growth: 0 doubles
  // the capacity, anything else is added to it.
  explicit CITable(std::uint32_t capacity = 0, std::uint32_t step = 0)
      : CIArray<T>(capacity), step_(step), count_(0) {}

  // Only the elements in use are copied: the copy's capacity is the other's count.
  CITable(const CITable& other)
      : CIArray<T>(other.count_), step_(other.step_), count_(other.count_) {
    std::copy(other.Slots(), other.Slots() + count_, this->Slots());
  }

  // Leaves `other` empty with no slots; its step stays.
  CITable(CITable&& other) noexcept
      : CIArray<T>(std::move(other)), step_(other.step_), count_(std::exchange(other.count_, 0)) {}

  ~CITable() override = default;

  void Resize(std::uint32_t capacity) override {
    CIArray<T>::Resize(capacity);
    count_ = std::min(count_, capacity);
  }

  void Attach(std::unique_ptr<T[]> storage, std::uint32_t capacity) override {
    CIArray<T>::Attach(std::move(storage), capacity);
    count_ = std::min(count_, this->Capacity());
  }

  // Enlarges the capacity by the step (or doubles it; 0 becomes 1) and keeps the
  // elements in use. CIRangeError code 0x503 with the old capacity when the capacity
  // cannot grow within 32 bits; CIMemoryError code 0x502 when the storage cannot be
  // allocated. Either leaves the table as it was.
  virtual void Grow() {
    const std::uint32_t old_capacity = this->Capacity();
    const std::uint32_t new_capacity = NextCapacity(old_capacity);
    if (new_capacity <= old_capacity) throw CIRangeError(error_code::kTableGrowth, old_capacity);
    std::unique_ptr<T[]> fresh = this->MakeSlots(new_capacity, error_code::kTableMemory);
    geometry_detail::TransferSlots(this->Slots(), count_, fresh.get());
    this->Adopt(std::move(fresh), new_capacity);
  }

  // The slot after the last element in use.
  virtual T* End() { return this->Slots() + count_; }
  const T* End() const { return this->Slots() + count_; }

  virtual std::uint32_t GetCount() const { return count_; }

  // An element in use; CIRangeError code 0x501 with the index otherwise.
  virtual T& Item(std::uint32_t index) {
    CheckInUse(index);
    return this->Slots()[index];
  }
  const T& Item(std::uint32_t index) const {
    CheckInUse(index);
    return this->Slots()[index];
  }

  // Assignment from an array, through the array's interface, stays reachable.
  using CIArray<T>::operator=;

  // Takes a copy of the other's elements in use. A capacity that holds them is kept;
  // a smaller one is replaced by exactly the other's count (CIMemoryError code 0x502
  // when that storage cannot be allocated, leaving this table as it was). The step is
  // this table's own and stays.
  virtual CITable& operator=(const CITable& other) {
    if (this == &other) return *this;
    if (this->Capacity() < other.count_) {
      std::unique_ptr<T[]> fresh = this->MakeSlots(other.count_, error_code::kTableMemory);
      std::copy(other.Slots(), other.Slots() + other.count_, fresh.get());
      this->Adopt(std::move(fresh), other.count_);
      count_ = other.count_;
    } else {
      // The count follows the copy, so an element copy that throws leaves only what
      // was copied in use.
      count_ = 0;
      for (const T& element : other) {
        this->Slots()[count_] = element;
        ++count_;
      }
    }
    return *this;
  }

  // Capacity and storage stay for the next elements.
  virtual void Clear() { count_ = 0; }

  // Appends a copy of `element`, growing first when the table is full; returns the
  // new count. `element` may be one of this table's own elements.
  virtual std::uint32_t Add(const T& element) {
    if (count_ >= this->Capacity()) {
      // Growing releases the storage that `element` may live in.
      T kept(element);
      Grow();
      this->Slots()[count_] = std::move(kept);
    } else {
      this->Slots()[count_] = element;
    }
    return ++count_;
  }

  // The index of the first element in use equal to `element`, or -1. Spare slots
  // never match.
  virtual std::int32_t Find(const T& element) const {
    for (std::uint32_t i = 0; i < count_; ++i) {
      if (this->Slots()[i] == element) return static_cast<std::int32_t>(i);
    }
    return -1;
  }

  virtual bool IsEmpty() const { return count_ == 0; }

  std::uint32_t GetStep() const noexcept { return step_; }

  // The elements in use, for range-for.
  T* begin() noexcept { return this->Slots(); }
  T* end() noexcept { return this->Slots() + count_; }
  const T* begin() const noexcept { return this->Slots(); }
  const T* end() const noexcept { return this->Slots() + count_; }

 private:
  std::uint32_t NextCapacity(std::uint32_t capacity) const noexcept {
    constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
    if (step_ != 0) return capacity + step_;  // wraps; Grow refuses what did not grow
    if (capacity == 0) return 1;
    return capacity > kMax / 2 ? kMax : capacity * 2;
  }

  void CheckInUse(std::uint32_t index) const {
    if (index >= count_) throw CIRangeError(error_code::kTableIndex, index);
  }

  std::uint32_t step_;
  std::uint32_t count_;
};
