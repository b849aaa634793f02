#include "geometry/graph_math.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <vector>

#include "geometry/shape_math.h"

namespace {

using graph_math::GridAxis;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

TEST(GraphMathTest, DataMapsOntoThePlotAreaAndBeyondGdiToItsLimit) {
  const graph_math::PlotArea area{40, 20, 940, 300};
  const graph_math::DataRect data{-5, 1.5f, 5, -1.5f};
  EXPECT_EQ(44, graph_math::MapX(area, data, -4.95f)) << "90 px per unit: 4.5 truncates to 4";
  EXPECT_EQ(20, graph_math::MapY(area, data, 1.5f)) << "larger y is higher up";
  EXPECT_EQ(shape_math::kCoordinateLimit, graph_math::MapX(area, data, 1e30f));
  EXPECT_EQ(300 - shape_math::kCoordinateLimit, graph_math::MapY(area, data, 1e30f));
  EXPECT_THROW(graph_math::MapX(area, data, kNaN), std::domain_error);
  EXPECT_THROW(graph_math::MapY(area, data, kNaN), std::domain_error);
}

// No line below the range's start: truncating 0.5 toward zero would put one at 0.
TEST(GraphMathTest, GridLinesAreTheMultiplesOfTheStepWithinTheRange) {
  const struct {
    float from, to, origin, step;
    std::vector<float> lines;
  } cases[] = {
      {0.5f, 4.5f, 0, 1, {1, 2, 3, 4}},
      {-3.5f, -0.5f, 0, 1, {-3, -2, -1}},
      {0, 3, 0.25f, 1, {0.25f, 1.25f, 2.25f}},
      {-4, 4, 0, 2, {-4, -2, 0, 2, 4}},
      {0.2f, 0.8f, 0, 1, {}},
      {kNaN, 1, 0, 1, {}},
  };
  for (const auto& c : cases) {
    std::vector<float> lines;
    const graph_math::GridSpan span = graph_math::GridLines(c.from, c.to, c.origin, c.step);
    for (std::int32_t i = span.first; i <= span.last; ++i) {
      lines.push_back(graph_math::GridValue(i, c.step, c.origin));
    }
    EXPECT_EQ(c.lines, lines) << c.from << " to " << c.to;
  }
  const graph_math::GridSpan tenths = graph_math::GridLines(0, 1, 0, 0.1f);
  EXPECT_EQ(11, tenths.last - tenths.first + 1) << "1 / 0.1 is not exact in floats";
}

TEST(GraphMathTest, UnsoundAxesAndRectanglesAreRefusedWithTheirReason) {
  const struct {
    GridAxis axis;
    const char* fault;
  } axes[] = {
      {{-2.5f, 2.5f, 0, 1, 0.25f}, "accepted"},
      {{-2.5f, 2.5f, 0, -1, 0.25f}, "a grid step is not positive"},
      {{-2.5f, 2.5f, kNaN, 1, 0.25f}, "a grid value is not finite"},
      {{-2.5f, kInfinity, 0, 1, 0.25f}, "a grid value is not finite"},
      {{3, 2.5f, 0, 1, 0.25f}, "the grid range ends before it starts"},
      {{-2.5f, 2.5f, 0, 1, 1e-45f}, "a grid step gives more lines than a frame can draw"},
      {{-2.5f, 2.5f, 1e9f, 1, 0.25f}, "the grid origin lies too many steps away from the range"},
  };
  for (const auto& a : axes) {
    const char* fault = graph_math::AxisFault(a.axis);
    EXPECT_STREQ(a.fault, fault != nullptr ? fault : "accepted");
  }
  EXPECT_STREQ("the data rectangle is empty", graph_math::DataRectFault({1, 10, 1, 0}));
  EXPECT_STREQ("the data rectangle is wider than a float holds",
               graph_math::DataRectFault({-3e38f, 1, 3e38f, 0}));
  EXPECT_EQ(nullptr, graph_math::DataRectFault({10, 0, 0, 10})) << "both directions reversed";
  EXPECT_STREQ("the plot area lies beyond GDI's coordinates",
               graph_math::PlotAreaFault({0, 0, 1 << 30, 10}));
}

}  // namespace
