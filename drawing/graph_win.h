// CICGGraph: a canvas that draws an x-y chart on every frame, on four layers of its own
// made at construction, in this order of composition (after the base layer, which the
// grid layer covers):
//
//   grid   copy                   background colour, minor grid (1 px), major grid (2 px)
//   plot   key-colour transparent the data series
//   frame  key-colour transparent black outside the plot area, its border in dark green
//   label  key-colour transparent white labels along both axes
//
// Layers that an owner creates afterwards compose above these (shapes, for instance).
//
// Configuration. Every setter checks its value as a whole and refuses an unsound one
// (a step that is not positive, an empty data rectangle or plot area, a grid so fine that
// a frame could not draw it, anything not finite): it returns false, logs the reason at
// level 4 ("ERROR") and keeps what was set before. So a frame never loops on or divides by
// a value it cannot handle. The defaults are sound: the plot area is the whole canvas
// and the data rectangle and both grids run from 0 to 1.
//
// Threads. The chart is drawn by DrawFrame, which the frame thread calls after the frame
// callback. Configure the chart and add series before the frame thread starts, or from
// the frame callback; the series' points may be changed there too.
#pragma once

#include <windows.h>

#include <cstdint>

#include "canvas/icg.h"
#include "geometry/graph_math.h"
#include "geometry/matrix.h"
#include "geometry/table.h"

class CICGGraph : public CICG {
 public:
  enum ePlotStyle : std::int32_t {
    kPlotDot = 1,   // a 3 x 3 dot at each point, its corners in half the colour
    kPlotLine = 2,  // a 1-pixel solid line through the points in order
  };

  using Axis = graph_math::GridAxis;
  using DataRect = graph_math::DataRect;

  // The canvas on `window` (see CICG) and the four chart layers. Throws the canvas error
  // text, as CICG does, when a layer cannot be made.
  explicit CICGGraph(HWND window);

  // The order of the virtual operations is the order of their slots; keep it.
  // Stops the frame thread first: it calls this object's DrawFrame.
  ~CICGGraph() override;
  // Draws grid, series, frame and labels, then composes and shows the picture as the
  // canvas does (its result). The layer that was current before stays current.
  std::int32_t DrawFrame() override;
  // MoveToEx and LineTo on the current layer to a point in data coordinates.
  virtual BOOL GraphMoveTo(C2DPos position);
  virtual BOOL GraphMoveTo(float x, float y);
  virtual BOOL GraphLineTo(C2DPos position);
  virtual BOOL GraphLineTo(float x, float y);

  // Data coordinates to pixels (see graph_math.h). NaN is logged and gives 0.
  int MapX(float x);
  int MapY(float y);

  // The label text of `value` and its extent in the drawing DC's font. The graph selects
  // a 12-pixel font that is never antialiased: on the key-colour label layer a blended
  // glyph edge would show as a coloured fringe. An owner that selects another font with
  // SelectGdiObject should choose NONANTIALIASED_QUALITY too. False when the text could
  // not be measured; the text is written anyway.
  bool FormatLabel(float value, char (&text)[graph_math::kLabelCapacity], SIZE* size);

  // Draws `count` points on the plot layer in `style` and `color`; 1 when every point was
  // drawn. A point with a NaN coordinate is left out (and breaks a line); the result is
  // then 0.
  int PlotSeries(const C2DPos* points, std::uint32_t count, ePlotStyle style, COLORREF color);

  // Series are drawn in the order added, series i in colour entry i mod 6. The table is
  // not owned and must outlive its use here. Returns the series' index, or -1 for a
  // null table; CIMemoryError when the tables cannot grow, adding nothing then. A style
  // other than dot or line draws nothing.
  std::int32_t AddSeries(const CITable<C2DPos>* points, ePlotStyle style);
  void ClearSeries();
  std::uint32_t GetSeriesCount() const { return series.GetCount(); }

  bool SetPlotArea(const RECT& area);
  bool SetDataRect(const DataRect& data);
  // The x axis: vertical lines and x labels at x = origin + i x step within [from, to].
  bool SetXAxis(const Axis& axis);
  // The y axis: horizontal lines and y labels at y = origin + j x step within [from, to].
  bool SetYAxis(const Axis& axis);
  void SetColors(COLORREF background, COLORREF grid);

  RECT GetPlotArea() const { return plot_area; }
  DataRect GetDataRect() const { return data_rect; }
  Axis GetXAxis() const { return x_axis; }
  Axis GetYAxis() const { return y_axis; }
  COLORREF GetBackgroundColor() const { return background_color; }
  COLORREF GetGridColor() const { return grid_color; }
  std::int32_t GetGridLayer() const { return grid_layer; }
  std::int32_t GetPlotLayer() const { return plot_layer; }
  std::int32_t GetFrameLayer() const { return frame_layer; }
  std::int32_t GetLabelLayer() const { return label_layer; }

  static constexpr COLORREF kFrameColor = 0x00408000;  // red 0, green 128, blue 64
  static constexpr COLORREF kLabelColor = 0x00FFFFFF;

 private:
  graph_math::PlotArea Area() const;
  bool Refused(const char* setter, const char* fault);
  void DrawGrid(float step_x, float step_y);
  void DrawLabels();

  std::int32_t grid_layer;
  std::int32_t plot_layer;
  std::int32_t frame_layer;
  std::int32_t label_layer;
  COLORREF background_color;
  COLORREF grid_color;
  Axis x_axis;  // the x labels sit at y_axis.origin
  Axis y_axis;  // the y labels sit at x_axis.origin
  RECT plot_area;
  DataRect data_rect;
  CITable<const CITable<C2DPos>*> series;
  CITable<ePlotStyle> styles;
};
