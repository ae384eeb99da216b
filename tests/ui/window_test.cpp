// The shell: the two languages, the locale at start-up, shortcuts, tabs, window commands and
// the volume bars the shortcuts drive.

#include <map>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>

#include "edit/bound_widgets.h"
#include "ui/language.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

/// Every caption of the window by control: labels, buttons, group titles, tab captions.
std::map<QString, QString> Captions(QWidget& root) {
  std::map<QString, QString> out;
  int unnamed = 0;
  auto key = [&unnamed](QObject* o) {
    return o->objectName().isEmpty() ? QString("#%1").arg(unnamed++) : o->objectName();
  };
  for (QWidget* w : root.findChildren<QWidget*>()) {
    if (auto* l = qobject_cast<QLabel*>(w)) out[key(w)] = l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) out[key(w)] = b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) out[key(w)] = g->title();
    if (auto* t = qobject_cast<QTabWidget*>(w)) {
      for (int i = 0; i < t->count(); ++i) out[key(w) + QString::number(i)] = t->tabText(i);
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
      for (int i = 0; i < c->count(); ++i) out[key(w) + QString::number(i)] = c->itemText(i);
    }
  }
  return out;
}

class ShellTest : public WindowTest {
 protected:
  /// A key as the user types it: to the focused control, or to the window.
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : &Window(), key, modifiers);
  }
};

TEST_F(ShellTest, LanguageSwitchedTwiceRestoresEveryCaption) {
  const auto before = Captions(Window());
  ASSERT_GT(before.size(), 150u);
  auto* language = Find<QAbstractButton>("RzToolButton11");
  EXPECT_EQ(language->text(), "English");

  language->click();
  EXPECT_EQ(Window().UiLanguage(), 0);
  EXPECT_EQ(language->text(), "Chinese");
  EXPECT_EQ(Find<QAbstractButton>("FormMusTabBtn")->text(), "Music");
  EXPECT_EQ(Find<QAbstractButton>("FormCENTabBtn")->text(), "SUR");
  EXPECT_EQ(Find<QAbstractButton>("SameBtn")->text(), "SYNC");
  EXPECT_EQ(Find<QAbstractButton>("EQResetBtn")->text(), "EQ Reset");
  EXPECT_EQ(Find<QAbstractButton>("ManulModeBtn")->text(), "Manual");
  EXPECT_EQ(Find<QAbstractButton>("PinDCFBtn")->text(), "Normal");
  EXPECT_EQ(Find<QAbstractButton>("LinkBtn")->text(), "link");
  EXPECT_EQ(Find<QLabel>("InputLabel")->text(), "RCA1 Vol");
  EXPECT_EQ(Find<QComboBox>("SysInputBox")->itemText(0), "AUTO");
  EXPECT_EQ(Find<QComboBox>("SysInputBox")->currentIndex(), 1);
  EXPECT_EQ(Find<QTabWidget>("AdvPageControl1")->tabText(0), "Main Setting");
  EXPECT_EQ(Find<QTabWidget>("AdvPageControl1")->tabText(1), "System setting");
  EXPECT_EQ(Find<QGroupBox>("MusInputGroup")->title(), "Input");
  EXPECT_EQ(Find<QGroupBox>("IPGroup")->title(), "IP Address/Port:");
  // Band numbers, type letters and values stay as they were.
  const auto english = Captions(Window());
  for (const char* name : {"MusEQPointLabel3", "MusHSQBtn3", "MusBYBtn1", "MusPitchPane"}) {
    EXPECT_EQ(english.at(name), before.at(name)) << name;
  }
  int changed = 0;
  for (const auto& [name, text] : before) changed += english.at(name) != text;
  EXPECT_GT(changed, 40);

  language->click();
  EXPECT_EQ(Window().UiLanguage(), 1);
  EXPECT_EQ(Captions(Window()), before);

  // Asking for the current language changes nothing.
  Window().ApplyLanguage(1);
  EXPECT_EQ(Captions(Window()), before);
}

TEST_F(ShellTest, LinkButtonKeepsItsMeaningAcrossLanguages) {
  Window().SetLinkLook(true);
  EXPECT_EQ(Find<QAbstractButton>("LinkBtn")->text(), QString::fromUtf8("断开"));
  Window().ApplyLanguage(0);
  EXPECT_EQ(Find<QAbstractButton>("LinkBtn")->text(), "Unlink");
  Window().SetLinkLook(false);
  EXPECT_EQ(Find<QAbstractButton>("LinkBtn")->text(), "link");
  Window().ApplyLanguage(1);
  EXPECT_EQ(Find<QAbstractButton>("LinkBtn")->text(), QString::fromUtf8("联机"));
}

