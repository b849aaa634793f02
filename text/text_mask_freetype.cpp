// The board's text through FreeType, for builds without GDI. Wine draws the board's
// text with FreeType too, from the same face; what it does is followed here: the cell
// height chooses the pixels per em, bold is made by emboldening the outline, and the
// glyphs are rendered in black and white.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <memory>

#include "text/board_font.h"
#include "text/text_mask.h"

namespace {

// The code points of UTF-8 `text`; false for a text that is not UTF-8 (overlong forms,
// surrogates and values past U+10FFFF included).
bool DecodeUtf8(const std::string& text, std::vector<char32_t>* points) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80                   ? 0
                      : lead >= 0xC2 && lead < 0xE0 ? 1
                      : (lead & 0xF0) == 0xE0       ? 2
                      : lead >= 0xF0 && lead < 0xF5 ? 3
                                                    : -1;
    if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) return false;
    char32_t point = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      point = point << 6 | (next & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (point < kLeast[extra] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000)) {
      return false;
    }
    points->push_back(point);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

struct LibraryFree {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceFree {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<FT_LibraryRec_, LibraryFree>;
using Face = std::unique_ptr<FT_FaceRec_, FaceFree>;

FT_Long Rounded(FT_Long units, FT_Fixed scale) { return (FT_MulFix(units, scale) + 32) >> 6; }

// Sizes `face` as GDI sizes a font asked for by its cell height: the largest whole
// pixels per em whose cell (Windows ascent and descent) is not taller. Gives the
// ascent, the baseline's distance from the cell's top, and the cell's height.
bool SizeFace(FT_Face face, std::int32_t cell, FT_Long* ascent, FT_Long* height) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  FT_Long up = face->ascender;
  FT_Long down = -face->descender;
  if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent != 0) {
    up = os2->usWinAscent;
    down = os2->usWinDescent;
  }
  const FT_Long units = up + down;
  if (units <= 0 || face->units_per_EM == 0) return false;
  FT_Long ppem = (face->units_per_EM * cell + units / 2) / units;
  if (ppem > 1 && (units * ppem + face->units_per_EM / 2) / face->units_per_EM > cell) --ppem;
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem)) != 0) return false;
  *ascent = Rounded(up, face->size->metrics.y_scale);
  *height = *ascent + Rounded(down, face->size->metrics.y_scale);
  return true;
}

// Renders the glyph `index` with its origin at (x, ascent) of `mask`, clipped to it, and
// returns its advance.
FT_Pos DrawGlyph(FT_Face face, FT_UInt index, FT_Pos x, FT_Long ascent, std::uint8_t grey,
                 TextMask* mask) {
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO) != 0) return 0;
  FT_GlyphSlot slot = face->glyph;
  FT_Pos advance = (slot->advance.x + 32) >> 6;
  if (board_font::kWeight >= 600 && (face->style_flags & FT_STYLE_FLAG_BOLD) == 0) {
    // GDI's made-up bold: the outline widened by a 24th of the em, and one pixel more
    // of advance a character (2618 pixels for the board's 14 characters, not 2604).
    FT_Outline_Embolden(&slot->outline, face->size->metrics.y_ppem * 64 / 24);
    ++advance;
  }
  if (mask == nullptr || FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return advance;
  const FT_Bitmap& bits = slot->bitmap;
  for (unsigned row = 0; row < bits.rows; ++row) {
    const FT_Long y = ascent - slot->bitmap_top + static_cast<FT_Long>(row);
    if (y < 0 || y >= mask->height) continue;
    const unsigned char* line = bits.buffer + static_cast<std::ptrdiff_t>(row) * bits.pitch;
    for (unsigned column = 0; column < bits.width; ++column) {
      const FT_Pos at = x + slot->bitmap_left + static_cast<FT_Pos>(column);
      if (at < 0 || at >= mask->width || (line[column / 8] & (0x80 >> column % 8)) == 0) continue;
      mask->grey[static_cast<std::size_t>(y) * mask->width + at] = grey;
    }
  }
  return advance;
}

bool Refuse(std::string* error, std::string message) {
  *error = std::move(message);
  return false;
}

}  // namespace

bool DrawTextMask(const std::string& text, std::uint32_t depth, const std::string& face_file,
                  TextMask* mask, std::string* error) {
  std::vector<char32_t> points;
  if (!DecodeUtf8(text, &points)) return Refuse(error, "--text is not valid UTF-8");
  for (const char32_t point : points) {
    if (point < 0x20 || point == 0x7F) return Refuse(error, "--text holds a control character");
  }
  const std::string path = face_file.empty() ? board_font::kFaceFile : face_file;
  const std::string named = (face_file.empty() ? "the board's face '" : "--font '") + path + "'";
  FT_Library library_handle = nullptr;
  if (FT_Init_FreeType(&library_handle) != 0) return Refuse(error, "FreeType did not start");
  const Library library(library_handle);
  FT_Face face_handle = nullptr;
  if (FT_New_Face(library.get(), path.c_str(), 0, &face_handle) != 0) {
    return Refuse(error, named + " cannot be read as a font");
  }
  const Face face(face_handle);
  FT_Long ascent = 0;
  FT_Long height = 0;
  if (!FT_IS_SCALABLE(face) || !SizeFace(face.get(), board_font::kCellHeight, &ascent, &height)) {
    return Refuse(error, named + " is not a scalable face");
  }
  std::vector<FT_UInt> glyphs;
  for (const char32_t point : points) {
    glyphs.push_back(FT_Get_Char_Index(face.get(), point));
    if (glyphs.back() != 0) continue;
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(point));
    return Refuse(error, named + " has no glyph for " + code + " of --text");
  }
  // Measured first, as the board measures before it draws.
  FT_Pos width = 0;
  for (const FT_UInt glyph : glyphs) width += DrawGlyph(face.get(), glyph, 0, 0, 0, nullptr);
  mask->width = static_cast<std::int32_t>(width);
  mask->height = static_cast<std::int32_t>(height);
  mask->grey.assign(static_cast<std::size_t>(width) * height, 0);
  FT_Pos x = 0;
  for (const FT_UInt glyph : glyphs) {
    x += DrawGlyph(face.get(), glyph, x, ascent, static_cast<std::uint8_t>(depth), mask);
  }
  return true;
}
