#include "tuning/eq_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>

#include "eq/maths/band_response.h"
#include "model/frequency_table.h"
#include "model/q_table.h"

namespace kdsp {

namespace {

constexpr int kPoints = kGridSteps + 1;
constexpr int kCentre = kGridSteps / 2;  // the shape's centre lands on the band's grid point
// A dip is left alone when it reaches this far below the target and, measured where it is
// still kDipEdgeDb below, is no wider than kDipMaxOctaves.
constexpr double kDipDepthDb = 6.0;
constexpr double kDipEdgeDb = 3.0;
constexpr double kDipMaxOctaves = 0.5;
constexpr double kDipShoulderDb = 1.0;
constexpr int kDipShoulderPoints = 8;  // about a fifth of an octave either side at most
constexpr double kOctavesPerPoint = kGridDecades / kGridSteps * 3.321928094887362;
// The shape used to estimate a candidate's best gain, scaled per dB.
constexpr int kProbeGainRaw = 60;  // -12 dB
constexpr double kProbeGainDb = -12.0;
constexpr std::size_t kExactCandidates = 12;
constexpr int kMaxRefinePasses = 40;
constexpr double kWorthwhile = 0.01;  // dB squared per grid point
constexpr double kSecondStartDb = 1.0;

int GridPointOfBand(int freq_index) {
  int f = static_cast<int>(RoundHalfEven(FrequencyHzF(freq_index)));
  if (f <= 10) f = 10;
  return GridPosition(f);
}

int QMax(int type) { return type == 1 ? kQIndexMax : kShelfQIndexMax; }
int& QOf(BandSetting& b) { return b.type == 1 ? b.q_index : b.slope_index; }

// The value a shape placed at grid point `at` gives at grid point k: the graph's placement,
// the tails repeating the shape's end values.
inline float Placed(const ShapeTable& y, int at, int k) {
  const int j = kCentre + k - at;
  if (j < 0) return y[0];
  if (j >= kGridSteps) return y[kGridSteps - 1];
  return y[j];
}

// Shapes of (type, Q or slope, gain), each computed once per fit with the graph's code.
class ShapeCache {
 public:
  const ShapeTable& Get(int type, int q_index, int gain_raw) {
    const int key = (type * 128 + q_index) * 256 + gain_raw;
    const auto it = shapes_.find(key);
    if (it != shapes_.end()) return it->second;
    RowShape(type, QValue(q_index), static_cast<float>(GainDbOf(gain_raw)), *scratch_);
    return shapes_.emplace(key, scratch_->shape).first->second;
  }

 private:
  std::unordered_map<int, ShapeTable> shapes_;
  std::unique_ptr<ResponseScratch> scratch_ = std::make_unique<ResponseScratch>();
};

struct Candidate {
  double reduction;
  BandSetting band;
};

// Squares, with deviations beyond kLooseDb weighing much more: a few far-off points are
// worse to hear than many slightly off.
constexpr double kLooseDb = 1.0;
constexpr double kOverWeight = 10.0;
inline double Loss(double d) {
  const double over = std::max(std::fabs(d) - kLooseDb, 0.0);
  return d * d + kOverWeight * over * over;
}

class Fitter {
 public:
  Fitter(const FitRequest& rq, std::vector<double> weight, std::vector<double> residual)
      : rq_(rq), w_(std::move(weight)), e_(std::move(residual)) {
    k0_ = std::max(0, rq.first_point);
    k1_ = std::min(kGridSteps, rq.last_point);
    max_raw_ = std::clamp(static_cast<int>(std::floor((rq.max_boost_db + 24.0) * 5.0 + 1e-9)), 0,
                          kGainRawMax);
    for (int f = 0; f <= kFrequencyIndexMax; ++f) position_[f] = GridPointOfBand(f);
    for (int k = k0_; k <= k1_; ++k) total_weight_ += w_[k];
    if (total_weight_ <= 0) total_weight_ = 1;
  }

