// Drawing primitives: thin calls on the drawing DC, which holds the current layer.
#include "canvas/gdi_win.h"
#include "canvas/icg.h"
#include "geometry/shape_math.h"

namespace {

// A float from a caller's arithmetic may be NaN or far beyond int, where a plain
// conversion is undefined: the shapes' pixel rules clamp such values to GDI's limit.
using shape_math::RoundToPixel;
using shape_math::TruncateToPixel;

int FillWithColor(HDC dc, const RECT& rect, COLORREF color) {
  gdi::Brush brush(gdi::CreateBrush(color));
  if (!brush) return 0;
  // Filled with, never selected: the brush that shapes are drawn with stays as it was.
  return FillRect(dc, &rect, brush.get());
}

}  // namespace

BOOL CICG::MoveTo(C2DPos position) { return MoveTo(position.Get(0, 0), position.Get(0, 1)); }

BOOL CICG::MoveTo(float x, float y) {
  // Pen coordinates round half up: 2.5 gives 3, -0.7 gives 0, -1.6 gives -1.
  return MoveToEx(draw_dc, RoundToPixel(x), RoundToPixel(y), nullptr);
}

BOOL CICG::LineTo(C2DPos position) { return LineTo(position.Get(0, 0), position.Get(0, 1)); }

BOOL CICG::LineTo(float x, float y) { return ::LineTo(draw_dc, RoundToPixel(x), RoundToPixel(y)); }

int CICG::FillColor(const float rect[4], COLORREF color) {
  // Edges truncate toward zero, unlike pen coordinates.
  const RECT edges{TruncateToPixel(rect[0]), TruncateToPixel(rect[1]), TruncateToPixel(rect[2]),
                   TruncateToPixel(rect[3])};
  return FillWithColor(draw_dc, edges, color);
}

int CICG::FillColorRect(const RECT& rect, COLORREF color) {
  return FillWithColor(draw_dc, rect, color);
}

int CICG::FillCanvas(COLORREF color) {
  return FillWithColor(draw_dc, RECT{0, 0, width, height}, color);
}

int CICG::ClearCanvas() { return FillCanvas(key_color); }

BOOL CICG::DrawRectangle(const RECT& rect) {
  return Rectangle(draw_dc, rect.left, rect.top, rect.right, rect.bottom);
}

BOOL CICG::DrawEllipse(int left, int top, int right, int bottom) {
  return Ellipse(draw_dc, left, top, right, bottom);
}

COLORREF CICG::PutPixel(int x, int y, COLORREF color) { return SetPixel(draw_dc, x, y, color); }

BOOL CICG::GetTextSize(const char* text, int length, SIZE* size) {
  return GetTextExtentPoint32A(draw_dc, text, length, size);
}

int CICG::DrawTextRect(const char* text, int length, RECT* rect, UINT format) {
  return DrawTextA(draw_dc, text, length, rect, format);
}

COLORREF CICG::TextColor(COLORREF color) { return SetTextColor(draw_dc, color); }

COLORREF CICG::BackColor(COLORREF color) { return SetBkColor(draw_dc, color); }

int CICG::SelectGdiObject(HGDIOBJ object) {
  HGDIOBJ replaced = SelectObject(draw_dc, object);
  if (replaced == nullptr || replaced == HGDI_ERROR) return 0;
  gdi::DeleteObject(replaced);
  return 1;
}

int CICG::SetBrushColor(COLORREF color) {
  gdi::Brush brush(gdi::CreateBrush(color));
  if (!brush) return 0;
  if (!SelectGdiObject(brush.get())) return 0;
  brush.release();
  return 1;
}
