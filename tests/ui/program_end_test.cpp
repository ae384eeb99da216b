// Tests that run the application's event loop to its end. Once it has ended, the application
// is not fit for another test, so this binary is never shared: CTest runs each test of it in
// a process of its own.

#include "link_button_fixture.h"

namespace kdsp::testing {
namespace {

// The status popup is a window of its own. Closing the main window while it shows (here during
// a search that finds nobody) still ends the program, stops the search, and the window does
// not come back when a box appears.
TEST_F(LinkButtonTest, ClosingDuringASearchEndsTheProgram) {
  link_->Start();
  ASSERT_TRUE(WaitUntil([this] { return popup_.isVisible(); }, 5000));
  QTimer::singleShot(0, window_.get(), [this] {
    QTest::mouseClick(window_->findChild<QWidget*>("RzBmpButton3"), Qt::LeftButton);
  });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  watchdog.start(3000);
  EXPECT_EQ(QApplication::exec(), 0) << "the program went on after its window closed";
  watchdog.stop();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(popup_.isVisible());
  EXPECT_FALSE(link_->machine().SearchTimerOn());

  ServeTcp();
  QTest::qWait(10 * Fast().search_ms);
  EXPECT_EQ(box().Counters().hellos, 0);
  EXPECT_FALSE(window_->isVisible());
}

}  // namespace
}  // namespace kdsp::testing
