// The graph canvas: its layers, each part of the chart read back from its own layer,
// the composed picture, refused configurations and the objects it leaves behind.
#include "drawing/graph_win.h"

#include <atomic>
#include <limits>
#include <memory>
#include <utility>

#include "tests/drawing/drawing_fixture_win.h"

namespace drawing_test {
namespace {

constexpr COLORREF kBackground = RGB(0, 0, 80);
constexpr COLORREF kGrid = RGB(0, 100, 0);
constexpr std::uint32_t kBlackPixel = 0;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// 90 pixels per unit across, 70 per unit up: x = -5..5 over columns 40..940, y = 2..-2
// over rows 20..300, so x = 0 is column 490 and y = 0 row 160.
constexpr RECT kPlotArea{40, 20, 940, 300};
constexpr CICGGraph::DataRect kData{-5, 2, 5, -2};
constexpr CICGGraph::Axis kXAxis{-5, 5, 0, 1, 0.5f};
constexpr CICGGraph::Axis kYAxis{-2, 2, 0, 1, 0.5f};

CITable<C2DPos> Points(std::initializer_list<C2DPos> points) {
  CITable<C2DPos> table;
  for (const C2DPos& p : points) table.Add(p);
  return table;
}

class GraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(graph_.SetPlotArea(kPlotArea));
    ASSERT_TRUE(graph_.SetDataRect(kData));
    ASSERT_TRUE(graph_.SetXAxis(kXAxis));
    ASSERT_TRUE(graph_.SetYAxis(kYAxis));
    graph_.SetColors(kBackground, kGrid);
  }

  Picture Frame(std::int32_t layer) {
    EXPECT_EQ(1, graph_.DrawFrame());
    return ReadPicture(graph_, layer);
  }

  std::uint32_t Key() const { return PixelOf(graph_.key_color); }

  canvas_test::TestWindow window_;
  CICGGraph graph_{window_.get()};
};

TEST_F(GraphTest, FourLayersFollowTheBaseWithTheirCompositionModes) {
  struct Expected {
    const char* name;
    std::int32_t number;
    std::int32_t mode;
  };
  const Expected expected[] = {{"grid", 2, icg_mode::kCopy},
                               {"plot", 3, icg_mode::kTransparent},
                               {"frame", 4, icg_mode::kTransparent},
                               {"label", 5, icg_mode::kTransparent}};
  const std::int32_t numbers[] = {graph_.GetGridLayer(), graph_.GetPlotLayer(),
                                  graph_.GetFrameLayer(), graph_.GetLabelLayer()};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(expected[i].number, numbers[i]) << expected[i].name << " layer number";
    const ICGLayer* layer = graph_.FindLayer(numbers[i]);
    ASSERT_NE(nullptr, layer) << expected[i].name;
    EXPECT_EQ(expected[i].mode, layer->mode.load()) << expected[i].name << " mode";
    if (expected[i].mode == icg_mode::kTransparent) {
      EXPECT_EQ(graph_.key_color, layer->key_color) << expected[i].name << " key colour";
    } else {
      EXPECT_EQ(static_cast<std::uint32_t>(SRCCOPY), layer->rop) << expected[i].name;
    }
  }
}

TEST_F(GraphTest, MappingNaNIsLoggedAndGivesZero) {
  canvas_test::LogCapture log;
  EXPECT_EQ(0, graph_.MapX(kNaN));
  EXPECT_EQ(0, graph_.MapY(kNaN));
  EXPECT_EQ(1, log.Count("MapX : x is not a number"));
  EXPECT_EQ(1, log.Count("MapY : y is not a number"));
}

