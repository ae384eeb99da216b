// The receive dispatcher given any byte string as if one transport had delivered it: a USB
// report's data, a serial unit or a TCP read. Built once per transport kind.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"

#ifndef KDSP_FUZZ_LINK_KIND
#error "KDSP_FUZZ_LINK_KIND names the transport kind of this target"
#endif

namespace {

// Name counters a full read can stand at: before the first name, at the first and last names,
// and one past the list.
constexpr int kNameIndexes[] = {0, 1, 16, 17};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kdsp;
  const std::span<const std::uint8_t> bytes(data, size);
  for (const int name_index : kNameIndexes) {
    ValueTable device_values;
    LinkState state;
    state.NameIndex = name_index;
    state.XferState = kXferSent;
    fuzz::QuietHost host(device_values);
    ReceiveDispatcher dispatcher(state, device_values, host);
    dispatcher.ParseIncoming(KDSP_FUZZ_LINK_KIND, bytes);
    // One frame can only reach the row it addresses, the music key on page 0 and page 30.
    const int rows[] = {0, kControlPage, size > 4 ? data[4] : 0};
    fuzz::CheckReceiveInvariants(dispatcher, state, device_values, rows);
    KDSP_FUZZ_CHECK(fuzz::ZeroOutside(device_values, rows));
    // A string that is no frame of the box leaves the exchange where it was.
    if (size == 0 || (data[0] != kFrameHeader && data[0] != kAckLead)) {
      KDSP_FUZZ_CHECK(state.XferState == kXferSent && !state.RxError && !state.BoxAnswered);
    }
    // Whatever was rejected stored nothing.
    if (state.RxError) {
      KDSP_FUZZ_CHECK(fuzz::ZeroOutside(device_values, {}));
    }
  }
  return 0;
}
