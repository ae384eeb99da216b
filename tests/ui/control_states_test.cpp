// Whether a control can be used, and whether it looks so: the equaliser reset after the lock
// screen, disabled picture buttons, and scroll trackbars of strips with nothing to scroll.

#include <functional>
#include <map>

#include <QDir>
#include <QLineEdit>
#include <QSlider>

#include "eq/equaliser_graph.h"
#include "system_test_fixture.h"

namespace kdsp::testing {
namespace {

using Held = std::vector<std::pair<int, int>>;

/// Pixels of a picture close to the console's orange (RGB 243,152,0), which marks what can be
/// clicked.
int OrangePixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      n += std::abs(c.red() - 243) < 16 && std::abs(c.green() - 152) < 24 && c.blue() < 48;
    }
  }
  return n;
}

class ControlStatesTest : public SystemTest {
 protected:
  void ClickOn(const char* name) { QTest::mouseClick(Find<QWidget>(name), Qt::LeftButton); }
  QImage Picture(const char* name) { return Find<QWidget>(name)->grab().toImage(); }
};

TEST_F(ControlStatesTest, EqResetWorksAgainOnceTheLockIsLifted) {
  device_.Set(30, 4, 1);
  link_.first_refresh = true;
  Window().Refresh().RefreshPage(100);
  ASSERT_TRUE(Find<QWidget>("FirstCheckGrop")->isVisible());
  // While locked the music tab still answers, and its refresh runs the reset-button rule.
  ClickOn("FormMusTabBtn");
  EXPECT_FALSE(Find<QWidget>("EQResetBtn")->isEnabled());

  auto* password = Find<QLineEdit>("PanelPassWordEdit");
  QTest::keyClicks(password, "2468");
  QTest::keyClick(password, Qt::Key_Return);
  ASSERT_FALSE(Find<QWidget>("FirstCheckGrop")->isVisible());
  ASSERT_TRUE(Find<QWidget>("EQPassGrop")->isEnabled());
  EXPECT_TRUE(Find<QWidget>("EQResetBtn")->isEnabled());
  ClickOn("EQResetBtn");
  EXPECT_EQ(link_.held, (Held{{MakeAddr(26, 0), 1}}));

  // The rule itself still holds: bypass disables the reset, automatic mode the whole group.
  ClickOn("MusEQAllpassBtn");
  EXPECT_FALSE(Find<QWidget>("EQResetBtn")->isEnabled());
  ClickOn("MusEQAllpassBtn");
  EXPECT_TRUE(Find<QWidget>("EQResetBtn")->isEnabled());
  ClickOn("FormMAINTabBtn");
  ClickOn("AutoModeBtn");
  EXPECT_FALSE(Find<QWidget>("EQResetBtn")->isEnabled());
}

TEST_F(ControlStatesTest, DisabledPictureButtonsLookDisabled) {
  // Enabled, the released buttons carry the orange.
  const QImage reset_enabled = Picture("EQResetBtn");
  EXPECT_GT(OrangePixels(reset_enabled), 20);
  ClickOn("MusEQAllpassBtn");  // bypass: the reset cannot be used
  ASSERT_FALSE(Find<QWidget>("EQResetBtn")->isEnabled());
  const QImage reset_disabled = Picture("EQResetBtn");
  EXPECT_NE(reset_disabled, reset_enabled);
  EXPECT_EQ(OrangePixels(reset_disabled), 0);
  reset_disabled.save(QDir::temp().filePath("kdsp_eqreset_disabled.png"));

  ClickOn("FormMAINTabBtn");
  const QImage disco_enabled = Picture("DiscoModeBtn");
  const QImage sing_enabled = Picture("SingModeBtn");
  EXPECT_GT(OrangePixels(disco_enabled), 20);
  ClickOn("AutoModeBtn");
  for (const char* name : {"DiscoModeBtn", "SingModeBtn", "AutoModeBtn"}) {
    SCOPED_TRACE(name);
    ASSERT_FALSE(Find<QWidget>(name)->isEnabled());
    EXPECT_EQ(OrangePixels(Picture(name)), 0);
  }
  // The chosen scene still stands out from the other one while disabled.
  EXPECT_NE(Picture("SingModeBtn"), Picture("DiscoModeBtn"));
  EXPECT_NE(Picture("SingModeBtn"), sing_enabled);
  Window().grab().save(QDir::temp().filePath("kdsp_auto_mode.png"));
  ClickOn("ManulModeBtn");
  EXPECT_EQ(Picture("DiscoModeBtn"), disco_enabled);
}

