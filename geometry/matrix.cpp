#include "geometry/matrix.h"

#include <cmath>
#include <limits>
#include <utility>

namespace {

// The shape's element count, refused when it is negative or when a flat index of it
// would not fit in 32 bits (Get and Set compute flat indices from 32-bit operands).
std::size_t CheckedSize(std::int32_t rows, std::int32_t cols, const char* refusal) {
  const std::int64_t size = std::int64_t{rows} * std::int64_t{cols};
  if (rows < 0 || cols < 0 || size > std::numeric_limits<std::int32_t>::max()) throw refusal;
  return static_cast<std::size_t>(size);
}

template <typename T>
std::unique_ptr<T[]> AllocateElements(std::size_t size, const char* refusal) {
  std::unique_ptr<T[]> elements = geometry_detail::AllocateSlots<T>(size);
  if (!elements) throw refusal;
  return elements;
}

}  // namespace

template <typename T>
CMatrix<T>::CMatrix(std::int32_t rows, std::int32_t cols)
    : rows_(rows),
      cols_(cols),
      elements_(
          AllocateElements<T>(CheckedSize(rows, cols, kMatrixAllocFailed), kMatrixAllocFailed)) {}

template <typename T>
CMatrix<T>::CMatrix(const CMatrix& other)
    : rows_(other.rows_),
      cols_(other.cols_),
      elements_(AllocateElements<T>(other.Size(), kMatrixCopyAllocFailed)) {
  CopyElementsFrom(other);
}

template <typename T>
CMatrix<T>::CMatrix(CMatrix&& other) noexcept
    : rows_(std::exchange(other.rows_, 0)),
      cols_(std::exchange(other.cols_, 0)),
      elements_(std::move(other.elements_)) {}

template <typename T>
CMatrix<T>::~CMatrix() = default;

template <typename T>
void CMatrix<T>::Reset() {
  std::fill(elements_.get(), elements_.get() + Size(), T(0));
}

template <typename T>
CMatrix<T>& CMatrix<T>::operator=(const CMatrix& other) {
  if (this == &other) return *this;
  if (rows_ == other.rows_ && cols_ == other.cols_) {
    CopyElementsFrom(other);
  } else if (rows_ == 0 && cols_ == 0) {
    std::unique_ptr<T[]> elements = AllocateElements<T>(other.Size(), kMatrixCopyAllocFailed);
    std::copy(other.elements_.get(), other.elements_.get() + other.Size(), elements.get());
    elements_ = std::move(elements);
    rows_ = other.rows_;
    cols_ = other.cols_;
  } else {
    throw kMatrixAssignMismatch;
  }
  return *this;
}

// Not noexcept: a matrix of another shape is refused, moved or not.
template <typename T>
// NOLINTNEXTLINE(performance-noexcept-move-constructor,bugprone-exception-escape)
CMatrix<T>& CMatrix<T>::operator=(CMatrix&& other) {
  if (this == &other) return *this;
  const bool moved_from = rows_ == 0 && cols_ == 0;
  if ((rows_ != other.rows_ || cols_ != other.cols_) && !moved_from) throw kMatrixAssignMismatch;
  rows_ = std::exchange(other.rows_, 0);
  cols_ = std::exchange(other.cols_, 0);
  elements_ = std::move(other.elements_);
  return *this;
}

template <typename T>
std::size_t CMatrix<T>::FlatIndex(std::int32_t row, std::int32_t col, const char* refusal) const {
  // In 64 bits: a row far outside the matrix must be refused, not wrap into it.
  const std::int64_t flat = std::int64_t{row} * cols_ + col;
  if (flat < 0 || flat >= static_cast<std::int64_t>(Size())) throw refusal;
  return static_cast<std::size_t>(flat);
}

template <typename T>
T CMatrix<T>::Get(std::int32_t row, std::int32_t col) const {
  return elements_[FlatIndex(row, col, kMatrixGetOutOfRange)];
}

