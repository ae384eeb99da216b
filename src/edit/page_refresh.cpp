#include "edit/page_refresh.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStackedWidget>

#include "edit/channel_ops.h"
#include "model/equaliser_reset.h"
#include "model/page_layout.h"
#include "model/scale_tables.h"
#include "model/slot_map.h"

namespace kdsp {

namespace {

/// The switch state a refresh puts into a switch's Hint before running its click handler,
/// which flips it to the stored state.
QString PreFlipHint(int x) { return x != 0 ? QStringLiteral("0") : QStringLiteral("1"); }

constexpr int kAuxGainSlots[6] = {3, 8, 13, 18, 23, 28};

}  // namespace

void PageRefresh::BuildRegistry(QWidget& root) {
  ctx_.registry.Bind(root);
  ctx_.edit.refresh_in_progress = true;
  ctx_.registry.AssignTags();
  for (int page = 0; page < kPageCount; ++page) {
    for (int s = 0; s < PageLength(page); ++s) ctx_.device_values.Set(page, s, 0);
  }
  ApplyStartupContents(ctx_.device_values);
  // The volume markers and the per-mode start volume buttons of the system page.
  const std::pair<const char*, ParamAddr> kSystemAddrs[] = {{"MusMaxImage", MakeAddr(25, 4)},
                                                            {"MicMaxImage", MakeAddr(25, 3)},
                                                            {"EffMaxImage", MakeAddr(25, 5)},
                                                            {"SysVolRunBtn1", MakeAddr(25, 9)},
                                                            {"SysVolRunBtn2", MakeAddr(25, 9)}};
  for (const auto& [name, addr] : kSystemAddrs) {
    if (Bound* b = AsBound(ctx_.registry.Find<QWidget>(name))) b->SetTag(addr);
  }
  if (ctx_.edit.current_edit.isNull()) {
    auto* first = ctx_.registry.Find<ParamEdit>("MusFreEdit1");
    ctx_.edit.current_edit = first != nullptr ? first : ctx_.registry.Example();
  }
  ctx_.edit.last_highlighted = ctx_.registry.Example();
  ctx_.edit.refresh_in_progress = false;
}

bool PageRefresh::OutputBase(int* base) const {
  for (int b : {5, 13, 17}) {
    if (ctx_.selection.output_page >= b && ctx_.selection.output_page <= b + 3) {
      *base = b;
      return true;
    }
  }
  return false;
}

void PageRefresh::RebindViews() {
  RebuildView(ctx_.selection, ctx_.device_values, ctx_.view_values);
  pipeline_.ToDevice(MakeAddr(0, 0));  // enables or disables the music input gain edit
  int base = 0;
  if (OutputBase(&base)) {
    const int right = base + 2;
    if (Bound* b = AsBound(ctx_.registry.Find<QWidget>("MainRdelayBar"))) {
      b->SetTag(MakeAddr(right, 16));
    }
    if (Bound* b = AsBound(ctx_.registry.Find<QWidget>("MainRdelayPane"))) {
      b->SetTag(MakeAddr(right, 16));
    }
    if (Bound* b = AsBound(ctx_.registry.Find<QWidget>("MainRmuteBtn"))) {
      b->SetTag(MakeAddr(right, 17));
    }
  }
  // The six tone gains of page 21 are edited on the visible sheet of the auxiliary page.
  const bool first_sheet = ctx_.channel.aux_sheet == 0;
  for (int i = 0; i < 6; ++i) {
    const bool music = i < 3;
    const QString n = QString::number(i % 3 + 1);
    const QString sheet0 = (music ? "AUXMUSGainEdit" : "AUXMICGainEdit") + n;
    const QString sheet1 = (music ? "AUXMUS2GainEdit" : "AUXMIC2GainEdit") + n;
    auto* edit0 = ctx_.registry.Find<ParamEdit>(sheet0.toLatin1().constData());
    auto* edit1 = ctx_.registry.Find<ParamEdit>(sheet1.toLatin1().constData());
    if (edit0 == nullptr && edit1 == nullptr) continue;
    const ParamAddr a = MakeAddr(21, kAuxGainSlots[i]);
    ctx_.registry.SetPrimary(a, first_sheet ? edit0 : edit1);
    ctx_.registry.SetDisplay(a, first_sheet ? edit1 : edit0);
  }
}

void PageRefresh::RefreshPage(int page) {
  pipeline_.SettleEntry();
  ctx_.edit.refresh_in_progress = true;
  ctx_.edit.send_suppressed = true;
  ctx_.device_values.Set(30, 3, 1);
  RebindViews();
  ctx_.selection.scene_mode = SceneFromStored(ctx_.device_values.Get(kSceneAddr));

  for (int v : kViewPages) {
    if (v == page || page == kAllPages) RefreshControls(v);
  }
  auto* input_box = ctx_.registry.Find<QComboBox>("SysInputBox");
  if (input_box != nullptr) handlers_.ShowInputLabel(input_box->currentIndex());
  RefreshRightChannel();
  RefreshSyncAndModes();
  RefreshBypass();
  RefreshSystemPage();
  RefreshModeLists();
  RefreshInputSelector();
  if (auto* a = ctx_.registry.Find<QLineEdit>("MICAEffectEdit")) {
    a->setText(QString::number(ctx_.device_values.Get(1, 115)));
  }
  if (auto* b = ctx_.registry.Find<QLineEdit>("MICBEffectEdit")) {
    b->setText(QString::number(ctx_.device_values.Get(2, 115)));
  }
  RefreshModeButtons();

  ctx_.edit.refresh_in_progress = false;
  if (ctx_.graph != nullptr) ctx_.graph->DrawEqCurve(100, ctx_.channel.view_page);
  ctx_.edit.send_suppressed = false;
  LockIfRequired();
}

void PageRefresh::RefreshControls(int v) {
  for (int s = 0; s < PageLength(v); ++s) {
    const ParamAddr a = MakeAddr(v, s);
    const int x = ctx_.view_values.Get(a);
    QWidget* primary = ctx_.registry.Primary(a);
    if (primary == nullptr) continue;
    switch (ctx_.registry.PrimaryClass(a)) {
      case ControlClass::kPhaseSwitch:
        if (auto* b = qobject_cast<PictureButton*>(primary)) {
          b->SetHint(PreFlipHint(x));
          handlers_.EchoEffPhaseBtnClick(b);
        }
        continue;
      case ControlClass::kMuteSwitch:
        if (auto* b = qobject_cast<PictureButton*>(primary)) {
          b->SetHint(PreFlipHint(x));
          handlers_.MainLmuteBtnClick(b);
        }
        continue;
      case ControlClass::kBypassButton:
        if (auto* b = qobject_cast<PictureButton*>(primary)) b->SetHint(PreFlipHint(x));
        continue;
      default:
        break;
    }
    if (auto* bar = qobject_cast<ParamTrackBar*>(primary)) {
      bar->setValue(x);
    } else if (auto* box = qobject_cast<ParamSelector*>(primary)) {
      box->setCurrentIndex(x < box->count() ? x : -1);
      if (qobject_cast<TypeLabel*>(ctx_.registry.Extra(a, 0)) != nullptr) {
        handlers_.MusModeBox1Change(box, x);
      }
    } else if (auto* edit = qobject_cast<ParamEdit*>(primary)) {
      if (edit != ctx_.registry.Example()) pipeline_.UpdateControl(edit, 0, true, x);
    }
  }
}

void PageRefresh::RefreshRightChannel() {
  int base = 0;
  if (!OutputBase(&base)) return;
  const int right = base + 2;
  if (auto* bar = ctx_.registry.Find<ParamTrackBar>("MainRdelayBar")) {
    bar->setValue(ctx_.view_values.Get(right, 16));
  }
  if (auto* mute = ctx_.registry.Find<PictureButton>("MainRmuteBtn")) {
    mute->SetHint(PreFlipHint(ctx_.view_values.Get(right, 17)));
    handlers_.MainLmuteBtnClick(mute);
  }
}

void PageRefresh::RefreshSyncAndModes() {
  ChannelState& ch = ctx_.channel;
  if (ctx_.view_values.Get(1, 13) == 1) {
    ch.sync_state = 1;
  } else if (ch.sync_state == 1) {
    ch.sync_state = 0;
  }
  ch.output_mode = ctx_.view_values.Get(kOutputModeAddr) != 0 ? 1 : 0;
  auto show_pair = [](const std::vector<QAbstractButton*>& buttons, int chosen) {
    for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
      if (auto* b = qobject_cast<PictureButton*>(buttons[i])) {
        b->SetLook(i == chosen ? PictureButton::Look::kPressed : PictureButton::Look::kReleased);
      }
    }
  };
  if (ch.view_page == 1) show_pair(ctx_.registry.SyncButtons(), ch.sync_state);
  if (ops_ != nullptr) ops_->AutoModeBtnClick(ch.output_mode);
  show_pair(ctx_.registry.SceneButtons(), ctx_.selection.scene_mode);
}

