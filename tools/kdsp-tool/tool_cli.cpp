// The command line of kdsp-tool: every command and option, parsed with CLI11.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>

#include "kdsp-tool/live_commands.h"
#include "kdsp-tool/tool_commands.h"
#include "kdsp-tool/tool_options.h"
#include "kdsp-tool/trace_info.h"
#include "kdsp-tool/tuning_commands.h"

#ifndef KDSP_VERSION
#define KDSP_VERSION "unknown"
#endif

namespace kdsp::tool {

namespace {

/// The parsed values before they are handed to a command.
struct Parsed {
  std::string lang;
  bool all = false;
  std::string channel, scene, format, from, apo_channel, output;
  std::string file, second;  ///< positional files (second: diff B, from-json OUT)
  std::vector<std::string> hosts;
  LiveOptions live;
  FitEqOptions fit;
};

/// Options that take a value, by the spelling the file commands look them up with.
void Keep(Options& o, const char* key, const std::string& value) {
  if (!value.empty()) o.values[key] = value;
}

CLI::App* Command(CLI::App& app, const char* name, const char* description) {
  CLI::App* sub = app.add_subcommand(name, description);
  return sub;
}

void AddChannelOptions(CLI::App* sub, Parsed& p) {
  sub->add_option("--channel", p.channel, "channel (see the list in --help)");
  sub->add_option("--scene", p.scene, "sing or dance, for outputs");
}

void AddOutput(CLI::App* sub, Parsed& p, const char* what) {
  sub->add_option("-o,--output", p.output, what);
}

// Runs the link's timers faster; only the tests use it, so it stays out of the help.
void AddTimerDivisor(CLI::App* sub, Parsed& p) {
  sub->add_option("--timer-divisor", p.live.timer_divisor)->check(CLI::Range(1, 1000))->group("");
}

void AddPaced(CLI::App* sub, Parsed& p) {
  sub->add_flag("--paced", p.live.paced,
                "one request per timer tick, for boxes that cannot keep up with their answers");
}

}  // namespace

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << HelpText();
    return kExitUsage;
  }
  // Help and version win wherever they stand, as they always have.
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      out << HelpText();
      return kExitOk;
    }
    if (a == "--version") {
      out << "kdsp-tool " << KDSP_VERSION << "\n";
      return kExitOk;
    }
  }

  Parsed p;
  CLI::App app{"preset files, equaliser curves and boxes on the network", "kdsp-tool"};
  app.set_help_flag();
  app.require_subcommand(1);
  // Options of the whole tool may also follow the command.
  app.fallthrough();
  app.add_option("--lang", p.lang, "zh or en");

  CLI::App* show = Command(app, "show", "every parameter with channel, name and value");
  show->add_option("FILE", p.file)->required();
  show->add_flag("--all", p.all, "unnamed slots too");

  CLI::App* diff = Command(app, "diff", "the parameters that differ between two files");
  diff->add_option("A", p.file)->required();
  diff->add_option("B", p.second)->required();

  CLI::App* json = Command(app, "json", "the preset as JSON");
  json->add_option("FILE", p.file)->required();
  AddOutput(json, p, "write here instead of the standard output");

  CLI::App* from_json = Command(app, "from-json", "a preset file from its JSON form");
  from_json->add_option("JSON", p.file)->required();
  from_json->add_option("OUT", p.second)->required();

  CLI::App* curve = Command(app, "curve", "the equaliser response of a channel as CSV");
  curve->add_option("FILE", p.file)->required();
  AddChannelOptions(curve, p);
  AddOutput(curve, p, "write here instead of the standard output");

  CLI::App* export_eq = Command(app, "export-eq", "a channel's bands as a filter text");
  export_eq->add_option("FILE", p.file)->required();
  AddChannelOptions(export_eq, p);
  export_eq->add_option("--format", p.format, "rew or apo");
  AddOutput(export_eq, p, "write here instead of the standard output");

  CLI::App* import_eq = Command(app, "import-eq", "a filter text into a channel's bands");
  import_eq->add_option("FILE", p.file)->required();
  AddChannelOptions(import_eq, p);
  import_eq->add_option("--from", p.from, "the filter text");
  import_eq->add_option("--apo-channel", p.apo_channel,
                        "the Equalizer APO channel section to read (L, R, C, SUB, ...)");
  AddOutput(import_eq, p, "the preset file written");

  CLI::App* trace_info = Command(app, "trace-info", "a measured response: range and levels");
  trace_info->add_option("FILE", p.file)->required();

  CLI::App* pull = Command(app, "pull", "read a box and save it as a mode file");
  pull->add_option("HOST", p.hosts, "HOST[:PORT]")->required()->expected(1);
  pull->add_option("-o,--output", p.live.output, "the mode file written")->required();
  AddTimerDivisor(pull, p);
  AddPaced(pull, p);

  CLI::App* push = Command(app, "push", "load a preset file into boxes");
  push->add_option("FILE", p.live.file)->required();
  push->add_option("HOST", p.hosts, "HOST[:PORT]...")->required();
  push->add_option("--backup-dir", p.live.backup_dir,
                   "keep the boxes' backups here (default: backups in the data folder)");
  push->add_flag("--no-backup", p.live.no_backup, "keep no backup of the boxes");
  AddTimerDivisor(push, p);
  AddPaced(push, p);

  CLI::App* diff_live = Command(app, "diff-live", "the differences between a file and a box");
  diff_live->add_option("FILE", p.live.file)->required();
  diff_live->add_option("HOST", p.hosts, "HOST[:PORT]")->required()->expected(1);
  diff_live->add_flag("--all", p.live.all,
                      "every address the file holds, not only those a load writes");
  AddTimerDivisor(diff_live, p);
  AddPaced(diff_live, p);

  CLI::App* scan = Command(app, "scan", "find boxes on the network");
  scan->add_option("TARGET", p.hosts, "HOST[:PORT], address or IPv4 range A.B.C.D/N")->required();
  scan->add_option("--port", p.live.port, "port probed")->check(CLI::Range(1, 65535));
  scan->add_option("--concurrency", p.live.concurrency, "probes at once")
      ->check(CLI::Range(1, 1024));
  scan->add_option("--timeout", p.live.timeout_ms, "time limit of each step, in ms")
      ->check(CLI::Range(1, 600000));

  CLI::App* fit_eq = Command(app, "fit-eq", "fit a channel's bands to a target from a measurement");
  fit_eq->add_option("PRESET", p.fit.preset)->required();
  fit_eq->add_option("--channel", p.fit.channel, "channel (see the list in --help)")->required();
  fit_eq->add_option("--scene", p.fit.scene, "sing or dance, for outputs");
  fit_eq->add_option("--measured", p.fit.measured, "the measured response (frequency dB lines)")
      ->required();
  fit_eq->add_option("--target", p.fit.target, "flat, house or a trace file");
  fit_eq->add_option("--range", p.fit.range, "LOW-HIGH in hertz");
  fit_eq->add_option("--bands", p.fit.bands, "bands the fit may use, e.g. 1-5,8");
  fit_eq->add_option("--max-boost", p.fit.max_boost_db, "largest boost in dB (default 3)");
  fit_eq->add_option("-o,--output", p.fit.output, "the preset file written")->required();

  CLI::App* find_feedback =
      Command(app, "find-feedback", "the feedback frequencies in a recording");
  find_feedback->add_option("RECORDING", p.file)->required();

  try {
    app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
  } catch (const CLI::ParseError& e) {
    // The first word that is no option and no option's value names the command.
    std::string word;
    for (std::size_t i = 0; i < args.size() && word.empty(); ++i) {
      if (args[i] == "--lang") {
        ++i;
      } else if (args[i].empty() || args[i][0] != '-') {
        word = args[i];
      }
    }
    if (app.get_subcommands().empty() && !word.empty()) {
      err << "kdsp-tool: unknown command " << word << " (see --help)\n";
    } else {
      err << "kdsp-tool: " << e.what() << " (see --help)\n";
    }
    return kExitUsage;
  }

  try {
    Options o;
    if (p.lang == "zh") {
      o.ui_language = 1;
    } else if (!p.lang.empty() && p.lang != "en") {
      throw UsageError("--lang takes zh or en");
    }
    CLI::App* sub = app.get_subcommands().front();
    const std::string command = sub->get_name();
    o.positional = {command, p.file};
    if (!p.second.empty()) o.positional.push_back(p.second);
    o.all = p.all;
    Keep(o, "--lang", p.lang);
    Keep(o, "--channel", p.channel);
    Keep(o, "--scene", p.scene);
    Keep(o, "--format", p.format);
    Keep(o, "--from", p.from);
    Keep(o, "--apo-channel", p.apo_channel);
    Keep(o, "-o", p.output);

    p.live.hosts = p.hosts;
    p.live.ui_language = o.ui_language;
    p.live.progress = &out == &std::cout && ::isatty(STDOUT_FILENO) == 1;

    if (sub == show) return Show(o, out, err);
    if (sub == diff) return Diff(o, out, err);
    if (sub == json) return Json(o, out, err);
    if (sub == from_json) return FromJson(o, err);
    if (sub == curve) return Curve(o, out, err);
    if (sub == export_eq) return ExportEq(o, out, err);
    if (sub == import_eq) return ImportEq(o, err);
    if (sub == trace_info) return TraceInfo(p.file, out, err);
    if (sub == pull) return RunPull(p.live, out, err);
    if (sub == push) return RunPush(p.live, out, err);
    if (sub == diff_live) return RunDiffLive(p.live, out, err);
    if (sub == fit_eq) return FitEq(p.fit, out, err);
    if (sub == find_feedback) return FindFeedback(p.file, out, err);
    return RunScan(p.live, out, err);
  } catch (const UsageError& e) {
    err << "kdsp-tool: " << e.message << "\n";
    return kExitUsage;
  }
}

}  // namespace kdsp::tool
