#include "geometry/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "tests/geometry/thrown.h"

namespace {

using geometry_test::ThrownText;

constexpr std::string_view kNothing = "(nothing was thrown)";

// Fills a matrix with 1, 2, 3, ... in flat order, so that any element that moves or
// is lost shows.
void FillCounting(CMatrix<float>& m) {
  for (std::int32_t r = 0; r < m.GetRows(); ++r) {
    for (std::int32_t c = 0; c < m.GetCols(); ++c) {
      m.Set(r, c, static_cast<float>(r * m.GetCols() + c + 1));
    }
  }
}

std::vector<float> Elements(const CMatrix<float>& m) {
  std::vector<float> out;
  for (std::int32_t r = 0; r < m.GetRows(); ++r) {
    for (std::int32_t c = 0; c < m.GetCols(); ++c) out.push_back(m.Get(r, c));
  }
  return out;
}

std::vector<float> Xyw(const C2DPos& p) { return Elements(p); }

// ---- CMatrix

TEST(MatrixTest, StartsAtZeroAndResetsToZero) {
  CMatrix<float> m(2, 3);
  EXPECT_EQ(2, m.GetRows());
  EXPECT_EQ(3, m.GetCols());
  EXPECT_EQ(std::vector<float>(6, 0.0f), Elements(m));
  FillCounting(m);
  m.Reset();
  EXPECT_EQ(std::vector<float>(6, 0.0f), Elements(m)) << "a plain matrix resets to zeros";
}

TEST(MatrixTest, GetAndSetAddressTheFlatIndexOnly) {
  CMatrix<float> m(3, 3);
  FillCounting(m);
  EXPECT_EQ(5.0f, m.Get(0, 4)) << "(0, 4) of a 3 x 3 matrix is (1, 1)";
  EXPECT_EQ(6.0f, m.Get(2, -1)) << "(2, -1) is flat index 5, (1, 2)";
  m.Set(0, 8, -1.0f);
  EXPECT_EQ(-1.0f, m.Get(2, 2));
}

TEST(MatrixTest, RefusesElementsOutsideWithTheTextOfTheOperation) {
  CMatrix<float> m(3, 3);
  FillCounting(m);
  const std::vector<float> before = Elements(m);
  EXPECT_EQ(kMatrixGetOutOfRange, ThrownText([&] { m.Get(3, 0); })) << "flat index 9";
  EXPECT_EQ(kMatrixGetOutOfRange, ThrownText([&] { m.Get(0, -1); })) << "flat index -1";
  EXPECT_EQ(kMatrixSetOutOfRange, ThrownText([&] { m.Set(0, 9, 0.0f); }));
  EXPECT_EQ(kMatrixSetOutOfRange, ThrownText([&] { m.Set(-1, 2, 0.0f); })) << "flat index -1";
  // A row so far out that 32-bit arithmetic would wrap it back inside.
  EXPECT_EQ(kMatrixGetOutOfRange,
            ThrownText([&] { m.Get(std::numeric_limits<std::int32_t>::max() / 3 + 1, 0); }));
  EXPECT_EQ(kMatrixSetOutOfRange, ThrownText([&] { m.Set(1431655766, 2, 0.0f); }))
      << "1431655766 x 3 + 2 wraps to 0 in 32 bits";
  EXPECT_EQ(before, Elements(m)) << "a refused Set writes nothing";
}

TEST(MatrixTest, RefusesShapesThatCannotBeStored) {
  EXPECT_EQ(kMatrixAllocFailed, ThrownText([] { CMatrix<float>(-1, 3); }));
  EXPECT_EQ(kMatrixAllocFailed, ThrownText([] { CMatrix<float>(3, -1); }));
  EXPECT_EQ(kMatrixAllocFailed, ThrownText([] { CMatrix<float>(-2, -2); }))
      << "a product of two negatives is positive, yet no shape";
  EXPECT_EQ(kMatrixAllocFailed, ThrownText([] { CMatrix<float>(65536, 65536); }))
      << "more elements than a 32-bit flat index reaches";
}

TEST(MatrixTest, ProductSumsRowsAgainstColumns) {
  CMatrix<float> l(2, 3);
  CMatrix<float> r(3, 2);
  FillCounting(l);  // 1 2 3 / 4 5 6
  FillCounting(r);  // 1 2 / 3 4 / 5 6
  const CMatrix<float> p = l * r;
  ASSERT_EQ(2, p.GetRows());
  ASSERT_EQ(2, p.GetCols());
  EXPECT_EQ((std::vector<float>{22, 28, 49, 64}), Elements(p));
  const CMatrix<float> q = r * l;
  ASSERT_EQ(3, q.GetRows());
  ASSERT_EQ(3, q.GetCols());
  EXPECT_EQ((std::vector<float>{9, 12, 15, 19, 26, 33, 29, 40, 51}), Elements(q));
}

TEST(MatrixTest, ProductSumsInSinglePrecision) {
  // 1e8 + 1 is not a float: a single-precision sum loses the 1, a wider one keeps it.
  CMatrix<float> row(1, 3);
  row.Set(0, 0, 1e8f);
  row.Set(0, 1, 1.0f);
  row.Set(0, 2, -1e8f);
  CMatrix<float> ones(3, 1);
  for (std::int32_t k = 0; k < 3; ++k) ones.Set(k, 0, 1.0f);
  EXPECT_EQ(0.0f, (row * ones).Get(0, 0));
}

TEST(MatrixTest, RefusesProductsWhoseInnerSizesDiffer) {
  CMatrix<float> a(1, 3);
  CMatrix<float> b(1, 3);
  FillCounting(a);
  FillCounting(b);
  EXPECT_EQ(kMatrixMultiplyMismatch, ThrownText([&] { a* b; }));
  EXPECT_EQ(kNothing, ThrownText([&] { a* CMatrix<float>(3, 5); }));
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Elements(a));
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Elements(b));
}

