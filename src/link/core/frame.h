#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "model/param_addr.h"

namespace kdsp {

using Bytes = std::vector<std::uint8_t>;

/// The current transport.
enum LinkKind : std::uint8_t { LinkUsb = 0, LinkCom = 1, LinkTcp = 2 };

inline constexpr std::uint8_t kFrameHeader = 0xF5;
inline constexpr std::uint8_t BoxAddress = 0x2C;
inline constexpr std::uint8_t CmdWrite = 0xB7;
inline constexpr std::uint8_t CmdRead = 0xB0;
inline constexpr std::uint8_t kAckLead = 0xEE;

/// Control-page items (page 30) used by the link.
inline constexpr ParamAddr ModeName = 0x1E00;
inline constexpr ParamAddr SaveMode = 0x1E01;
inline constexpr ParamAddr RecallMode = 0x1E02;
inline constexpr ParamAddr LinkOpen = 0x1E03;
inline constexpr ParamAddr UserPassword = 0x1E05;
inline constexpr ParamAddr SystemPassword = 0x1E07;
inline constexpr ParamAddr PageWrite = 0x1E0F;
inline constexpr ParamAddr PageRead = 0x1E10;
inline constexpr ParamAddr BluetoothName = 0x1E16;
inline constexpr ParamAddr HintModeName = 0x1E20;
inline constexpr ParamAddr SaveHintMode = 0x1E21;
inline constexpr ParamAddr RecallHintMode = 0x1E22;
inline constexpr ParamAddr LinkControl = 0x1E30;
inline constexpr ParamAddr DeviceId = 0x1E40;

inline constexpr std::uint16_t HelloCode = 0x11;
inline constexpr std::uint16_t ByeCode = 0xAA;

/// Slots moved per USB chunk and the size of a USB report after its identifier.
inline constexpr int kChunkSlots = 25;
inline constexpr int kUsbReportBytes = 64;
/// Largest payload a frame can carry (LEN is one byte).
inline constexpr int kMaxPayload = 251;

/// A frame: F5 2C LEN cmd page slot payload... checksum. Payload at most 251 bytes (longer
/// payloads are cut).
Bytes BuildFrame(std::uint8_t cmd, ParamAddr addr, std::span<const std::uint8_t> payload);
/// A frame carrying one 16-bit value, low byte first (9 bytes).
Bytes BuildValueFrame(std::uint8_t cmd, ParamAddr addr, std::uint16_t value);
/// Low 8 bits of byte 0 plus bytes 3 .. end-2 of a frame of `end` bytes (0 when end < 2; an
/// `end` beyond the bytes given is cut to them).
std::uint8_t FrameChecksum(std::span<const std::uint8_t> frame, std::size_t end);
/// True for EE followed by BB, AA or CC.
bool IsAck(std::span<const std::uint8_t> bytes);

/// Index of the last USB chunk of a page: (PageLength - 1) div 25, truncated toward zero;
/// 0 for positions above 30.
int ChunkLast(int page);
/// Number of values in chunk `chunk` of `page` on USB (25, or r + 1 for a short last chunk;
/// 0 for a chunk past the page's end).
int UsbChunkCount(int page, int chunk);

class ValueTable;
/// The `PageWrite` block of a page: whole page off USB (chunk ignored), chunk of 25 on USB;
/// empty for pages 30 and above, which are never block-written.
Bytes BuildPageWrite(const ValueTable& device_values, int page, int chunk, LinkKind kind);
/// The `PageRead` value frame: value = page + 256 * first slot (25 * chunk on USB, else 0).
Bytes BuildPageRead(int page, int chunk, LinkKind kind);
/// The control-page item read for a full-read position 30..42 (empty for other positions);
/// positions 30 and 37 carry the name index as a 16-bit payload.
Bytes BuildItemRead(int position, int name_index);
/// `SaveMode`: index then the name in 20 bytes padded with spaces (longer names cut).
Bytes BuildSaveMode(int index, std::string_view name);
/// `SaveHintMode`: index then the name bytes as typed (at most 20).
Bytes BuildSaveHintMode(int index, std::string_view name);
/// A `CmdWrite` frame whose payload is a text as typed (user password, Bluetooth name).
Bytes BuildTextWrite(ParamAddr addr, std::string_view text);
/// A USB output report: identifier 0, the frame, zeros up to `report_length` bytes in all
/// (65 for the box: identifier plus 64 bytes). A frame too long for the report is cut.
Bytes PackReport(std::span<const std::uint8_t> frame, int report_length);

}  // namespace kdsp
