// The answer-driven link against the emulated box over loopback TCP and a pseudo-terminal, on
// the box's own timer pace: a prompt box is read at the speed of its answers, a slow one that
// does not hear requests sent too soon after its answers is still read exactly.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "boxsim/box_server_thread.h"
#include "qt_test_support.h"

namespace kdsp {
namespace {

using testing::FastTimings;
using testing::QtLinkRig;

struct EndToEnd {
  const char* name;
  bool pty;
  int slow_ms;          // the slow fault: requests sooner than this after an answer go unheard
  int online_limit_ms;  // from the link button to online
};

TEST(AnswerDrivenLink, OnlineWithEveryValueExactFastAndSlow) {
  const std::vector<EndToEnd> cases = {
      {"TCP, prompt box", false, 0, 1500},
      {"TCP, slow box", false, 5, 20000},
      {"pseudo-terminal, prompt box", true, 0, 3500},
      {"pseudo-terminal, slow box", true, 5, 20000},
  };
  for (const EndToEnd& c : cases) {
    SCOPED_TRACE(c.name);
    boxsim::BoxServerThread server;
    boxsim::ServerOptions options;
    options.tcp = !c.pty;
    options.pty = c.pty;
    options.send_gap_ms = 0;
    ASSERT_TRUE(server.Start(options)) << server.Error();
    // The prompt box at the box's timer pace; the slow one with the tests' fast timers, whose
    // tick counts still make a request wait 31 ticks before it is repeated.
    QtLinkRig rig(nullptr, c.slow_ms > 0 ? FastTimings() : LinkTimings{});
    rig.step_eagerly = false;
    if (c.pty) {
      rig.ports = {server.PtyPath()};
      rig.link.SetTcpEndpoint(QStringLiteral("127.0.0.1"), QStringLiteral("9"));
    } else {
      rig.link.SetTcpEndpoint(QStringLiteral("127.0.0.1"), QString::number(server.Port()));
      rig.link.machine().SetNextSearchFromNetwork(true);  // as with --host
    }
    if (c.slow_ms > 0) server.Box().SetSlow(c.slow_ms);
    QElapsedTimer clock;
    clock.start();
    rig.link.machine().LinkBtnClick(LinkButton::LinkBtn);
    ASSERT_TRUE(rig.WaitOnline(c.online_limit_ms)) << rig.host.LastText();
    const qint64 elapsed = clock.elapsed();
    EXPECT_LE(elapsed, c.online_limit_ms);
    EXPECT_EQ(rig.FirstDifference(server.Box().Memory().params), "");
    const auto memory = server.Box().Memory();
    const auto& names = rig.link.machine().dispatcher().ModeNames();
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(names[i], memory.mode_names[i]) << i;
      EXPECT_EQ(names[26 + i], memory.hint_names[i]) << i;
    }
    EXPECT_EQ(rig.link.machine().dispatcher().UserPasswordText(), memory.user_password);
    // The box sends its identification code when it hears LinkOpen, which a slow box may not.
    if (c.slow_ms == 0) {
      EXPECT_EQ(rig.host.device_id, "2F1D5AC3");
    }
    // A slow box is read on after a repeat at the paced rhythm; a prompt one never needs it.
    EXPECT_EQ(rig.link.machine().Paced(), c.slow_ms > 0);
    EXPECT_TRUE(rig.host.messages.empty());
    rig.link.Shutdown();
  }
}

}  // namespace
}  // namespace kdsp
