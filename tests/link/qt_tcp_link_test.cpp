// The link component against the emulated box over loopback TCP.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "boxsim/box_server_thread.h"
#include "qt_test_support.h"

namespace kdsp {
namespace {

using testing::QtLinkRig;
using testing::WaitFor;

class TcpLink : public ::testing::Test {
 protected:
  void SetUp() override {
    boxsim::ServerOptions options;
    options.tcp = true;
    options.tcp_port = 0;
    // The console cuts the TCP stream into frames itself, so answers may share a read.
    options.send_gap_ms = 0;
    ASSERT_TRUE(server.Start(options)) << server.Error();
    rig.link.SetTcpEndpoint(QStringLiteral("127.0.0.1"), QString::number(server.Port()));
  }
  boxsim::BoxSim& box() { return server.Box(); }
  /// Start-up without a box on USB or a serial port: the search goes to the network.
  void ConnectFromStartUp() {
    rig.link.Start();
    ASSERT_TRUE(rig.WaitOnline()) << rig.host.LastText();
    ASSERT_TRUE(rig.WaitDrained());
  }

  boxsim::BoxServerThread server;
  QtLinkRig rig;
};

TEST_F(TcpLink, SearchHandshakeAndFullReadMirrorTheBox) {
  ConnectFromStartUp();
  EXPECT_EQ(rig.link.machine().kind(), LinkTcp);
  EXPECT_EQ(rig.FirstDifference(box().Memory().params), "");
  const auto memory = box().Memory();
  const auto& names = rig.link.machine().dispatcher().ModeNames();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(names[i], memory.mode_names[i]);
    EXPECT_EQ(names[26 + i], memory.hint_names[i]);
  }
  EXPECT_EQ(rig.link.machine().dispatcher().UserPasswordText(), memory.user_password);
  EXPECT_EQ(rig.link.machine().dispatcher().SystemPasswordText(), memory.system_password);
  EXPECT_EQ(rig.host.device_id, "2F1D5AC3");
  EXPECT_EQ(rig.host.LastText(), "Online");
  EXPECT_EQ(box().Param(30, 3), 1);  // LinkOpen written on arrival
  EXPECT_TRUE(rig.host.messages.empty());
  EXPECT_GE(box().Counters().hellos, 1);
}

TEST_F(TcpLink, EditsReachTheBoxOneAcknowledgementAtATime) {
  ConnectFromStartUp();
  const auto before = box().Counters().frames_received;
  // A burst of edits: several slider positions on two parameters and single writes between.
  for (int pos = 100; pos <= 140; ++pos) {
    rig.host.WriteParam(MakeAddr(0, 25), pos);
    if (pos % 10 == 0) rig.host.WriteParam(MakeAddr(3, 2), pos / 10);
  }
  rig.host.WriteParam(MakeAddr(25, 1), 33);
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(box().Param(0, 25), 140);
  EXPECT_EQ(box().Param(3, 2), 14);
  EXPECT_EQ(box().Param(25, 1), 33);
  // Merged while waiting: far fewer frames than edits, none lost.
  const auto sent = box().Counters().frames_received - before;
  EXPECT_GE(sent, 3);
  EXPECT_LT(sent, 20);
  EXPECT_EQ(box().Counters().frames_rejected, 0);
}

TEST_F(TcpLink, RecallReloadsAndDownloadWritesThePages) {
  ConnectFromStartUp();
  const auto memory = box().Memory();
  QtLinkRig current;  // the mirror before the recall must differ from mode 3
  current.device_values = rig.device_values;
  ASSERT_NE(current.FirstDifference(memory.modes[3]), "");
  rig.link.machine().LoadDeviceMode(3);
  EXPECT_EQ(rig.host.LastText(), "Loading...");
  ASSERT_TRUE(WaitFor([&] { return rig.host.LastText() == "Online"; }));
  EXPECT_EQ(rig.FirstDifference(box().Memory().params), "");
  EXPECT_EQ(rig.FirstDifference(memory.modes[3]), "");
  EXPECT_EQ(rig.host.refreshes, 2);

  // A preset loaded while online is downloaded into the box.
  ASSERT_TRUE(rig.WaitDrained());
  for (int p = 0; p <= 25; ++p) {
    for (int s = 0; s < PageLength(p); ++s) rig.device_values.Set(p, s, (p * 31 + s) % 100);
  }
  rig.link.machine().EnterLinkState(LinkEntry::StartFullWrite);
  EXPECT_EQ(rig.host.LastText(), "Download...");
  ASSERT_TRUE(WaitFor([&] { return rig.host.LastText() == "Online"; }));
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(rig.FirstDifference(box().Memory().params), "");
  EXPECT_EQ(box().Param(0, 7), 7);

  // Closing the window: the farewell leaves even when the socket goes right after.
  const auto byes = box().Counters().byes;
  rig.link.FarewellOnClose();
  EXPECT_FALSE(rig.link.machine().state().LinkOnline);
  rig.link.DisconnectTcp();
  ASSERT_TRUE(WaitFor([&] { return box().Counters().byes == byes + 1; }, 3000));
}

TEST_F(TcpLink, SplitMergedAndCorruptedAnswers) {
  ConnectFromStartUp();
  box().SplitNext(6);
  box().CorruptNext(2);
  rig.link.machine().LoadDeviceMode(5);
  ASSERT_TRUE(WaitFor([&] { return rig.host.LastText() == "Online"; }, 30000));
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(rig.FirstDifference(box().Memory().params), "");
  const auto memory = box().Memory();
  const auto& names = rig.link.machine().dispatcher().ModeNames();
  for (int i = 0; i < 16; ++i) EXPECT_EQ(names[i], memory.mode_names[i]) << i;
  EXPECT_TRUE(rig.host.messages.empty());  // bad checksums off USB are silent

  // Writing LinkOpen again makes the box answer three times (acknowledgement, identification
  // code, system password); the first two arrive in one read.
  rig.host.device_id.clear();
  box().MergeNext(1);
  rig.host.WriteParam(LinkOpen, 1);
  ASSERT_TRUE(WaitFor([&] { return rig.host.device_id == "2F1D5AC3"; }));
  rig.host.WriteParam(MakeAddr(0, 30), 77);  // the link carries on
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(box().Param(0, 30), 77);
  EXPECT_TRUE(rig.link.machine().state().LinkOnline);
}

TEST_F(TcpLink, ASilentBoxIsDeclaredLost) {
  ConnectFromStartUp();
  testing::BoxTrace trace(box());
  QElapsedTimer clock;
  clock.start();
  box().GoSilent();
  ASSERT_TRUE(WaitFor([&] { return !rig.host.messages.empty(); }));
  EXPECT_EQ(rig.host.messages[0].text, "已断开连接!");
  EXPECT_EQ(rig.host.LastText(), "Off Line");
  EXPECT_FALSE(rig.link.machine().HoldTimerOn());
  // Five seconds of link time (250 hold ticks) after the first unanswered poll, which was
  // asked again after two and four seconds: three polls went unheard. (That poll may have left
  // a moment before the silence began, hence one tick less.)
  EXPECT_GE(clock.elapsed(), 249 * testing::FastTimings().hold_ms);
  int unheard = 0;
  for (const auto& e : trace.Events()) {
    if (e.what != "unheard") continue;
    ++unheard;
    EXPECT_EQ(e.bytes, BuildValueFrame(CmdRead, PageRead, kStatusPage));
  }
  EXPECT_EQ(unheard, 3);

  // The box comes back: the link button links again.
  box().Resume();
  rig.link.machine().LinkBtnClick(LinkButton::LinkBtn);
  ASSERT_TRUE(rig.WaitOnline());
  EXPECT_EQ(rig.FirstDifference(box().Memory().params), "");
}

}  // namespace
}  // namespace kdsp
