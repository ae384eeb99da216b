// A refresh after a download: every control of every view page shows `ViewValues`, and nothing
// leaves the console, whichever output and scene are open.

#include <random>

#include <QComboBox>

#include "model/display_kind.h"
#include "model/page_layout.h"
#include "model/slot_map.h"
#include "ui_fixture.h"

namespace kdsp::testing {
namespace {

/// The view page whose slot map describes a device page, or -1.
int ViewPageOf(int device_page) {
  if (device_page == 2) return 1;
  if (device_page >= 5 && device_page <= 20) return 5;
  if (device_page >= 22 && device_page <= 24) return 22;
  for (int v : {0, 1, 3, 4, 21, 25}) {
    if (v == device_page) return v;
  }
  return -1;
}

/// Device pages as a download leaves them: every parameter in its range, drawn at random.
void FillLikeADownload(ValueTable& device, std::mt19937& rng) {
  for (int page = 0; page <= 25; ++page) {
    const int view = ViewPageOf(page);
    if (view < 0) continue;
    for (const SlotEntry& e : EntriesOfPage(view)) {
      if (e.raw_max <= e.raw_min) continue;
      device.Set(page, e.slot, std::uniform_int_distribution<int>(e.raw_min, e.raw_max)(rng));
    }
    for (int s = 16; s <= 17 && view == 5; ++s) {  // right-channel cells of the stereo outputs
      device.Set(page, s, std::uniform_int_distribution<int>(0, s == 16 ? 1000 : 1)(rng));
    }
  }
  device.Set(0, 63, 1);   // manual output mode
  device.Set(30, 4, 0);   // front panel open
  device.Set(30, 20, 9);  // ten input sources
}

class RefreshAfterDownloadTest : public WindowTest {
 protected:
  /// The mismatches between the controls of every view page and `ViewValues`.
  std::vector<std::string> Mismatches() {
    std::vector<std::string> out;
    const BindingContext& ctx = Ctx();
    auto fail = [&out](const SlotEntry& e, const std::string& what) {
      out.push_back(std::to_string(e.page) + "." + std::to_string(e.slot) + " " + e.primary + ": " +
                    what);
    };
    const int right_view = ctx.selection.output_page >= 17   ? 19
                           : ctx.selection.output_page >= 13 ? 15
                                                             : 7;
    for (int v : kViewPages) {
      for (const SlotEntry& e : EntriesOfPage(v)) {
        const ParamAddr a = MakeAddr(e.page, e.slot);
        QWidget* primary = ctx.registry.Primary(a);
        if (primary == nullptr) continue;
        // The shared right-channel controls show the open output's right channel only; the
        // bypass button shows the open page's bypass only.
        if ((e.page == 7 || e.page == 15 || e.page == 19) && e.page != right_view) continue;
        if (e.primary_class == ControlClass::kBypassButton && e.page != ctx.channel.view_page) {
          continue;
        }
        const int x = ctx.view_values.Get(a);
        const QString on = x != 0 ? "1" : "0";
        switch (e.primary_class) {
          case ControlClass::kTrackbar: {
            const int shown = static_cast<QSlider*>(primary)->value();
            if (shown != std::clamp(x, e.raw_min, e.raw_max)) {
              fail(e, "position " + std::to_string(shown) + " for " + std::to_string(x));
            }
            auto* pane = qobject_cast<StatusPane*>(ctx.registry.Display(a));
            if (pane != nullptr && KindHasText(pane->Kind()) &&
                pane->text().toStdString() != FormatKind(pane->Kind(), x)) {
              fail(e, "pane " + pane->text().toStdString() + " for " + std::to_string(x));
            }
            break;
          }
          case ControlClass::kPhaseSwitch:
          case ControlClass::kMuteSwitch:
          case ControlClass::kBypassButton: {
            auto* b = static_cast<PictureButton*>(primary);
            const bool pressed = b->CurrentLook() == PictureButton::Look::kPressed;
            if (b->Hint() != on || pressed != (on == "1"))
              fail(e, "switch for " + on.toStdString());
            break;
          }
          case ControlClass::kTwoStateButton: {
            auto* chosen = qobject_cast<PictureButton*>(x != 0 ? ctx.registry.Display(a) : primary);
            if (chosen != nullptr && chosen->CurrentLook() != PictureButton::Look::kPressed) {
              fail(e, "pair for " + std::to_string(x));
            }
            break;
          }
          case ControlClass::kBandTypeSelector:
            for (int k = 0; k < 4; ++k) {
              auto* label = qobject_cast<TypeLabel*>(ctx.registry.Extra(a, k));
              if (label != nullptr && label->IsChosen() != (k == x)) fail(e, "type label");
            }
            [[fallthrough]];
          case ControlClass::kSelector:
          case ControlClass::kHighPassTypeSelector:
          case ControlClass::kLowPassTypeSelector: {
            auto* box = static_cast<QComboBox*>(primary);
            if (box->currentIndex() != (x < box->count() ? x : -1)) {
              fail(e, "item " + std::to_string(box->currentIndex()) + " for " + std::to_string(x));
            }
            break;
          }
          case ControlClass::kEdit: {
            auto* edit = static_cast<ParamEdit*>(primary);
            if (edit == ctx.registry.Example()) break;
            const ParamAddr q = QSlotOf(ctx.view_values, a);
            const int kind = edit->Kind();
            const SlotEntry* shown_entry = EntryAt(PageOf(q), SlotOf(q));
            const int value =
                std::clamp(ctx.view_values.Get(q), shown_entry->raw_min, shown_entry->raw_max);
            if (edit->text().toStdString() != FormatKind(kind, value)) {
              fail(e, "edit " + edit->text().toStdString() + " for " + std::to_string(value));
            }
            if (auto* bar = qobject_cast<QSlider*>(ctx.registry.Extra(a, 0));
                bar != nullptr && bar->value() != x) {
              fail(e, "gain trackbar " + std::to_string(bar->value()));
            }
            break;
          }
          default:
            break;
        }
      }
    }
    return out;
  }

