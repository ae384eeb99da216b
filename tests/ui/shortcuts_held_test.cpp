// The single-key volume shortcuts are held back while the user types text or the lock screen is
// up: a password, a name or an address never changes the volumes in the box.

#include <set>

#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>

#include "system_test_fixture.h"

namespace kdsp::testing {
namespace {

class ShortcutsHeldTest : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    for (const char* max : {"SysMusMaxVolBar", "SysMicMaxVolBar", "SysEffMaxVolBar"}) {
      Find<QSlider>(max)->setValue(84);
    }
    for (const char* bar : {"SysMusNormalVolBar", "SysMicNormalVolBar", "SysEffNormalVolBar"}) {
      Find<QSlider>(bar)->setValue(10);
    }
    link_.writes.clear();
  }
  /// The three normal volumes as shown.
  std::vector<int> Volumes() {
    std::vector<int> out;
    for (const char* bar : {"SysMusNormalVolBar", "SysMicNormalVolBar", "SysEffNormalVolBar"}) {
      out.push_back(Find<QSlider>(bar)->value());
    }
    return out;
  }
  /// Gives `edit` the focus and types every shortcut letter into it.
  void TypeLetters(QLineEdit* edit) {
    edit->setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), edit) << edit->objectName().toStdString();
    QTest::keyClicks(edit, "qwepasdQWE");
  }
  void PressOnFocus(Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : &Window(), key);
  }
  /// Every free-text edit that can take the focus on the sheets open now.
  std::vector<QLineEdit*> FreeTextEdits() {
    std::vector<QLineEdit*> out;
    for (QLineEdit* e : Window().findChildren<QLineEdit*>()) {
      if (qobject_cast<ParamEdit*>(e) != nullptr || e->objectName() == "Examplexx") continue;
      if (e->isVisible() && e->isEnabled()) out.push_back(e);
    }
    return out;
  }
};

TEST_F(ShortcutsHeldTest, TypingTextInAnyFreeTextEditLeavesTheVolumesAlone) {
  ASSERT_TRUE(Window().ShortcutsActive());
  const std::vector<int> before = Volumes();
  Find<QWidget>("SysLogoEdit")->show();  // the service access code, once revealed
  std::set<QString> typed_into;
  for (int tab : {0, 11, 12}) {
    Window().Channels().FormMusTabBtnClick(tab);
    for (QLineEdit* edit : FreeTextEdits()) {
      SCOPED_TRACE(edit->objectName().toStdString());
      TypeLetters(edit);
      EXPECT_EQ(Volumes(), before);
      EXPECT_FALSE(Window().SpectrumFrozen());
      typed_into.insert(edit->objectName());
    }
  }
  for (const char* name :
       {"IPstrEdit", "IPPortStrEdit", "PassPanelLabel1", "BlueNameEdit", "SysLogoEdit"}) {
    EXPECT_EQ(typed_into.count(name), 1u) << name;
  }
  EXPECT_TRUE(link_.writes.empty());

  // Away from the text, the shortcuts act again: on the focus sink and in a value edit.
  Window().Channels().FormMusTabBtnClick(0);
  PressOnFocus(Qt::Key_Q);
  EXPECT_EQ(Volumes()[0], before[0] + 1);
  Find<ParamEdit>("MusGainEdit1")->setFocus(Qt::MouseFocusReason);
  PressOnFocus(Qt::Key_W);
  EXPECT_EQ(Volumes()[1], before[1] + 1);
}

TEST_F(ShortcutsHeldTest, TheLockScreenHoldsEveryShortcut) {
  const std::vector<int> before = Volumes();
  device_.Set(30, 4, 1);
  link_.first_refresh = true;
  Window().Refresh().RefreshPage(100);
  auto* lock = Find<QWidget>("FirstCheckGrop");
  ASSERT_TRUE(lock->isVisible());
  auto* password = Find<QLineEdit>("PanelPassWordEdit");
  ASSERT_EQ(QApplication::focusWidget(), password);
  link_.writes.clear();

  QTest::keyClicks(password, "q2w4e6a");
  EXPECT_EQ(Volumes(), before);
  // Nor with the focus elsewhere while the lock is up.
  Find<QWidget>("Examplexx")->setFocus(Qt::OtherFocusReason);
  for (Qt::Key key : {Qt::Key_Q, Qt::Key_W, Qt::Key_E, Qt::Key_D, Qt::Key_P}) PressOnFocus(key);
  EXPECT_EQ(Volumes(), before);
  EXPECT_FALSE(Window().SpectrumFrozen());
  EXPECT_TRUE(link_.writes.empty());

  // Unlocked, the keys work again.
  password->clear();
  QTest::keyClicks(password, "2468");
  QTest::keyClick(password, Qt::Key_Return);
  ASSERT_FALSE(lock->isVisible());
  Find<QWidget>("Examplexx")->setFocus(Qt::OtherFocusReason);
  PressOnFocus(Qt::Key_E);
  EXPECT_EQ(Volumes()[2], before[2] + 1);
}

}  // namespace
}  // namespace kdsp::testing
