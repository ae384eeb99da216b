// The real kdsp-console ended by SIGTERM or SIGINT while it links to the emulated box: it ends
// as a close of its window does, letting the box go first, and exits normally.

#include <csignal>

#include <gtest/gtest.h>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include "boxsim/box_server_thread.h"

namespace kdsp::app {
namespace {

TEST(ConsoleSignals, TerminationAndInterruptEndAsACloseWithTheFarewell) {
  for (const int signal_number : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal_number);
    boxsim::BoxServerThread server;
    boxsim::ServerOptions options;
    options.tcp_port = 0;
    ASSERT_TRUE(server.Start(options)) << server.Error();
    server.Box().SetParam(30, 3, 0);

    QProcess console;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LC_ALL", "en_GB.UTF-8");
    console.setProcessEnvironment(env);
    console.setProcessChannelMode(QProcess::MergedChannels);
    console.start(KDSP_CONSOLE_PROGRAM,
                  {"--host", "127.0.0.1", "--port", QString::number(server.Port())});
    ASSERT_TRUE(console.waitForStarted(5000));
    // The link is open once the console has written LinkOpen: the box answered its probe.
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Box().Param(30, 3) == 1; }, 20000))
        << console.readAll().toStdString();
    ASSERT_EQ(server.Box().Counters().byes, 0);

    ::kill(static_cast<pid_t>(console.processId()), signal_number);
    ASSERT_TRUE(console.waitForFinished(10000)) << "the console went on after the signal";
    EXPECT_EQ(console.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(console.exitCode(), 0) << console.readAll().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Box().Counters().byes == 1; }, 3000));
  }
}

}  // namespace
}  // namespace kdsp::app
