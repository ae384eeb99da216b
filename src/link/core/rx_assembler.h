#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/core/frame.h"

namespace kdsp {

/// One complete unit cut out of a byte stream: an acknowledgement (EE BB/AA/CC) or a frame of
/// LEN + 3 bytes whose box address and command have been screened. A frame whose checksum
/// does not match is still handed on (the receiver rejects it), but the stream does not trust
/// its length: the bytes after its first one are searched again.
struct RxUnit {
  bool is_ack = false;
  Bytes bytes;
  bool operator==(const RxUnit&) const = default;
};

/// Cuts frames and acknowledgements out of a byte stream (the serial port, and the TCP socket,
/// which is a stream too). Bytes may arrive in any pieces; a unit split across pieces is
/// completed by the next piece, several units in one piece all come out.
///
/// A stray header byte must not cost the good frames behind it: a header that fails the
/// screening, a frame that fails its checksum and a partial unit left waiting too long (see
/// `Age`) are each dropped by their first byte only, and the bytes after it are searched again.
class RxAssembler {
 public:
  enum State : int { kHunting = 0, kHeader = 1, kBody = 2 };

  /// Takes the next bytes of the stream and returns the units they complete, in order.
  std::vector<RxUnit> Feed(std::span<const std::uint8_t> bytes);
  /// Back to hunting, dropping a partial unit (a new search, a new connection).
  void Reset();
  /// Called from the link's timer ticks with the time one tick stands for. A partial unit
  /// that was already waiting at an earlier tick and has now waited `limit_ms` or more is
  /// dropped by its first byte; the units found in the bytes after it are returned.
  std::vector<RxUnit> Age(int elapsed_ms, int limit_ms);
  /// For a link that waits for an acknowledgement and nothing else: a partial frame that holds
  /// an acknowledgement after its header is a stray header, not a frame. Everything before the
  /// acknowledgement is dropped and the units found from there on are returned.
  std::vector<RxUnit> TakeHiddenAck();

  int RxState() const;
  /// Bytes the current state still waits for in all (3 or 1 for a header, LEN - 1 for a body).
  int RxNeed() const;
  /// Bytes of that count received so far.
  int RxGot() const;
  /// The bytes of the partial unit held so far.
  std::span<const std::uint8_t> RxBuf() const;

 private:
  void Scan(std::vector<RxUnit>& out);
  std::size_t Held() const { return stream_.size() - head_; }
  void Compact();

  // Bytes not yet consumed; a partial unit, if any, starts at `head_`.
  Bytes stream_;
  std::size_t head_ = 0;
  // Age of the partial unit in milliseconds; -1 while no tick has seen it yet.
  int age_ms_ = -1;
};

}  // namespace kdsp
