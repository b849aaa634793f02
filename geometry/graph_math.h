// The arithmetic of the graph canvas, apart from any canvas: the mapping from data
// values to pixels, which values get grid lines, how a label is written, the series
// colours, and which configurations are refused.
#pragma once

#include <cstddef>
#include <cstdint>

namespace graph_math {

// Where the data rectangle is drawn, in pixels; left < right and top < bottom.
struct PlotArea {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

// The data values at the plot area's edges. A top y above the bottom y draws larger y
// higher up; either direction of either axis is allowed, an empty one is not.
struct DataRect {
  float x_left;
  float y_top;
  float x_right;
  float y_bottom;
};

// One axis of the grid: lines and labels stand at origin + i x step for every integer i
// that puts them within [from, to].
struct GridAxis {
  float from;
  float to;
  float origin;
  float major_step;
  float minor_step;
};

// A step so fine that one frame would draw more lines than this is refused: a chart
// cannot show them, and the frame thread would spend its frames drawing them.
inline constexpr std::int32_t kMaxGridLines = 10000;

// Each is null for a sound value, otherwise a constant text saying what is wrong.
const char* PlotAreaFault(const PlotArea& area);
const char* DataRectFault(const DataRect& data);
const char* AxisFault(const GridAxis& axis);

// The pixel column of x and the pixel row of y:
//   left + trunc((right - left) / (x_right - x_left) x (x - x_left))
//   bottom + trunc((bottom - top) / (y_bottom - y_top) x (y - y_bottom))
// in single precision, so the data rectangle's edges land on the plot area's. A value
// that maps beyond GDI's coordinates stands at their limit; NaN throws
// std::domain_error, whose text names the axis.
std::int32_t MapX(const PlotArea& area, const DataRect& data, float x);
std::int32_t MapY(const PlotArea& area, const DataRect& data, float y);

// The indices i whose lines origin + i x step lie within [from, to], first to last
// (none when last < first). Values a rounding step beyond an end still count, so a
// range that ends on a multiple of the step keeps its end line. Truncating the ends'
// quotients toward zero instead would put a line, and its label, outside the range
// whenever an end is not on the grid (0.5 to 4.5 would draw one at 0).
struct GridSpan {
  std::int32_t first;
  std::int32_t last;
};
GridSpan GridLines(float from, float to, float origin, float step);
// The value of line `index`: index x step + origin, in single precision.
float GridValue(std::int32_t index, float step, float origin);

// Labels are written "%g" for 0, "%.2f" when 10^-2 < |v| < 10^2, "%.2e" otherwise.
inline constexpr std::size_t kLabelCapacity = 349;
enum class LabelStyle { kGeneral, kFixed, kExponent };
LabelStyle ChooseLabelStyle(float value);
// Writes the label of `value` into `text`; returns its length in bytes.
int FormatLabelText(float value, char* text, std::size_t capacity);

// GDI colour values (red in the low byte). Series i takes entry i mod 6 of a fixed
// table of light colours.
std::uint32_t SeriesColor(std::uint32_t index);
// Red, green and blue each halved: the corners of a plotted dot.
std::uint32_t HalfColor(std::uint32_t color);

}  // namespace graph_math
