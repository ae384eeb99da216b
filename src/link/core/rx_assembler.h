#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "link/core/frame.h"

namespace kdsp {

/// One complete unit cut out of a byte stream: an acknowledgement (EE BB/AA/CC) or a frame of
/// LEN + 3 bytes whose box address and command have been screened.
struct RxUnit {
  bool is_ack = false;
  Bytes bytes;
  bool operator==(const RxUnit&) const = default;
};

/// Cuts frames and acknowledgements out of a byte stream (the serial port, and the TCP socket,
/// which is a stream too). Bytes may arrive in any pieces; a unit split across pieces is
/// completed by the next piece, several units in one piece all come out.
class RxAssembler {
 public:
  enum State : int { kHunting = 0, kHeader = 1, kBody = 2 };

  /// Takes the next bytes of the stream and returns the units they complete, in order.
  std::vector<RxUnit> Feed(std::span<const std::uint8_t> bytes);
  /// Back to hunting, dropping a partial unit (a new search, a new connection).
  void Reset();

  int RxState() const { return rx_state_; }
  int RxNeed() const { return rx_need_; }
  int RxGot() const { return rx_got_; }
  const Bytes& RxBuf() const { return rx_buf_; }

 private:
  void Hunt(std::uint8_t byte);
  void EndHeader(std::vector<RxUnit>& out);

  int rx_state_ = kHunting;
  int rx_need_ = 0;
  int rx_got_ = 0;
  Bytes rx_buf_;
};

}  // namespace kdsp