TEST(LocaleTest, ChineseOnlyForTheChineseLocalesOfChinaAndTaiwan) {
  EXPECT_EQ(ui::UiLanguageForLocale(QLocale("zh_CN")), 1);
  EXPECT_EQ(ui::UiLanguageForLocale(QLocale("zh_TW")), 1);
  EXPECT_EQ(ui::UiLanguageForLocale(QLocale("en_US")), 0);
  EXPECT_EQ(ui::UiLanguageForLocale(QLocale("zh_HK")), 0);
  EXPECT_EQ(ui::UiLanguageForLocale(QLocale("de_DE")), 0);

  // The start-up sequence: window first, then the language of the locale.
  for (const auto& [locale, tab_text] :
       {std::pair<const char*, QString>{"zh_CN", QString::fromUtf8("音乐")},
        std::pair<const char*, QString>{"en_US", QStringLiteral("Music")}}) {
    ValueTable device, view;
    ui::MainWindow window(device, view);
    window.ApplyLanguage(ui::UiLanguageForLocale(QLocale(locale)));
    window.show();
    EXPECT_EQ(window.findChild<QAbstractButton*>("FormMusTabBtn")->text(), tab_text) << locale;
    EXPECT_EQ(window.findChild<QLabel*>("InputLabel")->text(),
              QString(locale) == "zh_CN" ? QString::fromUtf8("模拟1音量") : "RCA1 Vol");
  }
}

TEST_F(ShellTest, ShortcutsStepTheVolumesOnlyOnTheFirstSettingsSheet) {
  auto* music = Find<QSlider>("SysMusNormalVolBar");
  auto* mic = Find<QSlider>("SysMicNormalVolBar");
  auto* effect = Find<QSlider>("SysEffNormalVolBar");
  auto* settings = Find<QTabWidget>("AdvPageControl1");
  ASSERT_EQ(settings->currentIndex(), 0);
  Find<QSlider>("SysMusMaxVolBar")->setValue(84);
  Find<QSlider>("SysMicMaxVolBar")->setValue(84);
  Find<QSlider>("SysEffMaxVolBar")->setValue(84);
  link_.writes.clear();

  Press(Qt::Key_Q);
  Press(Qt::Key_Q, Qt::ShiftModifier);
  Press(Qt::Key_W);
  Press(Qt::Key_E);
  Press(Qt::Key_E);
  Press(Qt::Key_D);
  EXPECT_EQ(music->value(), 2);
  EXPECT_EQ(mic->value(), 1);
  EXPECT_EQ(effect->value(), 1);
  EXPECT_EQ(Find<QLabel>("SysMusNormalVolPane")->text(), "2");
  EXPECT_EQ(device_.Get(25, 1), 2);
  EXPECT_EQ(link_.writes.back(), (std::pair<int, int>{MakeAddr(25, 2), 1}));
  Press(Qt::Key_P);
  EXPECT_TRUE(Window().SpectrumFrozen());

  // The focused edit still gets the key (and drops the letter); the volume still moves.
  auto* gain = Find<ParamEdit>("MusGainEdit1");
  gain->setFocus();
  QTest::keyClick(gain, Qt::Key_A);
  EXPECT_EQ(music->value(), 1);
  EXPECT_EQ(gain->text(), "0.0dB");

  settings->setCurrentIndex(1);
  EXPECT_FALSE(Window().ShortcutsActive());
  Press(Qt::Key_Q);
  Press(Qt::Key_W);
  Press(Qt::Key_P);
  EXPECT_EQ(music->value(), 1);
  EXPECT_EQ(mic->value(), 1);
  EXPECT_TRUE(Window().SpectrumFrozen());
  settings->setCurrentIndex(0);
  Press(Qt::Key_Q);
  EXPECT_EQ(music->value(), 2);
}

TEST_F(ShellTest, NormalVolumeRisesOneStepPerChangeAndStaysUnderTheMaximum) {
  auto* normal = Find<QSlider>("SysMusNormalVolBar");
  auto* maximum = Find<QSlider>("SysMusMaxVolBar");
  maximum->setValue(50);
  for (int i = 0; i < 10; ++i) Press(Qt::Key_Q);
  ASSERT_EQ(normal->value(), 10);
  // A drag far up gives one step.
  normal->setValue(30);
  EXPECT_EQ(normal->value(), 11);
  for (int i = 0; i < 19; ++i) Press(Qt::Key_Q);
  EXPECT_EQ(normal->value(), 30);
  // Lowering the maximum takes the normal volume down with it, and both are written.
  link_.writes.clear();
  maximum->setValue(20);
  EXPECT_EQ(normal->value(), 20);
  EXPECT_EQ(device_.Get(25, 1), 20);
  EXPECT_EQ(device_.Get(25, 4), 20);
  for (int i = 0; i < 5; ++i) Press(Qt::Key_Q);
  EXPECT_EQ(normal->value(), 20);
  // It falls freely.
  normal->setValue(3);
  EXPECT_EQ(normal->value(), 3);
  // Values from the box are shown as they are.
  device_.Set(25, 1, 60);
  device_.Set(25, 4, 50);
  Window().Refresh().RefreshPage(100);
  EXPECT_EQ(normal->value(), 60);
  EXPECT_EQ(Find<QLabel>("SysMusNormalVolPane")->text(), "60");
}

