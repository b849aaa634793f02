// The arithmetic of the shapes, apart from any canvas: turning and moving their point
// tables, converting positions to pixels, the bounds and the area of an ellipse.
#pragma once

#include <cstdint>

#include "geometry/matrix.h"
#include "geometry/table.h"

namespace shape_math {

// GDI keeps coordinates within 28 signed bits; a float beyond them (or beyond int,
// where the conversion itself is undefined) stands at the nearest limit instead.
inline constexpr std::int32_t kCoordinateLimit = (1 << 27) - 1;

// Toward zero, clamped to +-kCoordinateLimit; NaN gives 0.
std::int32_t TruncateToPixel(float value);
// Half up then toward zero, as the shapes place their corners: 2.5 gives 3, -0.7
// gives 0, -1.6 gives -1.
std::int32_t RoundToPixel(float value);

struct PixelPoint {
  std::int32_t x;
  std::int32_t y;
  bool operator==(const PixelPoint&) const = default;
};
PixelPoint ToPixel(const C2DPos& position);

struct PixelBox {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
  bool operator==(const PixelBox&) const = default;
};

// Every point p of the table becomes R(angle)(p - origin) + origin + position: turned
// about `origin`, then moved by `position`. Done as four passes of the operators over
// the table (subtract the origin, turn, add the origin, add the position), each
// position replaced in place, so the single-precision steps are those of the operators.
void TransformPoints(CITable<C2DPos>& points, const C2DPos& origin, float angle,
                     const C2DPos& position);

// The rectangle that GDI's Ellipse takes for an ellipse of `width` x `height` centred at
// `centre`: the left and top edges truncated, the extent added truncated, so an ellipse
// of 10 x 6 at (50, 50) gives (45, 47, 55, 53).
PixelBox EllipseBounds(const C2DPos& centre, float width, float height);

// Whether (x, y) lies inside the axis-aligned ellipse of `width` x `height` centred at
// `centre`, or on its boundary. The sign of a size does not matter; an ellipse of no
// width or no height is the segment (or point) it has shrunk to.
bool EllipseContains(const C2DPos& centre, float width, float height, float x, float y);

}  // namespace shape_math