  /// Adds bands greedily (shelves among the candidates or not), then refines. Returns the
  /// bands and leaves their cost in `cost`.
  std::vector<BandSetting> Run(int band_count, bool shelves, double& cost) {
    shelves_ = shelves;
    while (static_cast<int>(bands_.size()) < band_count) {
      const auto next = BestBand(e_);
      if (!next) break;
      Add(*next);
      RefitGains();
    }
    Refine();
    // Re-seat each band once: taken out, the best single band in its place may be another.
    for (std::size_t i = 0; i < bands_.size(); ++i) {
      std::vector<double> eb = Without(i);
      const double now = Cost(eb, &bands_[i]);
      const auto other = BestBand(eb);
      if (other && Cost(eb, &*other) < now - 1e-9) Replace(i, *other);
    }
    Refine();
    cost = Cost(e_, nullptr);
    return bands_;
  }

 private:
  // The loss of the residual `eb` plus `band` around its own mean: a level difference is the
  // volume's business, not the equaliser's.
  double Cost(const std::vector<double>& eb, const BandSetting* band) {
    std::array<double, kPoints> d{};
    double mean = 0;
    const ShapeTable* y = nullptr;
    int at = 0;
    if (band != nullptr && !IsFlat(*band)) {
      y = &cache_.Get(band->type, band->type == 1 ? band->q_index : band->slope_index,
                      band->gain_raw);
      at = position_[band->freq_index];
    }
    for (int k = k0_; k <= k1_; ++k) {
      d[k] = eb[k] + (y ? Placed(*y, at, k) : 0.0f);
      mean += w_[k] * d[k];
    }
    mean /= total_weight_;
    double sum = 0;
    for (int k = k0_; k <= k1_; ++k) sum += w_[k] * Loss(d[k] - mean);
    return sum;
  }

  void Contribution(const BandSetting& band, std::vector<double>& out) {
    out.assign(kPoints, 0.0);
    if (IsFlat(band)) return;
    const ShapeTable& y =
        cache_.Get(band.type, band.type == 1 ? band.q_index : band.slope_index, band.gain_raw);
    const int at = position_[band.freq_index];
    for (int k = 0; k < kPoints; ++k) out[k] = Placed(y, at, k);
  }

  void Add(const BandSetting& band) {
    bands_.push_back(band);
    contributions_.emplace_back();
    Contribution(band, contributions_.back());
    for (int k = 0; k < kPoints; ++k) e_[k] += contributions_.back()[k];
  }

  void Replace(std::size_t i, const BandSetting& band) {
    for (int k = 0; k < kPoints; ++k) e_[k] -= contributions_[i][k];
    bands_[i] = band;
    Contribution(band, contributions_[i]);
    for (int k = 0; k < kPoints; ++k) e_[k] += contributions_[i][k];
  }

  std::vector<double> Without(std::size_t i) const {
    std::vector<double> eb = e_;
    for (int k = 0; k < kPoints; ++k) eb[k] -= contributions_[i][k];
    return eb;
  }

  // Best gain step for a band of given type, Q and frequency, walking from `raw` while the
  // cost falls.
  double BestGain(const std::vector<double>& eb, BandSetting& band) {
    double best = Cost(eb, &band);
    for (int dir : {+1, -1}) {
      for (;;) {
        BandSetting next = band;
        next.gain_raw += dir;
        if (next.gain_raw < 0 || next.gain_raw > max_raw_) break;
        const double c = Cost(eb, &next);
        if (c >= best) break;
        best = c;
        band = next;
      }
    }
    return best;
  }

