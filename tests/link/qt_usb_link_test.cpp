// The USB side of the link: the device list, the box among the devices, its reports, and the
// link against the emulated box's USB endpoint.
#include <gtest/gtest.h>

#include "qt_test_support.h"

namespace kdsp {
namespace {

using testing::EndpointHandle;
using testing::QtLinkRig;
using testing::ScriptedHid;
using testing::SilentHandle;
using testing::WaitFor;

/// A handle that keeps sending the same input report.
class ChattyHandle : public HidHandle {
 public:
  explicit ChattyHandle(Bytes report) : report_(std::move(report)) {}
  bool Write(std::span<const std::uint8_t>) override { return true; }
  int Read(std::span<std::uint8_t> buffer, int) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::copy(report_.begin(), report_.end(), buffer.begin());
    return static_cast<int>(report_.size());
  }
  int OutputReportLength() const override { return 65; }
  std::string ErrorText() override { return ""; }
  unsigned ErrorCode() override { return 0; }

 private:
  Bytes report_;
};

HidDeviceInfo Device(std::string path, std::uint16_t pid, std::string product, std::string serial) {
  return {std::move(path), kBoxVendorId, pid, std::move(product), std::move(serial)};
}

TEST(UsbTransport, ListsTheVendorsDevicesAndTalksOnlyToTheBox) {
  testing::App();
  auto shared = std::make_shared<ScriptedHid::Shared>();
  auto box_a = std::make_shared<std::atomic<int>>(0);
  auto box_b = std::make_shared<std::atomic<int>>(0);
  shared->devices = {Device("/dev/hidraw1", kBoxProductId, "KTV DSP", "A1"),
                     Device("/dev/hidraw2", 0x1234, "Remote", ""),
                     Device("/dev/hidraw3", kBoxProductId, "KTV DSP", "B2")};
  shared->openers["/dev/hidraw1"] = [box_a] { return std::make_unique<SilentHandle>(box_a); };
  shared->openers["/dev/hidraw2"] = [] {
    return std::make_unique<ChattyHandle>(testing::UsbReport(testing::StatusFrame(3)));
  };
  shared->openers["/dev/hidraw3"] = [box_b] {
    return std::make_unique<SilentHandle>(box_b, /*fail_writes=*/true);
  };
  LinkLog log;
  HidTransport hid(std::make_unique<ScriptedHid>(shared), log);
  int reports = 0;
  QObject::connect(&hid, &HidTransport::reportArrived, [&](const QByteArray&) { ++reports; });

  EXPECT_FALSE(hid.HidPresent());
  EXPECT_TRUE(hid.Rebuild());
  EXPECT_EQ(hid.Descriptions(),
            (QStringList{QStringLiteral("KTV DSPDevice VID=2F1D PID=0C37 (自定义HID描述符=A1)"),
                         QStringLiteral("RemoteDevice VID=2F1D PID=1234"),
                         QStringLiteral("KTV DSPDevice VID=2F1D PID=0C37 (自定义HID描述符=B2)")}));
  EXPECT_EQ(hid.BoxIndex(), 2);  // with two boxes the last one listed wins

  // Frames go to the box only; its failed write is logged.
  hid.Send(BuildValueFrame(CmdWrite, LinkControl, HelloCode));
  EXPECT_EQ(box_a->load(), 0);
  EXPECT_EQ(box_b->load(), 1);
  ASSERT_EQ(log.Lines().size(), 1);
  EXPECT_EQ(log.Lines()[0], QStringLiteral("WRITE ERROR: Broken pipe (20)"));

  // Another device's reports never reach the link.
  QTest::qWait(100);
  EXPECT_EQ(reports, 0);

  // Removal is logged by description; a rebuild without the box clears it.
  hid.NoteRemoval("/dev/hidraw3");
  EXPECT_EQ(log.Lines().back(),
            QStringLiteral("Removal of KTV DSPDevice VID=2F1D PID=0C37 (自定义HID描述符=B2)"));
  shared->devices.resize(2);
  shared->devices.erase(shared->devices.begin());
  EXPECT_FALSE(hid.Rebuild());
  EXPECT_EQ(hid.Descriptions().size(), 1);
  hid.Send(BuildValueFrame(CmdWrite, LinkControl, HelloCode));  // no box: nothing happens
  EXPECT_EQ(box_b->load(), 1);
  EXPECT_EQ(log.Lines().size(), 2);
}

TEST(UsbTransport, ReportsOfTheBoxArriveInOrderOnTheWindowThread) {
  testing::App();
  boxsim::BoxSim box;
  boxsim::HidEndpoint endpoint(box);
  auto shared = std::make_shared<ScriptedHid::Shared>();
  shared->devices = {Device("/dev/hidraw0", kBoxProductId, "KTV DSP", "")};
  shared->openers["/dev/hidraw0"] = [&] { return std::make_unique<EndpointHandle>(endpoint); };
  LinkLog log;
  HidTransport hid(std::make_unique<ScriptedHid>(shared), log);
  ASSERT_TRUE(hid.Rebuild());
  std::vector<QByteArray> got;
  const Qt::HANDLE window_thread = QThread::currentThreadId();
  bool other_thread = false;
  QObject::connect(&hid, &HidTransport::reportArrived, [&](const QByteArray& data) {
    other_thread |= QThread::currentThreadId() != window_thread;
    got.push_back(data);
  });
  for (int i = 0; i < 5; ++i) {
    hid.Send(BuildValueFrame(CmdWrite, MakeAddr(0, 20 + i), static_cast<std::uint16_t>(i)));
  }
  ASSERT_TRUE(WaitFor([&] { return got.size() == 5; }, 5000));
  EXPECT_FALSE(other_thread);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(static_cast<std::uint8_t>(got[i][0]), 0xEE);
    EXPECT_EQ(box.Param(0, 20 + i), i);
  }
}

