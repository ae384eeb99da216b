// The front-panel password: the lock screen at the first refresh of a connection, the password
// change on the settings panel, and the Bluetooth name.

#include <QLineEdit>
#include <QStackedWidget>

#include "system_test_fixture.h"

namespace kdsp::testing {
namespace {

class LockTest : public SystemTest {
 protected:
  void Type(const char* edit, const QString& keys) {
    auto* e = Find<QLineEdit>(edit);
    e->setFocus();
    QTest::keyClicks(e, keys);
  }
  void Lock() {
    device_.Set(30, 4, 1);
    link_.first_refresh = true;
    Window().Refresh().RefreshPage(100);
  }
};

TEST_F(LockTest, LockScreenOpensOnlyForTheFourDigitsTheBoxReported) {
  QTest::mouseClick(Find<QWidget>("FormMICATabBtn"), Qt::LeftButton);
  Lock();
  auto* lock = Find<QWidget>("FirstCheckGrop");
  auto* edit = Find<QLineEdit>("PanelPassWordEdit");
  ASSERT_TRUE(lock->isVisible());
  EXPECT_EQ(Ctx().channel.current_tab, 0);
  EXPECT_EQ(Find<QStackedWidget>("FormPageItem")->currentIndex(), 0);
  EXPECT_EQ(QApplication::focusWidget(), edit);
  EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
  for (const char* name : {"FormPageItem", "AdvPanel1", "AdvPageControl1"}) {
    EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
  }
  // The lock lies within the main area, clear of the tab strip.
  EXPECT_GE(lock->y(), 33);
  EXPECT_LE(lock->x() + lock->width(), lock->parentWidget()->width());

  // Letters are dropped; four right digits and a fifth do not open it, and say nothing.
  Type("PanelPassWordEdit", "24a68");
  EXPECT_EQ(edit->text(), "2468");
  Type("PanelPassWordEdit", "9");
  Click("RzBmpButton4");
  EXPECT_TRUE(lock->isVisible());
  EXPECT_EQ(edit->text(), "");
  EXPECT_TRUE(dialogs_.shown.empty());
  Type("PanelPassWordEdit", "1357");
  Click("RzBmpButton4");
  EXPECT_TRUE(lock->isVisible());

  Type("PanelPassWordEdit", "2468");
  Click("RzBmpButton4");
  EXPECT_FALSE(lock->isVisible());
  EXPECT_EQ(edit->text(), "");
  for (const char* name : {"FormPageItem", "AdvPanel1", "AdvPageControl1"}) {
    EXPECT_TRUE(Find<QWidget>(name)->isEnabled()) << name;
  }
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, QString::fromUtf8("解锁成功!"));
  EXPECT_EQ(dialogs_.shown[0].caption, "KaraoKe Digital Signal Processor");

  // A later refresh of the same connection does not lock again.
  Window().Refresh().RefreshPage(100);
  EXPECT_FALSE(lock->isVisible());
}

TEST_F(LockTest, APasswordThatIsNotFourDigitsNeverUnlocks) {
  Window().ApplyLanguage(0);
  sys_link_.password = "246";
  Lock();
  Type("PanelPassWordEdit", "246");
  Click("RzBmpButton4");
  EXPECT_TRUE(Find<QWidget>("FirstCheckGrop")->isVisible());
  sys_link_.password = "2468";
  Type("PanelPassWordEdit", "2468");
  QTest::keyClick(Find<QLineEdit>("PanelPassWordEdit"), Qt::Key_Return);  // Enter confirms too
  EXPECT_FALSE(Find<QWidget>("FirstCheckGrop")->isVisible());
  EXPECT_EQ(dialogs_.LastText(), "unlocked Success!");
}

TEST_F(LockTest, PasswordChangeNeedsTheOldPasswordFirst) {
  auto* old_password = Find<QLineEdit>("PassPanelLabel1");
  auto* new_password = Find<QLineEdit>("NewPassLabel1");
  EXPECT_FALSE(new_password->isEnabled());
  EXPECT_EQ(old_password->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(new_password->echoMode(), QLineEdit::Password);

  Type("PassPanelLabel1", "1111");
  Click("RzBmpButton22");
  EXPECT_FALSE(new_password->isEnabled());
  EXPECT_EQ(old_password->text(), "1111");  // a wrong one changes nothing
  old_password->clear();
  Type("PassPanelLabel1", "2468x5");  // at most four digits
  EXPECT_EQ(old_password->text(), "2468");
  Click("RzBmpButton22");
  EXPECT_TRUE(new_password->isEnabled());
  EXPECT_EQ(old_password->text(), "");

  Type("NewPassLabel1", "97");
  Click("RzBmpButton23");
  EXPECT_TRUE(sys_link_.calls.empty());
  EXPECT_TRUE(new_password->isEnabled());
  Type("NewPassLabel1", "53");
  Click("RzBmpButton23");
  EXPECT_EQ(sys_link_.calls, std::vector<std::string>{"password 9753"});
  EXPECT_EQ(sys_link_.password, "9753");
  EXPECT_FALSE(new_password->isEnabled());
  EXPECT_EQ(new_password->text(), "");
  EXPECT_TRUE(dialogs_.shown.empty());  // no message confirms it
  // The lock now wants the new password.
  Lock();
  Type("PanelPassWordEdit", "2468");
  Click("RzBmpButton4");
  EXPECT_TRUE(Find<QWidget>("FirstCheckGrop")->isVisible());
  Type("PanelPassWordEdit", "9753");
  Click("RzBmpButton4");
  EXPECT_FALSE(Find<QWidget>("FirstCheckGrop")->isVisible());
}

TEST_F(LockTest, BluetoothNameIsSentAfterTheQuestion) {
  auto* name = Find<QLineEdit>("BlueNameEdit");
  name->setText("Karaoke Room 7");
  dialogs_.answers = {false};
  Click("RzBmpButton5");
  ASSERT_EQ(dialogs_.Questions(), 1);
  EXPECT_EQ(dialogs_.shown[0].caption, "Confirm");
  EXPECT_EQ(dialogs_.shown[0].text, QString::fromUtf8("蓝牙名称更改?"));
  EXPECT_TRUE(sys_link_.calls.empty());
  Window().ApplyLanguage(0);
  Click("RzBmpButton5");
  EXPECT_EQ(dialogs_.shown.back().text, "Bluetooth Name Modify?");
  name->clear();
  Click("RzBmpButton5");  // an empty name goes out too
  EXPECT_EQ(sys_link_.calls, (std::vector<std::string>{"bluetooth Karaoke Room 7", "bluetooth "}));
  // At most twenty bytes.
  name->setText(QString::fromUtf8("蓝牙蓝牙蓝牙蓝牙"));  // 24 bytes of UTF-8
  EXPECT_LE(name->text().toUtf8().size(), 20);
  EXPECT_EQ(name->text(), QString::fromUtf8("蓝牙蓝牙蓝牙"));
}

}  // namespace
}  // namespace kdsp::testing
