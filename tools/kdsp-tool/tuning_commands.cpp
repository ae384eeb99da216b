#include "kdsp-tool/tuning_commands.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "kdsp-tool/channels.h"
#include "kdsp-tool/eq_bands.h"
#include "kdsp-tool/preset_source.h"
#include "kdsp-tool/tool_commands.h"
#include "kdsp-tool/tool_options.h"
#include "measure/trace_text.h"
#include "model/frequency_table.h"
#include "model/page_layout.h"
#include "presets/codec/preset_store.h"
#include "presets/codec/preset_texts.h"
#include "tuning/eq_fit.h"
#include "tuning/feedback_detector.h"
#include "tuning/notch_planner.h"

namespace kdsp::tool {

namespace {

constexpr std::size_t kMaxTraceBytes = 16u << 20;

// A failure that ends the command with status 1 and nothing written.
struct Refusal {
  std::string message;
};

Trace ReadTraceFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Refusal{path + ": cannot read"};
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad() || text.str().size() > kMaxTraceBytes) throw Refusal{path + ": cannot read"};
  const TraceParse parsed = ParseTrace(text.str());
  if (!parsed.trace) throw Refusal{path + ": " + parsed.error};
  if (parsed.trace->points.empty()) throw Refusal{path + ": no measured point"};
  return *parsed.trace;
}

// "40-16000" (a "k" multiplies by 1000: "40-16k").
std::pair<double, double> ParseRange(const std::string& text) {
  auto number = [&](std::string part) {
    double scale = 1;
    if (!part.empty() && (part.back() == 'k' || part.back() == 'K')) {
      scale = 1000;
      part.pop_back();
    }
    char* end = nullptr;
    const double v = std::strtod(part.c_str(), &end);
    if (part.empty() || *end != '\0' || !std::isfinite(v)) {
      throw UsageError("--range takes LOW-HIGH in hertz, e.g. 40-16000");
    }
    return v * scale;
  };
  const std::size_t dash = text.find('-', 1);
  if (dash == std::string::npos) throw UsageError("--range takes LOW-HIGH in hertz, e.g. 40-16000");
  return {number(text.substr(0, dash)), number(text.substr(dash + 1))};
}

// "1-5,8" (1-based, as the console numbers bands) into 0-based flags.
std::vector<bool> ParseBands(const std::string& text, int count) {
  std::vector<bool> usable(count, false);
  std::stringstream list(text);
  for (std::string item; std::getline(list, item, ',');) {
    int first = 0, last = 0;
    char extra = 0;
    if (std::sscanf(item.c_str(), "%d-%d%c", &first, &last, &extra) == 2) {
    } else if (std::sscanf(item.c_str(), "%d%c", &first, &extra) == 1) {
      last = first;
    } else {
      throw UsageError("--bands takes a list such as 1-5,8");
    }
    if (first < 1 || last > count || first > last) {
      throw UsageError("--bands: the channel has bands 1 to " + std::to_string(count));
    }
    for (int b = first; b <= last; ++b) usable[b - 1] = true;
  }
  return usable;
}

std::string Hz(double hz) {
  char text[32];
  if (hz >= 1000) {
    std::snprintf(text, sizeof text, "%.2f kHz", hz / 1000);
  } else {
    std::snprintf(text, sizeof text, "%.1f Hz", hz);
  }
  return text;
}

