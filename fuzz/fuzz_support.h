#pragma once

// Shared pieces of the fuzz targets: a byte reader for scripted inputs, a window and a transport
// that only watch what the link does, and the checks every target applies.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/core/frame.h"
#include "link/core/link_host.h"
#include "link/core/link_machine.h"
#include "link/core/link_transport.h"
#include "link/core/receive_dispatcher.h"
#include "model/value_table.h"

namespace kdsp::fuzz {

/// Stops the run with a message: libFuzzer keeps the input that got here as a crash.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

#define KDSP_FUZZ_CHECK(cond)               \
  do {                                      \
    if (!(cond)) ::kdsp::fuzz::Fail(#cond); \
  } while (false)

/// Reads a scripted input from the front: operation bytes, lengths and byte strings. Past the
/// end it yields zeros and empty strings, so every input is a complete script.
class ScriptReader {
 public:
  ScriptReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint16_t Word() {
    const std::uint16_t lo = Byte();
    return static_cast<std::uint16_t>(lo | Byte() << 8);
  }
  /// Up to `n` bytes (fewer at the end of the input).
  std::span<const std::uint8_t> Take(std::size_t n) {
    n = std::min(n, size_ - std::min(pos_, size_));
    const std::span<const std::uint8_t> out(data_ + pos_, n);
    pos_ += n;
    return out;
  }
  /// A length byte, then that many bytes.
  std::span<const std::uint8_t> Chunk() { return Take(Byte()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

/// A transport that checks every frame the console sends and otherwise drops it.
class CheckingTransport : public LinkTransport {
 public:
  void SendFrameBytes(LinkKind kind, std::span<const std::uint8_t> frame) override;
  void OpenComPort(const std::string&) override {}
  void ConnectTcp() override {}
  void DisconnectTcp() override {}
  std::vector<std::string> ListSerialPorts() override { return ports; }
  bool HidPresent() const override { return hid_present; }

  std::vector<std::string> ports;
  bool hid_present = false;
  std::size_t frames_sent = 0;
};

/// A window that shows nothing. Edits go the console's way: stored, then handed to the link.
class QuietHost : public LinkHost {
 public:
  explicit QuietHost(ValueTable& device_values) : device_values_(device_values) {}
  void Attach(LinkMachine* machine) { machine_ = machine; }

  void ShowLinkText(const BilingualText&) override {}
  void SetLinkColour(Rgb) override {}
  void SetLinkLook(bool) override {}
  void SetPopupTransport(std::string_view) override {}
  void UpdatePopup(int progress_percent, bool) override {
    KDSP_FUZZ_CHECK(progress_percent >= 0 && progress_percent <= 100);
  }
  void ShowMessage(const BilingualText&, const BilingualText&) override { ++messages; }
  void SetSceneMode(int scene) override { KDSP_FUZZ_CHECK(scene >= 0 && scene <= 1); }
  void RefreshAllPages() override {}
  void ShowMainWindow() override {}
  void ShowMusicKey(int key) override { KDSP_FUZZ_CHECK(key >= 0 && key <= 255); }
  void ShowDeviceId(std::string_view text) override { KDSP_FUZZ_CHECK(text.size() == 8); }
  void RefillModeList(ModeList, const std::array<std::string, 16>&) override {}
  void WriteParam(ParamAddr addr, int value) override {
    device_values_.Set(addr, value);
    if (suppressed_ || machine_ == nullptr || !machine_->state().LinkOnline) return;
    machine_->SendParam(addr, value);
  }
  bool SendSuppressed() const override { return suppressed_; }
  void SetSendSuppressed(bool on) override { suppressed_ = on; }

  int messages = 0;

 private:
  ValueTable& device_values_;
  LinkMachine* machine_ = nullptr;
  bool suppressed_ = false;
};

/// What the receive side may leave behind whatever it was given: names of at most 20
/// printable characters, a device id of eight hex digits, 16-bit words in the table (when it
/// held only such words before), a known exchange state.
/// `pages` limits the table check to the rows that can have changed (all rows when empty).
void CheckReceiveInvariants(const ReceiveDispatcher& dispatcher, const LinkState& state,
                            const ValueTable& device_values, std::span<const int> pages = {});

/// True when every cell outside rows `pages` is 0.
bool ZeroOutside(const ValueTable& table, std::span<const int> pages);

/// True when every cell holds a 16-bit word.
bool HoldsWords(const ValueTable& table);

/// Every cell set to a value no file or frame can carry (70000 + slot), so that any store
/// shows.
const ValueTable& MarkedTable();

/// True when every cell of `table` that differs from `MarkedTable()` satisfies `may_change`
/// and holds a 16-bit word.
bool OnlyChangedWhere(const ValueTable& table, bool (*may_change)(int page, int slot, int kind),
                      int kind);

/// True when `frame` is a whole, well-formed frame: header, box address, LEN = size - 3,
/// a known command and the right checksum.
bool IsWellFormedFrame(std::span<const std::uint8_t> frame);

}  // namespace kdsp::fuzz
