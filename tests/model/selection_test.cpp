#include "model/selection.h"

#include <gtest/gtest.h>

#include "model/equaliser_reset.h"
#include "model/page_layout.h"

namespace kdsp {
namespace {

ParamAddr Map(const Selection& sel, const ValueTable& dv, int page, int slot) {
  return MapToDevice(sel, dv, MakeAddr(page, slot));
}

TEST(ValueTable, StoresOutsideTheTableAreDropped) {
  ValueTable t;
  t.Set(31, 3, 7);
  t.Set(1, 165, 7);
  t.Set(-1, 0, 7);
  EXPECT_EQ(t, ValueTable{});
  t.Set(30, 164, 65535);
  EXPECT_EQ(t.Get(MakeAddr(30, 164)), 65535);
  EXPECT_EQ(t.Get(31, 0), 0);
}

TEST(MapToDevice, MusicInputGainFollowsTheInputSource) {
  Selection sel;
  ValueTable dv;
  const int expected_slot[10] = {0, 0, 1, 2, 3, 4, 5, 5, 5, 5};
  for (int source = 0; source < 10; ++source) {
    dv.Set(kInputSourceAddr, source);
    EXPECT_EQ(Map(sel, dv, 0, 0), MakeAddr(0, expected_slot[source])) << source;
    EXPECT_EQ(IsAutomaticSource(dv), source == 0);
  }
  dv.Set(kInputSourceAddr, 7);  // HDMI2
  EXPECT_EQ(Map(sel, dv, 0, 6), MakeAddr(0, 6));  // other music slots stay put
}

TEST(MapToDevice, MicrophonePagesKeepSyncFlagAndEffectVolumes) {
  Selection sel;
  sel.mic_page = 2;
  ValueTable dv;
  EXPECT_EQ(Map(sel, dv, 1, 40), MakeAddr(2, 40));
  EXPECT_EQ(Map(sel, dv, 1, 13), MakeAddr(1, 13));
  EXPECT_EQ(Map(sel, dv, 1, 115), MakeAddr(1, 115));
  EXPECT_EQ(Map(sel, dv, 2, 115), MakeAddr(2, 115));
  sel.mic_page = 1;
  EXPECT_EQ(Map(sel, dv, 2, 40), MakeAddr(1, 40));
}

TEST(MapToDevice, OutputsFollowTheSceneAndTheOpenTab) {
  Selection sel;
  ValueTable dv;
  sel.scene_mode = 1;
  sel.output_page = 6;  // main output, dance scene
  EXPECT_EQ(Map(sel, dv, 5, 30), MakeAddr(6, 30));
  EXPECT_EQ(Map(sel, dv, 7, 16), MakeAddr(8, 16));
  EXPECT_EQ(Map(sel, dv, 8, 17), MakeAddr(8, 17));
  EXPECT_EQ(Map(sel, dv, 15, 16), MakeAddr(16, 16));
  EXPECT_EQ(Map(sel, dv, 19, 17), MakeAddr(20, 17));
  // Any other slot of the right-channel views, and every other output view, is the open output.
  EXPECT_EQ(Map(sel, dv, 7, 18), MakeAddr(6, 18));
  EXPECT_EQ(Map(sel, dv, 17, 16), MakeAddr(6, 16));
  sel.scene_mode = 0;
  sel.output_page = 11;  // centre
  EXPECT_EQ(Map(sel, dv, 5, 16), MakeAddr(11, 16));
  EXPECT_EQ(Map(sel, dv, 7, 16), MakeAddr(7, 16));
}

TEST(MapToDevice, HiddenPagesAndUnmappedPages) {
  Selection sel;
  sel.hint_page = 24;
  ValueTable dv;
  for (int p : {22, 23, 24}) EXPECT_EQ(Map(sel, dv, p, 3), MakeAddr(24, 3));
  for (int p : {3, 4, 20, 21, 25, 26, 30}) EXPECT_EQ(Map(sel, dv, p, 9), MakeAddr(p, 9)) << p;
}

TEST(SceneFromStored, OnlyOneMeansDance) {
  EXPECT_EQ(SceneFromStored(0), 0);
  EXPECT_EQ(SceneFromStored(1), 1);
  EXPECT_EQ(SceneFromStored(5), 0);
}

TEST(BandOf, BandSlotsFiltersAndOtherSlots) {
  auto b = BandOf(MakeAddr(0, 13 + 5 * 2 + 2));  // music band 3 gain
  ASSERT_TRUE(b);
  EXPECT_EQ(b->band, 2);
  EXPECT_EQ(b->field, kFieldGain);
  b = BandOf(MakeAddr(1, 114));  // last microphone slope
  ASSERT_TRUE(b);
  EXPECT_EQ(b->band, 19);
  EXPECT_EQ(b->field, kFieldSlope);
  EXPECT_FALSE(BandOf(MakeAddr(1, 115)));
  b = BandOf(MakeAddr(5, 23));  // output high-pass frequency
  ASSERT_TRUE(b);
  EXPECT_EQ(b->band, 10);
  b = BandOf(MakeAddr(4, 8));  // reverb low-pass type
  ASSERT_TRUE(b);
  EXPECT_EQ(b->band, 11);
  EXPECT_FALSE(BandOf(MakeAddr(0, 0)));
  EXPECT_FALSE(BandOf(MakeAddr(2, 20)));  // view page 2 has no bands
  b = BandOf(MakeAddr(21, 30));
  ASSERT_TRUE(b);
  EXPECT_EQ(b->band, 5);
}

TEST(QSlotOf, ShelvesUseTheSlopeField) {
  ValueTable vv;
  const ParamAddr type = MakeAddr(0, 18);  // music band 2
  vv.Set(type, 1);
  EXPECT_EQ(QSlotOf(vv, type + 4), type + 3);
  EXPECT_EQ(QSlotOf(vv, type + 3), type + 3);
  vv.Set(type, 3);
  EXPECT_EQ(QSlotOf(vv, type + 3), type + 4);
  EXPECT_EQ(QSlotOf(vv, type + 2), type + 2);  // the gain is never re-addressed
  EXPECT_EQ(QSlotOf(vv, MakeAddr(25, 3)), MakeAddr(25, 3));
}

TEST(StartupContents, FlatEqualisersAfterFirstShow) {
  ValueTable dv, vv;
  dv.Set(3, 20, 99);
  ApplyStartupContents(dv);
  ResetAllEqualisers(dv, vv);
  Selection sel;
  sel.scene_mode = SceneFromStored(dv.Get(kSceneAddr));
  RebuildView(sel, dv, vv);
  for (int page : {0, 1, 3, 4, 5, 21, 22}) {
    for (int b = 0; b < EqBandCount(page); ++b) {
      const int first = EqFirstSlot(page) + 5 * b;
      EXPECT_EQ(vv.Get(page, first), 1) << page << "/" << b;
      EXPECT_EQ(vv.Get(page, first + 1), DefaultFrequencyIndex(GroupOf(page), b));
      EXPECT_EQ(vv.Get(page, first + 2), 120);
      EXPECT_EQ(vv.Get(page, first + 3), 16);
      EXPECT_EQ(vv.Get(page, first + 4), 16);
    }
  }
  EXPECT_EQ(vv.Get(0, 0), 1);  // input source 1 (RCA1) reads its gain from slot 0
  EXPECT_EQ(dv.Get(0, 0), 1);
  EXPECT_EQ(vv.Get(0, 10), 360);
  EXPECT_EQ(vv.Get(5, 25), 360);
  EXPECT_EQ(dv.Get(30, 20), 4);
  EXPECT_EQ(dv.Get(21, 1 + 5 + 1), 129);  // auxiliary band 2 frequency
  EXPECT_EQ(dv.Get(1, 15 + 5 * 19 + 1), 360);
}

TEST(EqualiserReset, SinglePageResolvesThroughTheSelection) {
  ValueTable dv, vv;
  Selection sel;
  sel.effect_page = 4;
  dv.Set(4, 11 + 2, 150);
  dv.Set(3, 14 + 2, 150);
  EXPECT_EQ(ResetEqualiserPage(sel, 4, dv, vv), 4);
  EXPECT_EQ(dv.Get(4, 13), 120);
  EXPECT_EQ(dv.Get(3, 16), 150);  // echo untouched
  sel.scene_mode = 1;
  sel.output_page = 12;  // centre, dance
  dv.Set(12, 29, 40);
  EXPECT_EQ(ResetEqualiserPage(sel, 5, dv, vv), 8);
  EXPECT_EQ(dv.Get(12, 29), 120);
  EXPECT_EQ(ResetEqualiserPage(sel, 25, dv, vv), -1);
}

TEST(PageLayout, BlockIdsAndBypassSlots) {
  const int ids[] = {0, 1, 2, 3, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 16, 13, 14, 15};
  for (int p = 0; p <= 24; ++p) EXPECT_EQ(EqBlockId(p), ids[p]) << p;
  EXPECT_EQ(EqBypassSlot(0), 12);
  EXPECT_EQ(EqBypassSlot(2), 14);
  EXPECT_EQ(EqBypassSlot(3), 13);
  EXPECT_EQ(EqBypassSlot(4), 10);
  EXPECT_EQ(EqBypassSlot(17), 26);
  EXPECT_EQ(EqBypassSlot(23), 0);
  EXPECT_EQ(EqBypassSlot(21), -1);
  EXPECT_EQ(PageLength(28), 0);
  EXPECT_EQ(PageLength(30), 35);
}

}  // namespace
}  // namespace kdsp
