#include "kdsp-tool/eq_bands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "kdsp-tool/shelf_slope.h"
#include "model/frequency_table.h"
#include "model/page_layout.h"
#include "model/q_table.h"

namespace kdsp::tool {

namespace {

// The box's band types keep their stored numbers.
enum class BoxType { kPeaking = 1, kLowShelf = 2, kHighShelf = 3, kNone, kUnsupported };

BoxType Classify(const std::string& type) {
  if (type == "PK" || type == "PEQ") return BoxType::kPeaking;
  if (type == "LS" || type == "LSC") return BoxType::kLowShelf;
  if (type == "HS" || type == "HSC") return BoxType::kHighShelf;
  if (type == "NONE") return BoxType::kNone;
  return BoxType::kUnsupported;
}

std::string Num(double v) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

}  // namespace

int ChannelBandSlot(const Channel& channel, int page, int band, int field) {
  return EqFirstSlot(page) + 5 * (channel.first_band + band) + field;
}

std::vector<BandState> ReadBandStates(const Channel& channel, int page, const ValueTable& values) {
  std::vector<BandState> bands(channel.band_count);
  for (int b = 0; b < channel.band_count; ++b) {
    for (int f = 0; f < 5; ++f)
      bands[b][f] = values.Get(page, ChannelBandSlot(channel, page, b, f));
  }
  return bands;
}

ExportBand ToExportBand(const BandState& band) {
  const bool shelf = band[kFieldType] == 2 || band[kFieldType] == 3;
  return {band[kFieldType], band[kFieldFreq], band[kFieldGain],
          shelf ? band[kFieldSlope] : band[kFieldQ]};
}

int NearestQIndex(double q, int max_index) {
  int best = 0;
  double best_distance = std::numeric_limits<double>::infinity();
  for (int i = 0; i <= max_index; ++i) {
    const double d = std::fabs(std::log(q) - std::log(static_cast<double>(QValue(i))));
    if (d < best_distance) {
      best = i;
      best_distance = d;
    }
  }
  return best;
}

int NearestImportFrequencyIndex(double hz) {
  int best = 0;
  double best_distance = std::numeric_limits<double>::infinity();
  for (int i = 0; i <= kFrequencyIndexMax; ++i) {
    const double d = std::fabs(hz - FrequencyHz(i));
    if (d < best_distance) {
      best = i;
      best_distance = d;
    }
  }
  return best;
}

std::vector<std::string> ImportFilters(const FilterText& filters, std::vector<BandState>& bands) {
  std::vector<std::string> notes;
  const double lowest_hz = FrequencyHz(0);
  const double highest_hz = FrequencyHz(kFrequencyIndexMax);
  std::size_t next = 0;
  for (const FilterLine& f : filters.filters) {
    const std::string where = "line " + std::to_string(f.line_number) + ": ";
    const BoxType type = Classify(f.type);
    if (type == BoxType::kUnsupported) {
      if (f.on) notes.push_back(where + "filter type " + f.type + " is not on the box, left out");
      continue;
    }
    const bool active = f.on && type != BoxType::kNone;
    if (active && (!f.fc_hz || *f.fc_hz <= 0)) {
      notes.push_back(where + "no usable Fc, left out");
      continue;
    }
    if (next >= bands.size()) {
      if (active) {
        notes.push_back(where + "no band left (the channel has " + std::to_string(bands.size()) +
                        "), left out");
      }
      continue;
    }
    BandState& band = bands[next++];
    const std::string band_name = "band " + std::to_string(next) + ": ";
    band[kFieldType] = active ? static_cast<int>(type) : 0;
    if (type == BoxType::kNone) continue;
    const bool shelf = type != BoxType::kPeaking;

    if (f.fc_hz && *f.fc_hz > 0) {
      if (*f.fc_hz < lowest_hz * 0.995 || *f.fc_hz > highest_hz * 1.005) {
        notes.push_back(where + band_name + "Fc " + Num(*f.fc_hz) + " Hz clamped to the box's " +
                        FrequencyText(NearestImportFrequencyIndex(*f.fc_hz)) + " Hz");
      }
      band[kFieldFreq] = NearestImportFrequencyIndex(*f.fc_hz);
    }

    if (f.gain_db) {
      const double g = std::clamp(*f.gain_db, -24.0, 12.0);
      if (g != *f.gain_db) {
        notes.push_back(where + band_name + "gain " + Num(*f.gain_db) + " dB clamped to " + Num(g) +
                        " dB");
      }
      band[kFieldGain] = std::clamp(static_cast<int>(std::nearbyint((g + 24.0) * 5.0)), 0, 180);
    } else if (active) {
      notes.push_back(where + band_name + "no gain, the band keeps its gain");
    }

    std::optional<double> q = f.q;
    if (!q && f.bw_oct && *f.bw_oct > 0 && !shelf) {
      const double p = std::pow(2.0, *f.bw_oct);
      q = std::sqrt(p) / (p - 1.0);
    }
    const int field = shelf ? kFieldSlope : kFieldQ;
    const int max_index = shelf ? kShelfQIndexMax : kQIndexMax;
    if (q && *q > 0 && shelf) {
      const double gain_db = band[kFieldGain] * 0.2 - 24.0;
      const double slope = ShelfSlopeFromQ(*q, gain_db);
      const int index = std::isfinite(slope) ? NearestQIndex(slope, max_index) : max_index;
      if (!(slope >= QValue(0) * 0.995 && slope <= QValue(max_index) * 1.005)) {
        notes.push_back(where + band_name + "Q " + Num(*q) + " is slope " + Num(slope) +
                        " at " + Num(gain_db) + " dB, clamped to " + std::string(QText(index)));
      }
      band[field] = index;
    } else if (q && *q > 0) {
      const int index = NearestQIndex(*q, max_index);
      if (*q < QValue(0) * 0.995 || *q > QValue(max_index) * 1.005) {
        notes.push_back(where + band_name + (shelf ? "slope " : "Q ") + Num(*q) + " clamped to " +
                        std::string(QText(index)));
      }
      band[field] = index;
    } else if (active) {
      notes.push_back(where + band_name + (shelf ? "no slope" : "no Q") +
                      ", the band keeps its value " + std::string(QText(band[field])));
    }
  }
  if (next < bands.size()) {
    bool changed = false;
    for (std::size_t b = next; b < bands.size(); ++b) {
      changed = changed || bands[b][kFieldType] != 0;
      bands[b][kFieldType] = 0;
    }
    if (changed) {
      notes.push_back("bands " + std::to_string(next + 1) + ".." + std::to_string(bands.size()) +
                      " have no filter and are bypassed");
    }
  }
  return notes;
}

}  // namespace kdsp::tool
