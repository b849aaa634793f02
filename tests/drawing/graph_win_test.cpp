// The graph canvas: a broken line and the labels read back from their layers, and the
// objects it leaves behind.
#include "drawing/graph_win.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <limits>
#include <memory>
#include <vector>

#include "tests/canvas/canvas_fixture_win.h"

namespace drawing_test {
namespace {

using namespace canvas_test;  // the window, log capture and pixel reads

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

CITable<C2DPos> Points(std::initializer_list<C2DPos> points) {
  CITable<C2DPos> table;
  for (const C2DPos& p : points) table.Add(p);
  return table;
}

// 90 pixels per unit across, 70 per unit up: x = -5..5 over columns 40..940, y = 2..-2
// over rows 20..300, so x = 0 is column 490 and y = 0 row 160.
class GraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(graph_.SetPlotArea(RECT{40, 20, 940, 300}));
    ASSERT_TRUE(graph_.SetDataRect({-5, 2, 5, -2}));
    ASSERT_TRUE(graph_.SetXAxis({-5, 5, 0, 1, 0.5f}));
    ASSERT_TRUE(graph_.SetYAxis({-2, 2, 0, 1, 0.5f}));
  }
  TestWindow window_;
  CICGGraph graph_{window_.get()};
  const std::uint32_t key_ =
      Pixel(GetRValue(graph_.key_color), GetGValue(graph_.key_color), GetBValue(graph_.key_color));
};

TEST_F(GraphTest, ANaNPointBreaksALineWithoutALogEntry) {
  const CITable<C2DPos> broken = Points({{-4, 1}, {kNaN, 0}, {0, 1}, {4, 1}});
  ASSERT_TRUE(graph_.SelectLayer(graph_.GetPlotLayer()));
  ASSERT_TRUE(graph_.ClearCanvas());
  LogCapture log;
  EXPECT_EQ(0, graph_.PlotSeries(broken.begin(), 4, CICGGraph::kPlotLine, RGB(0, 0, 255)));
  const Picture after{ReadLayer(graph_, graph_.GetPlotLayer())};
  EXPECT_EQ(key_, after(300, 90)) << "no line from (-4, 1) across the gap";
  EXPECT_EQ(Pixel(0, 0, 255), after(700, 90)) << "the line goes on after it";
  EXPECT_EQ(0u, log.Lines().size()) << "a skipped point is not logged";
}

// Antialiased text would leave colours between white and the key: fringes of magenta.
TEST_F(GraphTest, LabelsAreWhiteOnTheKeyColourWithNothingInBetween) {
  ASSERT_EQ(1, graph_.DrawFrame());
  const std::vector<std::uint32_t> labels = ReadLayer(graph_, graph_.GetLabelLayer());
  const auto white = std::count(labels.begin(), labels.end(), Pixel(255, 255, 255));
  EXPECT_GT(white, 0);
  EXPECT_EQ(std::ssize(labels) - white, std::count(labels.begin(), labels.end(), key_))
      << "pixels neither white nor the key colour";
}

TEST(GraphLifetimeTest, FramesLeaveNoGdiObjectAndDestructionStopsTheFrameThreadFirst) {
  TestWindow window;
  const gdi::LiveCounts before = gdi::Live();
  static std::atomic<int> frames{0};
  {
    const CITable<C2DPos> line = Points({{0, 0}, {1, 1}, {0.5f, 0}});
    auto graph = std::make_unique<CICGGraph>(window.get());
    graph->AddSeries(&line, CICGGraph::kPlotLine);
    graph->AddSeries(&line, CICGGraph::kPlotDot);
    ASSERT_EQ(1, graph->DrawFrame());
    const gdi::LiveCounts after_one = gdi::Live();
    for (int i = 0; i < 100; ++i) ASSERT_EQ(1, graph->DrawFrame());
    EXPECT_EQ(after_one, gdi::Live());
    const auto count_frame = [](CICG*, std::uint32_t) -> std::int32_t { return ++frames, 1; };
    ASSERT_EQ(0u, graph->StartFrameThread(nullptr, count_frame, 200.0f));
    EXPECT_TRUE(WaitFor([] { return frames.load() >= 5; })) << "the frame thread ran";
    graph.reset();  // while the thread composes through the graph's DrawFrame
  }
  EXPECT_EQ(before, gdi::Live());
}

}  // namespace
}  // namespace drawing_test