void PageRefresh::RefreshBypass() {
  auto* button = ctx_.registry.Find<PictureButton>("MusEQAllpassBtn");
  if (button == nullptr) return;
  const int page = ctx_.channel.view_page;
  const ParamAddr a = MakeAddr(page, EqFirstSlot(page) - 1);
  button->SetTag(a);
  const bool on = page != 21 && ctx_.view_values.Get(a) != 0;
  button->SetHint(on ? "0" : "1");
  if (ops_ != nullptr) ops_->MusEQAllpassBtnClick();
}

void PageRefresh::SysMusInputLevelClick(QAbstractButton* clicked) {
  const std::pair<const char*, const char*> kPairs[] = {{"SysPanelBtn1", "SysPanelBtn2"},
                                                        {"SysVolRunBtn1", "SysVolRunBtn2"}};
  for (const auto& [off_name, on_name] : kPairs) {
    auto* off = ctx_.registry.Find<PictureButton>(off_name);
    auto* on = ctx_.registry.Find<PictureButton>(on_name);
    if (clicked == nullptr || (clicked != off && clicked != on)) continue;
    if (off != nullptr) off->SetHint("0");
    if (on != nullptr) on->SetHint("1");
    auto* pressed = static_cast<PictureButton*>(clicked);
    PictureButton* other = pressed == off ? on : off;
    pressed->SetLook(PictureButton::Look::kPressed);
    if (other != nullptr) other->SetLook(PictureButton::Look::kDisabledLook);
    pipeline_.WriteParam(pressed->Tag(), pressed->Hint().toInt());
    return;
  }
}