TEST_F(ShellTest, TabsChooseThePageAndTheLook) {
  auto* pages = Find<QStackedWidget>("FormPageItem");
  auto* music = Find<QAbstractButton>("FormMusTabBtn");
  auto* mic1 = Find<QAbstractButton>("FormMICATabBtn");
  EXPECT_EQ(pages->currentIndex(), 0);
  EXPECT_TRUE(music->property("chosen").toBool());
  EXPECT_FALSE(Find<QWidget>("FormOut2TabBtn")->isVisible());
  EXPECT_FALSE(Find<QWidget>("FormHintTabBtn")->isVisible());

  QTest::mouseClick(mic1, Qt::LeftButton);
  EXPECT_EQ(pages->currentIndex(), 1);
  EXPECT_EQ(Ctx().channel.view_page, 1);
  EXPECT_TRUE(mic1->property("chosen").toBool());
  EXPECT_FALSE(music->property("chosen").toBool());
  EXPECT_TRUE(Find<QWidget>("CopyGrop")->isVisible());
  EXPECT_EQ(Find<QAbstractButton>("LeftBtn")->text(), QString::fromUtf8("麦克1"));
  EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("Examplexx"));

  QTest::mouseClick(Find<QWidget>("FormMICBTabBtn"), Qt::LeftButton);
  EXPECT_EQ(Ctx().selection.mic_page, 2);
  QTest::mouseClick(Find<QWidget>("FormOut4TabBtn"), Qt::LeftButton);
  EXPECT_EQ(Ctx().selection.output_page, 9);
  EXPECT_EQ(pages->currentIndex(), 3);
  EXPECT_TRUE(Find<QWidget>("SingleDiscoGrop")->isVisible());
  EXPECT_FALSE(Find<QWidget>("CopyGrop")->isVisible());

  // Switching language rebuilds the channel texts in the new language.
  QTest::mouseClick(mic1, Qt::LeftButton);
  Find<QAbstractButton>("RzToolButton11")->click();
  EXPECT_EQ(Find<QAbstractButton>("LeftBtn")->text(), "MIC 1");
  EXPECT_EQ(Find<QAbstractButton>("RightBtn")->text(), "MIC 2");
  QTest::mouseClick(music, Qt::LeftButton);
  EXPECT_EQ(pages->currentIndex(), 0);
  EXPECT_EQ(Find<QAbstractButton>("LeftBtn")->text(), "Left");
  EXPECT_TRUE(link_.writes.empty());
}

TEST_F(ShellTest, MaximiseKeepsToTheWorkAreaAndRestores) {
  const QRect normal = Window().geometry();
  EXPECT_EQ(Find<QWidget>("ClientArea")->size(), QSize(1205, 609));
  Window().ToggleMaximised();
  EXPECT_TRUE(Window().IsMaximisedToWorkArea());
  EXPECT_EQ(Window().geometry(), Window().screen()->availableGeometry());
  Window().ToggleMaximised();
  EXPECT_FALSE(Window().IsMaximisedToWorkArea());
  EXPECT_EQ(Window().geometry(), normal);
  // The page area and the graph grow with the window.
  Window().resize(1400, 800);
  EXPECT_EQ(Find<QWidget>("FormPageItem")->width(), 1400 - 2 - 260);
  EXPECT_EQ(Find<QWidget>("AdvPanel1")->height(), 800 - 2 - 25 - 259 - 3);
  EXPECT_EQ(Find<QWidget>("Image1")->size(), Find<QWidget>("AdvPanel2")->size());
}

TEST_F(ShellTest, CloseSaysFarewellOnlyWhenOnline) {
  int farewells = 0;
  Window().SetFarewell([&farewells] { ++farewells; });
  link_.online = false;
  Window().close();
  EXPECT_EQ(farewells, 0);
  Window().show();
  link_.online = true;
  QTest::mouseClick(Find<QWidget>("RzBmpButton3"), Qt::LeftButton);
  EXPECT_EQ(farewells, 1);
  EXPECT_FALSE(Window().isVisible());
}

}  // namespace
}  // namespace kdsp::testing
