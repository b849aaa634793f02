// The frame renderer: binds the board to its canvas. SetupBoard builds the canvas on the
// main window with the text and guide layers and starts the frame thread; BoardFrame
// draws each frame on that thread; TeardownBoard releases it all.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/board_state_win.h"

// 0 when the board runs; otherwise a Win32 error code, after everything made so far has
// been released again and the failure logged. The window must then be refused.
DWORD SetupBoard(BoardState& board, HWND window);
// Stops the frame thread (with the canvas), then frees what the frames used.
void TeardownBoard(BoardState& board);
// The frame callback: the canvas's user data is the Board state.
std::int32_t BoardFrame(CICG* canvas, std::uint32_t elapsed_ms);
void ShowText(BoardState& board, bool show);
void ShowGuide(BoardState& board, bool show);

// The scroll clock: milliseconds of frames drawn since the text last started at the
// right edge. Read by tests; only the frame thread changes it.
std::uint32_t ScrollClock();
// The dots seeded with `seed` and the text back at the right edge, as at the board's
// start: for tests that compare the board's frames with frames made elsewhere.
void RestartFrames(std::uint32_t seed);
