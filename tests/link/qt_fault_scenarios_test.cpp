// The real link against the emulated box when the box misbehaves: answers spoilt or lost in the
// middle of a transfer, a box that goes away and comes back, and a burst of edits that must all
// arrive in order. Each scenario runs on the transports where it can happen.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <random>

#include "boxsim/box_server_thread.h"
#include "qt_test_support.h"

namespace kdsp {
namespace {

using testing::BoxTrace;
using testing::EndpointHandle;
using testing::QtLinkRig;
using testing::ScriptedHid;
using testing::WaitFor;

constexpr const char* kUsbPath = "/dev/hidraw7";

std::string KindName(LinkKind kind) {
  return kind == LinkUsb ? "Usb" : kind == LinkCom ? "Serial" : "Tcp";
}

bool IsRead(const Bytes& f) { return f.size() >= 4 && f[3] == CmdRead; }

/// One emulated box reachable on one transport, and a console link set up to find it there.
class BoxOnLink {
 public:
  BoxOnLink(LinkKind kind, LinkTimings timings)
      : kind_(kind),
        server_(box_),
        endpoint_(box_),
        shared_(std::make_shared<ScriptedHid::Shared>()),
        rig_(shared_, timings) {}

  /// Starts the box's side; false (with the reason in `error`) when it could not be served.
  bool Serve(std::string* error) {
    if (kind_ == LinkUsb) {
      PlugIn();
      // Nothing listens here: a search that misses the box ends on the network.
      rig_.link.SetTcpEndpoint(QStringLiteral("127.0.0.1"), QStringLiteral("9"));
      return true;
    }
    boxsim::ServerOptions options;
    options.tcp = kind_ == LinkTcp;
    options.pty = kind_ == LinkCom;
    options.tcp_port = port_;
    // The console cuts the TCP stream into frames itself, so answers may share a read.
    options.send_gap_ms = 0;
    if (!server_.Start(options)) {
      *error = server_.Error();
      return false;
    }
    if (kind_ == LinkTcp) {
      port_ = server_.Port();
      rig_.link.SetTcpEndpoint(QStringLiteral("127.0.0.1"), QString::number(port_));
    } else {
      rig_.ports = {server_.PtyPath()};
      rig_.link.SetTcpEndpoint(QStringLiteral("127.0.0.1"), QStringLiteral("9"));
    }
    return true;
  }
  /// The box leaves: its server closes every connection, or it is unplugged from USB.
  void GoAway() {
    if (kind_ == LinkUsb) {
      std::lock_guard lock(shared_->mutex);
      shared_->devices.clear();
    } else {
      server_.Stop();
    }
  }
  void PlugIn() {
    std::lock_guard lock(shared_->mutex);
    shared_->devices = {{kUsbPath, kBoxVendorId, kBoxProductId, "KTV DSP", ""}};
    shared_->openers[kUsbPath] = [this] { return std::make_unique<EndpointHandle>(endpoint_); };
  }

  /// Start-up: the first USB rebuild finds the box or starts the search elsewhere.
  bool ConnectFromStartUp() {
    rig_.link.Start();
    return rig_.WaitOnline() && rig_.WaitDrained();
  }
  /// Frames the box has heard so far.
  std::int64_t Heard() const { return box_.Counters().frames_received; }

  boxsim::BoxSim& box() { return box_; }
  QtLinkRig& rig() { return rig_; }

 private:
  LinkKind kind_;
  boxsim::BoxSim box_;
  boxsim::BoxServerThread server_;
  boxsim::HidEndpoint endpoint_;
  std::shared_ptr<ScriptedHid::Shared> shared_;
  QtLinkRig rig_;
  int port_ = 0;
};

class FaultOnLink : public ::testing::TestWithParam<LinkKind> {
 protected:
  explicit FaultOnLink(LinkTimings timings = testing::FastTimings())
      : on(GetParam(), timings), box(on.box()), rig(on.rig()) {}
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(on.Serve(&error)) << error;
    ASSERT_TRUE(on.ConnectFromStartUp()) << rig.host.LastText();
    ASSERT_EQ(rig.link.machine().kind(), GetParam());
  }
  /// Recalls a mode, which reloads every page: a transfer whose frames the test can count
  /// from here (the link is idle and the box has answered everything).
  void ReloadWith(int mode) { rig.link.machine().LoadDeviceMode(mode); }