  // The single band that lowers the cost of `eb` most: every type, Q and frequency estimated
  // in closed form from a probe shape, the best few then evaluated exactly on gain steps.
  std::optional<BandSetting> BestBand(const std::vector<double>& eb) {
    std::vector<double> sw(kPoints + 1, 0.0), swe(kPoints + 1, 0.0);
    for (int k = 0; k < kPoints; ++k) {
      const bool in = k >= k0_ && k <= k1_;
      sw[k + 1] = sw[k] + (in ? w_[k] : 0.0);
      swe[k + 1] = swe[k] + (in ? w_[k] * eb[k] : 0.0);
    }
    auto sum = [](const std::vector<double>& s, int a, int b) {  // points a..b
      return b < a ? 0.0 : s[b + 1] - s[a];
    };
    const double se = sum(swe, k0_, k1_);
    std::vector<Candidate> all;
    all.reserve(160 * (kFrequencyIndexMax + 1));
    std::array<double, kPoints> u{};
    for (int type = 1; type <= (shelves_ ? 3 : 1); ++type) {
      for (int q = 0; q <= QMax(type); ++q) {
        const ShapeTable& probe = cache_.Get(type, q, kProbeGainRaw);
        for (int j = 0; j < kPoints; ++j) u[j] = probe[j] / kProbeGainDb;
        const double left = u[0], right = u[kGridSteps - 1];
        int a = 0, b = kGridSteps - 1;
        while (a < kGridSteps - 1 && std::fabs(u[a] - left) < 1e-3) ++a;
        while (b > 0 && std::fabs(u[b] - right) < 1e-3) --b;
        if (a > b) continue;
        for (int f = 0; f <= kFrequencyIndexMax; ++f) {
          const int offset = position_[f] - kCentre;  // grid point k holds shape point k - offset
          const int ka = std::max(k0_, a + offset), kb = std::min(k1_, b + offset);
          double seu = 0, suu = 0, su = 0;
          for (int k = ka; k <= kb; ++k) {
            const double v = u[k - offset];
            seu += w_[k] * eb[k] * v;
            suu += w_[k] * v * v;
            su += w_[k] * v;
          }
          const int l_end = std::min(k1_, a + offset - 1), r_start = std::max(k0_, b + offset + 1);
          seu += left * sum(swe, k0_, l_end) + right * sum(swe, r_start, k1_);
          suu += left * left * sum(sw, k0_, l_end) + right * right * sum(sw, r_start, k1_);
          su += left * sum(sw, k0_, l_end) + right * sum(sw, r_start, k1_);
          // Around the means: the level is free.
          seu -= su * se / total_weight_;
          suu -= su * su / total_weight_;
          if (suu < 1e-12) continue;
          const double g = std::clamp(-seu / suu, -24.0, GainDbOf(max_raw_));
          const double reduction = -(2 * g * seu + g * g * suu);
          if (reduction <= 0) continue;
          BandSetting band;
          band.type = type;
          band.freq_index = f;
          QOf(band) = q;
          band.gain_raw =
              std::clamp(static_cast<int>(RoundHalfEven((g + 24.0) * 5.0)), 0, max_raw_);
          all.push_back({reduction, band});
        }
      }
    }
    if (all.empty()) return std::nullopt;
    // The best estimates overall and the best of each type: the estimate is made at one probe
    // gain, so a type that fits a little worse at the probe still gets its exact evaluation.
    auto better = [](const Candidate& x, const Candidate& y) { return x.reduction > y.reduction; };
    std::vector<Candidate> chosen;
    for (int type = 0; type <= 3; ++type) {
      std::vector<Candidate> pool;
      for (const Candidate& c : all) {
        if (type == 0 || c.band.type == type) pool.push_back(c);
      }
      const std::size_t keep = std::min(kExactCandidates, pool.size());
      std::partial_sort(pool.begin(), pool.begin() + keep, pool.end(), better);
      chosen.insert(chosen.end(), pool.begin(), pool.begin() + keep);
    }
    const double before = Cost(eb, nullptr);
    // A band must be worth its place: lower the mean square by a hundredth of a dB squared.
    double best_cost = before - kWorthwhile * total_weight_;
    std::optional<BandSetting> best;
    for (const Candidate& candidate : chosen) {
      BandSetting band = candidate.band;
      const double c = BestGain(eb, band);
      if (c < best_cost - 1e-9 && !IsFlat(band)) {
        best_cost = c;
        best = band;
      }
    }
    return best;
  }

