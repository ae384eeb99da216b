#include "tuning/feedback_detector.h"

#include <fftw3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <deque>

#include "model/frequency_table.h"

namespace kdsp {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kGuardBins = 3;  // the peak's own lobe, left out of its neighbourhood
constexpr int kMinNeighbourBins = 12;
constexpr double kNeighbourOctaveRatio = 0.26;  // about a third of an octave either side
constexpr double kKeepBelowDb = 6.0;            // a ring already followed may dip this far below
constexpr int kMaxMisses = 2;                   // frames a ring may be missing before it is dropped
constexpr int kPartialRing = 8;                 // bins beside a partial that tell it from noise
constexpr double kPartialContrastDb = 10.0;
constexpr double kSpreadBins = 0.3;  // standard deviation of a ring's frequency, at most
constexpr double kSpreadRatio = 0.0045;

struct Peak {
  double freq_hz;
  double level_db;
  double above_db;
  bool harmonic = false;
  bool taken = false;
};

struct Observation {
  double time_s, freq_hz, level_db, above_db;
  bool harmonic;
};

struct Track {
  double freq_hz;
  std::deque<Observation> seen;  // the unbroken run, newest last
  int misses = 0;
  bool reported = false;
  double last_report_s = 0;
};

int FrameLengthFor(double sample_rate) {
  int n = 4096;
  while (n / sample_rate < 0.07) n *= 2;
  while (n / sample_rate > 0.14 && n > 256) n /= 2;
  return n;
}

}  // namespace

struct FeedbackDetector::State {
  FeedbackSettings settings;
  int n = 0, hop = 0;
  std::vector<float> window;
  float* in = nullptr;
  fftwf_complex* out = nullptr;
  fftwf_plan plan = nullptr;
  std::vector<float> pending;
  long long consumed = 0;  // samples dropped from the front of `pending`
  std::vector<double> power, prefix;
  std::vector<Track> tracks;

  double BinHz() const { return settings.sample_rate / n; }

  std::vector<Peak> FindPeaks() {
    const int half = n / 2;
    const double scale = 16.0 / (static_cast<double>(n) * n);  // full-scale sine: 0 dB
    for (int b = 0; b <= half; ++b) {
      power[b] = (static_cast<double>(out[b][0]) * out[b][0] +
                  static_cast<double>(out[b][1]) * out[b][1]) *
                     scale +
                 1e-30;
      prefix[b + 1] = prefix[b] + power[b];
    }
    const int lo = std::max(kGuardBins + 1, static_cast<int>(settings.low_hz / BinHz()));
    const int hi = std::min(half - kGuardBins - 1, static_cast<int>(settings.high_hz / BinHz()));
    std::vector<Peak> peaks;
    for (int b = lo; b <= hi; ++b) {
      if (!(power[b] > power[b - 1] && power[b] >= power[b + 1])) continue;
      const int w =
          std::max(kMinNeighbourBins, static_cast<int>(std::lround(b * kNeighbourOctaveRatio)));
      const int a = std::max(1, b - w), z = std::min(half, b + w);
      const double around =
          (prefix[z + 1] - prefix[a]) - (prefix[b + kGuardBins + 1] - prefix[b - kGuardBins]);
      const int count = (z - a + 1) - (2 * kGuardBins + 1);
      if (count <= 0 || around <= 0) continue;
      const double level = 10 * std::log10(power[b]);
      const double above = level - 10 * std::log10(around / count);
      if (above < settings.threshold_db - kKeepBelowDb) continue;
      // Parabola through the three bins around the top, in dB.
      const double l = 10 * std::log10(power[b - 1]), r = 10 * std::log10(power[b + 1]);
      const double denom = l - 2 * level + r;
      const double delta = denom < 0 ? std::clamp(0.5 * (l - r) / denom, -0.5, 0.5) : 0.0;
      peaks.push_back({(b + delta) * BinHz(), level, above});
    }
    // A peak with a partial at twice, three times, half or a third of its frequency is part
    // of a played or sung note.
    for (Peak& p : peaks) {
      for (double h : {2.0, 3.0, 0.5, 1.0 / 3.0}) {
        if (PartialAt(p.freq_hz * h)) p.harmonic = true;
      }
    }
    return peaks;
  }

  // A narrow peak near `hz` that stands kPartialContrastDb above the bins just beside it.
  bool PartialAt(double hz) const {
    const int b = static_cast<int>(std::lround(hz / BinHz()));
    if (b - kPartialRing < 1 || b + kPartialRing > n / 2) return false;
    const double top = std::max({power[b - 1], power[b], power[b + 1]});
    // The median of the bins beside it: another partial among them must not hide this one.
    std::array<double, 2 * (kPartialRing - kGuardBins + 1)> beside{};
    std::size_t i = 0;
    for (int d = kGuardBins; d <= kPartialRing; ++d) {
      beside[i++] = power[b - d];
      beside[i++] = power[b + d];
    }
    std::nth_element(beside.begin(), beside.begin() + beside.size() / 2, beside.end());
    const double ring = beside[beside.size() / 2];
    return 10 * std::log10(top / ring) >= kPartialContrastDb;
  }