void PageRefresh::RefreshSystemPage() {
  if (auto* group = ctx_.registry.Find<QWidget>("SysHintLoadGrop")) {
    group->setVisible(ctx_.device_values.Get(30, 21) == 0);
  }
  const bool locked = ctx_.device_values.Get(30, 4) != 0;
  SysMusInputLevelClick(
      ctx_.registry.Find<QAbstractButton>(locked ? "SysPanelBtn2" : "SysPanelBtn1"));
  const bool per_mode = ctx_.view_values.Get(25, 9) != 0;
  SysMusInputLevelClick(
      ctx_.registry.Find<QAbstractButton>(per_mode ? "SysVolRunBtn2" : "SysVolRunBtn1"));
}

void PageRefresh::RefreshModeLists() {
  auto fill = [this](const char* name, int set, int selected) {
    auto* box = ctx_.registry.Find<QComboBox>(name);
    if (box == nullptr) return;
    box->clear();
    for (int n = 1; n <= 16; ++n) {
      const QString mode = ctx_.link != nullptr ? ctx_.link->ModeName(set, n - 1) : QString();
      box->addItem(QString::number(n) + "-" + mode);
    }
    box->setCurrentIndex(selected >= 0 && selected < box->count() ? selected : -1);
    if (mode_list_handler_) mode_list_handler_(box);
  };
  fill("SysModeBox", 0, ctx_.device_values.Get(30, 2));
  fill("SysMode2Box", 1, ctx_.device_values.Get(30, 34));
  fill("SysMode3Box", 1, ctx_.device_values.Get(30, 34));
  if (auto* save = ctx_.registry.Find<QWidget>("SysSaveModeBtn")) save->setEnabled(true);
}

void PageRefresh::RefreshInputSelector() {
  auto* box = ctx_.registry.Find<QComboBox>("SysInputBox");
  if (box == nullptr) return;
  // A source beyond the list the box had before (the download that brings a longer list also
  // brings its source) found no item in step 3: it is chosen once the list is long enough.
  int remembered = box->currentIndex();
  if (remembered < 0) remembered = ctx_.view_values.Get(kInputSourceAddr);
  box->clear();
  const auto names = InputNames();
  const int count =
      std::clamp(ctx_.device_values.Get(30, 20) + 1, 0, static_cast<int>(names.size()));
  for (int i = 0; i < count; ++i) {
    const std::string_view name = names[i].In(ctx_.ui_language);
    box->addItem(QString::fromUtf8(name.data(), name.size()));
  }
  box->setCurrentIndex(remembered < box->count() ? remembered : -1);
}

void PageRefresh::RefreshModeButtons() {
  const auto& buttons = ctx_.registry.ModeButtons();
  const int mode = ctx_.device_values.Get(30, 2);
  for (int i = 0; i < 6 && i < static_cast<int>(buttons.size()); ++i) {
    if (auto* b = qobject_cast<PictureButton*>(buttons[i])) {
      b->SetLook(i == mode ? PictureButton::Look::kPressed : PictureButton::Look::kDisabledLook);
    }
  }
  if (buttons.size() < 7) return;
  if (auto* seventh = qobject_cast<PictureButton*>(buttons[6])) {
    if (mode < 6) {
      seventh->setText("...");
      seventh->SetLook(PictureButton::Look::kDisabledLook);
    } else {
      seventh->setText(QString::number(mode + 1));
      seventh->SetLook(PictureButton::Look::kPressed);
    }
  }
}

void PageRefresh::LockIfRequired() {
  if (ctx_.link == nullptr || !ctx_.link->TakeFirstRefreshAfterOnline()) return;
  if (ctx_.view_values.Get(30, 4) != 1) return;
  auto* lock = ctx_.registry.Find<QWidget>("FirstCheckGrop");
  if (lock == nullptr) return;  // the lock screen comes with the system page
  if (ops_ != nullptr) ops_->FormMusTabBtnClick(0);
  if (auto* pages = ctx_.registry.Find<QStackedWidget>("FormPageItem")) pages->setCurrentIndex(0);
  if (QWidget* area = lock->parentWidget()) {
    lock->move((area->width() - lock->width()) / 2, lock->y());
  }
  lock->show();
  lock->raise();
  if (auto* edit = lock->findChild<QWidget*>("PanelPassWordEdit")) edit->setFocus();
  for (const char* name : {"FormPageItem", "AdvPanel1", "AdvPageControl1"}) {
    if (auto* w = ctx_.registry.Find<QWidget>(name)) w->setEnabled(false);
  }
}

}  // namespace kdsp
