// The modes stored in the box, as the window shows them: the three mode lists and their name
// edits, load and save with their questions, the quick-recall buttons; and, against the
// emulated box, a hint-mode save and the download after a preset file load.

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>

#include "boxsim/box_server_thread.h"
#include "console_rig.h"
#include "link/hid_backend.h"
#include "link/link_component.h"
#include "system_test_fixture.h"
#include "ui/link_bridge.h"
#include "ui/status_popup.h"

namespace kdsp::testing {
namespace {

class ModesTest : public SystemTest {
 protected:
  void Pick(const char* list, int item) {
    auto* box = Find<ParamSelector>(list);
    box->setCurrentIndex(item);
    emit box->activated(item);
  }
};

TEST_F(ModesTest, RefreshFillsTheListsAndDrawsTheQuickRecallButtons) {
  device_.Set(30, 2, 8);
  device_.Set(30, 34, 1);
  Window().Refresh().RefreshPage(30);
  auto* modes = Find<QComboBox>("SysModeBox");
  ASSERT_EQ(modes->count(), 16);
  EXPECT_EQ(modes->itemText(0), "1-m0.0");
  EXPECT_EQ(modes->currentIndex(), 8);
  EXPECT_EQ(Find<QLineEdit>("PresetModeEdit")->text(), "m0.8");  // its change handler ran
  EXPECT_TRUE(Find<QWidget>("SysSaveModeBtn")->isEnabled());
  for (const char* name : {"SysMode2Box", "SysMode3Box"}) {
    auto* hints = Find<QComboBox>(name);
    ASSERT_EQ(hints->count(), 16) << name;
    EXPECT_EQ(hints->itemText(15), "16-m1.15") << name;
    EXPECT_EQ(hints->currentIndex(), 1) << name;
  }
  EXPECT_EQ(Find<QLineEdit>("PresetMode2Edit")->text(), "m1.1");
  EXPECT_EQ(Find<QLineEdit>("PresetMode3Edit")->text(), "m1.1");
  EXPECT_TRUE(Find<QWidget>("SysSave2ModeBtn")->isEnabled());

  for (const char* name : {"SysFactoryBtn", "SysFactoryBtn2", "SysFactoryBtn3", "SysFactoryBtn4",
                           "SysFactoryBtn5", "SysFactoryBtn6"}) {
    EXPECT_EQ(Find<PictureButton>(name)->CurrentLook(), PictureButton::Look::kDisabledLook);
    EXPECT_TRUE(Find<QWidget>(name)->isEnabled());
  }
  auto* seventh = Find<PictureButton>("SysFactoryBtn7");
  EXPECT_EQ(seventh->text(), "9");
  EXPECT_EQ(seventh->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_EQ(Find<QAbstractButton>("SysFactoryBtn3")->text(), "3");

  // The seventh button recalls its mode after the question, only while online.
  Window().ApplyLanguage(0);
  link_.online = false;
  Click("SysFactoryBtn7");
  EXPECT_TRUE(dialogs_.shown.empty());
  link_.online = true;
  Click("SysFactoryBtn7");
  ASSERT_EQ(dialogs_.Questions(), 1);
  EXPECT_EQ(dialogs_.shown[0].caption, "Confirm");
  EXPECT_EQ(dialogs_.shown[0].text, "Load Mode to9-m0.8?");
  EXPECT_EQ(sys_link_.calls, std::vector<std::string>{"load-mode 8"});

  // A numbered button picks its item first; at mode 6 the seventh opens the full list.
  Click("SysFactoryBtn2");
  EXPECT_EQ(modes->currentIndex(), 1);
  EXPECT_EQ(dialogs_.shown.back().text, "Load Mode to2-m0.1?");
  EXPECT_EQ(sys_link_.calls.back(), "load-mode 1");
  device_.Set(30, 2, 5);
  Window().Refresh().RefreshPage(30);
  EXPECT_EQ(seventh->text(), "...");
  EXPECT_EQ(seventh->CurrentLook(), PictureButton::Look::kDisabledLook);
  EXPECT_EQ(Find<PictureButton>("SysFactoryBtn6")->CurrentLook(), PictureButton::Look::kPressed);
  const std::size_t asked = dialogs_.shown.size();
  Click("SysFactoryBtn7");
  EXPECT_EQ(Find<QTabWidget>("AdvPageControl1")->currentIndex(), 1);
  EXPECT_EQ(dialogs_.shown.size(), asked);
}

TEST_F(ModesTest, PickLoadAndSaveAskBeforeActing) {
  Pick("SysModeBox", 11);
  EXPECT_EQ(Find<QLineEdit>("PresetModeEdit")->text(), "m0.11");  // the text after "12-"
  EXPECT_TRUE(Find<QWidget>("SysSaveModeBtn")->isEnabled());

  // Load: No changes nothing but the buttons' look; Yes recalls.
  device_.Set(30, 2, 0);
  Window().Refresh().RefreshModeButtons();
  Find<PictureButton>("SysFactoryBtn")->SetLook(PictureButton::Look::kNormal);
  Pick("SysModeBox", 11);
  dialogs_.answers = {false};
  Click("SysLoadModeBtn");
  EXPECT_EQ(dialogs_.shown.back().text, QString::fromUtf8("模式切换为12-m0.11?"));
  EXPECT_TRUE(sys_link_.calls.empty());
  EXPECT_EQ(Find<PictureButton>("SysFactoryBtn")->CurrentLook(), PictureButton::Look::kPressed);
  Click("SysLoadModeBtn");
  EXPECT_EQ(sys_link_.calls, std::vector<std::string>{"load-mode 11"});

  // Save under the typed name.
  Find<QLineEdit>("PresetModeEdit")->setText("Party");
  dialogs_.answers = {false};
  Click("SysSaveModeBtn");
  EXPECT_EQ(dialogs_.shown.back().text, QString::fromUtf8("保存当前模式为 12-Party?"));
  EXPECT_EQ(sys_link_.calls.size(), 1u);
  Window().ApplyLanguage(0);
  Click("SysSaveModeBtn");
  EXPECT_EQ(dialogs_.shown.back().text, "Save Mode to 12-Party?");
  EXPECT_EQ(sys_link_.calls.back(), "store-mode 11 Party");

  // The hint modes: save from the hidden page, load from either list.
  Pick("SysMode2Box", 2);
  Find<QLineEdit>("PresetMode2Edit")->setText("Duet");
  Click("SysSave2ModeBtn");
  EXPECT_EQ(sys_link_.calls.back(), "store-hint 2 Duet");
  Click("SysLoad2ModeBtn");
  EXPECT_EQ(sys_link_.calls.back(), "load-hint 2");
  Pick("SysMode3Box", 4);
  EXPECT_EQ(Find<QLineEdit>("PresetMode3Edit")->text(), "m1.4");
  Click("SysLoad3ModeBtn");
  EXPECT_EQ(dialogs_.shown.back().text, "Load Mode to5-m1.4?");
  EXPECT_EQ(sys_link_.calls.back(), "load-hint 4");

  // Names are held to twenty bytes; nothing chosen, nothing asked.
  Find<QLineEdit>("PresetModeEdit")->setText("abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(Find<QLineEdit>("PresetModeEdit")->text(), "abcdefghijklmnopqrst");
  const std::size_t asked = dialogs_.shown.size();
  Find<QComboBox>("SysMode3Box")->setCurrentIndex(-1);
  Click("SysLoad3ModeBtn");
  EXPECT_EQ(dialogs_.shown.size(), asked);
}

// --- Against the emulated box over loopback TCP ---

class NoUsb : public HidBackend {
 public:
  std::vector<HidDeviceInfo> Enumerate(std::uint16_t) override { return {}; }
  std::unique_ptr<HidHandle> Open(const std::string&) override { return nullptr; }
};

class BoxModesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    boxsim::ServerOptions options;
    options.tcp = true;
    ASSERT_TRUE(server_.Start(options)) << server_.Error();
    window_ = std::make_unique<ui::MainWindow>(device_, view_);
    window_->SetNetworkAddress("127.0.0.1", QString::number(server_.Port()));
    bridge_ = std::make_unique<ui::LinkBridge>(*window_, popup_);
    LinkTimings fast;
    fast.search_ms = 40;
    fast.transfer_ms = 5;
    fast.transfer_tcp_ms = 8;
    fast.hold_ms = 5;
    link_ = std::make_unique<LinkComponent>(device_, *bridge_, std::make_unique<NoUsb>(), fast);
    bridge_->Attach(link_.get());
    link_->SetSerialPortLister([] { return std::vector<std::string>{}; });
    window_->SetLink(bridge_.get());
    adapter_ = std::make_unique<ui::LinkSystemAdapter>(*link_);
    window_->System().SetLink(adapter_.get());
    window_->System().SetDialogs(&dialogs_);
    window_->System().Files().SetDirs(
        ResolvePresetDirs(temp_.path().toStdString(), "", IsWritableDirectory));
    link_->SetTcpEndpoint("127.0.0.1", QString::number(server_.Port()));
    window_->show();
    // The link's own notices ("保存成功!") are modal boxes: note and close them.
    closer_.setInterval(20);
    QObject::connect(&closer_, &QTimer::timeout, [this] {
      if (auto* box = OpenMessageBox()) {
        notices_.push_back(box->text());
        box->accept();
      }
    });
    closer_.start();
    link_->Start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return bridge_->IsOnline(); }, 20000));
  }
  void TearDown() override {
    closer_.stop();
    link_.reset();
    window_.reset();
  }
  template <typename T = QWidget>
  T* Find(const char* name) {
    T* w = window_->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  boxsim::BoxSim& box() { return server_.Box(); }
  /// Clicks `name` and waits until the message it leads to is the `notice`th, and closed.
  void Click(const char* name, int notice) {
    Find<QAbstractButton>(name)->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return notices_.size() >= notice && OpenMessageBox() == nullptr; }, 2000))
        << name;
  }

  QTemporaryDir temp_;
  boxsim::BoxServerThread server_;
  ValueTable device_, view_;
  ui::StatusPopup popup_;
  FakeDialogs dialogs_;
  std::unique_ptr<ui::MainWindow> window_;
  std::unique_ptr<ui::LinkBridge> bridge_;
  std::unique_ptr<LinkComponent> link_;
  std::unique_ptr<ui::LinkSystemAdapter> adapter_;
  QTimer closer_;
  QStringList notices_;
};

