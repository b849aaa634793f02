#include "app/renderer_win.h"

#include <atomic>
#include <cstring>
#include <exception>

#include "canvas/gdi_win.h"
#include "canvas/pixel_memory.h"
#include "stereogram/text_placement.h"
#include "stereogram/text_view.h"
#include "support/log_manager.h"
#include "text/board_font_win.h"

namespace {

constexpr float kFramesPerSecond = 15.0f;

// Frame-thread state. The clock is atomic only so that tests may read it.
std::atomic<std::uint32_t> g_scroll_clock{0};
DotGenerator g_dots;

// Fails the setup: logged, and everything made so far released.
DWORD RefuseSetup(BoardState& board, DWORD code, const char* what) {
  TheLog().Print(4, "SetupBoard : %s", what);
  TeardownBoard(board);
  return code;
}

// Draws the text image: `text` in grey at `depth` on black, `steps` scrolled.
void DrawScrollingText(CICG& canvas, const char* text, std::uint32_t depth, std::uint32_t elapsed) {
  HDC dc = canvas.draw_dc;
  // One font per frame, released with it; without it the DC's own font serves.
  gdi::Font font(gdi::CreateFont(BoardLogFont()));
  gdi::Selection selected(dc, font.get());
  const COLORREF grey = RGB(depth & 0xFF, depth & 0xFF, depth & 0xFF);
  SetTextColor(dc, grey);
  SetBkColor(dc, RGB(0, 0, 0));  // the mode stays opaque: cells are black behind glyphs

  const int length = static_cast<int>(std::strlen(text));
  RECT extent{0, 0, 0, 0};
  // No prefix: a typed '&' is a character to show, not a mark for underlining the next.
  DrawTextA(dc, text, length, &extent, DT_CALCRECT | DT_NOPREFIX);
  const TextPlacement at = PlaceText(g_scroll_clock.load() + elapsed, canvas.width, canvas.height,
                                     extent.right, extent.bottom);
  g_scroll_clock = at.clock;
  RECT place{at.x, at.y, at.x + extent.right, at.y + extent.bottom};
  DrawTextA(dc, text, length, &place, DT_NOPREFIX);
}

}  // namespace

DWORD SetupBoard(BoardState& board, HWND window) {
  try {
    board.canvas = std::make_unique<CICG>(window);
  } catch (const char* text) {
    // The canvas has logged the failed call; this says what it meant.
    return RefuseSetup(board, ERROR_FUNCTION_FAILED, text != nullptr ? text : "canvas");
  } catch (const std::exception& error) {
    return RefuseSetup(board, ERROR_NOT_ENOUGH_MEMORY, error.what());
  }
  CICG& canvas = *board.canvas;
  const std::size_t pixels = static_cast<std::size_t>(canvas.width) * canvas.height;
  board.depth_buffer.reset(AllocatePixels(pixels));
  if (!board.depth_buffer) return RefuseSetup(board, ERROR_NOT_ENOUGH_MEMORY, "depth buffer");

  board.background_bitmap.reset(
      board.background_path[0] != '\0' ? CICG::LoadBitmapFile(board.background_path) : nullptr);
  g_dots.Seed(GetTickCount());
  board.base_layer = canvas.GetBaseLayer();

  ICGLayer description{};
  description.source_rect = RECT{0, 0, canvas.width, canvas.height};
  description.transparency = board::kTextViewTransparency;
  board.text_layer = canvas.CreateLayer(description);
  description.key_color = canvas.GetKeyColor();
  board.guide_layer = board.text_layer != 0 ? canvas.CreateLayer(description) : 0;
  if (board.text_layer == 0 || board.guide_layer == 0) {
    return RefuseSetup(board, ERROR_FUNCTION_FAILED, "CreateLayer");
  }
  if (board.background_bitmap != nullptr) {
    board.background_depth.reset(AllocatePixels(pixels));
    if (!board.background_depth) {
      return RefuseSetup(board, ERROR_NOT_ENOUGH_MEMORY, "background depth");
    }
    // The background on black, read back once for all frames.
    canvas.SelectLayer(board.text_layer);
    canvas.FillCanvas(RGB(0, 0, 0));
    canvas.DrawBitmap(board.background_bitmap);
    canvas._get_dib_src(board.text_layer);
    std::memcpy(board.background_depth.get(), canvas.src_buffer, pixels * sizeof(std::uint32_t));
  }
  // The views as they stand (both off at start).
  ShowText(board, board.show_text);
  ShowGuide(board, board.show_guide);

  canvas.SetNoWait(false);
  const DWORD started = canvas.StartFrameThread(&board, &BoardFrame, kFramesPerSecond);
  if (started != 0) RefuseSetup(board, started, "StartFrameThread");
  return started;
}

