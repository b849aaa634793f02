#include "drawing/drawing_tools_win.h"

#include "canvas/gdi_win.h"

bool SelectSolidPen(CICG& canvas, int width, COLORREF color) {
  gdi::Pen pen(gdi::CreatePen(PS_SOLID, width, color));
  if (!pen || !canvas.SelectGdiObject(pen.get())) return false;
  pen.release();  // the canvas owns it now
  return true;
}

bool SelectSolidBrush(CICG& canvas, COLORREF color) { return canvas.SetBrushColor(color) != 0; }
