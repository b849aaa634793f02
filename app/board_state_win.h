// The Board state: the program's one record of settings, view switches and the run-time
// handles of the board.
//
// Two threads use it without sharing a lock for the whole record: the window's thread
// changes settings between frames, the frame thread reads them once at the start of each
// frame (Snapshot). Every shared number and switch is therefore an atomic word, and the
// text lives behind a small lock of its own, so a frame sees each field either before
// or after a change and the text always whole.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "app/board_rules.h"
#include "canvas/gdi_win.h"
#include "canvas/icg.h"
#include "stereogram/stereogram.h"

inline constexpr std::size_t kBackgroundFileCapacity = 256;
inline constexpr std::size_t kTextCapacity = board::kTextBytes + 1;

// The settings one frame is made with, all taken at its start.
struct FrameSettings {
  StereogramParams params;
  bool show_guide;
  bool paused;
  char text[kTextCapacity];
};

struct BoardState {
  std::unique_ptr<CICG> canvas;
  RECT client_rect{0, 0, 960, 320};  // the picture's size; nothing changes it
  std::int32_t text_layer = 0;
  std::int32_t base_layer = 0;
  std::int32_t guide_layer = 0;
  std::atomic<bool> show_text{false};
  std::atomic<bool> show_guide{false};
  std::unique_ptr<std::uint32_t[]> depth_buffer;
  char background_file[kBackgroundFileCapacity] = {};  // relative to the program folder
  char background_path[MAX_PATH] = {};
  gdi::Bitmap background_bitmap;
  std::int32_t depth_divisor = 4;
  std::atomic<bool> reverse{false};
  std::atomic<std::int32_t> parallax_width{100};
  std::atomic<std::uint32_t> text_depth{200};
  std::atomic<std::uint32_t> dot_mode{1};

 private:
  mutable std::mutex text_lock_;
  char text_[kTextCapacity] = {};

 public:
  std::atomic<bool> paused{false};
  // The background image drawn on black, as pixels: what every frame's depth image
  // starts from. The image does not change while the board runs, so it is read from a
  // layer once, at setup; none without a background image.
  std::unique_ptr<std::uint32_t[]> background_depth;

  // The hidden text, cut to 40 bytes before a double-byte character that would not fit.
  void SetText(const char* text);
  void GetText(char (&text)[kTextCapacity]) const;

  std::int32_t PictureWidth() const { return client_rect.right - client_rect.left; }

  // Brings settings that came from outside the options dialog into its ranges.
  void FitSettings();

  FrameSettings Snapshot() const;
};

// The program's one Board state, with static storage.
extern BoardState g_board;
