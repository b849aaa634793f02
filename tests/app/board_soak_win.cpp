// A soak of the running board: the program's window, menu commands and dialogs in this
// process, its frame thread driven far faster than the 15 frames a second it ships
// with, for as long as asked. The views and the pause are switched, the picture is
// copied and the dialogs are opened and closed over and over, while the GDI objects
// and DCs the program holds, its memory and its handles are sampled. It fails when any
// of them grows once the run has warmed up.
//
//   board_soak [--seconds N] [--sample-seconds S] [--rate FPS] [--actions LIST]
//
// LIST names what the user does, comma-separated, all by default: views (the text and
// guide views), pause, copy, dialogs. "none" leaves the frames alone at work, which
// tells a growth of the frames from one of the user's actions.
#include <windows.h>
// These two build on the types of windows.h.
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/board_window_win.h"
#include "app/renderer_win.h"
#include "app/resource.h"
#include "canvas/gdi_win.h"
#include "support/log_manager.h"
#include "tests/support/temp_folder_win.h"

namespace {

// GDI objects and DCs are counted exactly and must not move at all after the warm-up.
// Memory may move a little without any leak: the heap keeps freed blocks of its own,
// Wine fills caches lazily (fonts, dialog templates, clipboard formats). 2 MB is above
// what the long runs show for that, and far below what a leak in anything the run
// repeats leaves: 100 bytes a frame add 7 MB in ten minutes at 125 frames a second, a
// lost copy of the 1.2 MB picture passes it at the second copy, a lost handle a
// dialog passes 16 handles within a minute. A short run catches only the gross leaks.
constexpr std::int64_t kMemoryTolerance = 2 * 1024 * 1024;
constexpr std::int64_t kHandleTolerance = 16;

// The settings code is told that the program lives in the soak's own folder, so its
// settings and log land there and not beside this executable.
std::string g_module_path;

DWORD SoakModulePath(char* buffer, DWORD size) {
  if (g_module_path.size() >= size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, g_module_path.c_str(), g_module_path.size() + 1);
  return static_cast<DWORD>(g_module_path.size());
}

// Every frame the canvas asks for, counted, then the board's own frame.
std::atomic<std::uint32_t> g_frames{0};

std::int32_t CountedFrame(CICG* canvas, std::uint32_t elapsed_ms) {
  g_frames.fetch_add(1, std::memory_order_relaxed);
  return BoardFrame(canvas, elapsed_ms);
}

bool WaitFor(const auto& condition, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(5);
  }
  return true;
}

struct Sample {
  DWORD at_ms = 0;
  std::uint32_t frames = 0;
  gdi::LiveCounts live{};
  DWORD gui_gdi = 0;
  DWORD gui_user = 0;
  std::int64_t private_bytes = 0;  // as GetProcessMemoryInfo tells it (0 on Wine)
  std::int64_t committed = 0;      // private committed pages, counted region by region
  std::int64_t working_set = 0;
  DWORD handles = 0;         // as GetProcessHandleCount tells it (0 on Wine)
  DWORD listed_handles = 0;  // this process's entries in the system's handle list
};

// Wine answers PrivateUsage and GetProcessHandleCount with 0, so the soak also counts
// for itself: the committed private pages of the address space (what Windows calls
// private bytes), and the process's entries in the system handle list.
std::int64_t CommittedPrivateBytes() {
  std::int64_t total = 0;
  MEMORY_BASIC_INFORMATION region;
  const char* at = nullptr;
  while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
      total += static_cast<std::int64_t>(region.RegionSize);
    }
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;  // the top of the address space
    at = next;
  }
  return total;
}

// The layout of SystemHandleInformation (class 16), which winternl.h leaves out.
struct SystemHandleEntry {
  ULONG process_id;
  BYTE object_type;
  BYTE flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};
struct SystemHandleList {
  ULONG count;
  SystemHandleEntry entries[1];
};

DWORD ListedHandles() {
  static std::vector<std::uint8_t> buffer(1 << 20);
  for (int attempt = 0; attempt < 4; ++attempt) {
    ULONG needed = 0;
    const NTSTATUS status =
        NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), buffer.data(),
                                 static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
      DWORD mine = 0;
      for (ULONG i = 0; i < list->count; ++i) {
        mine += list->entries[i].process_id == GetCurrentProcessId() ? 1 : 0;
      }
      return mine;
    }
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
  }
  return 0;
}