TEST_F(GraphTest, GridLinesStandAtTheEnumeratedValuesOverTheBackground) {
  const Picture grid = Frame(graph_.GetGridLayer());
  const std::uint32_t line = PixelOf(kGrid);
  const std::uint32_t background = PixelOf(kBackground);
  const int between_rows = graph_.MapY(0.25f);
  for (float x = -5; x <= 5; x += 0.5f) {
    EXPECT_EQ(line, grid(graph_.MapX(x), between_rows)) << "vertical line at x = " << x;
    if (x < 5) {
      EXPECT_EQ(background, grid(graph_.MapX(x + 0.25f), between_rows))
          << "between " << x << " and " << x + 0.5f;
    }
  }
  const int between_columns = graph_.MapX(0.25f);
  for (float y = -2; y <= 2; y += 0.5f) {
    // The line at y = -2 ends the range at the plot area's bottom edge, row 300.
    EXPECT_EQ(line, grid(between_columns, graph_.MapY(y))) << "horizontal line at y = " << y;
    if (y < 2) {
      EXPECT_EQ(background, grid(between_columns, graph_.MapY(y + 0.25f)))
          << "between " << y << " and " << y + 0.5f;
    }
  }
  EXPECT_EQ(background, grid(5, 5)) << "the whole layer is filled";
}

TEST_F(GraphTest, AGridRangeOffTheOriginDrawsNoLineBelowItsStart) {
  ASSERT_TRUE(graph_.SetXAxis({0.5f, 4.5f, 0, 1, 1}));
  const Picture grid = Frame(graph_.GetGridLayer());
  const int row = graph_.MapY(0.25f);
  EXPECT_EQ(PixelOf(kBackground), grid(graph_.MapX(0), row)) << "x = 0 lies outside 0.5 to 4.5";
  EXPECT_EQ(PixelOf(kGrid), grid(graph_.MapX(1), row));
  EXPECT_EQ(PixelOf(kGrid), grid(graph_.MapX(4), row));
}

TEST_F(GraphTest, ADotIsItsColourAtTheCentreAndEdgesAndHalfOfItAtTheCorners) {
  const CITable<C2DPos> point = Points({{0, 0}});
  ASSERT_EQ(0, graph_.AddSeries(&point, CICGGraph::kPlotDot));
  const Picture plot = Frame(graph_.GetPlotLayer());
  const std::uint32_t full = Pixel(255, 128, 128);
  const std::uint32_t half = Pixel(127, 64, 64);
  const int x = 490, y = 160;
  EXPECT_EQ(full, plot(x, y)) << "centre";
  for (auto [dx, dy] : {std::pair{0, -1}, {-1, 0}, {1, 0}, {0, 1}}) {
    EXPECT_EQ(full, plot(x + dx, y + dy)) << "edge " << dx << ", " << dy;
  }
  for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {-1, 1}, {1, 1}}) {
    EXPECT_EQ(half, plot(x + dx, y + dy))
        << "corner " << dx << ", " << dy << ": got " << Hex(plot(x + dx, y + dy));
  }
  EXPECT_EQ("(489, 159)-(491, 161)", plot.BoxNot(Key(), 0, 0, kWidth, kHeight)) << "nothing else";
}

TEST_F(GraphTest, TheSeventhSeriesTakesTheFirstColourAgain) {
  CITable<C2DPos> points[7];
  for (int i = 0; i < 7; ++i) {
    points[i].Add(C2DPos(-4.0f + i, 1));
    ASSERT_EQ(i, graph_.AddSeries(&points[i], CICGGraph::kPlotDot));
  }
  const Picture plot = Frame(graph_.GetPlotLayer());
  const std::uint32_t expected[7] = {
      Pixel(255, 128, 128), Pixel(128, 255, 128), Pixel(128, 128, 255), Pixel(255, 255, 128),
      Pixel(255, 128, 255), Pixel(128, 255, 255), Pixel(255, 128, 128)};
  for (int i = 0; i < 7; ++i) {
    const std::uint32_t got = plot(graph_.MapX(-4.0f + i), graph_.MapY(1));
    EXPECT_EQ(expected[i], got) << "series " << i << ": expected " << Hex(expected[i]) << ", got "
                                << Hex(got);
  }
}