TEST_F(BoxModesTest, HintModeSaveRefillsBothHintListsOnly) {
  auto* hint_list = Find<QComboBox>("SysMode2Box");
  auto* load_list = Find<QComboBox>("SysMode3Box");
  auto* device_list = Find<QComboBox>("SysModeBox");
  ASSERT_EQ(hint_list->count(), 16);
  const QString device_item = device_list->itemText(1);
  hint_list->setCurrentIndex(1);
  Find<QLineEdit>("PresetMode2Edit")->setText("Duet");
  Find<QAbstractButton>("SysSave2ModeBtn")->click();
  EXPECT_EQ(link_->machine().dispatcher().ModeNames()[27], "Duet");  // stored at once
  ASSERT_TRUE(QTest::qWaitFor([&] { return notices_.size() == 1; }, 5000));
  EXPECT_EQ(notices_[0], QString::fromUtf8("保存成功!"));
  EXPECT_EQ(hint_list->itemText(1), "2-Duet");
  EXPECT_EQ(load_list->itemText(1), "2-Duet");
  EXPECT_EQ(hint_list->currentIndex(), 1);
  EXPECT_EQ(device_list->itemText(1), device_item);
  EXPECT_EQ(box().HintModeNameOf(1), "Duet");
}

// The confirmation is the box's: it shows only once the box has acknowledged the save, both
// hint lists then select the index the save was made from, and the message, left open, stops
// none of the link's timers: a box that falls silent under it is still found lost.
TEST_F(BoxModesTest, ASaveIsConfirmedByTheBoxAndItsMessageStopsNothing) {
  closer_.stop();
  // A message that blocks its caller (as a modal one does) is closed after a while, so that
  // the test fails instead of waiting for good.
  QTimer unblock;
  unblock.setSingleShot(true);
  QObject::connect(&unblock, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  unblock.start(4000);
  auto* hint_list = Find<QComboBox>("SysMode2Box");
  auto* load_list = Find<QComboBox>("SysMode3Box");
  auto* link_label = Find<QLabel>("LinkLabel");
  hint_list->setCurrentIndex(1);
  load_list->setCurrentIndex(4);
  Find<QLineEdit>("PresetMode2Edit")->setText("Duet");
  // The box answers 400 ms late; when the message first shows is noted as it happens.
  box().SetAnswerDelay(400);
  QElapsedTimer since_click;
  qint64 shown_after_ms = -1;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (shown_after_ms < 0 && OpenMessageBox() != nullptr) shown_after_ms = since_click.elapsed();
  });
  watch.start(5);
  // Clicked while the box has answered everything before: nothing else is in flight.
  ASSERT_TRUE(QTest::qWaitFor([this] { return link_->machine().state().ReadyToSend; }, 5000));
  since_click.start();
  Find<QAbstractButton>("SysSave2ModeBtn")->click();
  QTest::qWait(200);
  EXPECT_EQ(shown_after_ms, -1) << "confirmed before the box answered";
  EXPECT_EQ(link_label->text(), QString::fromUtf8("保存中..."));
  ASSERT_TRUE(QTest::qWaitFor([] { return OpenMessageBox() != nullptr; }, 5000));
  EXPECT_GE(shown_after_ms, 400);
  QMessageBox* success = OpenMessageBox();
  EXPECT_EQ(success->text(), QString::fromUtf8("保存成功!"));
  EXPECT_EQ(box().HintModeNameOf(1), "Duet");
  for (QComboBox* list : {hint_list, load_list}) {
    EXPECT_EQ(list->itemText(1), "2-Duet") << list->objectName().toStdString();
    EXPECT_EQ(list->currentIndex(), 1) << list->objectName().toStdString();
  }

  box().SetAnswerDelay(0);
  box().GoSilent();
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return link_label->text() == QString::fromUtf8("设备未连接"); }, 5000))
      << "the link stood still under the message";
  EXPECT_TRUE(success->isVisible());
}

