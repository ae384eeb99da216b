// The emulated box's request handler given any bytes from a console: a session of one transport
// kind (the first input byte) fed a script of byte pieces, clock steps and faults, and the box
// asked to handle raw byte strings as frames.
//
// Checks: the box's memory keeps 16-bit words and names of at most 20 bytes; every USB send is
// one 64-byte input report; on the serial port and TCP the sends, joined, are a stream of
// acknowledgements and well-formed frames with nothing stray or half-sent, unless the box was
// told to spoil checksums or send stray headers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "boxsim/box_session.h"
#include "boxsim/box_sim.h"
#include "boxsim/fault.h"
#include "fuzz_support.h"
#include "link/core/rx_assembler.h"

namespace {

using namespace kdsp;
using namespace kdsp::boxsim;

enum Op : std::uint8_t { kFeed, kWait, kFault, kHandle, kFaultLine, kOpCount };
constexpr int kFaultKindCount = static_cast<int>(FaultKind::kStray) + 1;

// Faults after which the stream may hold more than acknowledgements and whole good frames: a
// spoilt checksum (the console's assembler then resumes its search right after that frame's
// header, so header-like bytes inside it start false frames) or a stray header whose length
// byte swallows what follows. Either way the stream may end inside a frame.
bool SpoilsStream(FaultKind kind) {
  return kind == FaultKind::kCorrupt || kind == FaultKind::kStray;
}

const BoxMemory& Factory() {
  static const BoxMemory memory = MakeFactoryMemory();
  return memory;
}

// Through the box's accessors: a copy of its whole memory (all modes) per run would cost more
// than the run itself.
void CheckMemory(const BoxSim& box) {
  for (int page = 0; page < kPageCount; ++page) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const std::int32_t v = box.Param(page, slot);
      KDSP_FUZZ_CHECK(v >= 0 && v <= 0xFFFF);
    }
  }
  for (int i = 0; i < kModeCount; ++i) {
    KDSP_FUZZ_CHECK(box.ModeNameOf(i).size() <= kNameBytes);
    KDSP_FUZZ_CHECK(box.HintModeNameOf(i).size() <= kNameBytes);
  }
  KDSP_FUZZ_CHECK(box.UserPasswordText().size() == 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::ScriptReader in(data, size);
  const auto kind = static_cast<LinkKind>(in.Byte() % 3);
  std::int64_t now_ms = 0;
  BoxSim box(Factory(), [&now_ms] { return now_ms; });
  BoxSession session(box, kind, kind == LinkTcp ? kTcpSendGapMs : 0);

  Bytes stream;  // everything sent on the serial port or TCP, in order
  bool spoilt = false;
  auto drain = [&] {
    while (auto send = session.PopDue()) {
      if (kind == LinkUsb) {
        KDSP_FUZZ_CHECK(send->size() == static_cast<std::size_t>(BoxSession::kInputReportLength));
        KDSP_FUZZ_CHECK((*send)[0] == 0);
        const std::span<const std::uint8_t> body = std::span(*send).subspan(1);
        if (!IsAck(body)) {
          // The frame and its filler: the frame has to fit the report whole.
          const std::size_t frame_size = body[2] + 3u;
          KDSP_FUZZ_CHECK(frame_size <= body.size());
          KDSP_FUZZ_CHECK(fuzz::IsWellFormedFrame(body.first(frame_size)) || spoilt);
        }
      } else {
        stream.insert(stream.end(), send->begin(), send->end());
      }
    }
  };

  while (!in.Empty()) {
    switch (in.Byte() % kOpCount) {
      case kFeed:
        session.Feed(in.Chunk());
        drain();
        break;
      case kWait:
        now_ms += in.Word();
        drain();
        break;
      case kFault: {
        const auto fault = static_cast<FaultKind>(in.Byte() % kFaultKindCount);
        spoilt |= SpoilsStream(fault);
        box.Inject({fault, static_cast<int>(in.Word())});
        break;
      }
      case kHandle: {
        const auto answers = box.Handle(in.Chunk(), kind);
        for (const Answer& a : answers) {
          KDSP_FUZZ_CHECK(!a.bytes.empty());
          KDSP_FUZZ_CHECK(fuzz::IsWellFormedFrame(a.bytes) || IsAck(a.bytes) || spoilt);
        }
        break;
      }
      case kFaultLine: {
        const auto text = in.Chunk();
        const auto fault = ParseFaultLine(
            std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
        if (fault) {
          spoilt |= SpoilsStream(fault->fault.kind);
          box.Schedule(*fault);
        }
        break;
      }
    }
  }
  // Let everything held or delayed go out, moving the clock to each moment the session
  // names (the TCP session keeps a pause between two sends).
  for (int turns = 0; session.Waiting() > 0 && turns < 100000; ++turns) {
    now_ms = std::max(now_ms, session.NextWakeMs());
    drain();
  }
  KDSP_FUZZ_CHECK(session.Waiting() == 0);
  CheckMemory(box);

  if (kind != LinkUsb) {
    // No stray byte between the answers and nothing left half-sent.
    RxAssembler rx;
    std::size_t used = 0;
    for (const RxUnit& unit : rx.Feed(stream)) {
      KDSP_FUZZ_CHECK(unit.is_ack || fuzz::IsWellFormedFrame(unit.bytes) || spoilt);
      used += unit.bytes.size();
    }
    if (used != stream.size() && !spoilt) {
      std::fprintf(stderr, "stream: %s\n", HexText(stream).c_str());
      for (const RxUnit& unit : RxAssembler().Feed(stream)) {
        std::fprintf(stderr, "unit: %s\n", HexText(unit.bytes).c_str());
      }
    }
    KDSP_FUZZ_CHECK(used == stream.size() || spoilt);
  }
  return 0;
}
