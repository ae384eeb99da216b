#include "link/core/rx_assembler.h"

#include <algorithm>

namespace kdsp {

namespace {

// A frame holds at least its command, page, slot and checksum after the length byte.
constexpr int kMinFrameLen = 4;
// Header, address, length and command: what is screened before the body is waited for.
constexpr std::size_t kHeaderBytes = 4;
constexpr std::size_t kLenOverhead = 3;

bool IsAckCode(std::uint8_t b) { return b == 0xBB || b == 0xAA || b == 0xCC; }
bool IsLead(std::uint8_t b) { return b == kFrameHeader || b == kAckLead; }

}  // namespace

void RxAssembler::Reset() {
  stream_.clear();
  head_ = 0;
  age_ms_ = -1;
}

void RxAssembler::Compact() {
  stream_.erase(stream_.begin(), stream_.begin() + static_cast<std::ptrdiff_t>(head_));
  head_ = 0;
}

std::vector<RxUnit> RxAssembler::Feed(std::span<const std::uint8_t> bytes) {
  std::vector<RxUnit> out;
  stream_.insert(stream_.end(), bytes.begin(), bytes.end());
  Scan(out);
  return out;
}

void RxAssembler::Scan(std::vector<RxUnit>& out) {
  for (;;) {
    // Hunting: bytes before the next header or acknowledgement lead are skipped.
    const auto from = stream_.begin() + static_cast<std::ptrdiff_t>(head_);
    const auto lead = std::find_if(from, stream_.end(), IsLead);
    if (lead != from) age_ms_ = -1;  // whatever comes next is a new unit
    head_ = static_cast<std::size_t>(lead - stream_.begin());
    if (lead == stream_.end()) break;
    const std::uint8_t* u = stream_.data() + head_;
    const std::size_t held = Held();

    if (u[0] == kAckLead) {
      if (held < 2) break;
      if (IsAckCode(u[1])) {
        out.push_back(RxUnit{true, Bytes(u, u + 2)});
        head_ += 2;
      } else {
        // Not an acknowledgement: it is ignored together with its second byte, unless that
        // byte starts a frame.
        head_ += u[1] == kFrameHeader ? 1 : 2;
      }
      age_ms_ = -1;
      continue;
    }

    if (held < kHeaderBytes) break;
    const int len = u[2];
    const std::uint8_t cmd = u[3];
    // A length below 4 cannot hold page, slot and checksum; waiting for LEN - 1 bytes would
    // then stall the stream, so such a header is dropped like a foreign one.
    if (u[1] != BoxAddress || (cmd != CmdWrite && cmd != CmdRead) || len < kMinFrameLen) {
      ++head_;
      age_ms_ = -1;
      continue;
    }
    const std::size_t size = static_cast<std::size_t>(len) + kLenOverhead;
    if (held < size) break;
    out.push_back(RxUnit{false, Bytes(u, u + size)});
    // A bad checksum means the length byte cannot be trusted either: the frame goes to the
    // receiver to be rejected, and the search resumes right after its header byte.
    head_ += FrameChecksum(std::span(u, size), size) == u[size - 1] ? size : 1;
    age_ms_ = -1;
  }
  Compact();
}

std::vector<RxUnit> RxAssembler::Age(int elapsed_ms, int limit_ms) {
  std::vector<RxUnit> out;
  if (Held() == 0) {
    age_ms_ = -1;
    return out;
  }
  if (age_ms_ < 0) {
    age_ms_ = 0;  // first seen now; it is given a whole interval from here
    return out;
  }
  age_ms_ += elapsed_ms;
  if (age_ms_ < limit_ms) return out;
  ++head_;
  Scan(out);
  // What is left waiting came in with the unit just dropped: it has waited already.
  age_ms_ = Held() > 0 ? 0 : -1;
  return out;
}

std::vector<RxUnit> RxAssembler::TakeHiddenAck() {
  std::vector<RxUnit> out;
  if (Held() < 3 || stream_[head_] != kFrameHeader) return out;
  for (std::size_t i = head_ + 1; i + 1 < stream_.size(); ++i) {
    if (stream_[i] == kAckLead && IsAckCode(stream_[i + 1])) {
      head_ = i;
      age_ms_ = -1;
      Scan(out);
      break;
    }
  }
  return out;
}

int RxAssembler::RxState() const {
  const std::size_t held = Held();
  if (held == 0) return kHunting;
  if (stream_[head_] == kAckLead || held < kHeaderBytes) return kHeader;
  return kBody;
}

int RxAssembler::RxNeed() const {
  switch (RxState()) {
    case kHeader:
      return stream_[head_] == kFrameHeader ? 3 : 1;
    case kBody:
      return stream_[head_ + 2] - 1;
    default:
      return 0;
  }
}

int RxAssembler::RxGot() const {
  switch (RxState()) {
    case kHeader:
      return static_cast<int>(Held()) - 1;
    case kBody:
      return static_cast<int>(Held() - kHeaderBytes);
    default:
      return 0;
  }
}

std::span<const std::uint8_t> RxAssembler::RxBuf() const {
  return std::span<const std::uint8_t>(stream_).subspan(head_);
}

}  // namespace kdsp
