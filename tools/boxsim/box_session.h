#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>

#include "boxsim/box_sim.h"
#include "boxsim/stream_assembler.h"

namespace kdsp::boxsim {

/// Least pause between two TCP sends, so that each answer reaches the console's read alone.
inline constexpr int kTcpSendGapMs = 20;

/// One console connection to the box on one transport kind: turns what arrives into frames for
/// the box, and the box's answers into timed sends (split, merged or delayed when a fault says
/// so). On USB a send is a 64-byte input report: identifier 0, the frame, zeros.
class BoxSession {
 public:
  static constexpr int kInputReportLength = 64;
  static constexpr int kOutputReportLength = 65;

  /// `send_gap_ms`: least pause between two sends, so that separate answers reach a TCP
  /// reader in separate reads.
  BoxSession(BoxSim& box, LinkKind kind, int send_gap_ms = 0);

  /// Bytes from the console: a piece of the stream (TCP, serial) or one output report (USB:
  /// identifier 0, then the frame, its length taken from LEN).
  void Feed(std::span<const std::uint8_t> bytes);
  /// The next send if it is due now (and the gap since the last send has passed).
  std::optional<Bytes> PopDue();
  /// Box-clock time at which something next needs doing; -1 when nothing waits.
  std::int64_t NextWakeMs() const;
  /// Sends queued or held.
  std::size_t Waiting() const { return out_.size() + (held_ ? 1 : 0); }
  /// Bytes of the sends queued or held.
  std::size_t WaitingBytes() const { return waiting_bytes_; }
  /// True when so much waits to go out that the transport should stop reading from this
  /// console until it has taken some: a console that asks without reading cannot make the box
  /// grow without bound.
  bool Full() const { return waiting_bytes_ >= kMaxWaitingBytes; }
  static constexpr std::size_t kMaxWaitingBytes = 256 * 1024;
  LinkKind Kind() const { return kind_; }
  std::int64_t NowMs() const { return box_.NowMs(); }

 private:
  struct Send {
    Bytes bytes;
    std::int64_t due_ms;
  };
  void Accept(std::vector<Answer> answers);
  void Queue(Bytes bytes, std::int64_t due_ms);
  void FlushHeld(std::int64_t now);

  BoxSim& box_;
  LinkKind kind_;
  int send_gap_ms_;
  StreamAssembler assembler_;
  std::deque<Send> out_;
  std::optional<Send> held_;
  std::int64_t held_deadline_ms_ = 0;
  std::optional<std::int64_t> last_send_ms_;
  std::size_t waiting_bytes_ = 0;
};

}  // namespace kdsp::boxsim
