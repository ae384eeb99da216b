#include "kdsp-tool/tool_commands.h"
#include "kdsp-tool/tool_options.h"

#include <fstream>
#include <map>
#include <optional>
#include <utility>

#include "kdsp-tool/channel_curve_csv.h"
#include "kdsp-tool/channels.h"
#include "kdsp-tool/entry_diff.h"
#include "kdsp-tool/eq_bands.h"
#include "kdsp-tool/filter_text.h"
#include "kdsp-tool/param_names.h"
#include "kdsp-tool/preset_json.h"
#include "kdsp-tool/preset_source.h"
#include "model/page_layout.h"
#include "presets/codec/preset_store.h"
#include "presets/codec/preset_texts.h"

namespace kdsp::tool {

namespace {

// The largest JSON or filter text read.
constexpr std::size_t kMaxTextBytes = 64u << 20;

void NeedPositional(const Options& o, std::size_t n, const char* usage) {
  if (o.positional.size() != n + 1) throw UsageError(std::string("usage: kdsp-tool ") + usage);
}

std::string Need(const Options& o, const std::string& key) {
  const auto it = o.values.find(key);
  if (it == o.values.end()) throw UsageError(key + " is required");
  return it->second;
}

std::optional<std::string> Optional(const Options& o, const std::string& key) {
  const auto it = o.values.find(key);
  return it == o.values.end() ? std::nullopt : std::optional<std::string>(it->second);
}

// A whole text file (pipes too, "/dev/stdin" included); nothing when unreadable or too long.
std::optional<std::string> ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxTextBytes) return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
  return text;
}

// A damaged or missing file: the console's own message, exit status 1.
int FileFailure(const std::string& path, PresetStatus status, const Options& o, std::ostream& err) {
  err << "kdsp-tool: " << path << ": " << PresetStatusText(status, o.ui_language) << "\n";
  return kExitFileError;
}

// Writes `bytes` to -o when given, else to `out`.
int Emit(const Options& o, const std::string& bytes, std::ostream& out, std::ostream& err) {
  const std::optional<std::string> path = Optional(o, "-o");
  if (!path) {
    out << bytes;
    return kExitOk;
  }
  const SaveResult r = WriteFileReplacing(*path, bytes);
  if (r.status != PresetStatus::kOk) {
    err << "kdsp-tool: " << r.error << "\n";
    return kExitFileError;
  }
  return kExitOk;
}

struct ChannelChoice {
  const Channel* channel;
  int page;
};

ChannelChoice ChooseChannel(const Options& o, PresetKind kind) {
  const std::string id = Need(o, "--channel");
  const Channel* channel = FindChannel(id);
  if (!channel) throw UsageError("unknown channel " + id + " (see --help)");
  int scene = 0;
  if (const auto s = Optional(o, "--scene")) {
    if (*s == "dance") {
      scene = 1;
    } else if (*s != "sing") {
      throw UsageError("--scene takes sing or dance");
    }
  }
  const int page = ChannelPage(*channel, scene);
  const PresetKindTraits& t = TraitsOf(kind);
  if (page < t.first_page || page > t.last_page) {
    throw UsageError(
        "an EQ file holds only the hidden equalisers (hint-music, hint-mic1, "
        "hint-mic2)");
  }
  return {channel, page};
}

}  // namespace

int Show(const Options& o, std::ostream& out, std::ostream& err) {
  NeedPositional(o, 1, "show FILE [--all] [--lang zh|en]");
  const LoadedPreset p = LoadAnyPreset(o.positional[1]);
  if (p.status != PresetStatus::kOk) return FileFailure(o.positional[1], p.status, o, err);
  for (const PresetEntry& e : p.entries) {
    const ParamText t = DescribeParam(e.page, e.slot, e.value, o.ui_language);
    if (t.named || o.all) out << ParamLine(t) << "\n";
  }
  return kExitOk;
}

int Diff(const Options& o, std::ostream& out, std::ostream& err) {
  NeedPositional(o, 2, "diff A B [--lang zh|en]");
  const LoadedPreset a = LoadAnyPreset(o.positional[1]);
  if (a.status != PresetStatus::kOk) return FileFailure(o.positional[1], a.status, o, err);
  const LoadedPreset b = LoadAnyPreset(o.positional[2]);
  if (b.status != PresetStatus::kOk) return FileFailure(o.positional[2], b.status, o, err);
  PrintDifferences(a.entries, b.entries, o.ui_language, out);
  return kExitOk;
}

