#include "eq/graph_texts.h"

#include <cmath>
#include <cstdint>

namespace kdsp {

std::string FormatFixed(double value, int decimals) {
  double scale = 1.0;
  for (int i = 0; i < decimals; ++i) scale *= 10.0;
  // std::round takes halves away from zero, as the display patterns do.
  const auto units = static_cast<std::int64_t>(std::round(std::fabs(value) * scale));
  const auto whole_scale = static_cast<std::int64_t>(scale);
  std::string text = (value < 0 && units != 0) ? "-" : "";
  text += std::to_string(units / whole_scale);
  if (decimals > 0) {
    std::string fraction = std::to_string(units % whole_scale);
    text += '.';
    text.append(static_cast<std::size_t>(decimals) - fraction.size(), '0');
    text += fraction;
  }
  return text;
}

std::string BandValueText(double gain_db, double q, double freq_hz) {
  return FormatFixed(gain_db, 1) + "dB\nQ:" + FormatFixed(q, 2) + "\n" + FormatFixed(freq_hz, 2) +
         "Hz";
}

std::string FilterValueText(bool low_pass, double freq_hz) {
  return std::string(low_pass ? "LPF:" : "HPF:") + FormatFixed(freq_hz, 2) + "Hz";
}

std::string LevelAxisText(int i) { return std::to_string(6 * i - 24) + "dB"; }

}  // namespace kdsp
