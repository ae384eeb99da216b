#include "link/core/frame.h"

#include <algorithm>

#include "model/page_layout.h"
#include "model/value_table.h"

namespace kdsp {
namespace {

void AppendWord(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

Bytes TextBytes(std::string_view text, std::size_t limit) {
  const std::size_t n = std::min(text.size(), limit);
  Bytes out(n);
  std::copy_n(text.begin(), n, out.begin());
  return out;
}

}  // namespace

Bytes BuildFrame(std::uint8_t cmd, ParamAddr addr, std::span<const std::uint8_t> payload) {
  const std::size_t n = std::min<std::size_t>(payload.size(), kMaxPayload);
  Bytes frame;
  frame.reserve(n + 7);
  frame.push_back(kFrameHeader);
  frame.push_back(BoxAddress);
  frame.push_back(static_cast<std::uint8_t>(n + 4));
  frame.push_back(cmd);
  frame.push_back(static_cast<std::uint8_t>(PageOf(addr)));
  frame.push_back(static_cast<std::uint8_t>(SlotOf(addr)));
  frame.insert(frame.end(), payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(n));
  frame.push_back(0);
  frame.back() = FrameChecksum(frame, frame.size());
  return frame;
}

Bytes BuildValueFrame(std::uint8_t cmd, ParamAddr addr, std::uint16_t value) {
  Bytes payload;
  AppendWord(payload, value);
  return BuildFrame(cmd, addr, payload);
}

std::uint8_t FrameChecksum(std::span<const std::uint8_t> frame, std::size_t end) {
  // A length beyond the bytes at hand is cut to them rather than read past the buffer.
  end = std::min(end, frame.size());
  if (end < 2) return 0;
  unsigned sum = frame[0];
  for (std::size_t i = 3; i + 1 < end; ++i) sum += frame[i];
  return static_cast<std::uint8_t>(sum & 0xFF);
}

bool IsAck(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == kAckLead &&
         (bytes[1] == 0xBB || bytes[1] == 0xAA || bytes[1] == 0xCC);
}

int ChunkLast(int page) {
  if (page < 0 || page > kControlPage) return 0;
  return (PageLength(page) - 1) / kChunkSlots;  // C++ division truncates toward zero
}

int UsbChunkCount(int page, int chunk) {
  const int remaining = PageLength(page) - kChunkSlots * chunk;
  if (remaining > kChunkSlots - 1) return kChunkSlots;
  // A short last chunk carries one word past the page's last slot; the box expects it so.
  return remaining < 0 ? 0 : remaining + 1;
}

Bytes BuildPageWrite(const ValueTable& device_values, int page, int chunk, LinkKind kind) {
  if (page < 0 || page >= kControlPage) return {};
  int first = 0;
  int count = PageLength(page);
  if (kind == LinkUsb) {
    first = kChunkSlots * chunk;
    count = UsbChunkCount(page, chunk);
  }
  Bytes payload;
  payload.reserve(2 + 2 * static_cast<std::size_t>(count));
  payload.push_back(static_cast<std::uint8_t>(page));
  payload.push_back(static_cast<std::uint8_t>(first));
  for (int i = 0; i < count; ++i) {
    AppendWord(payload, static_cast<std::uint32_t>(device_values.Get(page, first + i)));
  }
  return BuildFrame(CmdWrite, PageWrite, payload);
}

Bytes BuildPageRead(int page, int chunk, LinkKind kind) {
  const int first = kind == LinkUsb ? kChunkSlots * chunk : 0;
  return BuildValueFrame(CmdRead, PageRead,
                         static_cast<std::uint16_t>((page & 0xFF) | ((first & 0xFF) << 8)));
}

Bytes BuildItemRead(int position, int name_index) {
  static constexpr std::array<ParamAddr, 13> kItems = {
      ModeName,     0x1E01, 0x1E02, 0x1E03, 0x1E04, 0x1E05, 0x1E15,
      HintModeName, 0x1E21, 0x1E22, 0x1E14, 0x1E17, 0x1E18};
  if (position < 30 || position > 42) return {};
  const ParamAddr addr = kItems[static_cast<std::size_t>(position - 30)];
  if (position == 30 || position == 37) {
    return BuildValueFrame(CmdRead, addr, static_cast<std::uint16_t>(name_index));
  }
  return BuildFrame(CmdRead, addr, {});
}

Bytes BuildSaveMode(int index, std::string_view name) {
  Bytes payload;
  AppendWord(payload, static_cast<std::uint32_t>(index));
  const Bytes text = TextBytes(name, 20);
  payload.insert(payload.end(), text.begin(), text.end());
  payload.resize(22, ' ');
  return BuildFrame(CmdWrite, SaveMode, payload);
}

Bytes BuildSaveHintMode(int index, std::string_view name) {
  Bytes payload;
  AppendWord(payload, static_cast<std::uint32_t>(index));
  const Bytes text = TextBytes(name, 20);
  payload.insert(payload.end(), text.begin(), text.end());
  return BuildFrame(CmdWrite, SaveHintMode, payload);
}

Bytes BuildTextWrite(ParamAddr addr, std::string_view text) {
  return BuildFrame(CmdWrite, addr, TextBytes(text, kMaxPayload));
}

Bytes PackReport(std::span<const std::uint8_t> frame, int report_length) {
  Bytes report(static_cast<std::size_t>(std::max(report_length, 1)), 0);
  // A frame longer than the report is cut: the device takes exactly its declared length.
  const std::size_t n = std::min(frame.size(), report.size() - 1);
  std::copy_n(frame.begin(), n, report.begin() + 1);
  return report;
}

}  // namespace kdsp
