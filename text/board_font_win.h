// The board's font as GDI takes it.
#pragma once

#include <windows.h>

// Monochrome (NONANTIALIASED_QUALITY): an anti-aliased edge would be grey between the
// text depth and black, that is, depths the text does not have, and the synthesis would
// show them as a fringe around every character.
LOGFONTA BoardLogFont();
