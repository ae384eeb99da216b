#include "model/control_lists.h"

#include "model/page_layout.h"

namespace kdsp {

namespace {

std::vector<std::string> Numbered(std::string_view prefix, int count) {
  std::vector<std::string> names;
  names.reserve(count);
  for (int n = 1; n <= count; ++n) names.push_back(std::string(prefix) + std::to_string(n));
  return names;
}

std::string_view LabelPrefix(int group) {
  switch (group) {
    case 0:
      return "MusEQPointLabel";
    case 1:
      return "MicEQPointLabel";
    case 2:
      return "EffEQPointLabel";
    case 3:
      return "MainEQPointLabel";
    case 4:
      return "HintEQPointLabel";
    case 6:
      return "AUXEQPointLabel";
    default:
      return {};
  }
}

}  // namespace

std::vector<std::string> BandLabelNames(int group) {
  const std::string_view prefix = LabelPrefix(group);
  if (prefix.empty()) return {};
  return Numbered(prefix, BandsOfGroup(group));
}

std::vector<std::string> ReverbBandLabelNames() {
  return Numbered("RvbEQPointLabel", BandsOfGroup(GroupOf(4)));
}

std::vector<std::string> HighlightLabelNames(int group, int effect_page) {
  if (group == GroupOf(4) && effect_page == 4) return ReverbBandLabelNames();
  return BandLabelNames(group);
}

}  // namespace kdsp
