#include "geometry/array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/matrix.h"
#include "tests/geometry/thrown.h"

namespace {

using geometry_test::RangeErrorSeen;
using geometry_test::ThrownMemoryErrorCode;
using geometry_test::ThrownRangeError;

enum ePlotStyle { kNoStyle = 0, kDot = 1, kLine = 2 };

std::vector<float> Xy(const CIArray<C2DPos>& a) {
  std::vector<float> out;
  for (std::uint32_t i = 0; i < a.GetCapacity(); ++i) {
    out.push_back(a.At(i).X());
    out.push_back(a.At(i).Y());
    EXPECT_EQ(1.0f, a.At(i).Get(0, 2)) << "w of slot " << i;
  }
  return out;
}

CIArray<C2DPos> Counting(std::uint32_t n) {
  CIArray<C2DPos> a(n);
  for (std::uint32_t i = 0; i < n; ++i) a.At(i) = C2DPos(static_cast<float>(i + 1), 0.5f);
  return a;
}

TEST(ArrayTest, NewSlotsHoldDefinedValues) {
  EXPECT_EQ((std::vector<float>{0, 0, 0, 0}), Xy(CIArray<C2DPos>(2)));
  // The allocator under test fills fresh blocks with junk, so slots left as they came
  // would show here.
  const CIArray<ePlotStyle> styles(64);
  const CIArray<const CIArray<C2DPos>*> series(64);
  for (std::uint32_t i = 0; i < 64; ++i) {
    EXPECT_EQ(kNoStyle, styles.At(i)) << "slot " << i;
    EXPECT_EQ(nullptr, series.At(i)) << "slot " << i;
  }
}

TEST(ArrayTest, AtReachesEverySlotBelowTheCapacityOnly) {
  CIArray<C2DPos> a = Counting(5);
  EXPECT_EQ(5.0f, a.At(4).X());
  EXPECT_EQ((RangeErrorSeen{error_code::kArrayIndex, 5}), ThrownRangeError([&] { a.At(5); }));
  EXPECT_EQ((RangeErrorSeen{1, 0xFFFFFFFFu}), ThrownRangeError([&] { a.At(0xFFFFFFFFu); }));
  const CIArray<C2DPos>& c = a;
  EXPECT_EQ((RangeErrorSeen{1, 7}), ThrownRangeError([&] { c.At(7); }));
  EXPECT_EQ((RangeErrorSeen{1, 0}), ThrownRangeError([] { CIArray<int>().At(0); }));
}

TEST(ArrayTest, ResizeKeepsTheLeadingElementsAndAddsDefaultSlots) {
  CIArray<C2DPos> a = Counting(4);
  a.Resize(2);
  EXPECT_EQ((std::vector<float>{1, 0.5f, 2, 0.5f}), Xy(a));
  a.Resize(4);
  EXPECT_EQ((std::vector<float>{1, 0.5f, 2, 0.5f, 0, 0, 0, 0}), Xy(a));
  a.Resize(0);
  EXPECT_EQ(0u, a.GetCapacity());
}

TEST(ArrayTest, AttachOwnsTheGivenStorage) {
  CIArray<C2DPos> a = Counting(2);
  auto storage = std::make_unique<C2DPos[]>(3);
  storage[2] = C2DPos(9, 9);
  a.Attach(std::move(storage), 3);
  EXPECT_EQ((std::vector<float>{0, 0, 0, 0, 9, 9}), Xy(a));
  a.Attach(nullptr, 5);
  EXPECT_EQ(0u, a.GetCapacity()) << "null storage has no slots, whatever the capacity said";
  EXPECT_EQ((RangeErrorSeen{1, 0}), ThrownRangeError([&] { a.At(0); }));
}

TEST(ArrayTest, CopiesAndAssignmentsAreIndependent) {
  CIArray<C2DPos> source = Counting(3);
  CIArray<C2DPos> copy(source);
  CIArray<C2DPos> assigned(7);
  assigned = source;
  source.At(0) = C2DPos(-1, -1);
  EXPECT_EQ((std::vector<float>{1, 0.5f, 2, 0.5f, 3, 0.5f}), Xy(copy));
  EXPECT_EQ((std::vector<float>{1, 0.5f, 2, 0.5f, 3, 0.5f}), Xy(assigned))
      << "assignment takes the other's capacity and every slot";

  assigned = assigned;
  EXPECT_EQ(3u, assigned.GetCapacity()) << "self-assignment";
  EXPECT_EQ(1.0f, assigned.At(0).X());

  CIArray<C2DPos> moved(std::move(copy));
  EXPECT_EQ(3u, moved.GetCapacity());
  EXPECT_EQ(0u, copy.GetCapacity());  // NOLINT(bugprone-use-after-move): defined as empty
  copy = moved;
  EXPECT_EQ(3.0f, copy.At(2).X()) << "a moved-from array can be assigned again";
}

TEST(ArrayTest, EqualsComparesCapacityAndEverySlot) {
  CIArray<C2DPos> four = Counting(4);
  CIArray<C2DPos> three = Counting(3);
  EXPECT_FALSE(four.Equals(three)) << "common slots equal, capacities differ";
  EXPECT_FALSE(three.Equals(four));
  EXPECT_TRUE(four.Equals(Counting(4)));
  four.At(3) = C2DPos(4, -0.5f);
  EXPECT_FALSE(four.Equals(Counting(4))) << "the last slot differs";

  CIArray<ePlotStyle> a(2);
  CIArray<ePlotStyle> b(2);
  a.At(1) = kLine;
  EXPECT_FALSE(a.Equals(b));
  b.At(1) = kLine;
  EXPECT_TRUE(a.Equals(b));

  // Pointers compare as addresses, not by what they point to.
  const CIArray<C2DPos> x = Counting(1);
  const CIArray<C2DPos> y = Counting(1);
  CIArray<const CIArray<C2DPos>*> p(1);
  CIArray<const CIArray<C2DPos>*> q(1);
  p.At(0) = &x;
  q.At(0) = &y;
  EXPECT_FALSE(p.Equals(q));
  q.At(0) = &x;
  EXPECT_TRUE(p.Equals(q));
}

// 1 MiB elements make a block of 4294967295 slots that no machine can give.
struct Huge {
  char bytes[1 << 20];
  bool operator==(const Huge&) const = default;
};

TEST(ArrayTest, StorageThatCannotBeHadRaisesCode2AndChangesNothing) {
  EXPECT_EQ(error_code::kArrayMemory, ThrownMemoryErrorCode([] { CIArray<Huge>(0xFFFFFFFFu); }));
  CIArray<Huge> a(2);
  a.At(1).bytes[0] = 'x';
  EXPECT_EQ(error_code::kArrayMemory, ThrownMemoryErrorCode([&] { a.Resize(0xFFFFFFFFu); }));
  EXPECT_EQ(2u, a.GetCapacity());
  EXPECT_EQ('x', a.At(1).bytes[0]);
}

}  // namespace
