#pragma once

#include <span>
#include <string>

#include "tuning/band_setting.h"

namespace kdsp {

/// How the ring-out assistant notches.
struct NotchRules {
  int q_index = 56;           ///< Q 10.10: narrow, leaving the voice around it
  int first_cut_steps = 15;   ///< 0.2 dB steps: a first cut of 3 dB
  int deepen_steps = 15;      ///< each return of the ring cuts 3 dB more
  int deepest_gain_raw = 60;  ///< down to -12 dB, no further
  int same_ring_steps = 2;    ///< a ring within this many frequency steps of a notch is its own
};

/// What to do about one ring.
struct NotchProposal {
  enum class Kind {
    kNew,         ///< a notch on a free band
    kDeeper,      ///< the notch already there, cut further
    kAtLimit,     ///< the notch already there is as deep as it may go
    kNoFreeBand,  ///< every band is in use
  };
  Kind kind = Kind::kNoFreeBand;
  int band = -1;  ///< 0-based band of the microphone's equaliser
  BandSetting setting;
};

/// The proposal for a ring at `freq_index` on a microphone whose bands are `bands`;
/// `notch_bands` are the bands holding notches the assistant placed. A free band is a band at
/// 0 dB that holds no notch; a band the user set is never touched.
NotchProposal ProposeNotch(int freq_index, std::span<const BandSetting> bands,
                           std::span<const int> notch_bands, const NotchRules& rules = {});

/// "new notch on band 7: PK 1000 Hz -3.0 dB Q 10.10" and the like.
std::string DescribeProposal(const NotchProposal& proposal);

}  // namespace kdsp
