#include "model/display_kind.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "model/frequency_table.h"
#include "model/q_table.h"
#include "model/scale_tables.h"

namespace kdsp {
namespace {

// Raw ranges of kinds 0..29; kind 0 is a placeholder (it has no range of its own).
constexpr std::array<KindRange, kKindCount> kRanges = {{
    {0, 0},   {0, 3},   {0, 360},  {0, 180},   {0, 100},  {0, 40},  {0, 360}, {0, 64},
    {0, 100}, {0, 200}, {0, 100},  {0, 250},   {0, 80},   {0, 205}, {0, 34},  {0, 40},
    {0, 7},   {0, 19},  {0, 1000}, {0, 23},    {0, 60},   {0, 14},  {0, 40},  {0, 4},
    {0, 60},  {0, 34},  {0, 250},  {120, 180}, {60, 120}, {0, 100},
}};

constexpr KindRange kWordRange = {0, 65535};

// Integer part of a value already inside [lo, hi]; NaN counts as the lower end.
int CutToInt(double v, double lo, double hi) {
  if (std::isnan(v)) return static_cast<int>(lo);
  return static_cast<int>(std::trunc(std::clamp(v, lo, hi)));
}

// num / den rounded half away from zero (den > 0).
std::int64_t DivHalfAway(std::int64_t num, std::int64_t den) {
  const std::int64_t magnitude = (std::llabs(num) * 2 + den) / (den * 2);
  return num < 0 ? -magnitude : magnitude;
}

std::string Whole(std::int64_t v) { return std::to_string(v); }

// A number of tenths as "#0.0".
std::string Tenths(std::int64_t tenths) {
  const std::int64_t magnitude = std::llabs(tenths);
  return (tenths < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." +
         std::to_string(magnitude % 10);
}

std::string Frequency(int index) { return FrequencyText(index) + "Hz"; }

}  // namespace

bool IsDisplayKind(int kind) { return kind >= 0 && kind < kKindCount; }

bool HasRange(int kind) { return kind >= 1 && kind < kKindCount; }

KindRange RangeOf(int kind, bool shelf) {
  if (!HasRange(kind)) return kWordRange;
  if (kind == kKindQ && shelf) return {0, kShelfQIndexMax};
  return kRanges[kind];
}

int ClampUser(int kind, double v, bool shelf) {
  const KindRange r = RangeOf(kind, shelf);
  return CutToInt(v, r.min, r.max);
}

int ClampDisplay(int kind, double v, bool shelf) {
  const KindRange r = RangeOf(kind, shelf);
  if (kind >= kKindFilterType && kind <= kKindInputGain) return CutToInt(v, INT_MIN, r.max);
  return CutToInt(v, r.min, r.max);
}

bool KindHasText(int kind) { return kind >= 2 && kind < kKindCount; }

std::string FormatKind(int kind, int raw) {
  const std::int64_t r = raw;
  switch (kind) {
    case 2:
    case 6:
    case 7:
      return Frequency(raw);
    case 3:
    case 27:
    case 28:
      return Tenths(r * 2 - 240) + "dB";  // r / 5 - 24
    case 4:
    case 19:
      return std::string(QText(raw));
    case 5:
      return Tenths(r * 5 - 100) + "dB";  // r / 2 - 10
    case 8:
    case 9:
      return Whole(r) + "%";
    case 10:
      return Whole(r - 50) + "%";
    case 11:
      return Whole(r * 2) + "ms";
    case 12:
      return Whole(DivHalfAway(r * 125, 2)) + "ms";  // r * 62.5
    case 13:
      return raw == 0 ? std::string("Off") : Frequency(raw - 1);
    case 14:
      return Whole(r - 20) + "dBu";
    case 15:
      return std::string(TextAt(RatioTable(), raw));
    case 16:
      return std::string(TextAt(ReleaseTable(), raw));
    case 17:
      return std::string(TextAt(AttackTable(), raw)) + "ms";
    case 18:
      return Tenths(r) + "ms";  // r / 10
    case 20:
      return Whole(r - 60) + "dBu";
    case 21:
      return Whole(r - 7);
    case 22:
      return Whole(DivHalfAway(r - 20, 2)) + "dB";  // r / 2 - 10
    case 23:
    case 29:
      return Whole(r);
    case 24:
      return Whole(r - 90) + "dB";
    case 25:
      return Whole(r - 34) + "dB";
    case 26:
      return Whole(r) + "ms";
    default:
      return {};  // kinds 0, 1 and unknown kinds are not formatted here
  }
}

}  // namespace kdsp