 public:
  /// The largest deviation of the residual from its mean level.
  double Worst() const {
    double mean = 0, worst = 0;
    for (int k = k0_; k <= k1_; ++k) mean += w_[k] * e_[k];
    mean /= total_weight_;
    for (int k = k0_; k <= k1_; ++k) {
      if (w_[k] > 0) worst = std::max(worst, std::fabs(e_[k] - mean));
    }
    return worst;
  }

 private:
  // All gains at once for the bands' present types, frequencies and Qs: least squares on the
  // probe shapes (bounded, by coordinate sweeps), then rounded to steps and polished one band at
  // a time with the exact shapes.
  void RefitGains() {
    const std::size_t n = bands_.size();
    if (n < 2) return;
    std::vector<std::vector<double>> unit(n, std::vector<double>(kPoints, 0.0));
    std::vector<double> r0 = e_;
    std::vector<double> g(n);
    for (std::size_t i = 0; i < n; ++i) {
      const BandSetting& b = bands_[i];
      const ShapeTable& probe =
          cache_.Get(b.type, b.type == 1 ? b.q_index : b.slope_index, kProbeGainRaw);
      for (int k = 0; k < kPoints; ++k) {
        unit[i][k] = Placed(probe, position_[b.freq_index], k) / kProbeGainDb;
        r0[k] -= contributions_[i][k];
      }
      g[i] = GainDbOf(b.gain_raw);
    }
    // Every shape and the residual around their means: the level is free.
    auto centre = [&](std::vector<double>& v) {
      double mean = 0;
      for (int k = k0_; k <= k1_; ++k) mean += w_[k] * v[k];
      mean /= total_weight_;
      for (int k = k0_; k <= k1_; ++k) v[k] -= mean;
    };
    centre(r0);
    for (std::vector<double>& u : unit) centre(u);
    std::vector<double> gram(n * n), rhs(n);
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i; j < n; ++j) {
        double sum = 0;
        for (int k = k0_; k <= k1_; ++k) sum += w_[k] * unit[i][k] * unit[j][k];
        gram[i * n + j] = gram[j * n + i] = sum;
      }
      double sum = 0;
      for (int k = k0_; k <= k1_; ++k) sum += w_[k] * r0[k] * unit[i][k];
      rhs[i] = sum;
    }
    const double high = GainDbOf(max_raw_);
    for (int sweep = 0; sweep < 60; ++sweep) {
      for (std::size_t i = 0; i < n; ++i) {
        if (gram[i * n + i] < 1e-12) continue;
        double sum = rhs[i];
        for (std::size_t j = 0; j < n; ++j) {
          if (j != i) sum += gram[i * n + j] * g[j];
        }
        g[i] = std::clamp(-sum / gram[i * n + i], -24.0, high);
      }
    }
    const std::vector<BandSetting> before = bands_;
    const double cost_before = Cost(e_, nullptr);
    for (std::size_t i = 0; i < n; ++i) {
      BandSetting b = bands_[i];
      b.gain_raw = std::clamp(static_cast<int>(RoundHalfEven((g[i] + 24.0) * 5.0)), 0, max_raw_);
      Replace(i, b);
    }
    for (int pass = 0; pass < 3; ++pass) {
      for (std::size_t i = 0; i < n; ++i) {
        const std::vector<double> eb = Without(i);
        BandSetting b = bands_[i];
        BestGain(eb, b);
        if (!(b == bands_[i])) Replace(i, b);
      }
    }
    if (Cost(e_, nullptr) > cost_before) {  // the linear estimate misled: keep what was there
      for (std::size_t i = 0; i < n; ++i) Replace(i, before[i]);
    }
  }

