// The shared pages under the channel operations: microphone sync as the two microphone tabs
// show and edit it, the scene on an output tab, the equaliser reset of a sub-page, the output
// mode on the output controls, and the right-channel controls of the stereo outputs.

#include <QAbstractButton>
#include <QGroupBox>
#include <QStackedWidget>

#include "edit/translatable.h"
#include "model/display_kind.h"
#include "model/page_layout.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

using Writes = std::vector<std::pair<int, int>>;

class PagesChannelTest : public WindowTest {
 protected:
  void Click(const char* name) { QTest::mouseClick(Find<QWidget>(name), Qt::LeftButton); }
  QString Text(const char* name) { return Find<QLabel>(name)->text(); }
};

TEST_F(PagesChannelTest, SyncedMicrophonesShareTheFirstPage) {
  device_.Set(1, 5, 10);  // limiter threshold of microphone 1
  device_.Set(2, 5, 30);
  Click("FormMICATabBtn");
  Click("SameBtn");
  link_.writes.clear();

  // The second microphone's tab shows and edits the first microphone's page.
  Click("FormMICBTabBtn");
  EXPECT_EQ(Find<QSlider>("MicRmsLevelBar")->value(), 10);
  EXPECT_EQ(Text("MicRmsLevelPane"), "-24dB");
  EXPECT_EQ(Find<QGroupBox>("AdvGroupBox1")->title(), QString::fromUtf8("麦克风2压限"));
  Find<QSlider>("MicRmsLevelBar")->setValue(20);
  TypeInto("MicFreEdit3", "1000");
  EXPECT_EQ(device_.Get(1, 5), 20);
  EXPECT_EQ(device_.Get(1, 15 + 10 + 1), 204);
  EXPECT_EQ(device_.Get(2, 15 + 10 + 1), DefaultFrequencyIndex(1, 2));
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(1, 5), 20}, {MakeAddr(1, 26), 204}}));

  // And so does the first microphone's tab.
  link_.writes.clear();
  Click("FormMICATabBtn");
  EXPECT_EQ(Find<QSlider>("MicRmsLevelBar")->value(), 20);
  EXPECT_EQ(Find<QLineEdit>("MicFreEdit3")->text(), "1000Hz");
  EXPECT_EQ(Find<QGroupBox>("AdvGroupBox16")->title(), QString::fromUtf8("麦克风1 噪声门"));
  Find<QSlider>("MicFBEBar")->setValue(3);
  EXPECT_EQ(device_.Get(1, 1), 3);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(1, 1), 3}}));
}

TEST_F(PagesChannelTest, SyncOffByTheRightButtonLeavesTheSecondMicrophoneACopy) {
  for (int s = 0; s < 116; ++s) device_.Set(2, s, 1);
  device_.Set(1, 0, 33);
  device_.Set(1, 114, 23);
  device_.Set(1, 115, 60);
  device_.Set(2, 115, 40);
  Click("FormMICATabBtn");
  Click("SameBtn");
  device_.Set(1, 0, 34);  // microphone 1 moves on while synced
  Click("RightBtn");

  for (int s = 0; s <= 114; ++s) {
    if (s != 13) {
      EXPECT_EQ(device_.Get(2, s), device_.Get(1, s)) << s;
    }
  }
  EXPECT_EQ(device_.Get(2, 115), 40);
  EXPECT_EQ(device_.Get(1, 13), 0);
  EXPECT_EQ(Ctx().channel.sync_state, 2);
  EXPECT_TRUE(Find<QWidget>("FormMICBTabBtn")->property("chosen").toBool());
  EXPECT_EQ(Find<PictureButton>("RightBtn")->CurrentLook(), PictureButton::Look::kPressed);
  EXPECT_EQ(Find<PictureButton>("SameBtn")->CurrentLook(), PictureButton::Look::kReleased);
  EXPECT_EQ(Find<QSlider>("MicInputGainBar")->value(), 34);
  EXPECT_EQ(Find<QAbstractButton>("LeftBtn")->text(), QString::fromUtf8("麦克1"));
  EXPECT_EQ(Find<QAbstractButton>("RightBtn")->text(), QString::fromUtf8("麦克2"));

  // The tab now shows and edits page 2 on its own.
  link_.writes.clear();
  Find<QSlider>("MicInputGainBar")->setValue(12);
  EXPECT_EQ(device_.Get(2, 0), 12);
  EXPECT_EQ(device_.Get(1, 0), 34);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(2, 0), 12}}));
  EXPECT_EQ(Text("MicInputGainPane"), "-4dB");
}

