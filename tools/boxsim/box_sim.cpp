#include "boxsim/box_sim.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "model/page_layout.h"

namespace kdsp::boxsim {
namespace {

constexpr std::uint8_t kAckCode = 0xBB;

std::int64_t SteadyNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int Word(std::span<const std::uint8_t> payload, std::size_t index) {
  return payload[2 * index] | (payload[2 * index + 1] << 8);
}

void AppendWord(Bytes& out, std::int32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// Names are kept without the padding a save may carry.
std::string NameFrom(std::span<const std::uint8_t> bytes) {
  std::string name(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), kNameBytes));
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
  return name;
}

std::span<const std::uint8_t> TextSpan(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

void CopyPages(const ValueTable& from, ValueTable& to, int first, int last) {
  for (int page = first; page <= last; ++page) {
    for (int s = 0; s < kSlotCount; ++s) to.Set(page, s, from.Get(page, s));
  }
}

bool IsFourDigits(std::span<const std::uint8_t> text) {
  return text.size() == 4 &&
         std::all_of(text.begin(), text.end(), [](std::uint8_t c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string HexText(std::span<const std::uint8_t> bytes) {
  std::string out;
  char buf[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
    out += buf;
  }
  return out;
}

BoxSim::BoxSim() : BoxSim(MakeFactoryMemory(), SteadyNowMs) {}

BoxSim::BoxSim(BoxMemory memory, Clock clock)
    : memory_(std::move(memory)), clock_(clock ? std::move(clock) : Clock(SteadyNowMs)) {}

std::vector<Answer> BoxSim::Handle(std::span<const std::uint8_t> frame, LinkKind kind) {
  std::lock_guard lock(mutex_);
  const std::int64_t now = clock_();
  FireScheduled(now);
  ++counters_.frames_received;
  if (now < silent_until_ms_) {
    Logf("unheard", frame);
    return {};
  }
  if (slow_ms_ > 0 && now < last_answer_ms_ + slow_ms_) {
    Logf("too soon", frame);
    return {};
  }
  const bool well_formed = frame.size() >= 7 && frame[0] == kFrameHeader &&
                           frame[1] == BoxAddress && frame[2] + 3u == frame.size() &&
                           (frame[3] == CmdWrite || frame[3] == CmdRead) &&
                           FrameChecksum(frame, frame.size()) == frame.back();
  if (!well_formed) {
    ++counters_.frames_rejected;
    Logf("rejected", frame);
    return {};
  }
  Logf("rx", frame);
  return Shape(Respond(frame, kind), kind, now);
}

std::vector<Bytes> BoxSim::Respond(std::span<const std::uint8_t> frame, LinkKind kind) {
  const int page = frame[4];
  const int slot = frame[5];
  const auto payload = frame.subspan(6, frame.size() - 7);
  std::vector<Bytes> replies;
  if (frame[3] == CmdWrite) {
    replies.push_back({kAckLead, kAckCode});
    ApplyWrite(page, slot, payload, replies);
    // While the sync flag is set microphone 2 follows microphone 1 whatever was written.
    if (memory_.params.Get(1, 13) == 1) CopyMicrophoneOneToTwo(memory_.params);
  } else {
    Bytes answer = ReadAnswer(page, slot, payload, kind);
    if (!answer.empty()) replies.push_back(std::move(answer));
  }
  return replies;
}

void BoxSim::ApplyWrite(int page, int slot, std::span<const std::uint8_t> payload,
                        std::vector<Bytes>& replies) {
  ValueTable& params = memory_.params;
  const std::size_t words = payload.size() / 2;
  if (page < kControlPage) {
    for (std::size_t i = 0; i < words; ++i) {
      params.Set(page, slot + static_cast<int>(i), Word(payload, i));
    }
    // Slot n of page 26 is a command: 1 resets equaliser block n, then reads back as 0.
    if (page == 26 && words >= 1 && Word(payload, 0) == 1 && ResetEqualiserBlock(params, slot)) {
      params.Set(26, slot, 0);
    }
    return;
  }
  if (page != kControlPage) return;
  const int value = words >= 1 ? Word(payload, 0) : -1;
  const bool mode_index = value >= 0 && value < kModeCount;
  const auto index = static_cast<std::size_t>(value);
  switch (slot) {
    case SlotOf(SaveMode):
      if (!mode_index) return;
      CopyPages(params, memory_.modes[index], kModeFirstPage, kModeLastPage);
      memory_.mode_names[index] = NameFrom(payload.subspan(2));
      params.Set(30, slot, value);
      return;
    case SlotOf(RecallMode):
      if (!mode_index) return;
      CopyPages(memory_.modes[index], params, kModeFirstPage, kModeLastPage);
      params.Set(30, slot, value);
      return;
    case SlotOf(SaveHintMode):
      if (!mode_index) return;
      CopyPages(params, memory_.hint_modes[index], kHintFirstPage, kHintLastPage);
      memory_.hint_names[index] = NameFrom(payload.subspan(2));
      params.Set(30, slot, value);
      return;
    case SlotOf(RecallHintMode):
      if (!mode_index) return;
      CopyPages(memory_.hint_modes[index], params, kHintFirstPage, kHintLastPage);
      params.Set(30, slot, value);
      return;
    case SlotOf(LinkOpen):
      params.Set(30, slot, value);
      if (value == 1) {
        // A console has opened the link: tell it who we are, unasked.
        replies.push_back(BuildFrame(CmdWrite, DeviceId, memory_.device_id));
        replies.push_back(BuildTextWrite(SystemPassword, memory_.system_password));
      }
      return;
    case SlotOf(UserPassword):
      if (IsFourDigits(payload)) memory_.user_password.assign(payload.begin(), payload.end());
      return;
    case SlotOf(BluetoothName):
      memory_.bluetooth_name = NameFrom(payload);
      return;
    case SlotOf(PageWrite): {
      if (payload.size() < 2 || payload[0] >= kControlPage) return;
      const auto values = payload.subspan(2);
      for (std::size_t i = 0; i < values.size() / 2; ++i) {
        params.Set(payload[0], payload[1] + static_cast<int>(i), Word(values, i));
      }
      return;
    }
    case SlotOf(LinkControl):
      if (value == HelloCode) ++counters_.hellos;
      if (value == ByeCode) ++counters_.byes;
      return;
    case SlotOf(ModeName):
    case SlotOf(SystemPassword):
    case SlotOf(PageRead):
    case SlotOf(HintModeName):
    case SlotOf(DeviceId):
      return;  // read-only items and commands without a stored value
    default:
      if (value >= 0) params.Set(30, slot, value);
      return;
  }
}

Bytes BoxSim::ReadAnswer(int page, int slot, std::span<const std::uint8_t> payload, LinkKind kind) {
  const ValueTable& params = memory_.params;
  if (page < kControlPage) {
    return BuildValueFrame(CmdRead, MakeAddr(page, slot),
                           static_cast<std::uint16_t>(params.Get(page, slot)));
  }
  if (page == kStatusPage) return StatusAnswer(slot);
  if (page != kControlPage) return {};
  const int value = payload.size() >= 2 ? Word(payload, 0) : 0;
  const bool mode_index = value >= 0 && value < kModeCount;
  const auto index = static_cast<std::size_t>(value);
  switch (slot) {
    case SlotOf(PageRead):
      if (payload.size() < 2) return {};
      if ((value & 0xFF) == kStatusPage) return StatusAnswer(value >> 8);
      return PageAnswer(value & 0xFF, value >> 8, kind);
    case SlotOf(ModeName):
      return BuildFrame(CmdRead, ModeName,
                        TextSpan(mode_index ? memory_.mode_names[index] : std::string()));
    case SlotOf(HintModeName):
      return BuildFrame(CmdRead, HintModeName,
                        TextSpan(mode_index ? memory_.hint_names[index] : std::string()));
    case SlotOf(UserPassword):
      return BuildTextWrite(UserPassword, memory_.user_password);
    case SlotOf(SystemPassword):
      return BuildTextWrite(SystemPassword, memory_.system_password);
    case SlotOf(DeviceId):
      return BuildFrame(CmdRead, DeviceId, memory_.device_id);
    default:
      return BuildValueFrame(CmdRead, MakeAddr(kControlPage, slot),
                             static_cast<std::uint16_t>(params.Get(kControlPage, slot)));
  }
}

Bytes BoxSim::PageAnswer(int page, int first, LinkKind kind) const {
  Bytes payload;
  if (page <= kControlPage) {
    const int available = std::max(0, PageLength(page) - first);
    const int count =
        std::min(available, kind == LinkUsb ? kChunkSlots : static_cast<int>(kMaxPayload / 2));
    for (int i = 0; i < count; ++i) AppendWord(payload, memory_.params.Get(page, first + i));
  }
  return BuildFrame(CmdRead, MakeAddr(page, first), payload);
}

Bytes BoxSim::StatusAnswer(int slot) const {
  // The box's status report: a few live settings and, at byte 12, the music key.
  const ValueTable& p = memory_.params;
  Bytes payload(16, 0);
  payload[0] = static_cast<std::uint8_t>(p.Get(30, 2));
  payload[1] = static_cast<std::uint8_t>(p.Get(30, 34));
  payload[2] = static_cast<std::uint8_t>(p.Get(0, 65));
  payload[3] = static_cast<std::uint8_t>(p.Get(0, 64));
  payload[4] = static_cast<std::uint8_t>(p.Get(30, 4));
  for (int i = 0; i < 3; ++i) payload[5 + i] = static_cast<std::uint8_t>(p.Get(25, i));
  payload[12] = static_cast<std::uint8_t>(p.Get(0, 6));
  return BuildFrame(CmdRead, MakeAddr(kStatusPage, slot), payload);
}

std::vector<Answer> BoxSim::Shape(std::vector<Bytes> replies, LinkKind kind, std::int64_t now) {
  std::vector<Answer> out;
  const bool stream = kind != LinkUsb;
  for (Bytes& reply : replies) {
    if (drop_next_ > 0) {
      --drop_next_;
      ++counters_.answers_dropped;
      Logf("dropped", reply);
      continue;
    }
    Answer a;
    a.bytes = std::move(reply);
    a.due_ms = now + delay_ms_;
    const bool is_frame = a.bytes.front() == kFrameHeader;
    if (is_frame && corrupt_next_ > 0) {
      --corrupt_next_;
      a.bytes.back() = static_cast<std::uint8_t>(a.bytes.back() + 1);
      Logf("corrupted", a.bytes);
    }
    if (stream && stray_next_ > 0) {
      --stray_next_;
      // A header claiming the longest frame: a console that trusts it waits for 258 bytes.
      const Bytes stray = {kFrameHeader, BoxAddress, 0xFF, CmdWrite};
      a.bytes.insert(a.bytes.begin(), stray.begin(), stray.end());
      Logf("stray", stray);
    }
    if (stream && is_frame && split_next_ > 0) {
      --split_next_;
      a.split = true;
    }
    if (stream) {
      if (merge_partner_due_) {
        merge_partner_due_ = false;  // joins the answer held before it
      } else if (merge_next_ > 0) {
        --merge_next_;
        a.merge_with_next = true;
        merge_partner_due_ = true;
      }
    }
    Logf("tx", a.bytes);
    last_answer_ms_ = a.due_ms;
    out.push_back(std::move(a));
  }
  return out;
}

void BoxSim::ApplyFault(const Fault& fault, std::int64_t now) {
  const int v = std::max(0, fault.value);
  switch (fault.kind) {
    case FaultKind::kDrop:
      drop_next_ += v;
      break;
    case FaultKind::kCorrupt:
      corrupt_next_ += v;
      break;
    case FaultKind::kSplit:
      split_next_ += v;
      break;
    case FaultKind::kMerge:
      merge_next_ += v;
      break;
    case FaultKind::kSilent:
      silent_until_ms_ = v == 0 ? std::numeric_limits<std::int64_t>::max() : now + v;
      break;
    case FaultKind::kResume:
      silent_until_ms_ = std::numeric_limits<std::int64_t>::min();
      break;
    case FaultKind::kDelay:
      delay_ms_ = v;
      break;
    case FaultKind::kKey:
      memory_.params.Set(0, 6, std::min(v, 14));
      break;
    case FaultKind::kStray:
      stray_next_ += v;
      break;
    case FaultKind::kSlow:
      slow_ms_ = v;
      break;
  }
  if (log_) {
    log_("fault " + std::string(FaultName(fault.kind)) + " " + std::to_string(fault.value));
  }
}

void BoxSim::FireScheduled(std::int64_t now) {
  auto due = [this](const ScheduledFault& f) {
    return f.after_frames <= counters_.frames_received;
  };
  for (const ScheduledFault& f : scheduled_) {
    if (due(f)) ApplyFault(f.fault, now);
  }
  std::erase_if(scheduled_, due);
}

void BoxSim::Inject(const Fault& fault) {
  std::lock_guard lock(mutex_);
  ApplyFault(fault, clock_());
}

void BoxSim::Schedule(const ScheduledFault& fault) {
  std::lock_guard lock(mutex_);
  if (fault.after_frames <= counters_.frames_received) {
    ApplyFault(fault.fault, clock_());
  } else {
    scheduled_.push_back(fault);
  }
}

bool BoxSim::Silent() const {
  std::lock_guard lock(mutex_);
  return clock_() < silent_until_ms_;
}

void BoxSim::SetSplitGapMs(int gap_ms) {
  std::lock_guard lock(mutex_);
  split_gap_ms_ = std::max(0, gap_ms);
}

int BoxSim::SplitGapMs() const {
  std::lock_guard lock(mutex_);
  return split_gap_ms_;
}

BoxMemory BoxSim::Memory() const {
  std::lock_guard lock(mutex_);
  return memory_;
}

std::int32_t BoxSim::Param(int page, int slot) const {
  std::lock_guard lock(mutex_);
  return memory_.params.Get(page, slot);
}

void BoxSim::SetParam(int page, int slot, std::int32_t value) {
  std::lock_guard lock(mutex_);
  memory_.params.Set(page, slot, value);
}

std::string BoxSim::ModeNameOf(int index) const {
  std::lock_guard lock(mutex_);
  return index >= 0 && index < kModeCount ? memory_.mode_names[static_cast<std::size_t>(index)]
                                          : std::string();
}

std::string BoxSim::HintModeNameOf(int index) const {
  std::lock_guard lock(mutex_);
  return index >= 0 && index < kModeCount ? memory_.hint_names[static_cast<std::size_t>(index)]
                                          : std::string();
}

std::string BoxSim::UserPasswordText() const {
  std::lock_guard lock(mutex_);
  return memory_.user_password;
}

std::string BoxSim::BluetoothNameText() const {
  std::lock_guard lock(mutex_);
  return memory_.bluetooth_name;
}

BoxCounters BoxSim::Counters() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

void BoxSim::CountSent() {
  std::lock_guard lock(mutex_);
  ++counters_.answers_sent;
}

void BoxSim::SetLog(Log log) {
  std::lock_guard lock(mutex_);
  log_ = std::move(log);
}

void BoxSim::Logf(std::string_view what, std::span<const std::uint8_t> bytes) {
  if (log_) log_(std::string(what) + " " + HexText(bytes));
}

}  // namespace kdsp::boxsim
