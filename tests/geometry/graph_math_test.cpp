#include "geometry/graph_math.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <vector>

#include "geometry/shape_math.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

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

}  // namespace