template <typename T>
void CMatrix<T>::Set(std::int32_t row, std::int32_t col, T value) {
  elements_[FlatIndex(row, col, kMatrixSetOutOfRange)] = value;
}

template <typename T>
CMatrix<T> CMatrix<T>::operator*(const CMatrix& right) const {
  if (cols_ != right.rows_) throw kMatrixMultiplyMismatch;
  CMatrix result(rows_, right.cols_);
  const std::size_t inner = static_cast<std::size_t>(cols_);
  const std::size_t out_cols = static_cast<std::size_t>(right.cols_);
  for (std::size_t j = 0; j < static_cast<std::size_t>(rows_); ++j) {
    for (std::size_t i = 0; i < out_cols; ++i) {
      T sum = T(0);
      for (std::size_t k = 0; k < inner; ++k) {
        sum += elements_[j * inner + k] * right.elements_[k * out_cols + i];
      }
      result.elements_[j * out_cols + i] = sum;
    }
  }
  return result;
}

template <typename T>
void CMatrix<T>::CopyElementsFrom(const CMatrix& other) noexcept {
  std::copy(other.elements_.get(), other.elements_.get() + other.Size(), elements_.get());
}

template class CMatrix<float>;

// ---- C2DPos

namespace {

void RequirePositionShape(const CMatrix<float>& matrix) {
  if (matrix.GetRows() != 1 || matrix.GetCols() != 3) throw kPosShapeMismatch;
}

const CMatrix<float>& PositionShaped(const CMatrix<float>& matrix) {
  RequirePositionShape(matrix);
  return matrix;
}

// The shape is checked before anything is taken, so a refused matrix keeps its elements.
CMatrix<float>&& PositionShaped(CMatrix<float>&& matrix) {
  RequirePositionShape(matrix);
  return std::move(matrix);
}

}  // namespace

C2DPos::C2DPos() : CMatrix<float>(1, 3) { Set(0, 2, 1.0f); }

C2DPos::C2DPos(float x, float y) : CMatrix<float>(1, 3) {
  Set(0, 0, x);
  Set(0, 1, y);
  Set(0, 2, 1.0f);
}

C2DPos::C2DPos(const CMatrix<float>& matrix) : CMatrix<float>(PositionShaped(matrix)) {}

C2DPos::C2DPos(CMatrix<float>&& matrix) : CMatrix<float>(PositionShaped(std::move(matrix))) {}

void C2DPos::Reset() {
  CMatrix<float>::Reset();
  Set(0, 2, 1.0f);
}

// ---- C2DOpe

C2DOpe::C2DOpe() : CMatrix<float>(3, 3) { C2DOpe::Reset(); }

C2DOpe::C2DOpe(float tx, float ty) : C2DOpe() {
  Set(2, 0, tx);
  Set(2, 1, ty);
}

C2DOpe::C2DOpe(float angle) : C2DOpe() {
  // Computed in double from the float angle, then stored: the operator's elements are
  // the nearest floats to the true cosine and sine.
  const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
  const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
  Set(0, 0, c);
  Set(0, 1, s);
  Set(1, 0, -s);
  Set(1, 1, c);
}

void C2DOpe::Reset() {
  CMatrix<float>::Reset();
  for (std::int32_t d = 0; d < 3; ++d) Set(d, d, 1.0f);
}

C2DPos C2DOpe::Relative(const C2DPos& position) const {
  return C2DPos(position.X() - Get(2, 0), position.Y() - Get(2, 1));
}

C2DPos operator*(const C2DPos& position, const C2DOpe& op) {
  return C2DPos(static_cast<const CMatrix<float>&>(position) * op);
}

C2DPos& operator*=(C2DPos& position, const C2DOpe& op) {
  position = position * op;
  return position;
}

C2DOpe operator*(const C2DOpe& first, const C2DOpe& second) {
  C2DOpe result;
  static_cast<CMatrix<float>&>(result) = static_cast<const CMatrix<float>&>(first) * second;
  return result;
}
