// The control registry built from the slot maps, and the page refresh that fills the controls
// from the tables without sending anything.

#include <QComboBox>
#include <QSlider>

#include "edit/bound_widgets.h"
#include "edit/edit_handlers.h"
#include "edit/edit_pipeline.h"
#include "edit/page_refresh.h"
#include "model/slot_map.h"
#include "ui/control_factory.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

class RegistryTest : public WindowTest {};

TEST_F(RegistryTest, EveryMusicControlIsBoundByNameAndCarriesItsAddress) {
  const ControlRegistry& reg = Ctx().registry;
  int bound = 0;
  for (const SlotEntry& e : EntriesOfPage(0)) {
    const ParamAddr a = MakeAddr(e.page, e.slot);
    if (!e.primary.empty()) {
      QWidget* w = reg.Primary(a);
      ASSERT_NE(w, nullptr) << e.primary;
      EXPECT_EQ(w->objectName().toStdString(), e.primary);
      ++bound;
    }
    if (!e.display.empty()) {
      ASSERT_NE(reg.Display(a), nullptr) << e.display;
      EXPECT_EQ(reg.Display(a)->objectName().toStdString(), e.display);
    }
    for (int k = 0; k < 4; ++k) {
      if (e.extras[k].empty()) continue;
      ASSERT_NE(reg.Extra(a, k), nullptr) << e.extras[k];
      EXPECT_EQ(reg.Extra(a, k)->objectName().toStdString(), e.extras[k]);
    }
  }
  EXPECT_GT(bound, 50);

  // Addresses: a band's Q edit ends at its slope field, type labels carry their type.
  EXPECT_EQ(Find<ParamEdit>("MusFreEdit1")->Tag(), MakeAddr(0, 14));
  EXPECT_EQ(Find<ParamEdit>("MusGainEdit10")->Tag(), MakeAddr(0, 60));
  EXPECT_EQ(Find<ParamEdit>("MusQEdit3")->Tag(), MakeAddr(0, 27));
  EXPECT_EQ(Find<ParamTrackBar>("MusEQGainBar2")->Tag(), MakeAddr(0, 20));
  EXPECT_EQ(Find<SpinButtons>("MusQUpDownBtn2")->Tag(), MakeAddr(0, 21));
  EXPECT_EQ(Find<TypeLabel>("MusLSQBtn5")->Tag(), MakeAddr(0, 33));
  EXPECT_EQ(Find<TypeLabel>("MusLSQBtn5")->Hint(), "2");
  EXPECT_EQ(Find<TypeLabel>("MusBYBtn5")->Hint(), "0");
  EXPECT_EQ(Find<ParamEdit>("MusGain1Edit")->Tag(), MakeAddr(0, 0));
  EXPECT_EQ(Find<StatusPane>("MusPitchPane")->Tag(), MakeAddr(0, 6));
  EXPECT_EQ(Find<ParamSelector>("SysInputBox")->Tag(), MakeAddr(0, 65));
  // The sync button keeps its state as Tag.
  EXPECT_EQ(Find<PictureButton>("SameBtn")->Tag(), 1);

  // The other channel pages are bound the same way; a page beyond the table has no cells.
  EXPECT_EQ(reg.Primary(MakeAddr(1, 16)), Find<QWidget>("MicFreEdit1"));
  EXPECT_EQ(reg.Primary(MakeAddr(5, 0)), Find<QWidget>("MainMusLevelBar"));
  EXPECT_EQ(reg.Primary(MakeAddr(31, 0)), nullptr);
  ASSERT_EQ(reg.ChannelTabs()[2], Find<QAbstractButton>("FormMICATabBtn"));
  EXPECT_EQ(reg.BandLabels(0, 3).size(), 10u);
  EXPECT_EQ(reg.BandLabels(0, 3)[9], Find<QLabel>("MusEQPointLabel10"));
}

TEST_F(RegistryTest, StartUpLeavesDefaultsInBothTablesAndSendsNothing) {
  // Start-up contents, then every equaliser flat.
  EXPECT_EQ(device_.Get(0, 0), 1);
  EXPECT_EQ(device_.Get(0, 5), 14);
  EXPECT_EQ(device_.Get(0, 10), 360);
  EXPECT_EQ(device_.Get(30, 20), 4);
  EXPECT_EQ(device_.Get(30, 3), 1);  // set by every refresh
  for (int b = 1; b <= 10; ++b) {
    const int first = 13 + 5 * (b - 1);
    EXPECT_EQ(view_.Get(0, first), 1);
    EXPECT_EQ(view_.Get(0, first + 2), 120);
    EXPECT_EQ(view_.Get(0, first + 3), 16);
  }
  EXPECT_EQ(device_.Get(5, 27 + 1), 2);  // output band 1 at its default frequency
  EXPECT_EQ(Find<ParamEdit>("MusFreEdit2")->text(), "36.5Hz");
  EXPECT_EQ(Find<ParamEdit>("MusGain1Edit")->text(), "-9.5dB");
  EXPECT_EQ(Find<StatusPane>("MusLPFREPane")->text(), "20200Hz");
  // The input list holds five sources (start-up count 4 + 1), source 1 chosen.
  auto* input = Find<QComboBox>("SysInputBox");
  EXPECT_EQ(input->count(), 5);
  EXPECT_EQ(input->currentIndex(), 1);
  EXPECT_EQ(input->itemText(4), QString::fromUtf8("光纤"));
  EXPECT_TRUE(link_.writes.empty());
}

