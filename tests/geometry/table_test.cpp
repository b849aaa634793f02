#include "geometry/table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geometry/matrix.h"
#include "tests/geometry/huge.h"
#include "tests/geometry/thrown.h"

namespace {

using geometry_test::Huge;
using geometry_test::Thrown;

enum ePlotStyle { kNoStyle = 0, kDot = 1, kLine = 2 };

// x of every element in use.
std::vector<float> Xs(const CITable<C2DPos>& t) {
  std::vector<float> out;
  for (const C2DPos& p : t) out.push_back(p.X());
  return out;
}

CITable<C2DPos> Counting(std::uint32_t n, std::uint32_t capacity, std::uint32_t step = 0) {
  CITable<C2DPos> t(capacity, step);
  for (std::uint32_t i = 0; i < n; ++i) t.Add(C2DPos(static_cast<float>(i + 1), 0));
  return t;
}

// Capacity after each of `adds` additions to a table made with (capacity, step).
std::vector<std::uint32_t> Capacities(std::uint32_t capacity, std::uint32_t step, int adds) {
  CITable<int> t(capacity, step);
  std::vector<std::uint32_t> seen;
  for (int i = 0; i < adds; ++i) {
    EXPECT_EQ(static_cast<std::uint32_t>(i + 1), t.Add(i)) << "Add returns the new count";
    seen.push_back(t.GetCapacity());
  }
  return seen;
}

TEST(TableTest, GrowsByDoublingOrByTheStep) {
  EXPECT_EQ((std::vector<std::uint32_t>{1, 2, 4, 4, 8, 8, 8, 8, 16}), Capacities(0, 0, 9));
  EXPECT_EQ((std::vector<std::uint32_t>{2, 2, 5, 5, 5, 8}), Capacities(2, 3, 6));
  EXPECT_EQ((std::vector<float>{1, 2, 3, 4, 5}), Xs(Counting(5, 0))) << "growth keeps elements";
}

TEST(TableTest, GrowthBeyondWhatFitsIsRefusedAndChangesNothing) {
  CITable<char> wraps(1, 0xFFFFFFFFu);
  wraps.Add('a');
  EXPECT_EQ("range 1283 1", Thrown([&] { wraps.Add('b'); })) << "1 + 4294967295 wraps to 0";
  EXPECT_EQ(1u, wraps.GetCapacity());
  EXPECT_EQ((std::vector<char>{'a'}), std::vector<char>(wraps.begin(), wraps.end()));

  // Capacities this large cannot be allocated: these tables claim them over a block of
  // one slot, and growth reads no slot since none is in use.
  CITable<char> full;
  full.Attach(std::make_unique<char[]>(1), 0xFFFFFFFFu);
  EXPECT_EQ("range 1283 4294967295", Thrown([&] { full.Grow(); }));
  CITable<Huge> half;
  half.Attach(std::make_unique<Huge[]>(1), 0x80000000u);
  EXPECT_EQ("memory 1282", Thrown([&] { half.Grow(); }))
      << "doubling 2^31 stops at 4294967295, which is then allocated, not refused";

  CITable<Huge> t(1, 0xFFFFFFFEu);
  auto h = std::make_unique<Huge>();  // too big for a thread's stack under Wine
  h->bytes[0] = 'h';
  t.Add(*h);
  EXPECT_EQ("memory 1282", Thrown([&] { t.Add(*h); }));
  EXPECT_EQ(1u, t.GetCapacity());
  EXPECT_EQ(1u, t.GetCount());
  EXPECT_EQ('h', t.Item(0).bytes[0]);
}

TEST(TableTest, ItemReachesElementsInUseWhileAtReachesSpareSlots) {
  CITable<C2DPos> t = Counting(3, 8);
  EXPECT_EQ(3.0f, t.Item(2).X());
  EXPECT_EQ("range 1281 3", Thrown([&] { t.Item(3); }));
  EXPECT_EQ(0.0f, t.At(3).X()) << "slot 3 is spare but exists";
  EXPECT_EQ("range 1 8", Thrown([&] { t.At(8); }));
  EXPECT_EQ(3, t.End() - &t.Item(0));
}

TEST(TableTest, FindLooksAtElementsInUseOnly) {
  CITable<C2DPos> t(4);
  t.Add(C2DPos(1, 2));
  t.Add(C2DPos(3, 4));
  t.Add(C2DPos(1, 2));
  EXPECT_EQ(-1, t.Find(C2DPos())) << "the spare slot holds (0, 0, 1) but is not in use";
  EXPECT_EQ(0, t.Find(C2DPos(1, 2))) << "the first of two equal elements";
  EXPECT_EQ(1, t.Find(C2DPos(3, 4)));

  CITable<ePlotStyle> styles;
  styles.Add(kLine);
  styles.Add(kDot);
  EXPECT_EQ(1, styles.Find(kDot));
  EXPECT_EQ(-1, styles.Find(kNoStyle));

  const CITable<C2DPos> a = Counting(1, 1);
  const CITable<C2DPos> b = Counting(1, 1);
  CITable<const CITable<C2DPos>*> series;
  series.Add(&a);
  EXPECT_EQ(-1, series.Find(&b)) << "an equal table elsewhere is another pointer";
  EXPECT_EQ(0, series.Find(&a));
}

TEST(TableTest, ClearKeepsTheStorageAndAddMayTakeAnOwnElement) {
  CITable<C2DPos> t = Counting(3, 4);
  const C2DPos* storage = &t.At(0);
  t.Clear();
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(-1, t.Find(C2DPos(1, 0))) << "cleared elements are spare";
  EXPECT_EQ(1u, t.Add(C2DPos(7, 7)));
  EXPECT_EQ(storage, &t.At(0)) << "slot 0 reused without growing";

  CITable<C2DPos> full = Counting(2, 2);
  full.Add(full.Item(0));  // growing releases the slot that the argument refers to
  EXPECT_EQ((std::vector<float>{1, 2, 1}), Xs(full));
}

TEST(TableTest, CopyTakesOnlyTheElementsInUseAndTheStep) {
  const CITable<C2DPos> source = Counting(6, 10, 4);
  CITable<C2DPos> copy(source);
  EXPECT_EQ(6u, copy.GetCapacity());
  EXPECT_EQ(Xs(source), Xs(copy));
  copy.Add(C2DPos(9, 9));
  EXPECT_EQ(10u, copy.GetCapacity()) << "the next Add grows by the copied step 4";
  EXPECT_EQ(6u, source.GetCount());
}

TEST(TableTest, AssignmentKeepsALargeEnoughCapacityAndItsOwnStep) {
  const CITable<C2DPos> three = Counting(3, 3, 1);
  CITable<C2DPos> roomy = Counting(5, 10, 2);
  roomy = three;
  roomy = roomy;
  EXPECT_EQ(10u, roomy.GetCapacity());
  EXPECT_EQ(2u, roomy.GetStep());
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Xs(roomy));

