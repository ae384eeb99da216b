#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/value_table.h"

namespace kdsp::boxsim {

inline constexpr int kModeCount = 16;
inline constexpr int kNameBytes = 20;

/// Everything the emulated box remembers: the live parameter memory, the sixteen device modes
/// (pages 0..25 each), the sixteen hint modes (pages 22..24 each) and the text items.
struct BoxMemory {
  ValueTable params;
  std::vector<ValueTable> modes = std::vector<ValueTable>(kModeCount);
  std::array<std::string, kModeCount> mode_names;
  std::vector<ValueTable> hint_modes = std::vector<ValueTable>(kModeCount);
  std::array<std::string, kModeCount> hint_names;
  std::string user_password = "8888";
  std::string system_password = "365024";
  std::string bluetooth_name = "KTV-DSP";
  std::array<std::uint8_t, 4> device_id = {0x2F, 0x1D, 0x5A, 0xC3};
};

/// Pages a device mode covers, and the hidden equaliser pages of a hint mode.
inline constexpr int kModeFirstPage = 0;
inline constexpr int kModeLastPage = 25;
inline constexpr int kHintFirstPage = 22;
inline constexpr int kHintLastPage = 24;

/// Index into the frequency table nearest to `freq_hz` (36 steps per octave, 1 kHz at 204).
int FrequencyIndex(double freq_hz);

/// Writes one equaliser band of a device page.
void SetBand(ValueTable& t, int page, int band, int type, int freq_index, int gain, int q);

/// Resets the bands of every page whose equaliser block is `block` to the defaults (peaking,
/// the group's default frequency, 0 dB, Q and slope 1.00). Returns false for an unknown block.
bool ResetEqualiserBlock(ValueTable& t, int block);

/// Copies microphone 1 (page 1, slots 0..114 except the sync flag) onto microphone 2.
void CopyMicrophoneOneToTwo(ValueTable& t);

/// A box as it leaves the factory: named modes with tuned contents, mode 1 and hint mode 1
/// loaded, sensible system settings.
BoxMemory MakeFactoryMemory();

}  // namespace kdsp::boxsim
