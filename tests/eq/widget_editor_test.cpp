// Marker editing: drags with their thresholds, clamps and page rules, the Q drag, releases,
// the hand-over of dragged values and the band-number labels.

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

#include "model/frequency_table.h"
#include "model/page_layout.h"
#include "model/q_table.h"
#include "widget_fixture.h"

namespace kdsp::test {
namespace {

int Rnd(double v) { return static_cast<int>(RoundHalfEven(v)); }

ParamAddr Field(int page, int band, int field) {
  return MakeAddr(page, EqFirstSlot(page) + 5 * band + field);
}

void Click(QWidget* w) {
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent e(type, QPointF(5, 5), QPointF(w->mapToGlobal(QPoint(5, 5))), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
}

using MarkerDrag = GraphFixture;

TEST_F(MarkerDrag, MovesBelowTheStepThresholdAreIgnored) {
  OpenPage(0);
  const QPoint start = graph->Marker(4)->pos();
  Press(4, Qt::LeftButton);
  EXPECT_TRUE(graph->DragActive());
  EXPECT_EQ(ctx.edit.current_edit, Edit("MusFreEdit5"));  // the press selects the frequency
  EXPECT_TRUE(ctx.edit.wheel_target);
  MoveBy(1, 0);  // DragStepX is 2 at W = 883
  EXPECT_EQ(graph->Marker(4)->pos(), start);
  Tick();
  EXPECT_TRUE(link.writes.empty());
  MoveBy(1, 0);
  EXPECT_EQ(graph->Marker(4)->pos(), start + QPoint(2, 0));
  MoveBy(0, 1);  // DragStepY is 1
  EXPECT_EQ(graph->Marker(4)->pos(), start + QPoint(2, 1));
  Release();
  EXPECT_FALSE(graph->DragActive());
  EXPECT_EQ(ctx.edit.current_edit, Edit("MusFreEdit5"));
}

TEST_F(MarkerDrag, BandMarkersStopAtTheTopAndBottomOfTheGraph) {
  OpenPage(0);
  const ParamAddr gain = Field(0, 1, kFieldGain);
  Press(1, Qt::LeftButton);
  MoveBy(0, -500);
  EXPECT_EQ(graph->Marker(1)->y(), -7);
  Tick();
  EXPECT_EQ(view.Get(gain), 180);  // +12 dB
  EXPECT_EQ(device.Get(gain), 180);
  EXPECT_EQ(link.writes.back(), std::make_pair(gain, 180));
  MoveBy(0, 1000);
  EXPECT_EQ(graph->Marker(1)->y(), 260);
  Tick();
  EXPECT_EQ(view.Get(gain), 0);  // -24 dB
  Release();
}

TEST_F(MarkerDrag, LowPassDraggedFarRightSwitchesTheFilterOff) {
  device.Set(0, 9, 2);  // Butterworth
  device.Set(0, 10, 300);
  OpenPage(0);
  EXPECT_EQ(graph->Table().Row(11).type, 202);
  const int top = graph->Marker(21)->y();
  Press(EqualiserGraph::kLowPassMarker, Qt::LeftButton);
  EXPECT_TRUE(graph->ValueLabel()->text().startsWith("LPF:"));
  MoveBy(2000, 40);  // filter handles only move sideways
  EXPECT_EQ(graph->Marker(21)->x(), Rnd(graph->FreqToX(20600) - 7));
  EXPECT_EQ(graph->Marker(21)->y(), top);
  Tick();
  Tick();
  EXPECT_EQ(view.Get(0, 10), kFrequencyIndexMax);
  EXPECT_EQ(link.CountTo(MakeAddr(0, 10)), 1);
  EXPECT_EQ(graph->Table().Row(11).type, 200);
  for (int k = 0; k <= kGridSteps; ++k) ASSERT_EQ(graph->Table().Row(11).response[k], 0.0f);
  EXPECT_EQ(graph->ValueLabel()->text(), "LPF:20200.00Hz");  // index 360
  Release();
}

TEST_F(MarkerDrag, HighPassDraggedFarLeftStopsAtIndexOne) {
  device.Set(0, 7, 2);
  device.Set(0, 8, 60);
  OpenPage(0);
  Press(EqualiserGraph::kHighPassMarker, Qt::LeftButton);
  MoveBy(-2000, 0);
  EXPECT_EQ(graph->Marker(20)->x(), 69);
  EXPECT_EQ(MarkerCentre(20).x(), 76);  // 19.54 Hz, taken as 20 Hz
  Tick();
  Tick();
  EXPECT_EQ(view.Get(0, 8), 1);
  EXPECT_EQ(graph->Table().Row(10).type, 102);  // the filter stays on
  Release();
}

TEST_F(MarkerDrag, RightDragOverTheGraphStepsQEveryThreePixels) {
  OpenPage(0);
  const ParamAddr q = Field(0, 3, kFieldQ);
  const QPoint c = MarkerCentre(3);
  Press(3, Qt::RightButton);
  EXPECT_EQ(ctx.edit.current_edit, Edit("MusQEdit4"));
  EXPECT_TRUE(graph->Editor().State().q_adjust_mode);
  MoveTo(c + QPoint(2, 30));
  EXPECT_EQ(view.Get(q), 16);
  MoveTo(c + QPoint(3, 30));
  EXPECT_EQ(view.Get(q), 17);
  EXPECT_EQ(link.writes.back(), std::make_pair(q, 17));
  MoveTo(c + QPoint(5, 30));  // 2 pixels from the last step
  EXPECT_EQ(view.Get(q), 17);
  MoveTo(c + QPoint(6, 30));
  EXPECT_EQ(view.Get(q), 18);
  MoveTo(c + QPoint(2, 30));
  EXPECT_EQ(view.Get(q), 17);
  MoveTo(c + QPoint(-5, 0));  // over the marker itself: nothing
  EXPECT_EQ(view.Get(q), 17);
  EXPECT_EQ(Edit("MusQEdit4")->text().toStdString(), std::string(QText(17)));
  MoveTo(c + QPoint(1, 30));
  Release();  // over the graph: the frequency edit takes the wheel again
  EXPECT_FALSE(graph->Editor().State().q_adjust_mode);
  EXPECT_EQ(ctx.edit.current_edit, Edit("MusFreEdit4"));
}

TEST_F(MarkerDrag, EqPassHoldsBandMarkersAndOnMusicTheFiltersToo) {
  OpenPage(0);
  graph->PassLabel()->show();
  const QPoint band = graph->Marker(2)->pos();
  Press(2, Qt::LeftButton);
  MoveBy(40, 40);
  Release();
  EXPECT_EQ(graph->Marker(2)->pos(), band);
  const QPoint low_pass = graph->Marker(21)->pos();
  Press(21, Qt::LeftButton);
  MoveBy(-40, 0);
  Release();
  EXPECT_EQ(graph->Marker(21)->pos(), low_pass);
  Tick();
  EXPECT_TRUE(link.writes.empty());

  OpenPage(5);  // outputs, manual mode: filters still move sideways
  const QPoint out_band = graph->Marker(2)->pos();
  Press(2, Qt::LeftButton);
  MoveBy(40, 40);
  Release();
  EXPECT_EQ(graph->Marker(2)->pos(), out_band);
  const QPoint out_low_pass = graph->Marker(21)->pos();
  Press(21, Qt::LeftButton);
  MoveBy(-100, 40);
  EXPECT_EQ(graph->Marker(21)->pos(), out_low_pass + QPoint(-100, 0));
  Tick();
  Release();
  EXPECT_LT(view.Get(5, 25), kFrequencyIndexMax);
  EXPECT_EQ(link.CountTo(Field(5, 2, kFieldFreq)), 0);
}

TEST_F(MarkerDrag, AutomaticOutputModeLeavesOutputMarkersInert) {
  OpenPage(5, /*output_mode=*/0);
  ParamEdit* before = ctx.edit.current_edit;
  const QPoint start = graph->Marker(2)->pos();
  Press(2, Qt::LeftButton);
  EXPECT_FALSE(graph->DragActive());
  MoveBy(30, 30);
  Release();
  Press(2, Qt::RightButton);
  EXPECT_FALSE(graph->Editor().State().q_adjust_mode);
  MoveBy(10, 30);
  Release();
  Tick();
  EXPECT_EQ(graph->Marker(2)->pos(), start);
  EXPECT_EQ(ctx.edit.current_edit, before);
  EXPECT_TRUE(link.writes.empty());

  OpenPage(5, /*output_mode=*/1);
  Press(2, Qt::LeftButton);
  EXPECT_TRUE(graph->DragActive());
  MoveBy(30, 0);
  EXPECT_EQ(graph->Marker(2)->pos(), start + QPoint(30, 0));
  Release();
}

TEST_F(MarkerDrag, EachTickOrEventHandsOverAtMostOneFrequencyAndOneGain) {
  OpenPage(0);
  const ParamAddr freq = Field(0, 4, kFieldFreq);
  const ParamAddr gain = Field(0, 4, kFieldGain);
  const QPoint start = graph->Marker(4)->pos();
  Press(4, Qt::LeftButton);
  MoveBy(20, -20);
  EXPECT_TRUE(link.writes.empty());  // pending until the tick
  Tick();
  EXPECT_EQ(graph->Marker(4)->pos(), start + QPoint(20, -20));  // redraws leave it to the drag
  EXPECT_EQ(link.CountTo(freq), 1);
  EXPECT_EQ(link.CountTo(gain), 1);
  EXPECT_EQ(link.writes.size(), 2u);
  Tick();
  EXPECT_EQ(link.writes.size(), 2u);  // nothing changed
  MoveBy(20, 0);
  EXPECT_EQ(link.writes.size(), 2u);  // the values of this event wait
  MoveBy(20, 0);                      // ... and go with the next event
  EXPECT_EQ(link.writes.size(), 3u);
  EXPECT_EQ(link.CountTo(freq), 2);
  Tick();
  EXPECT_EQ(link.CountTo(freq), 3);
  EXPECT_EQ(link.CountTo(gain), 1);  // the gain did not change
  Release();
  Tick();
  Tick();
  EXPECT_EQ(link.writes.size(), 4u);
  EXPECT_EQ(link.writes.back(), std::make_pair(freq, view.Get(freq)));
  // After the release the marker sits on its band's stored point.
  EXPECT_EQ(graph->Marker(4)->x(), Rnd(graph->FreqToX(FrequencyHzF(view.Get(freq))) - 7));
}

TEST_F(MarkerDrag, ABandDraggedOntoAnotherBandsLastIndexStillGetsIt) {
  OpenPage(0);
  Press(0, Qt::LeftButton);
  MoveBy(60, 0);
  Tick();
  Release();
  Tick();
  const int index = view.Get(Field(0, 0, kFieldFreq));
  ASSERT_NE(index, view.Get(Field(0, 1, kFieldFreq)));
  const int dx = MarkerCentre(0).x() - MarkerCentre(1).x();
  Press(1, Qt::LeftButton);
  MoveBy(dx, 0);
  Tick();
  Release();
  EXPECT_EQ(view.Get(Field(0, 1, kFieldFreq)), index);
  EXPECT_EQ(link.CountTo(Field(0, 1, kFieldFreq)), 1);
}

TEST_F(MarkerDrag, ReleasesOverLabelsAndTheLimitSheetEndOrBlockEditing) {
  OpenPage(0);
  Press(2, Qt::RightButton);
  Tick();  // the Q edit's selection shows the band's label
  QLabel* label = graph->ValueLabel();
  ASSERT_FALSE(label->isHidden());
  MoveTo(label->geometry().center());
  Release();
  EXPECT_FALSE(graph->Editor().State().q_adjust_mode);
  EXPECT_EQ(ctx.edit.current_edit, Edit("MusQEdit3"));  // no reselection over a label

  OpenPage(21);
  ctx.channel.aux_sheet = 1;  // the limit editor
  const QPoint start = graph->Marker(3)->pos();
  Press(3, Qt::LeftButton);
  EXPECT_FALSE(graph->DragActive());
  MoveBy(30, 30);
  Release();
  EXPECT_EQ(graph->Marker(3)->pos(), start);
  ctx.channel.aux_sheet = 0;
  Press(3, Qt::LeftButton);
  EXPECT_EQ(ctx.edit.current_edit, Edit("AUXMICFreEdit1"));
  Release();
}

TEST_F(MarkerDrag, BandNumberLabelSelectsItsBandsFrequencyEdit) {
  OpenPage(0);
  Click(root->findChild<QLabel*>("MusEQPointLabel4"));
  EXPECT_EQ(ctx.edit.current_edit, Edit("MusFreEdit4"));
  EXPECT_TRUE(ctx.edit.wheel_target);
  EXPECT_TRUE(link.writes.empty());  // selecting sends nothing

  OpenPage(21);
  Click(root->findChild<QLabel*>("AUXEQPointLabel5"));
  EXPECT_EQ(ctx.edit.current_edit, Edit("AUXMICFreEdit2"));

  OpenPage(4);
  Click(root->findChild<QLabel*>("RvbEQPointLabel3"));
  EXPECT_EQ(ctx.edit.current_edit, ctx.registry.Primary(Field(4, 2, kFieldFreq)));
}

}  // namespace
}  // namespace kdsp::test
