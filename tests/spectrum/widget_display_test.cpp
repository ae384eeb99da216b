// The bar display on the graph: set-up, the 11-tick cycle, the drawing in both forms, the
// buttons, the freeze key's state, and the pauses while a marker is dragged. The samples come
// from a stand-in recorder fed by the test.

#include <cmath>
#include <thread>
#include <vector>

#include <QImage>
#include <QPainter>
#include <QPen>

#include "model/page_layout.h"
#include "spectrum/bar_painter.h"
#include "widget_support.h"

namespace kdsp::test {
namespace {

constexpr int kW = 883;
constexpr int kH = 268;
constexpr int kPitch = kW / 120;  // 7 pixels per bar at design size

/// The bar whose middle frequency lies nearest `freq_hz` (log distance) on a graph of width w.
int NearestBar(const GraphGeometry& g, double freq_hz) {
  const int pitch = g.width / 120;
  int best = 0;
  for (int a = 1; a * pitch <= g.width; ++a) {
    const double d = std::abs(std::log(g.XToFreq(a * pitch + pitch / 2) / freq_hz));
    const double best_d = std::abs(std::log(g.XToFreq(best * pitch + pitch / 2) / freq_hz));
    if (d < best_d) best = a;
  }
  return best;
}

/// Top row of bar `a`, read in its middle column (pixel columns start - 1 .. start + 4 carry
/// the bar, start + 5 is its gap).
int BarTop(const QImage& canvas, int a, int pitch = kPitch) {
  return TopBlueRow(canvas, a * pitch + 2);
}

/// The bar with the highest top (smallest row); ties keep the lowest bar.
int TallestBar(const QImage& canvas, int width, int pitch) {
  int best = 0;
  for (int a = 1; a * pitch + 2 < width; ++a) {
    if (BarTop(canvas, a, pitch) < BarTop(canvas, best, pitch)) best = a;
  }
  return best;
}

/// Row of a level in dB on the bar scale: the floor at H - 2, 0 dB at -1.
double LevelRow(double level_db, double floor_db) {
  return (kH - 2) - (level_db - floor_db) / -floor_db * (kH - 1);
}

/// Whether two pictures agree on every pixel from row `from` down.
bool SameRows(const QImage& a, const QImage& b, int from) {
  return a.copy(0, from, a.width(), a.height() - from) ==
         b.copy(0, from, b.width(), b.height() - from);
}

using SpectrumDisplayTest = DisplayFixture;

TEST(SpectrumBarPainter, TwoPixelBlueColumnsFromTheTopDownAndNothingInGaps) {
  QImage canvas(14, 10, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  // Bar one: columns 1..5 up to row 4; gap 6, 7; bar two: columns 8..10 up to row 7; gaps.
  const int tops[14] = {10, 4, 4, 4, 4, 4, 10, 10, 7, 7, 7, 10, 10, 10};
  PaintSpectrumBars(canvas, tops, 10);
  // The 2-pixel pen paints columns x - 1 and x of each line: 0..5 and 7..10.
  EXPECT_EQ(BluePixels(canvas), 6 * 6 + 4 * 3);
  for (int x : {0, 5}) {
    EXPECT_EQ(TopBlueRow(canvas, x), 4) << x;
    EXPECT_EQ(canvas.pixel(x, 9), kSpectrumBarRgb) << x;  // down to the bottom row
  }
  EXPECT_EQ(canvas.pixel(0, 3), qRgb(255, 255, 255));
  EXPECT_EQ(TopBlueRow(canvas, 6), 10);  // the gap stays clear
  EXPECT_EQ(TopBlueRow(canvas, 7), 7);
  EXPECT_EQ(TopBlueRow(canvas, 10), 7);
  EXPECT_EQ(TopBlueRow(canvas, 11), 10);
  EXPECT_EQ(canvas.pixel(4, 6), qRgb(62, 62, 255));  // exactly RGB(62, 62, 255), not blended
}

TEST(SpectrumBarPainter, PaintsTheSamePixelsAsTwoPixelLinesDrawnColumnByColumn) {
  constexpr int kWidth = 200;
  constexpr int kHeight = 60;
  std::vector<int> tops(kWidth + 1);
  unsigned seed = 7;
  for (int x = 0; x <= kWidth; x += 1 + static_cast<int>(seed % 9)) {
    seed = seed * 1103515245u + 12345u;
    const int top = static_cast<int>((seed >> 16) % (kHeight + 2)) - 1;  // -1 .. height
    for (int i = x; i <= kWidth && i < x + 1 + static_cast<int>(seed % 9); ++i) tops[i] = top;
  }
  tops[0] = 3;  // a line at the left edge reaches outside the canvas
  QImage painted(kWidth, kHeight, QImage::Format_RGB32);
  painted.fill(qRgb(238, 238, 238));
  QImage reference = painted.copy();
  PaintSpectrumBars(painted, tops, kHeight);

  QPainter p(&reference);
  QPen pen(QColor(62, 62, 255), 2);
  pen.setCapStyle(Qt::FlatCap);
  p.setPen(pen);
  for (int x = 0; x <= kWidth; ++x) {
    if (tops[x] < kHeight) p.drawLine(x, kHeight, x, tops[x]);
  }
  p.end();
  ASSERT_GT(BluePixels(reference), kWidth);
  EXPECT_EQ(painted, reference);
}

TEST_F(SpectrumDisplayTest, SetUpStartsTheRecorderAndLeavesTheSpectrumOff) {
  EXPECT_EQ(source->starts, 1);
  EXPECT_FALSE(source->triggered);  // cleared before the start
  EXPECT_TRUE(source->HasHook());
  EXPECT_TRUE(display->AudioAvailable());
  EXPECT_FALSE(display->SpectrumOn());
  EXPECT_FALSE(display->SpectrumFrozen());
  EXPECT_FALSE(display->LowFloor());
  // Off: blocks are dropped and the cycle stands still.
  source->Deliver(SineBlock(1000, 100));
  Ticks(30);
  EXPECT_EQ(display->BlocksTaken(), 0);
  EXPECT_EQ(display->SpectrumTick(), 0);
  EXPECT_EQ(BluePixels(Canvas()), 0);
  EXPECT_EQ(display->Transform().Magnitude(43), 0.0f);

  MakeDisplay(false);
  EXPECT_EQ(source->starts, 1);
  EXPECT_FALSE(display->AudioAvailable());
}

TEST_F(SpectrumDisplayTest, CycleTransformsOnTheFifthTickAndDrawsOnTheEleventh) {
  SpectrumButton()->click();
  EXPECT_TRUE(display->SpectrumOn());
  EXPECT_EQ(SpectrumButton()->Hint(), "1");
  EXPECT_EQ(SpectrumButton()->CurrentLook(), PictureButton::Look::kPressed);
  source->Deliver(SineBlock(1000, 100));
  EXPECT_EQ(display->BlocksTaken(), 1);

  Ticks(4);
  EXPECT_EQ(display->Transform().Magnitude(43), 0.0f);
  Ticks(1);
  EXPECT_GT(display->Transform().Magnitude(43), 120.0f);
  Ticks(5);
  EXPECT_EQ(BluePixels(Canvas()), 0);
  // Silence arrives after the transform: the drawing still shows the tone.
  source->Deliver(std::vector<std::uint8_t>(1024, 128));
  Ticks(1);
  EXPECT_EQ(display->SpectrumTick(), 0);
  ASSERT_GT(BluePixels(Canvas()), 0);
  const int tone_bar = NearestBar(graph->Geometry(), 1000.0);
  EXPECT_EQ(tone_bar, 74);
  EXPECT_EQ(TallestBar(Canvas(), kW, kPitch), tone_bar);
  // The magnitude ceiling 120 against 128 is -0.56 dB: row 1.88, drawn from row 2.
  EXPECT_EQ(BarTop(Canvas(), tone_bar), 2);

  // The next cycle takes the newest block: silence, every bar on the floor times its factor.
  OneCycle();
  EXPECT_EQ(BarTop(Canvas(), tone_bar), kH - 2);
  EXPECT_EQ(BarTop(Canvas(), 60), kH - 2);
  EXPECT_EQ(BarTop(Canvas(), 2), 66);   // 266 x 0.25 = 66.5, to even
  EXPECT_EQ(BarTop(Canvas(), 1), 112);  // 266 x 0.42 = 111.72
  EXPECT_EQ(BarTop(Canvas(), 0), 106);  // bin 0 is damped to nothing: the floor, x 0.40
  // Each bar's last two columns stay clear; the 2-pixel pen widens the bar to the left.
  EXPECT_EQ(TopBlueRow(Canvas(), 60 * kPitch + 5), kH);
  EXPECT_EQ(TopBlueRow(Canvas(), 60 * kPitch - 1), kH - 2);
}

TEST_F(SpectrumDisplayTest, BarsLieUnderTheCurveInBothDrawingForms) {
  SpectrumButton()->click();
  source->Deliver(SineBlock(1000, 100));
  OneCycle();
  const int x = 74 * kPitch + 2;
  const int curve_row = graph->CurvePoints()[0].y();  // flat 0 dB curve after the reset
  ASSERT_EQ(curve_row, 89);
  const QRgb crossing = Canvas().pixel(x, curve_row);
  EXPECT_NE(crossing, kSpectrumBarRgb);
  EXPECT_GT(qRed(crossing), qBlue(crossing)) << "the orange curve is drawn over the bar";
  const QImage cycle_picture = Canvas().copy();

  // A band edit redraws the curve and puts the bars under it again, without a tick.
  view.Set(0, EqFirstSlot(0) + 5 * 3 + kFieldGain, 150);
  graph->DrawEqCurve(3, 0);
  EXPECT_NE(Canvas(), cycle_picture);  // the curve moved up, around band 3
  EXPECT_EQ(BarTop(Canvas(), 74), 2);
  EXPECT_TRUE(SameRows(Canvas(), cycle_picture, curve_row + 2)) << "the bars below the curve";
  // Back to the old curve: the same picture as the cycle drew.
  view.Set(0, EqFirstSlot(0) + 5 * 3 + kFieldGain, 120);
  graph->DrawEqCurve(3, 0);
  EXPECT_EQ(Canvas(), cycle_picture);
}

TEST_F(SpectrumDisplayTest, OffRemovesTheBarsAtOnceAndOnShowsThemAtTheNextDrawing) {
  SpectrumButton()->click();
  source->Deliver(SineBlock(1000, 100));
  OneCycle();
  ASSERT_GT(BluePixels(Canvas()), 0);
  Ticks(3);
  SpectrumButton()->click();
  EXPECT_FALSE(display->SpectrumOn());
  EXPECT_EQ(SpectrumButton()->Hint(), "0");
  EXPECT_EQ(BluePixels(Canvas()), 0);
  EXPECT_EQ(BarTop(Canvas(), 74), kH);
  // Off: the cycle keeps its place, redraws show no bars, blocks are dropped.
  const long taken = display->BlocksTaken();
  source->Deliver(SineBlock(1000, 100));
  Ticks(30);
  graph->DrawEqCurve(100, 0);
  EXPECT_EQ(display->SpectrumTick(), 3);
  EXPECT_EQ(BluePixels(Canvas()), 0);
  EXPECT_EQ(display->BlocksTaken(), taken);

  SpectrumButton()->click();
  EXPECT_EQ(BluePixels(Canvas()), 0);
  Ticks(7);  // from tick 3: the drawing is the eighth tick from here
  EXPECT_EQ(BluePixels(Canvas()), 0);
  Ticks(1);
  EXPECT_EQ(BarTop(Canvas(), 74), 2);
}

TEST_F(SpectrumDisplayTest, FrozenKeepsThePictureUntilReleasedOrSwitchedOnAgain) {
  SpectrumButton()->click();
  source->Deliver(SineBlock(1000, 100));
  OneCycle();
  const QImage picture = Canvas().copy();
  display->ToggleFrozen();
  EXPECT_TRUE(display->SpectrumFrozen());
  const long taken = display->BlocksTaken();
  source->Deliver(std::vector<std::uint8_t>(1024, 128));
  EXPECT_EQ(display->BlocksTaken(), taken);
  OneCycle();
  OneCycle();
  EXPECT_EQ(Canvas(), picture);

  display->ToggleFrozen();
  EXPECT_FALSE(display->SpectrumFrozen());
  source->Deliver(std::vector<std::uint8_t>(1024, 128));
  OneCycle();
  EXPECT_NE(Canvas(), picture);
  EXPECT_EQ(BarTop(Canvas(), 74), kH - 2);

  // Switching the spectrum on again releases a freeze.
  display->ToggleFrozen();
  SpectrumButton()->click();
  SpectrumButton()->click();
  EXPECT_TRUE(display->SpectrumOn());
  EXPECT_FALSE(display->SpectrumFrozen());
}

TEST_F(SpectrumDisplayTest, MarkerDragPausesCaptureAndCycle) {
  SpectrumButton()->click();
  Ticks(2);
  PressMarker(3);
  ASSERT_TRUE(graph->DragActive());
  source->Deliver(SineBlock(1000, 100));
  EXPECT_EQ(display->BlocksTaken(), 0);
  Ticks(40);
  EXPECT_EQ(display->SpectrumTick(), 2);
  EXPECT_EQ(BluePixels(Canvas()), 0);
  // From another thread the hook goes by the drag state of the last tick.
  std::thread([this] { source->Deliver(SineBlock(1000, 100)); }).join();
  EXPECT_EQ(display->BlocksTaken(), 0);

  ReleaseMarker(3);
  ASSERT_FALSE(graph->DragActive());
  Ticks(1);
  std::thread([this] { source->Deliver(SineBlock(1000, 100)); }).join();
  EXPECT_EQ(display->BlocksTaken(), 1);
  Ticks(8);  // ticks 4..11 of the cycle
  EXPECT_EQ(display->SpectrumTick(), 0);
  EXPECT_EQ(BarTop(Canvas(), 74), 2);
}

TEST_F(SpectrumDisplayTest, LowFloorButtonRaisesWeakSignalsOffTheFloor) {
  SpectrumButton()->click();
  // Twenty one-step impulses a millisecond apart: a weak 1 kHz line.
  source->Deliver(ImpulseTrain(20, 48));
  OneCycle();
  const double magnitude = display->Transform().Magnitude(43);
  const double level = 20.0 * std::log10(magnitude / 128.0);
  ASSERT_GT(level, -64.0);
  ASSERT_LT(level, -52.0);
  EXPECT_EQ(BarTop(Canvas(), 74), kH - 2);

  FloorButton()->click();
  EXPECT_TRUE(display->LowFloor());
  EXPECT_EQ(FloorButton()->Hint(), "1");
  EXPECT_EQ(FloorButton()->CurrentLook(), PictureButton::Look::kPressed);
  OneCycle();
  EXPECT_EQ(BarTop(Canvas(), 74), std::lround(LevelRow(level, -64.0)));
  EXPECT_LT(BarTop(Canvas(), 74), kH - 20);
  // Silence still sits on the (lower) floor: row H - 2 as before.
  EXPECT_EQ(BarTop(Canvas(), 60), kH - 2);

  FloorButton()->click();
  EXPECT_FALSE(display->LowFloor());
  OneCycle();
  EXPECT_EQ(BarTop(Canvas(), 74), kH - 2);
}

TEST_F(SpectrumDisplayTest, WithoutRecorderTheButtonShowsTheNoticeAndNoBars) {
  MakeDisplay(false);
  ctx.ui_language = 1;
  SpectrumButton()->click();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], QString::fromUtf8("没检测到音频设备"));
  EXPECT_FALSE(display->SpectrumOn());
  EXPECT_EQ(SpectrumButton()->Hint(), "1");  // the button keeps its toggled picture

