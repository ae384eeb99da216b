#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "boxsim/box_memory.h"
#include "boxsim/fault.h"
#include "link/core/frame.h"

namespace kdsp::boxsim {

/// One answer of the box: a frame or an acknowledgement, with the moment it may go out and how
/// the transport should group it.
struct Answer {
  Bytes bytes;
  std::int64_t due_ms = 0;
  bool split = false;            ///< send in two halves
  bool merge_with_next = false;  ///< hold and send together with the next answer
};

/// Counters a test or a demonstration can look at.
struct BoxCounters {
  std::int64_t frames_received = 0;
  std::int64_t frames_rejected = 0;  ///< bad checksum, bad length or unknown command
  std::int64_t answers_sent = 0;     ///< answers handed to a transport
  std::int64_t answers_dropped = 0;
  std::int64_t hellos = 0;
  std::int64_t byes = 0;
};

/// The emulated box: its memory, what it answers to each complete frame and the faults it is
/// told to show. Transport-independent (the sessions do the byte work) and safe to use from
/// several threads: every public member takes the box's lock.
class BoxSim {
 public:
  using Clock = std::function<std::int64_t()>;
  using Log = std::function<void(std::string_view)>;

  /// A factory-fresh box on the steady clock.
  BoxSim();
  /// A box with the given memory and clock (milliseconds, any epoch).
  BoxSim(BoxMemory memory, Clock clock);

  BoxSim(const BoxSim&) = delete;
  BoxSim& operator=(const BoxSim&) = delete;

  /// Handles one complete frame received on a transport of `kind` and returns the answers in
  /// the order they go out (the unasked reports after `LinkOpen` included).
  std::vector<Answer> Handle(std::span<const std::uint8_t> frame, LinkKind kind);

  /// Fault injection: takes effect at once, or once `after_frames` frames have been received.
  void Inject(const Fault& fault);
  void Schedule(const ScheduledFault& fault);
  void DropNext(int n) { Inject({FaultKind::kDrop, n}); }
  void CorruptNext(int n = 1) { Inject({FaultKind::kCorrupt, n}); }
  void SplitNext(int n = 1) { Inject({FaultKind::kSplit, n}); }
  void MergeNext(int pairs = 1) { Inject({FaultKind::kMerge, pairs}); }
  /// Hears and answers nothing for `duration_ms` (0: until `Resume`).
  void GoSilent(int duration_ms = 0) { Inject({FaultKind::kSilent, duration_ms}); }
  void Resume() { Inject({FaultKind::kResume, 0}); }
  void SetAnswerDelay(int delay_ms) { Inject({FaultKind::kDelay, delay_ms}); }
  /// A slow box: a request arriving sooner than `gap_ms` after the last answer is not heard.
  void SetSlow(int gap_ms) { Inject({FaultKind::kSlow, gap_ms}); }
  /// Turns the music key (page 0 slot 6) as if at the front panel; clamped to 0..14.
  void TurnMusicKey(int key) { Inject({FaultKind::kKey, key}); }
  bool Silent() const;

  /// Pause between the two halves of a split frame.
  void SetSplitGapMs(int gap_ms);
  int SplitGapMs() const;
  /// Longest time the first answer of a merged pair waits for its partner.
  static constexpr int kMergeHoldMs = 2000;

  /// Inspection and direct set-up.
  BoxMemory Memory() const;
  std::int32_t Param(int page, int slot) const;
  void SetParam(int page, int slot, std::int32_t value);
  std::string ModeNameOf(int index) const;
  std::string HintModeNameOf(int index) const;
  std::string UserPasswordText() const;
  std::string BluetoothNameText() const;
  BoxCounters Counters() const;
  void CountSent();

  std::int64_t NowMs() const { return clock_(); }
  void SetLog(Log log);

 private:
  std::vector<Bytes> Respond(std::span<const std::uint8_t> frame, LinkKind kind);
  void ApplyWrite(int page, int slot, std::span<const std::uint8_t> payload,
                  std::vector<Bytes>& replies);
  Bytes ReadAnswer(int page, int slot, std::span<const std::uint8_t> payload, LinkKind kind);
  Bytes PageAnswer(int page, int first, LinkKind kind) const;
  Bytes StatusAnswer(int slot) const;
  void ApplyFault(const Fault& fault, std::int64_t now);
  void FireScheduled(std::int64_t now);
  std::vector<Answer> Shape(std::vector<Bytes> replies, LinkKind kind, std::int64_t now);
  void Logf(std::string_view what, std::span<const std::uint8_t> bytes);

  mutable std::mutex mutex_;
  BoxMemory memory_;
  Clock clock_;
  Log log_;
  BoxCounters counters_;
  std::vector<ScheduledFault> scheduled_;
  int drop_next_ = 0;
  int corrupt_next_ = 0;
  int split_next_ = 0;
  int merge_next_ = 0;
  int stray_next_ = 0;
  bool merge_partner_due_ = false;
  int delay_ms_ = 0;
  int slow_ms_ = 0;
  // When the last answer went out (its due time); before any answer, long ago.
  std::int64_t last_answer_ms_ = std::numeric_limits<std::int64_t>::min() / 2;
  int split_gap_ms_ = 60;
  std::int64_t silent_until_ms_ = std::numeric_limits<std::int64_t>::min();
};

/// Hex text of bytes, "F5 2C 06 ...".
std::string HexText(std::span<const std::uint8_t> bytes);

}  // namespace kdsp::boxsim
