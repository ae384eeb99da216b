#pragma once

#include <cstdint>
#include <optional>

#include "link/core/frame.h"

namespace kdsp {

/// The entries of the link state (`EnterLinkState`).
enum class LinkEntry {
  StartLinkRead,
  StartFullRead,
  StartHintRead,
  StartFullWrite,
  StartHintWrite,
  GoOnline,
  LostLink,
  LinkFailed,
  ModeSaved,
  HintModeSaved,
};

/// `XferState`: where the current exchange stands.
enum XferStateCode : int {
  kXferIdle = 0,
  kXferAcked = 1,       ///< an acknowledgement (or status frame) arrived
  kXferData = 2,        ///< a data frame arrived
  kXferSent = 3,        ///< a request went out and waits for its reply
  kXferSecondWait = 4,  ///< first time limit passed, request repeated
  kXferLastWait = 5,    ///< second time limit passed, request repeated again
};

/// Which button pressed `LinkBtnClick`.
enum class LinkButton { LinkBtn, UnLinkBtn };

/// What `SendControl` sends.
enum class ControlMessage { Probe, Farewell, Poll };

/// Direction of a transfer.
enum XferDirection : int { kXferRead = 0, kXferWrite = 1 };

/// The variables of the link: flags raised by the receive side, the transfer position and the
/// counters of the search, transfer and hold ticks. Owned by `LinkMachine`; the receive
/// dispatcher writes the flags.
struct LinkState {
  LinkKind kind = LinkUsb;  ///< `LinkKind`
  bool LinkOnline = false;
  bool BoxAnswered = false;
  bool ReadyToSend = false;
  bool RxError = false;
  int XferState = kXferIdle;
  int XferPos = 0;
  int XferEnd = 42;
  int XferDir = kXferRead;
  int ChunkIndex = 0;
  int NameIndex = 0;
  int TickCount = 0;
  int SearchCount = 0;
  int LastPortIndex = 0;
  bool LinkOpenSent = false;
  bool FirstOnlineDone = false;
  bool UsbMissSeen = false;
  int IdleTicks = 0;
  int MissedPolls = 0;
  std::optional<LinkEntry> PendingAction;
};

}  // namespace kdsp
