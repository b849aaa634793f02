#include "drawing/shapes_win.h"

#include <memory>
#include <new>

#include "drawing/drawing_tools_win.h"
#include "geometry/shape_math.h"
#include "support/log_manager.h"

namespace {

CITable<C2DPos> TableOf(std::initializer_list<C2DPos> points) {
  CITable<C2DPos> table(static_cast<std::uint32_t>(points.size()));
  for (const C2DPos& point : points) table.Add(point);
  return table;
}

// The corners of a copy of the table where Draw puts them; the shape's own stay.
CITable<C2DPos> Placed(const CITable<C2DPos>& points, const C2DPos& origin, float angle,
                       const C2DPos& position) {
  CITable<C2DPos> placed(points);
  shape_math::TransformPoints(placed, origin, angle, position);
  return placed;
}

using PointsCall = BOOL(WINAPI*)(HDC, const POINT*, int);

// What _polygon and _polyline share; `name` is the one of the two that logs.
BOOL DrawPoints(const CITable<C2DPos>& apos, CICG* canvas, PointsCall call, const char* name) {
  const std::uint32_t count = apos.GetCount();
  if (count < 2) {
    TheLog().Print(4, "%s : apos count (%d) < 2", name, static_cast<int>(count));
    return 0;
  }
  std::unique_ptr<POINT[]> pixels(new (std::nothrow) POINT[count]);
  if (!pixels) {
    TheLog().Print(4, "%s : new return NULL", name);
    return 0;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    const shape_math::PixelPoint p = shape_math::ToPixel(apos.Item(i));
    pixels[i] = POINT{p.x, p.y};
  }
  return call(canvas->draw_dc, pixels.get(), static_cast<int>(count));
}

}  // namespace

// --- CICGPolygon ----------------------------------------------------------------------

CICGPolygon::CICGPolygon(CICG& canvas, const CITable<C2DPos>& points, const ShapeStyle& style)
    : canvas_(&canvas), points_(points), style_(style) {}

CICGPolygon::CICGPolygon(CICG& canvas, std::initializer_list<C2DPos> points,
                         const ShapeStyle& style)
    : canvas_(&canvas), points_(TableOf(points)), style_(style) {}

CICGPolygon::~CICGPolygon() = default;

void CICGPolygon::Draw(C2DPos position, float angle) {
  const CITable<C2DPos> placed = Placed(points_, GetOffset(), angle, position);
  SelectSolidPen(*canvas_, style_.pen_width, style_.pen_color);
  SelectSolidBrush(*canvas_, style_.fill_color);
  _polygon(placed, canvas_);
}

bool CICGPolygon::HitTest(float, float) const { return false; }

BOOL CICGPolygon::_polygon(const CITable<C2DPos>& apos, CICG* canvas) {
  return DrawPoints(apos, canvas, &::Polygon, "_polygon");
}

// --- CICGPolyline ---------------------------------------------------------------------

CICGPolyline::CICGPolyline(CICG& canvas, const CITable<C2DPos>& points, const ShapeStyle& style)
    : canvas_(&canvas), points_(points), style_(style) {}

CICGPolyline::CICGPolyline(CICG& canvas, std::initializer_list<C2DPos> points,
                           const ShapeStyle& style)
    : canvas_(&canvas), points_(TableOf(points)), style_(style) {}

CICGPolyline::~CICGPolyline() = default;

void CICGPolyline::Draw(C2DPos position, float angle) {
  const CITable<C2DPos> placed = Placed(points_, GetOffset(), angle, position);
  SelectSolidPen(*canvas_, style_.pen_width, style_.pen_color);
  _polyline(placed, canvas_);
}

bool CICGPolyline::HitTest(float, float) const { return false; }

BOOL CICGPolyline::_polyline(const CITable<C2DPos>& apos, CICG* canvas) {
  return DrawPoints(apos, canvas, &::Polyline, "_polyline");
}

// --- CICGCircle -----------------------------------------------------------------------

CICGCircle::CICGCircle(CICG& canvas, float width, float height, const ShapeStyle& style)
    : canvas_(&canvas), width_(width), height_(height), style_(style) {}

CICGCircle::~CICGCircle() = default;

void CICGCircle::Draw(C2DPos position, float) {
  const shape_math::PixelBox box = shape_math::EllipseBounds(position, width_, height_);
  SelectSolidPen(*canvas_, style_.pen_width, style_.pen_color);
  SelectSolidBrush(*canvas_, style_.fill_color);
  canvas_->DrawEllipse(box.left, box.top, box.right, box.bottom);
}

bool CICGCircle::HitTest(float x, float y) const {
  return shape_math::EllipseContains(AbsolutePosition(), width_, height_, x, y);
}
