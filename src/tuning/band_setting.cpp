#include "tuning/band_setting.h"

#include <cstdio>
#include <memory>

#include "eq/maths/band_response.h"
#include "model/frequency_table.h"
#include "model/q_table.h"

namespace kdsp {

bool IsFlat(const BandSetting& band) {
  if (band.type == 0 || band.type > 3) return true;
  return band.gain_raw == kGainRawFlat;
}

void BandCurve(const BandSetting& band, GridCurve& curve) {
  // The graph's own path: frequency rounded to whole hertz, gain in single precision, the
  // slope on shelves and the Q on every other type.
  thread_local std::unique_ptr<ResponseScratch> scratch = std::make_unique<ResponseScratch>();
  thread_local std::array<float, kResponseLength> row{};
  const int freq = static_cast<int>(RoundHalfEven(FrequencyHzF(band.freq_index)));
  const float q = QValue(band.type > 1 ? band.slope_index : band.q_index);
  const float gain = static_cast<float>(GainDbOf(band.gain_raw));
  BandResponse(band.type, freq, q, gain, row, *scratch);
  for (int k = 0; k <= kGridSteps; ++k) curve[k] = row[k];
}

std::string DescribeBand(const BandSetting& band) {
  if (IsFlat(band)) return "off";
  const char* kind = band.type == 1 ? "PK" : band.type == 2 ? "LS" : "HS";
  char text[96];
  std::snprintf(text, sizeof text, "%s %s Hz %+.1f dB %s %s", kind,
                FrequencyText(band.freq_index).c_str(), GainDbOf(band.gain_raw),
                band.type == 1 ? "Q" : "S",
                std::string(QText(band.type == 1 ? band.q_index : band.slope_index)).c_str());
  return text;
}

}  // namespace kdsp