TEST(MatrixTest, AssignmentCopiesEqualShapesOnly) {
  CMatrix<float> target(3, 3);
  CMatrix<float> source(3, 3);
  FillCounting(source);
  CMatrix<float>& result = (target = source);
  EXPECT_EQ(&target, &result);
  EXPECT_EQ(Elements(source), Elements(target));
  source.Set(0, 0, 100.0f);
  EXPECT_EQ(1.0f, target.Get(0, 0)) << "assignment copies, it does not share";

  const std::vector<float> before = Elements(target);
  CMatrix<float> row(1, 3);
  EXPECT_EQ(kMatrixAssignMismatch, ThrownText([&] { target = row; }));
  EXPECT_EQ(kMatrixAssignMismatch, ThrownText([&] { target = CMatrix<float>(3, 1); }))
      << "moving in a matrix of another shape is refused too";
  EXPECT_EQ(3, target.GetRows());
  EXPECT_EQ(3, target.GetCols());
  EXPECT_EQ(before, Elements(target));

  target = target;
  EXPECT_EQ(before, Elements(target)) << "self-assignment keeps the elements";
}

TEST(MatrixTest, CopiesAreIndependent) {
  CMatrix<float> m(2, 2);
  FillCounting(m);
  CMatrix<float> copy(m);
  copy.Set(1, 1, -7.0f);
  EXPECT_EQ(4.0f, m.Get(1, 1));
  EXPECT_EQ(-7.0f, copy.Get(1, 1));
}

TEST(MatrixTest, AMovedFromMatrixIsEmptyAndTakesAnyShapeByAssignment) {
  CMatrix<float> m(2, 2);
  FillCounting(m);
  CMatrix<float> taken(std::move(m));
  EXPECT_EQ((std::vector<float>{1, 2, 3, 4}), Elements(taken));
  EXPECT_EQ(0, m.GetRows());  // NOLINT(bugprone-use-after-move): the state is defined
  EXPECT_EQ(0, m.GetCols());
  EXPECT_EQ(kMatrixGetOutOfRange, ThrownText([&] { m.Get(0, 0); }));
  EXPECT_EQ(kMatrixMultiplyMismatch, ThrownText([&] { m* taken; }));

  m = CMatrix<float>(1, 3);
  EXPECT_EQ(1, m.GetRows());
  EXPECT_EQ(3, m.GetCols());
  CMatrix<float> other(1, 3);
  other = std::move(m);
  m = taken;
  EXPECT_EQ(Elements(taken), Elements(m)) << "copy-assigning into a moved-from matrix";
}

