// The console's start-up wiring: what the command line gives reaches the window's address
// fields, and --demo points them at the emulated box it starts.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/console_session.h"
#include "ui/main_window.h"

namespace kdsp::app {
namespace {

QString Field(ui::MainWindow& window, const char* name) {
  auto* edit = window.findChild<QLineEdit*>(name);
  return edit ? edit->text() : QString("<no %1>").arg(name);
}

TEST(ConsoleSession, HostAndPortFromTheCommandLineFillTheAddressFields) {
  ConsoleOptions options;
  options.host = "192.168.8.20";
  options.port = "9000";
  ConsoleSession session(options);
  EXPECT_EQ(Field(session.Window(), "IPstrEdit"), "192.168.8.20");
  EXPECT_EQ(Field(session.Window(), "IPPortStrEdit"), "9000");
}

TEST(ConsoleSession, DemoPointsTheAddressAtTheEmulatedBox) {
  ConsoleOptions options;
  options.host = "192.168.8.20";  // the demo box wins over a given address
  options.demo = true;
  ConsoleSession session(options);
  EXPECT_EQ(Field(session.Window(), "IPstrEdit"), "127.0.0.1");
  const int port = Field(session.Window(), "IPPortStrEdit").toInt();
  EXPECT_GT(port, 0);
  EXPECT_NE(port, 8899);  // a free port picked by the system, not the box's usual one
}

TEST(ConsoleSession, PacedLinkSwitchIsKeptAndPacedHoldsForOneRun) {
  QTemporaryDir settings_dir;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_dir.path());
  auto paced_box = [](ConsoleSession& session) {
    return session.Window().findChild<QCheckBox*>("PacedLinkBox");
  };
  {
    ConsoleSession session(ConsoleOptions{});
    session.Show();
    QCheckBox* box = paced_box(session);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_TRUE(box->isChecked());
  }
  {
    ConsoleSession session(ConsoleOptions{});
    ASSERT_NE(paced_box(session), nullptr);
    EXPECT_TRUE(paced_box(session)->isChecked());  // kept from the last run
    QTest::mouseClick(paced_box(session), Qt::LeftButton, {},
                      QPoint(6, paced_box(session)->height() / 2));
    EXPECT_FALSE(paced_box(session)->isChecked());
  }
  ConsoleOptions once;
  once.paced = true;
  {
    ConsoleSession session(once);
    EXPECT_TRUE(paced_box(session)->isChecked());
  }
  ConsoleSession later(ConsoleOptions{});
  EXPECT_FALSE(paced_box(later)->isChecked());  // --paced was not stored
}

}  // namespace
}  // namespace kdsp::app
