// The serial and TCP assembler fed one byte stream in arbitrary pieces. The input is the stream
// with the piece lengths appended at its end (read from the back, one byte each), so real
// recordings make good seeds.
//
// Checks: every unit that comes out is a whole acknowledgement or a screened frame of LEN + 3
// bytes; the units do not depend on how the stream was cut (pieces, one piece, byte by byte);
// and every unit is safe for the receive dispatcher as the serial port and TCP hand it over.
#include <fuzzer/FuzzedDataProvider.h>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "link/core/rx_assembler.h"

namespace {

using kdsp::Bytes;
using kdsp::RxAssembler;
using kdsp::RxUnit;

void CheckUnit(const RxUnit& unit) {
  if (unit.is_ack) {
    KDSP_FUZZ_CHECK(unit.bytes.size() == 2 && kdsp::IsAck(unit.bytes));
    return;
  }
  KDSP_FUZZ_CHECK(unit.bytes.size() >= 7);
  KDSP_FUZZ_CHECK(unit.bytes[0] == kdsp::kFrameHeader && unit.bytes[1] == kdsp::BoxAddress);
  KDSP_FUZZ_CHECK(unit.bytes[3] == kdsp::CmdWrite || unit.bytes[3] == kdsp::CmdRead);
  KDSP_FUZZ_CHECK(unit.bytes[2] + 3u == unit.bytes.size());
}

std::vector<RxUnit> FeedAll(RxAssembler& rx, const std::vector<Bytes>& pieces) {
  std::vector<RxUnit> units;
  for (const Bytes& piece : pieces) {
    for (RxUnit& u : rx.Feed(piece)) units.push_back(std::move(u));
  }
  return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kdsp;
  FuzzedDataProvider fdp(data, size);
  // Cut the stream: each piece takes its length from the back of the input, its bytes from
  // the front.
  std::vector<Bytes> pieces;
  Bytes stream;
  while (fdp.remaining_bytes() > 0) {
    const auto length = fdp.ConsumeIntegralInRange<std::size_t>(0, 80);
    Bytes piece = fdp.ConsumeBytes<std::uint8_t>(length);
    stream.insert(stream.end(), piece.begin(), piece.end());
    pieces.push_back(std::move(piece));
  }

  RxAssembler in_pieces;
  const std::vector<RxUnit> units = FeedAll(in_pieces, pieces);
  for (const RxUnit& u : units) CheckUnit(u);

  RxAssembler whole;
  KDSP_FUZZ_CHECK(FeedAll(whole, {stream}) == units);
  KDSP_FUZZ_CHECK(whole.RxState() == in_pieces.RxState());
  KDSP_FUZZ_CHECK(std::ranges::equal(whole.RxBuf(), in_pieces.RxBuf()));

  RxAssembler bytewise;
  std::vector<RxUnit> one_by_one;
  for (std::size_t i = 0; i < stream.size(); ++i) {
    for (RxUnit& u : bytewise.Feed(std::span(stream).subspan(i, 1))) {
      one_by_one.push_back(std::move(u));
    }
  }
  KDSP_FUZZ_CHECK(one_by_one == units);

  // The held partial unit never outgrows the largest frame.
  KDSP_FUZZ_CHECK(in_pieces.RxBuf().size() <= 258);

  for (const LinkKind kind : {LinkCom, LinkTcp}) {
    ValueTable device_values;
    LinkState state;
    fuzz::QuietHost host(device_values);
    ReceiveDispatcher dispatcher(state, device_values, host);
    for (const RxUnit& u : units) {
      if (u.is_ack && kind == LinkCom) {
        dispatcher.HandleAck();  // the serial assembler hands acknowledgements over itself
      } else {
        dispatcher.ParseIncoming(kind, u.bytes);
      }
    }
    fuzz::CheckReceiveInvariants(dispatcher, state, device_values);
  }
  return 0;
}
