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
}

void LinkMachine::OnTcpBytes(std::span<const std::uint8_t> bytes) {
  if (st_.kind != LinkTcp) return;  // read and dropped
  ReceiveUnits(LinkTcp, tcp_rx_.Feed(bytes));
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
  }
  dispatching_ = false;
  if (expedite_) SendExpedited();
}

}  // namespace kdsp
