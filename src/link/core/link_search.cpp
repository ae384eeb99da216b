// The search for the box, the handshake and going offline by the link button.
#include "link/core/link_machine.h"

namespace kdsp {

namespace {

// Probes sent on USB before the search moves on: one a tick while the count is below 10.
constexpr int kUsbSearchTicks = 10;
// Ticks on the network: connect and probe, probe, then give up.
constexpr int kTcpSearchTicks = 3;

}  // namespace

void LinkMachine::SetLinkedLook(bool linked) { host_.SetLinkLook(linked); }

void LinkMachine::LinkBtnClick(LinkButton sender) {
  if (sender != LinkButton::LinkBtn || st_.LinkOnline) {
    GoOffline();
  } else {
    StartSearch();
  }
}

void LinkMachine::GoOffline() {
  st_.LinkOnline = false;
  SetLinkedLook(false);
  SetTimers(false, false, false);
  save_frame_.reset();
  SendControl(ControlMessage::Farewell);
  host_.ShowLinkText(kTextOffline);
  host_.UpdatePopup(ProgressPercent(), false);
}

void LinkMachine::StartSearch() {
  st_.BoxAnswered = false;
  st_.SearchCount = 0;
  st_.FirstOnlineDone = false;
  host_.SetSendSuppressed(false);
  com_rx_.Reset();
  tcp_rx_.Reset();
  // A recall or save left waiting by the last connection has nothing to act on any more.
  st_.PendingAction.reset();
  save_frame_.reset();

  // The serial ports are listed afresh for every search, so that ports plugged in since are
  // tried and every search starts at the first one.
  ports_ = transport_.ListSerialPorts();
  port_selected_ = ports_.empty() ? -1 : 0;
  st_.LastPortIndex = 0;

  // Each connection starts at the pace chosen for it.
  paced_ = paced_always_;
  tcp_connected_early_ = false;
  if (next_search_network_) {
    next_search_network_ = false;
    st_.kind = LinkTcp;
  } else if (transport_.HidPresent()) {
    st_.kind = LinkUsb;
  } else if (port_selected_ < 0) {
    st_.kind = LinkTcp;
  } else {
    st_.kind = LinkCom;
  }

  SetTimers(true, false, false);
  SetLinkedLook(true);
  queue_.Clear();

  host_.ShowLinkText(kTextSearching);
  st_.XferPos = 0;
  st_.XferEnd = 42;
  host_.UpdatePopup(ProgressPercent(), true);

  // Answer-driven, a search that starts on the network connects at once; the probe follows as
  // soon as the connection is up.
  if (st_.kind == LinkTcp && !paced_) {
    host_.SetPopupTransport(kComLabelNetwork);
    tcp_connected_early_ = true;
    transport_.ConnectTcp();
  }
}

void LinkMachine::OnTcpConnected() {
  if (!search_on_ || paced_ || st_.kind != LinkTcp || st_.BoxAnswered) return;
  SendControl(ControlMessage::Probe);
}

void LinkMachine::HandshakeOnAck() {
  if (paced_ || st_.kind != LinkTcp || !st_.BoxAnswered) return;
  SetTransferInterval(kTransferIntervalTcpMs);
  if (!st_.LinkOpenSent) {
    st_.LinkOpenSent = true;
    Send(BuildValueFrame(CmdWrite, LinkOpen, 1));
  } else {
    EnterLinkState(LinkEntry::StartLinkRead);
  }
}

void LinkMachine::OnUsbListRebuilt(bool box_found) {
  if (box_found) {
    // Another HID device came or went while the box stays attached: the transport layer has
    // the box on its new handle and the link carries on.
    if (st_.LinkOnline && st_.kind == LinkUsb) return;
    st_.kind = LinkUsb;
    LinkBtnClick(LinkButton::LinkBtn);
    return;
  }
  // Only the first rebuild without the box acts on its absence.
  if (st_.UsbMissSeen) return;
  st_.UsbMissSeen = true;
  if (st_.kind != LinkUsb) return;
  if (st_.LinkOnline) {
    LostLink();
  } else {
    st_.kind = LinkCom;
    LinkBtnClick(LinkButton::LinkBtn);
  }
}

void LinkMachine::SendControl(ControlMessage message) {
  switch (message) {
    case ControlMessage::Probe:
      st_.LinkOpenSent = false;
      Send(BuildValueFrame(CmdWrite, LinkControl, HelloCode));
      break;
    case ControlMessage::Farewell:
      Send(BuildValueFrame(CmdWrite, LinkControl, ByeCode));
      break;
    case ControlMessage::Poll:
      Send(BuildValueFrame(CmdRead, PageRead, kStatusPage));
      break;
  }
}

void LinkMachine::SearchTick() {
  AgeStreams(tick_lengths_.search_ms);
  host_.UpdatePopup(ProgressPercent(), true);
  if (st_.BoxAnswered) {
    if (!st_.LinkOpenSent) {
      st_.LinkOpenSent = true;
      Send(BuildValueFrame(CmdWrite, LinkOpen, 1));
    } else {
      EnterLinkState(LinkEntry::StartLinkRead);
    }
    SetTransferInterval(st_.kind == LinkTcp ? kTransferIntervalTcpMs : kTransferIntervalMs);
    return;
  }
  switch (st_.kind) {
    case LinkUsb:
      SearchUsb();
      break;
    case LinkCom:
      SearchCom();
      break;
    case LinkTcp:
      SearchTcp();
      break;
  }
}

void LinkMachine::SearchUsb() {
  ++st_.SearchCount;
  if (!transport_.HidPresent() || st_.SearchCount >= kUsbSearchTicks) {
    st_.kind = LinkCom;
    st_.SearchCount = 0;
    return;
  }
  SendControl(ControlMessage::Probe);
  host_.SetPopupTransport(kComLabelUsb);
}

void LinkMachine::SearchCom() {
  if (st_.SearchCount <= st_.LastPortIndex + 1 && port_selected_ >= 0) {
    // One probe and one tick per port; one more tick with no port selected ends the list.
    const int count = static_cast<int>(ports_.size());
    port_selected_ = st_.SearchCount < count ? st_.SearchCount : -1;
    const std::string name = port_selected_ >= 0 ? ports_[port_selected_] : std::string();
    host_.SetPopupTransport(name);
    st_.LastPortIndex = port_selected_;
    transport_.OpenComPort(name);
    SendControl(ControlMessage::Probe);
    ++st_.SearchCount;
    return;
  }
  st_.SearchCount = 0;
  st_.kind = LinkTcp;
  host_.SetPopupTransport(kComLabelNetwork);
  tcp_rx_.Reset();
  transport_.ConnectTcp();
  SendControl(ControlMessage::Probe);
}

void LinkMachine::SearchTcp() {
  if (st_.SearchCount == 0 && !tcp_connected_early_) {
    host_.SetPopupTransport(kComLabelNetwork);
    tcp_rx_.Reset();
    transport_.ConnectTcp();
  }
  tcp_connected_early_ = false;
  ++st_.SearchCount;
  if (st_.SearchCount >= kTcpSearchTicks) {
    st_.SearchCount = 0;
    transport_.DisconnectTcp();
    EnterLinkState(LinkEntry::LinkFailed);
    return;
  }
  SendControl(ControlMessage::Probe);
}

}  // namespace kdsp
