#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kdsp::boxsim {

/// Misbehaviours the emulated box can be told to show.
enum class FaultKind : std::uint8_t {
  kDrop,     ///< drop the next `value` answers (acknowledgements and frames)
  kCorrupt,  ///< spoil the checksum of the next `value` answer frames
  kSplit,    ///< send each of the next `value` answer frames in two halves (TCP, serial)
  kMerge,    ///< send the next `value` pairs of answers as one send each (TCP, serial)
  kSilent,   ///< ignore everything for `value` ms (0: until told to come back)
  kResume,   ///< come back from silence
  kDelay,    ///< answer `value` ms late from now on (0: on time again)
  kKey,      ///< turn the music key to `value` as from the front panel
  kStray,    ///< send a stray frame header before each of the next `value` answers
  kSlow,     ///< ignore a request that arrives sooner than `value` ms after the last answer
};

struct Fault {
  FaultKind kind = FaultKind::kDrop;
  int value = 1;
};

/// A fault that takes effect once the box has received `after_frames` frames.
struct ScheduledFault {
  Fault fault;
  std::int64_t after_frames = 0;
};

/// The name of a fault as the command line and the command input spell it ("drop", ...).
std::string_view FaultName(FaultKind kind);

/// Parses "NAME" or "NAME VALUE[@K]" (also "NAME=VALUE[@K]"), e.g. "drop 3", "silent 0@40",
/// "corrupt". A missing value means 1 (0 for silent). Returns nothing for anything else.
std::optional<ScheduledFault> ParseFault(std::string_view name, std::string_view arg);
std::optional<ScheduledFault> ParseFaultLine(std::string_view line);

/// One line per fault for the help text.
std::string FaultHelp();

}  // namespace kdsp::boxsim
