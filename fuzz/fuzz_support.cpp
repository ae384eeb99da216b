#include "fuzz_support.h"

namespace kdsp::fuzz {

bool IsWellFormedFrame(std::span<const std::uint8_t> frame) {
  return frame.size() >= 7 && frame.size() <= 258 && frame[0] == kFrameHeader &&
         frame[1] == BoxAddress && frame[2] + 3u == frame.size() &&
         (frame[3] == CmdWrite || frame[3] == CmdRead) &&
         FrameChecksum(frame, frame.size()) == frame.back();
}

bool ZeroOutside(const ValueTable& table, std::span<const int> pages) {
  static const ValueTable kZero;
  ValueTable rest = table;
  for (const int page : pages) {
    for (int slot = 0; slot < kSlotCount; ++slot) rest.Set(page, slot, 0);
  }
  return rest == kZero;
}

bool HoldsWords(const ValueTable& table) {
  for (int page = 0; page < kPageCount; ++page) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const std::int32_t v = table.Get(page, slot);
      if (v < 0 || v > 0xFFFF) return false;
    }
  }
  return true;
}

const ValueTable& MarkedTable() {
  static const ValueTable marked = [] {
    ValueTable t;
    for (int page = 0; page < kPageCount; ++page) {
      for (int slot = 0; slot < kSlotCount; ++slot) t.Set(page, slot, 70000 + slot);
    }
    return t;
  }();
  return marked;
}

bool OnlyChangedWhere(const ValueTable& table, bool (*may_change)(int page, int slot, int kind),
                      int kind) {
  const ValueTable& marked = MarkedTable();
  for (int page = 0; page < kPageCount; ++page) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const std::int32_t v = table.Get(page, slot);
      if (v == marked.Get(page, slot)) continue;
      if (!may_change(page, slot, kind) || v < 0 || v > 0xFFFF) return false;
    }
  }
  return true;
}

void CheckingTransport::SendFrameBytes(LinkKind kind, std::span<const std::uint8_t> frame) {
  KDSP_FUZZ_CHECK(kind == LinkUsb || kind == LinkCom || kind == LinkTcp);
  KDSP_FUZZ_CHECK(IsWellFormedFrame(frame));
  // A frame has to fit one output report on USB.
  if (kind == LinkUsb) KDSP_FUZZ_CHECK(frame.size() <= static_cast<std::size_t>(kUsbReportBytes));
  ++frames_sent;
}

void CheckReceiveInvariants(const ReceiveDispatcher& dispatcher, const LinkState& state,
                            const ValueTable& device_values, std::span<const int> pages) {
  for (const std::string& name : dispatcher.ModeNames()) {
    KDSP_FUZZ_CHECK(name.size() <= static_cast<std::size_t>(kMaxNameLength));
    for (const char c : name) {
      const auto b = static_cast<std::uint8_t>(c);
      KDSP_FUZZ_CHECK(b >= 30 && b <= 127);
    }
  }
  const std::string& id = dispatcher.DeviceIdLabelText();
  KDSP_FUZZ_CHECK(id.empty() || id.size() == 8);
  for (const char c : id) {
    KDSP_FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
  }
  KDSP_FUZZ_CHECK(state.XferState >= kXferIdle && state.XferState <= kXferLastWait);
  if (pages.empty()) {
    KDSP_FUZZ_CHECK(HoldsWords(device_values));
    return;
  }
  for (const int page : pages) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const std::int32_t v = device_values.Get(page, slot);
      KDSP_FUZZ_CHECK(v >= 0 && v <= 0xFFFF);
    }
  }
}

}  // namespace kdsp::fuzz
