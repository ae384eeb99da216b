#pragma once

// Fakes for the link core tests: a transport that records what goes out, a window that records
// what the link shows, and a small scripted box that answers what the link asks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <set>
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
  void RefreshAllPages() override { ++refreshes; }
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

/// What a request asks for, decoded for readable expectations: "probe", "poll", "read 3",
/// "read 3@25", "write 4", "write 4@25", "name 5", "hint 2", "item 1E01", "set 1E03=1".
inline std::string Describe(const Bytes& f) {
  if (f.size() < 7) return "?";
  const int addr = f[4] << 8 | f[5];
  const int value = f.size() >= 9 ? f[6] | f[7] << 8 : -1;
  char text[48];
  if (f[3] == CmdWrite && addr == LinkControl) return value == HelloCode ? "probe" : "farewell";
  if (f[3] == CmdRead && addr == PageRead) {
    if ((value & 0xFF) == kStatusPage) return "poll";
    if (value >> 8) {
      std::snprintf(text, sizeof text, "read %d@%d", value & 0xFF, value >> 8);
    } else {
      std::snprintf(text, sizeof text, "read %d", value & 0xFF);
    }
    return text;
  }
  if (f[3] == CmdWrite && addr == PageWrite) {
    if (f[7]) {
      std::snprintf(text, sizeof text, "write %d@%d", f[6], f[7]);
    } else {
      std::snprintf(text, sizeof text, "write %d", f[6]);
    }
    return text;
  }
  if (f[3] == CmdRead && addr == ModeName) return "name " + std::to_string(value);
  if (f[3] == CmdRead && addr == HintModeName) return "hint " + std::to_string(value);
  if (f[3] == CmdRead) {
    std::snprintf(text, sizeof text, "item %04X", addr);
    return text;
  }
  std::snprintf(text, sizeof text, "set %04X=%d", addr, value);
  return text;
}

/// A minimal box: answers each request the way the console relies on. Tests call `Answer` with
/// a sent frame and feed the result back.
class ScriptedBox {
 public:
  Bytes Answer(const Bytes& f, LinkKind kind) {
    const int addr = f[4] << 8 | f[5];
    const int value = f.size() >= 9 ? f[6] | f[7] << 8 : 0;
    if (f[3] == CmdWrite) {
      if (addr == PageWrite) {
        const int count = (static_cast<int>(f.size()) - 9) / 2;
        for (int i = 0; i < count; ++i)
          memory.Set(f[6], f[7] + i, f[8 + 2 * i] | f[9 + 2 * i] << 8);
      } else if (f.size() == 9) {
        memory.Set(addr, value);
      }
      return Ack();
    }
    if (addr == PageRead) {
      const int page = value & 0xFF;
      const int first = value >> 8;
      if (page == kStatusPage) return StatusFrame(music_key);
      const int count =
          kind == LinkUsb ? std::min(kChunkSlots, PageLength(page) - first) : PageLength(page);
      std::vector<int> words;
      for (int i = 0; i < count; ++i) words.push_back(memory.Get(page, first + i));
      return WordsFrame(page, first, words);
    }
    if (addr == ModeName) return TextFrame(kControlPage, 0, names[value & 15]);
    if (addr == HintModeName) return TextFrame(kControlPage, 32, hint_names[value & 15]);
    if (addr == UserPassword) return TextFrame(kControlPage, 5, password);
    return WordsFrame(kControlPage, SlotOf(static_cast<ParamAddr>(addr)),
                      {memory.Get(static_cast<ParamAddr>(addr))});
  }

  ValueTable memory;
  std::array<std::string, 16> names;
  std::array<std::string, 16> hint_names;
  std::string password = "1234";
  int music_key = 0;
};

/// A link with fake transport, fake window and a scripted box. `Pump` answers every frame sent
/// since the last pump, after the call that sent it has returned, as a real box would.
/// The rig keeps the paced rhythm unless asked for the answer-driven link.
struct LinkRig {
  explicit LinkRig(bool paced = true)
      : host(device_values), machine(device_values, transport, host) {
    host.Attach(&machine);
    machine.SetPacedAlways(paced);
  }

  void Deliver(LinkKind kind, const Bytes& bytes) {
    switch (kind) {
      case LinkUsb:
        machine.OnUsbReport(UsbReport(bytes));
        break;
      case LinkCom:
        machine.OnSerialBytes(bytes);
        break;
      case LinkTcp:
        machine.OnTcpBytes(bytes);
        break;
    }
  }

