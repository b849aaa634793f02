// The shapes that draw themselves on a canvas: a filled polygon, an open polyline and a
// filled axis-aligned ellipse. Each draws with a pen and brush of its own colours into
// the canvas's drawing DC, that is, on the canvas's current layer.
//
// A shape keeps a pointer to its canvas and does not own it: the canvas must outlive
// the shape's drawing. Draw from the canvas's frame callback once its frame thread runs.
//
// A polygon or polyline turns its points about its own offset, then moves them by the
// position it is drawn at. So to draw one where a chain of shapes puts it, give it the
// offset (0, 0) under a shape that holds the place (a plain C2DObject will do), and draw
// it at its absolute position and angle:
//
//   C2DObject arm(C2DPos(40, 0));                     // 40 pixels out from the hub
//   arm.SetParent(&hub);
//   const ShapeStyle blue{.pen_color = RGB(255, 255, 255), .pen_width = 1,
//                         .fill_color = RGB(0, 0, 255)};
//   CICGPolygon star(canvas, {{0, -20}, {6, 8}, {-6, 8}}, blue);
//   star.SetParent(&arm);
//   float angle = 0;
//   const C2DPos at = star.AbsolutePosition(nullptr, angle);
//   star.Draw(at, angle);
#pragma once

#include <windows.h>

#include <initializer_list>

#include "canvas/icg.h"
#include "geometry/matrix.h"
#include "geometry/shape.h"
#include "geometry/table.h"

// The outline and fill of a shape; a polyline has no fill.
struct ShapeStyle {
  COLORREF pen_color = RGB(255, 255, 255);
  int pen_width = 1;
  COLORREF fill_color = RGB(255, 255, 255);
};

// A filled polygon through its corners. Draw(position, angle) turns the corners about the
// shape's offset by `angle` (radians; with y growing downwards, a positive angle turns
// +x towards +y), then moves them by `position`.
class CICGPolygon : public C2DObject {
 public:
  CICGPolygon(CICG& canvas, const CITable<C2DPos>& points, const ShapeStyle& style);
  CICGPolygon(CICG& canvas, std::initializer_list<C2DPos> points, const ShapeStyle& style);
  ~CICGPolygon() override;

  void Draw(C2DPos position, float angle) override;
  // Polygons are not hit-tested: always false.
  bool HitTest(float x, float y) const override;

  // The corners in the shape's own coordinates; change them freely between draws.
  CITable<C2DPos>& Points() { return points_; }
  const CITable<C2DPos>& Points() const { return points_; }
  void SetStyle(const ShapeStyle& style) { style_ = style; }
  const ShapeStyle& GetStyle() const { return style_; }

 protected:
  // Draws the positions with Polygon on the canvas's drawing DC, each rounded half up.
  // Fewer than two positions are logged and draw nothing (0).
  static BOOL _polygon(const CITable<C2DPos>& apos, CICG* canvas);

 private:
  CICG* canvas_;
  CITable<C2DPos> points_;
  ShapeStyle style_;
};

// An open polyline through its points, drawn with the pen of its style (the fill colour
// is not used). Placed and turned as the polygon.
class CICGPolyline : public C2DObject {
 public:
  CICGPolyline(CICG& canvas, const CITable<C2DPos>& points, const ShapeStyle& style);
  CICGPolyline(CICG& canvas, std::initializer_list<C2DPos> points, const ShapeStyle& style);
  ~CICGPolyline() override;

  void Draw(C2DPos position, float angle) override;
  // Polylines are not hit-tested: always false.
  bool HitTest(float x, float y) const override;

  CITable<C2DPos>& Points() { return points_; }
  const CITable<C2DPos>& Points() const { return points_; }
  void SetStyle(const ShapeStyle& style) { style_ = style; }
  const ShapeStyle& GetStyle() const { return style_; }

 protected:
  // As _polygon, with Polyline.
  static BOOL _polyline(const CITable<C2DPos>& apos, CICG* canvas);

 private:
  CICG* canvas_;
  CITable<C2DPos> points_;
  ShapeStyle style_;
};

// A filled axis-aligned ellipse of width x height pixels. Draw centres it at the position
// it is given; an ellipse has no angle, and its own offset is not added.
class CICGCircle : public C2DObject {
 public:
  CICGCircle(CICG& canvas, float width, float height, const ShapeStyle& style);
  ~CICGCircle() override;

  void Draw(C2DPos position, float angle) override;
  // True for a point inside the ellipse centred at the shape's absolute position, or on
  // its boundary.
  bool HitTest(float x, float y) const override;

  void SetSize(float width, float height) {
    width_ = width;
    height_ = height;
  }
  float GetWidth() const { return width_; }
  float GetHeight() const { return height_; }
  void SetStyle(const ShapeStyle& style) { style_ = style; }
  const ShapeStyle& GetStyle() const { return style_; }

 private:
  CICG* canvas_;
  float width_;
  float height_;
  ShapeStyle style_;
};