  void RefreshAsAfterADownload() {
    Window().Refresh().RefreshPage(100);
    Window().Refresh().RefreshPage(Ctx().channel.view_page);
  }
};

TEST_F(RefreshAfterDownloadTest, EveryControlShowsTheViewValuesAndNothingIsSent) {
  std::mt19937 rng(20240611);
  // Sing scene on the main output, then the dance scene on the surround output, then the
  // second microphone and the reverb.
  QTest::mouseClick(Find<QWidget>("FormMAINTabBtn"), Qt::LeftButton);
  FillLikeADownload(device_, rng);
  device_.Set(0, 64, 0);
  link_.writes.clear();
  RefreshAsAfterADownload();
  EXPECT_EQ(Mismatches(), std::vector<std::string>{});
  EXPECT_EQ(Find<QSlider>("MainRdelayBar")->value(), view_.Get(7, 16));
  EXPECT_EQ(view_.Get(7, 16), device_.Get(7, 16));
  EXPECT_EQ(view_.Get(5, 30), device_.Get(5, 30));
  EXPECT_TRUE(link_.writes.empty());
  EXPECT_TRUE(link_.held.empty());

  QTest::mouseClick(Find<QWidget>("FormCENTabBtn"), Qt::LeftButton);
  QTest::mouseClick(Find<QWidget>("DiscoModeBtn"), Qt::LeftButton);
  ASSERT_EQ(Ctx().selection.output_page, 14);
  FillLikeADownload(device_, rng);
  device_.Set(0, 64, 1);
  link_.writes.clear();
  RefreshAsAfterADownload();
  EXPECT_EQ(Mismatches(), std::vector<std::string>{});
  EXPECT_EQ(view_.Get(15, 16), device_.Get(16, 16));  // the dance scene's right channel
  EXPECT_EQ(Find<QSlider>("MainRdelayBar")->value(), device_.Get(16, 16));
  EXPECT_EQ(view_.Get(5, 30), device_.Get(14, 30));
  EXPECT_TRUE(link_.writes.empty());

  QTest::mouseClick(Find<QWidget>("FormMICATabBtn"), Qt::LeftButton);
  QTest::mouseClick(Find<QWidget>("RightBtn"), Qt::LeftButton);
  QTest::mouseClick(Find<QWidget>("FormEFFTabBtn"), Qt::LeftButton);
  QTest::mouseClick(Find<QWidget>("RvbToolButton"), Qt::LeftButton);
  FillLikeADownload(device_, rng);
  device_.Set(1, 13, 0);
  link_.writes.clear();
  RefreshAsAfterADownload();
  EXPECT_EQ(Mismatches(), std::vector<std::string>{});
  EXPECT_EQ(view_.Get(1, 40), device_.Get(2, 40));  // microphone 2 stays chosen
  EXPECT_EQ(Find<QLineEdit>("MICBEffectEdit")->text(), QString::number(device_.Get(2, 115)));
  EXPECT_TRUE(link_.writes.empty());
  EXPECT_TRUE(link_.held.empty());
}

}  // namespace
}  // namespace kdsp::testing