TEST_F(RegistryTest, RefreshShowsTheTablesAndSendsNothing) {
  device_.Set(0, 13 + 2, 150);      // band 1 gain +6 dB
  device_.Set(0, 13 + 5 + 1, 204);  // band 2 1000 Hz
  device_.Set(0, 13 + 10, 3);       // band 3 high shelf ...
  device_.Set(0, 13 + 10 + 4, 24);  // ... slope 1.60
  device_.Set(0, 13 + 10 + 3, 60);  // its peaking Q stays hidden
  device_.Set(0, 6, 14);            // key +7
  device_.Set(0, 7, 2);             // high-pass Butterworth
  device_.Set(0, 8, 204);
  device_.Set(0, 65, 7);  // HDMI2: the input gain comes from slot 5
  device_.Set(0, 5, 40);
  device_.Set(30, 20, 9);  // all ten sources
  Ctx().edit.last_edit = {};
  Window().Refresh().RefreshPage(100);
  Window().Refresh().RefreshPage(0);

  EXPECT_TRUE(link_.writes.empty());
  EXPECT_EQ(Find<ParamEdit>("MusGainEdit1")->text(), "6.0dB");
  EXPECT_EQ(Find<QSlider>("MusEQGainBar1")->value(), 150);
  EXPECT_EQ(Find<ParamEdit>("MusFreEdit2")->text(), "1000Hz");
  EXPECT_EQ(Find<ParamEdit>("MusQEdit3")->text(), "1.60");
  EXPECT_TRUE(Find<TypeLabel>("MusHSQBtn3")->IsChosen());
  EXPECT_FALSE(Find<TypeLabel>("MusPEQBtn3")->IsChosen());
  EXPECT_EQ(Find<StatusPane>("MusPitchPane")->text(), "7");
  EXPECT_EQ(Find<QComboBox>("MusHPTypeBox")->currentIndex(), 2);
  EXPECT_EQ(Find<StatusPane>("MusHPFREPane")->text(), "1000Hz");
  EXPECT_EQ(Find<ParamEdit>("MusGain1Edit")->text(), "10.0dB");
  EXPECT_EQ(Find<QComboBox>("SysInputBox")->count(), 10);
  EXPECT_EQ(Find<QComboBox>("SysInputBox")->currentIndex(), 7);
  EXPECT_EQ(Find<QLabel>("InputLabel")->text(), QString::fromUtf8("HDMI音量"));
  // The refresh keeps the graph's record of the last user edit untouched.
  EXPECT_EQ(Ctx().edit.last_edit, LastEditRecord{});
  EXPECT_FALSE(Ctx().edit.send_suppressed);
  EXPECT_FALSE(Ctx().edit.refresh_in_progress);

  // A stored value beyond its range is shown clamped; a missing input count caps at ten.
  device_.Set(0, 13 + 2, 500);
  device_.Set(30, 20, 200);
  Window().Refresh().RefreshPage(0);
  EXPECT_EQ(Find<ParamEdit>("MusGainEdit1")->text(), "12.0dB");
  EXPECT_EQ(Find<QComboBox>("SysInputBox")->count(), 10);
  EXPECT_TRUE(link_.writes.empty());
}

TEST_F(RegistryTest, BypassAndResetWorkOnTheCurrentPage) {
  auto* bypass = Find<PictureButton>("MusEQAllpassBtn");
  auto* reset = Find<QWidget>("EQResetBtn");
  EXPECT_EQ(bypass->Tag(), MakeAddr(0, 12));
  EXPECT_TRUE(reset->isEnabled());
  bypass->click();
  EXPECT_EQ(bypass->Hint(), "1");
  EXPECT_TRUE(Find<QWidget>("EQPassLabel")->isVisible());
  EXPECT_FALSE(reset->isEnabled());
  EXPECT_EQ(link_.writes, (std::vector<std::pair<int, int>>{{MakeAddr(0, 12), 1}}));
  bypass->click();
  EXPECT_FALSE(Find<QWidget>("EQPassLabel")->isVisible());
  EXPECT_TRUE(reset->isEnabled());

  // Reset: the band values return to their defaults; only the reset command goes out.
  TypeInto("MusGainEdit4", "5");
  link_.writes.clear();
  QTest::mouseClick(reset, Qt::LeftButton);
  EXPECT_EQ(view_.Get(0, 13 + 15 + 2), 120);
  EXPECT_EQ(device_.Get(0, 13 + 15 + 2), 120);
  EXPECT_EQ(Find<ParamEdit>("MusGainEdit4")->text(), "0.0dB");
  EXPECT_TRUE(link_.writes.empty());
  EXPECT_EQ(link_.held, (std::vector<std::pair<int, int>>{{MakeAddr(26, 0), 1}}));
}

