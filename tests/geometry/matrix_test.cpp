#include "geometry/matrix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "tests/geometry/thrown.h"

namespace {

using geometry_test::Text;
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

TEST(MatrixTest, AddressesByFlatIndexAndRefusesOutsideIt) {
  CMatrix<float> m = Counting(3, 3);
  EXPECT_EQ(5.0f, m.Get(0, 4)) << "(0, 4) of a 3 x 3 matrix is (1, 1)";
  EXPECT_EQ(6.0f, m.Get(2, -1)) << "(2, -1) is flat index 5";
  EXPECT_EQ(Text(kMatrixGetOutOfRange), Thrown([&] { m.Get(3, 0); }));
  EXPECT_EQ(Text(kMatrixGetOutOfRange), Thrown([&] { m.Get(0, -1); }));
  EXPECT_EQ(Text(kMatrixSetOutOfRange), Thrown([&] { m.Set(0, 9, 0.0f); }));
  EXPECT_EQ(Text(kMatrixSetOutOfRange), Thrown([&] { m.Set(1431655766, 2, 0.0f); }))
      << "1431655766 x 3 + 2 wraps to flat index 0 in 32 bits";
  EXPECT_EQ(Elements(Counting(3, 3)), Elements(m)) << "a refused Set writes nothing";
  EXPECT_EQ(Text(kMatrixGetOutOfRange), Thrown([] { C2DPos().Get(1, 0); })) << "flat index 3";
  EXPECT_EQ(Text(kMatrixAllocFailed), Thrown([] { CMatrix<float>(-2, -2); }));
  EXPECT_EQ(Text(kMatrixAllocFailed), Thrown([] { CMatrix<float>(65536, 65536); }))
      << "more elements than a 32-bit flat index reaches";
}

TEST(MatrixTest, ProductSumsRowsAgainstColumnsInSinglePrecision) {
  const CMatrix<float> p = Counting(2, 3) * Counting(3, 2);
  EXPECT_EQ(2, p.GetRows());
  EXPECT_EQ(2, p.GetCols());
  EXPECT_EQ((std::vector<float>{22, 28, 49, 64}), Elements(p));

  // 1e8 + 1 is no float: a single-precision sum loses the 1, a wider one keeps it.
  CMatrix<float> row(1, 3);
  row.Set(0, 0, 1e8f);
  row.Set(0, 1, 1.0f);
  row.Set(0, 2, -1e8f);
  CMatrix<float> ones(3, 1);
  for (std::int32_t k = 0; k < 3; ++k) ones.Set(k, 0, 1.0f);
  EXPECT_EQ(0.0f, (row * ones).Get(0, 0));

  const CMatrix<float> a = Counting(1, 3);
  EXPECT_EQ(Text(kMatrixMultiplyMismatch), Thrown([&] { a* a; }));
}

TEST(MatrixTest, AssignsEqualShapesOnlyUnlessEmptiedByAMove) {
  CMatrix<float> target(3, 3);
  const CMatrix<float> source = Counting(3, 3);
  EXPECT_EQ(&target, &(target = source));
  EXPECT_EQ(Elements(source), Elements(target));
  target = target;
  EXPECT_EQ(Elements(source), Elements(target)) << "self-assignment";

  EXPECT_EQ(Text(kMatrixAssignMismatch), Thrown([&] { target = Counting(1, 3); }));
  EXPECT_EQ(3, target.GetRows());
  EXPECT_EQ(Elements(source), Elements(target)) << "a refused assignment changes nothing";
  CMatrix<float> row(1, 3);
  const CMatrix<float> column = Counting(3, 1);
  EXPECT_EQ(Text(kMatrixAssignMismatch), Thrown([&] { row = column; })) << "same size, other shape";
  EXPECT_EQ(Text(kMatrixAssignMismatch), Thrown([&] { row = Counting(3, 1); })) << "moved in";
  CMatrix<float> no_rows(0, 3);
  EXPECT_EQ(Text(kMatrixAssignMismatch), Thrown([&] { no_rows = source; }))
      << "a 0 x 3 matrix is a shape of its own";

  CMatrix<float> copy(target);
  copy.Set(0, 0, -7.0f);
  EXPECT_EQ(1.0f, target.Get(0, 0)) << "copies share no elements";

  // Moving empties the source, which then takes any shape, as std::swap needs.
  CMatrix<float> taken(std::move(copy));
  EXPECT_EQ(0, copy.GetRows());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(Text(kMatrixGetOutOfRange), Thrown([&] { copy.Get(0, 0); }));
  copy = column;
  EXPECT_EQ(3, copy.GetRows());
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Elements(copy));
  C2DPos a(1, 2);
  C2DPos b(3, 4);
  std::swap(a, b);
  EXPECT_EQ((std::vector<float>{3, 4, 1}), Elements(a));
}