class UsbLink : public ::testing::Test {
 protected:
  UsbLink() : endpoint(box), shared(std::make_shared<ScriptedHid::Shared>()), rig(shared) {
    shared->devices = {Device("/dev/hidraw4", kBoxProductId, "KTV DSP", "")};
    shared->openers["/dev/hidraw4"] = [this] {
      ++box_opens;
      return std::make_unique<EndpointHandle>(endpoint);
    };
  }
  boxsim::BoxSim box;
  boxsim::HidEndpoint endpoint;
  std::shared_ptr<ScriptedHid::Shared> shared;
  QtLinkRig rig;
  int box_opens = 0;
};

TEST_F(UsbLink, ReadsTheBoxAndStaysOnlineWhileOtherDevicesComeAndGo) {
  rig.link.Start();  // the first list rebuild finds the box and presses the link button
  ASSERT_TRUE(rig.WaitOnline()) << rig.host.LastText();
  EXPECT_EQ(rig.link.machine().kind(), LinkUsb);
  EXPECT_EQ(rig.host.popup_labels.front(), "  USB");
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(rig.FirstDifference(box.Memory().params), "");
  EXPECT_EQ(rig.host.device_id, "2F1D5AC3");

  // Another device of the vendor is plugged in: the list is rebuilt, the box reopened, and the
  // link carries on online on the new handle.
  {
    std::lock_guard lock(shared->mutex);
    shared->devices.push_back(Device("/dev/hidraw5", 0x0001, "Remote", "R"));
  }
  rig.link.RefreshUsbDevices();
  EXPECT_EQ(box_opens, 2);
  EXPECT_TRUE(rig.link.machine().state().LinkOnline);
  EXPECT_TRUE(rig.link.machine().HoldTimerOn());
  rig.host.WriteParam(MakeAddr(0, 30), 99);
  rig.host.WriteParam(MakeAddr(0, 31), 98);
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(box.Param(0, 30), 99);
  EXPECT_EQ(box.Param(0, 31), 98);

  // A corrupted chunk during a reload: the checksum message on USB, the chunk asked again.
  box.CorruptNext(1);
  rig.link.machine().LoadDeviceMode(2);
  ASSERT_TRUE(WaitFor([&] { return rig.host.LastText() == "Online"; }));
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text, "数据包丢失数据 校验字不正确！");
  ASSERT_TRUE(rig.WaitDrained());
  EXPECT_EQ(rig.FirstDifference(box.Memory().params), "");

  // The box is unplugged: the rebuild that misses it declares the link lost at once.
  {
    std::lock_guard lock(shared->mutex);
    shared->devices.erase(shared->devices.begin());
  }
  rig.link.RefreshUsbDevices();
  EXPECT_FALSE(rig.link.machine().state().LinkOnline);
  EXPECT_FALSE(rig.link.machine().HoldTimerOn());
  ASSERT_EQ(rig.host.messages.size(), 2u);
  EXPECT_EQ(rig.host.messages[1].text, "已断开连接!");
}

TEST(LinkComponent, APortTextThatIsNoNumberIsReported) {
  QtLinkRig rig;
  rig.link.SetTcpEndpoint(QStringLiteral("127.0.0.1"), QStringLiteral("88x9"));
  rig.link.machine().LinkBtnClick(LinkButton::LinkBtn);
  ASSERT_TRUE(WaitFor([&] { return !rig.host.messages.empty(); }, 5000));
  EXPECT_EQ(rig.host.messages[0].text, "'88x9' is not a valid integer value");
  EXPECT_FALSE(rig.link.TcpConnected());
  // The search still ends, with the usual failure.
  ASSERT_TRUE(WaitFor([&] { return !rig.link.machine().SearchTimerOn(); }, 5000));
  EXPECT_EQ(rig.host.messages.back().text, "连接失败!");
}

}  // namespace
}  // namespace kdsp
