#pragma once

#include <string_view>

namespace kdsp {

/// The Q scale of peaking bands (indexes 0..100, 0.40 to 128.00); shelving slopes use 0..24.
inline constexpr int kQCount = 101;
inline constexpr int kQIndexMax = 100;
inline constexpr int kShelfQIndexMax = 24;
/// Q index 16 is 1.00, the default of every band.
inline constexpr int kQIndexUnity = 16;

/// Text of Q index `index` (clamped to 0..100), e.g. "1.00", "128.00".
std::string_view QText(int index);

/// The Q of index `index` (clamped) as single precision, for the response maths.
float QValue(int index);

/// The first index whose Q is not below `q` (the Q of a text compares equal to that text's
/// number); 101 when `q` is above every entry.
int QIndexAtLeast(double q);

}  // namespace kdsp
