// The online exchange: paced writes through the send queue, polling, loss detection, and the
// mode recalls and saves with their follow-ups.
#include "link/core/link_machine.h"

namespace kdsp {

namespace {

// Hold ticks (20 ms) in one second.
constexpr int kTicksPerSecond = 50;
// Seconds without an answer before an idle link is declared lost.
constexpr int kLostAfterSeconds = 5;
// Seconds a recall or save may wait for the box.
constexpr int kPendingSeconds = 50;
// Values in one merged block write: a USB report carries a chunk of 25 as a download does; the
// serial port and TCP take what fits in one frame.
constexpr std::size_t kUsbChunkValues = 25;
constexpr std::size_t kBlockValuesMost = 124;
// Pages that block writes reach (the reset commands of page 26 and the control page never).
constexpr int kLastBlockPage = 25;

bool IsReadAction(LinkEntry e) {
  return e == LinkEntry::StartFullRead || e == LinkEntry::StartHintRead;
}

bool IsSaveAction(LinkEntry e) {
  return e == LinkEntry::ModeSaved || e == LinkEntry::HintModeSaved;
}

}  // namespace

void LinkMachine::SetRecallFollowUp(ParamAddr addr) {
  if (addr != RecallMode && addr != RecallHintMode) return;
  host_.ShowLinkText(kTextLoading);
  st_.LinkOnline = false;
  st_.MissedPolls = 0;
  st_.PendingAction = addr == RecallMode ? LinkEntry::StartFullRead : LinkEntry::StartHintRead;
}

void LinkMachine::SendNow(ParamAddr addr, std::uint16_t value) {
  Send(BuildValueFrame(CmdWrite, addr, value));
  st_.ReadyToSend = false;
}

void LinkMachine::SendParam(ParamAddr device_addr, int value) {
  if (host_.SendSuppressed() || !st_.LinkOnline) return;
  st_.IdleTicks = 0;
  const auto word = static_cast<std::uint16_t>(value);
  if (st_.ReadyToSend && queue_.Empty()) {
    st_.XferState = kXferIdle;
    st_.PendingAction.reset();
    SetRecallFollowUp(device_addr);
    queue_.Clear();
    SendNow(device_addr, word);
  } else {
    queue_.QueuePush(device_addr, word);
  }
}

void LinkMachine::SendExpedited() {
  if (queue_.Empty()) {
    expedite_ = false;
    return;
  }
  // A reload or a save waiting for the box keeps the hold tick's order.
  if (!st_.ReadyToSend || !st_.LinkOnline || st_.PendingAction) return;
  st_.MissedPolls = 0;
  st_.IdleTicks = 0;
  const QueuedWrite first = *queue_.QueuePop();
  // Waiting writes to the slots that follow on the same parameter page go with it as one block
  // write, as a download writes a page: one frame and one acknowledgement for the run.
  std::vector<std::uint16_t> run{first.value};
  const int page = PageOf(first.addr);
  const std::size_t most = st_.kind == LinkUsb ? kUsbChunkValues : kBlockValuesMost;
  while (page < kLastBlockPage + 1 && run.size() < most && !queue_.Empty()) {
    const QueuedWrite next = queue_.Peek();
    if (next.addr != first.addr + run.size() || PageOf(next.addr) != page) break;
    run.push_back(queue_.QueuePop()->value);
  }
  if (run.size() == 1) {
    SetRecallFollowUp(first.addr);
    SendNow(first.addr, first.value);
  } else {
    Bytes payload{static_cast<std::uint8_t>(page), static_cast<std::uint8_t>(SlotOf(first.addr))};
    for (std::uint16_t v : run) {
      payload.push_back(static_cast<std::uint8_t>(v & 0xFF));
      payload.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    Send(BuildFrame(CmdWrite, PageWrite, payload));
    st_.ReadyToSend = false;
  }
  if (queue_.Empty()) expedite_ = false;
}

void LinkMachine::SendParamAndHold(ParamAddr view_addr, int value) {
  host_.WriteParam(view_addr, value);
  st_.ReadyToSend = false;
}

void LinkMachine::HoldTick() {
  AgeStreams(tick_lengths_.hold_ms);
  st_.IdleTicks = st_.IdleTicks > kTicksPerSecond ? kTicksPerSecond : st_.IdleTicks + 1;

  SendWaitingSave();
  // A reload after a recall waits until the writes queued before it have gone out, so that the
  // values read back include them; a save's confirmation waits for the save to go out.
  const bool action_due =
      st_.PendingAction && !save_frame_ && !(IsReadAction(*st_.PendingAction) && !queue_.Empty());
  if (st_.ReadyToSend && action_due) {
    const LinkEntry entry = *st_.PendingAction;
    st_.PendingAction.reset();
    st_.MissedPolls = 0;
    st_.IdleTicks = 0;
    EnterLinkState(entry);
    if (!hold_on_) return;  // a transfer has taken over
  } else if (st_.PendingAction && st_.IdleTicks == kTicksPerSecond) {
    st_.IdleTicks = 0;
    if (++st_.MissedPolls > kPendingSeconds) {
      st_.MissedPolls = 0;
      const bool saving = IsSaveAction(*st_.PendingAction);
      st_.PendingAction.reset();
      save_frame_.reset();
      LostLink(saving ? kMsgSaveFailed : kMsgLinkLost);
      return;
    }
  }

  if (st_.ReadyToSend && !queue_.Empty()) {
    st_.MissedPolls = 0;
    st_.IdleTicks = 0;
    const QueuedWrite w = *queue_.QueuePop();
    // A recall that waited in the queue reloads the console like one sent at once.
    SetRecallFollowUp(w.addr);
    SendNow(w.addr, w.value);
  }

  if (st_.LinkOnline && st_.IdleTicks == kTicksPerSecond) {
    st_.IdleTicks = 0;
    ++st_.MissedPolls;
    if (st_.ReadyToSend) {
      st_.ReadyToSend = false;
      st_.MissedPolls = 0;
      SendControl(ControlMessage::Poll);
    } else if (st_.MissedPolls % 2 == 0 && queue_.Empty()) {
      SendControl(ControlMessage::Poll);
    }
    if (st_.MissedPolls >= kLostAfterSeconds) {
      st_.MissedPolls = 0;
      LostLink();
    }
  }
}

bool LinkMachine::ModeRequestAllowed(bool save) {
  if (st_.LinkOnline) return true;
  // Not online: either nothing is connected, or the link is in the middle of something (a
  // search, a transfer, a save or recall waiting for the box) that must not be mixed with it.
  const bool busy = search_on_ || transfer_on_ || st_.PendingAction.has_value();
  host_.ShowMessage(busy ? kMsgLinkBusy : (save ? kMsgSaveOffline : kMsgLoadOffline), kLinkCaption);
  return false;
}

void LinkMachine::StoreMode(ModeList list, int index, std::string_view name) {
  if (!ModeRequestAllowed(true)) return;
  const bool device = list == ModeList::Device;
  dispatcher_.SetModeName(device ? index : kHintNameBase + index,
                          std::string(name.substr(0, kMaxNameLength)));
  save_frame_ = device ? BuildSaveMode(index, name) : BuildSaveHintMode(index, name);
  st_.PendingAction = device ? LinkEntry::ModeSaved : LinkEntry::HintModeSaved;
  host_.ShowLinkText(kTextSaving);
  st_.LinkOnline = false;
  st_.MissedPolls = 0;
  st_.IdleTicks = 0;
  SendWaitingSave();
}

void LinkMachine::SendWaitingSave() {
  // Like any write, never more than one frame ahead of the box: the save follows the writes
  // queued before it, and only the box's acknowledgement of the save itself confirms it.
  if (!save_frame_ || !st_.ReadyToSend || !queue_.Empty()) return;
  Send(*save_frame_);
  save_frame_.reset();
  st_.ReadyToSend = false;
}

void LinkMachine::StoreDeviceMode(int index, std::string_view name) {
  StoreMode(ModeList::Device, index, name);
}

void LinkMachine::StoreHintMode(int index, std::string_view name) {
  StoreMode(ModeList::Hint, index, name);
}

void LinkMachine::ModeSaved(ModeList list) {
  const auto& names = dispatcher_.ModeNames();
  std::array<std::string, 16> items;
  for (int k = 1; k <= 16; ++k) {
    const int entry = list == ModeList::Device ? k - 1 : 25 + k;
    items[k - 1] = std::to_string(k) + "-" + names[entry];
  }
  host_.RefillModeList(list, items);
  st_.LinkOnline = true;
  host_.ShowLinkText(kTextOnline);
  host_.SetLinkColour(kColourOnline);
  host_.ShowMessage(kMsgSaveSuccess, kLinkCaption);
}

void LinkMachine::LoadDeviceMode(int index) {
  // Offline or busy the recall would change the current mode in the console only.
  if (ModeRequestAllowed(false)) host_.WriteParam(RecallMode, index);
}

void LinkMachine::LoadHintMode(int index) {
  if (ModeRequestAllowed(false)) host_.WriteParam(RecallHintMode, index);
}

void LinkMachine::SendUserPassword(std::string_view text) {
  Send(BuildTextWrite(UserPassword, text));
}

void LinkMachine::SendBluetoothName(std::string_view text) {
  Send(BuildTextWrite(BluetoothName, text));
}

void LinkMachine::Halt() { SetTimers(false, false, false); }

bool LinkMachine::ConnectionOpen() const {
  return st_.BoxAnswered && (st_.LinkOnline || search_on_ || transfer_on_ || hold_on_);
}

void LinkMachine::FarewellOnClose() {
  // Online, busy, linking or downloading alike: the box has a connection to let go.
  if (!ConnectionOpen()) return;
  // Nothing follows the farewell: the connection is let go once, and no timer sends more.
  st_.LinkOnline = false;
  st_.BoxAnswered = false;
  SetTimers(false, false, false);
  SendControl(ControlMessage::Farewell);
}

}  // namespace kdsp