  CITable<C2DPos> small = Counting(2, 2);
  small = three;
  EXPECT_EQ(3u, small.GetCapacity());
  small.Item(0) = C2DPos(-1, -1);
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Xs(three)) << "the assigned elements are copies";
}

TEST(TableTest, CountNeverExceedsTheCapacity) {
  CITable<C2DPos> t = Counting(5, 8);
  t.Resize(3);
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Xs(t));
  t.Resize(10);
  EXPECT_EQ(3u, t.GetCount()) << "a larger capacity adds spare slots only";
  t.Attach(std::make_unique<C2DPos[]>(2), 2);
  EXPECT_EQ(2u, t.GetCount());
  t.Attach(nullptr, 0);
  EXPECT_TRUE(t.IsEmpty());

  // Through the array interface, as the library's own callers may hold a table.
  CITable<C2DPos> u = Counting(4, 4);
  CIArray<C2DPos>& as_array = u;
  as_array.Resize(1);
  EXPECT_EQ(1u, u.GetCount());
  u = CIArray<C2DPos>(6);  // no cast needed
  EXPECT_EQ(6u, u.GetCapacity());
  EXPECT_EQ((std::vector<float>{0}), Xs(u)) << "array assignment keeps the count, copies slots";
  EXPECT_FALSE(u.Equals(Counting(1, 6))) << "Equals sees spare slots too";
}

TEST(TableTest, TablesOfOwningElementsCopyMoveAndReleaseSafely) {
  // Strings longer than any small-string buffer, so that a double release or a leak
  // of element storage shows under the sanitizers.
  const std::string word(64, 'w');
  CITable<std::string> a;
  for (int i = 0; i < 20; ++i) a.Add(word + std::to_string(i));
  a.Add(a.Item(0));
  CITable<std::string> b(a);
  CITable<std::string> c(2);
  c = a;
  a.Resize(5);
  b = a;
  CITable<std::string> moved(std::move(c));
  EXPECT_EQ(word + "0", moved.Item(20));
  EXPECT_TRUE(c.IsEmpty());  // NOLINT(bugprone-use-after-move): defined as empty
  c = b;
  EXPECT_EQ(5u, c.GetCount());
  EXPECT_EQ(word + "4", c.Item(4));
}

}  // namespace
