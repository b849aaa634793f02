#include "drawing/graph_win.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>

#include "canvas/gdi_win.h"
#include "drawing/drawing_tools_win.h"
#include "support/canvas_error.h"
#include "support/log_manager.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kDefaultBackground = RGB(0, 0, 0);
constexpr COLORREF kDefaultGrid = RGB(48, 48, 48);
constexpr graph_math::GridAxis kDefaultAxis{0.0f, 1.0f, 0.0f, 0.5f, 0.1f};
// Room for a few series before a table grows.
constexpr std::uint32_t kInitialSeries = 8;
// Gap between a y label and the x origin it stands left of.
constexpr int kYLabelGap = 4;
constexpr LONG kLabelFontHeight = 12;

// The labels are drawn on a key-colour layer: a glyph's edge blended with the key colour
// would be neither text nor key and show as a coloured fringe, so the label font is
// never antialiased.
LOGFONTA LabelFont() {
  LOGFONTA font{};
  font.lfHeight = -kLabelFontHeight;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfQuality = NONANTIALIASED_QUALITY;
  font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  std::strcpy(font.lfFaceName, "ＭＳ ゴシック");
  return font;
}

}  // namespace

CICGGraph::CICGGraph(HWND window)
    : CICG(window),
      grid_layer(0),
      plot_layer(0),
      frame_layer(0),
      label_layer(0),
      background_color(kDefaultBackground),
      grid_color(kDefaultGrid),
      x_axis(kDefaultAxis),
      y_axis(kDefaultAxis),
      plot_area{0, 0, width, height},
      data_rect{0.0f, 1.0f, 1.0f, 0.0f},
      series(kInitialSeries),
      styles(kInitialSeries) {
  auto make_layer = [this](std::int32_t mode) {
    ICGLayer description{};
    description.mode = mode;
    description.rop = SRCCOPY;
    description.key_color = key_color;
    description.source_rect = RECT{0, 0, width, height};
    const std::int32_t number = CreateLayer(description);
    // The canvas part is whole here, so its destructor releases what was made so far.
    if (number == 0) PX_RAISE_CANVAS_ERROR();
    return number;
  };
  grid_layer = make_layer(icg_mode::kCopy);
  plot_layer = make_layer(icg_mode::kTransparent);
  frame_layer = make_layer(icg_mode::kTransparent);
  label_layer = make_layer(icg_mode::kTransparent);

  // Without it the labels keep the DC's own font, which is only less pleasant to read.
  gdi::Font font(gdi::CreateFont(LabelFont()));
  if (font && SelectGdiObject(font.get())) font.release();
}

CICGGraph::~CICGGraph() {
  // The canvas's destructor stops the thread too, but only after this object's members
  // are gone, while a frame in progress may still be reading them.
  StopFrameThread();
}

std::int32_t CICGGraph::DrawFrame() {
  const std::int32_t previous = current_layer;

  SelectLayer(grid_layer);
  FillCanvas(background_color);
  SelectSolidPen(*this, 1, grid_color);
  DrawGrid(x_axis.minor_step, y_axis.minor_step);
  SelectSolidPen(*this, 2, grid_color);
  DrawGrid(x_axis.major_step, y_axis.major_step);

  SelectLayer(plot_layer);
  ClearCanvas();
  const std::uint32_t count = std::min(series.GetCount(), styles.GetCount());
  for (std::uint32_t i = 0; i < count; ++i) {
    const CITable<C2DPos>* points = series.Item(i);
    PlotSeries(points->begin(), points->GetCount(), styles.Item(i), graph_math::SeriesColor(i));
  }

  // Black outside the plot area hides what lies beyond it on the layers below.
  SelectLayer(frame_layer);
  FillCanvas(kBlack);
  SelectSolidPen(*this, 1, kFrameColor);
  SelectSolidBrush(*this, key_color);
  DrawRectangle(plot_area);

  SelectLayer(label_layer);
  ClearCanvas();
  TextColor(kLabelColor);
  BackColor(key_color);
  DrawLabels();

  SelectLayer(previous);
  return CICG::DrawFrame();
}

void CICGGraph::DrawGrid(float step_x, float step_y) {
  const graph_math::GridSpan columns =
      graph_math::GridLines(x_axis.from, x_axis.to, x_axis.origin, step_x);
  for (std::int32_t i = columns.first; i <= columns.last; ++i) {
    const float x = graph_math::GridValue(i, step_x, x_axis.origin);
    GraphMoveTo(x, y_axis.from);
    GraphLineTo(x, y_axis.to);
  }
  const graph_math::GridSpan rows =
      graph_math::GridLines(y_axis.from, y_axis.to, y_axis.origin, step_y);
  for (std::int32_t j = rows.first; j <= rows.last; ++j) {
    const float y = graph_math::GridValue(j, step_y, y_axis.origin);
    GraphMoveTo(x_axis.from, y);
    GraphLineTo(x_axis.to, y);
  }
}

