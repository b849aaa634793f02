// The matrix classes: a dense matrix template and its two fixed-shape 2-D forms.
//
// Positions are homogeneous row vectors (x, y, 1) and an operator acts on a position p
// as the product p x M, so a translation lives in the operator's last row. Every
// refusal throws one of the constant texts of support/errors.h as `const char*` and
// leaves the operands as they were.
//
// Moving a matrix leaves the source without elements (0 x 0). Such a matrix may be
// destroyed or given a new value by assignment, which is what std::swap and the
// standard containers need; any other use of it is refused like an empty matrix's.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "geometry/slot_storage.h"
#include "support/errors.h"

template <typename T>
class CMatrix {
 public:
  // rows x cols elements, all 0. A negative shape, or one with more elements than a
  // 32-bit flat index reaches, is refused with the allocation text.
  CMatrix(std::int32_t rows, std::int32_t cols);
  CMatrix(const CMatrix& other);
  CMatrix(CMatrix&& other) noexcept;
  virtual ~CMatrix();

  // Every element 0. The 2-D forms restore their own neutral value instead.
  virtual void Reset();

  // Shapes must be equal; only a matrix moved from (0 x 0) takes the other's shape
  // instead.
  CMatrix& operator=(const CMatrix& other);
  CMatrix& operator=(CMatrix&& other);

  std::int32_t GetRows() const noexcept { return rows_; }
  std::int32_t GetCols() const noexcept { return cols_; }

  // Only the flat index row x cols + col is tested, so (0, 4) of a 3 x 3 matrix is
  // element (1, 1).
  T Get(std::int32_t row, std::int32_t col) const;
  void Set(std::int32_t row, std::int32_t col, T value);

  // L x R, with L's column count equal to R's row count. Each element is summed from
  // k = 0 upward in T, starting at 0.
  CMatrix operator*(const CMatrix& right) const;

  // Same shape and every element equal as T (so 0 equals -0, and NaN equals nothing).
  friend bool operator==(const CMatrix& a, const CMatrix& b) {
    return a.rows_ == b.rows_ && a.cols_ == b.cols_ &&
           std::equal(a.elements_.get(), a.elements_.get() + a.Size(), b.elements_.get());
  }

 private:
  std::size_t Size() const noexcept {
    return static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_);
  }
  std::size_t FlatIndex(std::int32_t row, std::int32_t col, const char* refusal) const;
  void CopyElementsFrom(const CMatrix& other) noexcept;

  std::int32_t rows_;
  std::int32_t cols_;
  std::unique_ptr<T[]> elements_;
};

// The members are defined in matrix.cpp and instantiated there for float, so that the
// product's single-precision arithmetic is compiled with that file's floating-point
// options wherever it is called from.
extern template class CMatrix<float>;

// A 2-D position: a 1 x 3 matrix (x, y, w), w kept at 1 by every operation of the
// library.
class C2DPos : public CMatrix<float> {
 public:
  C2DPos();  // (0, 0, 1)
  C2DPos(float x, float y);
  // The matrix must be 1 x 3; its three elements are taken as they are, w included.
  explicit C2DPos(const CMatrix<float>& matrix);
  explicit C2DPos(CMatrix<float>&& matrix);
  C2DPos(const C2DPos&) = default;
  C2DPos(C2DPos&&) noexcept = default;
  C2DPos& operator=(const C2DPos&) = default;
  C2DPos& operator=(C2DPos&&) = default;
  ~C2DPos() override = default;

  // (0, 0, 1).
  void Reset() override;

  float X() const { return Get(0, 0); }
  float Y() const { return Get(0, 1); }
};

// A 2-D operator: a 3 x 3 matrix applied to a position p as p x M.
class C2DOpe : public CMatrix<float> {
 public:
  C2DOpe();                      // the identity
  C2DOpe(float tx, float ty);    // translation by (tx, ty)
  explicit C2DOpe(float angle);  // rotation by `angle` radians, counter-clockwise for y up
  static C2DOpe Translation(float tx, float ty) { return C2DOpe(tx, ty); }
  static C2DOpe Rotation(float angle) { return C2DOpe(angle); }
  C2DOpe(const C2DOpe&) = default;
  C2DOpe(C2DOpe&&) noexcept = default;
  C2DOpe& operator=(const C2DOpe&) = default;
  C2DOpe& operator=(C2DOpe&&) = default;
  ~C2DOpe() override = default;

  // The identity.
  void Reset() override;

  // `position` seen from this operator's origin: (x - tx, y - ty, 1). Only the
  // translation row is read, so a pure rotation leaves the position as it is.
  C2DPos Relative(const C2DPos& position) const;
};

// The position moved by the operator: position x op.
C2DPos operator*(const C2DPos& position, const C2DOpe& op);
C2DPos& operator*=(C2DPos& position, const C2DOpe& op);

// The operator that applies `first`, then `second`: first x second.
C2DOpe operator*(const C2DOpe& first, const C2DOpe& second);
