#include "geometry/matrix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "tests/geometry/thrown.h"

namespace {

using geometry_test::Thrown;

// 1, 2, 3, ... in flat order, so that any element that moves or is lost shows.
CMatrix<float> Counting(std::int32_t rows, std::int32_t cols) {
  CMatrix<float> m(rows, cols);
  for (std::int32_t i = 0; i < rows * cols; ++i) m.Set(0, i, static_cast<float>(i + 1));
  return m;
}

std::vector<float> Elements(const CMatrix<float>& m) {
  std::vector<float> out;
  for (std::int32_t i = 0; i < m.GetRows() * m.GetCols(); ++i) out.push_back(m.Get(0, i));
  return out;
}

// The flat index row x columns + column is computed in 64 bits: 1431655766 x 3 + 2 would
// wrap to 0 in 32. Only a moved-from matrix takes another shape.
TEST(MatrixTest, AddressesByAFlatIndexAndRefusesOutsideItOrAnotherShape) {
  CMatrix<float> m = Counting(3, 3);
  EXPECT_EQ(6.0f, m.Get(2, -1));
  const std::pair<std::function<void()>, const char*> refused[] = {
      {[&] { m.Get(3, 0); }, kMatrixGetOutOfRange},
      {[&] { m.Get(0, -1); }, kMatrixGetOutOfRange},
      {[&] { m.Set(1431655766, 2, 0.0f); }, kMatrixSetOutOfRange},
      {[] { CMatrix<float>(-2, -2); }, kMatrixAllocFailed},
      {[] { CMatrix<float>(65536, 65536); }, kMatrixAllocFailed},
      {[&] { Counting(1, 3) * Counting(1, 3); }, kMatrixMultiplyMismatch},
      {[] { C2DPos(CMatrix<float>(3, 1)); }, kPosShapeMismatch},
      {[&] { m = Counting(1, 9); }, kMatrixAssignMismatch},
      {[&] { m = CMatrix<float>(0, 3); }, kMatrixAssignMismatch},
  };
  for (const auto& [call, text] : refused) EXPECT_EQ(std::string("text: ") + text, Thrown(call));
  EXPECT_EQ(Elements(Counting(3, 3)), Elements(m)) << "a refusal changes nothing";
  CMatrix<float> taken(std::move(m));
  m = Counting(3, 1);  // NOLINT(bugprone-use-after-move): a moved-from matrix is empty
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Elements(m));
}

}  // namespace
