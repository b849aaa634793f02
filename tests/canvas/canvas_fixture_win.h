// What the canvas tests and those above them share: a real window of a chosen client
// size, the program's log redirected into a folder of the test's own, and pixel access to
// layers and to the composed picture.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "canvas/gdi_win.h"
#include "canvas/icg.h"
#include "canvas/transfer_win.h"
#include "support/log_manager.h"
#include "tests/support/temp_folder_win.h"

namespace canvas_test {

inline constexpr int kWidth = 960;
inline constexpr int kHeight = 320;

// A top-level pop-up window whose client area is exactly width x height.
class TestWindow {
 public:
  explicit TestWindow(int width = kWidth, int height = kHeight) {
    static const ATOM kClass = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = DefWindowProcA;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "ParalluxCanvasTest";
      return RegisterClassA(&wc);
    }();
    handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, MAKEINTATOM(kClass), "", WS_POPUP, 0, 0, width,
                              height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(handle_, SW_SHOWNOACTIVATE);
    UpdateWindow(handle_);
  }
  ~TestWindow() { DestroyWindow(handle_); }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND get() const { return handle_; }
  void Destroy() { DestroyWindow(handle_); }

 private:
  HWND handle_;
};

// The program's one log manager writes `name`0.log into a folder of this object's for
// its lifetime.
class LogCapture {
 public:
  explicit LogCapture(const std::string& name = "canvas") : name_(name) {
    TheLog().Setup(folder_.path().c_str(), name.c_str(), 10, 0);
  }
  ~LogCapture() { TheLog().Close(); }

  const TempFolder& folder() const { return folder_; }
  // Every message written so far; the empty lines after system texts are left out.
  std::vector<std::string> Lines() const {
    TheLog().Close();
    std::vector<std::string> lines = LogMessages(folder_.Read(name_ + "0.log"));
    std::erase(lines, std::string());
    return lines;
  }
  // How many lines contain `text`.
  int Count(const std::string& text) const {
    int n = 0;
    for (const std::string& line : Lines()) n += line.find(text) != std::string::npos ? 1 : 0;
    return n;
  }

 private:
  TempFolder folder_;
  std::string name_;
};

inline bool WaitFor(const auto& condition, DWORD timeout_ms = 5000) {
  for (const DWORD start = GetTickCount(); !condition(); Sleep(5)) {
    if (GetTickCount() - start > timeout_ms) return false;
  }
  return true;
}

// Another thread opens the clipboard and holds it for `ms` (ownership is per thread); it
// is open when this returns.
inline std::thread HoldClipboard(DWORD ms) {
  HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([=] {
    OpenClipboard(nullptr);
    SetEvent(opened);
    Sleep(ms);
    CloseClipboard();
  });
  WaitForSingleObject(opened, 10000);
  CloseHandle(opened);
  return holder;
}

inline std::vector<std::uint32_t> ReadBitmap(HBITMAP bitmap, int width, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height, 0xDEADBEEF);
  HDC screen = GetDC(nullptr);
  EXPECT_TRUE(ReadBitmapBits(screen, bitmap, width, height, pixels.data())) << "GetDIBits";
  ReleaseDC(nullptr, screen);
  return pixels;
}

// The composed picture as the clipboard copy takes it (the composition test shows that
// this is the picture each mode composes).
inline std::vector<std::uint32_t> ReadComposition(CICG& canvas) {
  return ReadBitmap(canvas.CopyPicture().get(), canvas.width, canvas.height);
}

// A layer's pixels through the canvas's own transfer.
inline std::vector<std::uint32_t> ReadLayer(CICG& canvas, std::int32_t number) {
  EXPECT_EQ(1, canvas._get_dib_src(number)) << "_get_dib_src(" << number << ")";
  return {canvas.src_buffer, canvas.src_buffer + canvas.width * canvas.height};
}

// Every pixel of a layer set to `pixel`.
inline void FillLayer(CICG& canvas, std::int32_t number, std::uint32_t pixel) {
  std::fill(canvas.dst_buffer, canvas.dst_buffer + canvas.width * canvas.height, pixel);
  EXPECT_EQ(1, canvas._set_dib_dst(number)) << "_set_dib_dst(" << number << ")";
}

// A buffer pixel: red in bits 16-23, blue in 0-7 (a GDI colour has them the other way).
constexpr std::uint32_t Pixel(int red, int green, int blue) {
  return static_cast<std::uint32_t>(red << 16 | green << 8 | blue);
}

// A canvas-sized bottom-up buffer addressed from the top-left, as GDI draws.
struct Picture {
  std::vector<std::uint32_t> pixels;
  std::uint32_t operator()(int x, int y) const {
    return pixels[static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x];
  }
};

inline ICGLayer Description(std::int32_t mode, COLORREF key = 0, std::uint32_t transparency = 0) {
  ICGLayer layer{};
  layer.mode = mode;
  layer.key_color = key;
  layer.source_rect = RECT{0, 0, kWidth, kHeight};
  layer.transparency = transparency;
  return layer;
}

}  // namespace canvas_test