  // Coordinate steps: each band tries nearby frequencies and Qs (with its best gain for
  // each) until no step lowers the cost.
  void Refine() {
    for (int pass = 0; pass < kMaxRefinePasses; ++pass) {
      RefitGains();
      bool moved = false;
      for (std::size_t i = 0; i < bands_.size(); ++i) {
        const std::vector<double> eb = Without(i);
        BandSetting best = bands_[i];
        double best_cost = Cost(eb, &best);
        static constexpr int kSteps[] = {-6, -4, -3, -2, -1, 0, 1, 2, 3, 4, 6};
        for (int df : kSteps) {
          for (int dq : kSteps) {
            BandSetting b = bands_[i];
            b.freq_index += df;
            QOf(b) += dq;
            if (b.freq_index < 0 || b.freq_index > kFrequencyIndexMax) continue;
            if (QOf(b) < 0 || QOf(b) > QMax(b.type)) continue;
            const double c = BestGain(eb, b);
            if (c < best_cost - 1e-9) {
              best_cost = c;
              best = b;
            }
          }
        }
        if (!(best == bands_[i])) {
          Replace(i, best);
          moved = true;
        }
      }
      if (!moved) break;
    }
  }

  const FitRequest& rq_;
  std::vector<double> w_;
  std::vector<double> e_;  // residual: base + chosen bands - target
  int k0_ = 0, k1_ = kGridSteps, max_raw_ = kGainRawMax;
  double total_weight_ = 0;
  bool shelves_ = true;
  std::array<int, kFrequencyIndexMax + 1> position_{};
  ShapeCache cache_;
  std::vector<BandSetting> bands_;
  std::vector<std::vector<double>> contributions_;
};

bool Usable(const FitRequest& rq, std::size_t band) {
  return rq.usable.empty() || (band < rq.usable.size() && rq.usable[band]);
}

}  // namespace

int FirstGridPointFrom(double low_hz) {
  for (int k = 0; k <= kGridSteps; ++k) {
    if (GridFrequency(k) >= low_hz * (1 - 1e-12)) return k;
  }
  return kGridSteps + 1;
}

int LastGridPointUpTo(double high_hz) {
  for (int k = kGridSteps; k >= 0; --k) {
    if (GridFrequency(k) <= high_hz * (1 + 1e-12)) return k;
  }
  return -1;
}

double HouseCurveDb(double freq_hz) { return -0.6 * std::log2(freq_hz / 1000.0); }

