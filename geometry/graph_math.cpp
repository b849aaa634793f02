#include "geometry/graph_math.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "geometry/shape_math.h"

namespace graph_math {

namespace {

using shape_math::kCoordinateLimit;

// Line indices stay where a float still holds every integer, so that index x step
// lands each line where it belongs.
constexpr double kMaxGridIndex = 1 << 24;
// How far beyond an end of the range, in steps, a line still counts as on it.
constexpr double kLineSlack = 1.0 / 1024.0;

bool Finite(float value) { return std::isfinite(value); }

bool WithinCoordinates(std::int32_t value) {
  return value >= -kCoordinateLimit && value <= kCoordinateLimit;
}

std::int32_t MapAxis(std::int32_t pixel_base, std::int32_t pixel_span, float data_base,
                     float data_span, float value, const char* nan_text) {
  if (std::isnan(value)) throw std::domain_error(nan_text);
  const float scale = static_cast<float>(pixel_span) / data_span;
  const std::int64_t pixel = static_cast<std::int64_t>(pixel_base) +
                             shape_math::TruncateToPixel(scale * (value - data_base));
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(pixel, -kCoordinateLimit, kCoordinateLimit));
}

std::int32_t ClampIndex(double index) {
  return static_cast<std::int32_t>(std::clamp(index, -kMaxGridIndex, kMaxGridIndex));
}

const char* StepFault(const GridAxis& axis, float step) {
  const double first = (static_cast<double>(axis.from) - axis.origin) / step;
  const double last = (static_cast<double>(axis.to) - axis.origin) / step;
  if (last - first + 1.0 > kMaxGridLines)
    return "a grid step gives more lines than a frame can draw";
  if (std::fabs(first) > kMaxGridIndex || std::fabs(last) > kMaxGridIndex) {
    return "the grid origin lies too many steps away from the range";
  }
  return nullptr;
}

}  // namespace

const char* PlotAreaFault(const PlotArea& area) {
  if (!WithinCoordinates(area.left) || !WithinCoordinates(area.top) ||
      !WithinCoordinates(area.right) || !WithinCoordinates(area.bottom)) {
    return "the plot area lies beyond GDI's coordinates";
  }
  if (area.left >= area.right || area.top >= area.bottom) return "the plot area is empty";
  return nullptr;
}

const char* DataRectFault(const DataRect& data) {
  if (!Finite(data.x_left) || !Finite(data.y_top) || !Finite(data.x_right) ||
      !Finite(data.y_bottom)) {
    return "a data rectangle edge is not finite";
  }
  const float width = data.x_right - data.x_left;
  const float height = data.y_bottom - data.y_top;
  if (width == 0.0f || height == 0.0f) return "the data rectangle is empty";
  if (!Finite(width) || !Finite(height)) return "the data rectangle is wider than a float holds";
  return nullptr;
}

const char* AxisFault(const GridAxis& axis) {
  if (!Finite(axis.from) || !Finite(axis.to) || !Finite(axis.origin) || !Finite(axis.major_step) ||
      !Finite(axis.minor_step)) {
    return "a grid value is not finite";
  }
  if (axis.major_step <= 0.0f || axis.minor_step <= 0.0f) return "a grid step is not positive";
  if (axis.from > axis.to) return "the grid range ends before it starts";
  if (const char* fault = StepFault(axis, axis.minor_step)) return fault;
  return StepFault(axis, axis.major_step);
}

std::int32_t MapX(const PlotArea& area, const DataRect& data, float x) {
  return MapAxis(area.left, area.right - area.left, data.x_left, data.x_right - data.x_left, x,
                 "MapX : x is not a number");
}

std::int32_t MapY(const PlotArea& area, const DataRect& data, float y) {
  return MapAxis(area.bottom, area.bottom - area.top, data.y_bottom, data.y_bottom - data.y_top, y,
                 "MapY : y is not a number");
}

GridSpan GridLines(float from, float to, float origin, float step) {
  const double first = (static_cast<double>(from) - origin) / step;
  const double last = (static_cast<double>(to) - origin) / step;
  if (std::isnan(first) || std::isnan(last)) return GridSpan{0, -1};
  return GridSpan{ClampIndex(std::ceil(first - kLineSlack)),
                  ClampIndex(std::floor(last + kLineSlack))};
}

float GridValue(std::int32_t index, float step, float origin) {
  return static_cast<float>(index) * step + origin;
}

LabelStyle ChooseLabelStyle(float value) {
  if (value == 0.0f) return LabelStyle::kGeneral;
  const double magnitude = std::log10(std::fabs(static_cast<double>(value)));
  return magnitude > -2.0 && magnitude < 2.0 ? LabelStyle::kFixed : LabelStyle::kExponent;
}

int FormatLabelText(float value, char* text, std::size_t capacity) {
  if (text == nullptr || capacity == 0) return 0;
  const double v = value;
  int length = -1;
  switch (ChooseLabelStyle(value)) {
    case LabelStyle::kFixed:
      length = std::snprintf(text, capacity, "%.2f", v);
      break;
    case LabelStyle::kExponent:
      length = std::snprintf(text, capacity, "%.2e", v);
      break;
    case LabelStyle::kGeneral:
      break;
  }
  if (length < 0) length = std::snprintf(text, capacity, "%g", v);
  if (length < 0) {
    text[0] = '\0';
    return 0;
  }
  // A cut text is as long as what was kept.
  if (static_cast<std::size_t>(length) >= capacity) return static_cast<int>(capacity - 1);
  return length;
}

std::uint32_t SeriesColor(std::uint32_t index) {
  static constexpr std::uint32_t kColors[6] = {
      0x008080FF,  // red 255, green 128, blue 128
      0x0080FF80,  // 128, 255, 128
      0x00FF8080,  // 128, 128, 255
      0x0080FFFF,  // 255, 255, 128
      0x00FF80FF,  // 255, 128, 255
      0x00FFFF80,  // 128, 255, 255
  };
  return kColors[index % 6];
}

std::uint32_t HalfColor(std::uint32_t color) { return (color >> 1) & 0x007F7F7F; }

}  // namespace graph_math