TEST(MatrixTest, EqualityNeedsTheShapeAndFloatEqualElements) {
  CMatrix<float> a(1, 3);
  CMatrix<float> b(1, 3);
  b.Set(0, 1, -0.0f);
  EXPECT_TRUE(a == b) << "0 and -0 are equal floats";
  EXPECT_FALSE(CMatrix<float>(1, 3) == CMatrix<float>(3, 1)) << "all zeros, other shape";
  b.Set(0, 2, 1.0f);
  EXPECT_FALSE(a == b);
}

TEST(PositionTest, ResetRestoresEachFormsNeutralValue) {
  CMatrix<float> plain = Counting(2, 2);
  C2DPos position(7, 8);
  C2DOpe rotation(1.0f);
  C2DOpe translation(5, 6);
  for (CMatrix<float>* m :
       {&plain, static_cast<CMatrix<float>*>(&position), static_cast<CMatrix<float>*>(&rotation),
        static_cast<CMatrix<float>*>(&translation)}) {
    m->Reset();  // through the base, as the library's callers may hold them
  }
  EXPECT_EQ((std::vector<float>{0, 0, 0, 0}), Elements(plain));
  EXPECT_EQ((std::vector<float>{0, 0, 1}), Elements(position));
  EXPECT_EQ(Elements(C2DOpe()), Elements(rotation));
  EXPECT_EQ(Elements(C2DOpe()), Elements(translation));
  EXPECT_EQ((std::vector<float>{1, 0, 0, 0, 1, 0, 0, 0, 1}), Elements(C2DOpe()));
}

TEST(PositionTest, ConvertsOnlyFromOneByThree) {
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Elements(C2DPos(Counting(1, 3))))
      << "w is taken as it is";
  EXPECT_EQ(Text(kPosShapeMismatch), Thrown([] { C2DPos(CMatrix<float>(3, 1)); }));
  CMatrix<float> square = Counting(3, 3);
  EXPECT_EQ(Text(kPosShapeMismatch), Thrown([&] { C2DPos(std::move(square)); }));
  EXPECT_EQ(Elements(Counting(3, 3)), Elements(square)) << "a refused conversion takes nothing";
}

TEST(OperatorTest, MovesTurnsAndComposesPositions) {
  const C2DPos p(3, 4);
  EXPECT_EQ((std::vector<float>{4, 6, 1}), Elements(p * C2DOpe(1, 2)));
  const C2DPos turned = p * C2DOpe::Rotation(std::numbers::pi_v<float> / 2);
  EXPECT_NEAR(-4.0f, turned.X(), 1e-6f);
  EXPECT_NEAR(3.0f, turned.Y(), 1e-6f);
  EXPECT_EQ(1.0f, turned.Get(0, 2));

  C2DPos q(3, 4);
  q *= C2DOpe::Translation(-3, -4);
  EXPECT_EQ((std::vector<float>{0, 0, 1}), Elements(q));

  // Move then turn: (1, 0) goes to (11, 0), then (0, 11). Turn then move: (10, 1).
  const C2DOpe move(10, 0);
  const C2DOpe turn(std::numbers::pi_v<float> / 2);
  const C2DPos a = C2DPos(1, 0) * (move * turn);
  EXPECT_NEAR(0.0f, a.X(), 1e-5f);
  EXPECT_NEAR(11.0f, a.Y(), 1e-5f);
  const C2DPos b = C2DPos(1, 0) * (turn * move);
  EXPECT_NEAR(10.0f, b.X(), 1e-5f);
  EXPECT_NEAR(1.0f, b.Y(), 1e-5f);
  EXPECT_EQ(Text(kPosShapeMismatch),
            Thrown([&] { C2DPos(static_cast<const CMatrix<float>&>(move) * turn); }))
      << "an operator product is no position";
}

TEST(OperatorTest, RelativePositionReadsOnlyTheTranslationRow) {
  const C2DPos p(5, 5);
  EXPECT_EQ((std::vector<float>{3, 2, 1}), Elements(C2DOpe(2, 3).Relative(p)));
  EXPECT_EQ(Elements(p), Elements(C2DOpe(0.7f).Relative(p)));
  EXPECT_EQ((std::vector<float>{3, 2, 1}), Elements((C2DOpe(0.7f) * C2DOpe(2, 3)).Relative(p)))
      << "the rotation part is ignored";
}

}  // namespace
