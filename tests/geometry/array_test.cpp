#include "geometry/array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/matrix.h"
#include "tests/geometry/huge.h"
#include "tests/geometry/thrown.h"

namespace {

using geometry_test::Huge;
using geometry_test::Thrown;

enum ePlotStyle { kNoStyle, kDot, kLine };

// x of every slot; each slot's w must still be 1.
std::vector<float> Xs(const CIArray<C2DPos>& a) {
  std::vector<float> out;
  for (std::uint32_t i = 0; i < a.GetCapacity(); ++i) {
    out.push_back(a.At(i).X());
    EXPECT_EQ(1.0f, a.At(i).Get(0, 2)) << "w of slot " << i;
  }
  return out;
}

CIArray<C2DPos> Counting(std::uint32_t n) {
  CIArray<C2DPos> a(n);
  for (std::uint32_t i = 0; i < n; ++i) a.At(i) = C2DPos(static_cast<float>(i + 1), 0);
  return a;
}

TEST(ArrayTest, NewSlotsHoldDefinedValues) {
  EXPECT_EQ((std::vector<float>{0, 0}), Xs(CIArray<C2DPos>(2)));
  // The sanitizer's allocator fills fresh blocks with junk; slots left as they came
  // would show here.
  const CIArray<ePlotStyle> styles(64);
  const CIArray<const CIArray<C2DPos>*> series(64);
  for (std::uint32_t i = 0; i < 64; ++i) {
    ASSERT_EQ(kNoStyle, styles.At(i)) << "slot " << i;
    ASSERT_EQ(nullptr, series.At(i)) << "slot " << i;
  }
}

TEST(ArrayTest, AtReachesEverySlotBelowTheCapacityOnly) {
  CIArray<C2DPos> a = Counting(5);
  EXPECT_EQ(5.0f, a.At(4).X());
  EXPECT_EQ("range 1 5", Thrown([&] { a.At(5); }));
  EXPECT_EQ("range 1 4294967295", Thrown([&] { a.At(0xFFFFFFFFu); }));
}

TEST(ArrayTest, ResizeAndAttachReplaceTheSlots) {
  CIArray<C2DPos> a = Counting(4);
  a.Resize(2);
  EXPECT_EQ((std::vector<float>{1, 2}), Xs(a));
  a.Resize(4);
  EXPECT_EQ((std::vector<float>{1, 2, 0, 0}), Xs(a)) << "new slots are (0, 0, 1)";

  auto storage = std::make_unique<C2DPos[]>(3);
  storage[2] = C2DPos(9, 9);
  a.Attach(std::move(storage), 3);
  EXPECT_EQ((std::vector<float>{0, 0, 9}), Xs(a));
  a.Attach(nullptr, 5);
  EXPECT_EQ("range 1 0", Thrown([&] { a.At(0); }))
      << "null storage has no slots, whatever the capacity said";
}

TEST(ArrayTest, CopiesAndAssignmentsAreIndependent) {
  CIArray<C2DPos> source = Counting(3);
  CIArray<C2DPos> copy(source);
  CIArray<C2DPos> assigned(7);
  assigned = source;
  assigned = assigned;
  source.At(0) = C2DPos(-1, -1);
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Xs(copy));
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Xs(assigned)) << "the other's capacity and slots";

  CIArray<C2DPos> moved(std::move(copy));
  EXPECT_EQ(0u, copy.GetCapacity());  // NOLINT(bugprone-use-after-move): defined as empty
  copy = moved;
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Xs(copy));
}

TEST(ArrayTest, EqualsComparesCapacityAndEverySlot) {
  EXPECT_FALSE(Counting(4).Equals(Counting(3))) << "common slots equal, capacities differ";
  EXPECT_TRUE(Counting(4).Equals(Counting(4)));
  CIArray<C2DPos> changed = Counting(4);
  changed.At(3) = C2DPos(4, -0.5f);
  EXPECT_FALSE(changed.Equals(Counting(4)));
}

TEST(ArrayTest, StorageThatCannotBeHadRaisesCode2AndChangesNothing) {
  EXPECT_EQ("memory 2", Thrown([] { CIArray<Huge>(0xFFFFFFFFu); }));
  CIArray<Huge> a(2);
  a.At(1).bytes[0] = 'x';
  EXPECT_EQ("memory 2", Thrown([&] { a.Resize(0xFFFFFFFFu); }));
  EXPECT_EQ(2u, a.GetCapacity());
  EXPECT_EQ('x', a.At(1).bytes[0]);
}

}  // namespace