TEST(MatrixTest, EqualityNeedsTheSameShapeAndFloatEqualElements) {
  CMatrix<float> a(1, 3);
  CMatrix<float> b(1, 3);
  EXPECT_TRUE(a == b);
  a.Set(0, 1, 0.0f);
  b.Set(0, 1, -0.0f);
  EXPECT_TRUE(a == b) << "0 and -0 compare equal as floats";
  b.Set(0, 2, 1.0f);
  EXPECT_FALSE(a == b);
  EXPECT_FALSE(CMatrix<float>(1, 3) == CMatrix<float>(3, 1)) << "all zeros, other shape";
  a.Set(0, 0, std::numeric_limits<float>::quiet_NaN());
  EXPECT_FALSE(a == a) << "NaN equals nothing, itself included";
}

// ---- C2DPos

TEST(PositionTest, ConstructorsAndResetKeepWAtOne) {
  EXPECT_EQ((std::vector<float>{0, 0, 1}), Xyw(C2DPos()));
  const C2DPos p(2.5f, -3.0f);
  EXPECT_EQ((std::vector<float>{2.5f, -3.0f, 1}), Xyw(p));
  EXPECT_EQ(2.5f, p.X());
  EXPECT_EQ(-3.0f, p.Y());
  C2DPos q(7.0f, 8.0f);
  CMatrix<float>& as_matrix = q;
  as_matrix.Reset();  // through the base: the position's own Reset must run
  EXPECT_EQ((std::vector<float>{0, 0, 1}), Xyw(q));
}

TEST(PositionTest, ConvertsOnlyFromOneByThree) {
  CMatrix<float> row(1, 3);
  FillCounting(row);
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Xyw(C2DPos(row))) << "w is taken as it is";
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Xyw(C2DPos(CMatrix<float>(row))));

  EXPECT_EQ(kPosShapeMismatch, ThrownText([] { C2DPos(CMatrix<float>(3, 3)); }));
  EXPECT_EQ(kPosShapeMismatch, ThrownText([] { C2DPos(CMatrix<float>(3, 1)); }));
  CMatrix<float> square(3, 3);
  FillCounting(square);
  EXPECT_EQ(kPosShapeMismatch, ThrownText([&] { C2DPos(std::move(square)); }));
  EXPECT_EQ(3, square.GetRows()) << "a refused conversion takes nothing";
  EXPECT_EQ(9.0f, square.Get(2, 2));
}

TEST(PositionTest, RefusesElementsPastW) {
  C2DPos p(1.0f, 2.0f);
  EXPECT_EQ(kMatrixGetOutOfRange, ThrownText([&] { p.Get(1, 0); })) << "flat index 3";
  EXPECT_EQ(kMatrixSetOutOfRange, ThrownText([&] { p.Set(0, 3, 0.0f); }));
}

TEST(PositionTest, SwapsAndSortsInStandardContainers) {
  C2DPos a(1.0f, 2.0f);
  C2DPos b(3.0f, 4.0f);
  std::swap(a, b);
  EXPECT_EQ((std::vector<float>{3, 4, 1}), Xyw(a));
  EXPECT_EQ((std::vector<float>{1, 2, 1}), Xyw(b));

  std::vector<C2DPos> v{C2DPos(1, 0), C2DPos(2, 0), C2DPos(3, 0), C2DPos(4, 0)};
  v.erase(v.begin() + 1);  // moves later positions into moved-from slots
  ASSERT_EQ(3u, v.size());
  EXPECT_EQ(3.0f, v[1].X());
  EXPECT_EQ(4.0f, v[2].X());
  EXPECT_EQ(1.0f, v[2].Get(0, 2));
}

// ---- C2DOpe

TEST(OperatorTest, FormsHaveTheirElementsInPlace) {
  EXPECT_EQ((std::vector<float>{1, 0, 0, 0, 1, 0, 0, 0, 1}), Elements(C2DOpe()));
  EXPECT_EQ((std::vector<float>{1, 0, 0, 0, 1, 0, 5, -6, 1}), Elements(C2DOpe(5.0f, -6.0f)));
  const float a = 0.5f;
  const float c = static_cast<float>(std::cos(static_cast<double>(a)));
  const float s = static_cast<float>(std::sin(static_cast<double>(a)));
  EXPECT_EQ((std::vector<float>{c, s, 0, -s, c, 0, 0, 0, 1}), Elements(C2DOpe(a)));
  EXPECT_TRUE(C2DOpe::Rotation(a) == C2DOpe(a));
  EXPECT_TRUE(C2DOpe::Translation(5, -6) == C2DOpe(5.0f, -6.0f));
}

