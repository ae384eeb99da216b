// Channel selection and the channel-wide operations: scene, output mode, microphone sync,
// effect and hidden-page sub-tabs, the lock screen's hold on the tabs; and the refresh steps
// that fill the system page's mode lists and buttons.

#include <QComboBox>
#include <QLineEdit>
#include <QStackedWidget>

#include "edit/channel_ops.h"
#include "edit/edit_handlers.h"
#include "edit/page_refresh.h"
#include "ui/control_factory.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

const QColor kOrange(255, 102, 0);
const QColor kGrey(172, 172, 172);

class ChannelTest : public WindowTest {
 protected:
  void Click(const char* name) { QTest::mouseClick(Find<QWidget>(name), Qt::LeftButton); }
};

TEST_F(ChannelTest, SceneFollowsTheOutputTabAndRefreshes) {
  Click("FormSURTabBtn");  // the tab captioned "中置" shows the centre output
  EXPECT_EQ(Ctx().selection.output_page, 11);
  EXPECT_EQ(Ctx().channel.view_page, 5);
  EXPECT_TRUE(Find<QWidget>("SingleDiscoGrop")->isVisible());
  EXPECT_EQ(Find<PictureButton>("SingModeBtn")->CurrentLook(), PictureButton::Look::kPressed);

  Click("DiscoModeBtn");
  EXPECT_EQ(Ctx().selection.scene_mode, 1);
  EXPECT_EQ(Ctx().selection.output_page, 12);
  EXPECT_EQ(device_.Get(0, 64), 1);
  EXPECT_EQ(link_.writes, (std::vector<std::pair<int, int>>{{MakeAddr(0, 64), 1}}));
  EXPECT_EQ(Find<PictureButton>("DiscoModeBtn")->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_EQ(Find<PictureButton>("SingModeBtn")->CurrentLook(), PictureButton::Look::kReleased);
  // The dance pages follow on every output tab.
  Click("FormOut7TabBtn");
  EXPECT_EQ(Ctx().selection.output_page, 18);
  Click("SingModeBtn");
  EXPECT_EQ(Ctx().selection.output_page, 17);
  // A stored scene above 1 counts as sing at the next refresh.
  device_.Set(0, 64, 5);
  Window().Refresh().RefreshPage(5);
  EXPECT_EQ(Ctx().selection.scene_mode, 0);
}

TEST_F(ChannelTest, AutomaticOutputModeLocksTheOutputControlsAndGreysTheCurve) {
  Click("FormMAINTabBtn");
  ASSERT_EQ(Ctx().channel.output_mode, 1);  // start-up contents: manual
  Click("AutoModeBtn");
  EXPECT_EQ(Ctx().channel.output_mode, 0);
  EXPECT_EQ(device_.Get(0, 63), 0);
  EXPECT_EQ(graph_.colour, kGrey);
  EXPECT_FALSE(Find<QWidget>("AutoModeBtn")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("SingModeBtn")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("EQPassGrop")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("EQResetBtn")->isEnabled());
  EXPECT_TRUE(Find<QWidget>("ManulModeBtn")->isEnabled());
  // The music page keeps its orange curve and its reset button in automatic mode.
  Click("FormMusTabBtn");
  EXPECT_EQ(graph_.colour, kOrange);
  EXPECT_TRUE(Find<QWidget>("EQPassGrop")->isEnabled());
  EXPECT_TRUE(Find<QWidget>("EQResetBtn")->isEnabled());
  Click("FormMAINTabBtn");
  EXPECT_EQ(graph_.colour, kGrey);
  Click("ManulModeBtn");
  EXPECT_EQ(graph_.colour, kOrange);
  EXPECT_TRUE(Find<QWidget>("SingModeBtn")->isEnabled());
  EXPECT_TRUE(Find<QWidget>("EQResetBtn")->isEnabled());
  EXPECT_EQ(device_.Get(0, 63), 1);
}

TEST_F(ChannelTest, MicrophoneSyncCopiesAndRebindsTheSecondMicrophone) {
  Click("FormMICATabBtn");
  ASSERT_TRUE(Find<QWidget>("CopyGrop")->isVisible());
  device_.Set(1, 20, 77);
  device_.Set(2, 20, 5);
  device_.Set(1, 115, 44);
  device_.Set(2, 115, 33);

  Click("SameBtn");
  EXPECT_EQ(Ctx().channel.sync_state, 1);
  EXPECT_EQ(device_.Get(1, 13), 1);
  EXPECT_EQ(device_.Get(2, 20), 77);
  EXPECT_EQ(link_.writes, (std::vector<std::pair<int, int>>{{MakeAddr(1, 13), 1}}));
  EXPECT_EQ(Find<PictureButton>("SameBtn")->CurrentLook(), PictureButton::Look::kPressed);
  // While synced the second microphone's tab shows, and edits, the first.
  Click("FormMICBTabBtn");
  EXPECT_EQ(Ctx().selection.mic_page, 1);
  EXPECT_EQ(Ctx().ToDevice(MakeAddr(1, 40)), MakeAddr(1, 40));

  device_.Set(1, 20, 88);
  Click("RightBtn");
  EXPECT_EQ(Ctx().channel.sync_state, 2);
  EXPECT_EQ(Ctx().selection.mic_page, 2);
  EXPECT_EQ(device_.Get(2, 20), 88);   // leaves the sync with the first microphone's settings
  EXPECT_EQ(device_.Get(2, 115), 33);  // but keeps its own effect volume
  EXPECT_EQ(device_.Get(1, 13), 0);
  EXPECT_TRUE(Find<QWidget>("FormMICBTabBtn")->property("chosen").toBool());
  EXPECT_EQ(Ctx().ToDevice(MakeAddr(1, 40)), MakeAddr(2, 40));
  // The first microphone's tab always shows microphone 1.
  Click("FormMICATabBtn");
  EXPECT_EQ(Ctx().selection.mic_page, 1);
  EXPECT_EQ(Ctx().channel.sync_state, 0);
}

TEST_F(ChannelTest, SubTabsChooseEffectAndHiddenPages) {
  Click("FormEFFTabBtn");
  EXPECT_EQ(Ctx().channel.view_page, 3);
  EXPECT_EQ(Find<QStackedWidget>("FormPageItem")->currentIndex(), 2);
  Window().Channels().EchoAToolButtonClick(2);
  EXPECT_EQ(Ctx().selection.effect_page, 4);
  EXPECT_EQ(Ctx().channel.view_page, 4);
  EXPECT_EQ(Ctx().registry.BandLabels(2, 4).size(), 10u);
  // The effect tab comes back on the sub-tab chosen last.
  Click("FormMusTabBtn");
  Click("FormEFFTabBtn");
  EXPECT_EQ(Ctx().channel.view_page, 4);
  EXPECT_EQ(Ctx().ToDevice(MakeAddr(4, 20)), MakeAddr(4, 20));

  Window().Channels().FormMusTabBtnClick(9);
  EXPECT_EQ(Find<QStackedWidget>("FormPageItem")->currentIndex(), 4);
  Window().Channels().HintMusBtnClick(2);
  EXPECT_EQ(Ctx().selection.hint_page, 24);
  EXPECT_EQ(Ctx().ToDevice(MakeAddr(22, 3)), MakeAddr(24, 3));
  Window().Channels().HintMusBtnClick(3);
  EXPECT_EQ(Ctx().selection.hint_page, 22);
  EXPECT_TRUE(link_.writes.empty());
}

TEST_F(ChannelTest, LockScreenHoldsEveryTabButMusic) {
  auto* lock = new QWidget(&Window());
  lock->setObjectName("FirstCheckGrop");
  auto* password = new QLineEdit(lock);
  password->setObjectName("PanelPassWordEdit");
  lock->hide();

  // The first refresh of a connection with the front panel locked brings up the lock.
  Click("FormMICATabBtn");
  device_.Set(30, 4, 1);
  link_.first_refresh = true;
  Window().Refresh().RefreshPage(100);
  EXPECT_TRUE(lock->isVisible());
  EXPECT_EQ(Ctx().channel.current_tab, 0);
  EXPECT_EQ(Find<QStackedWidget>("FormPageItem")->currentIndex(), 0);
  EXPECT_FALSE(Find<QWidget>("FormPageItem")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("AdvPanel1")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("AdvPageControl1")->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), password);

  // Only the music tab reacts; a later refresh of the same connection does not lock again.
  Window().Channels().FormMusTabBtnClick(2);
  EXPECT_EQ(Ctx().channel.current_tab, 0);
  EXPECT_FALSE(Find<QWidget>("FormMICATabBtn")->property("chosen").toBool());
  lock->hide();
  Window().Channels().FormMusTabBtnClick(2);
  EXPECT_EQ(Ctx().channel.current_tab, 2);
  EXPECT_FALSE(lock->isVisible());
}

