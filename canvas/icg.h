// CICG, the canvas: an off-screen drawing surface bound to one window (or to the
// process's console window), with numbered layers, a frame thread that calls the
// application once per frame, composition of the layers into the window, pixel
// transfer between layers and pixel buffers, the clipboard copy and drawing primitives.
//
// Threads. The owner builds and destroys the canvas and starts and stops its frame
// thread. Between start and stop the frame thread owns the drawing DC, the layers'
// bitmaps and the pixel buffers: draw and transfer only from the frame callback, and
// create layers before the thread starts. The owner's thread may meanwhile change a
// layer's composition mode (an atomic word) and copy the picture to the clipboard,
// which waits for a composition in progress to finish (canvas_lock).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "canvas/gdi_win.h"
#include "canvas/layer.h"
#include "canvas/pacing.h"
#include "geometry/matrix.h"
#include "support/scoped_win.h"

class CICG;

// Called on the frame thread once per frame with the canvas and the milliseconds since
// the previous frame began; nonzero goes on, zero ends the thread.
using ICGFrameCallback = std::int32_t (*)(CICG* canvas, std::uint32_t elapsed_ms);

// The source file that canvas log entries and error texts name.
inline constexpr char kIcgSourceFile[] = ".\\icg";

class CICG {
 public:
  // Binds to `window`, or to the process's console window when it is null. Throws the
  // canvas error text (a const char*, see support/canvas_error.h) when a platform call
  // fails, after releasing everything it had acquired.
  explicit CICG(HWND window);
  CICG(const CICG&) = delete;
  CICG& operator=(const CICG&) = delete;

  // The order of the virtual operations is the order of their slots; keep it.
  // Stops the frame thread, then releases layers, DCs, bitmaps and buffers.
  virtual ~CICG();
  virtual BOOL MoveTo(C2DPos position);
  virtual BOOL MoveTo(float x, float y);
  virtual BOOL LineTo(C2DPos position);
  virtual BOOL LineTo(float x, float y);
  // Composes the layers by their modes and shows the picture; 1, or 0 on a failure.
  virtual std::int32_t DrawFrame();

  std::int32_t GetWidth() const { return width; }
  std::int32_t GetHeight() const { return height; }
  COLORREF GetKeyColor() const { return key_color; }
  void* GetUserData() const { return user_data; }

  // Frame thread, one per canvas. StartFrameThread returns 0 when the thread runs;
  // ERROR_BUSY while another start is under way or a thread runs; otherwise the error
  // code of the failed creation, after which the canvas is idle and may start again.
  // StopFrameThread wakes the thread and waits for it (up to 4 x 1000 ms, then ends it
  // by force); it returns at once when no thread was started.
  DWORD StartFrameThread(void* data, ICGFrameCallback callback, float rate);
  void StopFrameThread();
  // Test seam: the next thread creation fails with `error` (0 disarms).
  static void FailThreadCreation(DWORD error);
  void SetNoWait(bool no_wait_value) { no_wait.store(no_wait_value); }
  static DWORD WINAPI DrawThread(LPVOID pData);

  // Layers. Numbers start at 1 (the base layer) and are never reused; 0 means failure.
  std::int32_t CreateLayer(ICGLayer description);
  ICGLayer* FindLayer(std::int32_t number) const;
  std::int32_t SelectLayer(std::int32_t number);
  std::int32_t SetLayerMode(std::int32_t number, std::int32_t mode);
  std::int32_t GetBaseLayer() const;

  // Pixel transfer: a whole layer into src_buffer, dst_buffer into a whole layer. A
  // number that names no layer throws std::logic_error.
  std::int32_t _get_dib_src(std::int32_t number);
  std::int32_t _set_dib_dst(std::int32_t number);
  std::int32_t DrawBitmap(HBITMAP bitmap);
  // The caller owns the bitmap and deletes it with gdi::DeleteObject.
  static HBITMAP LoadBitmapFile(const char* path);
  // The picture of the last whole frame onto the clipboard as CF_BITMAP, trying a
  // clipboard that another window holds for a moment (about 200 ms) before failing.
  std::int32_t CopyToClipboard();
  // The same in two steps, for an owner that waits out a busy clipboard without
  // blocking its thread: a copy of the last whole frame's picture (null when it cannot
  // be made), and one attempt to hand it to the clipboard on behalf of `owner`, which
  // takes the picture over on success and leaves the last error set otherwise.
  enum class HandOver { kDone, kBusy, kFailed };
  gdi::Bitmap CopyPicture();
  static HandOver HandToClipboard(HWND owner, gdi::Bitmap& picture);

