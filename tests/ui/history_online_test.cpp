// Undo and A/B against the emulated box over loopback TCP: the box's memory follows A, B and A
// again, a full read starts the history afresh, a download after a preset load keeps it.

#include <cstdio>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include "box_console_fixture.h"

namespace kdsp::testing {
namespace {

using HistoryOnlineTest = BoxConsoleTest;

TEST_F(HistoryOnlineTest, SwitchesPutTheBoxOnAThenBThenA) {
  // Sixty settings that differ between A and B: frequency, gain and Q of ten music bands and
  // of ten bands of microphone 1.
  std::vector<ParamAddr> addrs;
  for (int page : {0, 1}) {
    const int first = page == 0 ? 13 : 15;
    for (int band = 0; band < 10; ++band) {
      for (int field = 1; field <= 3; ++field)
        addrs.push_back(MakeAddr(page, first + 5 * band + field));
    }
  }
  ClickAt("FormMICATabBtn");
  ClickAt("CompareBBtn");
  std::vector<int> a_values, b_values;
  for (ParamAddr d : addrs) {
    a_values.push_back(device_.Get(d));
    const int b = device_.Get(d) >= 100 ? device_.Get(d) - 7 : device_.Get(d) + 7;
    b_values.push_back(b);
    window_->Pipeline().WriteParam(d, b);  // view page 1 shows microphone 1
  }
  ASSERT_TRUE(BoxHolds(addrs, b_values));

  QElapsedTimer clock;
  std::vector<qint64> figures;
  for (const char* button : {"CompareABtn", "CompareBBtn", "CompareABtn"}) {
    const bool to_a = button[7] == 'A';
    clock.start();
    ClickAt(button);
    ASSERT_TRUE(BoxHolds(addrs, to_a ? a_values : b_values)) << button;
    figures.push_back(clock.elapsed());
    for (std::size_t i = 0; i < addrs.size(); ++i) {
      ASSERT_EQ(device_.Get(addrs[i]), to_a ? a_values[i] : b_values[i]);
    }
  }
  std::printf("A/B switch of %zu values over TCP: %lld ms, %lld ms, %lld ms\n", addrs.size(),
              static_cast<long long>(figures[0]), static_cast<long long>(figures[1]),
              static_cast<long long>(figures[2]));
  RecordProperty("ab_switch_ms", static_cast<int>(figures[0]));
  EXPECT_EQ(box().Counters().frames_rejected, 0);
}

TEST_F(HistoryOnlineTest, FullReadStartsAfreshAndADownloadKeepsTheHistory) {
  EXPECT_FALSE(History().CanUndo());  // arrival was a full read
  window_->findChild<QLineEdit*>("FileEdit")->setText("kept");
  ClickAt("RzBmpButton120");  // saved with band 3 flat
  window_->Pipeline().WriteParam(MakeAddr(0, 25), 150);
  QCoreApplication::processEvents();
  ASSERT_TRUE(History().CanUndo());
  ASSERT_TRUE(QTest::qWaitFor([this] { return box().Param(0, 25) == 150; }, 5000));

  // A preset loaded online is downloaded; the history survives the download.
  ClickAt("RzBmpButton119");
  ASSERT_TRUE(WaitOnlineAgain());
  EXPECT_EQ(box().Param(0, 25), 120);
  EXPECT_EQ(History().Stack().count(), 2);

  // Undoing the load downloads the values before it; undoing the gain sends the flat gain.
  ClickAt("UndoBtn");
  ASSERT_TRUE(WaitOnlineAgain());
  EXPECT_EQ(box().Param(0, 25), 150);
  EXPECT_EQ(History().Stack().index(), 1);
  ClickAt("UndoBtn");
  EXPECT_TRUE(QTest::qWaitFor([this] { return box().Param(0, 25) == 120; }, 5000));

  // A reload from the box (as after a recall) clears everything, the comparison included.
  ClickAt("CompareBBtn");
  ASSERT_TRUE(window_->Compare().Active());
  link_->machine().EnterLinkState(LinkEntry::StartFullRead);
  ASSERT_TRUE(WaitOnlineAgain());
  EXPECT_FALSE(History().CanUndo());
  EXPECT_FALSE(History().CanRedo());
  EXPECT_FALSE(window_->Compare().Active());
}

}  // namespace
}  // namespace kdsp::testing
