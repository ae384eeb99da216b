// The search for the box, the handshake and the link button.
#include <gtest/gtest.h>

#include "core_test_fakes.h"

namespace kdsp {
namespace {

using testing::LinkRig;

std::vector<std::string> Kinds(const LinkRig& rig, std::size_t from) {
  static const char* const kName[] = {"usb", "com", "tcp"};
  std::vector<std::string> out;
  for (std::size_t i = from; i < rig.transport.sent.size(); ++i) {
    out.push_back(kName[rig.transport.sent[i].kind]);
  }
  return out;
}

TEST(LinkSearch, UsbBoxAnsweringIsReadAfterThreeTicks) {
  LinkRig rig;
  rig.box_kind = LinkUsb;
  rig.transport.hid_present = true;
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  EXPECT_EQ(rig.host.LastText(), "Search...");
  EXPECT_EQ(rig.host.linked, true);
  EXPECT_TRUE(rig.host.popup_visible);
  EXPECT_TRUE(rig.machine.SearchTimerOn());
  EXPECT_FALSE(rig.machine.TransferTimerOn());
  EXPECT_EQ(rig.machine.kind(), LinkUsb);

  rig.SearchTicks(1);  // probe, acknowledged
  EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"probe"});
  EXPECT_EQ(rig.transport.sent[0].bytes,
            (Bytes{0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x30, 0x11, 0x00, 0x0B}));
  EXPECT_EQ(rig.host.popup_labels.back(), "  USB");
  EXPECT_TRUE(rig.machine.state().BoxAnswered);

  rig.Mark();
  rig.SearchTicks(1);  // LinkOpen
  ASSERT_EQ(rig.transport.sent.size(), 2u);
  EXPECT_EQ(rig.transport.sent[1].bytes,
            (Bytes{0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x03, 0x01, 0x00, 0xCE}));
  EXPECT_EQ(rig.machine.TransferIntervalMs(), 50);
  EXPECT_EQ(rig.host.LastText(), "Search...");

  rig.Mark();
  rig.SearchTicks(1);  // the full read starts
  EXPECT_EQ(rig.host.LastText(), "Linking...");
  EXPECT_EQ(rig.host.colour(), kColourLinking);
  EXPECT_FALSE(rig.machine.SearchTimerOn());
  EXPECT_TRUE(rig.machine.TransferTimerOn());
  EXPECT_FALSE(rig.machine.HoldTimerOn());
  EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"read 0"});
}

TEST(LinkSearch, SilentBoxUsbThenEachPortThenNetworkThenFailure) {
  LinkRig rig;
  rig.box_alive = false;
  rig.transport.hid_present = true;
  rig.transport.ports = {"/dev/ttyS0", "/dev/ttyUSB0"};
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);

  rig.SearchTicks(9);
  EXPECT_EQ(Kinds(rig, 0), std::vector<std::string>(9, "usb"));
  rig.SearchTicks(1);  // tick 10: the USB phase is spent, nothing sent
  EXPECT_EQ(rig.transport.sent.size(), 9u);
  EXPECT_EQ(rig.machine.kind(), LinkCom);

  rig.SearchTicks(3);  // ticks 11, 12: the two ports; tick 13: the list is spent
  EXPECT_EQ(rig.transport.opened_ports,
            (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0", ""}));
  EXPECT_EQ(Kinds(rig, 9), (std::vector<std::string>{"com", "com", "com"}));
  EXPECT_EQ(rig.machine.selected_port(), -1);
  EXPECT_EQ(rig.transport.tcp_connects, 0);

  rig.SearchTicks(1);  // tick 14: connect and probe
  EXPECT_EQ(rig.transport.tcp_connects, 1);
  EXPECT_EQ(rig.host.popup_labels.back(), "Network");
  rig.SearchTicks(1);  // tick 15: reconnect and probe
  EXPECT_EQ(rig.transport.tcp_connects, 2);
  rig.SearchTicks(1);  // tick 16: probe
  EXPECT_EQ(Kinds(rig, 12), (std::vector<std::string>{"tcp", "tcp", "tcp"}));
  EXPECT_TRUE(rig.host.messages.empty());

  rig.SearchTicks(1);  // tick 17: failure
  EXPECT_EQ(rig.transport.sent.size(), 15u);
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text, "连接失败!");
  EXPECT_EQ(rig.host.messages[0].caption, "提示");
  EXPECT_EQ(rig.host.LastText(), "Off Line");
  EXPECT_EQ(rig.host.colour(), kColourOffline);
  EXPECT_EQ(rig.host.linked, false);
  EXPECT_FALSE(rig.host.popup_visible);
  EXPECT_GE(rig.transport.tcp_disconnects, 1);
  EXPECT_FALSE(rig.machine.SearchTimerOn());
  EXPECT_FALSE(rig.machine.TransferTimerOn());
}

