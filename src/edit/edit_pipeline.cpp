#include "edit/edit_pipeline.h"

#include <QMessageBox>
#include <QSlider>
#include <QStyle>

#include "edit/edit_recorder.h"
#include "model/display_kind.h"
#include "model/page_layout.h"
#include "model/q_table.h"
#include "model/typed_text.h"

namespace kdsp {

namespace {

/// The band strip that shows a band group and how many bands it shows at once.
struct StripWindow {
  const char* scroll_bar;
  int width;
};

StripWindow StripOf(int group, int effect_page) {
  switch (group) {
    case 0:
      return {"MusPanScrollBar", 9};
    case 1:
      return {"MicPanScrollBar", 8};
    case 2:
      return {effect_page == 4 ? "RvbPanScrollBar" : "EchoPanScrollBar", 7};
    case 3:
      return {"MainPanScrollBar", 5};
    default:
      return {nullptr, 0};
  }
}

void SetOpaque(QLabel* label, bool opaque) {
  if (label == nullptr || label->property("opaque").toBool() == opaque) return;
  label->setProperty("opaque", opaque);
  label->style()->unpolish(label);
  label->style()->polish(label);
  label->update();
}

}  // namespace

ParamAddr EditPipeline::ToDevice(ParamAddr view) {
  if (view == MakeAddr(0, 0)) {
    const bool enabled = !IsAutomaticSource(ctx_.device_values);
    if (auto* edit = ctx_.registry.Find<QWidget>("MusGain1Edit")) edit->setEnabled(enabled);
    if (auto* spin = ctx_.registry.Find<QWidget>("MusGain1UpDown")) spin->setEnabled(enabled);
  }
  return ctx_.ToDevice(view);
}

bool EditPipeline::IsShelf(ParamAddr a) const {
  const auto pos = BandOf(a);
  if (!pos || pos->band >= EqBandCount(PageOf(a))) return false;
  return ctx_.view_values.Get(static_cast<ParamAddr>(a - pos->field)) >= 2;
}

int EditPipeline::HoldInsideUserLimits(ParamAddr a, int v) const {
  // The user tone gains of page 21 stay between their band's maximum cut and boost.
  static constexpr int kGainSlots[6] = {3, 8, 13, 18, 23, 28};
  for (int i = 0; i < 6; ++i) {
    if (a != MakeAddr(21, kGainSlots[i])) continue;
    const int boost = ctx_.view_values.Get(21, 31 + 2 * i);
    const int cut = ctx_.view_values.Get(21, 32 + 2 * i);
    if (v > boost) return boost;
    if (v < cut) return cut;
    return v;
  }
  return v;
}

void EditPipeline::SetTrackbarQuietly(QWidget* trackbar, int position) {
  auto* bar = qobject_cast<QSlider*>(trackbar);
  if (bar == nullptr) return;
  const bool before = ctx_.edit.setting_control;
  ctx_.edit.setting_control = true;
  bar->setValue(position);
  ctx_.edit.setting_control = before;
}

void EditPipeline::UpdateControl(QWidget* control, int step, bool display_only, double x) {
  // 1. What the control is and which kind it shows.
  auto* edit = qobject_cast<ParamEdit*>(control);
  auto* pane = qobject_cast<StatusPane*>(control);
  auto* selector = qobject_cast<ParamSelector*>(control);
  Bound* bound = nullptr;
  int kind = 0;
  if (edit != nullptr) {
    bound = edit;
    kind = std::max(0, edit->Kind());
  } else if (pane != nullptr) {
    bound = pane;
    kind = pane->Kind();
    if (kind <= kKindInputGain) return;
  } else if (selector != nullptr && !selector->Hint().isEmpty()) {
    bound = selector;
    kind = selector->Kind();
  } else {
    return;
  }
  const ParamAddr a = QSlotOf(ctx_.view_values, bound->Tag());
  const bool shelf = kind == kKindQ && IsShelf(a);

  // 2. The value, clamped for its kind.
  int v = 0;
  if (!display_only) {
    double delta = step;
    if (kind == kKindGain && ctx_.channel.view_page == 21 && step != 0) {
      auto* gain_step = ctx_.registry.Find<QComboBox>("AUXGainBox");
      delta = step * ((gain_step != nullptr ? std::max(0, gain_step->currentIndex()) : 0) + 1);
    }
    v = ClampUser(kind, x + delta, shelf);
    // A click only normalises the text: the value the box holds stays, even outside limits
    // set after it.
    if (kind == kKindGain && ctx_.channel.view_page == 21 && !ctx_.edit.send_suppressed) {
      v = HoldInsideUserLimits(a, v);
    }
  } else if (kind == kKindQ) {
    if (ctx_.view_values.Get(a) > kQIndexMax) ctx_.view_values.Set(a, kQIndexMax);
    v = ctx_.view_values.Get(a);
  } else {
    v = ClampDisplay(kind, x, shelf);
    if (kind == kKindMaxBoost || kind == kKindMaxCut || kind == kKindPlain) {
      ctx_.view_values.Set(a, v);
      ctx_.device_values.Set(a, v);
    }
  }

  if (selector != nullptr) {
    if (kind == kKindFilterType) selector->setCurrentIndex(v);
  } else {
    const QString text = QString::fromStdString(FormatKind(kind, v));
    if (edit != nullptr) {
      edit->setText(text);
    } else {
      pane->setText(text);
    }
  }
  if (kind >= kKindFilterType && kind <= kKindInputGain) {
    HighlightBand(GroupOf(PageOf(a)), a, control);
    if (kind == kKindFrequency) {
      if (auto* primary = qobject_cast<ParamEdit*>(ctx_.registry.Primary(a))) {
        MakeCurrent(primary);
      }
    }
  }

  // 3..4. The trackbar of the parameter follows without running its handler's work.
  const int n = v;
  QWidget* primary = ctx_.registry.Primary(a);
  if (qobject_cast<ParamTrackBar*>(primary) != nullptr) {
    SetTrackbarQuietly(primary, n);
  } else if (QWidget* extra = ctx_.registry.Extra(a, 0);
             qobject_cast<ParamTrackBar*>(extra) != nullptr) {
    SetTrackbarQuietly(extra, n);
  }

  // 5..7. Store, send, and record for the graph.
  if (kind >= kKindFilterType && kind <= kKindQ) {
    ctx_.view_values.Set(a, n);
    const ParamAddr d = ToDevice(a);
    if (!display_only) Record(d, n);
    ctx_.device_values.Set(d, n);
  }
  if (!display_only) WriteParam(a, n);
  if ((kind <= 7 || kind == 13 || kind == 19) && !ctx_.edit.refresh_in_progress) {
    ctx_.edit.last_edit = {a, n};
  }
}

void EditPipeline::WriteParam(ParamAddr a, int n) {
  ctx_.view_values.Set(a, n);
  WriteDevice(ToDevice(a), n);
}

void EditPipeline::WriteDevice(ParamAddr d, int n) {
  Record(d, n);
  ctx_.device_values.Set(d, n);
  if (ctx_.edit.send_suppressed || ctx_.link == nullptr || !ctx_.link->IsOnline()) return;
  ctx_.link->SendParam(d, n);
}

void EditPipeline::Record(ParamAddr d, int n) {
  // What a refresh stores only restates the tables; it is nobody's change.
  if (ctx_.recorder == nullptr || ctx_.edit.send_suppressed || ctx_.edit.refresh_in_progress) {
    return;
  }
  ctx_.recorder->Note(d, ctx_.device_values.Get(d), n);
}

void EditPipeline::CommitEdit(int step) {
  ParamEdit* edit = ctx_.edit.current_edit;
  if (ctx_.IsExample(edit)) return;
  const std::string filtered = FilterTyped(edit->text().toStdString());
  if (filtered.empty()) {
    edit->setText(ctx_.edit.saved_text);
    return;
  }
  const auto number = ReadNumber(filtered);
  if (!number) {
    edit->setText(ctx_.edit.saved_text);
    return;
  }
  if (edit->Hint().isEmpty() || edit->Kind() < 0) {
    QMessageBox::information(edit->window(), QString(), QStringLiteral("error"));
    edit->setText(ctx_.edit.saved_text);
    return;
  }
  UpdateControl(edit, step, false, ParseTyped(edit->Kind(), *number));
  ctx_.edit.saved_text = edit->text();
}

void EditPipeline::MakeCurrent(ParamEdit* edit) {
  if (edit == nullptr || ctx_.IsExample(edit)) return;
  if (ctx_.edit.current_edit == edit) return;
  SettleEntry();
  // The keys pressed so far were for the other edit.
  ctx_.edit.text_edited = false;
  ctx_.edit.current_edit = edit;
  ctx_.edit.saved_text = edit->text();
}

void EditPipeline::SettleEntry() {
  ParamEdit* edit = ctx_.edit.current_edit;
  if (ctx_.IsExample(edit) || !ctx_.edit.text_edited) return;
  ctx_.edit.text_edited = false;
  if (ctx_.edit.refresh_in_progress) return;
  if (edit->text().isEmpty()) {
    edit->setText(ctx_.edit.saved_text);
    return;
  }
  if (edit->text() == ctx_.edit.saved_text) return;
  CommitEdit(0);
}

void EditPipeline::SelectEdit(ParamEdit* edit) {
  if (edit == nullptr) return;
  if (edit != ctx_.edit.current_edit) {
    SettleEntry();
    ctx_.edit.text_edited = false;
  }
  ctx_.edit.wheel_target = true;
  ctx_.edit.current_edit = edit;
  edit->setFocus(Qt::MouseFocusReason);
  ctx_.edit.saved_text = edit->text();
  Suppressed([this] { CommitEdit(0); });
}

void EditPipeline::HighlightBand(int group, ParamAddr a, QWidget* control) {
  if (ctx_.edit.refresh_in_progress) return;
  if (qobject_cast<ParamEdit*>(control) == nullptr) return;
  const auto pos = BandOf(a);
  const int band = pos ? pos->band : 0;
  if (group >= 0 && group < static_cast<int>(ctx_.edit.selected_band.size())) {
    ctx_.edit.selected_band[group] = band;
  }
  ParamEdit* current = ctx_.edit.current_edit;
  if (current != ctx_.edit.last_highlighted) {
    const auto labels = ctx_.registry.BandLabels(group, ctx_.selection.effect_page);
    for (int i = 0; i < static_cast<int>(labels.size()); ++i) SetOpaque(labels[i], i == band);
    ctx_.edit.last_highlighted = current;
  }
  ScrollToBand(group, band);
}

void EditPipeline::BandChangeCheck() {
  if (ctx_.edit.last_edit == ctx_.edit.last_drawn) return;
  ctx_.edit.last_drawn = ctx_.edit.last_edit;
  const ParamAddr a = ctx_.edit.last_drawn.addr;
  const auto pos = BandOf(a);
  if (pos && ctx_.graph != nullptr && !ctx_.edit.refresh_in_progress) {
    ctx_.graph->DrawEqCurve(pos->band, PageOf(a));
  }
}

void EditPipeline::ScrollToBand(int group, int band) {
  const StripWindow strip = StripOf(group, ctx_.selection.effect_page);
  if (strip.scroll_bar == nullptr) return;
  auto* bar = ctx_.registry.Find<QSlider>(strip.scroll_bar);
  if (bar == nullptr) return;
  int p = bar->value();
  if (band >= p + strip.width) p = band - (strip.width - 1);
  if (band < p) p = band;
  bar->setValue(p);
}

}  // namespace kdsp
