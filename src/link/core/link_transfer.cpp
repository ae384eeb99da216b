// Page transfers (full read, hint read, downloads) and the transitions online and offline.
#include "link/core/link_machine.h"
#include "model/selection.h"

namespace kdsp {

namespace {

// Positions of a full read: pages 0..25, then the control-page items 30..42. Positions 30 and
// 37 ask for the sixteen device-mode and hint-mode names.
constexpr int kLastPageRead = 25;
constexpr int kDeviceNamesPos = 30;
constexpr int kHintNamesPos = 37;
constexpr int kBeforeHintNamesPos = 36;
constexpr int kFirstItemPos = 30;
constexpr int kNamesPerList = 16;
constexpr int kVolumeLimitPage = 25;

// Ticks a request may wait for its reply: more than 30, then more than 20 (each time the
// request is repeated), then 100 more before the transfer fails.
constexpr int kFirstWaitTicks = 30;
constexpr int kSecondWaitTicks = 20;
constexpr int kLastWaitTicks = 100;

constexpr ParamAddr kAfterDownloadA = 0x1E17;
constexpr ParamAddr kAfterDownloadB = 0x1E18;

}  // namespace

void LinkMachine::EnterLinkState(LinkEntry entry) {
  switch (entry) {
    case LinkEntry::StartLinkRead:
    case LinkEntry::StartFullRead:
    case LinkEntry::StartHintRead:
    case LinkEntry::StartFullWrite:
    case LinkEntry::StartHintWrite:
      StartTransfer(entry);
      break;
    case LinkEntry::GoOnline:
      GoOnline();
      break;
    case LinkEntry::LostLink:
      LostLink();
      break;
    case LinkEntry::LinkFailed:
      LinkFailed();
      break;
    case LinkEntry::ModeSaved:
      ModeSaved(ModeList::Device);
      break;
    case LinkEntry::HintModeSaved:
      ModeSaved(ModeList::Hint);
      break;
  }
}

void LinkMachine::StartTransfer(LinkEntry entry) {
  const bool write = entry == LinkEntry::StartFullWrite || entry == LinkEntry::StartHintWrite;
  if (write && !st_.LinkOnline) return;
  const bool hint = entry == LinkEntry::StartHintRead || entry == LinkEntry::StartHintWrite;

  SetTimers(false, true, false);
  st_.XferPos = hint ? 22 : 0;
  st_.XferEnd = hint ? 25 : (write ? 29 : 42);
  st_.XferDir = write ? kXferWrite : kXferRead;
  st_.ChunkIndex = 0;
  st_.LinkOnline = false;
  if (entry == LinkEntry::StartLinkRead) {
    host_.SetLinkColour(kColourLinking);
    host_.ShowLinkText(kTextLinking);
  } else {
    host_.ShowLinkText(write ? kTextDownloading : kTextLoading);
  }
  // Every transfer waits for its first reply with the same time limits as for the others; the
  // state is set before the request goes out so that an immediate reply is not overwritten.
  // A bad frame seen before the transfer says nothing about its first reply.
  st_.RxError = false;
  st_.TickCount = 0;
  SetRequestWait(kXferSent);
  SendTransferStep(st_.XferPos, st_.ChunkIndex, st_.XferDir);
}

void LinkMachine::SendRequest(Bytes frame) {
  last_request_ = std::move(frame);
  in_flight_ = RequestInFlight(last_request_);
  if (!last_request_.empty()) Send(last_request_);
}

void LinkMachine::TransferUnit(LinkKind kind, const RxUnit& unit) {
  const Reply reply = ParseReply(kind, unit.bytes, unit.is_ack);
  const int state_before = st_.XferState;
  if (in_flight_.Matches(reply)) {
    if (reply.kind == ReplyKind::Ack) {
      dispatcher_.HandleAck();
    } else {
      dispatcher_.ParseIncoming(kind, unit.bytes);
      st_.XferState = kXferData;
    }
    st_.RxError = false;  // whatever came spoiled before, the answer is here now
    if (!paced_) AdvanceOnAnswer();
    return;
  }
  switch (reply.kind) {
    case ReplyKind::Ack:
      // Not what a read waits for; the box is there and ready all the same.
      st_.BoxAnswered = true;
      st_.ReadyToSend = true;
      return;
    case ReplyKind::Bad:
      dispatcher_.ParseIncoming(kind, unit.bytes);
      if (in_flight_.WantsFrame()) {
        // It may have been the answer: the request is asked again at the next tick.
        st_.XferState = kXferData;
      } else {
        // A download waits for acknowledgements; a spoiled frame answers none of its writes.
        st_.RxError = false;
        st_.XferState = state_before;
      }
      return;
    case ReplyKind::Status:
    case ReplyKind::Item:
      // What the box sends unasked (its status, its identification code, its system
      // password) is taken as always; it answers no request and moves nothing on.
      if (reply.kind == ReplyKind::Status || reply.slot == SlotOf(DeviceId) ||
          reply.slot == SlotOf(SystemPassword)) {
        dispatcher_.ParseIncoming(kind, unit.bytes);
        st_.XferState = state_before;
      }
      return;
    case ReplyKind::Page:
    case ReplyKind::Name:
    case ReplyKind::Foreign:
      // A page or a name nobody asked for is not stored: it would overwrite what the
      // transfer has read or is about to write.
      return;
  }
}

void LinkMachine::AdvanceOnAnswer() {
  if (!(st_.XferState == kXferData || (st_.XferState == kXferAcked && st_.XferDir == kXferWrite))) {
    return;
  }
  AdvanceTransfer();
  // The hint transfers end one step after their last page.
  if (transfer_on_ && st_.XferState == kXferData) AdvanceTransfer();
}

void LinkMachine::SendTransferStep(int pos, int chunk, int dir) {
  sent_chunk_ = chunk;
  sent_payload_ = staged_payload_;
  if (dir == kXferRead) {
    if (pos < kFirstItemPos) {
      SendRequest(BuildPageRead(pos, chunk, st_.kind));
    } else {
      SendRequest(BuildItemRead(pos, staged_payload_[0] + 256 * staged_payload_[1]));
    }
  } else {
    SendRequest(pos < kFirstItemPos ? BuildPageWrite(device_values_, pos, chunk, st_.kind)
                                    : Bytes());
  }
}

void LinkMachine::SetRequestWait(int stage) {
  request_wait_ = stage;
  st_.XferState = stage;
}

void LinkMachine::TransferTick() {
  AgeStreams(transfer_interval_ms_ == kTransferIntervalTcpMs ? tick_lengths_.transfer_tcp_ms
                                                             : tick_lengths_.transfer_ms);
  if (st_.TickCount != kLastWaitTicks) ++st_.TickCount;
  host_.UpdatePopup(ProgressPercent(), true);

  if (st_.XferState == kXferData || (st_.XferState == kXferAcked && st_.XferDir == kXferWrite)) {
    AdvanceTransfer();
    return;
  }
  // An acknowledgement or a status report does not answer a read: the request goes on waiting
  // where it stood.
  if (st_.XferState == kXferAcked || st_.XferState == kXferIdle) st_.XferState = request_wait_;
  // No reply yet: repeat the request at the first two limits, give up at the third. This holds
  // for every position and every transport.
  if (st_.XferState == kXferSent && st_.TickCount > kFirstWaitTicks) {
    paced_ = true;  // a box that needs a repeat gets the paced rhythm from now on
    SendRequest(last_request_);
    SetRequestWait(kXferSecondWait);
    st_.TickCount = 0;
  } else if (st_.XferState == kXferSecondWait && st_.TickCount > kSecondWaitTicks) {
    paced_ = true;
    SendRequest(last_request_);
    SetRequestWait(kXferLastWait);
    st_.TickCount = 0;
  } else if (st_.XferState == kXferLastWait && st_.TickCount >= kLastWaitTicks) {
    st_.XferState = kXferIdle;
    EnterLinkState(LinkEntry::LinkFailed);
  }
}

void LinkMachine::AdvanceTransfer() {
  const bool usb = st_.kind == LinkUsb;
  if (st_.XferPos < st_.XferEnd) {
    if (st_.XferPos == kDeviceNamesPos || st_.XferPos == kHintNamesPos) {
      if (st_.RxError) {
        // The same name again: it is filed under the same entry as the one that failed.
        staged_payload_ = sent_payload_;
      } else {
        staged_payload_ = {static_cast<std::uint8_t>(st_.NameIndex), 0};
        ++st_.NameIndex;
      }
      st_.RxError = false;
      if (st_.NameIndex > kNamesPerList) {
        st_.NameIndex = 0;
        ++st_.XferPos;
      }
    } else {
      if (st_.XferPos == kLastPageRead || st_.XferPos == kBeforeHintNamesPos) {
        st_.NameIndex = 0;
        staged_payload_ = {0, 0};
        // Pages 26 to 28 are never transferred; a bad page 25 is asked for again first.
        if (st_.XferPos == kLastPageRead && !st_.RxError) st_.XferPos = 29;
      }
      if (!st_.RxError) {
        if (ChunkLast(st_.XferPos) < st_.ChunkIndex || !usb) {
          ++st_.XferPos;
          st_.ChunkIndex = 0;
          if (st_.XferPos == kFirstItemPos) ++st_.NameIndex;
        }
      } else if (usb) {
        st_.ChunkIndex = sent_chunk_;  // the chunk that came back bad is asked for again
      }
      st_.RxError = false;
    }
    if (st_.XferEnd == 25 && st_.XferPos == 25) {
      st_.XferState = kXferData;  // the next tick ends the transfer
      st_.TickCount = 0;
      return;
    }
    if (st_.XferPos < st_.XferEnd || st_.XferDir != kXferWrite) {
      SendTransferStep(st_.XferPos, st_.ChunkIndex, st_.XferDir);
    } else {
      // A download ends by reading the volume limits back as a last exchange.
      sent_chunk_ = 0;
      SendRequest(BuildPageRead(kVolumeLimitPage, 0, st_.kind));
    }
    if (usb) ++st_.ChunkIndex;
  } else if (st_.RxError) {
    // The answer to the last request came spoiled: it is asked for again like any other.
    st_.RxError = false;
    SendRequest(last_request_);
  } else {
    st_.XferState = kXferIdle;
    SetTimers(search_on_, false, hold_on_);
    EnterLinkState(LinkEntry::GoOnline);
  }
  SetRequestWait(kXferSent);
  st_.TickCount = 0;
}

void LinkMachine::GoOnline() {
  const int stored_scene = device_values_.Get(kSceneAddr);
  host_.SetSceneMode(stored_scene > 1 ? 1 : stored_scene);
  const bool first = !st_.FirstOnlineDone;
  st_.FirstOnlineDone = true;
  host_.RefreshAllPages();

  st_.LinkOnline = true;
  host_.SetLinkColour(kColourOnline);
  SetLinkedLook(true);
  host_.ShowLinkText(kTextOnline);
  host_.UpdatePopup(ProgressPercent(), false);
  host_.ShowMainWindow();
  SetTimers(search_on_, transfer_on_, true);

  if (first) host_.WriteParam(LinkOpen, 1);
  if (st_.XferDir == kXferWrite) {
    host_.WriteParam(kAfterDownloadA, device_values_.Get(kControlPage, 23));
    host_.WriteParam(kAfterDownloadB, device_values_.Get(kControlPage, 24));
  }
}

void LinkMachine::LostLink(const BilingualText& message) {
  // Every timer stops here, the hold timer included, whoever declares the loss.
  SetTimers(false, false, false);
  host_.SetSendSuppressed(false);
  st_.LinkOnline = false;
  SetLinkedLook(false);
  host_.ShowLinkText(kTextOffline);
  host_.SetLinkColour(kColourOffline);
  host_.UpdatePopup(ProgressPercent(), false);
  host_.ShowMessage(message, kLinkCaption);
}

void LinkMachine::LinkFailed() {
  SetTimers(false, false, hold_on_);
  host_.SetSendSuppressed(false);
  host_.ShowLinkText(kTextOffline);
  host_.SetLinkColour(kColourOffline);
  SetLinkedLook(false);
  transport_.DisconnectTcp();
  host_.UpdatePopup(ProgressPercent(), false);
  host_.ShowMessage(kMsgLinkFailed, kLinkCaption);
}

}  // namespace kdsp
