#include "tuning/notch_planner.h"

#include <algorithm>
#include <cstdlib>

namespace kdsp {

NotchProposal ProposeNotch(int freq_index, std::span<const BandSetting> bands,
                           std::span<const int> notch_bands, const NotchRules& rules) {
  NotchProposal p;
  // The ring came back: deepen the notch already sitting on it.
  int nearest = -1;
  for (int b : notch_bands) {
    if (b < 0 || b >= static_cast<int>(bands.size())) continue;
    const int distance = std::abs(bands[b].freq_index - freq_index);
    if (distance <= rules.same_ring_steps &&
        (nearest < 0 || distance < std::abs(bands[nearest].freq_index - freq_index))) {
      nearest = b;
    }
  }
  if (nearest >= 0) {
    p.band = nearest;
    p.setting = bands[nearest];
    if (p.setting.gain_raw <= rules.deepest_gain_raw) {
      p.kind = NotchProposal::Kind::kAtLimit;
      return p;
    }
    p.kind = NotchProposal::Kind::kDeeper;
    p.setting.gain_raw = std::max(rules.deepest_gain_raw, p.setting.gain_raw - rules.deepen_steps);
    return p;
  }
  // A new notch on the free band whose frequency is nearest, so the graph moves least.
  int chosen = -1;
  for (int b = 0; b < static_cast<int>(bands.size()); ++b) {
    const bool notch = std::find(notch_bands.begin(), notch_bands.end(), b) != notch_bands.end();
    if (notch || bands[b].gain_raw != kGainRawFlat || bands[b].type > 1) continue;
    if (chosen < 0 || std::abs(bands[b].freq_index - freq_index) <
                          std::abs(bands[chosen].freq_index - freq_index)) {
      chosen = b;
    }
  }
  if (chosen < 0) return p;
  p.kind = NotchProposal::Kind::kNew;
  p.band = chosen;
  p.setting = bands[chosen];
  p.setting.type = 1;
  p.setting.freq_index = freq_index;
  p.setting.q_index = rules.q_index;
  p.setting.gain_raw = kGainRawFlat - rules.first_cut_steps;
  return p;
}

std::string DescribeProposal(const NotchProposal& p) {
  const std::string band = "band " + std::to_string(p.band + 1);
  switch (p.kind) {
    case NotchProposal::Kind::kNew:
      return "new notch on " + band + ": " + DescribeBand(p.setting);
    case NotchProposal::Kind::kDeeper:
      return "deeper notch on " + band + ": " + DescribeBand(p.setting);
    case NotchProposal::Kind::kAtLimit:
      return "notch on " + band + " at its limit: " + DescribeBand(p.setting);
    case NotchProposal::Kind::kNoFreeBand:
      break;
  }
  return "no free band";
}

}  // namespace kdsp
