#include "ui/system_access.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLineEdit>

#include "edit/channel_ops.h"
#include "ui/system_env.h"

namespace kdsp::ui {

namespace {
constexpr int kFormHintTab = 9;
constexpr int kHintAuxTab = 12;
constexpr int kMinTabWidth = 50;
}  // namespace

SystemAccess::SystemAccess(SystemEnv& env, QObject* parent) : QObject(parent), env_(env) {}

void SystemAccess::Connect() {
  if (QAbstractButton* first = env_.ctx.registry.ChannelTabs()[0]) tab_width_ = first->width();
  if (auto* label = env_.Find<QWidget>("LinkLabel")) label->installEventFilter(this);
  if (auto* edit = env_.Find<QLineEdit>("SysLogoEdit")) {
    connect(edit, &QLineEdit::returnPressed, this,
            [this, edit] { SysLogoEditEnter(edit->text()); });
  }
}

bool SystemAccess::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick && watched == env_.Find<QWidget>("LinkLabel")) {
    LinkLabelDblClick();
  }
  return QObject::eventFilter(watched, event);
}

void SystemAccess::ShowWidget(const char* name, bool visible) {
  if (auto* w = env_.Find<QWidget>(name)) w->setVisible(visible);
}

void SystemAccess::LinkLabelDblClick() {
  ShowWidget("SysLogoLabel", true);
  if (auto* edit = env_.Find<QLineEdit>("SysLogoEdit")) {
    edit->clear();
    edit->show();
    edit->setFocus(Qt::OtherFocusReason);
  }
  ShowWidget("FormHintTabBtn", false);
  LayOutTabs();
}

void SystemAccess::SysLogoEditEnter(const QString& code) {
  ChannelOps& channels = env_.window.Channels();
  if (code == QLatin1String(kMusicCode) || code == QLatin1String(kFullCode)) {
    const bool full = code == QLatin1String(kFullCode);
    ShowWidget("FormHintTabBtn", true);
    ShowWidget("SysLogoLabel", false);
    ShowWidget("SysLogoEdit", false);
    for (const char* name : {"HintMicABtn", "HintMicBBtn", "HintSysBtn"}) ShowWidget(name, full);
    if (!full) ShowWidget("HintModePage", false);
    LayOutTabs();
    channels.FormMusTabBtnClick(kFormHintTab);
    // With the music code only the music equaliser may be reached, whichever hidden page an
    // earlier code left chosen.
    if (!full && env_.ctx.channel.current_tab == kFormHintTab) channels.HintMusBtnClick(0);
  } else if (code == QLatin1String(kAuxCode)) {
    channels.FormMusTabBtnClick(kHintAuxTab);
    ShowWidget("HintAuxBtn", true);
    LayOutTabs();
  } else {
    ShowWidget("FormHintTabBtn", false);
    LayOutTabs();
  }
}

void SystemAccess::LayOutTabs() {
  const auto& tabs = env_.ctx.registry.ChannelTabs();
  QAbstractButton* first = tabs[0];
  if (first == nullptr) return;
  std::vector<QAbstractButton*> shown;
  for (QAbstractButton* tab : tabs) {
    if (tab != nullptr && !tab->isHidden()) shown.push_back(tab);
  }
  if (shown.empty()) return;
  const int left = first->x();
  int width = tab_width_ > 0 ? tab_width_ : first->width();
  if (auto* label = env_.Find<QWidget>("LinkLabel")) {
    const int room = label->x() - left;
    const int count = static_cast<int>(shown.size());
    if (room > 0 && count * width > room) width = std::max(kMinTabWidth, room / count);
  }
  for (int i = 0; i < static_cast<int>(shown.size()); ++i) {
    shown[i]->setGeometry(left + i * width, shown[i]->y(), width, shown[i]->height());
  }
}

}  // namespace kdsp::ui
