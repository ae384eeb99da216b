#include "edit/edit_handlers.h"

#include <QToolButton>

#include "edit/edit_recorder.h"

#include "edit/translatable.h"
#include "model/display_kind.h"
#include "model/page_layout.h"
#include "model/scale_tables.h"
#include "model/slot_map.h"

namespace kdsp {

namespace {

/// Looks of a two-state switch: "1" pressed, anything else released.
void ShowSwitchState(PictureButton* button) {
  button->SetLook(button->Hint() == "1" ? PictureButton::Look::kPressed
                                        : PictureButton::Look::kReleased);
}

QString Flipped(const QString& hint) { return hint == "1" ? QStringLiteral("0") : "1"; }

}  // namespace

EditHandlers::EditHandlers(BindingContext& ctx, EditPipeline& pipeline, QObject* parent)
    : QObject(parent), ctx_(ctx), pipeline_(pipeline) {}

template <typename W, typename Fn>
void EditHandlers::Once(W* w, Fn&& connect_fn) {
  if (w == nullptr || connected_.contains(w)) return;
  connected_.insert(w);
  connect_fn(w);
}

void EditHandlers::Connect() {
  auto wire_edit = [this](ParamEdit* e) {
    connect(e, &ParamEdit::Clicked, this, &EditHandlers::MusFreEdit1Click);
    connect(e, &ParamEdit::KeyPressed, this, &EditHandlers::MusFreEdit1KeyPress);
    connect(e, &ParamEdit::KeyDown, this, [this](ParamEdit* edit, int key, bool* consumed) {
      *consumed = MusFreEdit1KeyDown(edit, key);
    });
    connect(e, &ParamEdit::Left, this, [this](ParamEdit*) { MusFreEdit1Exit(); });
    connect(e, &ParamEdit::ChangedByKey, this, &EditHandlers::EditChangedByKey);
  };
  for (const SlotEntry& e : AllSlotEntries()) {
    const ParamAddr a = MakeAddr(e.page, e.slot);
    QWidget* primary = ctx_.registry.Primary(a);
    QWidget* display = ctx_.registry.Display(a);
    switch (e.primary_class) {
      case ControlClass::kEdit:
        Once(qobject_cast<ParamEdit*>(primary), wire_edit);
        break;
      case ControlClass::kTrackbar:
        // The volume limits of page 25 have their own handler on the system page.
        if (e.page < 25) {
          Once(qobject_cast<ParamTrackBar*>(primary), [this](ParamTrackBar* bar) {
            connect(bar, &QSlider::valueChanged, this, [this, bar] { MicHPFreBarChange(bar); });
          });
        }
        break;
      case ControlClass::kSelector:
        if (e.item_source == ItemSource::kFixed || e.item_source == ItemSource::kInputNames) {
          Once(qobject_cast<ParamSelector*>(primary), [this](ParamSelector* box) {
            connect(box, &ParamSelector::Chosen, this, &EditHandlers::SysInputBoxChange);
          });
        }
        break;
      case ControlClass::kBandTypeSelector:
        Once(qobject_cast<ParamSelector*>(primary), [this](ParamSelector* box) {
          connect(box, &ParamSelector::Chosen, this, &EditHandlers::MusModeBox1Change);
        });
        break;
      case ControlClass::kHighPassTypeSelector:
      case ControlClass::kLowPassTypeSelector:
        Once(qobject_cast<ParamSelector*>(primary), [this](ParamSelector* box) {
          connect(box, &ParamSelector::Chosen, this, &EditHandlers::MainHPTypeBoxChange);
        });
        break;
      case ControlClass::kPhaseSwitch:
        Once(qobject_cast<PictureButton*>(primary), [this](PictureButton* b) {
          connect(b, &QPushButton::clicked, this, [this, b] { EchoEffPhaseBtnClick(b); });
        });
        break;
      case ControlClass::kMuteSwitch:
        Once(qobject_cast<PictureButton*>(primary), [this](PictureButton* b) {
          connect(b, &QPushButton::clicked, this, [this, b] { MainLmuteBtnClick(b); });
        });
        break;
      default:
        break;
    }
    // The second gain edit of a page-21 band is an edit like the first.
    if (e.display_class == ControlClass::kEdit) Once(qobject_cast<ParamEdit*>(display), wire_edit);
    for (int k = 0; k < ControlRegistry::kExtras; ++k) {
      QWidget* extra = ctx_.registry.Extra(a, k);
      if (auto* label = qobject_cast<TypeLabel*>(extra)) {
        Once(label, [this](TypeLabel* l) {
          connect(l, &TypeLabel::Clicked, this, &EditHandlers::MusPEQtn1Click);
        });
      } else if (auto* bar = qobject_cast<ParamTrackBar*>(extra)) {
        Once(bar, [this](ParamTrackBar* b) {
          connect(b, &QSlider::valueChanged, this, [this, b] { MusEQGainBar1Change(b); });
        });
      } else if (auto* spin = qobject_cast<SpinButtons*>(extra)) {
        Once(spin, [this](SpinButtons* s) {
          connect(s, &SpinButtons::DownLeft, this, &EditHandlers::MusFreUpDownBtn1DownLeftClick);
          connect(s, &SpinButtons::UpRight, this, &EditHandlers::MusFreUpDownBtn1UpRightClick);
          for (QToolButton* b : {s->UpButton(), s->DownButton()}) WireGesture(b);
        });
      }
    }
    // Everything a thumb drag changes, from the press to the release, is one undo step.
    for (QWidget* w : {primary, ctx_.registry.Extra(a, 0)}) {
      if (auto* bar = qobject_cast<ParamTrackBar*>(w); bar != nullptr && !gestures_.contains(bar)) {
        gestures_.insert(bar);
        connect(bar, &QSlider::sliderPressed, this, &EditHandlers::GestureBegins);
        connect(bar, &QSlider::sliderReleased, this, &EditHandlers::GestureEnds);
      }
    }
  }
}

void EditHandlers::WireGesture(QAbstractButton* button) {
  connect(button, &QAbstractButton::pressed, this, &EditHandlers::GestureBegins);
  connect(button, &QAbstractButton::released, this, &EditHandlers::GestureEnds);
}

void EditHandlers::GestureBegins() {
  if (ctx_.recorder != nullptr) ctx_.recorder->BeginGesture();
}

void EditHandlers::GestureEnds() {
  if (ctx_.recorder != nullptr) ctx_.recorder->EndGestureLater();
}

void EditHandlers::NewInput() {
  if (ctx_.recorder != nullptr) ctx_.recorder->NewInput();
}

void EditHandlers::MusFreEdit1Click(ParamEdit* edit) {
  if (qobject_cast<ParamEdit*>(ctx_.registry.Primary(edit->Tag())) == nullptr) return;
  pipeline_.SelectEdit(edit);
}

void EditHandlers::EditChangedByKey(ParamEdit* edit, const QString& before) {
  // Deleting or pasting edits this edit as typing does, whichever edit was current.
  if (ctx_.edit.current_edit != edit) {
    pipeline_.MakeCurrent(edit);
    ctx_.edit.saved_text = before;
  }
  ctx_.edit.text_edited = true;
}

void EditHandlers::MusFreEdit1KeyPress(ParamEdit* edit, QChar ch) {
  pipeline_.MakeCurrent(edit);
  ctx_.edit.text_edited = true;
  if (ch == QChar('\r')) MusFreEdit1Exit();
}

bool EditHandlers::MusFreEdit1KeyDown(ParamEdit* /*edit*/, int key) {
  ParamEdit* current = ctx_.edit.current_edit;
  if (ctx_.IsExample(current)) return false;
  // Ctrl or Shift held for a shortcut types nothing.
  if (key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt || key == Qt::Key_Meta ||
      key == Qt::Key_AltGr) {
    return false;
  }
  ctx_.edit.text_edited = true;
  const bool up_right = key == Qt::Key_Up || key == Qt::Key_Right;
  const bool down_left = key == Qt::Key_Down || key == Qt::Key_Left;
  if (!up_right && !down_left) return false;
  NewInput();
  const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down;
  // On a band, Up/Down move the gain and Left/Right the frequency, whichever edit has focus.
  if (current->Kind() == kKindFrequency && vertical) {
    pipeline_.SelectEdit(qobject_cast<ParamEdit*>(ctx_.registry.Primary(current->Tag() + 1)));
  } else if (current->Kind() == kKindGain && !vertical) {
    pipeline_.SelectEdit(qobject_cast<ParamEdit*>(ctx_.registry.Primary(current->Tag() - 1)));
  }
  pipeline_.CommitEdit(up_right ? +1 : -1);
  return true;
}

void EditHandlers::MusFreEdit1Exit() {
  ParamEdit* current = ctx_.edit.current_edit;
  if (ctx_.IsExample(current)) return;
  if (current->text().isEmpty()) {
    current->setText(ctx_.edit.saved_text);
    return;
  }
  if (ctx_.edit.text_edited) {
    NewInput();
    pipeline_.CommitEdit(0);
  }
  ctx_.edit.text_edited = false;
}

bool EditHandlers::FormMouseWheel(int delta) {
  if (!ctx_.edit.wheel_target || delta == 0) return false;
  NewInput();
  pipeline_.CommitEdit(delta > 0 ? +1 : -1);
  return true;
}

void EditHandlers::Step(SpinButtons* spin, int step) {
  QWidget* target = ctx_.registry.Primary(spin->Tag());
  if (auto* edit = qobject_cast<ParamEdit*>(target)) {
    pipeline_.MakeCurrent(edit);
    edit->setFocus(Qt::OtherFocusReason);
    pipeline_.CommitEdit(step);
  } else if (auto* bar = qobject_cast<ParamTrackBar*>(target)) {
    bar->setValue(bar->value() + step);
  }
}

void EditHandlers::MusFreUpDownBtn1DownLeftClick(SpinButtons* spin) { Step(spin, -1); }
void EditHandlers::MusFreUpDownBtn1UpRightClick(SpinButtons* spin) { Step(spin, +1); }

void EditHandlers::MicHPFreBarChange(ParamTrackBar* bar) {
  if (ctx_.edit.setting_control) return;
  if (auto* pane = qobject_cast<StatusPane*>(ctx_.registry.Display(bar->Tag()))) {
    pipeline_.UpdateControl(pane, 0, false, bar->value());
  }
  ctx_.edit.current_edit = ctx_.registry.Example();
}

void EditHandlers::MusEQGainBar1Change(ParamTrackBar* bar) {
  if (ctx_.edit.setting_control) return;
  auto* edit = qobject_cast<ParamEdit*>(ctx_.registry.Primary(bar->Tag()));
  if (edit == nullptr || edit->Kind() != kKindGain) return;
  pipeline_.MakeCurrent(edit);
  pipeline_.UpdateControl(edit, 0, false, bar->value());
  // The dragged value is the edit's committed text now.
  ctx_.edit.saved_text = edit->text();
}

void EditHandlers::ShowTypeLabel(ParamAddr a, int item) {
  const int chosen = std::clamp(item, 0, 3);
  if (qobject_cast<TypeLabel*>(ctx_.registry.Extra(a, chosen)) == nullptr) return;
  for (int k = 0; k < ControlRegistry::kExtras; ++k) {
    if (auto* label = qobject_cast<TypeLabel*>(ctx_.registry.Extra(a, k))) {
      label->SetChosen(k == chosen);
    }
  }
}

void EditHandlers::MusModeBox1Change(ParamSelector* box, int item) {
  const ParamAddr a = box->Tag();
  ShowTypeLabel(a, item);
  if (ctx_.edit.send_suppressed) return;
  NewInput();
  pipeline_.WriteParam(a, item);
  const ParamAddr q = static_cast<ParamAddr>(a + 3 + (item >= 2 ? 1 : 0));
  if (auto* q_edit = qobject_cast<ParamEdit*>(ctx_.registry.Primary(q))) {
    pipeline_.MakeCurrent(q_edit);
    pipeline_.UpdateControl(q_edit, 0, true, ctx_.view_values.Get(q));
    // The field shown may have changed (Q or slope): its text is the one to bring back.
    ctx_.edit.saved_text = q_edit->text();
  }
  ctx_.edit.last_edit = {a, item};
}

void EditHandlers::MusPEQtn1Click(TypeLabel* label) {
  const int t = label->Hint().toInt();
  auto* box = qobject_cast<ParamSelector*>(ctx_.registry.Primary(label->Tag()));
  if (box == nullptr) return;
  box->setCurrentIndex(t);
  MusModeBox1Change(box, t);
}

void EditHandlers::MainHPTypeBoxChange(ParamSelector* box, int item) {
  NewInput();
  pipeline_.WriteParam(box->Tag(), item);
  const int bands = EqBandCount(PageOf(box->Tag()));
  const int row = box->Kind() == kKindHighPassType ? bands : bands + 1;
  if (ctx_.graph != nullptr && !ctx_.edit.refresh_in_progress) {
    ctx_.graph->DrawEqCurve(row, ctx_.channel.view_page);
  }
}

void EditHandlers::ShowInputLabel(int input_source) {
  auto* label = ctx_.registry.Find<QLabel>("InputLabel");
  if (label == nullptr) return;
  const BiText names = TextAt(InputVolumeNames(), input_source);
  const std::string_view shown = names.In(ctx_.ui_language);
  const std::string_view other = names.In(1 - ctx_.ui_language);
  SetBiText(label, QString::fromUtf8(shown.data(), shown.size()),
            QString::fromUtf8(other.data(), other.size()));
}

void EditHandlers::SysInputBoxChange(ParamSelector* box, int item) {
  // A pending entry belongs to the address it was typed for: settle it before the choice can
  // move that address (the input gain follows the source) or take the edit's focus away.
  if (!ctx_.IsExample(ctx_.edit.current_edit) && ctx_.edit.text_edited) MusFreEdit1Exit();
  NewInput();
  pipeline_.WriteParam(box->Tag(), item);
  if (box->objectName() != QLatin1String("SysInputBox")) return;
  // The gain edit now stands for another source: keys and the wheel must not step it on until
  // the user picks it again.
  if (ctx_.edit.current_edit == ctx_.registry.Find<ParamEdit>("MusGain1Edit")) {
    ctx_.edit.current_edit = ctx_.registry.Example();
    ctx_.edit.wheel_target = false;
  }
  // The new source brings its own stored input gain.
  const ParamAddr d = pipeline_.ToDevice(MakeAddr(0, 0));
  const int gain = ctx_.device_values.Get(d);
  if (auto* edit = ctx_.registry.Find<ParamEdit>("MusGain1Edit")) {
    edit->setText(QString::fromStdString(FormatKind(kKindInputGain, gain)));
  }
  ctx_.view_values.Set(0, 0, gain);
  ShowInputLabel(item);
}

void EditHandlers::EchoEffPhaseBtnClick(PictureButton* button) {
  button->SetHint(Flipped(button->Hint()));
  button->setText(QString());
  ShowSwitchState(button);
  pipeline_.WriteParam(button->Tag(), button->Hint().toInt());
}

void EditHandlers::MainLmuteBtnClick(PictureButton* button) {
  button->SetHint(Flipped(button->Hint()));
  ShowSwitchState(button);
  pipeline_.WriteParam(button->Tag(), button->Hint().toInt());
}

}  // namespace kdsp
