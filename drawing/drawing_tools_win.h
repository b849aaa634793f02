// Pens and brushes for the shapes and the graph, handed to the canvas.
//
// Each is made through canvas/gdi_win.h and selected into the canvas's drawing DC with
// SelectGdiObject, which deletes the object it replaces and, later, this one when it is
// replaced or the canvas goes away. So drawing any number of shapes leaves one pen and
// one brush alive, whoever drew last.
#pragma once

#include <windows.h>

#include "canvas/icg.h"

// A solid pen of `width` pixels in `color`. False when it could not be made or
// selected; the pen selected before stays then.
bool SelectSolidPen(CICG& canvas, int width, COLORREF color);
// A solid brush of `color`; false as for the pen.
bool SelectSolidBrush(CICG& canvas, COLORREF color);
