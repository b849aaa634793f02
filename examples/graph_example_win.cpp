// An example of the graph canvas and the shapes: a dotted and a line series running
// over the chart's grid and labels, and a small chain of shapes turning above it, all
// moved by the canvas's frame thread.
//
//   graph-example              runs until its window is closed
//   graph-example --frames N   draws N frames and exits: 0 when all of them were drawn
//                              and every GDI object made was released again, 1 when not,
//                              2 for a command line it does not understand
#include <windows.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <numbers>

#include "canvas/gdi_win.h"
#include "drawing/graph_win.h"
#include "drawing/shapes_win.h"
#include "support/log_manager.h"

namespace {

constexpr int kClientWidth = 960;
constexpr int kClientHeight = 320;
constexpr float kFrameRate = 30.0f;
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchPeriodMs = 50;
// A run of N frames at 30 a second takes N / 30 s; this much beyond that is a hang.
constexpr DWORD kGraceMs = 30000;
constexpr int kMaxFrames = 1000000;
constexpr float kPi = std::numbers::pi_v<float>;

constexpr char kWindowClass[] = "ParalluxGraphExample";
constexpr char kWindowTitle[] = "グラフ キャンバスの例";

constexpr int kSamples = 51;  // x = 0, 0.2, ... 10

// Everything the frame thread draws. Made on the window's thread before the frame
// thread starts; after that only the frame thread touches it, until it is stopped.
class Scene {
 public:
  explicit Scene(HWND window)
      : graph_(window),
        hub_(C2DPos(800, 96)),
        zigzag_anchor_(C2DPos(560, 60)),
        hexagon_(graph_, Hexagon(34),
                 {.pen_color = RGB(255, 255, 255), .pen_width = 2, .fill_color = RGB(40, 90, 200)}),
        moon_(graph_, 22, 22,
              {.pen_color = RGB(255, 255, 255), .pen_width = 1, .fill_color = RGB(240, 160, 40)}),
        marker_(graph_, {{-7, -7}, {7, -7}, {7, 7}, {-7, 7}},
                {.pen_color = RGB(0, 0, 0), .pen_width = 1, .fill_color = RGB(250, 240, 120)}),
        zigzag_(graph_, {{-40, 0}, {-24, -14}, {-8, 14}, {8, -14}, {24, 14}, {40, 0}},
                {.pen_color = RGB(120, 255, 200), .pen_width = 2}) {
    graph_.SetColors(RGB(10, 18, 30), RGB(40, 60, 80));
    graph_.SetPlotArea(RECT{64, 12, 928, 284});
    graph_.SetDataRect({0.0f, 1.6f, 10.0f, -1.6f});
    // The origins sit in the lower-left corner, so the labels stand outside the chart.
    graph_.SetXAxis({0.0f, 10.0f, 0.0f, 1.0f, 0.25f});
    graph_.SetYAxis({-1.5f, 1.5f, -1.5f, 0.5f, 0.1f});
    for (int i = 0; i < kSamples; ++i) {
      dots_.Add(C2DPos(0.2f * i, 0.0f));
      wave_.Add(C2DPos(0.2f * i, 0.0f));
    }
    graph_.AddSeries(&dots_, CICGGraph::kPlotDot);
    graph_.AddSeries(&wave_, CICGGraph::kPlotLine);

    ICGLayer shapes{};
    shapes.mode = icg_mode::kTransparent;
    shapes.key_color = graph_.key_color;
    shapes.source_rect = RECT{0, 0, graph_.GetWidth(), graph_.GetHeight()};
    shape_layer_ = graph_.CreateLayer(shapes);

    // The hub turns the hexagon and carries the moon round it; the marker rides on the
    // moon and turns with everything above it; the zigzag turns on an anchor of its own.
    // Polygons and polylines turn about their offset, so theirs stay (0, 0) and a parent
    // holds their place.
    hexagon_.SetParent(&hub_);
    moon_.Place(&hub_, C2DPos(62, 0));
    marker_.SetParent(&moon_);
    zigzag_.SetParent(&zigzag_anchor_);
  }

  // The frame thread draws the series and shapes below, which go before the graph does.
  ~Scene() { graph_.StopFrameThread(); }
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  bool Ready() const { return shape_layer_ != 0; }
  CICGGraph& Graph() { return graph_; }

  // One frame's change: the series move along, the shapes turn.
  void Advance(std::uint32_t elapsed_ms) {
    time_ += static_cast<float>(elapsed_ms) / 1000.0f;
    for (int i = 0; i < kSamples; ++i) {
      const float x = 0.2f * i;
      dots_.Item(i) = C2DPos(x, std::sin(x * 1.1f - time_ * 2.0f));
      wave_.Item(i) = C2DPos(x, 1.4f * std::exp(-x / 7.0f) * std::cos(x * 2.2f + time_ * 3.0f));
    }
    hub_.SetTurnAngle(time_ * 0.8f);
    moon_.SetPlacementAngle(time_ * 1.7f);
    marker_.SetTurnAngle(time_ * 3.0f);
    zigzag_anchor_.SetTurnAngle(-time_ * 1.2f);

    graph_.SelectLayer(shape_layer_);
    graph_.ClearCanvas();
    C2DObject* const shapes[] = {&hexagon_, &moon_, &marker_, &zigzag_};
    for (C2DObject* shape : shapes) {
      float angle = 0.0f;
      const C2DPos at = shape->AbsolutePosition(nullptr, angle);
      shape->Draw(at, angle);
    }
  }