void TeardownBoard(BoardState& board) {
  // The canvas first: its destruction ends the frame thread, which uses the rest.
  board.canvas.reset();
  board.depth_buffer.reset();
  board.background_depth.reset();
  board.background_bitmap.reset();
  board.text_layer = board.base_layer = board.guide_layer = 0;
}

std::int32_t BoardFrame(CICG* canvas, std::uint32_t elapsed_ms) {
  auto* board = static_cast<BoardState*>(canvas->GetUserData());
  if (board == nullptr) return 0;
  const FrameSettings settings = board->Snapshot();
  if (settings.paused) return 1;

  const std::int32_t width = canvas->width;
  const std::int32_t height = canvas->height;
  const std::size_t pixels = static_cast<std::size_t>(width) * height;

  // The background's depth on black, then the text on black: the text layer keeps only
  // the text, which the text view blends.
  std::uint32_t* depth = board->depth_buffer.get();
  if (board->background_depth) {
    std::memcpy(depth, board->background_depth.get(), pixels * sizeof(std::uint32_t));
  } else {
    std::memset(depth, 0, pixels * sizeof(std::uint32_t));
  }
  canvas->SelectLayer(board->text_layer);
  canvas->FillCanvas(RGB(0, 0, 0));
  DrawScrollingText(*canvas, settings.text, settings.params.text_depth, elapsed_ms);
  // The guide layer is drawn last; selecting it now also lets go of the text layer,
  // whose bits can then be read without parking the DC.
  canvas->SelectLayer(board->guide_layer);
  canvas->_get_dib_src(board->text_layer);

  // The depth image (the brighter of background and text) and the new dots. Every
  // pixel of the destination is written, so the previous picture need not be read.
  const std::uint32_t period = SynthesizeStereogram(width, height, depth, canvas->src_buffer,
                                                    canvas->dst_buffer, settings.params, g_dots);
  canvas->_set_dib_dst(board->base_layer);

  canvas->ClearCanvas();
  if (settings.show_guide) {
    for (const GuideRect& mark :
         GuideMarkRects(width, period, settings.params.text_depth, settings.params.reverse,
                        settings.params.depth_divisor)) {
      canvas->FillColorRect(RECT{mark.left, mark.top, mark.right, mark.bottom}, RGB(0, 0, 0));
    }
  }
  return 1;
}

void ShowText(BoardState& board, bool show) {
  board.show_text = show;
  if (board.canvas == nullptr) return;
  if (ICGLayer* layer = board.canvas->FindLayer(board.text_layer)) {
    layer->mode = show ? icg_mode::kAlphaBlend : icg_mode::kHidden;
  }
}

void ShowGuide(BoardState& board, bool show) {
  board.show_guide = show;
  if (board.canvas == nullptr) return;
  if (ICGLayer* layer = board.canvas->FindLayer(board.guide_layer)) {
    layer->mode = show ? icg_mode::kTransparent : icg_mode::kHidden;
  }
}

std::uint32_t ScrollClock() { return g_scroll_clock.load(); }

void RestartFrames(std::uint32_t seed) {
  g_dots.Seed(seed);
  g_scroll_clock = 0;
}
