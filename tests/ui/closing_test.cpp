// A close request ends the console in every state: with a message or a question open, while
// linking and while downloading; the box is let go whenever a connection is open. Each case
// ends the application, so each runs in a process of its own: the test starts this binary
// again for one case at a time, and no later test inherits an application that has quit.

#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>
#include <functional>
#include <memory>

#include "boxsim/box_server_thread.h"
#include "console_rig.h"
#include "link/link_component.h"
#include "ui/link_bridge.h"
#include "ui/status_popup.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

constexpr char kCaseVariable[] = "KDSP_CLOSING_CASE";

/// One case: the console against the emulated box, closed by a click on its close button.
class ClosingCase {
 public:
  explicit ClosingCase(bool box_answers) {
    boxsim::ServerOptions options;
    options.tcp_port = 0;
    options.send_gap_ms = 0;
    EXPECT_TRUE(server_.Start(options)) << server_.Error();
    const int port = server_.Port();
    if (!box_answers) server_.Stop();  // nobody listens there
    window_ = std::make_unique<ui::MainWindow>(device_, view_);
    window_->SetNetworkAddress("127.0.0.1", QString::number(port));
    bridge_ = std::make_unique<ui::LinkBridge>(*window_, popup_);
    // Transfers slow enough (about 1.5 s) to close the window in the middle of one.
    LinkTimings timings = FastLinkTimings();
    timings.transfer_tcp_ms = 40;
    link_ = WireConsole(*window_, *bridge_, device_, timings);
    window_->show();
    link_->Start();
  }
  QString LinkText() { return window_->findChild<QLabel*>("LinkLabel")->text(); }
  void ClickClose() {
    QTest::mouseClick(window_->findChild<QWidget*>("RzBmpButton3"), Qt::LeftButton);
  }
  /// Runs the application until `act` (called once the loop runs) has led to its end; false
  /// when it did not end within three seconds.
  bool RunsToTheEnd(const std::function<void()>& act) {
    QTimer::singleShot(0, window_.get(), act);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    watchdog.start(3000);
    return QApplication::exec() == 0;
  }
  /// After the end: nothing of the console is left showing and the link sends nothing more.
  void ExpectEnded() {
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(OpenMessageBox(), nullptr);
    EXPECT_FALSE(link_->machine().SearchTimerOn() || link_->machine().TransferTimerOn() ||
                 link_->machine().HoldTimerOn());
  }

  boxsim::BoxServerThread server_;
  ValueTable device_, view_;
  ui::StatusPopup popup_;
  std::unique_ptr<ui::MainWindow> window_;
  std::unique_ptr<ui::LinkBridge> bridge_;
  std::unique_ptr<LinkComponent> link_;
};

TEST(Closing, EveryStateEndsTheProgramAndLetsTheBoxGo) {
  if (qEnvironmentVariableIsSet(kCaseVariable)) GTEST_SKIP() << "inside a case's process";
  for (const char* name : {"OffLineMessage", "LoadQuestion", "Linking", "Downloading"}) {
    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kCaseVariable, name);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=ClosingCase.Runs"});
    ASSERT_TRUE(run.waitForFinished(30000)) << name;
    const QString out = QString::fromLocal8Bit(run.readAll());
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << name;
    EXPECT_EQ(run.exitCode(), 0) << name << "\n" << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << name << "\n" << out.toStdString();
  }
}

TEST(ClosingCase, Runs) {
  const QByteArray name = qgetenv(kCaseVariable);
  if (name.isEmpty()) GTEST_SKIP() << "runs only in a process of its own";

  if (name == "OffLineMessage") {
    // Nobody answers: "连接失败!" stays open, and the close button still ends the program.
    ClosingCase c(false);
    ASSERT_TRUE(QTest::qWaitFor([] { return OpenMessageBox() != nullptr; }, 10000));
    EXPECT_EQ(OpenMessageBox()->text(), QString::fromUtf8("连接失败!"));
    EXPECT_TRUE(c.RunsToTheEnd([&] { c.ClickClose(); }));
    c.ExpectEnded();
  } else if (name == "LoadQuestion") {
    // The load question is open: the close answers it No; the box keeps its mode and is let go.
    ClosingCase c(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.bridge_->IsOnline(); }, 20000));
    const int mode = c.server_.Box().Param(30, 2);
    c.window_->findChild<QComboBox*>("SysModeBox")->setCurrentIndex(mode == 3 ? 4 : 3);
    bool asked = false;
    EXPECT_TRUE(c.RunsToTheEnd([&] {
      QTimer::singleShot(100, [&] {
        asked = OpenMessageBox() != nullptr;
        c.ClickClose();
      });
      c.window_->findChild<QAbstractButton*>("SysLoadModeBtn")->click();
    }));
    EXPECT_TRUE(asked);
    c.ExpectEnded();
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.server_.Box().Counters().byes == 1; }, 3000));
    EXPECT_EQ(c.server_.Box().Param(30, 2), mode);
    EXPECT_EQ(c.device_.Get(30, 2), mode);
  } else if (name == "Linking" || name == "Downloading") {
    // A connection is open although the link is not online: the farewell still goes out.
    ClosingCase c(true);
    if (name == "Linking") {
      ASSERT_TRUE(
          QTest::qWaitFor([&] { return c.LinkText() == QString::fromUtf8("连接中..."); }, 20000));
    } else {
      ASSERT_TRUE(QTest::qWaitFor([&] { return c.bridge_->IsOnline(); }, 20000));
      c.link_->machine().EnterLinkState(LinkEntry::StartFullWrite);
      ASSERT_EQ(c.LinkText(), QString::fromUtf8("下载数据..."));
    }
    QString text_at_close;
    EXPECT_TRUE(c.RunsToTheEnd([&] {
      text_at_close = c.LinkText();
      c.ClickClose();
    }));
    EXPECT_NE(text_at_close, QString::fromUtf8("设备已连接"));
    c.ExpectEnded();
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.server_.Box().Counters().byes == 1; }, 3000));
  } else {
    FAIL() << "unknown case " << name.constData();
  }
}

}  // namespace
}  // namespace kdsp::testing