// Offline and during a download a mode save or recall does nothing and says why: nothing
// reaches the box, and the console keeps the box's current mode.
TEST_F(BoxModesTest, SavesAndRecallsTheLinkCannotCarryAreRefused) {
  const int mode = device_.Get(30, 2);
  ASSERT_EQ(box().Param(30, 2), mode);
  const std::string name = box().ModeNameOf(4);
  Find<QComboBox>("SysModeBox")->setCurrentIndex(4);
  Find<QLineEdit>("PresetModeEdit")->setText("Party");

  // A preset load starts a download; a recall and a save asked for meanwhile are refused.
  window_->findChild<QLineEdit*>("FileEdit")->setText("stage");
  Find<QAbstractButton>("RzBmpButton120")->click();
  Find<QAbstractButton>("RzBmpButton119")->click();
  ASSERT_EQ(Find<QLabel>("LinkLabel")->text(), QString::fromUtf8("下载数据..."));
  Click("SysLoadModeBtn", 1);
  Click("SysSaveModeBtn", 2);
  ASSERT_TRUE(QTest::qWaitFor([this] { return bridge_->IsOnline(); }, 10000));
  EXPECT_EQ(notices_, QStringList(2, QString::fromUtf8("设备忙,请稍后再试!")));
  EXPECT_EQ(device_.Get(30, 2), mode);
  EXPECT_EQ(box().Param(30, 2), mode);
  EXPECT_EQ(box().ModeNameOf(4), name);

  // After Unlink: refused with the reason, nothing goes out on the still open socket.
  QTest::mouseClick(window_->LinkButton(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([this] { return box().Counters().byes == 1; }, 5000));
  const auto heard = box().Counters().frames_received;
  notices_.clear();
  Click("SysSaveModeBtn", 1);
  Click("SysLoadModeBtn", 2);
  EXPECT_EQ(notices_, (QStringList{QString::fromUtf8("设备未连接,模式未保存!"),
                                   QString::fromUtf8("设备未连接,模式未调用!")}));
  QTest::qWait(100);
  EXPECT_EQ(box().Counters().frames_received, heard);
  EXPECT_EQ(box().ModeNameOf(4), name);
  EXPECT_EQ(device_.Get(30, 2), mode);
  EXPECT_EQ(Find<QLabel>("LinkLabel")->text(), QString::fromUtf8("设备未连接"));
}

TEST_F(BoxModesTest, AGoodLoadWhileOnlineDownloadsIntoTheBox) {
  device_.Set(0, 6, 11);  // the music key
  window_->findChild<QLineEdit*>("FileEdit")->setText("stage");
  Find<QAbstractButton>("RzBmpButton120")->click();
  device_.Set(0, 6, 2);
  Find<QAbstractButton>("RzBmpButton119")->click();
  EXPECT_EQ(device_.Get(0, 6), 11);
  EXPECT_TRUE(QTest::qWaitFor([this] { return box().Param(0, 6) == 11; }, 10000));
  // Online again, with the pages refreshed from the table.
  ASSERT_TRUE(QTest::qWaitFor([this] { return bridge_->IsOnline(); }, 10000));
  EXPECT_EQ(Find<StatusPane>("MusPitchPane")->text(), "4");
  EXPECT_EQ(box().Counters().frames_rejected, 0);
}

}  // namespace
}  // namespace kdsp::testing