TEST_F(RegistryTest, AuxiliaryRefreshLeavesTheGainStepAlone) {
  // The auxiliary page has no bypass switch: its refresh must not write into slot 0.
  device_.Set(21, 0, 3);
  QTest::mouseClick(Find<QWidget>("FormAUXTabBtn"), Qt::LeftButton);
  EXPECT_EQ(Ctx().channel.view_page, 21);
  EXPECT_EQ(device_.Get(21, 0), 3);
  EXPECT_EQ(view_.Get(21, 0), 3);
  EXPECT_FALSE(Find<QWidget>("EQPassLabel")->isVisible());
  EXPECT_FALSE(Find<QWidget>("EQPassGrop")->isVisibleTo(&Window()));
}

// Page 21 controls built on their own, with the registry over that root: the tone gains step
// by the chosen gain step and stay inside their band's limits.
TEST(AuxiliaryGainTest, StepsFollowTheGainStepAndTheBandLimits) {
  ValueTable device, view;
  FakeLink link;
  BindingContext ctx(device, view);
  ctx.link = &link;
  EditPipeline pipeline(ctx);
  EditHandlers handlers(ctx, pipeline);
  PageRefresh refresh(ctx, pipeline, handlers);
  QWidget root;
  auto* edit = ui::MakeEdit(&root, "AUXMUSGainEdit1", QRect(0, 0, 60, 20));
  auto* other = ui::MakeEdit(&root, "AUXMUS2GainEdit1", QRect(0, 30, 60, 20));
  auto* step_box = ui::MakeSelector(&root, "AUXGainBox", QRect(0, 60, 60, 20));
  refresh.BuildRegistry(root);
  handlers.Connect();
  ASSERT_EQ(edit->Tag(), MakeAddr(21, 3));
  ASSERT_EQ(other->Tag(), MakeAddr(21, 3));
  ASSERT_EQ(step_box->count(), 5);

  ctx.channel.view_page = 21;
  ctx.channel.aux_sheet = 0;
  device.Set(21, 3, 120);
  device.Set(21, 31, 150);  // music bass boosts at most +6 dB ...
  device.Set(21, 32, 90);   // ... and cuts at most -6 dB
  refresh.RefreshPage(21);
  ASSERT_EQ(ctx.registry.Primary(MakeAddr(21, 3)), edit);  // the visible sheet's edit
  ASSERT_EQ(ctx.registry.Display(MakeAddr(21, 3)), other);
  EXPECT_EQ(edit->text(), "0.0dB");

  ctx.edit.current_edit = edit;
  step_box->setCurrentIndex(4);  // 1.0 dB per step
  pipeline.CommitEdit(+1);
  EXPECT_EQ(edit->text(), "1.0dB");
  for (int i = 0; i < 8; ++i) pipeline.CommitEdit(+1);
  EXPECT_EQ(edit->text(), "6.0dB");
  EXPECT_EQ(view.Get(21, 3), 150);
  for (int i = 0; i < 20; ++i) pipeline.CommitEdit(-1);
  EXPECT_EQ(edit->text(), "-6.0dB");
  EXPECT_EQ(device.Get(21, 3), 90);
  step_box->setCurrentIndex(0);  // 0.2 dB per step
  pipeline.CommitEdit(+1);
  EXPECT_EQ(edit->text(), "-5.8dB");
  pipeline.CommitEdit(-1);
  pipeline.CommitEdit(-1);
  EXPECT_EQ(edit->text(), "-6.0dB");
  edit->setText("5.8");
  pipeline.CommitEdit(+1);
  EXPECT_EQ(edit->text(), "6.0dB");
  pipeline.CommitEdit(+1);
  EXPECT_EQ(edit->text(), "6.0dB");
  EXPECT_EQ(view.Get(21, 3), 150);
  edit->setText("12");
  pipeline.CommitEdit(0);
  EXPECT_EQ(edit->text(), "6.0dB");
  EXPECT_EQ(link.writes.back(), (std::pair<int, int>{MakeAddr(21, 3), 150}));

  // The second sheet's edit takes over the slot when that sheet is shown.
  ctx.channel.aux_sheet = 1;
  refresh.RefreshPage(21);
  EXPECT_EQ(ctx.registry.Primary(MakeAddr(21, 3)), other);
  EXPECT_EQ(other->text(), "6.0dB");
}

}  // namespace
}  // namespace kdsp::testing