int Fit(const FitEqOptions& o, std::ostream& out, std::ostream& err) {
  const LoadedPreset preset = LoadAnyPreset(o.preset);
  if (preset.status != PresetStatus::kOk) {
    throw Refusal{o.preset + ": " + std::string(PresetStatusText(preset.status, 0))};
  }
  const Channel* channel = FindChannel(o.channel);
  if (!channel) throw Refusal{"unknown channel " + o.channel + " (see --help)"};
  int scene = 0;
  if (o.scene == "dance") {
    scene = 1;
  } else if (!o.scene.empty() && o.scene != "sing") {
    throw UsageError("--scene takes sing or dance");
  }
  const int page = ChannelPage(*channel, scene);
  const PresetKindTraits& traits = TraitsOf(preset.kind);
  if (page < traits.first_page || page > traits.last_page) {
    throw Refusal{o.preset + " holds no channel " + o.channel};
  }
  if (o.max_boost_db < 0 || o.max_boost_db > 12) throw UsageError("--max-boost takes 0 to 12 dB");

  const Trace measured = ReadTraceFile(o.measured);
  double low = std::max(20.0, measured.points.front().freq_hz);
  double high = std::min(20000.0, measured.points.back().freq_hz);
  if (!o.range.empty()) {
    std::tie(low, high) = ParseRange(o.range);
    if (low < 20 || high > 20000 || low >= high) {
      throw Refusal{"the range " + o.range + " lies outside 20 Hz to 20 kHz"};
    }
  }
  int inside = 0;
  for (const TracePoint& p : measured.points) inside += p.freq_hz >= low && p.freq_hz <= high;
  if (inside == 0)
    throw Refusal{o.measured + ": no measured point between " + Hz(low) + " and " + Hz(high)};

  FitRequest rq;
  rq.first_point = FirstGridPointFrom(low);
  rq.last_point = LastGridPointUpTo(high);
  rq.max_boost_db = o.max_boost_db;
  std::optional<Trace> target;
  if (o.target != "flat" && o.target != "house") target = ReadTraceFile(o.target);
  for (int k = 0; k <= kGridSteps; ++k) {
    const double f = GridFrequency(k);
    rq.measured_db.push_back(TraceLevelAt(measured, f));
    rq.target_db.push_back(target                ? TraceLevelAt(*target, f)
                           : o.target == "house" ? HouseCurveDb(f)
                                                 : 0.0);
  }
  const ValueTable values = TableOf(preset.entries);
  for (const BandState& b : ReadBandStates(*channel, page, values)) {
    rq.current.push_back({b[0], b[1], b[2], b[3], b[4]});
  }
  if (!o.bands.empty()) rq.usable = ParseBands(o.bands, static_cast<int>(rq.current.size()));

  const FitResult fit = FitEqualiser(rq);

  // The bands go back into the file's own lines, so everything else stays as it was.
  std::map<std::pair<int, int>, std::size_t> index;
  for (std::size_t i = 0; i < preset.entries.size(); ++i) {
    index[{preset.entries[i].page, preset.entries[i].slot}] = i;
  }
  std::vector<PresetEntry> entries = preset.entries;
  for (int b = 0; b < static_cast<int>(fit.bands.size()); ++b) {
    const BandSetting& s = fit.bands[b];
    const int fields[5] = {s.type, s.freq_index, s.gain_raw, s.q_index, s.slope_index};
    for (int f = 0; f < 5; ++f) {
      const auto it = index.find({page, ChannelBandSlot(*channel, page, b, f)});
      if (it == index.end())
        throw Refusal{o.preset + ": the file holds no band " + std::to_string(b + 1)};
      entries[it->second].value = fields[f];
    }
  }
  const SaveResult saved = WriteFileReplacing(o.output, EncodePresetEntries(preset.kind, entries));
  if (saved.status != PresetStatus::kOk) throw Refusal{saved.error};

  for (int b = 0; b < static_cast<int>(fit.bands.size()); ++b) {
    const bool changed = !(fit.bands[b] == rq.current[b]);
    out << "band " << b + 1 << ": " << DescribeBand(fit.bands[b]) << (changed ? "" : " (unchanged)")
        << "\n";
  }
  char line[160];
  std::snprintf(line, sizeof line, "predicted residual %s to %s: RMS %.2f dB, largest %.2f dB\n",
                Hz(GridFrequency(rq.first_point)).c_str(), Hz(GridFrequency(rq.last_point)).c_str(),
                fit.rms_db, fit.max_dev_db);
  out << line;
  for (const LeftRange& r : fit.left) {
    std::snprintf(line, sizeof line,
                  "left alone: dip %s to %s, %.1f dB deep (a boost cannot fill it)\n",
                  Hz(r.low_hz).c_str(), Hz(r.high_hz).c_str(), r.depth_db);
    out << line;
  }
  const int bypass_slot = EqBypassSlot(page);
  if (bypass_slot >= 0 && values.Get(page, bypass_slot) != 0) {
    err << "kdsp-tool: note: the channel's EQ pass is on; the box passes these bands by\n";
  }
  return kExitOk;
}

}  // namespace

int FitEq(const FitEqOptions& o, std::ostream& out, std::ostream& err) {
  try {
    return Fit(o, out, err);
  } catch (const Refusal& r) {
    err << "kdsp-tool: " << r.message << "; nothing written\n";
    return kExitFileError;
  }
}

int FindFeedback(const std::string& path, std::ostream& out, std::ostream& err) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) {
    err << "kdsp-tool: " << path << ": cannot read (" << sf_strerror(nullptr) << ")\n";
    return kExitFileError;
  }
  if (info.channels < 1 || info.samplerate < 8000) {
    sf_close(file);
    err << "kdsp-tool: " << path << ": not a recording the detector can use\n";
    return kExitFileError;
  }
  FeedbackDetector detector({.sample_rate = static_cast<double>(info.samplerate)});
  // A microphone after an equaliser reset takes the proposals, so a ring that comes back gets
  // its notch deepened as the assistant would.
  std::vector<BandSetting> mic;
  for (int b = 0; b < EqBandCount(1); ++b) {
    mic.push_back(
        {kDefaultType, DefaultFrequencyIndex(GroupOf(1), b), kFlatGain, kDefaultQ, kDefaultSlope});
  }
  std::vector<int> notches;
  std::vector<float> frames(4096 * static_cast<std::size_t>(info.channels));
  std::vector<float> mono(4096);
  for (;;) {
    const sf_count_t got = sf_readf_float(file, frames.data(), 4096);
    if (got <= 0) break;
    for (sf_count_t i = 0; i < got; ++i) {
      float sum = 0;
      for (int c = 0; c < info.channels; ++c) sum += frames[i * info.channels + c];
      mono[i] = sum / info.channels;
    }
    for (const FeedbackReport& r : detector.Feed({mono.data(), static_cast<std::size_t>(got)})) {
      const NotchProposal p = ProposeNotch(r.freq_index, mic, notches);
      if (p.kind == NotchProposal::Kind::kNew) notches.push_back(p.band);
      if (p.band >= 0) mic[p.band] = p.setting;
      char line[200];
      std::snprintf(line, sizeof line, "%.2f s\t%.1f Hz\t+%.1f dB\t%s Hz\t%s\n", r.time_s,
                    r.freq_hz, r.above_db, FrequencyText(r.freq_index).c_str(),
                    DescribeProposal(p).c_str());
      out << line;
    }
  }
  const bool failed = sf_error(file) != SF_ERR_NO_ERROR;
  sf_close(file);
  if (failed) {
    err << "kdsp-tool: " << path << ": cannot read to the end\n";
    return kExitFileError;
  }
  return kExitOk;
}

}  // namespace kdsp::tool