  ctx.ui_language = 0;
  SpectrumButton()->click();
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[1], "Audio device is not detected");
  EXPECT_EQ(SpectrumButton()->Hint(), "0");
  SpectrumButton()->click();
  EXPECT_EQ(notices.size(), 3u);

  source->Deliver(SineBlock(1000, 100));
  Ticks(33);
  EXPECT_EQ(display->BlocksTaken(), 0);
  EXPECT_EQ(BluePixels(Canvas()), 0);
}

TEST_F(SpectrumDisplayTest, BarsFollowTheGraphSizeAfterAResize) {
  constexpr int kWide = 1596;
  constexpr int kTall = 737;
  root->resize(1700, 800);
  panel->resize(kWide + 55, kTall + 54);
  graph->Area()->resize(kWide, kTall);
  graph->Area()->findChild<QWidget*>("Image1")->resize(kWide, kTall);
  ASSERT_EQ(graph->Geometry().width, kWide);
  ASSERT_EQ(Canvas().width(), kWide);
  SpectrumButton()->click();
  source->Deliver(SineBlock(1000, 100));
  OneCycle();
  const int pitch = kWide / 120;  // 13
  const int tone_bar = NearestBar(graph->Geometry(), 1000.0);
  EXPECT_EQ(TallestBar(Canvas(), kWide, pitch), tone_bar);
  // Columns beyond 120 bars continue the pattern up to the right edge.
  ASSERT_LT(122 * pitch + 2, kWide);
  EXPECT_LT(TopBlueRow(Canvas(), 122 * pitch + 2), kTall);
  EXPECT_EQ(TopBlueRow(Canvas(), 121 * pitch + pitch - 2), kTall);
  EXPECT_EQ(TopBlueRow(Canvas(), tone_bar * pitch + pitch - 2), kTall);  // its gap
}

}  // namespace
}  // namespace kdsp::test