TEST_F(GraphTest, ALineSeriesJoinsItsPointsInOrder) {
  const CITable<C2DPos> points = Points({{-4, 1}, {4, 1}, {4, -1}});
  ASSERT_EQ(0, graph_.AddSeries(&points, CICGGraph::kPlotLine));
  const CITable<C2DPos> ignored = Points({{0, 0}, {1, 1}});
  ASSERT_EQ(1, graph_.AddSeries(&ignored, static_cast<CICGGraph::ePlotStyle>(7)));
  const Picture plot = Frame(graph_.GetPlotLayer());
  const std::uint32_t colour = Pixel(255, 128, 128);
  // (-4, 1) is (130, 90), (4, 1) is (850, 90), (4, -1) is (850, 230).
  EXPECT_EQ(colour, plot(130, 90));
  EXPECT_EQ(colour, plot(600, 90));
  EXPECT_EQ(colour, plot(850, 150));
  EXPECT_EQ(Key(), plot(600, 89));
  EXPECT_EQ(Key(), plot(600, 91)) << "one pixel wide";
  EXPECT_EQ("(130, 90)-(850, 229)", plot.BoxNot(Key(), 0, 0, kWidth, kHeight))
      << "the last point is left out as LineTo leaves it, and style 7 draws nothing";
}

TEST_F(GraphTest, APointThatIsNotANumberIsLeftOutAndBreaksTheLine) {
  const CITable<C2DPos> points = Points({{-4, 1}, {kNaN, 0}, {0, 1}, {4, 1}});
  ASSERT_TRUE(graph_.SelectLayer(graph_.GetPlotLayer()));
  ASSERT_TRUE(graph_.ClearCanvas());
  canvas_test::LogCapture log;
  EXPECT_EQ(
      0, graph_.PlotSeries(points.begin(), points.GetCount(), CICGGraph::kPlotLine, RGB(0, 0, 255)))
      << "not every point was drawn";
  const Picture plot = ReadPicture(graph_, graph_.GetPlotLayer());
  EXPECT_EQ(Key(), plot(300, 90)) << "no line from (-4, 1) across the gap";
  EXPECT_EQ(Pixel(0, 0, 255), plot(700, 90)) << "the line goes on after it";
  EXPECT_EQ(0, static_cast<int>(log.Lines().size())) << "a skipped point is not logged";
}

TEST_F(GraphTest, TheFrameLayerIsBlackOutsideThePlotAreaAndKeyInside) {
  const Picture frame = Frame(graph_.GetFrameLayer());
  const std::uint32_t border = Pixel(0, 128, 64);
  EXPECT_EQ(kBlackPixel, frame(10, 10));
  EXPECT_EQ(kBlackPixel, frame(945, 310));
  EXPECT_EQ(kBlackPixel, frame(39, 160));
  EXPECT_EQ(border, frame(40, 160)) << "left edge";
  EXPECT_EQ(border, frame(490, 20)) << "top edge";
  EXPECT_EQ(border, frame(939, 160)) << "right edge, inside the rectangle";
  EXPECT_EQ(border, frame(490, 299)) << "bottom edge";
  EXPECT_EQ(kBlackPixel, frame(940, 160));
  EXPECT_EQ(Key(), frame(41, 21));
  EXPECT_EQ(Key(), frame(490, 160));
}

