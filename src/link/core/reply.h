#pragma once

#include <cstdint>
#include <span>

#include "link/core/frame.h"

namespace kdsp {

/// What one unit from the box is, before anything is done with it.
enum class ReplyKind {
  Ack,      ///< EE BB, EE AA or EE CC
  Status,   ///< a frame on the status page
  Page,     ///< a frame on a parameter page (below the control page)
  Item,     ///< a frame on the control page other than a mode name
  Name,     ///< a device-mode name (30, 0) or hint-mode name (30, 32)
  Bad,      ///< a frame that is too short or fails its checksum
  Foreign,  ///< neither a frame nor an acknowledgement
};

/// One unit from the box, parsed: its kind, its address and payload, and whether the frame
/// was whole and its checksum right.
struct Reply {
  ReplyKind kind = ReplyKind::Foreign;
  int page = -1;
  int slot = -1;
  std::span<const std::uint8_t> payload;  ///< views the bytes given to `ParseReply`
  bool checksum_ok = false;
  bool short_frame = false;
};

/// Parses a USB report's data or one unit cut from the serial or TCP stream. `is_ack` is the
/// serial assembler's word that the unit is an acknowledgement. A USB report's frame ends where
/// its length byte says; a stream unit is the frame.
Reply ParseReply(LinkKind kind, std::span<const std::uint8_t> bytes, bool is_ack = false);

}  // namespace kdsp
