#include "edit/channel_ops.h"

#include <QGroupBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>

#include "edit/edit_recorder.h"
#include "edit/page_refresh.h"
#include "edit/translatable.h"
#include "model/equaliser_reset.h"
#include "model/page_layout.h"
#include "model/slot_map.h"

namespace kdsp {

namespace {

const QColor kCurveOrange(255, 102, 0);
const QColor kCurveGrey(172, 172, 172);

/// View page and page-control sheet of each tab; -1 for the effect page (it follows the
/// chosen sub-tab).
struct TabView {
  int page;
  int sheet;
  int output_base;  ///< output pair shown, or -1
};
constexpr TabView kTabViews[15] = {
    {0, 0, -1}, {5, 3, 7},   {1, 1, -1},  {1, 1, -1}, {-1, 2, -1},
    {5, 3, 5},  {5, 3, 11},  {5, 3, 13},  {5, 3, 15}, {22, 4, -1},
    {5, 3, 9},  {21, 6, -1}, {21, 6, -1}, {5, 3, 17}, {5, 3, 19},
};

/// Channel texts of the shared controls: `LeftBtn`, `RightBtn`, `MainLmuteBtn`,
/// `OutLDelayLabel`, by tab.
struct ChannelTexts {
  BiText left, right, mute, delay;
};
ChannelTexts TextsOfTab(int tab) {
  switch (tab) {
    case 0:
      return {{"音乐左", "Left"}, {"音乐右", "Right"}, {}, {}};
    case 2:
    case 3:
      return {{"麦克1", "MIC 1"}, {"麦克2", "MIC 2"}, {}, {}};
    case 5:
    case 7:
    case 13:
      return {{"主左", "Main L"},
              {"主右", "Main R"},
              {"左静音", "L Mute"},
              {"左声道延时", "Left Delay"}};
    case 6:
      return {{}, {}, {"中置静音", "Cen Mute"}, {"中置延时", "Center Delay"}};
    case 10:
      return {{}, {}, {"超低静音", "SUB Mute"}, {"超低延时", "SUB Delay"}};
    default:
      return {};
  }
}

void SetChosenLook(QAbstractButton* b, bool chosen) {
  if (b == nullptr) return;
  b->setProperty("chosen", chosen);
  b->style()->unpolish(b);
  b->style()->polish(b);
  b->update();
}

bool IsRightChannelTab(int tab) { return tab == 5 || tab == 7 || tab == 13; }
bool IsOutputModeTab(int tab) { return tab == 5 || tab == 6 || tab == 7 || tab == 10 || tab == 13; }

}  // namespace

ChannelOps::ChannelOps(BindingContext& ctx, EditPipeline& pipeline, PageRefresh& refresh,
                       QObject* parent)
    : QObject(parent), ctx_(ctx), pipeline_(pipeline), refresh_(refresh) {}

std::vector<QAbstractButton*> ChannelOps::TabList() const {
  const auto& tabs = ctx_.registry.ChannelTabs();
  return {tabs.begin(), tabs.end()};
}

void ChannelOps::Connect() {
  const auto& tabs = ctx_.registry.ChannelTabs();
  for (int t = 0; t < 15; ++t) {
    if (tabs[t] != nullptr) {
      connect(tabs[t], &QAbstractButton::clicked, this, [this, t] { FormMusTabBtnClick(t); });
    }
  }
  const auto& subs = ctx_.registry.EffectSubTabs();
  for (int i = 0; i < static_cast<int>(subs.size()); ++i) {
    if (subs[i] != nullptr) {
      connect(subs[i], &QAbstractButton::clicked, this, [this, i] { EchoAToolButtonClick(i); });
    }
  }
  const auto& hidden = ctx_.registry.HiddenPageButtons();
  for (int i = 0; i < static_cast<int>(hidden.size()); ++i) {
    if (hidden[i] != nullptr) {
      connect(hidden[i], &QAbstractButton::clicked, this, [this, i] { HintMusBtnClick(i); });
    }
  }
  const auto& sync = ctx_.registry.SyncButtons();
  for (int i = 0; i < static_cast<int>(sync.size()); ++i) {
    if (sync[i] != nullptr) {
      connect(sync[i], &QAbstractButton::clicked, this, [this, i] { SameBtnClick(i); });
    }
  }
  const auto& modes = ctx_.registry.OutputModeButtons();
  for (int i = 0; i < static_cast<int>(modes.size()); ++i) {
    if (modes[i] != nullptr) {
      connect(modes[i], &QAbstractButton::clicked, this, [this, i] { AutoModeBtnClick(i); });
    }
  }
  const auto& scenes = ctx_.registry.SceneButtons();
  for (int i = 0; i < static_cast<int>(scenes.size()); ++i) {
    if (scenes[i] != nullptr) {
      connect(scenes[i], &QAbstractButton::clicked, this, [this, i] { SingModeBtnClick(i); });
    }
  }
  if (auto* reset = ctx_.registry.Find<QAbstractButton>("EQResetBtn")) {
    connect(reset, &QAbstractButton::clicked, this, [this] { EQResetBtnClick(); });
  }
  if (auto* bypass = ctx_.registry.Find<QAbstractButton>("MusEQAllpassBtn")) {
    connect(bypass, &QAbstractButton::clicked, this, [this] { MusEQAllpassBtnClick(); });
  }
}

void ChannelOps::ApplyTabLook(const std::vector<QAbstractButton*>& buttons,
                              QAbstractButton* chosen) {
  for (QAbstractButton* b : buttons) SetChosenLook(b, b == chosen);
}

void ChannelOps::SelectChannel(int tab) {
  pipeline_.SettleEntry();  // a typed value belongs to the channel it was typed on
  if (tab < 0 || tab >= 15) return;
  ApplyTabLook(TabList(), ctx_.registry.ChannelTabs()[tab]);
  ctx_.channel.current_tab = tab;
  Selection& sel = ctx_.selection;
  const TabView view = kTabViews[tab];
  if (view.output_base >= 0) sel.output_page = view.output_base + sel.scene_mode;
  if (tab == 2) {
    sel.mic_page = 1;
    if (ctx_.channel.sync_state != 1) ctx_.channel.sync_state = 0;
  } else if (tab == 3) {
    if (ctx_.channel.sync_state == 1) {
      sel.mic_page = 1;
    } else {
      sel.mic_page = 2;
      ctx_.channel.sync_state = 2;
    }
  } else if (tab == 11 || tab == 12) {
    ctx_.channel.aux_sheet = tab == 11 ? 1 : 0;
    if (auto* aux = ctx_.registry.Find<QTabWidget>("AuxPageCtrol")) {
      aux->setCurrentIndex(ctx_.channel.aux_sheet);
    }
  }
  SetChannelTexts(tab);
  ApplyVisibility(tab);
  ctx_.channel.view_page = view.page >= 0 ? view.page : sel.effect_page;
  ctx_.channel.page_index = view.sheet;
}

void ChannelOps::SetChannelTexts(int tab) {
  const ChannelTexts texts = TextsOfTab(tab);
  const int lang = ctx_.ui_language;
  SetBiText(ctx_.registry.Find<QWidget>("LeftBtn"), texts.left, lang);
  SetBiText(ctx_.registry.Find<QWidget>("RightBtn"), texts.right, lang);
  if (auto* mute = ctx_.registry.Find<QAbstractButton>("MainLmuteBtn")) {
    const auto caption = texts.mute.In(lang);
    mute->setText(QString::fromUtf8(caption.data(), caption.size()));
  }
  SetBiText(ctx_.registry.Find<QWidget>("OutLDelayLabel"), texts.delay, lang);
  if (tab == 2 || tab == 3) {
    const bool first = tab == 2;
    SetBiText(ctx_.registry.Find<QWidget>("AdvGroupBox1"),
              first ? BiText{"麦克风1压限", "MiC 1 Limit"} : BiText{"麦克风2压限", "MiC 2 Limit"},
              lang);
    SetBiText(
        ctx_.registry.Find<QWidget>("AdvGroupBox16"),
        first ? BiText{"麦克风1 噪声门", "MIC1 Noise"} : BiText{"麦克风2 噪声门", "MIC2 Noise"},
        lang);
  }
}

void ChannelOps::ApplyVisibility(int tab) {
  auto show = [this](const char* name, bool visible) {
    if (auto* w = ctx_.registry.Find<QWidget>(name)) w->setVisible(visible);
  };
  show("CopyGrop", tab == 2 || tab == 3);
  show("SingleDiscoGrop", IsOutputModeTab(tab));
  show("EQPassGrop", tab != 11 && tab != 12);
  const bool right = IsRightChannelTab(tab);
  for (const char* name : {"MainRmuteBtn", "OutRDelayLabel", "MainRdelayBar", "MainRdelayPane"}) {
    show(name, right);
  }
  auto* left_mute = ctx_.registry.Find<QWidget>("MainLmuteBtn");
  auto* right_mute = ctx_.registry.Find<QWidget>("MainRmuteBtn");
  if (right_mute != nullptr && right) right_mute->move(98, right_mute->y());
  if (left_mute != nullptr) {
    // Beside the right mute the left one is as wide; alone its longer captions ("SUB Mute")
    // take the room up to 18 pixels short of where the pair ends.
    int width = left_mute->width();
    if (right_mute != nullptr) width = right ? 98 - 2 - 18 : 98 + right_mute->width() - 18 - 58;
    left_mute->setGeometry(right ? 18 : 58, left_mute->y(), width, left_mute->height());
  }
  const bool always = tab == 0 || tab == 2 || tab == 3 || tab == 4;
  const bool enabled = always || ctx_.channel.output_mode == 1;
  for (const char* name : {"CopyGrop", "EQPassGrop"}) {
    if (auto* w = ctx_.registry.Find<QWidget>(name)) w->setEnabled(enabled);
  }
}

void ChannelOps::ApplyCurveColour() {
  if (ctx_.graph == nullptr) return;
  const bool grey = ctx_.channel.view_page == 5 && ctx_.channel.output_mode == 0;
  ctx_.graph->SetCurveColour(grey ? kCurveGrey : kCurveOrange);
}

void ChannelOps::RedrawAll() {
  // The graph draws nothing while a refresh runs; the refresh ends with a full redraw.
  if (ctx_.graph == nullptr || ctx_.edit.refresh_in_progress) return;
  ctx_.graph->DrawEqCurve(100, ctx_.channel.view_page);
}

void ChannelOps::RedrawSelected() {
  if (ctx_.graph == nullptr || ctx_.edit.refresh_in_progress) return;
  const int page = ctx_.channel.view_page;
  const int group = GroupOf(page);
  ctx_.graph->DrawEqCurve(ctx_.edit.selected_band[group], page);
}

void ChannelOps::FormMusTabBtnClick(int tab) {
  pipeline_.SettleEntry();
  if (tab < 0 || tab >= 15) return;
  auto* lock = ctx_.registry.Find<QWidget>("FirstCheckGrop");
  if (lock != nullptr && lock->isVisible() && tab != 0) {
    SetChosenLook(ctx_.registry.ChannelTabs()[tab], false);
    return;
  }
  SelectChannel(tab);
  if (auto* pages = ctx_.registry.Find<QStackedWidget>("FormPageItem")) {
    if (ctx_.channel.page_index < pages->count()) pages->setCurrentIndex(ctx_.channel.page_index);
  }
  ApplyCurveColour();
  if (tab == 4) {
    EchoAToolButtonClick(ctx_.channel.effect_sub_tab);
  } else {
    refresh_.RefreshPage(ctx_.channel.view_page);
  }
  RedrawAll();
  ctx_.edit.wheel_target = false;
  if (auto* sink = ctx_.registry.Find<QWidget>("Examplexx")) sink->setFocus(Qt::OtherFocusReason);
  if (auto* bypass = ctx_.registry.Find<QWidget>("MusEQAllpassBtn")) {
    auto* pages = ctx_.registry.Find<QStackedWidget>("FormPageItem");
    bypass->setVisible(pages == nullptr || pages->currentIndex() != 8);
  }
}

void ChannelOps::EchoAToolButtonClick(int tag) {
  pipeline_.SettleEntry();
  const auto& subs = ctx_.registry.EffectSubTabs();
  ApplyTabLook(subs, tag >= 0 && tag < static_cast<int>(subs.size()) ? subs[tag] : nullptr);
  ctx_.selection.effect_page = tag == 2 ? 4 : 3;
  ctx_.channel.effect_sub_tab = tag;
  if (auto* eff = ctx_.registry.Find<QTabWidget>("EffPageControl")) {
    eff->setCurrentIndex(tag == 2 ? 1 : 0);
  }
  ctx_.channel.page_index = 2;
  ctx_.channel.view_page = ctx_.selection.effect_page;
  refresh_.RefreshPage(ctx_.selection.effect_page);
  RedrawAll();
}

void ChannelOps::HintMusBtnClick(int tag) {
  pipeline_.SettleEntry();
  const auto& buttons = ctx_.registry.HiddenPageButtons();
  ApplyTabLook(buttons,
               tag >= 0 && tag < static_cast<int>(buttons.size()) ? buttons[tag] : nullptr);
  static constexpr int kHintPages[4] = {22, 23, 24, 22};
  if (tag < 0 || tag > 3) return;
  ctx_.selection.hint_page = kHintPages[tag];
  for (const char* name : {"HintEQGroupBox3", "HintEQGroupBox4", "HintEQGroupBox5"}) {
    if (auto* w = ctx_.registry.Find<QWidget>(name)) w->setVisible(tag != 0);
  }
  if (auto* modes = ctx_.registry.Find<QWidget>("HintModePage")) modes->setVisible(tag == 3);
  ctx_.channel.page_index = 4;
  ctx_.channel.view_page = 22;
  refresh_.RefreshPage(22);
  RedrawAll();
}

void ChannelOps::ShowPair(const std::vector<QAbstractButton*>& pair, int chosen) {
  for (int i = 0; i < static_cast<int>(pair.size()); ++i) {
    if (auto* b = qobject_cast<PictureButton*>(pair[i])) {
      b->SetLook(i == chosen ? PictureButton::Look::kPressed : PictureButton::Look::kReleased);
    }
  }
}

void ChannelOps::SameBtnClick(int s) {
  pipeline_.SettleEntry();
  // The flag and the copies of microphone 1 to microphone 2 are one step for undo.
  RecordedScope step(ctx_.recorder, ctx_.device_values);
  auto copy_mic1_to_mic2 = [this] {
    for (int slot = 0; slot <= 114; ++slot) {
      ctx_.device_values.Set(2, slot, ctx_.device_values.Get(1, slot));
    }
  };
  if (s != 1 && ctx_.channel.sync_state == 1) copy_mic1_to_mic2();
  ctx_.channel.sync_state = s;
  const int mic_tab = s == 2 ? 3 : 2;
  SelectChannel(mic_tab);
  ShowPair(ctx_.registry.SyncButtons(), s);
  pipeline_.WriteParam(MakeAddr(1, 13), s == 1 ? 1 : 0);
  if (s == 1) copy_mic1_to_mic2();
  SelectChannel(ctx_.channel.current_tab);
  refresh_.RefreshPage(ctx_.channel.view_page);
  RedrawSelected();
}

void ChannelOps::ResetEqualiser(int page) {
  // The band values a reset sets are one step for undo, though only the command is sent.
  RecordedScope step(ctx_.recorder, ctx_.device_values);
  if (page == 100) {
    ResetAllEqualisers(ctx_.device_values, ctx_.view_values);
    refresh_.RefreshPage(100);
    return;
  }
  const int resolved = ResolveResetPage(ctx_.selection, page);
  const int block = ResetEqualiserPage(ctx_.selection, page, ctx_.device_values, ctx_.view_values);
  if (block >= 0) {
    // The reset command is the one write of a reset; the link waits for the box's answer to it
    // before sending anything else.
    const ParamAddr cmd = MakeAddr(26, block);
    if (ctx_.link != nullptr) {
      ctx_.link->SendParamAndHold(cmd, 1);
    } else {
      pipeline_.WriteParam(cmd, 1);
    }
  }
  refresh_.RefreshPage(resolved);
}

void ChannelOps::EQResetBtnClick() {
  pipeline_.SettleEntry();
  ResetEqualiser(ctx_.channel.view_page);
  SelectChannel(ctx_.channel.current_tab);
  refresh_.RefreshPage(ctx_.channel.view_page);
  RedrawSelected();
}

void ChannelOps::MusEQAllpassBtnClick() {
  pipeline_.SettleEntry();
  auto* button = ctx_.registry.Find<PictureButton>("MusEQAllpassBtn");
  if (button == nullptr) return;
  const QString state = button->Hint() == "1" ? QStringLiteral("0") : QStringLiteral("1");
  button->SetHint(state);
  button->SetLook(state == "1" ? PictureButton::Look::kPressed : PictureButton::Look::kReleased);
  const int page = PageOf(button->Tag());
  const int bypass_slot = EqBypassSlot(page);
  // A page without bypass switch (the auxiliary page) keeps its slots; nothing is written.
  const int value = bypass_slot >= 0 && SlotOf(button->Tag()) == bypass_slot ? state.toInt() : 0;
  if (page >= 0 && page < kPageCount) ctx_.channel.bypass_state[page] = value;
  if (bypass_slot >= 0 && SlotOf(button->Tag()) == bypass_slot) {
    pipeline_.WriteParam(button->Tag(), value);
  }
  if (auto* label = ctx_.registry.Find<QWidget>("EQPassLabel")) label->setVisible(value == 1);
  ApplyResetButtonRule();
}

void ChannelOps::ApplyResetButtonRule() {
  auto* reset = ctx_.registry.Find<QWidget>("EQResetBtn");
  if (reset == nullptr) return;
  auto* bypass = ctx_.registry.Find<PictureButton>("MusEQAllpassBtn");
  auto* group = ctx_.registry.Find<QWidget>("EQPassGrop");
  const int page = bypass != nullptr ? PageOf(bypass->Tag()) : 0;
  const bool off = page < kPageCount && ctx_.channel.bypass_state[page] == 0;
  // The group's own state: while the lock screen disables the whole panel the rule still holds
  // for the moment it is lifted.
  reset->setEnabled(off && (group == nullptr || group->isEnabledTo(group->parentWidget())));
}

void ChannelOps::EnableOutputControls(bool enabled) {
  for (int slot = 0; slot <= 78; ++slot) {
    const ParamAddr a = MakeAddr(5, slot);
    if (auto* bar = qobject_cast<ParamTrackBar*>(ctx_.registry.Primary(a)))
      bar->setEnabled(enabled);
    if (auto* bar = qobject_cast<ParamTrackBar*>(ctx_.registry.Extra(a, 0))) {
      bar->setEnabled(enabled);
    }
  }
  for (const char* name : {"AutoModeBtn", "SingModeBtn", "DiscoModeBtn", "MainLmuteBtn",
                           "MainRmuteBtn", "MainRdelayBar", "AdvGroupBox6", "OutLimiteGroup",
                           "OutLHPGroup", "AdvGroupBox21", "MainPanScrollBar"}) {
    if (auto* w = ctx_.registry.Find<QWidget>(name)) w->setEnabled(enabled);
  }
  if (ctx_.channel.view_page >= 5) {
    for (const char* name : {"CopyGrop", "EQPassGrop"}) {
      if (auto* w = ctx_.registry.Find<QWidget>(name)) w->setEnabled(enabled);
    }
  }
  ApplyResetButtonRule();
}

void ChannelOps::AutoModeBtnClick(int state) {
  pipeline_.SettleEntry();
  ShowPair(ctx_.registry.OutputModeButtons(), state);
  pipeline_.WriteParam(kOutputModeAddr, state);
  ctx_.channel.output_mode = state;
  EnableOutputControls(state != 0);
  ApplyCurveColour();
  RedrawAll();
}

void ChannelOps::SingModeBtnClick(int state) {
  pipeline_.SettleEntry();
  ShowPair(ctx_.registry.SceneButtons(), state);
  pipeline_.WriteParam(kSceneAddr, state);
  ctx_.selection.scene_mode = state;
  SelectChannel(ctx_.channel.current_tab);
  refresh_.RefreshPage(ctx_.channel.view_page);
  RedrawSelected();
}

}  // namespace kdsp
