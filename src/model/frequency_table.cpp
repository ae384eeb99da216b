#include "model/frequency_table.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace kdsp {
namespace {

// Entries are kept in tenths of a hertz, so that the stored numbers and their texts are exact.
using TenthsTable = std::array<std::int32_t, kFrequencyCount>;

// Entry i is 1000 * 2^((i - 204) / 36) rounded half up to three significant figures; entries
// 81..84 are rounded to whole hertz instead (94, 95, 97, 99).
//
// The exponent is exact whenever (i - 204) is a multiple of 36, so the exact powers of two
// (31.25 at index 24 is the only true tie in range) are scaled by 10 without error and round
// up as they must. Every other entry lies irrational and, across the table, at least 0.006 of
// the last kept digit away from a tie, far beyond the error of long double.
std::int32_t ComputeTenths(int i) {
  const long double hz = 1000.0L * std::exp2l(static_cast<long double>(i - 204) / 36.0L);
  if (i >= 81 && i <= 84) return static_cast<std::int32_t>(std::floor(hz + 0.5L)) * 10;
  // Scale to three digits before the point: 100 <= scaled < 1000.
  int exp10;  // hz ~ scaled * 10^exp10
  long double scaled;
  if (hz < 100.0L) {
    exp10 = -1;
    scaled = hz * 10.0L;
  } else if (hz < 1000.0L) {
    exp10 = 0;
    scaled = hz;
  } else if (hz < 10000.0L) {
    exp10 = 1;
    scaled = hz / 10.0L;
  } else {
    exp10 = 2;
    scaled = hz / 100.0L;
  }
  std::int32_t tenths = static_cast<std::int32_t>(std::floor(scaled + 0.5L));
  for (int e = -1; e < exp10; ++e) tenths *= 10;
  return tenths;
}

const TenthsTable& Tenths() {
  static const TenthsTable table = [] {
    TenthsTable t{};
    for (int i = 0; i < kFrequencyCount; ++i) t[i] = ComputeTenths(i);
    return t;
  }();
  return table;
}

std::int32_t TenthsAt(int index) { return Tenths()[std::clamp(index, 0, kFrequencyCount - 1)]; }

}  // namespace

double FrequencyHz(int index) { return TenthsAt(index) / 10.0; }

// The tenths are exact in a float (below 2^24), so one division gives the nearest float.
float FrequencyHzF(int index) { return static_cast<float>(TenthsAt(index)) / 10.0f; }

std::string FrequencyText(int index) {
  const std::int32_t tenths = TenthsAt(index);
  if (tenths >= 10000) return std::to_string(tenths / 10);
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

int NearestFrequencyIndex(double hz) {
  int i = 0;
  while (i < kFrequencyCount && static_cast<double>(FrequencyHzF(i)) < hz) ++i;
  if (i >= kFrequencyIndexMax) return kFrequencyIndexMax;  // also when no entry is that large
  if (i == 0) return 0;
  const double above = static_cast<double>(FrequencyHzF(i)) - hz;
  const double below = hz - static_cast<double>(FrequencyHzF(i - 1));
  return above >= below ? i - 1 : i;
}

}  // namespace kdsp
