#include "boxsim/box_session.h"

#include <algorithm>

namespace kdsp::boxsim {

BoxSession::BoxSession(BoxSim& box, LinkKind kind, int send_gap_ms)
    : box_(box), kind_(kind), send_gap_ms_(std::max(0, send_gap_ms)) {}

void BoxSession::Feed(std::span<const std::uint8_t> bytes) {
  if (kind_ != LinkUsb) {
    for (const Bytes& frame : assembler_.Feed(bytes)) Accept(box_.Handle(frame, kind_));
    return;
  }
  // One output report: identifier 0, the frame, filler.
  if (bytes.size() < 4 || bytes[0] != 0) return;
  const auto body = bytes.subspan(1);
  const std::size_t size = body[2] + 3u;
  if (size > body.size()) return;
  Accept(box_.Handle(body.first(size), kind_));
}

void BoxSession::Accept(std::vector<Answer> answers) {
  const std::int64_t now = box_.NowMs();
  for (Answer& a : answers) {
    if (held_) {
      held_->bytes.insert(held_->bytes.end(), a.bytes.begin(), a.bytes.end());
      waiting_bytes_ -= held_->bytes.size() - a.bytes.size();  // Queue counts it again whole
      Queue(std::move(held_->bytes), std::max(held_->due_ms, a.due_ms));
      held_.reset();
    } else if (a.merge_with_next) {
      waiting_bytes_ += a.bytes.size();
      held_ = Send{std::move(a.bytes), a.due_ms};
      held_deadline_ms_ = now + BoxSim::kMergeHoldMs;
    } else if (a.split && a.bytes.size() >= 2) {
      const auto half = static_cast<std::ptrdiff_t>(a.bytes.size() / 2);
      Queue(Bytes(a.bytes.begin(), a.bytes.begin() + half), a.due_ms);
      Queue(Bytes(a.bytes.begin() + half, a.bytes.end()), a.due_ms + box_.SplitGapMs());
    } else {
      Queue(std::move(a.bytes), a.due_ms);
    }
  }
}

void BoxSession::Queue(Bytes bytes, std::int64_t due_ms) {
  // Answers leave in the order they were made, whatever delay each one carries.
  if (!out_.empty()) due_ms = std::max(due_ms, out_.back().due_ms);
  waiting_bytes_ += bytes.size();
  out_.push_back({std::move(bytes), due_ms});
}

void BoxSession::FlushHeld(std::int64_t now) {
  // A merged answer whose partner never comes goes out alone in the end.
  if (held_ && now >= held_deadline_ms_) {
    waiting_bytes_ -= held_->bytes.size();  // Queue counts it again
    Queue(std::move(held_->bytes), held_->due_ms);
    held_.reset();
  }
}

std::optional<Bytes> BoxSession::PopDue() {
  const std::int64_t now = box_.NowMs();
  FlushHeld(now);
  if (out_.empty() || out_.front().due_ms > now) return std::nullopt;
  if (last_send_ms_ && now < *last_send_ms_ + send_gap_ms_) return std::nullopt;
  Bytes bytes = std::move(out_.front().bytes);
  out_.pop_front();
  waiting_bytes_ -= bytes.size();
  last_send_ms_ = now;
  box_.CountSent();
  if (kind_ == LinkUsb) return PackReport(bytes, kInputReportLength);
  return bytes;
}

std::int64_t BoxSession::NextWakeMs() const {
  std::int64_t wake = -1;
  if (!out_.empty()) {
    wake = out_.front().due_ms;
    if (last_send_ms_) wake = std::max(wake, *last_send_ms_ + send_gap_ms_);
  }
  if (held_ && (wake < 0 || held_deadline_ms_ < wake)) wake = held_deadline_ms_;
  return wake;
}

}  // namespace kdsp::boxsim
