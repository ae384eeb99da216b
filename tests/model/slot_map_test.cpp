#include "model/slot_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/control_lists.h"
#include "model/page_layout.h"

namespace kdsp {
namespace {

using Cell = std::pair<int, int>;

std::vector<std::string> ItemTexts(const SlotEntry& e) {
  return std::vector<std::string>(e.items.begin(), e.items.end());
}

const SlotEntry& At(int page, int slot) {
  const SlotEntry* e = EntryAt(page, slot);
  if (e == nullptr) {
    ADD_FAILURE() << "no entry at " << page << "." << slot;
    static const SlotEntry kEmpty;
    return kEmpty;
  }
  return *e;
}

TEST(SlotMap, EntriesAreOrderedUniqueAndInsideTheirPages) {
  const std::set<int> pages_with_map = {0, 1, 2, 3, 4, 5, 7, 15, 19, 21, 22, 25, 26, 30};
  const auto& all = AllSlotEntries();
  ASSERT_FALSE(all.empty());
  std::set<Cell> seen;
  for (size_t i = 0; i < all.size(); ++i) {
    const SlotEntry& e = all[i];
    EXPECT_TRUE(pages_with_map.count(e.page)) << e.page << "." << e.slot;
    EXPECT_GE(e.slot, 0);
    EXPECT_LT(e.slot, PageLength(e.page)) << e.page << "." << e.slot << " " << e.primary;
    EXPECT_LE(e.raw_min, e.raw_max) << e.page << "." << e.slot;
    EXPECT_TRUE(seen.insert({e.page, e.slot}).second) << "duplicate " << e.page << "." << e.slot;
    if (i > 0) {
      EXPECT_LT(Cell(all[i - 1].page, all[i - 1].slot), Cell(e.page, e.slot));
    }
    EXPECT_EQ(EntryAt(e.page, e.slot), &e);
  }
  // Each page's span is exactly its rows, and covers the whole table.
  size_t total = 0;
  for (int page = 0; page < kPageCount; ++page) {
    for (const SlotEntry& e : EntriesOfPage(page)) EXPECT_EQ(e.page, page);
    total += EntriesOfPage(page).size();
  }
  EXPECT_EQ(total, all.size());
  EXPECT_TRUE(EntriesOfPage(-1).empty());
  EXPECT_TRUE(EntriesOfPage(31).empty());
  EXPECT_EQ(EntryAt(31, 0), nullptr);
  EXPECT_EQ(EntryAt(0, 165), nullptr);
  EXPECT_EQ(EntryAt(-1, 3), nullptr);
}

TEST(SlotMap, EveryPageHasItsRowsAndNoOthers) {
  // Counted from the page tables: unused slots (page 0 slot 11, echo 2..3, output 2, 3, 6, ...)
  // must stay out.
  const std::map<int, size_t> expected = {{0, 65},  {1, 116}, {2, 1},   {3, 62}, {4, 61},
                                          {5, 71},  {7, 2},   {15, 2},  {19, 2}, {21, 43},
                                          {22, 26}, {25, 10}, {26, 17}, {30, 5}};
  for (int page = 0; page < kPageCount; ++page) {
    const auto it = expected.find(page);
    EXPECT_EQ(EntriesOfPage(page).size(), it == expected.end() ? 0u : it->second) << page;
  }
  for (int slot : {11}) EXPECT_EQ(EntryAt(0, slot), nullptr);
  for (int slot : {2, 3}) EXPECT_EQ(EntryAt(3, slot), nullptr);
  for (int slot : {2, 3, 6, 7, 10, 11, 14, 15}) EXPECT_EQ(EntryAt(5, slot), nullptr) << slot;
  EXPECT_EQ(EntryAt(2, 0), nullptr);  // every other microphone control addresses view page 1
  EXPECT_EQ(EntryAt(7, 0), nullptr);
  EXPECT_EQ(EntryAt(25, 10), nullptr);
  EXPECT_EQ(EntryAt(26, 17), nullptr);
  EXPECT_EQ(EntryAt(30, 3), nullptr);  // link slots have no control
}

TEST(SlotMap, ObjectNamesBelongToOneParameterExceptTheSharedControls) {
  std::map<std::string, std::vector<Cell>> cells_of;
  for (const SlotEntry& e : AllSlotEntries()) {
    std::vector<std::string> names = {e.primary, e.display};
    names.insert(names.end(), e.extras.begin(), e.extras.end());
    std::set<std::string> in_entry;
    for (const std::string& n : names) {
      if (n.empty()) continue;
      EXPECT_TRUE(in_entry.insert(n).second) << n << " twice in " << e.page << "." << e.slot;
      cells_of[n].push_back({e.page, e.slot});
    }
  }
  const std::vector<Cell> bypass_cells = {{0, 12}, {1, 14}, {3, 13}, {4, 10}, {5, 26}, {22, 0}};
  for (const auto& [name, cells] : cells_of) {
    if (cells.size() == 1) continue;
    if (name == "MusEQAllpassBtn") {
      EXPECT_EQ(cells, bypass_cells);
    } else if (name == "MainRdelayBar" || name == "MainRdelayPane") {
      EXPECT_EQ(cells, (std::vector<Cell>{{7, 16}, {15, 16}, {19, 16}}));
    } else if (name == "MainRmuteBtn") {
      EXPECT_EQ(cells, (std::vector<Cell>{{7, 17}, {15, 17}, {19, 17}}));
    } else {
      // Only a band's Q edit may serve two slots: fields 3 and 4 of the same band.
      ASSERT_EQ(cells.size(), 2u) << name;
      const SlotEntry& q = At(cells[0].first, cells[0].second);
      EXPECT_EQ(q.primary, name);
      EXPECT_EQ(q.display_kind, 4) << name;
      EXPECT_EQ(cells[1], Cell(cells[0].first, cells[0].second + 1)) << name;
      EXPECT_EQ((cells[0].second - EqFirstSlot(cells[0].first)) % 5, 3) << name;
    }
  }
  // Both buttons of each pair are present, each once.
  for (const char* n : {"AutoModeBtn", "ManulModeBtn", "SingModeBtn", "DiscoModeBtn",
                        "SysPanelBtn1", "SysPanelBtn2", "SysVolRunBtn1", "SysVolRunBtn2"}) {
    EXPECT_EQ(cells_of[n].size(), 1u) << n;
  }
}

// The names each equaliser page's band columns must carry, written out per page.
struct ExpectedColumn {
  std::string type_box, freq, gain, gain2, bar, q, spin, by, peq, lsq, hsq;
};

ExpectedColumn Standard(const std::string& p, const std::string& spin, int n) {
  const std::string k = std::to_string(n);
  return {p + "ModeBox" + k,   p + "FreEdit" + k, p + "GainEdit" + k, "",
          p + "EQGainBar" + k, p + "QEdit" + k,   spin + k,           p + "BYBtn" + k,
          p + "PEQBtn" + k,    p + "LSQBtn" + k,  p + "HSQBtn" + k};
}

ExpectedColumn Aux(int band) {  // band 1..6
  static const char* kMus[] = {"AUXMUS", "AUXMUS", "AUXMUS", "AUXMIC", "AUXMIC", "AUXMIC"};
  static const char* kMus2[] = {"AUXMUS2", "AUXMUS2", "AUXMUS2", "AUXMIC2", "AUXMIC2", "AUXMIC2"};
  const std::string k = std::to_string(band <= 3 ? band : band - 3);
  const std::string all = std::to_string(band);
  const std::string c = kMus[band - 1];
  return {c + "ModeBox" + k,     c + "FreEdit" + k,
          c + "GainEdit" + k,    kMus2[band - 1] + std::string("GainEdit") + k,
          "AUXEQGainBar" + all,  c + "QEdit" + k,
          "AUXQUpDownBtn" + all, "AUXBYBtn" + all,
          "AUXPEQBtn" + all,     "AUXLSQBtn" + all,
          "AUXHSQBtn" + all};
}

void CheckBand(int page, int band, const ExpectedColumn& x, int first_slot) {
  SCOPED_TRACE("page " + std::to_string(page) + " band " + std::to_string(band + 1));
  const int base = first_slot + 5 * band;
  const SlotEntry& type = At(page, base);
  EXPECT_EQ(type.primary_class, ControlClass::kBandTypeSelector);
  EXPECT_EQ(type.primary, x.type_box);
  EXPECT_EQ(type.extra_class, ControlClass::kTypeLabel);
  EXPECT_EQ(type.extras, (std::array<std::string, 4>{x.by, x.peq, x.lsq, x.hsq}));
  EXPECT_EQ(type.display_kind, 1);
  EXPECT_EQ(type.raw_max, 3);
  EXPECT_EQ(ItemTexts(type), (std::vector<std::string>{"BYPSS", "PEQ", "LSEQ", "HSEQ"}));

  const SlotEntry& freq = At(page, base + 1);
  EXPECT_EQ(freq.primary_class, ControlClass::kEdit);
  EXPECT_EQ(freq.primary, x.freq);
  EXPECT_EQ(freq.display_kind, 2);
  EXPECT_EQ(freq.raw_max, 360);
  EXPECT_EQ(freq.ExtraCount(), 0);

  const SlotEntry& gain = At(page, base + 2);
  EXPECT_EQ(gain.primary, x.gain);
  EXPECT_EQ(gain.display, x.gain2);
  EXPECT_EQ(gain.display_class, x.gain2.empty() ? ControlClass::kNone : ControlClass::kEdit);
  EXPECT_EQ(gain.extra_class, ControlClass::kTrackbar);
  EXPECT_EQ(gain.extras[0], x.bar);
  EXPECT_EQ(gain.ExtraCount(), 1);
  EXPECT_EQ(gain.display_kind, 3);
  EXPECT_EQ(gain.raw_max, 180);

  const SlotEntry& q = At(page, base + 3);
  const SlotEntry& slope = At(page, base + 4);
  EXPECT_EQ(q.primary, x.q);
  EXPECT_EQ(slope.primary, x.q);
  EXPECT_EQ(q.display_kind, 4);
  EXPECT_EQ(slope.display_kind, 4);
  EXPECT_EQ(q.raw_max, 100);
  EXPECT_EQ(slope.raw_max, 24);
  // The spin buttons go with the Q, except on the auxiliary page where they go with the slope.
  const SlotEntry& with_spin = page == 21 ? slope : q;
  const SlotEntry& without_spin = page == 21 ? q : slope;
  EXPECT_EQ(with_spin.extra_class, ControlClass::kSpinButtons);
  EXPECT_EQ(with_spin.extras[0], x.spin);
  EXPECT_EQ(with_spin.ExtraCount(), 1);
  EXPECT_EQ(without_spin.ExtraCount(), 0);
}

TEST(SlotMap, EveryEqualiserBandHasItsFiveSlotsWithTheirControls) {
  struct PageBands {
    int page, first_slot, bands;
    std::string prefix, spin;
  };
  const std::vector<PageBands> pages = {
      {0, 13, 10, "Mus", "MusQUpDownBtn"},   {1, 15, 20, "Mic", "MIcQUpDownBtn"},
      {3, 14, 10, "Echo", "EchoQUpDownBtn"}, {4, 11, 10, "Rvb", "RvbQUpDownBtn"},
      {5, 27, 10, "Main", "MainQUpDownBtn"}, {22, 1, 5, "Hint", "HintQUpDownBtn"},
  };
  for (const PageBands& p : pages) {
    EXPECT_EQ(EqFirstSlot(p.page), p.first_slot);
    for (int b = 0; b < p.bands; ++b) {
      CheckBand(p.page, b, Standard(p.prefix, p.spin, b + 1), p.first_slot);
    }
    // Nothing band-like beyond the last band.
    const SlotEntry* after = EntryAt(p.page, p.first_slot + 5 * p.bands);
    if (after != nullptr) {
      EXPECT_NE(after->primary_class, ControlClass::kBandTypeSelector);
    }
  }
  for (int b = 0; b < 6; ++b) CheckBand(21, b, Aux(b + 1), 1);
}

TEST(SlotMap, ParticularRows) {
  EXPECT_EQ(At(0, 14).primary, "MusFreEdit1");
  // Band 20 of the microphone: fields 3 and 4 at slots 113 and 114.
  EXPECT_EQ(At(1, 113).primary, "MicQEdit20");
  EXPECT_EQ(At(1, 114).primary, "MicQEdit20");
  EXPECT_EQ(At(1, 113).extras[0], "MIcQUpDownBtn20");

  // Echo pre-delay counts whole milliseconds; echo delay and reverb pre-delay two per step.
  EXPECT_EQ(At(3, 4).primary, "EchoPreDelayBar");
  EXPECT_EQ(At(3, 4).display, "EchoPreDelayPane");
  EXPECT_EQ(At(3, 4).display_kind, 26);
  EXPECT_EQ(At(3, 5).primary, "EchoTimeBar");
  EXPECT_EQ(At(3, 5).display_kind, 11);
  EXPECT_EQ(At(4, 4).primary, "RvbPreDelayBar");
  EXPECT_EQ(At(4, 4).display_kind, 11);
  EXPECT_EQ(At(4, 4).raw_max, 100);

  // Output volume and the mix levels share kind 9 but not their ranges.
  EXPECT_EQ(At(5, 77).primary, "MainOutLevelBar");
  EXPECT_EQ(At(5, 77).display_kind, 9);
  EXPECT_EQ(At(5, 77).raw_min, 0);
  EXPECT_EQ(At(5, 77).raw_max, 100);
  EXPECT_EQ(At(5, 17).primary_class, ControlClass::kMuteSwitch);

  // Auxiliary limits: boost 120..180 (kind 27) then cut 60..120 (kind 28), band by band.
  EXPECT_EQ(At(21, 31).primary, "AUXMUSBassMaxAddEdit");
  EXPECT_EQ(At(21, 31).display_kind, 27);
  EXPECT_EQ(At(21, 31).raw_min, 120);
  EXPECT_EQ(At(21, 31).raw_max, 180);
  EXPECT_EQ(At(21, 32).primary, "AUXMUSBassMaxDecEdit");
  EXPECT_EQ(At(21, 32).display_kind, 28);
  EXPECT_EQ(At(21, 32).raw_min, 60);
  EXPECT_EQ(At(21, 32).raw_max, 120);
  EXPECT_EQ(At(21, 36).primary, "AUXMUSHighMaxDecEdit");
  EXPECT_EQ(At(21, 37).primary, "AUXMICBassMaxAddEdit");
  EXPECT_EQ(At(21, 42).primary, "AUXMICHighMaxDecEdit");
  EXPECT_EQ(At(21, 0).primary, "AUXGainBox");
  EXPECT_EQ(ItemTexts(At(21, 0)), (std::vector<std::string>{"0.2", "0.4", "0.6", "0.8", "1.0"}));
  // Gain slots 3, 8, .., 28 carry both sheets' edits.
  EXPECT_EQ(At(21, 3).primary, "AUXMUSGainEdit1");
  EXPECT_EQ(At(21, 3).display, "AUXMUS2GainEdit1");
  EXPECT_EQ(At(21, 28).primary, "AUXMICGainEdit3");
  EXPECT_EQ(At(21, 28).display, "AUXMIC2GainEdit3");
  EXPECT_EQ(At(21, 28).extras[0], "AUXEQGainBar6");

  // Music page odds and ends.
  EXPECT_EQ(At(0, 0).primary, "MusGain1Edit");
  EXPECT_EQ(At(0, 0).extras[0], "MusGain1UpDown");
  EXPECT_EQ(At(0, 0).display_kind, 5);
  EXPECT_EQ(At(0, 0).raw_max, 40);
  for (int slot = 1; slot <= 5; ++slot) {
    EXPECT_EQ(At(0, slot).primary_class, ControlClass::kNone) << slot;
    EXPECT_EQ(At(0, slot).raw_max, 40) << slot;
  }
  EXPECT_EQ(At(0, 63).primary, "AutoModeBtn");
  EXPECT_EQ(At(0, 63).display, "ManulModeBtn");
  EXPECT_EQ(At(0, 64).primary, "SingModeBtn");
  EXPECT_EQ(At(0, 64).display, "DiscoModeBtn");
  EXPECT_EQ(At(0, 65).primary, "SysInputBox");
  EXPECT_EQ(At(0, 65).item_source, ItemSource::kInputNames);
  EXPECT_EQ(At(0, 65).raw_max, 9);

  // Microphone effect volumes: page 1 for microphone 1, page 2 for microphone 2.
  EXPECT_EQ(At(1, 115).primary, "MICAEffectEdit");
  EXPECT_EQ(At(1, 115).extras[0], "MICAEffectSpinButtons");
  EXPECT_EQ(At(2, 115).primary, "MICBEffectEdit");
  EXPECT_EQ(At(2, 115).extras[0], "MICBEffectEditSpinButtons");
  EXPECT_EQ(At(2, 115).display_kind, 29);
  EXPECT_EQ(At(1, 13).primary_class, ControlClass::kSyncButton);

  // Right channel of the stereo outputs.
  for (int page : {7, 15, 19}) {
    EXPECT_EQ(At(page, 16).primary, "MainRdelayBar");
    EXPECT_EQ(At(page, 16).display, "MainRdelayPane");
    EXPECT_EQ(At(page, 16).display_kind, 18);
    EXPECT_EQ(At(page, 16).raw_max, 1000);
    EXPECT_EQ(At(page, 17).primary, "MainRmuteBtn");
    EXPECT_EQ(At(page, 17).primary_class, ControlClass::kMuteSwitch);
  }

  // Volume limits, reset commands and system page.
  EXPECT_EQ(At(25, 0).primary, "SysMicNormalVolBar");
  EXPECT_EQ(At(25, 4).primary, "SysMusMaxVolBar");
  EXPECT_EQ(At(25, 8).primary, "SysEffStartVolBar");
  EXPECT_EQ(At(25, 8).raw_max, 84);
  EXPECT_EQ(At(25, 8).display_kind, 0);
  EXPECT_EQ(At(25, 9).primary, "SysVolRunBtn1");
  EXPECT_EQ(At(25, 9).display, "SysVolRunBtn2");
  for (const SlotEntry& e : EntriesOfPage(26)) {
    EXPECT_EQ(e.primary_class, ControlClass::kNone);
    EXPECT_TRUE(e.primary.empty());
  }
  EXPECT_EQ(At(30, 2).primary, "SysModeBox");
  EXPECT_EQ(At(30, 2).item_source, ItemSource::kModeNames);
  EXPECT_EQ(At(30, 34).primary, "SysMode2Box");
  EXPECT_EQ(At(30, 34).item_source, ItemSource::kHintModeNames);
  EXPECT_EQ(At(30, 4).primary, "SysPanelBtn1");
  EXPECT_EQ(At(30, 4).display, "SysPanelBtn2");
  EXPECT_EQ(ItemTexts(At(30, 23)), (std::vector<std::string>{"L+R", "Left", "Right"}));
  EXPECT_EQ(At(30, 24).primary, "SysSubRoutingBox");
  EXPECT_EQ(ItemTexts(At(30, 24)), ItemTexts(At(30, 23)));
}

TEST(SlotMap, ChannelSlidersCarryTheirPanesRangesAndKinds) {
  struct Row {
    int page, slot;
    const char* bar;
    int max, kind;
  };
  // Several kinds share a range (limiter thresholds 14 and 25, levels 8 and 29), so a swapped
  // kind only shows here.
  const Row rows[] = {
      {0, 6, "MusPitch", 14, 21},       {1, 0, "MicInputGain", 40, 22},
      {1, 1, "MicFBE", 4, 23},          {1, 2, "MicNoiseLevel", 60, 24},
      {1, 3, "MicNoiseAttack", 19, 17}, {1, 4, "MicNoiseRelease", 7, 16},
      {1, 5, "MicRmsLevel", 34, 25},    {1, 6, "MicRmsAttack", 19, 17},
      {1, 7, "MicRmsRelease", 7, 16},   {1, 8, "MicRmsRatio", 40, 15},
      {3, 0, "EchoEffLevel", 100, 8},   {3, 6, "EchoRepeat", 80, 8},
      {3, 7, "EchoRPreDelay", 50, 8},   {3, 8, "EchoRTime", 100, 10},
      {4, 0, "RvbEffLevel", 100, 8},    {4, 2, "RvbDirectLevel", 100, 8},
      {4, 5, "RvbTime", 80, 12},        {5, 0, "MainMusLevel", 200, 9},
      {5, 4, "MainMicLevel", 200, 9},   {5, 8, "MainEchoALevel", 200, 9},
      {5, 12, "MainRvbLevel", 200, 9},  {5, 16, "MainLdelay", 1000, 18},
      {5, 18, "MainRmsLevel", 34, 14},  {5, 19, "MainRmsAttack", 19, 17},
      {5, 20, "MainRmsRelease", 7, 16}, {5, 21, "MainRmsRatio", 40, 15},
      {1, 10, "MicHPFre", 360, 6},      {3, 12, "EchoLPFre", 360, 6},
      {4, 7, "RvbHPFre", 360, 6},       {5, 25, "MainMusLPFre", 360, 6},
      {0, 8, "MusHPFRE", 360, 6},       {0, 10, "MusLPFRE", 360, 6},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.bar);
    const SlotEntry& e = At(r.page, r.slot);
    EXPECT_EQ(e.primary_class, ControlClass::kTrackbar);
    EXPECT_EQ(e.primary, std::string(r.bar) + "Bar");
    EXPECT_EQ(e.display, std::string(r.bar) + "Pane");
    EXPECT_EQ(e.raw_min, 0);
    EXPECT_EQ(e.raw_max, r.max);
    EXPECT_EQ(e.display_kind, r.kind);
  }
  const std::pair<Cell, const char*> phases[] = {
      {{3, 1}, "EchoEffPhaseBtn"},  {{4, 1}, "RvbEffPhaseBtn"},  {{4, 3}, "RvbDirectPhaseBtn"},
      {{5, 1}, "MainMusPhaseBtn"},  {{5, 5}, "MainMicPhaseBtn"}, {{5, 9}, "MainEchoAPhaseBtn"},
      {{5, 13}, "MainRvbPhaseBtn"}, {{5, 78}, "MainOutphasebtn"}};
  for (const auto& [cell, name] : phases) {
    EXPECT_EQ(At(cell.first, cell.second).primary, name);
    EXPECT_EQ(At(cell.first, cell.second).primary_class, ControlClass::kPhaseSwitch) << name;
  }
}

TEST(SlotMap, FilterBlocksAndBypassSlotsMatchThePageLayout) {
  for (int page : {0, 1, 3, 4, 5}) {
    SCOPED_TRACE(page);
    const auto f = FilterSlotsOf(page);
    ASSERT_TRUE(f.has_value());
    const std::vector<std::string> pass = {"Bypass", "Bessel", "Butterworth"};
    EXPECT_EQ(At(page, f->hp_type).primary_class, ControlClass::kHighPassTypeSelector);
    EXPECT_EQ(At(page, f->lp_type).primary_class, ControlClass::kLowPassTypeSelector);
    EXPECT_EQ(ItemTexts(At(page, f->hp_type)), pass);
    EXPECT_EQ(ItemTexts(At(page, f->lp_type)), pass);
    EXPECT_EQ(At(page, f->hp_type).raw_max, 2);
    for (int slot : {f->hp_freq, f->lp_freq}) {
      EXPECT_EQ(At(page, slot).primary_class, ControlClass::kTrackbar);
      EXPECT_EQ(At(page, slot).display_kind, 6);
      EXPECT_EQ(At(page, slot).raw_max, 360);
    }
  }
  for (int page : {0, 1, 3, 4, 5, 22}) {
    const SlotEntry& bypass = At(page, EqBypassSlot(page));
    EXPECT_EQ(bypass.primary_class, ControlClass::kBypassButton) << page;
    EXPECT_EQ(bypass.primary, "MusEQAllpassBtn") << page;
  }
  for (const SlotEntry& e : EntriesOfPage(21)) {
    EXPECT_NE(e.primary_class, ControlClass::kBypassButton) << e.slot;
  }
}

TEST(SlotMap, ControlClassesComeWithTheirCompanions) {
  for (const SlotEntry& e : AllSlotEntries()) {
    SCOPED_TRACE(std::to_string(e.page) + "." + std::to_string(e.slot) + " " + e.primary);
    EXPECT_EQ(e.primary.empty(), e.primary_class == ControlClass::kNone);
    EXPECT_EQ(e.display.empty(), e.display_class == ControlClass::kNone);
    EXPECT_EQ(e.ExtraCount() == 0, e.extra_class == ControlClass::kNone);
    EXPECT_GE(e.raw_min, 0);
    switch (e.primary_class) {
      case ControlClass::kTrackbar:
        EXPECT_EQ(e.display_class, ControlClass::kStatusPane);
        EXPECT_GE(e.display_kind, 0);
        break;
      case ControlClass::kBandTypeSelector:
        EXPECT_EQ(e.ExtraCount(), 4);
        EXPECT_EQ(e.display_kind, 1);
        break;
      case ControlClass::kSelector:
      case ControlClass::kHighPassTypeSelector:
      case ControlClass::kLowPassTypeSelector:
        EXPECT_EQ(e.display_kind, -1);
        EXPECT_NE(e.item_source, ItemSource::kNone);
        break;
      case ControlClass::kPhaseSwitch:
      case ControlClass::kMuteSwitch:
      case ControlClass::kBypassButton:
      case ControlClass::kSyncButton:
        EXPECT_EQ(e.raw_max, 1);
        EXPECT_EQ(e.display_kind, -1);
        break;
      case ControlClass::kTwoStateButton:
        EXPECT_EQ(e.display_class, ControlClass::kTwoStateButton);
        EXPECT_EQ(e.raw_max, 1);
        break;
      case ControlClass::kEdit:
        EXPECT_TRUE((e.display_kind >= 2 && e.display_kind <= 5) || e.display_kind >= 27)
            << e.display_kind;
        break;
      default:
        break;
    }
    if (e.item_source == ItemSource::kFixed) {
      EXPECT_EQ(static_cast<int>(e.items.size()), e.raw_max - e.raw_min + 1);
    } else {
      EXPECT_TRUE(e.items.empty());
    }
    if (e.extra_class == ControlClass::kTypeLabel) {
      // Type labels stand in the order of the type values: BY, P, LS, HS.
      const char* kRole[] = {"BYBtn", "PEQBtn", "LSQBtn", "HSQBtn"};
      for (int k = 0; k < 4; ++k) EXPECT_NE(e.extras[k].find(kRole[k]), std::string::npos);
    }
  }
}

TEST(SlotMap, RawRangesLieInsideTheirDisplayKind) {
  // Ranges of the display kinds used by controls.
  const std::map<int, Cell> kind_range = {
      {0, {0, 84}},   {1, {0, 3}},     {2, {0, 360}},  {3, {0, 180}},    {4, {0, 100}},
      {5, {0, 40}},   {6, {0, 360}},   {8, {0, 100}},  {9, {0, 200}},    {10, {0, 100}},
      {11, {0, 250}}, {12, {0, 80}},   {14, {0, 34}},  {15, {0, 40}},    {16, {0, 7}},
      {17, {0, 19}},  {18, {0, 1000}}, {21, {0, 14}},  {22, {0, 40}},    {23, {0, 4}},
      {24, {0, 60}},  {25, {0, 34}},   {26, {0, 250}}, {27, {120, 180}}, {28, {60, 120}},
      {29, {0, 100}}};
  for (const SlotEntry& e : AllSlotEntries()) {
    if (e.display_kind < 0) continue;
    SCOPED_TRACE(std::to_string(e.page) + "." + std::to_string(e.slot));
    const auto it = kind_range.find(e.display_kind);
    ASSERT_NE(it, kind_range.end()) << "kind " << e.display_kind << " is never shown";
    EXPECT_GE(e.raw_min, it->second.first);
    EXPECT_LE(e.raw_max, it->second.second);
  }
}

TEST(SlotMap, LookupByControlName) {
  const SlotEntry* e = EntryNaming("MusFreEdit1");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(Cell(e->page, e->slot), Cell(0, 14));

  // Display and extra controls are found too.
  ASSERT_NE(EntryNaming("MusHPFREPane"), nullptr);
  EXPECT_EQ(EntryNaming("MusHPFREPane")->slot, 8);
  ASSERT_NE(EntryNaming("MusHSQBtn3"), nullptr);
  EXPECT_EQ(Cell(EntryNaming("MusHSQBtn3")->page, EntryNaming("MusHSQBtn3")->slot), Cell(0, 23));
  ASSERT_NE(EntryNaming("MainEQGainBar10"), nullptr);
  EXPECT_EQ(EntryNaming("MainEQGainBar10")->slot, 27 + 45 + 2);
  ASSERT_NE(EntryNaming("AUXMIC2GainEdit2"), nullptr);
  EXPECT_EQ(Cell(EntryNaming("AUXMIC2GainEdit2")->page, EntryNaming("AUXMIC2GainEdit2")->slot),
            Cell(21, 23));
  ASSERT_NE(EntryNaming("ManulModeBtn"), nullptr);
  EXPECT_EQ(EntryNaming("ManulModeBtn")->slot, 63);

  // Shared controls list every cell, in page order; the first is returned alone.
  const auto q = EntriesNaming("RvbQEdit2");
  ASSERT_EQ(q.size(), 2u);
  EXPECT_EQ(q[0]->slot, 11 + 5 + 3);
  EXPECT_EQ(q[1]->slot, 11 + 5 + 4);
  EXPECT_EQ(EntryNaming("RvbQEdit2"), q[0]);
  const auto r = EntriesNaming("MainRmuteBtn");
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0]->page, 7);
  EXPECT_EQ(r[2]->page, 19);
  EXPECT_EQ(EntriesNaming("MusEQAllpassBtn").size(), 6u);

  // Near misses are not matches.
  EXPECT_EQ(EntryNaming("MusFreEdit11"), nullptr);
  EXPECT_EQ(EntryNaming("MicQUpDownBtn1"), nullptr);  // the real name is spelled "MIc"
  EXPECT_EQ(EntryNaming("musfreedit1"), nullptr);
  EXPECT_EQ(EntryNaming(""), nullptr);
  EXPECT_TRUE(EntriesNaming("Example").empty());
}

