// CITable: its growth, its bounds and its failures, each error code raised where it
// belongs.
#include "geometry/table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "geometry/matrix.h"
#include "tests/geometry/thrown.h"

namespace {

using geometry_test::Huge;
using geometry_test::Thrown;

std::vector<float> Xs(const CITable<C2DPos>& t) {
  std::vector<float> out;
  for (const C2DPos& p : t) out.push_back(p.X());
  return out;
}

TEST(TableTest, GrowsByDoublingOrByItsStepUpTo4294967295) {
  const struct {
    std::uint32_t capacity, step;
    std::vector<std::uint32_t> capacities;  // after each Add
  } cases[] = {{0, 0, {1, 2, 4, 4, 8}}, {2, 3, {2, 2, 5, 5, 5, 8}}};
  for (const auto& c : cases) {
    CITable<int> t(c.capacity, c.step);
    std::vector<std::uint32_t> seen;
    for (std::size_t i = 0; i < c.capacities.size(); ++i) {
      t.Add(static_cast<int>(i));
      seen.push_back(t.GetCapacity());
    }
    EXPECT_EQ(c.capacities, seen);
  }
  CITable<char> wraps(1, 0xFFFFFFFFu);
  wraps.Add('a');
  EXPECT_EQ("range 1283 1", Thrown([&] { wraps.Add('b'); })) << "1 + 4294967295 wraps to 0";
  EXPECT_EQ(1u, wraps.GetCount());
  // These claim capacities over a block of one slot; growth reads no slot, none in use.
  CITable<char> full;
  full.Attach(std::make_unique<char[]>(1), 0xFFFFFFFFu);
  EXPECT_EQ("range 1283 4294967295", Thrown([&] { full.Grow(); }));
  CITable<Huge> half;
  half.Attach(std::make_unique<Huge[]>(1), 0x80000000u);
  EXPECT_EQ("memory 1282", Thrown([&] { half.Grow(); })) << "2^31 doubles to 4294967295";
}

TEST(TableTest, ItemReachesOnlyElementsInUseAndCountNeverExceedsTheCapacity) {
  CITable<C2DPos> t(8, 0);
  for (const float x : {1, 2, 3, 4, 5}) t.Add(C2DPos(x, 0));
  EXPECT_EQ("range 1281 5", Thrown([&] { t.Item(5); }));
  CIArray<C2DPos>& as_array = t;  // as the library's own callers may hold a table
  as_array.Resize(3);
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Xs(t));
  t.Attach(nullptr, 5);
  EXPECT_TRUE(t.IsEmpty()) << "null storage has no slots, whatever the capacity said";
  CITable<C2DPos> full(2, 0);
  for (const float x : {1, 2}) full.Add(C2DPos(x, 0));
  full.Add(full.Item(0));  // growing releases the slot that the argument refers to
  EXPECT_EQ((std::vector<float>{1, 2, 1}), Xs(full));
}

// An element whose assignment fails once `copies_left` runs out.
struct Fragile {
  Fragile() = default;
  explicit Fragile(int v) : value(v) {}
  Fragile(const Fragile&) = default;
  Fragile& operator=(const Fragile& other) {
    if (copies_left-- == 0) throw std::runtime_error("no more copies");
    value = other.value;
    return *this;
  }
  bool operator==(const Fragile&) const = default;
  int value = 0;
  static inline int copies_left = -1;
};

TEST(TableTest, AFailedAssignmentChangesNothing) {
  CITable<Fragile> fragile;
  fragile.Add(Fragile(7));
  CITable<Fragile> three;
  for (int v : {1, 2, 3}) three.Add(Fragile(v));
  Fragile::copies_left = 2;
  EXPECT_EQ("other", Thrown([&] { fragile = three; }));
  Fragile::copies_left = -1;
  EXPECT_TRUE(fragile.GetCount() == 1 && fragile.Item(0).value == 7);
}

}  // namespace