int Json(const Options& o, std::ostream& out, std::ostream& err) {
  NeedPositional(o, 1, "json FILE [-o OUT.json] [--lang zh|en]");
  const LoadedPreset p = LoadAnyPreset(o.positional[1]);
  if (p.status != PresetStatus::kOk) return FileFailure(o.positional[1], p.status, o, err);
  return Emit(o, PresetToJson({p.kind, p.entries}, o.ui_language), out, err);
}

int FromJson(const Options& o, std::ostream& err) {
  NeedPositional(o, 2, "from-json JSON OUT");
  const std::optional<std::string> text = ReadText(o.positional[1]);
  if (!text) {
    err << "kdsp-tool: " << o.positional[1] << ": cannot read\n";
    return kExitFileError;
  }
  const PresetFromJson parsed = ParsePresetJson(*text);
  for (const std::string& w : parsed.warnings) err << "kdsp-tool: note: " << w << "\n";
  if (!parsed.doc) {
    err << "kdsp-tool: " << o.positional[1] << ": " << parsed.error << "\n";
    return kExitFileError;
  }
  const SaveResult r = WriteFileReplacing(
      o.positional[2], EncodePresetEntries(parsed.doc->kind, parsed.doc->entries));
  if (r.status != PresetStatus::kOk) {
    err << "kdsp-tool: " << r.error << "\n";
    return kExitFileError;
  }
  return kExitOk;
}

int Curve(const Options& o, std::ostream& out, std::ostream& err) {
  NeedPositional(o, 1, "curve FILE --channel NAME [--scene sing|dance]");
  const LoadedPreset p = LoadAnyPreset(o.positional[1]);
  if (p.status != PresetStatus::kOk) return FileFailure(o.positional[1], p.status, o, err);
  const ChannelChoice c = ChooseChannel(o, p.kind);
  return Emit(o, ChannelCurveCsv(TableOf(p.entries), *c.channel, c.page), out, err);
}

int ExportEq(const Options& o, std::ostream& out, std::ostream& err) {
  NeedPositional(o, 1, "export-eq FILE --channel NAME --format rew|apo [-o OUT]");
  const std::string format_name = Need(o, "--format");
  if (format_name != "rew" && format_name != "apo") throw UsageError("--format takes rew or apo");
  const LoadedPreset p = LoadAnyPreset(o.positional[1]);
  if (p.status != PresetStatus::kOk) return FileFailure(o.positional[1], p.status, o, err);
  const ChannelChoice c = ChooseChannel(o, p.kind);
  const ValueTable values = TableOf(p.entries);
  std::vector<ExportBand> bands;
  for (const BandState& b : ReadBandStates(*c.channel, c.page, values)) {
    bands.push_back(ToExportBand(b));
  }
  const int bypass_slot = EqBypassSlot(c.page);
  if (bypass_slot >= 0 && values.Get(c.page, bypass_slot) != 0) {
    err << "kdsp-tool: note: the channel's EQ pass is on; the box passes these bands by\n";
  }
  const std::string note = "kdsp-tool export of " + o.positional[1] + ", channel " +
                           std::string(c.channel->id) + " (" + PageLabel(c.page, 0) + ")";
  return Emit(
      o, FormatFilters(bands, format_name == "rew" ? FilterFormat::kRew : FilterFormat::kApo, note),
      out, err);
}

