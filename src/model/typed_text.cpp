#include "model/typed_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "model/display_kind.h"
#include "model/frequency_table.h"
#include "model/q_table.h"

namespace kdsp {

std::string FilterTyped(std::string_view text) {
  std::string kept;
  for (char c : text) {
    if (c == '-' || c == '.' || (c >= '0' && c <= '9')) kept.push_back(c);
  }
  return kept;
}

std::optional<double> ReadNumber(std::string_view filtered) {
  std::size_t pos = 0;
  const bool negative = !filtered.empty() && filtered[0] == '-';
  if (negative) pos = 1;
  int digits = 0;
  int points = 0;
  bool nonzero_before_point = false;
  for (std::size_t i = pos; i < filtered.size(); ++i) {
    const char c = filtered[i];
    if (c == '.') {
      if (++points > 1) return std::nullopt;
    } else if (c >= '0' && c <= '9') {
      ++digits;
      if (points == 0 && c != '0') nonzero_before_point = true;
    } else {
      return std::nullopt;  // a '-' anywhere but in front
    }
  }
  if (digits == 0) return std::nullopt;

  double value = 0.0;
  const char* first = filtered.data();
  const char* last = filtered.data() + filtered.size();
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
  if (ec == std::errc::result_out_of_range) {
    // Absurdly long digit strings: too large is an infinity (clamped later), too small zero.
    const double magnitude = nonzero_before_point ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
  }
  if (ec != std::errc() || end != last) return std::nullopt;
  return value;
}

std::optional<double> ReadTyped(std::string_view text) { return ReadNumber(FilterTyped(text)); }

double RoundTypedHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  const double below = std::floor(v);
  const double fraction = v - below;
  // A typed decimal such as -23.9 reaches (x + 24) * 5 as 0.50000000000000711: still a tie.
  // Nobody types ten decimals, so anything this close to a half was meant as one.
  constexpr double kTieTolerance = 1e-9;
  if (std::fabs(fraction - 0.5) <= kTieTolerance) {
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
  }
  return fraction < 0.5 ? below : below + 1.0;
}

double ParseTyped(int kind, double x) {
  switch (kind) {
    case kKindFrequency:
      return NearestFrequencyIndex(x);
    case kKindGain:
    case kKindMaxBoost:
    case kKindMaxCut:
      return RoundTypedHalfEven((x + 24.0) * 5.0);
    case kKindQ:
      return QIndexAtLeast(x);
    case kKindInputGain:
      return RoundTypedHalfEven((x + 10.0) * 2.0);
    case kKindPlain:
      return RoundTypedHalfEven(x);
    default:
      return x;
  }
}

}  // namespace kdsp