  BoxOnLink on;
  boxsim::BoxSim& box;
  QtLinkRig& rig;
};

// A spoilt answer in the middle of a reload: the console asks for the same page (or USB chunk)
// again, completes the read and mirrors the box. Only USB reports the bad checksum.
TEST_P(FaultOnLink, CorruptedAnswerMidTransferIsAskedForAgain) {
  BoxTrace trace(box);
  // The recall is frame 1; the reload asks pages 0, 1, 2 (USB: chunk 0 of page 0 twice, then
  // chunks 1 and 2) and the answer to frame 5 is spoilt: page 3, or chunk 2 of page 0.
  box.Schedule({{boxsim::FaultKind::kCorrupt, 1}, on.Heard() + 4});
  ReloadWith(4);
  ASSERT_TRUE(WaitFor([&] { return rig.host.LastText() == "Online"; })) << rig.host.LastText();
  ASSERT_TRUE(rig.WaitDrained());

  const std::vector<BoxTrace::Event> events = trace.Events();
  std::vector<Bytes> heard;
  std::size_t spoilt_after = 0;  // frames heard when the spoilt answer went out
  int spoilt = 0;
  for (const BoxTrace::Event& e : events) {
    if (e.what == "rx") heard.push_back(e.bytes);
    if (e.what == "corrupted") {
      ++spoilt;
      spoilt_after = heard.size();
    }
  }
  ASSERT_EQ(spoilt, 1);
  ASSERT_GE(spoilt_after, 2u);
  ASSERT_LT(spoilt_after, heard.size());
  const Bytes& asked = heard[spoilt_after - 1];
  ASSERT_TRUE(IsRead(asked));
  const Bytes expected =
      BuildPageRead(GetParam() == LinkUsb ? 0 : 3, GetParam() == LinkUsb ? 2 : 0, GetParam());
  EXPECT_EQ(asked, expected);
  EXPECT_NE(heard[spoilt_after - 2], asked);  // a request asked once so far ...
  EXPECT_EQ(heard[spoilt_after], asked);      // ... and again right after the bad answer

  EXPECT_EQ(rig.FirstDifference(box.Memory().params), "");
  EXPECT_EQ(rig.FirstDifference(box.Memory().modes[4]), "");
  if (GetParam() == LinkUsb) {
    ASSERT_EQ(rig.host.messages.size(), 1u);
    EXPECT_EQ(rig.host.messages[0].text, "数据包丢失数据 校验字不正确！");
  } else {
    EXPECT_TRUE(rig.host.messages.empty());
  }
}

// The scenarios whose subject is a time-out run shorter ticks: a request is repeated after
// 155 ms without a reply, and an idle link is lost after half a second without an answer.
class TimeoutOnLink : public FaultOnLink {
 protected:
  static LinkTimings QuickTimeouts() {
    LinkTimings t = testing::FastTimings();
    t.transfer_ms = 5;
    t.transfer_tcp_ms = 5;
    t.hold_ms = 2;
    return t;
  }
  TimeoutOnLink() : FaultOnLink(QuickTimeouts()) {}
};

// Answers lost in the middle of a reload: the request is repeated at the first two limits. Two
// lost answers are survived; when the second repeat goes unanswered too, the link fails.
TEST_P(TimeoutOnLink, DroppedAnswersAreAskedForAgainUntilTheLimits) {
  BoxTrace trace(box);
  box.Schedule({{boxsim::FaultKind::kDrop, 2}, on.Heard() + 4});
  ReloadWith(6);
  ASSERT_TRUE(WaitFor([&] { return rig.host.LastText() == "Online"; })) << rig.host.LastText();
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(rig.FirstDifference(box.Memory().modes[6]), "");
  EXPECT_TRUE(rig.host.messages.empty());
  {
    int dropped = 0;
    std::vector<Bytes> heard;
    std::size_t first_drop = 0;
    for (const BoxTrace::Event& e : trace.Events()) {
      if (e.what == "rx") heard.push_back(e.bytes);
      if (e.what == "dropped" && dropped++ == 0) first_drop = heard.size();
    }
    ASSERT_EQ(dropped, 2);
    ASSERT_GE(heard.size(), first_drop + 2);
    // The same request three times: the original and its two repeats.
    EXPECT_EQ(heard[first_drop], heard[first_drop - 1]);
    EXPECT_EQ(heard[first_drop + 1], heard[first_drop - 1]);
    EXPECT_NE(heard[first_drop + 2], heard[first_drop - 1]);
  }

  // Three lost answers in a row: the request and both repeats go unanswered.
  trace.Clear();
  const std::int64_t before = on.Heard();
  box.Schedule({{boxsim::FaultKind::kDrop, 3}, before + 4});
  QElapsedTimer clock;
  clock.start();
  ReloadWith(7);
  ASSERT_TRUE(WaitFor([&] { return !rig.host.messages.empty(); })) << rig.host.LastText();
  // Not before the three limits have run out: more than 30, more than 20, then 100 ticks.
  EXPECT_GE(clock.elapsed(), (31 + 21 + 100) * QuickTimeouts().transfer_ms);
  EXPECT_EQ(rig.host.messages[0].text, "连接失败!");
  EXPECT_EQ(rig.host.messages[0].caption, "提示");
  EXPECT_EQ(rig.host.LastText(), "Off Line");
  EXPECT_FALSE(rig.link.machine().state().LinkOnline);
  EXPECT_FALSE(rig.link.machine().TransferTimerOn());
  EXPECT_FALSE(rig.link.TcpConnected());
  // Recall, three requests answered, then the fifth frame three times and nothing after it.
  const std::vector<Bytes> heard = trace.Heard();
  ASSERT_EQ(heard.size(), 7u);
  EXPECT_EQ(heard[4], heard[5]);
  EXPECT_EQ(heard[4], heard[6]);
  EXPECT_EQ(box.Counters().answers_dropped, 5);
}

// The box goes away while online (its server closes, or it is unplugged) and comes back: the
// link is lost, and the next search finds the box again and reads it.
TEST_P(TimeoutOnLink, BoxThatDisappearsIsLostAndFoundAgainByTheNextSearch) {
  on.GoAway();
  if (GetParam() == LinkUsb) rig.link.RefreshUsbDevices();  // the unplugging is reported
  ASSERT_TRUE(WaitFor([&] { return !rig.host.messages.empty(); })) << rig.host.LastText();
  EXPECT_EQ(rig.host.messages[0].text, "已断开连接!");
  EXPECT_EQ(rig.host.LastText(), "Off Line");
  EXPECT_FALSE(rig.link.machine().HoldTimerOn());

  // Changed while the console was away.
  box.SetParam(0, 30, 55);
  box.SetParam(5, 2, 66);
  std::string error;
  if (GetParam() == LinkUsb) {
    on.PlugIn();
    rig.link.RefreshUsbDevices();  // the rebuild that finds the box presses the link button
  } else {
    ASSERT_TRUE(on.Serve(&error)) << error;
    rig.link.machine().LinkBtnClick(LinkButton::LinkBtn);
  }
  ASSERT_TRUE(rig.WaitOnline()) << rig.host.LastText();
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(rig.link.machine().kind(), GetParam());
  EXPECT_EQ(rig.device_values.Get(0, 30), 55);
  EXPECT_EQ(rig.device_values.Get(5, 2), 66);
  EXPECT_EQ(rig.FirstDifference(box.Memory().params), "");
  EXPECT_EQ(rig.host.messages.size(), 1u);
}

struct Edit {
  ParamAddr addr;
  int value;
};

// 1000 edits in bursts while online, as from sliders dragged quickly across many controls:
// runs of edits to one address, interleaved with the box's answers. Afterwards the box holds
// exactly what the console holds, and the box heard the edits in the order they were made,
// a write left out only when the next edit replaced it on the same address.
TEST_P(FaultOnLink, BurstOfEditsArrivesCompleteAndInOrder) {
  std::mt19937 random(20240611u + static_cast<unsigned>(GetParam()));
  // Parameters whose writes the box keeps as they are: no command slots (page 26), not the
  // microphone sync flag (1, 13) and not the music key (0, 6), which the status reports
  // bring back from the box.
  std::vector<ParamAddr> pool;
  for (int page = 0; page <= 25; ++page) {
    for (int slot = 0; slot < PageLength(page); slot += 7) {
      if ((page == 1 && slot == 13) || (page == 0 && slot == 6)) continue;
      pool.push_back(MakeAddr(page, slot));
    }
  }
  std::vector<Edit> edits;
  while (edits.size() < 1000) {
    const ParamAddr addr = pool[random() % pool.size()];
    for (int run = 1 + static_cast<int>(random() % 6); run > 0 && edits.size() < 1000; --run) {
      edits.push_back({addr, static_cast<int>(random() % 65536)});
    }
  }

  BoxTrace trace(box);
  std::size_t next = 0;
  int most_waiting = 0;
  while (next < edits.size()) {
    for (int burst = 1 + static_cast<int>(random() % 40); burst > 0 && next < edits.size();
         --burst, ++next) {
      rig.host.WriteParam(edits[next].addr, edits[next].value);
    }
    most_waiting = std::max(most_waiting, rig.link.machine().queue().Waiting());
    QCoreApplication::processEvents();
  }
  ASSERT_TRUE(rig.WaitDrained(30000));
  ASSERT_TRUE(rig.link.machine().state().LinkOnline);
  EXPECT_GT(most_waiting, 5);  // the bursts did run ahead of the box ...
  // ... without filling the queue, where a new address would replace the newest entry.
  ASSERT_LT(most_waiting, SendQueue::kSize - 1);

  EXPECT_EQ(rig.FirstDifference(box.Memory().params), "");
  EXPECT_EQ(box.Counters().frames_rejected, 0);
  EXPECT_TRUE(rig.host.messages.empty());

  std::vector<Edit> written;
  for (const Bytes& f : trace.Heard()) {
    const ParamAddr addr = static_cast<ParamAddr>(f[4] << 8 | f[5]);
    if (f.size() == 9 && f[3] == CmdWrite && PageOf(addr) < kControlPage) {
      written.push_back({addr, f[6] | f[7] << 8});
    }
  }
  // Walk the edits: each one either reached the box next in line, or was replaced by the edit
  // right after it on the same address.
  std::size_t w = 0;
  int merged = 0;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const Edit& e = edits[i];
    if (w < written.size() && written[w].addr == e.addr && written[w].value == e.value) {
      ++w;
      continue;
    }
    ASSERT_LT(i + 1, edits.size()) << "the last edit never reached the box";
    ASSERT_EQ(edits[i + 1].addr, e.addr)
        << "edit " << i << " (" << PageOf(e.addr) << "." << SlotOf(e.addr) << " = " << e.value
        << ") lost or reordered";
    ++merged;
  }
  EXPECT_EQ(w, written.size()) << "the box heard writes nobody made";
  EXPECT_GT(merged, 0);
  EXPECT_LT(written.size(), edits.size());
}

