#include "geometry/shape_math.h"

#include <cmath>

namespace shape_math {

namespace {

// A boundary point computed in single precision lands a few float steps either side of
// the exact ellipse; this much of its radius squared still counts as on it.
constexpr double kBoundarySlack = 1e-6;

void ApplyToEach(CITable<C2DPos>& points, const C2DOpe& op) {
  for (C2DPos& point : points) point *= op;
}

}  // namespace

std::int32_t TruncateToPixel(float value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<float>(kCoordinateLimit)) return kCoordinateLimit;
  if (value <= -static_cast<float>(kCoordinateLimit)) return -kCoordinateLimit;
  return static_cast<std::int32_t>(value);
}

std::int32_t RoundToPixel(float value) { return TruncateToPixel(value + 0.5f); }

PixelPoint ToPixel(const C2DPos& position) {
  return PixelPoint{RoundToPixel(position.X()), RoundToPixel(position.Y())};
}

void TransformPoints(CITable<C2DPos>& points, const C2DPos& origin, float angle,
                     const C2DPos& position) {
  ApplyToEach(points, C2DOpe::Translation(-origin.X(), -origin.Y()));
  ApplyToEach(points, C2DOpe::Rotation(angle));
  ApplyToEach(points, C2DOpe::Translation(origin.X(), origin.Y()));
  ApplyToEach(points, C2DOpe::Translation(position.X(), position.Y()));
}

PixelBox EllipseBounds(const C2DPos& centre, float width, float height) {
  const std::int32_t left = TruncateToPixel(centre.X() - width * 0.5f);
  const std::int32_t top = TruncateToPixel(centre.Y() - height * 0.5f);
  return PixelBox{left, top, left + TruncateToPixel(width), top + TruncateToPixel(height)};
}

bool EllipseContains(const C2DPos& centre, float width, float height, float x, float y) {
  const double a = std::fabs(static_cast<double>(width)) * 0.5;
  const double b = std::fabs(static_cast<double>(height)) * 0.5;
  const double dx = static_cast<double>(x) - centre.X();
  const double dy = static_cast<double>(y) - centre.Y();
  if (a == 0.0 || b == 0.0) return std::fabs(dx) <= a && std::fabs(dy) <= b;
  const double u = dx / a;
  const double v = dy / b;
  // NaN anywhere fails this comparison, so it hits nothing.
  return u * u + v * v <= 1.0 + kBoundarySlack;
}

}  // namespace shape_math
