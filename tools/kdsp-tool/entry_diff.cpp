#include "kdsp-tool/entry_diff.h"

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "kdsp-tool/param_names.h"

namespace kdsp::tool {

int PrintDifferences(const std::vector<PresetEntry>& a, const std::vector<PresetEntry>& b,
                     int ui_language, std::ostream& out) {
  std::map<std::pair<int, int>, std::pair<std::optional<int>, std::optional<int>>> cells;
  for (const PresetEntry& e : a) cells[{e.page, e.slot}].first = e.value;
  for (const PresetEntry& e : b) cells[{e.page, e.slot}].second = e.value;
  const std::string absent = ui_language == 1 ? "(无)" : "(absent)";
  int differences = 0;
  for (const auto& [addr, values] : cells) {
    if (values.first == values.second) continue;
    ++differences;
    const int shown = values.first ? *values.first : *values.second;
    const ParamText t = DescribeParam(addr.first, addr.second, shown, ui_language);
    auto text = [&](const std::optional<int>& v) {
      return v ? DescribeParam(addr.first, addr.second, *v, ui_language).value : absent;
    };
    out << t.channel << " " << t.name << " " << text(values.first) << " -> " << text(values.second)
        << "  [" << addr.first << ":" << addr.second << " "
        << (values.first ? std::to_string(*values.first) : "-") << " -> "
        << (values.second ? std::to_string(*values.second) : "-") << "]\n";
  }
  if (ui_language == 1) {
    out << differences << " 个参数不同\n";
  } else {
    out << differences << (differences == 1 ? " parameter differs\n" : " parameters differ\n");
  }
  return differences;
}

}  // namespace kdsp::tool