class StreamFaultOnLink : public FaultOnLink {};

// Mid-session the box puts a stray frame header (claiming 258 bytes) ahead of a status report:
// the console drops it once it has waited one transfer interval, takes the report behind it
// and every one after, and stays online; edits still reach the box.
TEST_P(StreamFaultOnLink, StrayHeaderMidSessionCostsOnlyItself) {
  auto key_shown = [&](int key) {
    return WaitFor([&] {
      const auto& keys = rig.host.music_keys;
      return !keys.empty() && keys.back() == key;
    }, 5000);
  };
  box.Inject({boxsim::FaultKind::kStray, 1});
  box.TurnMusicKey(9);
  EXPECT_TRUE(key_shown(9));
  box.TurnMusicKey(11);
  EXPECT_TRUE(key_shown(11));
  box.Inject({boxsim::FaultKind::kStray, 1});
  rig.host.WriteParam(MakeAddr(0, 30), 42);  // its acknowledgement comes behind the stray
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(box.Param(0, 30), 42);
  box.TurnMusicKey(3);
  EXPECT_TRUE(key_shown(3));
  EXPECT_TRUE(rig.link.machine().state().LinkOnline);
  EXPECT_TRUE(rig.host.messages.empty());
}

std::string ParamName(const ::testing::TestParamInfo<LinkKind>& info) {
  return KindName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Transports, FaultOnLink, ::testing::Values(LinkUsb, LinkCom, LinkTcp),
                         ParamName);
INSTANTIATE_TEST_SUITE_P(Transports, TimeoutOnLink, ::testing::Values(LinkUsb, LinkCom, LinkTcp),
                         ParamName);
INSTANTIATE_TEST_SUITE_P(Streams, StreamFaultOnLink, ::testing::Values(LinkCom, LinkTcp),
                         ParamName);

}  // namespace
}  // namespace kdsp