  /// Answers the frames sent since the last pump (all of them when `box_alive`). With
  /// `answer_delay_ticks`, each answer arrives that many timer ticks after its request;
  /// `unasked_before` frames go out at once when their request arrives, `unasked_after` frames
  /// right behind its answer (each once).
  void Pump() {
    bool progress = true;
    while (progress) {
      progress = false;
      while (answered < transport.sent.size()) {
        progress = true;
        const SentFrame f = transport.sent[answered++];
        if (!box_alive || f.kind != box_kind) continue;
        if (f.kind == LinkCom && !box_port.empty() &&
            (transport.opened_ports.empty() || transport.opened_ports.back() != box_port)) {
          continue;
        }
        const std::string what = Describe(f.bytes);
        Bytes answer = box.Answer(f.bytes, f.kind);
        if (corrupt_once.erase(what) > 0) answer.back() ^= 0x5A;
        if (auto before = unasked_before.find(what); before != unasked_before.end()) {
          const Bytes stray = before->second;
          unasked_before.erase(before);
          Deliver(f.kind, stray);
        }
        Late late{ticks + answer_delay_ticks, f.kind, {answer}};
        if (auto after = unasked_after.find(what); after != unasked_after.end()) {
          late.units.push_back(after->second);
          unasked_after.erase(after);
        }
        late_answers.push_back(std::move(late));
      }
      while (!late_answers.empty() && late_answers.front().due <= ticks) {
        progress = true;
        const Late due = late_answers.front();
        late_answers.pop_front();
        for (const Bytes& unit : due.units) Deliver(due.kind, unit);
      }
    }
  }
  /// Frames sent since the last `Mark`, described.
  std::vector<std::string> SentSinceMark() {
    std::vector<std::string> out;
    for (std::size_t i = mark; i < transport.sent.size(); ++i) {
      out.push_back(Describe(transport.sent[i].bytes));
    }
    return out;
  }
  void Mark() { mark = transport.sent.size(); }

  void SearchTicks(int n, bool pump = true) {
    for (int i = 0; i < n; ++i) {
      machine.SearchTick();
      ++ticks;
      if (pump) Pump();
    }
  }
  /// Transfer ticks until the transfer timer stops (or `limit` ticks); returns the count.
  int TransferUntilDone(int limit = 5000) {
    int count = 0;
    while (machine.TransferTimerOn() && count < limit) {
      machine.TransferTick();
      ++ticks;
      Pump();
      ++count;
    }
    return count;
  }
  void HoldTicks(int n, bool pump = true) {
    for (int i = 0; i < n; ++i) {
      machine.HoldTick();
      ++ticks;
      if (pump) Pump();
    }
  }
  /// Search, handshake and full read with an answering box on `kind`; ends online.
  void Connect(LinkKind kind) {
    box_kind = kind;
    transport.hid_present = kind == LinkUsb;
    if (kind == LinkCom && transport.ports.empty()) transport.ports = {"/dev/ttyUSB0"};
    machine.LinkBtnClick(LinkButton::LinkBtn);
    for (int i = 0; i < 40 && !machine.TransferTimerOn() && !machine.state().LinkOnline; ++i) {
      SearchTicks(1);
    }
    TransferUntilDone();
    Pump();
  }

  ValueTable device_values;
  FakeTransport transport;
  FakeHost host;
  LinkMachine machine;
  ScriptedBox box;
  LinkKind box_kind = LinkCom;
  bool box_alive = true;
  std::string box_port;                ///< on the serial port: the one port the box is on
  std::set<std::string> corrupt_once;  ///< requests whose next answer arrives corrupted
  std::map<std::string, Bytes> unasked_before;
  std::map<std::string, Bytes> unasked_after;
  int answer_delay_ticks = 0;
  int ticks = 0;  ///< timer ticks so far, of any timer
  struct Late {
    int due;
    LinkKind kind;
    std::vector<Bytes> units;
  };
  std::deque<Late> late_answers;
  std::size_t answered = 0;
  std::size_t mark = 0;
};

/// Distinct values in every page and item of the box, named modes, the dance scene.
inline void FillBox(LinkRig& rig) {
  for (int p = 0; p <= 29; ++p) {
    for (int s = 0; s < PageLength(p); ++s) rig.box.memory.Set(p, s, (p * 1000 + s * 7) % 65536);
  }
  for (int s = 0; s < 48; ++s) rig.box.memory.Set(30, s, 30 + s);
  rig.box.memory.Set(0, 64, 1);  // dance scene
  for (int i = 0; i < 16; ++i) {
    rig.box.names[i] = "Mode" + std::to_string(i + 1);
    rig.box.hint_names[i] = "Hint" + std::to_string(i + 1);
  }
}

/// The console holds the box's values on pages `first_page` to `last_page`.
inline void ExpectMirrors(const LinkRig& rig, int first_page, int last_page) {
  for (int p = first_page; p <= last_page; ++p) {
    for (int s = 0; s < PageLength(p); ++s) {
      ASSERT_EQ(rig.device_values.Get(p, s), rig.box.memory.Get(p, s)) << p << "." << s;
    }
  }
}

}  // namespace kdsp::testing
