// The graph's drawing: frame, curve, markers, value label, page-21 halves, resizing, and the
// redraw that follows an edit.

#include <cstdlib>

#include <QLabel>
#include <QPainter>

#include "model/frequency_table.h"
#include "model/page_layout.h"
#include "widget_fixture.h"

namespace kdsp::test {
namespace {

const QRgb kPaper = qRgb(238, 238, 238);
const QRgb kLineGrey = qRgb(210, 210, 210);
const QRgb kLightGrey = qRgb(220, 220, 220);
const QRgb kOrange = qRgb(255, 102, 0);

int Rnd(double v) { return static_cast<int>(RoundHalfEven(v)); }

bool Near(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
         std::abs(qBlue(a) - qBlue(b)) <= 2;
}

using GraphDrawing = GraphFixture;

TEST_F(GraphDrawing, FrameDrawsGridBordersAndAxisLabels) {
  const GraphGeometry& g = graph->Geometry();
  ASSERT_EQ(g.width, 883);
  ASSERT_EQ(g.height, 268);
  const QImage& grid = graph->GraphBackground();
  EXPECT_EQ(grid.pixel(522, 40), kLineGrey);  // 1 kHz, 522.45 rounded
  EXPECT_EQ(grid.pixel(530, 40), kPaper);
  EXPECT_EQ(grid.pixel(Rnd(g.FreqToX(2000)), 40), kLightGrey);
  EXPECT_EQ(grid.pixel(0, 150), kLineGrey);     // left border
  EXPECT_EQ(grid.pixel(882, 150), kLightGrey);  // right border
  EXPECT_EQ(grid.pixel(300, 89), kLineGrey);    // 0 dB
  EXPECT_EQ(grid.pixel(300, Rnd(g.DbToY(-3))), kLightGrey);
  EXPECT_EQ(grid.pixel(300, 1), kLineGrey);    // top edge line, one below +12 dB
  EXPECT_EQ(grid.pixel(300, 267), kLineGrey);  // -24 dB
  EXPECT_EQ(grid.pixel(300, 150), kPaper);

  auto* zero_db = panel->findChild<QLabel*>("EQLabelY4");
  ASSERT_NE(zero_db, nullptr);
  EXPECT_EQ(zero_db->text(), "0dB");
  EXPECT_EQ(zero_db->geometry(), QRect(48 - 34, 89 + 35 - 6, 32, 13));
  auto* top_db = panel->findChild<QLabel*>("EQLabelY10");
  ASSERT_NE(top_db, nullptr);
  EXPECT_EQ(top_db->text(), "36dB");
  EXPECT_EQ(top_db->y(), Rnd(g.DbToY(36)) + 35 - 6);  // above the graph area
  auto* one_k = panel->findChild<QLabel*>("EQLabelX16");
  ASSERT_NE(one_k, nullptr);
  EXPECT_EQ(one_k->text(), "1KHz");
  EXPECT_EQ(one_k->geometry(), QRect(522 + 48 - 18, 35 + 268, 36, 13));
}

TEST_F(GraphDrawing, ADownloadedFilterTypeWithoutSlopeLeavesNoOldFilterDrawn) {
  const FilterSlots filter = *FilterSlotsOf(0);
  auto set = [this](int slot, int value) {
    view.Set(0, slot, value);
    device.Set(0, slot, value);
  };
  set(filter.hp_type, 2);
  set(filter.hp_freq, 150);
  OpenPage(0);
  const int low = GridPosition(20);
  ASSERT_GT(graph->CurvePoints()[low].y(), 89 + 20);  // the high-pass cut is drawn

  // A download brings type 15, which has no slope: the curve goes flat, as a fresh
  // computation of the same values (the command line's) draws it.
  set(filter.hp_type, 15);
  refresh.RefreshPage(0);
  for (const QPoint& p : graph->CurvePoints()) ASSERT_EQ(p.y(), 89);
  auto fresh = std::make_unique<CurveTable>();
  fresh->LoadCurveTable(view, 0, kAllRows);
  fresh->ComputeRows(kAllRows);
  for (int k = 0; k <= kGridSteps; ++k) {
    ASSERT_EQ(graph->Table().ChannelCurve(k), fresh->ChannelCurve(k)) << k;
  }
  // Type 22 draws as type 2 again.
  set(filter.hp_type, 22);
  refresh.RefreshPage(0);
  EXPECT_GT(graph->CurvePoints()[low].y(), 89 + 20);
}

TEST_F(GraphDrawing, FlatChannelLiesOnTheZeroDecibelRow) {
  OpenPage(0);
  const auto points = graph->CurvePoints();
  ASSERT_EQ(points.size(), static_cast<std::size_t>(kGridSteps + 1));
  for (const QPoint& p : points) ASSERT_EQ(p.y(), 89);
  EXPECT_EQ(points[kGridSteps].x(), 883);
  EXPECT_EQ(points[231].x(), Rnd(231 * static_cast<double>(883.0f / 462.0f)));
  for (int x : {60, 300, 700}) {
    EXPECT_TRUE(Near(Pixel(x, 89), kOrange)) << x;
    EXPECT_NE(Pixel(x, 88), kPaper) << x;  // the 1.8-pixel pen reaches into both neighbours
    EXPECT_EQ(Pixel(x, 86), kPaper) << x;
  }
  EXPECT_EQ(graph->CurveColour(), QColor(255, 102, 0));
}

TEST_F(GraphDrawing, MarkersShowPerPageAndSitOnTheirBandPoints) {
  SetField(0, 2, kFieldGain, 150);  // band 3: +6 dB
  SetField(0, 6, kFieldType, 3);    // band 7: a high shelf, -6 dB
  SetField(0, 6, kFieldGain, 90);
  OpenPage(0);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(graph->Marker(i)->isHidden(), i >= 10) << i;
  EXPECT_FALSE(graph->Marker(20)->isHidden());
  EXPECT_FALSE(graph->Marker(21)->isHidden());

  const GraphGeometry& g = graph->Geometry();
  const double f = FrequencyHzF(DefaultFrequencyIndex(0, 2));
  const QPoint centre = MarkerCentre(2);
  EXPECT_EQ(centre, QPoint(Rnd(g.FreqToX(f) - 7) + 7, Rnd(g.DbToY(6) - 7) + 7));
  const QPoint peak = graph->CurvePoints()[GridPosition(f)];
  EXPECT_LE(std::abs(peak.x() - centre.x()), 1);
  EXPECT_LE(std::abs(peak.y() - centre.y()), 1);
  EXPECT_EQ(MarkerCentre(6).y(), Rnd(g.DbToY(-6) - 7) + 7);
  // Filter handles sit on the 0 dB line.
  EXPECT_EQ(MarkerCentre(20).y(), Rnd(g.DbToY(0) - 7) + 7);

  OpenPage(1);
  for (int i = 0; i < 22; ++i) EXPECT_FALSE(graph->Marker(i)->isHidden()) << i;
  root->findChild<QWidget*>("HintEQGroupBox3")->hide();
  OpenPage(22);
  for (int i = 0; i < 22; ++i) EXPECT_EQ(graph->Marker(i)->isHidden(), i >= 2) << i;
}

TEST_F(GraphDrawing, ValueLabelGoesAboveCutsBelowBoostsAndNamesFilters) {
  SetField(0, 5, kFieldFreq, kFrequencyIndex1k);
  SetField(0, 5, kFieldGain, 104);  // -3.2 dB
  OpenPage(0);
  QLabel* label = graph->ValueLabel();
  EXPECT_TRUE(label->isHidden());  // a full redraw shows no label
  graph->DrawEqCurve(5, 0);
  const QWidget* marker = graph->Marker(5);
  EXPECT_FALSE(label->isHidden());
  EXPECT_EQ(label->text(), "-3.2dB\nQ:1.00\n1000.00Hz");
  EXPECT_EQ(label->y() + label->height() + 1, marker->y());
  EXPECT_EQ(label->x(), marker->x() + 7 - label->width() / 2);

  SetField(0, 5, kFieldGain, 120);
  graph->DrawEqCurve(5, 0);
  EXPECT_EQ(label->text(), "0.0dB\nQ:1.00\n1000.00Hz");
  EXPECT_EQ(label->y(), marker->y() + 14);

  // The high-pass filter is off at index 0; a press on its handle shows its label.
  Press(EqualiserGraph::kHighPassMarker, Qt::LeftButton);
  EXPECT_EQ(label->text(), "HPF:19.00Hz");
  EXPECT_EQ(label->y(), graph->Marker(20)->y() + 14);
  Release();
  graph->DrawEqCurve(100, 0);
  EXPECT_TRUE(label->isHidden());
}

TEST_F(GraphDrawing, AuxiliaryPageDrawsTheHalfOfTheSelectedBand) {
  SetField(21, 0, kFieldGain, 150);  // music bass +6 dB
  SetField(21, 3, kFieldGain, 90);   // microphone bass -6 dB, same frequency
  OpenPage(21);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(graph->Marker(i)->isHidden(), i < 3) << i;
  const int at = GridPosition(FrequencyHzF(DefaultFrequencyIndex(6, 0)));
  EXPECT_GT(graph->CurvePoints()[at].y(), 89);  // only the microphone half: a cut

  pipeline.SelectEdit(Edit("AUXMUSFreEdit2"));  // highlights band 2's number label
  graph->DrawEqCurve(100, 21);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(graph->Marker(i)->isHidden(), i >= 3) << i;
  EXPECT_LT(graph->CurvePoints()[at].y(), 89);
}

TEST_F(GraphDrawing, ResizeRedrawsForTheNewSizeAndRelabelsTheSelectedBand) {
  SetField(0, 3, kFieldGain, 150);
  OpenPage(0);
  ctx.edit.selected_band[0] = 3;
  panel->resize(1255, 454);
  graph->Area()->resize(1200, 400);
  panel->findChild<QWidget*>("Image1")->resize(1200, 400);

  const GraphGeometry& g = graph->Geometry();
  EXPECT_EQ(g.width, 1200);
  EXPECT_EQ(g.height, 400);
  EXPECT_EQ(graph->DragLimits().marker_top_max, 392);
  EXPECT_EQ(graph->Surface()->size(), QSize(1200, 400));
  EXPECT_EQ(graph->CurvePoints()[kGridSteps].x(), 1200);
  EXPECT_EQ(graph->GraphBackground().pixel(Rnd(g.FreqToX(1000)), 40), kLineGrey);
  const double f = FrequencyHzF(DefaultFrequencyIndex(0, 3));
  EXPECT_EQ(MarkerCentre(3), QPoint(Rnd(g.FreqToX(f) - 7) + 7, Rnd(g.DbToY(6) - 7) + 7));
  QLabel* label = graph->ValueLabel();
  EXPECT_FALSE(label->isHidden());
  EXPECT_TRUE(label->text().startsWith("6.0dB\nQ:1.00\n"));
  EXPECT_EQ(label->y(), graph->Marker(3)->y() + 14);
  auto* one_k = panel->findChild<QLabel*>("EQLabelX16");
  EXPECT_EQ(one_k->geometry(), QRect(Rnd(g.FreqToX(1000)) + 48 - 18, 35 + 400, 36, 13));
}

TEST_F(GraphDrawing, AnEditRedrawsItsBandAtTheNextTickOnly) {
  OpenPage(0);
  const QPoint flat_centre = MarkerCentre(2);
  pipeline.UpdateControl(Edit("MusGainEdit3"), 0, false, 150);
  EXPECT_EQ(MarkerCentre(2), flat_centre);
  Tick();
  EXPECT_EQ(MarkerCentre(2).y(), Rnd(graph->DbToY(6) - 7) + 7);
  EXPECT_TRUE(graph->ValueLabel()->text().startsWith("6.0dB"));
  EXPECT_LT(graph->CurvePoints()[GridPosition(FrequencyHzF(62))].y(), 89);

  // Redraws asked for during a page refresh, for pages without graph or for unknown rows are
  // dropped.
  SetField(0, 2, kFieldGain, 60);
  const QImage before = graph->Surface()->Canvas().copy();
  ctx.edit.refresh_in_progress = true;
  graph->DrawEqCurve(100, 0);
  ctx.edit.refresh_in_progress = false;
  graph->DrawEqCurve(100, 25);
  graph->DrawEqCurve(101, 0);
  graph->DrawEqCurve(15, 0);
  EXPECT_EQ(graph->Surface()->Canvas(), before);
  graph->DrawEqCurve(2, 0);
  EXPECT_NE(graph->Surface()->Canvas(), before);
}

TEST_F(GraphDrawing, UnderlayGoesUnderTheCurveAndNotIntoTheSavedGrid) {
  OpenPage(0);
  const QRgb blue = qRgb(62, 62, 255);
  graph->SetUnderlay([](QImage& canvas) {
    QPainter p(&canvas);
    p.fillRect(QRect(100, 80, 20, 20), QColor(62, 62, 255));
  });
  graph->DrawEqCurve(100, 0);
  EXPECT_EQ(Pixel(110, 95), blue);
  EXPECT_TRUE(Near(Pixel(110, 89), kOrange));
  EXPECT_EQ(graph->GraphBackground().pixel(110, 95), kPaper);
  graph->SetUnderlay({});
  graph->DrawEqCurve(100, 0);
  EXPECT_EQ(Pixel(110, 95), kPaper);
}

TEST_F(GraphDrawing, LayersGoUnderTheCurveInTheirOrder) {
  OpenPage(0);
  const QRgb red = qRgb(200, 0, 0);
  const QRgb green = qRgb(0, 160, 0);
  const auto square = [](QColor colour) {
    return [colour](QImage& canvas) {
      QPainter p(&canvas);
      p.fillRect(QRect(100, 80, 20, 20), colour);
    };
  };
  // Set out of order: the higher order is painted last, over the lower.
  graph->SetLayer(EqualiserGraph::kPredictionLayer, square(QColor(0, 160, 0)));
  graph->SetLayer(EqualiserGraph::kTraceLayer, square(QColor(200, 0, 0)));
  graph->DrawEqCurve(100, 0);
  EXPECT_EQ(Pixel(110, 95), green);
  EXPECT_TRUE(Near(Pixel(110, 89), kOrange));  // the curve stays on top
  graph->SetLayer(EqualiserGraph::kPredictionLayer, {});
  graph->DrawEqCurve(100, 0);
  EXPECT_EQ(Pixel(110, 95), red);
  graph->SetLayer(EqualiserGraph::kTraceLayer, {});
  graph->DrawEqCurve(100, 0);
  EXPECT_EQ(Pixel(110, 95), kPaper);
}

}  // namespace
}  // namespace kdsp::test