int ImportEq(const Options& o, std::ostream& err) {
  NeedPositional(o, 1,
                 "import-eq FILE --channel NAME --from FILTERS.txt [--apo-channel NAME] -o OUT");
  const std::string from = Need(o, "--from");
  const std::string out_path = Need(o, "-o");
  const LoadedPreset p = LoadAnyPreset(o.positional[1]);
  if (p.status != PresetStatus::kOk) return FileFailure(o.positional[1], p.status, o, err);
  const ChannelChoice c = ChooseChannel(o, p.kind);
  const std::optional<std::string> text = ReadText(from);
  if (!text) {
    err << "kdsp-tool: " << from << ": cannot read\n";
    return kExitFileError;
  }
  const FilterText all_filters = ParseFilterText(*text);
  for (const std::string& w : all_filters.warnings) {
    err << "kdsp-tool: " << from << ": " << w << "\n";
  }
  if (all_filters.filters.empty()) {
    err << "kdsp-tool: " << from
        << ": no filter found (REW filter settings or Equalizer APO text expected); nothing "
           "written\n";
    return kExitFileError;
  }
  const ChannelPick pick = PickApoChannel(all_filters, Optional(o, "--apo-channel"));
  if (!pick.error.empty()) {
    err << "kdsp-tool: " << from << ": " << pick.error << "; nothing written\n";
    return kExitFileError;
  }
  const FilterText& filters = pick.text;

  std::vector<BandState> bands = ReadBandStates(*c.channel, c.page, TableOf(p.entries));
  for (const std::string& n : ImportFilters(filters, bands)) {
    err << "kdsp-tool: " << from << ": " << n << "\n";
  }
  // Write the bands back into the file's own lines, so everything else stays as it was.
  std::map<std::pair<int, int>, std::size_t> index;
  for (std::size_t i = 0; i < p.entries.size(); ++i) {
    index[{p.entries[i].page, p.entries[i].slot}] = i;
  }
  std::vector<PresetEntry> entries = p.entries;
  for (int b = 0; b < static_cast<int>(bands.size()); ++b) {
    for (int f = 0; f < 5; ++f) {
      const int slot = ChannelBandSlot(*c.channel, c.page, b, f);
      const auto it = index.find({c.page, slot});
      if (it == index.end()) {
        err << "kdsp-tool: " << o.positional[1] << ": the file holds no page " << c.page << " slot "
            << slot << "\n";
        return kExitFileError;
      }
      entries[it->second].value = bands[b][f];
    }
  }
  const SaveResult r = WriteFileReplacing(out_path, EncodePresetEntries(p.kind, entries));
  if (r.status != PresetStatus::kOk) {
    err << "kdsp-tool: " << r.error << "\n";
    return kExitFileError;
  }
  return kExitOk;
}

std::string HelpText() {
  std::string h =
      "kdsp-tool: preset files and equaliser curves of the karaoke DSP console\n"
      "\n"
      "  kdsp-tool show FILE [--all]            every parameter with channel, name and value\n"
      "  kdsp-tool diff A B                     the parameters that differ\n"
      "  kdsp-tool json FILE [-o OUT]           the preset as JSON\n"
      "  kdsp-tool from-json JSON OUT           a preset file from its JSON form\n"
      "  kdsp-tool curve FILE --channel NAME    the equaliser response as CSV\n"
      "  kdsp-tool export-eq FILE --channel NAME --format rew|apo [-o OUT]\n"
      "  kdsp-tool import-eq FILE --channel NAME --from FILTERS.txt [--apo-channel NAME] -o OUT\n"
      "  kdsp-tool trace-info TRACE.txt         a measured response: range, third-octave levels\n"
      "  kdsp-tool fit-eq PRESET --channel NAME --measured TRACE [--target flat|house|TRACE]\n"
      "            [--range LOW-HIGH] [--bands LIST] [--max-boost DB] -o OUT\n"
      "                                          fit the channel's bands to the target\n"
      "  kdsp-tool find-feedback RECORDING.wav   feedback frequencies and proposed notches\n"
      "\n"
      "Boxes on the network (HOST[:PORT], port 8899 unless given; several hosts run at once):\n"
      "  kdsp-tool pull HOST -o FILE.Nddt        read a box and save it as the console saves\n"
      "  kdsp-tool push FILE HOST... [--backup-dir DIR | --no-backup]\n"
      "                                          load a preset file into every box, keeping\n"
      "                                          what each held in a backup file first\n"
      "  kdsp-tool diff-live FILE HOST [--all]   the differences between a file and a box\n"
      "  kdsp-tool scan TARGET... [--port P] [--concurrency N] [--timeout MS]\n"
      "                                          find boxes; TARGET: HOST[:PORT] or A.B.C.D/N\n"
      "One result line per host: ok, or why it failed. --version prints the version.\n"
      "A push stopped by Ctrl-C, SIGTERM or SIGHUP lets each box finish the page on its way\n"
      "and tells per box: done, untouched, or partial with the backup that restores it.\n"
      "\n"
      "Options: --lang zh|en (default en), --scene sing|dance for outputs (default sing),\n"
      "--all: show prints unnamed slots too; diff-live compares every address of the file,\n"
      "not only those a load of it writes into the box.\n"
      "FILE is a mode file (.Nddt) or an EQ file (.EQdt); the header tells them apart.\n"
      "Exit status: 0 done, 1 a file is missing, damaged or cannot be written, 2 usage.\n"
      "Network commands: 0 every host succeeded (diff-live: the box agrees with the file;\n"
      "scan: a box was found), 1 otherwise, 2 usage.\n"
      "\n"
      "Channels:\n";
  for (const Channel& c : Channels()) {
    std::string id(c.id);
    id.resize(std::max<std::size_t>(id.size(), 12), ' ');
    h += "  " + id + std::string(c.description) + "\n";
  }
  return h;
}

// RunTool and the command line: tool_cli.cpp

}  // namespace kdsp::tool