  std::atomic<int> frames_drawn{0};
  int frame_limit = 0;  // 0: no limit
  std::atomic<bool> finished{false};

 private:
  static CITable<C2DPos> Hexagon(float radius) {
    CITable<C2DPos> corners(6);
    for (int i = 0; i < 6; ++i) {
      const float a = kPi / 3.0f * i;
      corners.Add(C2DPos(radius * std::cos(a), radius * std::sin(a)));
    }
    return corners;
  }

  CICGGraph graph_;
  CITable<C2DPos> dots_;
  CITable<C2DPos> wave_;
  std::int32_t shape_layer_ = 0;
  C2DObject hub_;
  C2DObject zigzag_anchor_;
  CICGPolygon hexagon_;
  CICGCircle moon_;
  CICGPolygon marker_;
  CICGPolyline zigzag_;
  float time_ = 0.0f;
};

std::int32_t DrawSceneFrame(CICG* canvas, std::uint32_t elapsed_ms) {
  Scene& scene = *static_cast<Scene*>(canvas->GetUserData());
  // Reaching frame N + 1 means frames 1 to N were drawn and shown whole: a frame whose
  // composition fails ends the thread before the next callback.
  if (scene.frame_limit > 0 && scene.frames_drawn.load() >= scene.frame_limit) {
    scene.finished.store(true);
    return 0;
  }
  scene.Advance(elapsed_ms);
  scene.frames_drawn.fetch_add(1);
  return 1;
}

struct Run {
  int frame_limit = 0;
  std::unique_ptr<Scene> scene;
  DWORD started = 0;
  bool failed = false;
};
Run g_run;

void Fail(const char* what) {
  g_run.failed = true;
  TheLog().Print(4, "graph-example : %s", what);
  std::fprintf(stderr, "graph-example: %s\n", what);
}

// Watches a run of a set number of frames from the window's thread.
void Watch(HWND window) {
  Scene& scene = *g_run.scene;
  if (scene.finished.load()) {
    DestroyWindow(window);
  } else if (!scene.Graph().running.load()) {
    Fail("the frame thread ended before all frames were drawn");
    DestroyWindow(window);
  } else if (GetTickCount() - g_run.started >
             kGraceMs + static_cast<DWORD>(g_run.frame_limit) * 1000u / 30u) {
    Fail("the frames took too long");
    DestroyWindow(window);
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      try {
        g_run.scene = std::make_unique<Scene>(window);
      } catch (const char* text) {
        Fail(text);
        return -1;
      } catch (const std::exception& error) {
        Fail(error.what());
        return -1;
      } catch (...) {
        Fail("the graph could not be made");
        return -1;
      }
      if (!g_run.scene->Ready()) {
        Fail("the shape layer could not be made");
        return -1;
      }
      g_run.scene->frame_limit = g_run.frame_limit;
      g_run.scene->Graph().SetNoWait(false);  // paced at the frame rate, not as fast as it goes
      if (g_run.scene->Graph().StartFrameThread(g_run.scene.get(), &DrawSceneFrame, kFrameRate) !=
          0) {
        Fail("the frame thread did not start");
        return -1;
      }
      g_run.started = GetTickCount();
      if (g_run.frame_limit > 0) SetTimer(window, kWatchTimer, kWatchPeriodMs, nullptr);
      return 0;
    case WM_TIMER:
      if (wparam == kWatchTimer && g_run.scene) Watch(window);
      return 0;
    case WM_DESTROY:
      KillTimer(window, kWatchTimer);
      if (g_run.frame_limit > 0 && g_run.scene && !g_run.scene->finished.load() && !g_run.failed) {
        Fail("the window was closed before all frames were drawn");
      }
      // The canvas lets go of the window's DC, so it goes while the window still exists.
      g_run.scene.reset();
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

// The number after --frames, or -1 for a command line that is not understood.
int ParseFrames(int argc, char** argv) {
  if (argc == 1) return 0;
  if (argc != 3 || std::strcmp(argv[1], "--frames") != 0) return -1;
  char* end = nullptr;
  const long frames = std::strtol(argv[2], &end, 10);
  if (end == argv[2] || *end != '\0' || frames < 1 || frames > kMaxFrames) return -1;
  return static_cast<int>(frames);
}

HWND CreateMainWindow(HINSTANCE instance) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.lpszClassName = kWindowClass;
  if (RegisterClassA(&window_class) == 0) return nullptr;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&frame, style, FALSE);
  return CreateWindowExA(0, kWindowClass, kWindowTitle, style, CW_USEDEFAULT, CW_USEDEFAULT,
                         frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                         instance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  g_run.frame_limit = ParseFrames(__argc, __argv);
  if (g_run.frame_limit < 0) {
    std::fprintf(stderr, "usage: graph-example [--frames N]   (N from 1 to %d)\n", kMaxFrames);
    return 2;
  }

  const gdi::LiveCounts before = gdi::Live();
  HWND window = CreateMainWindow(instance);
  if (window == nullptr) {
    Fail("the window could not be made");
    return 1;
  }
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }

  if (g_run.frame_limit > 0) {
    const gdi::LiveCounts after = gdi::Live();
    if (!(after == before)) {
      char text[96];
      std::snprintf(text, sizeof text, "%d GDI objects and %d DCs were left behind",
                    static_cast<int>(after.objects - before.objects),
                    static_cast<int>(after.dcs - before.dcs));
      Fail(text);
    }
    if (!g_run.failed) {
      std::printf("graph-example: %d frames drawn\n", g_run.frame_limit);
    }
  }
  return g_run.failed ? 1 : 0;
}
