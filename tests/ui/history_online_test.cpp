// Undo and A/B against the emulated box over loopback TCP: the box's memory follows A, B and A
// again, a full read starts the history afresh, a download after a preset load keeps it.

#include <cstdio>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include "boxsim/box_server_thread.h"
#include "link/hid_backend.h"
#include "link/link_component.h"
#include "presets/codec/preset_dirs.h"
#include "console_rig.h"
#include "system_test_fixture.h"
#include "ui/link_bridge.h"
#include "ui/status_popup.h"
#include "ui/system_link.h"

namespace kdsp::testing {
namespace {

/// Search and transfers run fast; the writes are paced as in use (20 ms hold tick).
LinkTimings FastSearchRealPacing() {
  LinkTimings t;
  t.search_ms = 40;
  t.transfer_ms = 5;
  t.transfer_tcp_ms = 8;
  return t;
}

class HistoryOnlineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    boxsim::ServerOptions options;
    options.tcp = true;
    ASSERT_TRUE(server_.Start(options)) << server_.Error();
    ASSERT_TRUE(temp_.isValid());
    window_ = std::make_unique<ui::MainWindow>(device_, view_);
    window_->SetNetworkAddress("127.0.0.1", QString::number(server_.Port()));
    bridge_ = std::make_unique<ui::LinkBridge>(*window_, popup_);
    link_ = WireConsole(*window_, *bridge_, device_, FastSearchRealPacing());
    system_link_ = std::make_unique<ui::LinkSystemAdapter>(*link_);
    window_->System().SetLink(system_link_.get());
    window_->System().SetDialogs(&dialogs_);
    window_->System().Files().SetDirs(
        ResolvePresetDirs(temp_.path().toStdString(), "", IsWritableDirectory));
    window_->show();
    link_->Start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return bridge_->IsOnline(); }, 20000));
  }
  void TearDown() override {
    link_.reset();
    window_.reset();
  }

  boxsim::BoxSim& box() { return server_.Box(); }
  EditHistory& History() { return window_->History(); }
  void ClickAt(const char* name) {
    QWidget* w = window_->findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << name;
    QTest::mouseClick(w, Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  /// True once the box holds `values` at `addrs` (device addresses).
  bool BoxHolds(const std::vector<ParamAddr>& addrs, const std::vector<int>& values) {
    return QTest::qWaitFor(
        [&] {
          for (std::size_t i = 0; i < addrs.size(); ++i) {
            if (box().Param(PageOf(addrs[i]), SlotOf(addrs[i])) != values[i]) return false;
          }
          return true;
        },
        5000);
  }
  /// The transfer just started (the link left the online state at once) has ended.
  bool WaitOnlineAgain() {
    if (bridge_->IsOnline()) return false;
    return QTest::qWaitFor([this] { return bridge_->IsOnline(); }, 20000);
  }

  boxsim::BoxServerThread server_;
  QTemporaryDir temp_;
  ValueTable device_, view_;
  ui::StatusPopup popup_;
  FakeDialogs dialogs_;
  std::unique_ptr<ui::MainWindow> window_;
  std::unique_ptr<ui::LinkBridge> bridge_;
  std::unique_ptr<LinkComponent> link_;
  std::unique_ptr<ui::LinkSystemAdapter> system_link_;
};

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
