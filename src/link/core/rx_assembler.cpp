#include "link/core/rx_assembler.h"

namespace kdsp {

namespace {

// A frame holds at least its command, page, slot and checksum after the length byte.
constexpr int kMinFrameLen = 4;

bool IsAckCode(std::uint8_t b) { return b == 0xBB || b == 0xAA || b == 0xCC; }

}  // namespace

void RxAssembler::Reset() {
  rx_state_ = kHunting;
  rx_need_ = 0;
  rx_got_ = 0;
  rx_buf_.clear();
}

void RxAssembler::Hunt(std::uint8_t byte) {
  if (byte != kFrameHeader && byte != kAckLead) return;  // stray byte: skipped
  rx_buf_.assign(1, byte);
  rx_need_ = byte == kFrameHeader ? 3 : 1;
  rx_got_ = 0;
  rx_state_ = kHeader;
}

void RxAssembler::EndHeader(std::vector<RxUnit>& out) {
  if (rx_buf_[0] == kFrameHeader) {
    const int len = rx_buf_[2];
    const std::uint8_t cmd = rx_buf_[3];
    // A length below 4 cannot hold page, slot and checksum; waiting for LEN - 1 bytes would
    // then stall the stream, so such a header is dropped like a foreign one.
    if (rx_buf_[1] == BoxAddress && (cmd == CmdWrite || cmd == CmdRead) && len >= kMinFrameLen) {
      rx_need_ = len - 1;
      rx_got_ = 0;
      rx_state_ = kBody;
      return;
    }
  } else if (IsAckCode(rx_buf_[1])) {
    out.push_back(RxUnit{true, rx_buf_});
  }
  Reset();
}

std::vector<RxUnit> RxAssembler::Feed(std::span<const std::uint8_t> bytes) {
  std::vector<RxUnit> out;
  for (const std::uint8_t byte : bytes) {
    switch (rx_state_) {
      case kHunting:
        Hunt(byte);
        break;
      case kHeader:
        rx_buf_.push_back(byte);
        if (++rx_got_ == rx_need_) EndHeader(out);
        break;
      case kBody:
        rx_buf_.push_back(byte);
        if (++rx_got_ == rx_need_) {
          out.push_back(RxUnit{false, std::move(rx_buf_)});
          Reset();
        }
        break;
    }
  }
  return out;
}

}  // namespace kdsp
