// Construction and release of the canvas.
//
// Every platform call that fails while the canvas is built is logged in the system-error
// form and raised as the canvas error text; the line numbers of the log entries and of
// the texts are fixed identifiers of the failure (the log format relies on them), not
// lines of this file.
#include <cstring>

#include "canvas/gdi_win.h"
#include "canvas/icg.h"
#include "canvas/icg_report_win.h"
#include "canvas/pixel_memory.h"
#include "support/log_manager.h"

namespace {

constexpr COLORREF kDefaultKeyColor = 0x00FF00FF;
constexpr std::uint32_t kDefaultFramePeriod = 16;

// Layer 1, copied into the picture as it is.
std::unique_ptr<ICGLayer> BaseLayer(HBITMAP bitmap) {
  auto base = std::make_unique<ICGLayer>();
  *base = ICGLayer{};
  base->number = 1;
  base->mode = icg_mode::kCopy;
  base->rop = SRCCOPY;
  base->bitmap = bitmap;
  return base;
}

}  // namespace

CICG::CICG(HWND target)
    : console_output(INVALID_HANDLE_VALUE),
      console_input(INVALID_HANDLE_VALUE),
      console_buffer(INVALID_HANDLE_VALUE),
      window(target),
      layer_counter(0),
      current_layer(0),
      width(0),
      height(0),
      pacing{},
      no_wait(true),
      key_color(kDefaultKeyColor),
      thread_handle(nullptr),
      thread_id(0),
      running(false),
      screen_info{},
      cursor_info{},
      cell_size{},
      src_buffer(nullptr),
      dst_buffer(nullptr),
      frame_callback(nullptr),
      user_data(nullptr) {
  try {
    if (target == nullptr) BuildConsoleTarget();
    BuildDrawingTarget();
  } catch (...) {
    // A canvas that cannot be completed leaves nothing behind: the destructor will not
    // run for it, so whatever was acquired up to the failure is released here.
    Release(/*keep_error_text=*/true);
    throw;
  }
}

CICG::~CICG() {
  StopFrameThread();
  Release();
}

void CICG::BuildConsoleTarget() {
  console_output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (console_output == INVALID_HANDLE_VALUE) icg_report::Raise(344);
  if (!GetConsoleScreenBufferInfo(console_output, &screen_info)) icg_report::Raise(350);
  screen_info.dwMaximumWindowSize = screen_info.dwSize;
  if (!SetConsoleScreenBufferSize(console_output, screen_info.dwSize)) icg_report::Raise(357);

  console_buffer = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             CONSOLE_TEXTMODE_BUFFER, nullptr);
  if (console_buffer == INVALID_HANDLE_VALUE) icg_report::Raise(364);
  if (!SetConsoleActiveScreenBuffer(console_buffer)) icg_report::Raise(370);

  if (GetConsoleCursorInfo(console_output, &cursor_info)) {
    cursor_info.bVisible = FALSE;
    SetConsoleCursorInfo(console_buffer, &cursor_info);
  }

  console_input = GetStdHandle(STD_INPUT_HANDLE);
  if (console_input == INVALID_HANDLE_VALUE) {
    // Without console input the canvas still draws; only mouse input is lost.
    const DWORD code = GetLastError();
    TheLog().LogSystemError(4, kIcgSourceFile, 385, code);
    TheLog().Print(4, "GetStdHandle error(%08x)", static_cast<unsigned>(code));
  } else {
    DWORD mode = 0;
    if (GetConsoleMode(console_input, &mode))
      SetConsoleMode(console_input, mode | ENABLE_MOUSE_INPUT);
  }

  window = GetConsoleWindow();
  if (window == nullptr) {
    TheLog().Print(4, "GetConsoleWindow");
    icg_report::RaiseText(413);
  }
}

