// Writes the seed corpus of every fuzz target from real traffic: a console link runs against
// the emulated box on each transport (search, handshake, full read, edits, a recall, a mode
// save, a download) and what went each way is kept, next to preset files saved from the box's
// factory memory. Usage: make_seed_corpus OUT_DIR (one folder per target is made under it).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "boxsim/box_memory.h"
#include "boxsim/box_session.h"
#include "boxsim/box_sim.h"
#include "link/core/link_machine.h"
#include "presets/codec/preset_codec.h"

namespace {

using namespace kdsp;
using namespace kdsp::boxsim;
namespace fs = std::filesystem;

// Script operations of the link-machine target (same numbering).
enum Op : std::uint8_t {
  kLinkButton = 0,
  kSearchTicks = 2,
  kTransferTicks = 3,
  kHoldTicks = 4,
  kSerialBytes = 5,
  kTcpBytes = 6,
  kUsbReport = 7,
  kEdit = 8,
  kUsbRebuilt = 9,
  kRecall = 10,
  kSave = 11,
  kDownload = 12,
  kSerialPorts = 15,
};
// Script operations of the box target.
enum BoxOp : std::uint8_t { kBoxFeed = 0, kBoxWait = 1, kBoxFault = 2, kBoxFaultLine = 4 };

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string AsString(const Bytes& b) { return std::string(b.begin(), b.end()); }

void AppendChunk(Bytes& script, std::span<const std::uint8_t> bytes) {
  const std::size_t n = std::min<std::size_t>(bytes.size(), 255);
  script.push_back(static_cast<std::uint8_t>(n));
  script.insert(script.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

// A window that only passes edits on.
class Host : public LinkHost {
 public:
  explicit Host(ValueTable& v) : values_(v) {}
  void Attach(LinkMachine* m) { machine_ = m; }
  void ShowLinkText(const BilingualText&) override {}
  void SetLinkColour(Rgb) override {}
  void SetLinkLook(bool) override {}
  void SetPopupTransport(std::string_view) override {}
  void UpdatePopup(int, bool) override {}
  void ShowMessage(const BilingualText&, const BilingualText&) override {}
  void SetSceneMode(int) override {}
  void RefreshAllPages() override {}
  void ShowMainWindow() override {}
  void ShowMusicKey(int) override {}
  void ShowDeviceId(std::string_view) override {}
  void RefillModeList(ModeList, const std::array<std::string, 16>&) override {}
  void WriteParam(ParamAddr a, int v) override {
    values_.Set(a, v);
    if (machine_ && machine_->state().LinkOnline) machine_->SendParam(a, v);
  }
  bool SendSuppressed() const override { return false; }
  void SetSendSuppressed(bool) override {}

 private:
  ValueTable& values_;
  LinkMachine* machine_ = nullptr;
};

// The console's frames go to the box's session; everything is written down on the way.
class Wire : public LinkTransport {
 public:
  Wire(BoxSession& session, LinkKind kind) : session_(session), kind_(kind) {}
  void SendFrameBytes(LinkKind kind, std::span<const std::uint8_t> frame) override {
    if (kind != kind_) return;
    const Bytes sent = kind == LinkUsb ? PackReport(frame, BoxSession::kOutputReportLength)
                                       : Bytes(frame.begin(), frame.end());
    to_box.push_back(sent);
    session_.Feed(sent);
  }
  void OpenComPort(const std::string&) override {}
  void ConnectTcp() override {}
  void DisconnectTcp() override {}
  std::vector<std::string> ListSerialPorts() override {
    return kind_ == LinkCom ? std::vector<std::string>{"/dev/ttyS0"} : std::vector<std::string>{};
  }
  bool HidPresent() const override { return kind_ == LinkUsb; }

  std::vector<Bytes> to_box;

 private:
  BoxSession& session_;
  LinkKind kind_;
};

struct Recording {
  Bytes script;                // link-machine target
  std::vector<Bytes> answers;  // what the console received, one unit or report each
  std::vector<Bytes> to_box;   // what the box received, one frame or report each
};

Recording Record(LinkKind kind) {
  BoxSim box(MakeFactoryMemory(), [] { return std::int64_t{0}; });
  BoxSession session(box, kind, 0);
  ValueTable values;
  Wire wire(session, kind);
  Host host(values);
  LinkMachine machine(values, wire, host);
  host.Attach(&machine);
  Recording rec;
  Bytes& s = rec.script;

  auto deliver = [&] {
    while (auto send = session.PopDue()) {
      Bytes got = *send;
      if (kind == LinkUsb) got.erase(got.begin());  // the report identifier is not delivered
      rec.answers.push_back(got);
      s.push_back(kind == LinkUsb ? kUsbReport : kind == LinkCom ? kSerialBytes : kTcpBytes);
      AppendChunk(s, got);
      if (kind == LinkUsb) {
        machine.OnUsbReport(got);
      } else if (kind == LinkCom) {
        machine.OnSerialBytes(got);
      } else {
        machine.OnTcpBytes(got);
      }
    }
  };
  auto run_timers = [&](int limit) {
    for (int i = 0; i < limit; ++i) {
      if (machine.SearchTimerOn()) {
        s.insert(s.end(), {kSearchTicks, 0});
        machine.SearchTick();
      } else if (machine.TransferTimerOn()) {
        s.insert(s.end(), {kTransferTicks, 0});
        machine.TransferTick();
      } else if (machine.HoldTimerOn()) {
        s.insert(s.end(), {kHoldTicks, 0});
        machine.HoldTick();
      }
      deliver();
      if (machine.state().LinkOnline && machine.queue().Empty() && machine.state().ReadyToSend &&
          !machine.state().PendingAction) {
        return;
      }
    }
  };

  if (kind == LinkUsb) {
    s.insert(s.end(), {kUsbRebuilt, 1});
    machine.OnUsbListRebuilt(true);
  } else {
    if (kind == LinkCom) s.insert(s.end(), {kSerialPorts, 1});
    s.push_back(kLinkButton);
    machine.LinkBtnClick(LinkButton::LinkBtn);
  }
  run_timers(2000);
  // Edits: a slider drag and single writes.
  for (int pos = 100; pos < 106; ++pos) {
    s.insert(s.end(), {kEdit, 25, 0, static_cast<std::uint8_t>(pos), 0});
    host.WriteParam(MakeAddr(0, 25), pos);
  }
  s.insert(s.end(), {kEdit, 2, 3, 9, 0});
  host.WriteParam(MakeAddr(3, 2), 9);
  deliver();
  run_timers(200);
  // A poll while idle.
  for (int i = 0; i < 60; ++i) {
    s.insert(s.end(), {kHoldTicks, 0});
    machine.HoldTick();
    deliver();
  }
  // A recall and its reload, then a mode save.
  s.insert(s.end(), {kRecall, 3});
  machine.LoadDeviceMode(3);
  deliver();
  run_timers(2000);
  s.insert(s.end(), {kSave, 2});
  AppendChunk(s, Bytes{'M', 'y', 'M', 'o', 'd', 'e'});
  machine.StoreDeviceMode(2, "MyMode");
  deliver();
  run_timers(200);
  // A preset download.
  s.insert(s.end(), {kDownload, 0});
  machine.EnterLinkState(LinkEntry::StartFullWrite);
  deliver();
  run_timers(2000);
  rec.to_box = wire.to_box;
  std::fprintf(stderr, "%s: %zu frames to the box, %zu answers, online %d\n",
               kind == LinkUsb   ? "usb"
               : kind == LinkCom ? "serial"
                                 : "tcp",
               rec.to_box.size(), rec.answers.size(), machine.state().LinkOnline ? 1 : 0);
  return rec;
}

Bytes BoxScript(LinkKind kind, const std::vector<Bytes>& frames) {
  Bytes s{static_cast<std::uint8_t>(kind)};
  for (const Bytes& f : frames) {
    s.push_back(kBoxFeed);
    AppendChunk(s, f);
    s.insert(s.end(), {kBoxWait, 25, 0});
  }
  return s;
}

std::string Name(LinkKind kind) {
  return kind == LinkUsb ? "usb" : kind == LinkCom ? "serial" : "tcp";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[1];

  for (const LinkKind kind : {LinkUsb, LinkCom, LinkTcp}) {
    const Recording rec = Record(kind);
    const std::string k = Name(kind);
    WriteFile(out / "fuzz_link_machine" / ("session_" + k), AsString(rec.script));

    // Distinct answers, one file each: acknowledgement, pages, names, items, status.
    const fs::path parse_dir = out / ("fuzz_parse_" + k);
    std::vector<Bytes> kept;
    for (const Bytes& a : rec.answers) {
      // One of each: acknowledgement, page size, control-page item, status report.
      auto key = [](const Bytes& b) {
        if (b.size() < 6) return static_cast<long>(b[0]);
        return b[4] < kControlPage ? 1000L + static_cast<long>(b.size())
                                   : 100000L + b[4] * 256L + b[5];
      };
      const bool seen =
          std::any_of(kept.begin(), kept.end(), [&](const Bytes& b) { return key(b) == key(a); });
      if (!seen) kept.push_back(a);
    }
    for (std::size_t i = 0; i < kept.size(); ++i) {
      WriteFile(parse_dir / ("answer_" + std::to_string(i)), AsString(kept[i]));
    }

    // The box's side: the console's whole conversation, and the first part with faults.
    WriteFile(out / "fuzz_boxsim" / ("console_" + k), AsString(BoxScript(kind, rec.to_box)));
    std::vector<Bytes> opening(rec.to_box.begin(),
                               rec.to_box.begin() + std::min<std::size_t>(rec.to_box.size(), 12));
    Bytes faulty = BoxScript(kind, opening);
    const std::string fault_line = "split 3@2";
    faulty.insert(faulty.begin() + 1, {kBoxFault, 3, 2, 0});  // merge 2 pairs
    faulty.push_back(kBoxFaultLine);
    AppendChunk(faulty, Bytes(fault_line.begin(), fault_line.end()));
    faulty.insert(faulty.end(), {kBoxFault, 1, 1, 0});  // corrupt 1
    const Bytes more = BoxScript(kind, opening);
    faulty.insert(faulty.end(), more.begin() + 1, more.end());
    WriteFile(out / "fuzz_boxsim" / ("faults_" + k), AsString(faulty));
    if (kind != LinkUsb) {
      // Stray frame headers before the first answers: their length byte swallows what follows.
      Bytes strayed = BoxScript(kind, opening);
      const std::string stray_line = "stray 2";
      Bytes line = {kBoxFaultLine};
      AppendChunk(line, Bytes(stray_line.begin(), stray_line.end()));
      strayed.insert(strayed.begin() + 1, line.begin(), line.end());
      WriteFile(out / "fuzz_boxsim" / ("stray_" + k), AsString(strayed));
    }

    if (kind != LinkUsb) {
      // The box's stream as the assembler sees it, with piece lengths appended.
      Bytes stream;
      for (const Bytes& a : rec.answers) {
        if (stream.size() > 3000) break;
        stream.insert(stream.end(), a.begin(), a.end());
      }
      stream.insert(stream.end(), {0, 9, 1, 64, 17, 2, 80, 33});
      WriteFile(out / "fuzz_rx_assembler" / ("stream_" + k), AsString(stream));
    }
  }
  // Junk between units, a foreign header, a short acknowledgement.
  WriteFile(out / "fuzz_rx_assembler" / "junk",
            AsString(Bytes{0x00, 0xF5, 0x2D, 0x06, 0xB7, 0xEE, 0x01, 0xEE, 0xBB, 0xF5, 0x2C, 0x06,
                           0xB7, 0x1E, 0x03, 0x01, 0x00, 0xCE, 0xF5, 0x2C, 0x02, 0xB0, 3}));
  // Two frames in one TCP read.
  Bytes merged = BuildValueFrame(CmdRead, MakeAddr(0, 6), 7);
  const Bytes second = BuildValueFrame(CmdRead, MakeAddr(30, 3), 1);
  merged.insert(merged.end(), second.begin(), second.end());
  WriteFile(out / "fuzz_parse_tcp" / "merged", AsString(merged));

  // Preset files saved from the factory memory, and their plain lines.
  const BoxMemory memory = MakeFactoryMemory();
  for (const PresetKind kind : {PresetKind::kMode, PresetKind::kEq}) {
    const fs::path dir = out / (kind == PresetKind::kMode ? "fuzz_preset_mode" : "fuzz_preset_eq");
    WriteFile(dir / "saved", EncodePresetFile(kind, memory.params));
    std::string plain;
    for (const std::string& line : BuildPlainLines(kind, EntriesFromTable(kind, memory.params))) {
      plain += line + "\r\n";
    }
    WriteFile(dir / "plain", plain);
    // A short file: header, two data lines, count and checksum.
    const std::vector<PresetEntry> few = {{kind == PresetKind::kMode ? 0 : 22, 0, 300},
                                          {kind == PresetKind::kMode ? 30 : 24, 1, 12}};
    std::string small;
    for (const std::string& line : BuildPlainLines(kind, few)) small += line + "\n";
    WriteFile(dir / "plain_small", small);
    WriteFile(dir / "saved_small", EncodePresetEntries(kind, few));
  }
  return 0;
}
