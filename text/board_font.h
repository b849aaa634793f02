// The font the board hides its text in. The board (through GDI) and parallux-still
// (through GDI on Windows, FreeType elsewhere) draw with these values, so that the text
// of a still is the board's text.
#pragma once

#include <cstdint>

namespace board_font {

// The height of a character cell, in pixels: ascent and descent together (a positive
// LOGFONT height), not the em.
inline constexpr std::int32_t kCellHeight = 200;
inline constexpr std::int32_t kWeight = 700;  // bold; a face without a bold is emboldened
// The Japanese Gothic face of Windows, in the ANSI code page the board runs under.
// Wine gives the IPA Gothic for it, which is kFaceFile elsewhere.
inline constexpr char kFace[] = "ＭＳ ゴシック";
inline constexpr char kFaceFile[] = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

}  // namespace board_font