FitResult FitEqualiser(const FitRequest& rq) {
  FitResult result;
  const int k0 = std::max(0, rq.first_point), k1 = std::min(kGridSteps, rq.last_point);

  // What the room does without the bands the fit may change.
  std::vector<double> base(rq.measured_db.begin(), rq.measured_db.end());
  base.resize(kPoints, std::numeric_limits<double>::quiet_NaN());
  GridCurve curve;
  for (std::size_t b = 0; b < rq.current.size(); ++b) {
    if (!Usable(rq, b) || IsFlat(rq.current[b])) continue;
    BandCurve(rq.current[b], curve);
    for (int k = 0; k < kPoints; ++k) base[k] -= curve[k];
  }

  // The target, moved to the measurement's mean level over the range.
  double measured_sum = 0, target_sum = 0;
  int count = 0;
  for (int k = k0; k <= k1; ++k) {
    if (!std::isfinite(rq.measured_db[k])) continue;
    measured_sum += rq.measured_db[k];
    target_sum += rq.target_db[k];
    ++count;
  }
  const double offset = count > 0 ? (measured_sum - target_sum) / count : 0.0;
  result.target_db.assign(kPoints, 0.0);
  for (int k = 0; k < kPoints; ++k) result.target_db[k] = rq.target_db[k] + offset;

  std::vector<double> weight(kPoints, 0.0), residual(kPoints, 0.0);
  std::vector<bool> counted(kPoints, false);  // points the reported residual covers
  for (int k = k0; k <= k1; ++k) {
    if (!std::isfinite(base[k])) continue;
    weight[k] = 1.0;
    counted[k] = true;
    residual[k] = base[k] - result.target_db[k];
  }

  // Deep narrow dips are left out of the fit: boosting cannot fill them.
  for (int k = k0; k <= k1;) {
    if (!counted[k] || residual[k] > -kDipEdgeDb) {
      ++k;
      continue;
    }
    int end = k;
    double lowest = residual[k];
    while (end + 1 <= k1 && counted[end + 1] && residual[end + 1] <= -kDipEdgeDb) {
      ++end;
      lowest = std::min(lowest, residual[end]);
    }
    if (lowest <= -kDipDepthDb && (end - k + 1) * kOctavesPerPoint <= kDipMaxOctaves) {
      // The shoulders go too: filling them would only be a boost into the dip.
      int low = k, high = end;
      while (low - 1 >= k0 && k - low < kDipShoulderPoints && counted[low - 1] &&
             residual[low - 1] <= -kDipShoulderDb) {
        --low;
      }
      while (high + 1 <= k1 && high - end < kDipShoulderPoints && counted[high + 1] &&
             residual[high + 1] <= -kDipShoulderDb) {
        ++high;
      }
      result.left.push_back({GridFrequency(low), GridFrequency(high), -lowest});
      // The fit sees the dip as on target, so a band that moves it costs as anywhere else.
      for (int j = low; j <= high; ++j) {
        residual[j] = 0.0;
        counted[j] = false;
      }
      end = high;
    }
    k = end + 1;
  }

  std::vector<std::size_t> slots;
  for (std::size_t b = 0; b < rq.current.size(); ++b) {
    if (Usable(rq, b)) slots.push_back(b);
  }
  // A second start when the first leaves a point far off: shelves sometimes win the first
  // greedy steps on a slope that peaking bands follow better. The lower cost is kept.
  double cost_all = 0, cost_peaking = 0;
  Fitter with_shelves(rq, weight, residual);
  std::vector<BandSetting> chosen =
      with_shelves.Run(static_cast<int>(slots.size()), true, cost_all);
  if (with_shelves.Worst() > kSecondStartDb) {
    Fitter peaking_only(rq, weight, residual);
    std::vector<BandSetting> other =
        peaking_only.Run(static_cast<int>(slots.size()), false, cost_peaking);
    if (cost_peaking < cost_all) chosen = std::move(other);
  }
  std::sort(chosen.begin(), chosen.end(), [](const BandSetting& a, const BandSetting& b) {
    return a.freq_index != b.freq_index ? a.freq_index < b.freq_index : a.type < b.type;
  });

  result.bands = rq.current;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    BandSetting& band = result.bands[slots[i]];
    if (i < chosen.size()) {
      band = chosen[i];
    } else if (!IsFlat(band)) {
      band.type = 1;
      band.gain_raw = kGainRawFlat;
    }
  }

  // The prediction with the graph's own curves of the chosen bands.
  result.predicted_db = base;
  for (std::size_t b : slots) {
    if (IsFlat(result.bands[b])) continue;
    BandCurve(result.bands[b], curve);
    for (int k = 0; k < kPoints; ++k) result.predicted_db[k] += curve[k];
  }
  // The target follows the corrected response's level, as the fit assumed.
  double level = 0, level_weight = 0;
  for (int k = k0; k <= k1; ++k) {
    if (!counted[k]) continue;
    level += result.predicted_db[k] - result.target_db[k];
    level_weight += 1;
  }
  if (level_weight > 0) {
    for (double& t : result.target_db) t += level / level_weight;
  }
  double squares = 0, total = 0;
  for (int k = k0; k <= k1; ++k) {
    if (!counted[k]) continue;
    const double d = result.predicted_db[k] - result.target_db[k];
    squares += d * d;
    total += 1;
    result.max_dev_db = std::max(result.max_dev_db, std::fabs(d));
  }
  result.rms_db = total > 0 ? std::sqrt(squares / total) : 0.0;
  return result;
}

}  // namespace kdsp