TEST(ControlLists, TabsAndButtonGroupsInTheirOrder) {
  ASSERT_EQ(kChannelTabs.size(), 15u);
  EXPECT_EQ(kChannelTabs[0].name, "FormMusTabBtn");
  EXPECT_EQ(kChannelTabs[3].name, "FormMICBTabBtn");
  EXPECT_EQ(kChannelTabs[3].caption.zh, "麦克2");
  EXPECT_EQ(kChannelTabs[3].caption.en, "MIC 2");
  EXPECT_EQ(kChannelTabs[6].name, "FormSURTabBtn");
  EXPECT_EQ(kChannelTabs[6].caption.en, "Center");
  EXPECT_EQ(kChannelTabs[7].caption.zh, "环绕");
  EXPECT_EQ(kChannelTabs[8].caption.en, "Out-6");
  EXPECT_EQ(kChannelTabs[10].caption.en, "SUB");
  EXPECT_EQ(kChannelTabs[11].caption.en, "Other");
  EXPECT_EQ(kChannelTabs[12].name, "HintAuxBtn");
  EXPECT_EQ(kChannelTabs[12].caption.en, "AUX");
  EXPECT_EQ(kChannelTabs[14].name, "FormOut8TabBtn");
  const std::set<int> hidden = {1, 8, 9, 12, 14};
  std::set<std::string_view> names;
  for (int tag = 0; tag < 15; ++tag) {
    EXPECT_EQ(kChannelTabs[tag].visible_at_start, hidden.count(tag) == 0) << tag;
    EXPECT_FALSE(kChannelTabs[tag].caption.zh.empty());
    EXPECT_FALSE(kChannelTabs[tag].caption.en.empty());
    names.insert(kChannelTabs[tag].name);
  }
  EXPECT_EQ(names.size(), 15u);

  EXPECT_EQ(kEffectSubTabs[0].name, "EchoAToolButton");
  EXPECT_EQ(kEffectSubTabs[1].name, "EchoBToolButton");
  EXPECT_EQ(kEffectSubTabs[2].name, "RvbToolButton");
  EXPECT_EQ(kEffectSubTabs[2].caption.zh, "混响");
  EXPECT_EQ(kHiddenPageButtons[2].name, "HintMicBBtn");
  EXPECT_EQ(kHiddenPageButtons[3].caption.en, "System");
  EXPECT_EQ(kMicSyncButtons[0].name, "LeftBtn");
  EXPECT_EQ(kMicSyncButtons[1].name, "SameBtn");
  EXPECT_EQ(kMicSyncButtons[1].caption.en, "SYNC");
  EXPECT_EQ(kMicSyncButtons[2].name, "RightBtn");
  EXPECT_EQ(kSceneButtons[1].name, "DiscoModeBtn");
  EXPECT_EQ(kSceneButtons[1].caption.zh, "热舞");
  EXPECT_EQ(kOutputModeButtons[1].name, "ManulModeBtn");
  EXPECT_EQ(kModeButtons[0], "SysFactoryBtn");
  EXPECT_EQ(kModeButtons[1], "SysFactoryBtn2");
  EXPECT_EQ(kModeButtons[6], "SysFactoryBtn7");
  // The pairs of the slot map use the same buttons in the same state order.
  EXPECT_EQ(At(0, 64).primary, kSceneButtons[0].name);
  EXPECT_EQ(At(0, 63).display, kOutputModeButtons[1].name);
  EXPECT_EQ(At(1, 13).primary, kMicSyncButtons[1].name);
}