  bool Qualifies(const Track& t, double now) const {
    const double start = now - settings.hold_s;
    if (t.seen.empty() || t.seen.front().time_s > start + 1e-9) return false;
    double fsum = 0, fsquares = 0, first_level = 0;
    bool first = true;
    int count = 0, harmonic = 0;
    for (const Observation& o : t.seen) {
      if (o.time_s < start - 1e-9) continue;
      if (o.above_db < settings.threshold_db - kKeepBelowDb) return false;
      ++count;
      if (o.harmonic) ++harmonic;
      if (first) first_level = o.level_db;
      first = false;
      fsum += o.freq_hz;
      fsquares += o.freq_hz * o.freq_hz;
    }
    if (2 * harmonic > count) return false;
    const Observation& last = t.seen.back();
    if (last.above_db < settings.threshold_db) return false;
    if (last.level_db < first_level - 3.0) return false;  // fading: a note, not a ring
    // Vibrato spreads a note's frequency; a ring only jitters with the noise around it.
    const double mean = fsum / count;
    const double spread = std::sqrt(std::max(0.0, fsquares / count - mean * mean));
    return spread <= std::max(kSpreadBins * BinHz(), kSpreadRatio * last.freq_hz);
  }

  void Frame(std::vector<FeedbackReport>& reports) {
    for (int i = 0; i < n; ++i) in[i] = pending[i] * window[i];
    fftwf_execute(plan);
    const double now = static_cast<double>(consumed + n) / settings.sample_rate;
    std::vector<Peak> peaks = FindPeaks();

    const double tolerance = 1.5 * BinHz();
    for (Track& t : tracks) {
      Peak* best = nullptr;
      for (Peak& p : peaks) {
        if (p.taken || std::fabs(p.freq_hz - t.freq_hz) > tolerance) continue;
        if (!best || std::fabs(p.freq_hz - t.freq_hz) < std::fabs(best->freq_hz - t.freq_hz)) {
          best = &p;
        }
      }
      if (!best) {
        ++t.misses;
        t.seen.clear();  // the run is broken; it starts again when the ring comes back
        continue;
      }
      best->taken = true;
      t.misses = 0;
      t.freq_hz = best->freq_hz;
      t.seen.push_back({now, best->freq_hz, best->level_db, best->above_db, best->harmonic});
      while (t.seen.size() > 1 && t.seen[1].time_s <= now - settings.hold_s - 1e-9) {
        t.seen.pop_front();
      }
    }
    std::erase_if(tracks, [](const Track& t) { return t.misses > kMaxMisses; });
    for (const Peak& p : peaks) {
      if (p.taken || p.above_db < settings.threshold_db) continue;
      Track t;
      t.freq_hz = p.freq_hz;
      t.seen.push_back({now, p.freq_hz, p.level_db, p.above_db, p.harmonic});
      tracks.push_back(std::move(t));
    }
    std::sort(tracks.begin(), tracks.end(),
              [](const Track& a, const Track& b) { return a.freq_hz < b.freq_hz; });

    for (Track& t : tracks) {
      if (t.misses > 0 || !Qualifies(t, now)) continue;
      if (t.reported && now - t.last_report_s < settings.repeat_s - 1e-9) continue;
      t.reported = true;
      t.last_report_s = now;
      const Observation& o = t.seen.back();
      reports.push_back({now, o.freq_hz, o.above_db, o.level_db, NearestFrequencyIndex(o.freq_hz)});
    }
  }
};

FeedbackDetector::FeedbackDetector(const FeedbackSettings& settings)
    : s_(std::make_unique<State>()) {
  s_->settings = settings;
  s_->n = FrameLengthFor(settings.sample_rate);
  s_->hop = s_->n / 4;
  s_->window.resize(s_->n);
  for (int i = 0; i < s_->n; ++i)
    s_->window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * kPi * i / s_->n));
  s_->in = fftwf_alloc_real(s_->n);
  s_->out = fftwf_alloc_complex(s_->n / 2 + 1);
  s_->plan = fftwf_plan_dft_r2c_1d(s_->n, s_->in, s_->out, FFTW_ESTIMATE);
  s_->power.assign(s_->n / 2 + 1, 0.0);
  s_->prefix.assign(s_->n / 2 + 2, 0.0);
}

FeedbackDetector::~FeedbackDetector() {
  fftwf_destroy_plan(s_->plan);
  fftwf_free(s_->in);
  fftwf_free(s_->out);
}

int FeedbackDetector::FrameLength() const { return s_->n; }

void FeedbackDetector::Reset() { s_->tracks.clear(); }

std::vector<FeedbackReport> FeedbackDetector::Feed(std::span<const float> samples) {
  std::vector<FeedbackReport> reports;
  State& s = *s_;
  s.pending.insert(s.pending.end(), samples.begin(), samples.end());
  std::size_t start = 0;
  std::vector<float> frame;
  while (s.pending.size() - start >= static_cast<std::size_t>(s.n)) {
    if (start > 0) {
      s.pending.erase(s.pending.begin(), s.pending.begin() + static_cast<long>(start));
      start = 0;
    }
    s.Frame(reports);
    start = static_cast<std::size_t>(s.hop);
    s.consumed += s.hop;
  }
  if (start > 0) s.pending.erase(s.pending.begin(), s.pending.begin() + static_cast<long>(start));
  return reports;
}

}  // namespace kdsp
