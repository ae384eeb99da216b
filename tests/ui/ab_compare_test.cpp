// The A/B comparison through the title strip: what a switch sends, what the controls show,
// undo per setting, and what ends a comparison.

#include <QAbstractButton>
#include <QSlider>

#include "history_fixture.h"

namespace kdsp::testing {
namespace {

class CompareTest : public HistoryTest {
 protected:
  bool Checked(const char* name) { return Find<QAbstractButton>(name)->isChecked(); }
};

TEST_F(CompareTest, SwitchSendsExactlyTheDifferingValuesInAddressOrder) {
  ClickAt("CompareABtn");  // before a comparison A does nothing
  EXPECT_FALSE(Window().Compare().Active());
  EXPECT_FALSE(Checked("CompareABtn"));
  TypeInto("MusFreEdit1", "100");  // shared by both settings
  const int freq_100 = device_.Get(Band(1, 1));
  const int hp_a = device_.Get(0, 8);

  link_.writes.clear();
  ClickAt("CompareBBtn");  // A is kept, editing goes on on B
  EXPECT_TRUE(Window().Compare().Active());
  EXPECT_TRUE(Checked("CompareBBtn"));
  EXPECT_FALSE(Checked("CompareABtn"));
  EXPECT_TRUE(link_.writes.empty());

  TypeInto("MusGainEdit3", "6");
  ClickAt("MusEQAllpassBtn");
  Find<QSlider>("MusHPFREBar")->setValue(200);
  Settle();
  const int undo_on_b = History().Stack().index();

  link_.writes.clear();
  ClickAt("CompareABtn");
  EXPECT_EQ(link_.writes,
            (Writes{{MakeAddr(0, 8), hp_a}, {MakeAddr(0, 12), 0}, {Band(3, 2), 120}}));
  EXPECT_EQ(Text("MusGainEdit3"), "0.0dB");
  EXPECT_EQ(Find<QSlider>("MusHPFREBar")->value(), hp_a);
  EXPECT_FALSE(Find<QWidget>("EQPassLabel")->isVisible());
  EXPECT_TRUE(Checked("CompareABtn"));
  EXPECT_FALSE(Checked("CompareBBtn"));
  ClickAt("CompareABtn");  // already shown: nothing more
  EXPECT_EQ(link_.writes.size(), 3u);

  // A has the history from before the comparison, not B's edits; a switch is no step.
  EXPECT_EQ(History().Stack().index(), 1);
  link_.writes.clear();
  Undo();
  EXPECT_EQ(link_.writes, (Writes{{Band(1, 1), 2}}));
  EXPECT_FALSE(History().CanUndo());

  // Back to B: everything that differs now, the undone frequency included.
  link_.writes.clear();
  ClickAt("CompareBBtn");
  EXPECT_EQ(
      link_.writes,
      (Writes{
          {MakeAddr(0, 8), 200}, {MakeAddr(0, 12), 1}, {Band(1, 1), freq_100}, {Band(3, 2), 150}}));
  EXPECT_EQ(device_.Get(Band(3, 2)), 150);
  EXPECT_EQ(Text("MusGainEdit3"), "6.0dB");
  EXPECT_TRUE(Find<QWidget>("EQPassLabel")->isVisible());
  EXPECT_EQ(History().Stack().index(), undo_on_b);

  // An edit on B stays on B: A still has the value it had.
  TypeInto("MusGainEdit3", "-6");
  link_.writes.clear();
  ClickAt("CompareABtn");
  EXPECT_EQ(device_.Get(Band(3, 2)), 120);
  ClickAt("CompareBBtn");
  EXPECT_EQ(device_.Get(Band(3, 2)), 90);
}

TEST_F(CompareTest, PresetLoadAndFullReadEndTheComparison) {
  Find<QLineEdit>("FileEdit")->setText("flat");
  Click("RzBmpButton120");
  ClickAt("CompareBBtn");
  TypeInto("MusGainEdit2", "3");
  QTest::mouseClick(Find<QWidget>("RzBmpButton119"), Qt::LeftButton);  // load "flat"
  Settle();
  EXPECT_FALSE(Window().Compare().Active());
  EXPECT_FALSE(Checked("CompareABtn"));
  EXPECT_FALSE(Checked("CompareBBtn"));
  link_.writes.clear();
  ClickAt("CompareABtn");
  EXPECT_TRUE(link_.writes.empty());
  EXPECT_TRUE(History().CanUndo());  // the load itself is undoable

  // A full read from the box (as the link starts it) clears the history and the comparison.
  ClickAt("CompareBBtn");
  ASSERT_TRUE(Window().Compare().Active());
  History().Clear();
  EXPECT_FALSE(Window().Compare().Active());
  EXPECT_FALSE(History().CanUndo());
  EXPECT_FALSE(Find<QWidget>("UndoBtn")->isEnabled());
}

}  // namespace
}  // namespace kdsp::testing
