#pragma once

#include <string>

namespace kdsp {

/// The frequency scale: 36 steps per octave, 1000 Hz at index 204, 362 entries.
inline constexpr int kFrequencyCount = 362;
/// The highest index a parameter uses; index 361 exists for the graph only.
inline constexpr int kFrequencyIndexMax = 360;
inline constexpr int kFrequencyIndex1k = 204;

/// Entry `index` (clamped to 0..361) in hertz, e.g. 19.7, 1000, 20600.
double FrequencyHz(int index);

/// The same entry as single precision, as typed-frequency parsing and the response maths use it.
float FrequencyHzF(int index);

/// Entry `index` (clamped) as shown, without unit: one decimal below 1000 Hz ("19.7", "981.0"),
/// a whole number from 1000 Hz up ("1000", "20200").
std::string FrequencyText(int index);

/// The parameter index 0..360 nearest to `hz`; halfway between two entries goes to the lower
/// index. Entries are compared as single precision.
int NearestFrequencyIndex(double hz);

}  // namespace kdsp