TEST(ControlLists, BandLabelsMatchTheBandsOfEachGroup) {
  const std::map<int, std::string> prefix = {{0, "MusEQPointLabel"},  {1, "MicEQPointLabel"},
                                             {2, "EffEQPointLabel"},  {3, "MainEQPointLabel"},
                                             {4, "HintEQPointLabel"}, {6, "AUXEQPointLabel"}};
  for (int group = 0; group < 8; ++group) {
    const auto labels = BandLabelNames(group);
    EXPECT_EQ(static_cast<int>(labels.size()), BandsOfGroup(group)) << group;
    EXPECT_LE(static_cast<int>(labels.size()), kBandLabelPlaces);
    for (size_t i = 0; i < labels.size(); ++i) {
      EXPECT_EQ(labels[i], prefix.at(group) + std::to_string(i + 1));
    }
  }
  EXPECT_EQ(BandLabelNames(1).size(), 20u);
  EXPECT_EQ(BandLabelNames(1).back(), "MicEQPointLabel20");
  EXPECT_EQ(BandLabelNames(4).size(), 5u);
  EXPECT_TRUE(BandLabelNames(5).empty());

  const auto reverb = ReverbBandLabelNames();
  ASSERT_EQ(reverb.size(), 10u);
  EXPECT_EQ(reverb.front(), "RvbEQPointLabel1");
  EXPECT_EQ(reverb.back(), "RvbEQPointLabel10");
  EXPECT_EQ(HighlightLabelNames(2, 4), reverb);
  EXPECT_EQ(HighlightLabelNames(2, 3), BandLabelNames(2));
  EXPECT_EQ(HighlightLabelNames(3, 4), BandLabelNames(3));  // only the effect group switches
}

}  // namespace
}  // namespace kdsp
