#include "geometry/graph_math.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "geometry/shape_math.h"

namespace {

using graph_math::AxisFault;
using graph_math::DataRectFault;
using graph_math::GridAxis;
using graph_math::PlotAreaFault;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

// The values of the lines that GridLines gives, so a failure shows where they stand.
std::vector<float> Lines(float from, float to, float origin, float step) {
  std::vector<float> values;
  const graph_math::GridSpan span = graph_math::GridLines(from, to, origin, step);
  for (std::int32_t i = span.first; i <= span.last; ++i) {
    values.push_back(graph_math::GridValue(i, step, origin));
  }
  return values;
}

std::string Label(float value) {
  char text[graph_math::kLabelCapacity];
  std::fill(std::begin(text), std::end(text), '#');
  const int length = graph_math::FormatLabelText(value, text, sizeof text);
  const std::string written(text);
  EXPECT_EQ(static_cast<int>(written.size()), length) << "length reported for " << written;
  return written;
}

// What a call threw as a domain error, or "nothing".
template <typename F>
std::string DomainError(F&& call) {
  try {
    call();
  } catch (const std::domain_error& e) {
    return e.what();
  }
  return "nothing";
}

TEST(GraphMathTest, TheDataRectangleMapsOntoThePlotArea) {
  const graph_math::PlotArea area{0, 0, 100, 100};
  const graph_math::DataRect data{0, 10, 10, 0};
  EXPECT_EQ(50, graph_math::MapX(area, data, 5.0f));
  EXPECT_EQ(75, graph_math::MapY(area, data, 2.5f)) << "larger y is higher up";
  EXPECT_EQ(0, graph_math::MapX(area, data, 0.0f));
  EXPECT_EQ(100, graph_math::MapX(area, data, 10.0f));
  EXPECT_EQ(0, graph_math::MapY(area, data, 10.0f)) << "the top edge";
  EXPECT_EQ(100, graph_math::MapY(area, data, 0.0f)) << "the bottom edge";

  const graph_math::PlotArea offset{40, 20, 940, 300};
  const graph_math::DataRect span{-5, 1.5f, 5, -1.5f};
  EXPECT_EQ(40, graph_math::MapX(offset, span, -5.0f));
  EXPECT_EQ(490, graph_math::MapX(offset, span, 0.0f));
  EXPECT_EQ(160, graph_math::MapY(offset, span, 0.0f));
  EXPECT_EQ(44, graph_math::MapX(offset, span, -4.95f)) << "90 px per unit: 4.5 truncates to 4";
  EXPECT_EQ(36, graph_math::MapX(offset, span, -5.05f)) << "-4.5 truncates toward zero, to -4";

  const graph_math::DataRect upside_down{0, 0, 10, 10};
  EXPECT_EQ(25, graph_math::MapY(area, upside_down, 2.5f))
      << "top y below bottom y: larger y lower";
}

TEST(GraphMathTest, ValuesBeyondGdiCoordinatesMapToTheLimitAndNaNIsAnError) {
  const graph_math::PlotArea area{0, 0, 100, 100};
  const graph_math::DataRect data{0, 10, 10, 0};
  EXPECT_EQ(shape_math::kCoordinateLimit, graph_math::MapX(area, data, 1e30f));
  EXPECT_EQ(-shape_math::kCoordinateLimit, graph_math::MapX(area, data, -kInfinity));
  EXPECT_EQ(100 - shape_math::kCoordinateLimit, graph_math::MapY(area, data, 1e30f))
      << "the bottom row less the largest offset: up is negative";
  EXPECT_EQ("MapX : x is not a number", DomainError([&] { graph_math::MapX(area, data, kNaN); }));
  EXPECT_EQ("MapY : y is not a number", DomainError([&] { graph_math::MapY(area, data, kNaN); }));
}

TEST(GraphMathTest, GridLinesAreTheMultiplesOfTheStepWithinTheRange) {
  EXPECT_EQ((std::vector<float>{-2, -1, 0, 1, 2}), Lines(-2.5f, 2.5f, 0, 1));
  EXPECT_EQ((std::vector<float>{1, 2, 3}), Lines(0.5f, 3.5f, 0, 1))
      << "no line at 0, below the range, as truncating 0.5 toward zero would put";
  EXPECT_EQ((std::vector<float>{-3, -2, -1}), Lines(-3.5f, -0.5f, 0, 1));
  EXPECT_EQ((std::vector<float>{0.25f, 1.25f, 2.25f}), Lines(0, 3, 0.25f, 1))
      << "aligned to the origin";
  EXPECT_EQ((std::vector<float>{-4, -2, 0, 2, 4}), Lines(-4, 4, 0, 2)) << "both ends on lines";
  EXPECT_EQ(11u, Lines(0, 1, 0, 0.1f).size()) << "1 / 0.1 is not exact in floats; 1 keeps its line";
  EXPECT_EQ(std::vector<float>{}, Lines(0.2f, 0.8f, 0, 1)) << "a range between two lines";
  EXPECT_EQ(std::vector<float>{}, Lines(kNaN, 1, 0, 1));
}

TEST(GraphMathTest, LabelsAreFixedBetweenAHundredthAndAHundredAndExponentsOutside) {
  EXPECT_EQ("0", Label(0.0f)) << "%g";
  EXPECT_EQ("1.50", Label(1.5f));
  EXPECT_EQ("-99.90", Label(-99.9f));
  EXPECT_EQ("0.05", Label(0.05f));
  EXPECT_EQ("1.00e+02", Label(100.0f)) << "log10 is 2, outside the open interval";
  EXPECT_EQ("1.00e-02", Label(0.01f)) << "log10 is -2";
  EXPECT_EQ("5.00e-03", Label(0.005f));
  EXPECT_EQ("-2.50e+06", Label(-2.5e6f));

  char small[4];
  EXPECT_EQ(3, graph_math::FormatLabelText(-99.9f, small, sizeof small)) << "cut to the buffer";
  EXPECT_EQ(std::string("-99"), small);
}

TEST(GraphMathTest, SeriesColoursCycleEverySixAndDotCornersAreHalved) {
  EXPECT_EQ(0x008080FFu, graph_math::SeriesColor(0)) << "red 255, green 128, blue 128";
  EXPECT_EQ(0x00FFFF80u, graph_math::SeriesColor(5)) << "red 128, green 255, blue 255";
  for (std::uint32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(graph_math::SeriesColor(i), graph_math::SeriesColor(i + 6)) << "series " << i + 6;
  }
  EXPECT_EQ(0x0040407Fu, graph_math::HalfColor(0x008080FF)) << "(255, 128, 128) to (127, 64, 64)";
  EXPECT_EQ(0x007F7F7Fu, graph_math::HalfColor(0xFFFFFFFF)) << "the fourth byte stays 0";
}

TEST(GraphMathTest, UnsoundAxesAreRefusedWithTheirReason) {
  const GridAxis sound{-2.5f, 2.5f, 0, 1, 0.25f};
  EXPECT_EQ(nullptr, AxisFault(sound));
  auto with = [&](auto change) {
    GridAxis axis = sound;
    change(axis);
    const char* fault = AxisFault(axis);
    return std::string(fault != nullptr ? fault : "accepted");
  };
  const std::string not_positive = "a grid step is not positive";
  EXPECT_EQ(not_positive, with([](GridAxis& a) { a.minor_step = 0; }));
  EXPECT_EQ(not_positive, with([](GridAxis& a) { a.major_step = -1; }));
  const std::string not_finite = "a grid value is not finite";
  EXPECT_EQ(not_finite, with([](GridAxis& a) { a.minor_step = kNaN; }));
  EXPECT_EQ(not_finite, with([](GridAxis& a) { a.to = kInfinity; }));
  EXPECT_EQ(not_finite, with([](GridAxis& a) { a.origin = kNaN; }));
  EXPECT_EQ("the grid range ends before it starts", with([](GridAxis& a) { a.from = 3; }));
  EXPECT_EQ("a grid step gives more lines than a frame can draw",
            with([](GridAxis& a) { a.minor_step = 1e-6f; }));
  EXPECT_EQ("a grid step gives more lines than a frame can draw",
            with([](GridAxis& a) { a.minor_step = 1e-45f; }))
      << "the smallest float";
  EXPECT_EQ("the grid origin lies too many steps away from the range",
            with([](GridAxis& a) { a.origin = 1e9f; }));
  EXPECT_EQ("accepted", with([](GridAxis& a) { a.from = a.to; })) << "one line";
  EXPECT_EQ("accepted", with([](GridAxis& a) {
              a.from = 0;
              a.to = 9999;
              a.minor_step = 1;
            }))
      << "10000 lines, the most allowed";
}

TEST(GraphMathTest, EmptyOrUnboundedRectanglesAreRefused) {
  EXPECT_EQ(nullptr, DataRectFault({0, 10, 10, 0}));
  EXPECT_EQ(nullptr, DataRectFault({10, 0, 0, 10})) << "both directions reversed";
  EXPECT_STREQ("the data rectangle is empty", DataRectFault({1, 10, 1, 0}));
  EXPECT_STREQ("the data rectangle is empty", DataRectFault({0, 2, 10, 2}));
  EXPECT_STREQ("a data rectangle edge is not finite", DataRectFault({0, kNaN, 10, 0}));
  EXPECT_STREQ("the data rectangle is wider than a float holds",
               DataRectFault({-3e38f, 1, 3e38f, 0}));

  EXPECT_EQ(nullptr, PlotAreaFault({40, 20, 940, 300}));
  EXPECT_STREQ("the plot area is empty", PlotAreaFault({40, 20, 40, 300}));
  EXPECT_STREQ("the plot area is empty", PlotAreaFault({40, 300, 940, 20}));
  EXPECT_STREQ("the plot area lies beyond GDI's coordinates", PlotAreaFault({0, 0, 1 << 30, 10}));
}

}  // namespace