Sample TakeSample(DWORD start) {
  Sample s;
  s.at_ms = GetTickCount() - start;
  s.frames = g_frames.load();
  s.live = gdi::Live();
  s.gui_gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  s.gui_user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory)) {
    s.private_bytes = static_cast<std::int64_t>(memory.PrivateUsage);
    s.working_set = static_cast<std::int64_t>(memory.WorkingSetSize);
  }
  s.committed = CommittedPrivateBytes();
  GetProcessHandleCount(GetCurrentProcess(), &s.handles);
  s.listed_handles = ListedHandles();
  return s;
}

void PrintSample(const Sample& s, std::uint32_t previous_frames, DWORD previous_ms) {
  const DWORD span = s.at_ms - previous_ms;
  const double rate = span > 0 ? 1000.0 * (s.frames - previous_frames) / span : 0.0;
  std::printf("%8.1f %9u %7.1f %7d %4d %6lu %6lu %10lld %10lld %10lld %7lu %7lu\n",
              s.at_ms / 1000.0, s.frames, rate, s.live.objects, s.live.dcs, s.gui_gdi, s.gui_user,
              static_cast<long long>(s.private_bytes / 1024),
              static_cast<long long>(s.committed / 1024),
              static_cast<long long>(s.working_set / 1024), s.handles, s.listed_handles);
}

// The user's side of the soak: commands to the main window, dialogs of the program.
class User {
 public:
  explicit User(HWND window) : window_(window) {}

  void Send(WORD command) { SendMessageA(window_, WM_COMMAND, command, 0); }

  void TogglePause() {
    Send(IDM_PAUSE);
    paused_ = !paused_;
  }
  bool paused() const { return paused_; }

  // A copy that reached the clipboard: the clipboard changed and holds a bitmap. With
  // `read`, the bitmap is read as well and must be the whole picture. That is kept for
  // now and then: Wine keeps about 1 KB in the reading process for every
  // GetClipboardData(CF_BITMAP), which would swamp the program's own figures.
  bool Copy(bool read) {
    const DWORD before = GetClipboardSequenceNumber();
    Send(IDM_COPY);
    if (GetClipboardSequenceNumber() == before || !IsClipboardFormatAvailable(CF_BITMAP))
      return false;
    if (!read) return true;
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (OpenClipboard(nullptr)) {
        bool whole = false;
        if (HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
          BITMAP info{};
          whole = GetObjectA(bitmap, sizeof info, &info) == sizeof info && info.bmWidth == 960 &&
                  info.bmHeight == 320;
        }
        CloseClipboard();
        return whole;
      }
      Sleep(10);  // on X11 the clipboard can be busy for a moment
    }
    return false;
  }

  // Opens a dialog from its command and closes it with its cancel button; false when
  // it did not appear or did not go.
  bool OpenAndClose(WORD command, const char* caption) {
    PostMessageA(window_, WM_COMMAND, command, 0);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = OwnedDialog(caption)) != nullptr; }, 5000)) return false;
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return WaitFor([&] { return !IsWindow(dialog); }, 5000);
  }

 private:
  HWND OwnedDialog(const char* caption) const {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", caption); w != nullptr;
         w = FindWindowExA(nullptr, w, "#32770", caption)) {
      if (GetWindow(w, GW_OWNER) == window_ && IsWindowVisible(w)) return w;
    }
    return nullptr;
  }

  HWND window_;
  bool paused_ = false;
};

struct Options {
  int seconds = 20;
  int sample_seconds = 0;  // 0: a tenth of the run, from 1 to 5 seconds
  float rate = 120.0f;
  bool views = true;
  bool pause = true;
  bool copy = true;
  bool dialogs = true;
};

