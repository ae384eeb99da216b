// The equaliser fit on synthetic rooms: resonances and broad deviations made with ordinary
// biquads at 48 kHz, fitted with ten bands to a flat target from 40 Hz to 16 kHz.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <memory>
#include <vector>

#include "eq/maths/band_response.h"
#include "eq/maths/response_grid.h"
#include "model/frequency_table.h"
#include "model/q_table.h"
#include "support/peaking_biquad.h"
#include "tuning/eq_fit.h"

namespace kdsp {
namespace {

struct Peak {
  double freq_hz, gain_db, q;
};

double PeakDb(const Peak& p, double f) {
  return testing::PeakingBiquadDb(p.freq_hz, p.gain_db, p.q, f);
}

// The box's drawing of a band, straight from the response maths.
std::vector<float> BoxBand(int type, int freq_index, int gain_raw, int q_index) {
  auto scratch = std::make_unique<ResponseScratch>();
  std::array<float, kResponseLength> row{};
  BandResponse(type, static_cast<int>(std::lround(FrequencyHzF(freq_index))), QValue(q_index),
               static_cast<float>(gain_raw / 5.0 - 24.0), row, *scratch);
  return {row.begin(), row.begin() + kGridSteps + 1};
}

struct Room {
  const char* name;
  std::vector<Peak> peaks;      // resonances and broad deviations
  std::vector<BandSetting> eq;  // the channel's bands during the measurement (none: flat)
  double dip_hz;                // a deep narrow dip the fit must leave, 0 for none
};

class FitOnRooms : public ::testing::TestWithParam<Room> {};

TEST_P(FitOnRooms, TenBandsBringTheRoomWithinHalfADecibelRms) {
  const Room& room = GetParam();
  FitRequest rq;
  rq.first_point = FirstGridPointFrom(40.0);
  rq.last_point = LastGridPointUpTo(16000.0);
  rq.current.assign(10, BandSetting{});
  for (std::size_t i = 0; i < room.eq.size(); ++i) rq.current[i] = room.eq[i];
  std::vector<double> room_db(kGridSteps + 1, 0.0);
  for (int k = 0; k <= kGridSteps; ++k) {
    for (const Peak& p : room.peaks) room_db[k] += PeakDb(p, GridFrequency(k));
  }
  rq.measured_db = room_db;
  for (const BandSetting& b : room.eq) {
    const std::vector<float> eq = BoxBand(b.type, b.freq_index, b.gain_raw, b.q_index);
    for (int k = 0; k <= kGridSteps; ++k) rq.measured_db[k] += eq[k];
  }
  rq.target_db.assign(kGridSteps + 1, 0.0);

  const FitResult fit = FitEqualiser(rq);
  ASSERT_EQ(fit.bands.size(), 10u);
  EXPECT_EQ(FitEqualiser(rq).bands, fit.bands) << "the same input gives the same output";

  // Independent prediction: the room itself plus the box's drawing of the chosen bands.
  std::vector<double> predicted = room_db;
  for (const BandSetting& b : fit.bands) {
    EXPECT_GE(b.type, 0);
    EXPECT_LE(b.type, 3);
    EXPECT_LE(b.gain_raw, 135) << "no boost above +3 dB";
    EXPECT_GE(b.gain_raw, 0);
    EXPECT_LE(b.freq_index, 360);
    EXPECT_LE(b.q_index, 100);
    EXPECT_LE(b.slope_index, 24);
    const int q = b.type >= 2 ? b.slope_index : b.q_index;
    const std::vector<float> eq = BoxBand(b.type, b.freq_index, b.gain_raw, q);
    for (int k = 0; k <= kGridSteps; ++k) predicted[k] += eq[k];
  }
  // The target (flat) at the corrected response's mean level over the range.
  double mean = 0;
  int n = 0;
  for (int k = rq.first_point; k <= rq.last_point; ++k) {
    const double f = GridFrequency(k);
    if (room.dip_hz > 0 && f > room.dip_hz / 1.3 && f < room.dip_hz * 1.3) continue;
    mean += predicted[k];
    ++n;
  }
  mean /= n;
  double squares = 0, worst = 0;
  int counted = 0;
  for (int k = rq.first_point; k <= rq.last_point; ++k) {
    const double f = GridFrequency(k);
    if (room.dip_hz > 0 && f > room.dip_hz / 1.3 && f < room.dip_hz * 1.3) continue;
    const double d = predicted[k] - mean;
    squares += d * d;
    worst = std::max(worst, std::fabs(d));
    ++counted;
  }
  const double rms = std::sqrt(squares / counted);
  EXPECT_LE(rms, 0.5) << room.name;
  EXPECT_LE(worst, 1.5) << room.name;
  EXPECT_NEAR(fit.rms_db, rms, 0.3) << "the reported residual is the one the box will give";

  if (room.dip_hz > 0) {
    ASSERT_EQ(fit.left.size(), 1u) << "the dip is reported as left";
    EXPECT_LT(fit.left[0].low_hz, room.dip_hz);
    EXPECT_GT(fit.left[0].high_hz, room.dip_hz);
    // No boost chasing the dip: the fitted equaliser adds at most 1 dB at its bottom.
    const int bottom = LastGridPointUpTo(room.dip_hz);
    EXPECT_LE(predicted[bottom] - room_db[bottom], 1.0);
  } else {
    EXPECT_TRUE(fit.left.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    SyntheticRooms, FitOnRooms,
    ::testing::Values(
        Room{"six resonances, three broad",
             {{50, 10, 4},
              {85, 6, 8},
              {140, 12, 5},
              {230, 4, 2},
              {320, 8, 10},
              {450, 3, 3},
              {2000, -3, 0.7},
              {6000, 2.5, 1},
              {11000, -4, 0.8}},
             {},
             0},
        Room{"measured through a boosting equaliser",
             {{63, 9, 6}, {110, 7, 3}, {180, 11, 9}, {800, 4, 0.6}, {4000, -2, 1}},
             {{1, 204, 150, 16, 16}, {3, 300, 110, 16, 10}},
             0},
        Room{"wide and narrow resonances",
             {{45, 12, 2},
              {70, 5, 10},
              {125, 9, 7},
              {200, 3, 4},
              {300, 10, 2.5},
              {480, 6, 6},
              {1500, 3, 0.5},
              {5000, -3.5, 0.7},
              {12000, 2, 1}},
             {},
             0},
        Room{"a deep narrow dip is left", {{90, 8, 5}, {250, 6, 4}, {2000, -15, 8}}, {}, 2000}),
    [](const ::testing::TestParamInfo<Room>& info) { return "Room" + std::to_string(info.index); });

}  // namespace
}  // namespace kdsp
