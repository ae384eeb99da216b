#pragma once

#include <array>
#include <optional>

#include "model/param_addr.h"

namespace kdsp {

/// Slots in use per page (0..30); pages above 30 have none.
int PageLength(int page);

/// Equaliser geometry of a device page (pages 0..24); 0 / -1 where the page has no equaliser.
int EqFirstSlot(int page);
int EqBandCount(int page);
/// Number used by the equaliser reset command (page 26, slot = block id); -1 without equaliser.
int EqBlockId(int page);
/// Slot of the page's equaliser bypass switch (the slot before the first band); -1 for none
/// (page 21 has no bypass).
int EqBypassSlot(int page);

/// Band families: page 0 -> 0, 1/2 -> 1, 3/4 -> 2, 22..24 -> 4, 21 -> 6, any other -> 3.
int GroupOf(int page);
/// Number of bands shown for a group (0..7); 0 for groups without bands.
int BandsOfGroup(int group);
/// Default frequency index of band `band` (0-based) of a group, used by the equaliser reset.
int DefaultFrequencyIndex(int group, int band);

/// Field of a band slot: 0 type, 1 frequency, 2 gain, 3 Q, 4 shelf slope.
enum BandField { kFieldType = 0, kFieldFreq = 1, kFieldGain = 2, kFieldQ = 3, kFieldSlope = 4 };

/// High-pass / low-pass slots of the view pages that have them (0, 1, 3, 4, 5).
struct FilterSlots {
  int hp_type, hp_freq, lp_type, lp_freq;
};
std::optional<FilterSlots> FilterSlotsOf(int page);

/// The view pages that `RebuildView` fills from `DeviceValues`.
inline constexpr std::array<int, 10> kViewPages = {0, 1, 3, 4, 5, 21, 22, 25, 26, 30};

/// Equaliser defaults written by a reset: type peaking, gain 0 dB, Q 1.00, slope 1.00.
inline constexpr int kDefaultType = 1;
inline constexpr int kFlatGain = 120;
inline constexpr int kDefaultQ = 16;
inline constexpr int kDefaultSlope = 16;

}  // namespace kdsp
