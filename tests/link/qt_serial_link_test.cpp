// The link component against the emulated box on a pseudo-terminal serial port.
#include <gtest/gtest.h>

#include "boxsim/box_server_thread.h"
#include "qt_test_support.h"

namespace kdsp {
namespace {

using testing::QtLinkRig;
using testing::WaitFor;

class SerialLink : public ::testing::Test {
 protected:
  void SetUp() override {
    boxsim::ServerOptions options;
    options.tcp = false;
    options.pty = true;
    ASSERT_TRUE(server.Start(options)) << server.Error();
    // Nothing listens here: the network phase of a search finds nobody.
    rig.link.SetTcpEndpoint(QStringLiteral("127.0.0.1"), QStringLiteral("9"));
  }
  boxsim::BoxSim& box() { return server.Box(); }

  boxsim::BoxServerThread server;
  QtLinkRig rig;
};

TEST_F(SerialLink, FindsTheBoxOnTheSecondPortAndReadsEverything) {
  // A port with nothing behind it first (a path that does not open), then the box.
  rig.ports = {"/dev/kdsp-no-such-port", server.PtyPath()};
  rig.link.Start();
  ASSERT_TRUE(rig.WaitOnline()) << rig.host.LastText();
  EXPECT_EQ(rig.link.machine().kind(), LinkCom);
  EXPECT_TRUE(rig.link.SerialOpen());
  EXPECT_EQ(rig.host.popup_labels,
            (std::vector<std::string>{"/dev/kdsp-no-such-port", server.PtyPath()}));
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(rig.FirstDifference(box().Memory().params), "");
  EXPECT_EQ(rig.link.machine().dispatcher().ModeNames()[0], box().Memory().mode_names[0]);
  EXPECT_EQ(rig.host.device_id, "2F1D5AC3");
  EXPECT_EQ(box().Counters().frames_rejected, 0);

  // Edits, a recall with a corrupted answer in its reload, then silence.
  for (int pos = 0; pos < 20; ++pos) rig.host.WriteParam(MakeAddr(1, 40), pos);
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(box().Param(1, 40), 19);

  box().CorruptNext(1);
  rig.link.machine().LoadDeviceMode(7);
  ASSERT_TRUE(WaitFor([&] { return rig.host.LastText() == "Online"; }));
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(rig.FirstDifference(box().Memory().params), "");
  EXPECT_EQ(rig.FirstDifference(box().Memory().modes[7]), "");

  box().GoSilent();
  ASSERT_TRUE(WaitFor([&] { return !rig.host.messages.empty(); }));
  EXPECT_EQ(rig.host.messages[0].text, "已断开连接!");
  EXPECT_TRUE(rig.link.SerialOpen());  // going offline leaves the port open
}

TEST_F(SerialLink, SilentFromTheFirstRequestTheReadFailsInsteadOfWaiting) {
  // No reply ever comes during the transfer, so its ticks can be short: the limits (31, 21 and
  // 100 ticks) run out in under half a second.
  LinkTimings timings = testing::FastTimings();
  timings.transfer_ms = 3;
  QtLinkRig rig(nullptr, timings);
  rig.link.SetTcpEndpoint(QStringLiteral("127.0.0.1"), QStringLiteral("9"));
  rig.ports = {server.PtyPath()};
  // The box answers the probe and LinkOpen, then hears nothing more.
  box().Schedule({{boxsim::FaultKind::kSilent, 0}, 2});
  rig.link.Start();
  ASSERT_TRUE(WaitFor([&] { return rig.link.machine().TransferTimerOn(); }))
      << "link text " << rig.host.LastText() << ", frames heard "
      << box().Counters().frames_received;
  ASSERT_TRUE(WaitFor([&] { return !rig.host.messages.empty(); }, 20000));
  EXPECT_EQ(rig.host.messages[0].text, "连接失败!");
  EXPECT_FALSE(rig.link.machine().state().LinkOnline);
  EXPECT_FALSE(rig.link.machine().TransferTimerOn());
  // Probe, LinkOpen, then the first page asked for three times in all.
  EXPECT_EQ(box().Counters().frames_received, 5);
}

// The line goes away under an open port (an adapter pulled out; here the box's side of the
// pseudo-terminal closes): the console closes the port and loses the link at once, without
// waiting for five unanswered polls (at least 250 hold ticks, 1000 ms here).
TEST_F(SerialLink, ALineThatGoesAwayClosesThePortAndLosesTheLinkAtOnce) {
  rig.ports = {server.PtyPath()};
  rig.link.Start();
  ASSERT_TRUE(rig.WaitOnline()) << rig.host.LastText();
  ASSERT_TRUE(rig.WaitDrained());
  QElapsedTimer clock;
  clock.start();
  server.Stop();
  ASSERT_TRUE(WaitFor([&] { return !rig.host.messages.empty(); }));
  EXPECT_LT(clock.elapsed(), 250 * testing::FastTimings().hold_ms);
  EXPECT_EQ(rig.host.messages[0].text, "已断开连接!");
  EXPECT_FALSE(rig.link.SerialOpen());
  EXPECT_FALSE(rig.link.machine().HoldTimerOn());
  EXPECT_EQ(rig.host.LastText(), "Off Line");
}

}  // namespace
}  // namespace kdsp
