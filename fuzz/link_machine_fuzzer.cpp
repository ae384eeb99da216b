// The whole link core driven by a script of events: the link button, ticks of the three
// timers, bytes arriving on each transport, edits, mode recalls and saves, preset downloads.
// Whatever arrives, every frame the console sends stays well-formed and the link's counters
// stay within their ranges.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

namespace {

using namespace kdsp;

enum Op : std::uint8_t {
  kLinkButton,
  kUnlinkButton,
  kSearchTicks,
  kTransferTicks,
  kHoldTicks,
  kSerialBytes,
  kTcpBytes,
  kUsbReport,
  kEdit,
  kUsbRebuilt,
  kRecall,
  kSave,
  kDownload,
  kTextWrite,
  kFarewell,
  kSerialPorts,
  kEditAndHold,
  kOpCount,
};

std::string_view Text(std::span<const std::uint8_t> bytes) {
  // The system page's edits hold at most 20 characters.
  return {reinterpret_cast<const char*>(bytes.data()), std::min<std::size_t>(bytes.size(), 20)};
}

void CheckCounters(const LinkMachine& m) {
  const LinkState& st = m.state();
  KDSP_FUZZ_CHECK(m.queue().Waiting() <= SendQueue::kSize - 1);
  KDSP_FUZZ_CHECK(st.XferPos >= 0 && st.XferPos <= 42);
  KDSP_FUZZ_CHECK(st.XferEnd >= 0 && st.XferEnd <= 42);
  KDSP_FUZZ_CHECK(st.NameIndex >= 0 && st.NameIndex <= 17);
  KDSP_FUZZ_CHECK(st.TickCount >= 0 && st.TickCount <= 100);
  KDSP_FUZZ_CHECK(st.IdleTicks >= 0 && st.IdleTicks <= 51);  // 50, then 51 for one tick
  KDSP_FUZZ_CHECK(st.MissedPolls >= 0 && st.MissedPolls <= 51);
  // While a transfer moves a page the chunk counter stays within the page (at most five
  // chunks, the first asked twice); at the name items it only counts requests.
  if (m.TransferTimerOn() && st.XferPos < 30) {
    KDSP_FUZZ_CHECK(st.ChunkIndex >= 0 && st.ChunkIndex <= ChunkLast(st.XferPos) + 2);
  }
  KDSP_FUZZ_CHECK(m.ProgressPercent() >= 0 && m.ProgressPercent() <= 100);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::ScriptReader in(data, size);
  ValueTable device_values;
  fuzz::CheckingTransport transport;
  fuzz::QuietHost host(device_values);
  LinkMachine machine(device_values, transport, host);
  host.Attach(&machine);

  while (!in.Empty()) {
    switch (in.Byte() % kOpCount) {
      case kLinkButton:
        machine.LinkBtnClick(LinkButton::LinkBtn);
        break;
      case kUnlinkButton:
        machine.LinkBtnClick(LinkButton::UnLinkBtn);
        break;
      // A timer ticks only while the link has it running, as the real timers do.
      case kSearchTicks:
        for (int n = 1 + in.Byte() % 4; n > 0 && machine.SearchTimerOn(); --n) {
          machine.SearchTick();
        }
        break;
      case kTransferTicks:
        for (int n = 1 + in.Byte() % 64; n > 0 && machine.TransferTimerOn(); --n) {
          machine.TransferTick();
        }
        break;
      case kHoldTicks:
        for (int n = 1 + in.Byte() % 64; n > 0 && machine.HoldTimerOn(); --n) machine.HoldTick();
        break;
      case kSerialBytes:
        machine.OnSerialBytes(in.Chunk());
        break;
      case kTcpBytes:
        machine.OnTcpBytes(in.Chunk());
        break;
      case kUsbReport:
        machine.OnUsbReport(in.Chunk());
        break;
      case kEdit: {
        const ParamAddr addr = in.Word();
        host.WriteParam(addr, in.Word());
        break;
      }
      case kUsbRebuilt:
        transport.hid_present = in.Byte() & 1;
        machine.OnUsbListRebuilt(transport.hid_present);
        break;
      case kRecall: {
        const std::uint8_t b = in.Byte();
        if (b & 0x80) {
          machine.LoadHintMode(b % 16);
        } else {
          machine.LoadDeviceMode(b % 16);
        }
        break;
      }
      case kSave: {
        const std::uint8_t b = in.Byte();
        // A typed name of printable characters (names from the box are checked as received).
        std::string name(Text(in.Chunk()));
        for (char& c : name) c = static_cast<char>(' ' + static_cast<std::uint8_t>(c) % 95);
        if (b & 0x80) {
          machine.StoreHintMode(b % 16, name);
        } else {
          machine.StoreDeviceMode(b % 16, name);
        }
        break;
      }
      case kDownload:
        machine.EnterLinkState(in.Byte() & 1 ? LinkEntry::StartHintWrite
                                             : LinkEntry::StartFullWrite);
        break;
      case kTextWrite: {
        const std::uint8_t b = in.Byte();
        const std::string_view text = Text(in.Chunk());
        if (b & 1) {
          machine.SendBluetoothName(text);
        } else {
          machine.SendUserPassword(text);
        }
        break;
      }
      case kFarewell:
        machine.FarewellOnClose();
        break;
      case kSerialPorts:
        transport.ports.assign(in.Byte() % 3, "/dev/ttyFUZZ");
        break;
      case kEditAndHold: {
        const ParamAddr addr = in.Word();
        machine.SendParamAndHold(addr, in.Word());
        break;
      }
    }
    CheckCounters(machine);
  }
  fuzz::CheckReceiveInvariants(machine.dispatcher(), machine.state(), device_values);
  return 0;
}
