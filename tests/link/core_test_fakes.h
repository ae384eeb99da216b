#pragma once

// Fakes for the link core tests: a transport that records what goes out, a window that records
// what the link shows, and a small scripted box that answers what the link asks.

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "link/core/frame.h"
#include "link/core/link_host.h"
#include "link/core/link_machine.h"
#include "link/core/link_transport.h"
#include "model/page_layout.h"
#include "model/value_table.h"

namespace kdsp::testing {

struct SentFrame {
  LinkKind kind;
  Bytes bytes;
};

class FakeTransport : public LinkTransport {
 public:
  void SendFrameBytes(LinkKind kind, std::span<const std::uint8_t> frame) override {
    sent.push_back({kind, Bytes(frame.begin(), frame.end())});
  }
  void OpenComPort(const std::string& name) override { opened_ports.push_back(name); }
  void ConnectTcp() override { ++tcp_connects; }
  void DisconnectTcp() override { ++tcp_disconnects; }
  std::vector<std::string> ListSerialPorts() override {
    ++port_listings;
    return ports;
  }
  bool HidPresent() const override { return hid_present; }

  std::vector<SentFrame> sent;
  std::vector<std::string> opened_ports;
  std::vector<std::string> ports;
  bool hid_present = false;
  int tcp_connects = 0;
  int tcp_disconnects = 0;
  int port_listings = 0;
};

struct Message {
  std::string text;
  std::string caption;
};

class FakeHost : public LinkHost {
 public:
  explicit FakeHost(ValueTable& device_values) : device_values_(device_values) {}
  void Attach(LinkMachine* machine) { machine_ = machine; }

  void ShowLinkText(const BilingualText& text) override { link_texts.emplace_back(text.en); }
  void SetLinkColour(Rgb colour) override { colour_ = colour; }
  void SetLinkLook(bool l) override { linked = l; }
  void SetPopupTransport(std::string_view label) override { popup_labels.emplace_back(label); }
  void UpdatePopup(int progress, bool visible) override {
    popup_progress = progress;
    popup_visible = visible;
  }
  void ShowMessage(const BilingualText& text, const BilingualText& caption) override {
    messages.push_back({std::string(text.zh), std::string(caption.zh)});
  }
  void SetSceneMode(int s) override { scene = s; }
  void RefreshAllPages() override {
    ++refreshes;
    // A page refresh stores what it shows without sending, like the window does.
    suppressed_ = true;
    suppressed_ = false;
  }
  void ShowMainWindow() override { ++main_window_shown; }
  void ShowMusicKey(int key) override { music_keys.push_back(key); }
  void ShowDeviceId(std::string_view text) override { device_id = std::string(text); }
  void RefillModeList(ModeList list, const std::array<std::string, 16>& items) override {
    (list == ModeList::Device ? device_list : hint_list) = items;
  }
  void WriteParam(ParamAddr view_addr, int value) override {
    view_values.Set(view_addr, value);
    device_values_.Set(view_addr, value);  // control-page addresses map to themselves
    if (suppressed_ || machine_ == nullptr || !machine_->state().LinkOnline) return;
    machine_->SendParam(view_addr, value);
  }
  bool SendSuppressed() const override { return suppressed_; }
  void SetSendSuppressed(bool on) override { suppressed_ = on; }

  std::string LastText() const { return link_texts.empty() ? "" : link_texts.back(); }
  std::optional<Rgb> colour() const { return colour_; }

  ValueTable view_values;
  std::vector<std::string> link_texts;
  std::vector<std::string> popup_labels;
  std::vector<Message> messages;
  std::vector<int> music_keys;
  std::string device_id;
  std::array<std::string, 16> device_list, hint_list;
  std::optional<bool> linked;
  int popup_progress = -1;
  bool popup_visible = false;
  int scene = -1;
  int refreshes = 0;
  int main_window_shown = 0;

 private:
  ValueTable& device_values_;
  LinkMachine* machine_ = nullptr;
  std::optional<Rgb> colour_;
  bool suppressed_ = false;
};

/// Bytes of an acknowledgement.
inline Bytes Ack(std::uint8_t code = 0xBB) { return {0xEE, code}; }

/// A frame from the box carrying 16-bit words at (page, slot).
inline Bytes WordsFrame(int page, int slot, const std::vector<int>& words) {
  Bytes payload;
  for (int w : words) {
    payload.push_back(static_cast<std::uint8_t>(w & 0xFF));
    payload.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  return BuildFrame(CmdRead, MakeAddr(page, slot), payload);
}

/// A frame from the box whose payload is a text.
inline Bytes TextFrame(int page, int slot, std::string_view text) {
  return BuildFrame(CmdRead, MakeAddr(page, slot),
                    std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

/// A status report (48, 0) carrying the music key in payload byte 12.
inline Bytes StatusFrame(int key) {
  Bytes payload(13, 0);
  payload[12] = static_cast<std::uint8_t>(key);
  return BuildFrame(CmdRead, MakeAddr(kStatusPage, 0), payload);
}

/// A USB input report: the frame followed by filler up to 64 bytes.
inline Bytes UsbReport(const Bytes& frame) {
  Bytes report = frame;
  report.resize(64, 0);
  return report;
}

/// What a request asks for, decoded for readable expectations.
std::string Describe(const Bytes& frame);

/// A minimal box: answers each request the way the console relies on. Tests call `Answer` with
/// a sent frame and feed the result back.
class ScriptedBox {
 public:
  ScriptedBox();
  /// The answer to one request frame sent on `kind`.
  Bytes Answer(const Bytes& request, LinkKind kind) const;

  ValueTable memory;
  std::array<std::string, 16> names;
  std::array<std::string, 16> hint_names;
  int music_key = 0;
};

}  // namespace kdsp::testing