TEST(LinkSearch, WithoutUsbAndPortsTheSearchStartsOnTheNetwork) {
  LinkRig rig;
  rig.box_alive = false;
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  EXPECT_EQ(rig.machine.kind(), LinkTcp);
  rig.SearchTicks(2);
  EXPECT_EQ(rig.transport.tcp_connects, 1);
  EXPECT_EQ(rig.SentSinceMark(), (std::vector<std::string>{"probe", "probe"}));
  EXPECT_TRUE(rig.host.messages.empty());
  rig.SearchTicks(1);
  EXPECT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.transport.sent.size(), 2u);

  // The box on the network answering the second probe: handshake with the slower transfer
  // timer.
  LinkRig tcp;
  tcp.box_kind = LinkTcp;
  tcp.machine.LinkBtnClick(LinkButton::LinkBtn);
  tcp.SearchTicks(3);
  EXPECT_TRUE(tcp.machine.TransferTimerOn());
  EXPECT_EQ(tcp.machine.TransferIntervalMs(), 160);
  EXPECT_EQ(tcp.host.LastText(), "Linking...");
}

TEST(LinkSearch, ANamedHostStartsOnlyTheNextSearchOnTheNetwork) {
  LinkRig rig;
  rig.box_alive = false;
  rig.transport.hid_present = true;
  rig.transport.ports = {"/dev/ttyS0"};
  rig.machine.SetNextSearchFromNetwork(true);
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  EXPECT_EQ(rig.machine.kind(), LinkTcp);
  rig.SearchTicks(1);  // connect and probe at once, no USB or serial probe first
  EXPECT_EQ(rig.transport.tcp_connects, 1);
  EXPECT_EQ(Kinds(rig, 0), std::vector<std::string>{"tcp"});
  EXPECT_TRUE(rig.transport.opened_ports.empty());
  rig.SearchTicks(2);  // probe, then the network phase is spent
  EXPECT_EQ(Kinds(rig, 0), (std::vector<std::string>{"tcp", "tcp"}));
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.host.messages[0].text, "连接失败!");

  // The search after it keeps the usual order: USB first.
  rig.Mark();
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  EXPECT_EQ(rig.machine.kind(), LinkUsb);
  rig.SearchTicks(1);
  EXPECT_EQ(Kinds(rig, 2), std::vector<std::string>{"usb"});
}

TEST(LinkSearch, EverySearchListsThePortsAfreshFromTheFirst) {
  LinkRig rig;
  rig.box_alive = false;
  rig.transport.ports = {"/dev/ttyS0", "/dev/ttyS1"};
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  rig.SearchTicks(7);  // two ports, the spent list, three network ticks
  ASSERT_EQ(rig.host.messages.size(), 1u);
  EXPECT_EQ(rig.transport.opened_ports.size(), 3u);

  // A port plugged in since: the next search tries all three, starting at the first.
  rig.transport.ports = {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1"};
  rig.transport.opened_ports.clear();
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  EXPECT_EQ(rig.machine.kind(), LinkCom);
  rig.SearchTicks(4);
  EXPECT_EQ(rig.transport.opened_ports,
            (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1", ""}));
  EXPECT_EQ(rig.transport.port_listings, 2);

  // The box on the second port answers there.
  LinkRig found;
  found.box_kind = LinkCom;
  found.box_port = "/dev/ttyS1";
  found.transport.ports = {"/dev/ttyS0", "/dev/ttyS1"};
  found.machine.LinkBtnClick(LinkButton::LinkBtn);
  found.SearchTicks(4);  // port 1, port 2 (answers), LinkOpen, read
  EXPECT_EQ(found.transport.opened_ports.back(), "/dev/ttyS1");
  EXPECT_EQ(found.host.LastText(), "Linking...");
  EXPECT_EQ(found.transport.tcp_connects, 0);
}

TEST(LinkButton, UnlinksWithAFarewellAndRestartsSearchesWhenNotOnline) {
  LinkRig rig;
  rig.Connect(LinkCom);
  ASSERT_TRUE(rig.machine.state().LinkOnline);
  ASSERT_TRUE(rig.machine.HoldTimerOn());
  const auto colour = rig.host.colour();
  rig.Mark();
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  EXPECT_EQ(rig.SentSinceMark(), std::vector<std::string>{"farewell"});
  EXPECT_EQ(rig.transport.sent.back().bytes,
            (Bytes{0xF5, 0x2C, 0x06, 0xB7, 0x1E, 0x30, 0xAA, 0x00, 0xA4}));
  EXPECT_FALSE(rig.machine.state().LinkOnline);
  EXPECT_FALSE(rig.machine.HoldTimerOn());
  EXPECT_EQ(rig.host.LastText(), "Off Line");
  EXPECT_EQ(rig.host.colour(), colour);  // the user unlinked: no red
  EXPECT_EQ(rig.host.linked, false);
  EXPECT_TRUE(rig.host.messages.empty());

  // Pressed during a transfer (not online), the button starts a new search.
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  rig.SearchTicks(3);
  ASSERT_TRUE(rig.machine.TransferTimerOn());
  rig.machine.LinkBtnClick(LinkButton::LinkBtn);
  EXPECT_TRUE(rig.machine.SearchTimerOn());
  EXPECT_FALSE(rig.machine.TransferTimerOn());
  EXPECT_EQ(rig.host.LastText(), "Search...");
  // The hidden unlink button always goes offline.
  rig.machine.LinkBtnClick(LinkButton::UnLinkBtn);
  EXPECT_FALSE(rig.machine.SearchTimerOn());
  EXPECT_EQ(rig.host.LastText(), "Off Line");
}

}  // namespace
}  // namespace kdsp
