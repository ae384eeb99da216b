#include "kdsp-tool/preset_json.h"

#include "kdsp-tool/json_text.h"
#include "kdsp-tool/param_names.h"

namespace kdsp::tool {

namespace {

constexpr std::string_view kFormatName = "kdsp-preset";
constexpr int kVersion = 1;

PresetFromJson Error(std::string message) {
  PresetFromJson r;
  r.error = std::move(message);
  return r;
}

}  // namespace

std::string PresetToJson(const PresetDoc& doc, int ui_language) {
  std::string out = "{\n";
  out += "  \"format\": " + JsonQuote(kFormatName) + ",\n";
  out += "  \"version\": " + std::to_string(kVersion) + ",\n";
  out +=
      std::string("  \"kind\": ") + (doc.kind == PresetKind::kMode ? "\"mode\"" : "\"eq\"") + ",\n";
  out += "  \"entries\": [";
  for (std::size_t i = 0; i < doc.entries.size(); ++i) {
    const PresetEntry& e = doc.entries[i];
    const ParamText t = DescribeParam(e.page, e.slot, e.value, ui_language);
    out += i == 0 ? "\n" : ",\n";
    out += "    {\"page\": " + std::to_string(e.page) + ", \"slot\": " + std::to_string(e.slot) +
           ", \"value\": " + std::to_string(e.value) + ", \"channel\": " + JsonQuote(t.channel) +
           ", \"name\": " + JsonQuote(t.name) + ", \"text\": " + JsonQuote(t.value);
    if (!t.control.empty()) out += ", \"control\": " + JsonQuote(t.control);
    out += "}";
  }
  out += doc.entries.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return out;
}

PresetFromJson ParsePresetJson(std::string_view text) {
  const JsonParse parsed = ParseJson(text);
  if (!parsed.value) {
    return Error("not JSON: " + parsed.error + " at byte " + std::to_string(parsed.offset));
  }
  const nlohmann::json& root = *parsed.value;
  if (!root.is_object()) return Error("the document is not an object");
  const nlohmann::json* format = JsonFind(root, "format");
  if (!format || !format->is_string() || format->get_ref<const std::string&>() != kFormatName) {
    return Error("\"format\" must be \"kdsp-preset\"");
  }
  const nlohmann::json* version = JsonFind(root, "version");
  if (!version || JsonInteger(*version) != kVersion) return Error("\"version\" must be 1");
  const nlohmann::json* kind = JsonFind(root, "kind");
  const std::string* kind_name = kind && kind->is_string() ? &kind->get_ref<const std::string&>()
                                                           : nullptr;
  PresetDoc doc;
  if (kind_name && *kind_name == "mode") {
    doc.kind = PresetKind::kMode;
  } else if (kind_name && *kind_name == "eq") {
    doc.kind = PresetKind::kEq;
  } else {
    return Error("\"kind\" must be \"mode\" or \"eq\"");
  }
  const nlohmann::json* entries = JsonFind(root, "entries");
  if (!entries || !entries->is_array()) return Error("\"entries\" must be an array");

  PresetFromJson result;
  int not_applied = 0;
  const nlohmann::json& items = *entries;
  doc.entries.reserve(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string where = "entry " + std::to_string(i + 1) + ": ";
    if (!items[i].is_object()) return Error(where + "not an object");
    std::optional<std::int64_t> fields[3];
    const char* names[3] = {"page", "slot", "value"};
    for (int f = 0; f < 3; ++f) {
      const nlohmann::json* v = JsonFind(items[i], names[f]);
      fields[f] = v ? JsonInteger(*v) : std::nullopt;
      if (!fields[f]) return Error(where + "\"" + names[f] + "\" must be an integer");
    }
    if (*fields[0] < 0 || *fields[0] >= kPageCount || *fields[1] < 0 || *fields[1] >= kSlotCount) {
      return Error(where + "page " + std::to_string(*fields[0]) + " slot " +
                   std::to_string(*fields[1]) + " lies outside the parameter tables");
    }
    if (*fields[2] < 0 || *fields[2] > 65535) {
      return Error(where + "value " + std::to_string(*fields[2]) + " is not in 0..65535");
    }
    PresetEntry e{static_cast<int>(*fields[0]), static_cast<int>(*fields[1]),
                  static_cast<std::int32_t>(*fields[2])};
    if (!IsAppliedOnLoad(doc.kind, e.page, e.slot)) ++not_applied;
    doc.entries.push_back(e);
  }
  if (doc.entries.size() != static_cast<std::size_t>(DataLineCount(doc.kind))) {
    result.warnings.push_back(std::to_string(doc.entries.size()) + " entries; a saved " +
                              (doc.kind == PresetKind::kMode ? "mode" : "EQ") + " file holds " +
                              std::to_string(DataLineCount(doc.kind)));
  }
  if (doc.kind == PresetKind::kEq && not_applied > 0) {
    result.warnings.push_back(std::to_string(not_applied) +
                              " entries lie outside pages 22..24 and are ignored by a load");
  }
  result.doc = std::move(doc);
  return result;
}

}  // namespace kdsp::tool