// The system page's controls, made on their own: the refresh fills the mode lists and gives the
// mode and two-state buttons their looks.
TEST(SystemRefreshTest, ModeListsAndButtonsFollowTheStoredMode) {
  ValueTable device, view;
  FakeLink link;
  BindingContext ctx(device, view);
  ctx.link = &link;
  EditPipeline pipeline(ctx);
  EditHandlers handlers(ctx, pipeline);
  PageRefresh refresh(ctx, pipeline, handlers);
  QWidget root;
  std::vector<PictureButton*> modes;
  for (const char* name : {"SysFactoryBtn", "SysFactoryBtn2", "SysFactoryBtn3", "SysFactoryBtn4",
                           "SysFactoryBtn5", "SysFactoryBtn6", "SysFactoryBtn7"}) {
    modes.push_back(ui::MakeButton(&root, name, QRect(0, 0, 20, 20)));
  }
  auto* mode_box = new QComboBox(&root);
  mode_box->setObjectName("SysModeBox");
  auto* hint_box = new QComboBox(&root);
  hint_box->setObjectName("SysMode3Box");
  auto* panel_off = ui::MakeButton(&root, "SysPanelBtn1", QRect(0, 0, 20, 20));
  auto* panel_on = ui::MakeButton(&root, "SysPanelBtn2", QRect(0, 0, 20, 20));
  refresh.BuildRegistry(root);
  ASSERT_EQ(panel_on->Tag(), MakeAddr(30, 4));

  device.Set(30, 2, 7);
  device.Set(30, 34, 2);
  device.Set(30, 4, 1);
  refresh.RefreshPage(100);
  ASSERT_EQ(mode_box->count(), 16);
  EXPECT_EQ(mode_box->itemText(0), "1-m0.0");
  EXPECT_EQ(mode_box->itemText(15), "16-m0.15");
  EXPECT_EQ(mode_box->currentIndex(), 7);
  EXPECT_EQ(hint_box->itemText(3), "4-m1.3");
  EXPECT_EQ(hint_box->currentIndex(), 2);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(modes[i]->CurrentLook(), PictureButton::Look::kDisabledLook) << i;
  }
  EXPECT_EQ(modes[6]->text(), "8");
  EXPECT_EQ(modes[6]->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_EQ(panel_on->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_EQ(panel_off->CurrentLook(), PictureButton::Look::kDisabledLook);
  EXPECT_TRUE(link.writes.empty());

  device.Set(30, 2, 5);
  device.Set(30, 34, 40);  // beyond the list: no selection
  refresh.RefreshPage(30);
  EXPECT_EQ(modes[5]->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_EQ(modes[6]->text(), "...");
  EXPECT_EQ(modes[6]->CurrentLook(), PictureButton::Look::kDisabledLook);
  EXPECT_EQ(hint_box->currentIndex(), -1);

  // Choosing "禁用" writes 0 to the front-panel lock.
  refresh.SysMusInputLevelClick(panel_off);
  EXPECT_EQ(link.writes, (std::vector<std::pair<int, int>>{{MakeAddr(30, 4), 0}}));
  EXPECT_EQ(panel_off->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_EQ(panel_on->CurrentLook(), PictureButton::Look::kDisabledLook);
}

}  // namespace
}  // namespace kdsp::testing