void CICG::BuildDrawingTarget() {
  window_dc.reset(gdi::GetWindowDC(window));
  if (!window_dc) icg_report::Raise(442);
  draw_dc.reset(gdi::CreateMemoryDC(window_dc));
  if (!draw_dc) icg_report::Raise(449);
  if (GetCurrentObject(window_dc, OBJ_BITMAP) == nullptr) icg_report::Raise(456);
  RECT client;
  if (!GetClientRect(window, &client)) icg_report::Raise(465);
  width = client.right;
  height = client.bottom;

  gdi::Bitmap base_bitmap(gdi::CreateBitmap(window_dc, width, height));
  if (!base_bitmap) icg_report::Raise(497);

  // Nothing on the platform reports a failed allocation of these; it is raised like
  // one, so that an owner sees a single way for construction to fail.
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  src_buffer = AllocatePixels(pixels);
  if (src_buffer == nullptr) icg_report::RaiseWithCode(505, ERROR_NOT_ENOUGH_MEMORY);
  dst_buffer = AllocatePixels(pixels);
  if (dst_buffer == nullptr) icg_report::RaiseWithCode(510, ERROR_NOT_ENOUGH_MEMORY);

  layers.push_back(BaseLayer(base_bitmap.release()));
  layer_counter = 1;
  current_layer = 1;

  // Each selection replaces a stock object of the new DC; deleting those is a no-op that
  // still tells whether the DC is sound.
  const struct {
    HGDIOBJ object;
    int select_line, delete_line;
  } selections[] = {{layers.front()->bitmap, 518, 523},
                    {GetStockObject(WHITE_PEN), 529, 534},
                    {GetStockObject(WHITE_BRUSH), 540, 545}};
  for (const auto& selection : selections) {
    HGDIOBJ replaced = SelectObject(draw_dc, selection.object);
    if (replaced == nullptr) icg_report::Raise(selection.select_line);
    if (!gdi::DeleteObject(replaced)) icg_report::Raise(selection.delete_line);
  }
  MoveToEx(draw_dc, 0, 0, nullptr);
  BuildComposition();

  pacing = pacing::FramePacing{};
  pacing.last_frame_time = GetTickCount();
  pacing.frame_period = kDefaultFramePeriod;
  no_wait.store(true);
  key_color = kDefaultKeyColor;

  if (console_output != INVALID_HANDLE_VALUE) {
    const SMALL_RECT& visible = screen_info.srWindow;
    cell_size.cx = width / (visible.Right - visible.Left + 1);
    cell_size.cy = height / (visible.Bottom - visible.Top + 1);
  } else if (!GetTextExtentPoint32A(window_dc, "0", 1, &cell_size)) {
    // The cell size serves text placement only; the canvas is usable without it.
    TheLog().LogSystemError(4, kIcgSourceFile, 596, GetLastError());
  }
}

void CICG::BuildComposition() {
  compose_dc.reset(gdi::CreateMemoryDC(window_dc));
  if (!compose_dc) icg_report::Raise(554);
  gdi::Bitmap composition(gdi::CreateBitmap(window_dc, width, height));
  if (!composition) icg_report::Raise(560);
  HGDIOBJ replaced = SelectObject(compose_dc, composition.get());
  if (replaced == nullptr) icg_report::Raise(566);
  compose_bitmap = std::move(composition);
  if (!gdi::DeleteObject(replaced)) icg_report::Raise(571);
}

void CICG::Release(bool keep_error_text) noexcept {
  // The owners would release all this as well, but in the order of their declaration and
  // without a word on failure; the order and the reports matter here.
  if (window_dc) {
    if (draw_dc) {
      // The drawing DC still holds the current layer's bitmap, and perhaps a pen, brush
      // or font the canvas took over (SelectGdiObject): put stock objects back so that
      // every one of them can be deleted.
      if (HBITMAP stock_bitmap = CreateCompatibleBitmap(draw_dc, 0, 0)) {
        SelectObject(draw_dc, stock_bitmap);
      }
      for (int stock : {WHITE_PEN, WHITE_BRUSH, SYSTEM_FONT}) {
        HGDIOBJ replaced = SelectObject(draw_dc, GetStockObject(stock));
        if (replaced != nullptr && !gdi::IsStockObject(replaced)) gdi::DeleteObject(replaced);
      }
    }
    for (const auto& layer : layers) {
      if (layer->bitmap != nullptr && !gdi::DeleteObject(layer->bitmap))
        icg_report::Report(631, keep_error_text);
    }
    layers.clear();
    if (!draw_dc.reset()) icg_report::Report(638, keep_error_text);
    if (!gdi::ReleaseWindowDC(window, window_dc.release())) {
      icg_report::Report(643, keep_error_text);
    }
  }
  // The composition DC before its bitmap, which it holds selected.
  if (!compose_dc.reset()) icg_report::Report(651, keep_error_text);
  compose_bitmap.reset();
  if (console_buffer != INVALID_HANDLE_VALUE) {
    // Give the console its own buffer back before ours goes away.
    SetConsoleActiveScreenBuffer(console_output);
    if (!CloseHandle(console_buffer)) {
      TheLog().LogSystemError(4, kIcgSourceFile, 659, GetLastError());
    }
    console_buffer = INVALID_HANDLE_VALUE;
  }
  FreePixels(src_buffer);
  src_buffer = nullptr;
  FreePixels(dst_buffer);
  dst_buffer = nullptr;
  stencil_scratch.reset();
}
