#include "text/board_font_win.h"

#include <cstring>

#include "text/board_font.h"

LOGFONTA BoardLogFont() {
  LOGFONTA font{};
  font.lfHeight = board_font::kCellHeight;
  font.lfWeight = board_font::kWeight;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfOutPrecision = OUT_STROKE_PRECIS;
  font.lfClipPrecision = CLIP_STROKE_PRECIS;
  font.lfQuality = NONANTIALIASED_QUALITY;
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  static_assert(sizeof board_font::kFace <= sizeof font.lfFaceName);
  std::memcpy(font.lfFaceName, board_font::kFace, sizeof board_font::kFace);
  return font;
}
