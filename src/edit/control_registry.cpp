#include "edit/control_registry.h"

#include "edit/bound_widgets.h"
#include "model/control_lists.h"
#include "model/page_layout.h"
#include "model/slot_map.h"

namespace kdsp {

namespace {

QWidget* FindNamed(QWidget& root, const std::string& name) {
  if (name.empty()) return nullptr;
  return root.findChild<QWidget*>(QString::fromStdString(name));
}

template <typename List>
std::vector<QAbstractButton*> FindButtons(QWidget& root, const List& list) {
  std::vector<QAbstractButton*> out;
  for (const auto& b : list) {
    out.push_back(
        root.findChild<QAbstractButton*>(QString::fromUtf8(b.name.data(), b.name.size())));
  }
  return out;
}

std::vector<QLabel*> FindLabels(QWidget& root, const std::vector<std::string>& names) {
  std::vector<QLabel*> out;
  for (const auto& n : names) out.push_back(root.findChild<QLabel*>(QString::fromStdString(n)));
  return out;
}

}  // namespace

ControlRegistry::ControlRegistry() = default;

bool ControlRegistry::InRange(ParamAddr a) { return HasCell(PageOf(a), SlotOf(a)); }

void ControlRegistry::Bind(QWidget& root) {
  root_ = &root;
  for (const SlotEntry& e : AllSlotEntries()) {
    if (!HasCell(e.page, e.slot)) continue;
    primary_[e.page][e.slot] = FindNamed(root, e.primary);
    primary_class_[e.page][e.slot] =
        primary_[e.page][e.slot] ? e.primary_class : ControlClass::kNone;
    display_[e.page][e.slot] = FindNamed(root, e.display);
    for (int k = 0; k < kExtras; ++k) extras_[k][e.page][e.slot] = FindNamed(root, e.extras[k]);
  }
  example_ = root.findChild<ParamEdit*>("Example");
  if (example_ == nullptr) {
    example_ = new ParamEdit(&root);
    example_->setObjectName("Example");
    example_->hide();
  }
  for (int t = 0; t < 15; ++t) {
    const auto name = kChannelTabs[t].name;
    channel_tabs_[t] =
        root.findChild<QAbstractButton*>(QString::fromUtf8(name.data(), name.size()));
  }
  effect_sub_tabs_ = FindButtons(root, kEffectSubTabs);
  hidden_buttons_ = FindButtons(root, kHiddenPageButtons);
  sync_buttons_ = FindButtons(root, kMicSyncButtons);
  scene_buttons_ = FindButtons(root, kSceneButtons);
  output_mode_buttons_ = FindButtons(root, kOutputModeButtons);
  mode_buttons_.clear();
  for (auto name : kModeButtons) {
    mode_buttons_.push_back(
        root.findChild<QAbstractButton*>(QString::fromUtf8(name.data(), name.size())));
  }
  for (int g = 0; g < 8; ++g) band_labels_[g] = FindLabels(root, BandLabelNames(g));
  reverb_labels_ = FindLabels(root, ReverbBandLabelNames());
}

void ControlRegistry::AssignTags() {
  for (int page = 0; page < kPageCount; ++page) {
    for (int s = 0; s < PageLength(page) && s < kSlotCount; ++s) {
      const ParamAddr a = MakeAddr(page, s);
      // The sync button's Tag is its sync state, not an address.
      if (primary_class_[page][s] != ControlClass::kSyncButton) {
        if (Bound* b = AsBound(primary_[page][s])) b->SetTag(a);
      }
      if (Bound* b = AsBound(display_[page][s])) b->SetTag(a);
      QWidget* first = extras_[0][page][s];
      if (qobject_cast<TypeLabel*>(first) != nullptr) {
        for (int k = 0; k < kExtras; ++k) {
          if (auto* label = qobject_cast<TypeLabel*>(extras_[k][page][s])) {
            label->SetTag(a);
            label->SetHint(QString::number(k));
          }
        }
      } else if (qobject_cast<ParamTrackBar*>(first) != nullptr ||
                 qobject_cast<SpinButtons*>(first) != nullptr) {
        AsBound(first)->SetTag(a);
      }
    }
  }
}

QWidget* ControlRegistry::Primary(ParamAddr a) const {
  return InRange(a) ? primary_[PageOf(a)][SlotOf(a)] : nullptr;
}

ControlClass ControlRegistry::PrimaryClass(ParamAddr a) const {
  return InRange(a) ? primary_class_[PageOf(a)][SlotOf(a)] : ControlClass::kNone;
}

QWidget* ControlRegistry::Display(ParamAddr a) const {
  return InRange(a) ? display_[PageOf(a)][SlotOf(a)] : nullptr;
}

QWidget* ControlRegistry::Extra(ParamAddr a, int k) const {
  if (!InRange(a) || k < 0 || k >= kExtras) return nullptr;
  return extras_[k][PageOf(a)][SlotOf(a)];
}

void ControlRegistry::SetPrimary(ParamAddr a, QWidget* w) {
  if (InRange(a)) primary_[PageOf(a)][SlotOf(a)] = w;
}

void ControlRegistry::SetDisplay(ParamAddr a, QWidget* w) {
  if (InRange(a)) display_[PageOf(a)][SlotOf(a)] = w;
}

std::vector<QLabel*> ControlRegistry::BandLabels(int group, int effect_page) const {
  if (group < 0 || group >= 8) return {};
  if (group == GroupOf(4) && effect_page == 4) return reverb_labels_;
  return band_labels_[group];
}

}  // namespace kdsp
