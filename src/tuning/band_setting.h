#pragma once

#include <array>
#include <span>
#include <string>

#include "eq/maths/response_grid.h"

namespace kdsp {

/// The five raw fields of one equaliser band, as the box stores them.
struct BandSetting {
  int type = 1;          ///< 0 bypass, 1 peaking, 2 low shelf, 3 high shelf
  int freq_index = 204;  ///< `FrequencyTable` index 0..360
  int gain_raw = 120;    ///< 0.2 dB steps, 120 = 0 dB, 0..180
  int q_index = 16;      ///< Q of peaking bands, 0..100
  int slope_index = 16;  ///< slope of shelves, 0..24
  bool operator==(const BandSetting&) const = default;
};

inline constexpr int kGainRawFlat = 120;
inline constexpr int kGainRawMax = 180;

/// Gain in dB of a raw gain step.
inline double GainDbOf(int gain_raw) { return gain_raw / 5.0 - 24.0; }

/// True when the band changes nothing: bypassed, or a peaking band at 0 dB.
bool IsFlat(const BandSetting& band);

/// The response of one band on grid points 0..N, computed exactly as the graph computes it.
using GridCurve = std::array<float, kGridSteps + 1>;
void BandCurve(const BandSetting& band, GridCurve& curve);

/// "PK 1000 Hz -6.0 dB Q 4.00" (shelves: "LS 80.0 Hz +2.0 dB S 1.00"; "off" for flat bands).
std::string DescribeBand(const BandSetting& band);

}  // namespace kdsp