TEST_F(ControlStatesTest, SelectorsTypeLabelsAndMarkersLookDisabledWhereTheyCannotBeUsed) {
  Window().SetGraph(&Window().Graph());  // the window's own graph places the markers
  struct Case {
    const char* what;
    std::function<void()> enable;
    std::function<void()> disable;
    bool labels_too;  // the band type labels are among what is disabled
  };
  const Case cases[] = {
      {"automatic output",
       [this] {
         ClickOn("FormMAINTabBtn");
         ClickOn("ManulModeBtn");
       },
       [this] { ClickOn("AutoModeBtn"); }, false},
      {"lock screen", [this] { ClickOn("FormMusTabBtn"); },
       [this] {
         device_.Set(30, 4, 1);
         link_.first_refresh = true;
         Window().Refresh().RefreshPage(100);
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.enable();
    std::map<QWidget*, QImage> enabled;
    for (QWidget* w : Window().findChildren<QWidget*>()) {
      const bool looked_at =
          qobject_cast<ParamSelector*>(w) != nullptr || qobject_cast<TypeLabel*>(w) != nullptr;
      if (looked_at && w->isVisible() && w->isEnabled()) enabled[w] = w->grab().toImage();
    }
    QWidget* marker = Find<QWidget>("EP1");
    ASSERT_TRUE(marker->isVisible());
    EXPECT_GT(OrangePixels(marker->grab().toImage()), 20);
    c.disable();
    int selectors = 0, labels = 0;
    for (const auto& [w, picture] : enabled) {
      if (w->isEnabled()) continue;
      SCOPED_TRACE(w->objectName().toStdString());
      EXPECT_NE(w->grab().toImage(), picture);
      selectors += qobject_cast<ParamSelector*>(w) != nullptr;
      labels += qobject_cast<TypeLabel*>(w) != nullptr;
    }
    EXPECT_GT(selectors, 0);
    EXPECT_EQ(labels > 0, c.labels_too);
    EXPECT_EQ(OrangePixels(marker->grab().toImage()), 0);
  }
}

TEST_F(ControlStatesTest, StripsWithNothingToScrollShowNoScrollTrackbar) {
  struct Strip {
    int tab;
    const char* scroll;
    bool scrolls;
  };
  const Strip kStrips[] = {{0, "MusPanScrollBar", true},   {2, "MicPanScrollBar", true},
                           {5, "MainPanScrollBar", true},  {11, "AUXPanScrollBar", false},
                           {12, "AUXPanScrollBar", false}, {9, "HintPanScrollBar", false}};
  for (const Strip& s : kStrips) {
    SCOPED_TRACE(s.scroll);
    Window().Channels().FormMusTabBtnClick(s.tab);
    auto* bar = Find<QSlider>(s.scroll);
    EXPECT_EQ(bar->maximum() > 0, s.scrolls);
    // A scroll trackbar is shown exactly when it can move the strip.
    EXPECT_EQ(bar->isVisible() && bar->isEnabled(), s.scrolls);
  }
  for (int sub = 0; sub <= 3; ++sub) {
    Window().Channels().HintMusBtnClick(sub);
    EXPECT_FALSE(Find<QSlider>("HintPanScrollBar")->isVisible()) << sub;
  }
}

}  // namespace
}  // namespace kdsp::testing
