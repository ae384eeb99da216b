#include "model/q_table.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace kdsp {
namespace {

constexpr std::array<std::string_view, kQCount> kQTexts = {
    "0.40",  "0.42",  "0.45",  "0.47",  "0.50",  "0.53",  "0.56",   "0.59",   "0.63",   "0.67",
    "0.71",  "0.75",  "0.79",  "0.84",  "0.89",  "0.94",  "1.00",   "1.06",   "1.12",   "1.19",
    "1.26",  "1.30",  "1.40",  "1.50",  "1.60",  "1.70",  "1.80",   "1.90",   "2.00",   "2.10",
    "2.20",  "2.40",  "2.50",  "2.70",  "2.80",  "3.00",  "3.20",   "3.40",   "3.60",   "3.80",
    "4.00",  "4.20",  "4.50",  "4.80",  "5.00",  "5.30",  "5.70",   "6.00",   "6.30",   "6.70",
    "7.10",  "7.60",  "8.00",  "8.50",  "9.00",  "9.50",  "10.10",  "10.70",  "11.30",  "12.00",
    "12.70", "13.50", "14.00", "15.00", "16.00", "17.00", "18.00",  "19.00",  "20.00",  "21.00",
    "23.00", "24.00", "25.00", "27.00", "29.00", "30.00", "32.00",  "34.00",  "36.00",  "38.00",
    "40.00", "43.00", "45.00", "48.00", "51.00", "54.00", "57.00",  "60.00",  "64.00",  "68.00",
    "72.00", "76.00", "81.00", "85.00", "91.00", "96.00", "102.00", "108.00", "114.00", "121.00",
    "128.00"};

// The numbers are read from the texts themselves, so a typed "1.06" and the entry "1.06" are
// the same double and the lookup never drifts to the next entry.
template <typename T>
std::array<T, kQCount> ReadAll() {
  std::array<T, kQCount> values{};
  for (int i = 0; i < kQCount; ++i) {
    const std::string_view text = kQTexts[i];
    std::from_chars(text.data(), text.data() + text.size(), values[i]);
  }
  return values;
}

const std::array<double, kQCount>& Doubles() {
  static const auto values = ReadAll<double>();
  return values;
}

const std::array<float, kQCount>& Floats() {
  static const auto values = ReadAll<float>();
  return values;
}

int Clamped(int index) { return std::clamp(index, 0, kQIndexMax); }

}  // namespace

std::string_view QText(int index) { return kQTexts[Clamped(index)]; }

float QValue(int index) { return Floats()[Clamped(index)]; }

int QIndexAtLeast(double q) {
  const auto& values = Doubles();
  const auto it = std::find_if(values.begin(), values.end(), [q](double v) { return v >= q; });
  return static_cast<int>(it - values.begin());  // kQCount when none
}

}  // namespace kdsp