TEST_F(GraphTest, LabelsStandBelowTheXAxisAndLeftOfTheYAxisInWhite) {
  const Picture labels = Frame(graph_.GetLabelLayer());
  const std::uint32_t white = Pixel(255, 255, 255);
  char text[graph_math::kLabelCapacity];
  SIZE size{-1, -1};

  ASSERT_TRUE(graph_.FormatLabel(2.0f, text, &size));
  EXPECT_STREQ("2.00", text);
  ASSERT_GT(size.cx, 0);
  ASSERT_GT(size.cy, 0);
  // The x label of 2: centred under column 670, its top half a line below row 160.
  int left = graph_.MapX(2) - size.cx / 2;
  int top = graph_.MapY(0) + size.cy / 2;
  EXPECT_GT(labels.Count(white, left, top, left + size.cx, top + size.cy), 0) << "x label 2.00";
  EXPECT_EQ(size.cx * size.cy, labels.Count(white, left, top, left + size.cx, top + size.cy) +
                                   labels.Count(Key(), left, top, left + size.cx, top + size.cy))
      << "white text on the key colour, nothing in between";

  ASSERT_TRUE(graph_.FormatLabel(-1.0f, text, &size));
  EXPECT_STREQ("-1.00", text);
  left = graph_.MapX(0) - 4 - size.cx;
  top = graph_.MapY(-1) - size.cy / 2;
  EXPECT_GT(labels.Count(white, left, top, left + size.cx, top + size.cy), 0) << "y label -1.00";
  EXPECT_EQ(0, labels.Count(white, left + size.cx, top, graph_.MapX(0), top + size.cy))
      << "four clear columns between a y label and the axis";

  EXPECT_EQ(0, labels.Count(white, 600, 40, 900, 140)) << "no text where no label stands";
}

TEST_F(GraphTest, TheComposedPictureShowsSeriesOverGridInsideTheFrame) {
  const CITable<C2DPos> point = Points({{1.25f, 0.25f}});
  graph_.AddSeries(&point, CICGGraph::kPlotDot);
  ASSERT_EQ(1, graph_.DrawFrame());
  const Picture picture(canvas_test::ReadComposition(graph_));
  EXPECT_EQ(Pixel(255, 128, 128), picture(graph_.MapX(1.25f), graph_.MapY(0.25f))) << "the dot";
  EXPECT_EQ(PixelOf(kBackground), picture(graph_.MapX(1.3f), graph_.MapY(0.7f))) << "background";
  EXPECT_EQ(PixelOf(kGrid), picture(graph_.MapX(1.5f), graph_.MapY(0.7f))) << "a grid line";
  EXPECT_EQ(Pixel(0, 128, 64), picture(40, 100)) << "the frame";
  EXPECT_EQ(kBlackPixel, picture(20, 5)) << "outside the plot area";
}

TEST_F(GraphTest, UnsoundSettingsAreRefusedLoggedAndLeaveTheChartAsItWas) {
  canvas_test::LogCapture log;
  EXPECT_FALSE(graph_.SetXAxis({-5, 5, 0, 1, 0}));
  EXPECT_FALSE(graph_.SetYAxis({-2, 2, 0, -1, 0.5f}));
  EXPECT_FALSE(graph_.SetDataRect({1, 2, 1, -2}));
  EXPECT_FALSE(graph_.SetPlotArea(RECT{40, 300, 940, 20}));
  EXPECT_EQ(-1, graph_.AddSeries(nullptr, CICGGraph::kPlotDot));
  EXPECT_EQ(1, log.Count("CICGGraph::SetXAxis : a grid step is not positive"));
  EXPECT_EQ(1, log.Count("CICGGraph::SetYAxis : a grid step is not positive"));
  EXPECT_EQ(1, log.Count("CICGGraph::SetDataRect : the data rectangle is empty"));
  EXPECT_EQ(1, log.Count("CICGGraph::SetPlotArea : the plot area is empty"));

  EXPECT_EQ(0.5f, graph_.GetXAxis().minor_step);
  EXPECT_EQ(1.0f, graph_.GetYAxis().major_step);
  EXPECT_EQ(-5.0f, graph_.GetDataRect().x_left);
  EXPECT_EQ(20, graph_.GetPlotArea().top);
  EXPECT_EQ(0u, graph_.GetSeriesCount());
  EXPECT_EQ(490, graph_.MapX(0)) << "the mapping is the one set before";
  EXPECT_EQ(1, graph_.DrawFrame());
}

