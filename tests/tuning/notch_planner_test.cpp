// Notch proposals of the ring-out assistant on a microphone's twenty bands.
#include <gtest/gtest.h>

#include <vector>

#include "tuning/notch_planner.h"

namespace kdsp {
namespace {

// A microphone after an equaliser reset: peaking, 0 dB, Q 1.00, at the group's defaults.
std::vector<BandSetting> ResetMicrophone() {
  const int defaults[20] = {2,   25,  49,  73,  96,  120, 144, 167, 187, 215,
                            238, 262, 287, 299, 313, 323, 333, 343, 353, 360};
  std::vector<BandSetting> bands;
  for (int f : defaults) bands.push_back({1, f, 120, 16, 16});
  return bands;
}

struct Case {
  const char* name;
  int ring_index;
  std::vector<std::pair<int, BandSetting>> changed;  // bands set before the ring
  std::vector<int> notches;                          // bands holding the assistant's notches
  NotchProposal::Kind kind;
  int band;
  BandSetting setting;
};

class Proposals : public ::testing::TestWithParam<Case> {};

TEST_P(Proposals, FollowTheRules) {
  const Case& c = GetParam();
  std::vector<BandSetting> bands = ResetMicrophone();
  for (const auto& [b, s] : c.changed) bands[b] = s;
  const NotchProposal p = ProposeNotch(c.ring_index, bands, c.notches);
  EXPECT_EQ(p.kind, c.kind) << c.name;
  EXPECT_EQ(p.band, c.band) << c.name;
  if (c.kind != NotchProposal::Kind::kNoFreeBand) {
    EXPECT_EQ(p.setting, c.setting) << c.name;
  }
}

using K = NotchProposal::Kind;
INSTANTIATE_TEST_SUITE_P(
    Microphone, Proposals,
    ::testing::Values(
        // 1 kHz: the free band nearest in frequency is band 10 (215), peaking, Q 10.10, -3 dB.
        Case{"first ring", 204, {}, {}, K::kNew, 9, {1, 204, 105, 56, 16}},
        Case{"a band the user set is never taken",
             204,
             {{9, {1, 215, 130, 16, 16}}},
             {},
             K::kNew,
             8,
             {1, 204, 105, 56, 16}},
        Case{"the same ring again cuts 3 dB more",
             205,
             {{9, {1, 204, 105, 56, 16}}},
             {9},
             K::kDeeper,
             9,
             {1, 204, 90, 56, 16}},
        Case{"no deeper than -12 dB",
             204,
             {{9, {1, 204, 65, 56, 16}}},
             {9},
             K::kDeeper,
             9,
             {1, 204, 60, 56, 16}},
        Case{"at the limit",
             203,
             {{9, {1, 204, 60, 56, 16}}},
             {9},
             K::kAtLimit,
             9,
             {1, 204, 60, 56, 16}},
        Case{"another ring gets a band of its own",
             240,
             {{9, {1, 204, 105, 56, 16}}},
             {9},
             K::kNew,
             10,
             {1, 240, 105, 56, 16}},
        Case{"a bypassed band at 0 dB is free; a shelf at 0 dB is the user's",
             40,
             {{0, {2, 2, 120, 16, 16}}, {1, {0, 25, 120, 16, 16}}, {2, {1, 49, 100, 16, 16}}},
             {},
             K::kNew,
             1,
             {1, 40, 105, 56, 16}},
        Case{"every band in use",
             204,
             [] {
               std::vector<std::pair<int, BandSetting>> all;
               for (int b = 0; b < 20; ++b) all.push_back({b, {1, 10 * b, 110, 16, 16}});
               return all;
             }(),
             {},
             K::kNoFreeBand,
             -1,
             {}}),
    [](const ::testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace kdsp