TEST(OperatorTest, ResetGivesTheIdentity) {
  C2DOpe t(5.0f, 6.0f);
  t.Reset();
  EXPECT_TRUE(t == C2DOpe()) << "a translation resets to the identity";
  C2DOpe r(1.0f);
  CMatrix<float>& as_matrix = r;
  as_matrix.Reset();
  EXPECT_TRUE(r == C2DOpe()) << "a rotation reset through the base";
}

TEST(OperatorTest, MovesPositions) {
  const C2DPos p(3.0f, 4.0f);
  EXPECT_EQ((std::vector<float>{4, 6, 1}), Xyw(p * C2DOpe(1.0f, 2.0f)));
  const C2DPos turned = p * C2DOpe(std::numbers::pi_v<float> / 2);
  EXPECT_NEAR(-4.0f, turned.X(), 1e-6f);
  EXPECT_NEAR(3.0f, turned.Y(), 1e-6f);
  EXPECT_EQ(1.0f, turned.Get(0, 2));
  EXPECT_EQ(Xyw(p), Xyw(p * C2DOpe())) << "the identity moves nothing";

  // The general product gives a 1 x 3 matrix that converts back to a position.
  const CMatrix<float> product = static_cast<const CMatrix<float>&>(p) * C2DOpe(1.0f, 2.0f);
  EXPECT_EQ(1, product.GetRows());
  EXPECT_EQ(3, product.GetCols());
  EXPECT_EQ((std::vector<float>{4, 6, 1}), Xyw(C2DPos(product)));

  C2DPos q(3.0f, 4.0f);
  q *= C2DOpe(-3.0f, -4.0f);
  EXPECT_EQ((std::vector<float>{0, 0, 1}), Xyw(q));
}

TEST(OperatorTest, ComposesInTheOrderOfApplication) {
  const C2DOpe move(10.0f, 0.0f);
  const C2DOpe turn(std::numbers::pi_v<float> / 2);
  const C2DPos p(1.0f, 0.0f);
  // Move, then turn: (11, 0) turns to (0, 11). Turn, then move: (0, 1) moves to (10, 1).
  const C2DPos a = p * (move * turn);
  EXPECT_NEAR(0.0f, a.X(), 1e-5f);
  EXPECT_NEAR(11.0f, a.Y(), 1e-5f);
  const C2DPos b = p * (turn * move);
  EXPECT_NEAR(10.0f, b.X(), 1e-5f);
  EXPECT_NEAR(1.0f, b.Y(), 1e-5f);

  // An operator product is 3 x 3 and is no position.
  EXPECT_EQ(kPosShapeMismatch, ThrownText([&] {
              C2DPos(static_cast<const CMatrix<float>&>(move) * turn);
            }));
}

TEST(OperatorTest, RelativePositionReadsOnlyTheTranslationRow) {
  const C2DPos p(5.0f, 5.0f);
  EXPECT_EQ((std::vector<float>{3, 2, 1}), Xyw(C2DOpe(2.0f, 3.0f).Relative(p)));
  EXPECT_EQ(Xyw(p), Xyw(C2DOpe(0.7f).Relative(p))) << "a rotation has no translation row";
  const C2DOpe turned_then_moved = C2DOpe(0.7f) * C2DOpe(2.0f, 3.0f);
  EXPECT_EQ((std::vector<float>{3, 2, 1}), Xyw(turned_then_moved.Relative(p)))
      << "the rotation part is ignored";
}

TEST(OperatorTest, RefusesAssignmentFromOtherShapes) {
  C2DOpe op(1.0f, 2.0f);
  CMatrix<float>& as_matrix = op;
  EXPECT_EQ(kMatrixAssignMismatch, ThrownText([&] { as_matrix = C2DPos(1, 2); }));
  EXPECT_TRUE(op == C2DOpe(1.0f, 2.0f)) << "the refused assignment changed the operator";
}

}  // namespace
