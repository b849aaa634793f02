// The board's text through GDI, drawn as the board draws it: the board's font, DrawTextA
// measuring the text first, grey on an opaque black background.
#include <windows.h>

#include <cstring>

#include "canvas/gdi_win.h"
#include "text/board_font_win.h"
#include "text/text_mask.h"

namespace {

bool Refuse(std::string* error, std::string message) {
  *error = std::move(message);
  return false;
}

// The text in UTF-16; false for bytes that are no text of the ANSI code page.
bool Widen(const std::string& text, std::wstring* wide) {
  if (text.empty()) return true;
  const int length = static_cast<int>(text.size());
  const int count =
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (count <= 0) return false;
  wide->resize(static_cast<std::size_t>(count));
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, wide->data(),
                             count) == count;
}

// The first character of `wide` that the font selected into `dc` has no glyph for, or 0.
wchar_t MissingGlyph(HDC dc, const std::wstring& wide) {
  std::vector<WORD> glyphs(wide.size());
  const int count = static_cast<int>(wide.size());
  if (GetGlyphIndicesW(dc, wide.c_str(), count, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) ==
      GDI_ERROR) {
    return wide.empty() ? 0 : wide[0];
  }
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    if (glyphs[i] == 0xFFFF) return wide[i];
  }
  return 0;
}

// Draws into a top-down 32-bit picture of the measured size and keeps its blue bytes.
bool Draw(HDC dc, const std::string& text, std::uint32_t depth, TextMask* mask) {
  const int length = static_cast<int>(text.size());
  RECT extent{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), length, &extent, DT_CALCRECT | DT_NOPREFIX);
  mask->width = extent.right;
  mask->height = extent.bottom;
  mask->grey.assign(static_cast<std::size_t>(mask->width) * mask->height, 0);
  if (mask->width <= 0 || mask->height <= 0) return true;
  BITMAPINFO info{};
  info.bmiHeader = {
      sizeof(BITMAPINFOHEADER), mask->width, -mask->height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const gdi::Bitmap picture(static_cast<HBITMAP>(
      gdi::Adopt(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0))));
  if (!picture) return false;
  {
    const gdi::Selection selected(dc, picture.get());
    if (!selected) return false;
    const BYTE grey = static_cast<BYTE>(depth);
    SetTextColor(dc, RGB(grey, grey, grey));
    SetBkColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, text.c_str(), length, &extent, DT_NOPREFIX);
    GdiFlush();
  }
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < mask->grey.size(); ++i) {
    mask->grey[i] = static_cast<std::uint8_t>(pixels[i] & 0xFF);
  }
  return true;
}

}  // namespace

bool DrawTextMask(const std::string& text, std::uint32_t depth, const std::string& face_file,
                  TextMask* mask, std::string* error) {
  if (!face_file.empty()) {
    return Refuse(error, "--font is for the FreeType build; this one draws with the board's font");
  }
  std::wstring wide;
  if (!Widen(text, &wide)) return Refuse(error, "--text is not valid in the ANSI code page");
  for (const wchar_t c : wide) {
    if (c < 0x20 || c == 0x7F) return Refuse(error, "--text holds a control character");
  }
  const gdi::MemoryDC dc(nullptr);
  const gdi::Font font(gdi::CreateFont(BoardLogFont()));
  if (!dc || !font) return Refuse(error, "the board's font could not be made");
  const gdi::Selection selected(dc, font.get());
  if (const wchar_t missing = MissingGlyph(dc, wide); missing != 0) {
    char code[16];
    wsprintfA(code, "U+%04X", static_cast<unsigned>(missing));
    return Refuse(error, std::string("the board's font has no glyph for ") + code + " of --text");
  }
  if (!Draw(dc, text, depth, mask)) return Refuse(error, "the text could not be drawn");
  return true;
}