TEST_F(GraphTest, DrawingTheChartLeavesTheOwnersLayerCurrentForItsOwnDrawing) {
  const std::int32_t mine =
      graph_.CreateLayer(canvas_test::Description(icg_mode::kTransparent, graph_.key_color));
  ASSERT_EQ(6, mine);
  canvas_test::FillLayer(graph_, mine, PixelOf(graph_.key_color));
  ASSERT_EQ(1, graph_.DrawFrame());
  EXPECT_EQ(mine, graph_.current_layer);

  // GraphMoveTo and GraphLineTo take data coordinates to the current layer.
  ASSERT_TRUE(graph_.SelectLayer(mine));
  ASSERT_TRUE(graph_.SetBrushColor(RGB(255, 255, 0)));
  HGDIOBJ pen = gdi::CreatePen(PS_SOLID, 1, RGB(255, 255, 0));
  ASSERT_TRUE(graph_.SelectGdiObject(pen));
  EXPECT_TRUE(graph_.GraphMoveTo(C2DPos(-4, -1)));
  EXPECT_TRUE(graph_.GraphLineTo(4.0f, -1.0f));
  const Picture layer = ReadPicture(graph_, mine);
  EXPECT_EQ("(130, 230)-(849, 230)", layer.BoxNot(Key(), 0, 0, kWidth, kHeight));
}

TEST(GraphLifetimeTest, FramesAndDestructionLeaveNoGdiObjectBehind) {
  canvas_test::TestWindow window;
  const gdi::LiveCounts before = gdi::Live();
  {
    CICGGraph graph(window.get());
    ASSERT_TRUE(graph.SetXAxis({0, 1, 0, 0.25f, 0.05f}));
    const CITable<C2DPos> dots = Points({{0.1f, 0.1f}, {0.5f, 0.5f}});
    const CITable<C2DPos> line = Points({{0, 0}, {1, 1}, {0.5f, 0}});
    graph.AddSeries(&dots, CICGGraph::kPlotDot);
    graph.AddSeries(&line, CICGGraph::kPlotLine);
    ASSERT_EQ(1, graph.DrawFrame());
    const gdi::LiveCounts after_one = gdi::Live();
    for (int i = 0; i < 100; ++i) ASSERT_EQ(1, graph.DrawFrame()) << "frame " << i;
    EXPECT_EQ(after_one, gdi::Live())
        << "after one frame " << Describe(after_one) << ", after 101 " << Describe(gdi::Live());
  }
  EXPECT_EQ(before, gdi::Live()) << "before " << Describe(before) << ", after "
                                 << Describe(gdi::Live());
}

// The frame thread draws through the graph's DrawFrame: the graph may be destroyed
// while it runs, and then leaves nothing behind.
TEST(GraphLifetimeTest, AGraphDestroyedWhileItsFrameThreadRunsStopsItFirst) {
  canvas_test::TestWindow window;
  const gdi::LiveCounts before = gdi::Live();
  static std::atomic<int> frames{0};
  frames = 0;
  auto count_frame = [](CICG*, std::uint32_t) -> std::int32_t {
    frames.fetch_add(1);
    return 1;
  };
  {
    const CITable<C2DPos> line = Points({{0, 0}, {1, 1}});
    auto graph = std::make_unique<CICGGraph>(window.get());
    graph->AddSeries(&line, CICGGraph::kPlotLine);
    ASSERT_EQ(0u, graph->StartFrameThread(nullptr, count_frame, 200.0f));
    for (int wait = 0; wait < 200 && frames.load() < 5; ++wait) Sleep(10);
    EXPECT_GE(frames.load(), 5) << "the frame thread ran";
    graph.reset();
  }
  EXPECT_EQ(before, gdi::Live()) << "before " << Describe(before) << ", after "
                                 << Describe(gdi::Live());
}

}  // namespace
}  // namespace drawing_test