  // Drawing primitives on the current layer.
  int FillColor(const float rect[4], COLORREF color);
  int FillColorRect(const RECT& rect, COLORREF color);
  int FillCanvas(COLORREF color);
  int ClearCanvas();
  BOOL DrawRectangle(const RECT& rect);
  BOOL DrawEllipse(int left, int top, int right, int bottom);
  COLORREF PutPixel(int x, int y, COLORREF color);
  BOOL GetTextSize(const char* text, int length, SIZE* size);
  int DrawTextRect(const char* text, int length, RECT* rect, UINT format);
  COLORREF TextColor(COLORREF color);
  COLORREF BackColor(COLORREF color);
  // Selects an object the caller gives up (a pen, brush or font, never a layer
  // bitmap); the canvas deletes the object it replaces, and this one when replaced.
  int SelectGdiObject(HGDIOBJ object);
  int SetBrushColor(COLORREF color);

  // How mode 2 (key-colour transparency) is composed: on the pixel buffers (the
  // default, a fraction of TransparentBlt's cost) or by TransparentBlt. Both give the
  // same pixels.
  enum class KeyTransparency { kPixelBuffers, kTransparentBlt };
  void SetKeyTransparency(KeyTransparency how) { key_transparency = how; }

  // The canvas record. Callers read these fields directly (size, DCs, key colour,
  // buffers, user data); their order is part of the library's interface.
  CriticalSection canvas_lock;  // excludes a clipboard copy from a composition
  HANDLE console_output;        // INVALID_HANDLE_VALUE in window mode
  HANDLE console_input;         // console mode only
  HANDLE console_buffer;        // the screen buffer made for console mode
  HWND window;                  // the drawing target
  gdi::WindowDC window_dc;
  std::int32_t layer_counter;                     // number of the last layer created
  std::vector<std::unique_ptr<ICGLayer>> layers;  // creation order, base layer first
  std::int32_t current_layer;                     // the layer selected into draw_dc
  gdi::MemoryDC draw_dc;                          // holds the current layer's bitmap
  std::int32_t width;
  std::int32_t height;
  gdi::MemoryDC compose_dc;
  gdi::Bitmap compose_bitmap;
  pacing::FramePacing pacing;  // total elapsed ... statistics count
  std::atomic<bool> no_wait;
  COLORREF key_color;
  ScopedHandle thread_handle;  // null when no thread was started
  DWORD thread_id;
  std::atomic<bool> running;
  CONSOLE_SCREEN_BUFFER_INFO screen_info;
  CONSOLE_CURSOR_INFO cursor_info;
  SIZE cell_size;
  std::uint32_t* src_buffer;  // width x height pixels, rows bottom-up
  std::uint32_t* dst_buffer;
  ICGFrameCallback frame_callback;
  void* user_data;

 private:
  friend class CanvasComposer;

  void BuildConsoleTarget();
  void BuildDrawingTarget();
  // The composition DC and its bitmap, the size of the drawing target.
  void BuildComposition();
  // Releases whatever is held; also what a failed construction runs, which keeps the
  // error text of its failure.
  void Release(bool keep_error_text = false) noexcept;
  // Selects the current layer's bitmap into draw_dc again; false when that failed.
  bool ReselectCurrentLayer();
  // Reads or writes a layer's bits while no DC holds its bitmap.
  bool TransferLayerBits(const ICGLayer& layer, std::uint32_t* pixels, bool write);

  KeyTransparency key_transparency = KeyTransparency::kPixelBuffers;
  DWORD StartWorker(void* data, ICGFrameCallback callback, float rate);

  // The frame thread raised the timer resolution and has not lowered it again; a
  // forced end leaves that to StopFrameThread.
  std::atomic<bool> timer_raised{false};
  // Set by StopFrameThread: the thread waits on it between frames, so that a stop
  // takes at most the rest of one frame. Made at the first start and kept.
  ScopedHandle stop_event{nullptr};
  // A start is under way on this canvas.
  std::atomic<bool> starting{false};
  // Mode 6's scratch pixels, made at the first stencil layer and kept.
  std::unique_ptr<std::uint32_t[]> stencil_scratch;
};

// A device-independent bitmap holder: owns a pixel buffer and frees it.
class CIDIB {
 public:
  CIDIB() = default;
  explicit CIDIB(std::uint32_t* owned_pixels) : pixels(owned_pixels) {}
  CIDIB(const CIDIB&) = delete;
  CIDIB& operator=(const CIDIB&) = delete;
  virtual ~CIDIB() {
    delete[] pixels;
    pixels = nullptr;
  }

  std::uint32_t* pixels = nullptr;
};
