#include "link/core/link_machine.h"

#include <algorithm>
#include <cmath>

namespace kdsp {

LinkMachine::LinkMachine(ValueTable& device_values, LinkTransport& transport, LinkHost& host)
    : device_values_(device_values),
      transport_(transport),
      host_(host),
      dispatcher_(st_, device_values, host) {}

int LinkMachine::ProgressPercent() const {
  if (st_.XferEnd <= 0) return 0;
  const double percent = std::nearbyint(100.0 * st_.XferPos / st_.XferEnd);
  return std::clamp(static_cast<int>(percent), 0, 100);
}

void LinkMachine::Send(const Bytes& frame) { transport_.SendFrameBytes(st_.kind, frame); }

void LinkMachine::SetTimers(bool search, bool transfer, bool hold) {
  if (search == search_on_ && transfer == transfer_on_ && hold == hold_on_) return;
  search_on_ = search;
  transfer_on_ = transfer;
  hold_on_ = hold;
  if (timer_listener_) timer_listener_();
}

void LinkMachine::SetTransferInterval(int ms) {
  if (ms == transfer_interval_ms_) return;
  transfer_interval_ms_ = ms;
  if (timer_listener_) timer_listener_();
}

void LinkMachine::OnSerialBytes(std::span<const std::uint8_t> bytes) {
  // Serial bytes are assembled whatever the current transport is.
  ReceiveUnits(LinkCom, com_rx_.Feed(bytes));
  if (st_.kind == LinkCom) TakeHiddenAcks(LinkCom, com_rx_);
}

void LinkMachine::OnTcpBytes(std::span<const std::uint8_t> bytes) {
  if (st_.kind != LinkTcp) return;  // read and dropped
  ReceiveUnits(LinkTcp, tcp_rx_.Feed(bytes));
  TakeHiddenAcks(LinkTcp, tcp_rx_);
}

void LinkMachine::TakeHiddenAcks(LinkKind kind, RxAssembler& rx) {
  // While only an acknowledgement can come (the probe's, the handshake's, a download's), a
  // frame that would still need more bytes yet holds one is a stray header.
  const bool ack_only = (search_on_ && !st_.BoxAnswered) || (transfer_on_ && in_flight_.WantsAck());
  if (!ack_only) return;
  std::vector<RxUnit> units = rx.TakeHiddenAck();
  if (!units.empty()) ReceiveUnits(kind, std::move(units));
}

void LinkMachine::OnUsbReport(std::span<const std::uint8_t> report) {
  std::vector<RxUnit> one;
  one.push_back(RxUnit{false, Bytes(report.begin(), report.end())});
  ReceiveUnits(LinkUsb, std::move(one));
}

void LinkMachine::OnTransportLost(LinkKind kind) {
  if (kind != st_.kind) return;
  // During a search the next tick simply moves on; anything later was talking to the box.
  if (st_.LinkOnline || hold_on_ || transfer_on_) LostLink();
}

void LinkMachine::AgeStreams(int elapsed_ms) {
  std::vector<RxUnit> com = com_rx_.Age(elapsed_ms, transfer_interval_ms_);
  if (!com.empty()) ReceiveUnits(LinkCom, std::move(com));
  std::vector<RxUnit> tcp = tcp_rx_.Age(elapsed_ms, transfer_interval_ms_);
  if (!tcp.empty() && st_.kind == LinkTcp) ReceiveUnits(LinkTcp, std::move(tcp));
}

void LinkMachine::ReceiveUnits(LinkKind kind, std::vector<RxUnit> units) {
  for (auto& unit : units) units_.push_back(PendingUnit{kind, std::move(unit)});
  if (!dispatching_) DrainUnits();
}

void LinkMachine::DrainUnits() {
  dispatching_ = true;
  while (!units_.empty()) {
    PendingUnit next = std::move(units_.front());
    units_.pop_front();
    if (transfer_on_) {
      TransferUnit(next.kind, next.unit);
      continue;
    }
    const bool ack =
        ParseReply(next.kind, next.unit.bytes, next.unit.is_ack).kind == ReplyKind::Ack;
    if (next.kind != LinkCom) {
      dispatcher_.ParseIncoming(next.kind, next.unit.bytes);
    } else if (next.unit.is_ack) {
      dispatcher_.HandleAck();
    } else {
      // A reply came in; a status report, which answers no transfer request, sets the
      // state back to an acknowledgement's while it is taken.
      st_.XferState = kXferData;
      dispatcher_.ParseIncoming(LinkCom, next.unit.bytes);
    }
    if (ack && search_on_) HandshakeOnAck();
  }
  dispatching_ = false;
  // Answer-driven, each acknowledgement online sends the next waiting write at once.
  if (expedite_ || (!paced_ && hold_on_ && !queue_.Empty())) SendExpedited();
}

}  // namespace kdsp
