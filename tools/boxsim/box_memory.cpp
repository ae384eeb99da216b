#include "boxsim/box_memory.h"

#include <algorithm>
#include <cmath>

#include "model/page_layout.h"

namespace kdsp::boxsim {
namespace {

constexpr std::array<const char*, kModeCount> kModeNames = {
    "KTV",  "Live", "Party",   "Concert", "Studio", "Theatre", "Disco",   "Jazz",
    "Rock", "Pop",  "Classic", "Ballad",  "Speech", "Lounge",  "Outdoor", "User"};
constexpr std::array<const char*, kModeCount> kHintNames = {
    "Flat", "Warm",   "Bright", "Bass+", "Vocal", "Soft",   "Crisp", "Deep",
    "Air",  "Mellow", "Punch",  "Clear", "Rich",  "Smooth", "Night", "Custom"};

constexpr int kBypass = 0, kPeaking = 1, kLowShelf = 2, kHighShelf = 3;
constexpr int kBessel = 1, kButterworth = 2;

int Db(double gain_db) { return static_cast<int>(std::lround(120 + gain_db * 5)); }

void SetFilters(ValueTable& t, int page, int first_slot, int hp_type, double hp_hz, int lp_type,
                double lp_hz) {
  t.Set(page, first_slot, hp_type);
  t.Set(page, first_slot + 1, FrequencyIndex(hp_hz));
  t.Set(page, first_slot + 2, lp_type);
  t.Set(page, first_slot + 3, FrequencyIndex(lp_hz));
}

void FlatEqualisers(ValueTable& t) {
  for (int block = 0; block <= 16; ++block) ResetEqualiserBlock(t, block);
}

// The common base of every mode: levels and filters an installer would leave in place.
void BaseContents(ValueTable& t) {
  FlatEqualisers(t);
  // Music input.
  const int input_gains[6] = {24, 24, 22, 20, 24, 26};
  for (int s = 0; s < 6; ++s) t.Set(0, s, input_gains[s]);
  t.Set(0, 6, 7);  // key: no shift
  SetFilters(t, 0, 7, kButterworth, 25, kBypass, 20000);
  t.Set(0, 63, 1);  // manual output mode
  t.Set(0, 64, 0);  // sing
  t.Set(0, 65, 1);  // analogue 1
  // Microphones.
  for (int page : {1, 2}) {
    const int dynamics[9] = {30, 2, 18, 4, 3, 28, 5, 3, 20};
    for (int s = 0; s < 9; ++s) t.Set(page, s, dynamics[s]);
    SetFilters(t, page, 9, kButterworth, 80, kBessel, 16000);
    t.Set(page, 115, 70);
  }
  t.Set(1, 13, 0);
  // Echo.
  const int echo[9] = {60, 0, 0, 0, 20, 125, 45, 10, 30};
  for (int s = 0; s < 9; ++s) t.Set(3, s, echo[s]);
  SetFilters(t, 3, 9, kBessel, 100, kBessel, 5000);
  // Reverb.
  const int reverb[6] = {50, 0, 80, 0, 20, 40};
  for (int s = 0; s < 6; ++s) t.Set(4, s, reverb[s]);
  SetFilters(t, 4, 6, kBessel, 120, kBessel, 8000);
  // Outputs: full mixes, gentle limiters, no delay.
  for (int page = 5; page <= 20; ++page) {
    for (int s : {0, 4, 8, 12}) t.Set(page, s, 100);
    const int limiter[4] = {30, 5, 3, 20};
    for (int i = 0; i < 4; ++i) t.Set(page, 18 + i, limiter[i]);
    SetFilters(t, page, 22, kBypass, 20, kBypass, 20000);
    t.Set(page, 77, 90);
  }
  for (int page : {9, 10}) {  // subwoofer
    t.Set(page, 4, 40);
    SetFilters(t, page, 22, kButterworth, 25, kButterworth, 120);
  }
  for (int page : {11, 12}) {  // centre carries the voice
    t.Set(page, 0, 60);
    SetFilters(t, page, 22, kBessel, 100, kBypass, 20000);
  }
  for (int page : {13, 14, 15, 16}) t.Set(page, 16, 60);  // surround delay
  // Auxiliary page: user tone controls and their limits.
  t.Set(21, 0, 2);
  for (int half = 0; half < 2; ++half) {
    SetBand(t, 21, 3 * half + 0, kLowShelf, DefaultFrequencyIndex(6, 0), 120, 16);
    SetBand(t, 21, 3 * half + 1, kPeaking, DefaultFrequencyIndex(6, 1), 120, 12);
    SetBand(t, 21, 3 * half + 2, kHighShelf, DefaultFrequencyIndex(6, 2), 120, 16);
  }
  for (int s = 31; s <= 41; s += 2) {
    t.Set(21, s, Db(6));
    t.Set(21, s + 1, Db(-12));
  }
  // Volume limits.
  const int limits[10] = {60, 60, 60, 84, 80, 84, 40, 35, 40, 0};
  for (int s = 0; s < 10; ++s) t.Set(25, s, limits[s]);
}

// What sets one mode apart from another.
struct Flavour {
  int echo_level, echo_delay, echo_repeat, reverb_level, reverb_time;
  double music_bass_db, music_treble_db, mic_presence_db;
  int main_volume;
};

constexpr std::array<Flavour, kModeCount> kFlavours = {{
    {60, 125, 45, 50, 40, 3.0, 1.0, 2.0, 90},   // KTV
    {45, 100, 35, 60, 55, 1.0, 1.0, 3.0, 88},   // Live
    {55, 140, 50, 40, 30, 6.0, 2.0, 1.0, 95},   // Party
    {35, 90, 30, 70, 65, 2.0, 0.0, 2.0, 90},    // Concert
    {20, 80, 20, 30, 25, 0.0, 0.0, 0.0, 80},    // Studio
    {40, 110, 40, 65, 60, 2.0, -1.0, 2.0, 86},  // Theatre
    {50, 150, 55, 35, 30, 8.0, 3.0, 0.0, 98},   // Disco
    {30, 95, 30, 55, 50, 1.0, -2.0, 1.0, 82},   // Jazz
    {45, 120, 40, 40, 35, 5.0, 3.0, 3.0, 96},   // Rock
    {55, 115, 45, 45, 40, 3.0, 2.0, 2.0, 92},   // Pop
    {25, 90, 25, 70, 70, 0.0, 1.0, 0.0, 84},    // Classic
    {65, 130, 55, 55, 50, 2.0, -1.0, 2.0, 88},  // Ballad
    {0, 0, 0, 10, 10, -2.0, 0.0, 4.0, 80},      // Speech
    {40, 105, 35, 50, 45, 2.0, -2.0, 1.0, 78},  // Lounge
    {35, 140, 30, 30, 25, 4.0, 2.0, 4.0, 100},  // Outdoor
    {60, 125, 45, 50, 40, 0.0, 0.0, 0.0, 90},   // User
}};

void ApplyFlavour(ValueTable& t, const Flavour& f) {
  t.Set(3, 0, f.echo_level);
  t.Set(3, 5, f.echo_delay);
  t.Set(3, 6, f.echo_repeat);
  t.Set(4, 0, f.reverb_level);
  t.Set(4, 5, f.reverb_time);
  // A tuned music equaliser: shelving bass and treble around the flat middle bands.
  SetBand(t, 0, 0, kLowShelf, FrequencyIndex(100), Db(f.music_bass_db), 16);
  SetBand(t, 0, 9, kHighShelf, FrequencyIndex(8000), Db(f.music_treble_db), 16);
  SetBand(t, 0, 3, kPeaking, FrequencyIndex(400), Db(-f.music_bass_db / 3), 20);
  // Both microphones: cut the boom, lift the presence.
  for (int page : {1, 2}) {
    SetBand(t, page, 2, kPeaking, FrequencyIndex(200), Db(-3), 18);
    SetBand(t, page, 11, kPeaking, FrequencyIndex(3150), Db(f.mic_presence_db), 14);
    SetBand(t, page, 17, kHighShelf, FrequencyIndex(12000), Db(-2), 16);
  }
  // Main output (both channels, both scenes): a small low-end lift.
  for (int page = 5; page <= 8; ++page) {
    SetBand(t, page, 0, kLowShelf, FrequencyIndex(60), Db(f.music_bass_db / 2), 16);
    t.Set(page, 77, f.main_volume);
  }
}

void ApplyHintFlavour(ValueTable& t, int k) {
  // Hint mode 1 is flat; the others give each hidden equaliser a character of its own.
  static constexpr double kTilt[kModeCount] = {0,  2,   -2, 4,    -1,  1,   -3,  5,
                                               -4, 2.4, 3,  -1.6, 1.6, 0.8, 1.2, 0};
  for (int page = kHintFirstPage; page <= kHintLastPage; ++page) {
    for (int b = 0; b < EqBandCount(page); ++b) {
      SetBand(t, page, b, kPeaking, DefaultFrequencyIndex(GroupOf(page), b), kFlatGain, kDefaultQ);
    }
    if (k == 0) continue;
    SetBand(t, page, 0, kLowShelf, FrequencyIndex(80), Db(kTilt[k]), 16);
    SetBand(t, page, 4, kHighShelf, FrequencyIndex(6000), Db(-kTilt[k] / 2), 16);
  }
}

void SystemContents(ValueTable& t) {
  t.Set(30, 2, 0);   // current device mode
  t.Set(30, 3, 0);   // no link open yet
  t.Set(30, 4, 0);   // front panel unlocked
  t.Set(30, 8, 0);   // user
  t.Set(30, 20, 6);  // seven input sources: auto .. USB, HDMI1
  t.Set(30, 21, 0);  // hint-mode loading offered
  t.Set(30, 23, 0);  // centre routing L+R
  t.Set(30, 24, 0);  // subwoofer routing L+R
  t.Set(30, 34, 0);  // current hint mode
}

void CopyPages(const ValueTable& from, ValueTable& to, int first, int last) {
  for (int page = first; page <= last; ++page) {
    for (int s = 0; s < kSlotCount; ++s) to.Set(page, s, from.Get(page, s));
  }
}

}  // namespace

int FrequencyIndex(double freq_hz) {
  const long idx = std::lround(204 + 36 * std::log2(freq_hz / 1000.0));
  return static_cast<int>(std::clamp(idx, 0L, 360L));
}

void SetBand(ValueTable& t, int page, int band, int type, int freq_index, int gain, int q) {
  const int first = EqFirstSlot(page) + 5 * band;
  t.Set(page, first + kFieldType, type);
  t.Set(page, first + kFieldFreq, freq_index);
  t.Set(page, first + kFieldGain, gain);
  t.Set(page, first + (type >= kLowShelf ? kFieldSlope : kFieldQ), q);
}

bool ResetEqualiserBlock(ValueTable& t, int block) {
  bool any = false;
  for (int page = 0; page <= 24; ++page) {
    if (EqBlockId(page) != block) continue;
    any = true;
    for (int b = 0; b < EqBandCount(page); ++b) {
      const int first = EqFirstSlot(page) + 5 * b;
      t.Set(page, first + kFieldType, kDefaultType);
      t.Set(page, first + kFieldFreq, DefaultFrequencyIndex(GroupOf(page), b));
      t.Set(page, first + kFieldGain, kFlatGain);
      t.Set(page, first + kFieldQ, kDefaultQ);
      t.Set(page, first + kFieldSlope, kDefaultSlope);
    }
  }
  return any;
}

void CopyMicrophoneOneToTwo(ValueTable& t) {
  for (int s = 0; s <= 114; ++s) {
    if (s != 13) t.Set(2, s, t.Get(1, s));
  }
}

BoxMemory MakeFactoryMemory() {
  BoxMemory m;
  for (int k = 0; k < kModeCount; ++k) {
    ValueTable& mode = m.modes[static_cast<std::size_t>(k)];
    BaseContents(mode);
    ApplyFlavour(mode, kFlavours[static_cast<std::size_t>(k)]);
    ApplyHintFlavour(mode, 0);
    m.mode_names[static_cast<std::size_t>(k)] = kModeNames[static_cast<std::size_t>(k)];
    ValueTable& hint = m.hint_modes[static_cast<std::size_t>(k)];
    ApplyHintFlavour(hint, k);
    m.hint_names[static_cast<std::size_t>(k)] = kHintNames[static_cast<std::size_t>(k)];
  }
  CopyPages(m.modes[0], m.params, kModeFirstPage, kModeLastPage);
  CopyPages(m.hint_modes[0], m.params, kHintFirstPage, kHintLastPage);
  SystemContents(m.params);
  return m;
}

}  // namespace kdsp::boxsim