TEST_F(PagesChannelTest, SceneMovesTheCentreOutputBetweenItsPages) {
  device_.Set(11, 0, 40);
  device_.Set(12, 0, 150);
  device_.Set(11, 27 + 2, 100);  // gain of band 1
  device_.Set(12, 27 + 2, 160);
  Click("FormSURTabBtn");  // "中置", the centre output
  Click("DiscoModeBtn");
  EXPECT_EQ(Ctx().selection.output_page, 12);
  EXPECT_EQ(Find<QSlider>("MainMusLevelBar")->value(), 150);
  EXPECT_EQ(Text("MainMusLevelPane"), "150%");
  EXPECT_EQ(Find<QLineEdit>("MainGainEdit1")->text(), "8.0dB");
  EXPECT_EQ(Find<QSlider>("MainEQGainBar1")->value(), 160);

  Click("SingModeBtn");
  EXPECT_EQ(Ctx().selection.output_page, 11);
  EXPECT_EQ(Find<QSlider>("MainMusLevelBar")->value(), 40);
  EXPECT_EQ(Find<QLineEdit>("MainGainEdit1")->text(), "-4.0dB");
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 64), 1}, {MakeAddr(0, 64), 0}}));
  // An edit lands on the sing scene's page.
  link_.writes.clear();
  Find<QSlider>("MainMicLevelBar")->setValue(77);
  EXPECT_EQ(device_.Get(11, 4), 77);
  EXPECT_EQ(device_.Get(12, 4), 0);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(11, 4), 77}}));
}

TEST_F(PagesChannelTest, ResetOnTheReverbSubTabResetsPageFourAndSendsItsCommand) {
  Click("FormEFFTabBtn");
  Click("RvbToolButton");
  ASSERT_EQ(Ctx().channel.view_page, 4);
  EXPECT_TRUE(Find<QWidget>("RvbToolButton")->property("chosen").toBool());
  EXPECT_FALSE(Find<QWidget>("EchoAToolButton")->property("chosen").toBool());
  TypeInto("RvbGainEdit2", "5");
  TypeInto("RvbFreEdit7", "1000");
  const int echo_gain = MakeAddr(3, EqFirstSlot(3) + 5 + kFieldGain);
  device_.Set(echo_gain, 150);
  ASSERT_EQ(device_.Get(4, EqFirstSlot(4) + 5 + kFieldGain), 145);
  link_.writes.clear();

  Click("EQResetBtn");
  for (int b = 0; b < 10; ++b) {
    const int first = EqFirstSlot(4) + 5 * b;
    EXPECT_EQ(device_.Get(4, first + kFieldType), 1) << b;
    EXPECT_EQ(device_.Get(4, first + kFieldFreq), DefaultFrequencyIndex(2, b)) << b;
    EXPECT_EQ(device_.Get(4, first + kFieldGain), 120) << b;
    EXPECT_EQ(device_.Get(4, first + kFieldQ), 16) << b;
    EXPECT_EQ(device_.Get(4, first + kFieldSlope), 16) << b;
  }
  EXPECT_EQ(device_.Get(echo_gain), 150);
  EXPECT_EQ(link_.held, (Writes{{MakeAddr(26, 4), 1}}));
  EXPECT_TRUE(link_.writes.empty());
  EXPECT_EQ(Find<QLineEdit>("RvbGainEdit2")->text(), "0.0dB");
  EXPECT_EQ(Find<QSlider>("RvbEQGainBar2")->value(), 120);
  EXPECT_EQ(Ctx().channel.view_page, 4);
}

TEST_F(PagesChannelTest, AutomaticOutputModeLocksEveryOutputTrackbar) {
  Click("FormMAINTabBtn");
  const auto bars = Find<QWidget>("AdvTabSheet4_Main")->findChildren<ParamTrackBar*>();
  ASSERT_EQ(bars.size(),
            4u + 1 + 1 + 4 + 2 + 10 + 1);  // mixes, delays, limiter, filters, bands, out
  for (auto* bar : bars) ASSERT_TRUE(bar->isEnabled()) << bar->objectName().toStdString();

  Click("AutoModeBtn");
  for (auto* bar : bars) EXPECT_FALSE(bar->isEnabled()) << bar->objectName().toStdString();
  for (const char* name : {"MainMusPhaseBtn", "MainOutphasebtn", "MainLmuteBtn", "MainRmuteBtn",
                           "MainHPTypeBox", "MainPanScrollBar", "EQResetBtn", "SingModeBtn"}) {
    EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
  }
  EXPECT_TRUE(Find<QWidget>("ManulModeBtn")->isEnabled());
  EXPECT_EQ(graph_.colour, QColor(172, 172, 172));
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(0, 63), 0}}));
  // The band edits of the output stay usable; only the trackbars and groups are held.
  EXPECT_TRUE(Find<QWidget>("MainFreEdit1")->isEnabled());

  Click("ManulModeBtn");
  for (auto* bar : bars) EXPECT_TRUE(bar->isEnabled()) << bar->objectName().toStdString();
  EXPECT_TRUE(Find<QWidget>("MainOutphasebtn")->isEnabled());
  EXPECT_EQ(graph_.colour, QColor(255, 102, 0));
}

