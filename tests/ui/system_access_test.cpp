// The hidden service access and the two sheets it reveals: the hidden equaliser page with its
// sub-buttons and band frames, and the auxiliary page with its two inner sheets.

#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>

#include "system_test_fixture.h"

namespace kdsp::testing {
namespace {

class AccessTest : public SystemTest {
 protected:
  void Enter(const QString& code) {
    auto* edit = Find<QLineEdit>("SysLogoEdit");
    edit->setText(code);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  void OpenAccess() { QTest::mouseDClick(Find<QWidget>("LinkLabel"), Qt::LeftButton); }
  int PageIndex() { return Find<QStackedWidget>("FormPageItem")->currentIndex(); }
  /// No two visible tab buttons overlap, and none runs into the link text.
  void ExpectTabsApart() {
    const auto& tabs = Ctx().registry.ChannelTabs();
    const int link_left = Find<QWidget>("LinkLabel")->x();
    QRect previous;
    for (QAbstractButton* tab : tabs) {
      if (tab == nullptr || tab->isHidden()) continue;
      EXPECT_FALSE(tab->geometry().intersects(previous)) << tab->objectName().toStdString();
      EXPECT_LE(tab->geometry().right(), link_left) << tab->objectName().toStdString();
      previous = tab->geometry();
    }
  }
};

TEST_F(AccessTest, AccessCodesRevealTheHiddenPages) {
  auto* hint_tab = Find<QWidget>("FormHintTabBtn");
  auto* aux_tab = Find<QWidget>("HintAuxBtn");
  auto* logo_label = Find<QWidget>("SysLogoLabel");
  auto* logo_edit = Find<QLineEdit>("SysLogoEdit");
  EXPECT_FALSE(logo_edit->isVisible());

  OpenAccess();
  EXPECT_TRUE(logo_label->isVisible());
  EXPECT_TRUE(logo_edit->isVisible());
  EXPECT_TRUE(logo_edit->text().isEmpty());

  // The music code: only the music equaliser of the hidden page, two bands.
  Enter("SUPPORT5712");
  EXPECT_TRUE(hint_tab->isVisible());
  EXPECT_FALSE(logo_edit->isVisible());
  EXPECT_FALSE(logo_label->isVisible());
  EXPECT_EQ(Ctx().channel.current_tab, 9);
  EXPECT_EQ(PageIndex(), 4);
  EXPECT_EQ(Ctx().channel.view_page, 22);
  EXPECT_EQ(Ctx().selection.hint_page, 22);
  EXPECT_TRUE(Find<QWidget>("HintMusBtn")->isVisible());
  for (const char* name : {"HintMicABtn", "HintMicBBtn", "HintSysBtn", "HintModePage",
                           "HintEQGroupBox3", "HintEQGroupBox4", "HintEQGroupBox5"}) {
    EXPECT_FALSE(Find<QWidget>(name)->isVisible()) << name;
  }
  EXPECT_TRUE(Find<QWidget>("HintFreEdit2")->isVisible());
  ExpectTabsApart();

  // The full code: every hidden equaliser and the mode group.
  OpenAccess();
  EXPECT_FALSE(hint_tab->isVisible());  // the access edit hides it again
  Enter("support2866");
  EXPECT_TRUE(hint_tab->isVisible());
  for (const char* name : {"HintMicABtn", "HintMicBBtn", "HintSysBtn"}) {
    EXPECT_TRUE(Find<QWidget>(name)->isVisible()) << name;
  }
  QTest::mouseClick(Find<QWidget>("HintMicABtn"), Qt::LeftButton);
  EXPECT_EQ(Ctx().selection.hint_page, 23);
  EXPECT_TRUE(Find<QWidget>("HintEQGroupBox5")->isVisible());
  QTest::mouseClick(Find<QWidget>("HintSysBtn"), Qt::LeftButton);
  EXPECT_TRUE(Find<QWidget>("HintModePage")->isVisible());
  EXPECT_TRUE(Find<QWidget>("ValueListEditor2")->isVisible());
  // The music code again leads back to the music equaliser alone.
  OpenAccess();
  Enter("SUPPORT5712");
  EXPECT_EQ(Ctx().selection.hint_page, 22);
  EXPECT_FALSE(Find<QWidget>("HintModePage")->isVisible());
  EXPECT_FALSE(Find<QWidget>("HintEQGroupBox3")->isVisible());

  // The auxiliary code: the start volume sheet; the access edit stays.
  OpenAccess();
  Enter("531975");
  EXPECT_EQ(Ctx().channel.current_tab, 12);
  EXPECT_EQ(PageIndex(), 6);
  EXPECT_EQ(Find<QTabWidget>("AuxPageCtrol")->currentIndex(), 0);
  EXPECT_TRUE(aux_tab->isVisible());
  EXPECT_TRUE(logo_edit->isVisible());
  EXPECT_TRUE(Find<QWidget>("SysMusStartVolBar")->isVisible());
  EXPECT_TRUE(Find<QWidget>("AUXMUSGainEdit1")->isVisible());
  ExpectTabsApart();

  // Anything else hides the hidden equaliser's tab; codes are case-sensitive.
  Enter("support5712");
  EXPECT_FALSE(hint_tab->isVisible());
  EXPECT_TRUE(aux_tab->isVisible());
  ExpectTabsApart();
}

TEST_F(AccessTest, AuxiliarySheetsFollowTheirTabButtonsAndBindTheVisibleGainEdits) {
  QTest::mouseClick(Find<QWidget>("FormAUXTabBtn"), Qt::LeftButton);
  auto* inner = Find<QTabWidget>("AuxPageCtrol");
  EXPECT_EQ(PageIndex(), 6);
  EXPECT_EQ(inner->currentIndex(), 1);
  EXPECT_EQ(inner->tabText(1), QString::fromUtf8("用户均衡限制"));
  EXPECT_TRUE(Find<QWidget>("AUXMUSBassMaxAddEdit")->isVisible());
  EXPECT_TRUE(Find<QWidget>("AUXGainBox")->isVisible());
  // The limit sheet edits the band gains through its own edits.
  EXPECT_EQ(Ctx().registry.Primary(MakeAddr(21, 3)), Find<QWidget>("AUXMUS2GainEdit1"));
  device_.Set(21, 3, 150);
  device_.Set(21, 31, 170);
  Window().Refresh().RefreshPage(21);
  EXPECT_EQ(Find<QLineEdit>("AUXMUS2GainEdit1")->text(), "6.0dB");
  EXPECT_EQ(Find<QLineEdit>("AUXMUSBassMaxAddEdit")->text(), "10.0dB");
  // The inner tabs take no clicks: the sheet stays with its tab button.
  QTest::mouseClick(inner->tabBar(), Qt::LeftButton, Qt::NoModifier,
                    inner->tabBar()->tabRect(0).center());
  EXPECT_EQ(inner->currentIndex(), 1);

  // Routing and the gain step are plain selectors.
  auto* routing = Find<QComboBox>("SysCenRoutingBox");
  ASSERT_EQ(routing->count(), 3);
  EXPECT_EQ(routing->itemText(2), "Right");
  device_.Set(30, 24, 2);
  Window().Refresh().RefreshPage(30);
  EXPECT_EQ(Find<QComboBox>("SysSubRoutingBox")->currentIndex(), 2);
  // The microphone effect volumes show the device values of both microphones.
  device_.Set(1, 115, 33);
  device_.Set(2, 115, 71);
  Window().Refresh().RefreshPage(21);
  EXPECT_EQ(Find<QLineEdit>("MICAEffectEdit")->text(), "33");
  EXPECT_EQ(Find<QLineEdit>("MICBEffectEdit")->text(), "71");
  EXPECT_TRUE(link_.writes.empty());
}

}  // namespace
}  // namespace kdsp::testing