bool ParseActions(const std::string& list, Options* options) {
  options->views = options->pause = options->copy = options->dialogs = false;
  std::size_t at = 0;
  while (at <= list.size()) {
    const std::size_t end = std::min(list.find(',', at), list.size());
    const std::string action = list.substr(at, end - at);
    if (action == "views") {
      options->views = true;
    } else if (action == "pause") {
      options->pause = true;
    } else if (action == "copy") {
      options->copy = true;
    } else if (action == "dialogs") {
      options->dialogs = true;
    } else if (action != "none") {
      return false;
    }
    at = end + 1;
  }
  return true;
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (arg == "--seconds") {
      options->seconds = std::atoi(value);
    } else if (arg == "--sample-seconds") {
      options->sample_seconds = std::atoi(value);
    } else if (arg == "--rate") {
      options->rate = static_cast<float>(std::atof(value));
    } else if (arg == "--actions") {
      if (!ParseActions(value, options)) return false;
    } else {
      return false;
    }
  }
  if (options->sample_seconds <= 0)
    options->sample_seconds = std::clamp(options->seconds / 10, 1, 5);
  return options->seconds > 0 && options->rate > 0.0f;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: board_soak [--seconds N] [--sample-seconds S] [--rate FPS] "
                 "[--actions views,pause,copy,dialogs|none]\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::vector<std::string> failures;
  const auto fail = [&](const std::string& what) {
    failures.push_back(what);
    std::printf("FAILURE: %s\n", what.c_str());
  };

  TempFolder folder;
  g_module_path = folder.path() + "Parallux.exe";
  TheLog().Setup(folder.path().c_str(), "Parallux", 10, 0);

  int exit_code = -1;
  std::thread board(
      [&] { exit_code = RunBoard(GetModuleHandleA(nullptr), SW_SHOWNOACTIVATE, &SoakModulePath); });
  HWND window = nullptr;
  if (!WaitFor([&] { return (window = FindWindowA("PARALLUX", "Parallux")) != nullptr; }, 20000)) {
    std::printf("FAILURE: the main window did not appear\n");
    board.join();
    return 1;
  }
  // Returns once the window's creation, and with it the board's setup, is over.
  SendMessageA(window, WM_NULL, 0, 0);
  CICG& canvas = *g_board.canvas;
  canvas.StopFrameThread();
  canvas.SetNoWait(false);
  if (canvas.StartFrameThread(&g_board, &CountedFrame, options.rate) != 0) {
    fail("the frame thread did not start again");
  }
  std::printf("soak: %d s at %.0f frames/s requested (period %u ms), a sample every %d s\n",
              options.seconds, options.rate, canvas.pacing.frame_period, options.sample_seconds);

  User user(window);
  const DWORD start = GetTickCount();
  const DWORD run_ms = static_cast<DWORD>(options.seconds) * 1000;
  // The first quarter of the run (at most 30 s) warms up: caches fill, the heap grows
  // to its working size.
  const DWORD warm_up_ms = std::min<DWORD>(run_ms / 4, 30000);
  std::vector<Sample> samples;
  int copies = 0, copies_read = 0, dialogs = 0, toggles = 0;
  bool read_next_copy = true;  // one copy read whole after each sample
  DWORD next_sample = 0;
  std::printf("%8s %9s %7s %7s %4s %6s %6s %10s %10s %10s %7s %7s\n", "t/s", "frames", "fps",
              "gdiobj", "dcs", "guiGDI", "guiUSR", "privateKB", "commitKB", "wsetKB", "handles",
              "listed");

  for (unsigned step = 0;; ++step) {
    const DWORD now = GetTickCount() - start;
    if (now >= next_sample || now >= run_ms) {
      // Sampled paused: a frame in progress holds its font and brushes for a moment,
      // a paused frame holds nothing, so the counts are exact.
      const bool was_paused = user.paused();
      if (!was_paused) user.TogglePause();
      const std::uint32_t frames = g_frames.load();
      if (!WaitFor([&] { return g_frames.load() >= frames + 2; }, 5000)) {
        fail("the frame thread stopped drawing");
        break;
      }
      samples.push_back(TakeSample(start));
      const Sample* before = samples.size() > 1 ? &samples[samples.size() - 2] : nullptr;
      PrintSample(samples.back(), before != nullptr ? before->frames : 0,
                  before != nullptr ? before->at_ms : 0);
      if (!was_paused) user.TogglePause();
      read_next_copy = true;
      next_sample += static_cast<DWORD>(options.sample_seconds) * 1000;
      if (now >= run_ms) break;
    }
    switch (step % 8) {
      case 0:
      case 4:
        if (!options.views) break;
        user.Send(IDM_VIEW_TEXT);
        ++toggles;
        break;
      case 1:
      case 5:
        if (!options.views) break;
        user.Send(IDM_VIEW_GUIDE);
        ++toggles;
        break;
      case 2:
      case 6:
        if (!options.copy) break;
        if (!user.Copy(read_next_copy)) {
          fail("copy " + std::to_string(copies) + " did not reach the clipboard" +
               (read_next_copy ? " whole" : ""));
        }
        copies_read += read_next_copy ? 1 : 0;
        read_next_copy = false;
        ++copies;
        break;
      case 3:
        if (!options.pause) break;
        user.TogglePause();
        ++toggles;
        break;
      case 7: {
        if (!options.dialogs) break;
        static const struct {
          WORD command;
          const char* caption;
        } kDialogs[] = {{IDM_OPTIONS, "オプション"},
                        {IDM_ABOUT, "バージョン情報 Parallux"},
                        {IDM_TEXT_INPUT, "入力"}};
        const auto& d = kDialogs[(step / 8) % 3];
        if (!user.OpenAndClose(d.command, d.caption)) {
          fail(std::string("the dialog ") + d.caption + " did not open and close");
        }
        ++dialogs;
        break;
      }
    }
    Sleep(20);
  }

  PostMessageA(window, WM_CLOSE, 0, 0);
  board.join();
  const gdi::LiveCounts after = gdi::Live();
  TheLog().Close();
  const std::string log = folder.Read("Parallux0.log");

  if (samples.empty()) {
    std::printf("FAILURE: not one sample was taken\nsoak FAILED\n");
    return 1;
  }
  const Sample& first = samples.front();
  const Sample& last = samples.back();
  const auto describe = [](const char* name, const Sample& s) {
    std::printf(
        "%s t %.1f s: %d GDI objects, %d DCs; private %lld KB (committed %lld KB), working set "
        "%lld KB; "
        "%lu handles (%lu listed)\n",
        name, s.at_ms / 1000.0, s.live.objects, s.live.dcs,
        static_cast<long long>(s.private_bytes / 1024), static_cast<long long>(s.committed / 1024),
        static_cast<long long>(s.working_set / 1024), s.handles, s.listed_handles);
  };
  std::printf("\n");
  describe("first sample,", first);
  describe("last sample, ", last);
  const double seconds = (last.at_ms - first.at_ms) / 1000.0;
  std::printf(
      "frames: %u in %.1f s, %.1f frames/s; %d copies (%d read back), %d dialogs, %d switches\n",
      last.frames, last.at_ms / 1000.0, seconds > 0 ? (last.frames - first.frames) / seconds : 0.0,
      copies, copies_read, dialogs, toggles);
  std::printf("after the window closed: %d GDI objects, %d DCs; exit code %d\n", after.objects,
              after.dcs, exit_code);

  // The first sample past the warm-up is the baseline for everything after it.
  const auto baseline = std::find_if(samples.begin(), samples.end(),
                                     [&](const Sample& s) { return s.at_ms >= warm_up_ms; });
  if (baseline == samples.end() || baseline + 1 == samples.end()) {
    fail("too few samples after the warm-up");
  } else {
    for (auto s = baseline + 1; s != samples.end(); ++s) {
      if (!(s->live == baseline->live)) {
        fail("at " + std::to_string(s->at_ms / 1000.0) + " s the program held " +
             std::to_string(s->live.objects) + " GDI objects and " + std::to_string(s->live.dcs) +
             " DCs, after " + std::to_string(baseline->live.objects) + " and " +
             std::to_string(baseline->live.dcs) + " at the baseline");
        break;
      }
    }
    // Memory and handles wobble from sample to sample (the working set most), so the
    // median of the first quarter of the samples after the warm-up is set against the
    // median of the last quarter: a leak grows steadily, a wobble does not.
    const std::vector<Sample> settled(baseline, samples.end());
    const std::size_t quarter = std::max<std::size_t>(1, settled.size() / 4);
    const auto grew = [&](const char* what, auto field, std::int64_t tolerance) {
      const auto median = [&](std::size_t from) {
        std::vector<std::int64_t> values;
        for (std::size_t i = from; i < from + quarter; ++i) values.push_back(settled[i].*field);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
      };
      const std::int64_t early = median(0);
      const std::int64_t late = median(settled.size() - quarter);
      std::printf("%s: %lld early, %lld late (medians of %zu samples)\n", what,
                  static_cast<long long>(early), static_cast<long long>(late), quarter);
      if (late - early > tolerance) {
        fail(std::string(what) + " grew from " + std::to_string(early) + " to " +
             std::to_string(late) + " after the warm-up (tolerance " + std::to_string(tolerance) +
             ")");
      }
    };
    grew("private bytes", &Sample::private_bytes, kMemoryTolerance);
    grew("committed private memory", &Sample::committed, kMemoryTolerance);
    grew("the working set", &Sample::working_set, kMemoryTolerance);
    grew("the handle count", &Sample::handles, kHandleTolerance);
    grew("the listed handles", &Sample::listed_handles, kHandleTolerance);
  }
  if (!(after == gdi::LiveCounts{0, 0})) fail("GDI objects or DCs outlived the window");
  if (exit_code != 0) fail("the board ended with exit code " + std::to_string(exit_code));
  if (log != "<missing>") fail("the program logged failures:\n" + log);

  std::printf("%s\n", failures.empty() ? "soak passed" : "soak FAILED");
  return failures.empty() ? 0 : 1;
}