TEST_F(PagesChannelTest, RightChannelControlsFollowTheStereoOutputs) {
  device_.Set(7, 16, 250);   // main right delay, sing scene
  device_.Set(15, 16, 500);  // surround right delay
  device_.Set(11, 16, 90);   // centre delay
  auto* rbar = Find<ParamTrackBar>("MainRdelayBar");
  auto* rpane = Find<StatusPane>("MainRdelayPane");
  auto* rmute = Find<PictureButton>("MainRmuteBtn");
  auto* lmute = Find<QWidget>("MainLmuteBtn");

  Click("FormMAINTabBtn");
  EXPECT_TRUE(rbar->isVisible());
  EXPECT_TRUE(Find<QWidget>("OutRDelayLabel")->isVisible());
  EXPECT_EQ(rbar->Tag(), MakeAddr(7, 16));
  EXPECT_EQ(rmute->Tag(), MakeAddr(7, 17));
  EXPECT_EQ(rbar->value(), 250);
  EXPECT_EQ(rpane->text(), "25.0ms");
  EXPECT_EQ(lmute->x(), 18);
  EXPECT_EQ(rmute->x(), 98);
  EXPECT_EQ(Find<QAbstractButton>("MainLmuteBtn")->text(), QString::fromUtf8("左静音"));
  EXPECT_EQ(Text("OutLDelayLabel"), QString::fromUtf8("左声道延时"));

  // The centre output has no right channel: the controls hide and keep their addresses.
  Click("FormSURTabBtn");
  EXPECT_FALSE(rbar->isVisible());
  EXPECT_FALSE(rpane->isVisible());
  EXPECT_FALSE(rmute->isVisible());
  EXPECT_FALSE(Find<QWidget>("OutRDelayLabel")->isVisible());
  EXPECT_EQ(rbar->Tag(), MakeAddr(7, 16));
  EXPECT_EQ(rpane->Tag(), MakeAddr(7, 16));
  EXPECT_EQ(rmute->Tag(), MakeAddr(7, 17));
  EXPECT_EQ(rbar->value(), 250);
  EXPECT_EQ(lmute->x(), 58);
  EXPECT_EQ(Find<QSlider>("MainLdelayBar")->value(), 90);
  EXPECT_EQ(Find<QAbstractButton>("MainLmuteBtn")->text(), QString::fromUtf8("中置静音"));
  EXPECT_EQ(Text("OutLDelayLabel"), QString::fromUtf8("中置延时"));
  EXPECT_TRUE(link_.writes.empty());

  // The surround and recording outputs have theirs on views 15 and 19.
  Click("FormCENTabBtn");
  EXPECT_TRUE(rbar->isVisible());
  EXPECT_EQ(rbar->Tag(), MakeAddr(15, 16));
  EXPECT_EQ(rmute->Tag(), MakeAddr(15, 17));
  EXPECT_EQ(rbar->value(), 500);
  rbar->setValue(510);
  EXPECT_EQ(device_.Get(15, 16), 510);
  EXPECT_EQ(device_.Get(7, 16), 250);
  EXPECT_EQ(link_.writes, (Writes{{MakeAddr(15, 16), 510}}));
  Click("FormOut7TabBtn");
  EXPECT_EQ(rpane->Tag(), MakeAddr(19, 16));
  Click("FormOut4TabBtn");  // the subwoofer: no right channel either
  EXPECT_FALSE(rmute->isVisible());
  EXPECT_EQ(rpane->Tag(), MakeAddr(19, 16));
  EXPECT_EQ(Find<QAbstractButton>("MainLmuteBtn")->text(), QString::fromUtf8("超低静音"));

  Window().RzToolButton11Click();
  EXPECT_EQ(Find<QAbstractButton>("MainLmuteBtn")->text(), "SUB Mute");
  EXPECT_EQ(Text("OutLDelayLabel"), "SUB Delay");
}

}  // namespace
}  // namespace kdsp::testing