void CICGGraph::DrawLabels() {
  char text[graph_math::kLabelCapacity];
  SIZE size{};

  const graph_math::GridSpan columns =
      graph_math::GridLines(x_axis.from, x_axis.to, x_axis.origin, x_axis.major_step);
  const int axis_row = MapY(y_axis.origin);
  for (std::int32_t i = columns.first; i <= columns.last; ++i) {
    const float value = graph_math::GridValue(i, x_axis.major_step, x_axis.origin);
    FormatLabel(value, text, &size);
    const int x = MapX(value) - size.cx / 2;
    const int y = axis_row + size.cy / 2;
    RECT place{x, y, x + size.cx, y + size.cy};
    DrawTextRect(text, -1, &place, DT_CENTER);
  }

  const graph_math::GridSpan rows =
      graph_math::GridLines(y_axis.from, y_axis.to, y_axis.origin, y_axis.major_step);
  const int axis_column = MapX(x_axis.origin);
  for (std::int32_t j = rows.first; j <= rows.last; ++j) {
    const float value = graph_math::GridValue(j, y_axis.major_step, y_axis.origin);
    FormatLabel(value, text, &size);
    const int x = axis_column - kYLabelGap - size.cx;
    const int y = MapY(value) - size.cy / 2;
    RECT place{x, y, x + size.cx, y + size.cy};
    DrawTextRect(text, -1, &place, 0);
  }
}

BOOL CICGGraph::GraphMoveTo(C2DPos position) { return GraphMoveTo(position.X(), position.Y()); }

BOOL CICGGraph::GraphMoveTo(float x, float y) {
  return MoveToEx(draw_dc, MapX(x), MapY(y), nullptr);
}

BOOL CICGGraph::GraphLineTo(C2DPos position) { return GraphLineTo(position.X(), position.Y()); }

BOOL CICGGraph::GraphLineTo(float x, float y) { return ::LineTo(draw_dc, MapX(x), MapY(y)); }

graph_math::PlotArea CICGGraph::Area() const {
  return graph_math::PlotArea{plot_area.left, plot_area.top, plot_area.right, plot_area.bottom};
}

int CICGGraph::MapX(float x) {
  try {
    return graph_math::MapX(Area(), data_rect, x);
  } catch (const std::exception& error) {
    TheLog().Print(4, "%s", error.what());
    return 0;
  }
}

int CICGGraph::MapY(float y) {
  try {
    return graph_math::MapY(Area(), data_rect, y);
  } catch (const std::exception& error) {
    TheLog().Print(4, "%s", error.what());
    return 0;
  }
}

bool CICGGraph::FormatLabel(float value, char (&text)[graph_math::kLabelCapacity], SIZE* size) {
  const int length = graph_math::FormatLabelText(value, text, graph_math::kLabelCapacity);
  SIZE measured{0, 0};
  const bool measured_ok = GetTextSize(text, length, &measured) != 0;
  if (size != nullptr) *size = measured_ok ? measured : SIZE{0, 0};
  return measured_ok;
}

int CICGGraph::PlotSeries(const C2DPos* points, std::uint32_t count, ePlotStyle style,
                          COLORREF color) {
  if (SelectLayer(plot_layer) == 0) return 0;
  if (count == 0) return 1;
  if (points == nullptr) return 0;
  if (style == kPlotLine && !SelectSolidPen(*this, 1, color)) return 0;

  const COLORREF half = graph_math::HalfColor(color);
  int result = 1;
  bool line_open = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const float x = points[i].X();
    const float y = points[i].Y();
    if (std::isnan(x) || std::isnan(y)) {
      result = 0;
      line_open = false;
      continue;
    }
    if (style == kPlotDot) {
      const int cx = MapX(x);
      const int cy = MapY(y);
      PutPixel(cx, cy, color);
      PutPixel(cx, cy - 1, color);
      PutPixel(cx - 1, cy, color);
      PutPixel(cx + 1, cy, color);
      PutPixel(cx, cy + 1, color);
      PutPixel(cx - 1, cy - 1, half);
      PutPixel(cx + 1, cy - 1, half);
      PutPixel(cx - 1, cy + 1, half);
      PutPixel(cx + 1, cy + 1, half);
    } else if (style == kPlotLine) {
      if (!(line_open ? GraphLineTo(x, y) : GraphMoveTo(x, y))) return 0;
      line_open = true;
    }
  }
  return result;
}

std::int32_t CICGGraph::AddSeries(const CITable<C2DPos>* points, ePlotStyle style) {
  if (points == nullptr) return -1;
  // Room for the style first: then neither table changes unless both do.
  if (styles.GetCount() >= styles.GetCapacity()) styles.Grow();
  const std::uint32_t index = series.GetCount();
  series.Add(points);
  styles.Add(style);
  return static_cast<std::int32_t>(index);
}

void CICGGraph::ClearSeries() {
  series.Clear();
  styles.Clear();
}

bool CICGGraph::Refused(const char* setter, const char* fault) {
  TheLog().Print(4, "CICGGraph::%s : %s", setter, fault);
  return false;
}

bool CICGGraph::SetPlotArea(const RECT& area) {
  const graph_math::PlotArea candidate{area.left, area.top, area.right, area.bottom};
  if (const char* fault = graph_math::PlotAreaFault(candidate))
    return Refused("SetPlotArea", fault);
  plot_area = area;
  return true;
}

bool CICGGraph::SetDataRect(const DataRect& data) {
  if (const char* fault = graph_math::DataRectFault(data)) return Refused("SetDataRect", fault);
  data_rect = data;
  return true;
}

bool CICGGraph::SetXAxis(const Axis& axis) {
  if (const char* fault = graph_math::AxisFault(axis)) return Refused("SetXAxis", fault);
  x_axis = axis;
  return true;
}

bool CICGGraph::SetYAxis(const Axis& axis) {
  if (const char* fault = graph_math::AxisFault(axis)) return Refused("SetYAxis", fault);
  y_axis = axis;
  return true;
}

void CICGGraph::SetColors(COLORREF background, COLORREF grid) {
  background_color = background;
  grid_color = grid;
}
