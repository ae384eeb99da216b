#include "ui/system_page.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "eq/equaliser_graph.h"
#include "eq/marker_editor.h"
#include "ui/main_window.h"
#include "ui/mode_controls.h"
#include "ui/preset_files.h"
#include "ui/system_access.h"
#include "ui/system_lock.h"
#include "ui/system_markers.h"

namespace kdsp::ui {

SystemPage::SystemPage(MainWindow& window)
    : env_(window),
      own_dialogs_(std::make_unique<MessageBoxDialogs>(window)),
      files_(std::make_unique<PresetFiles>(env_)),
      modes_(std::make_unique<ModeControls>(env_)),
      access_(std::make_unique<SystemAccess>(env_)),
      lock_(std::make_unique<SystemLock>(env_)),
      markers_(std::make_unique<VolumeMarkerDrag>(env_, window.Graph().Editor().SharedState())) {
  env_.dialogs = own_dialogs_.get();
  if (auto* main_area = window.findChild<QWidget*>("MainArea")) {
    // Over the page area, below the tab strip; centred when it is shown.
    SystemLock::BuildLockScreen(main_area)->move(330, 110);
  }
}

SystemPage::~SystemPage() = default;

bool SystemPage::Locked() const { return lock_->Shown(); }

void SystemPage::SetLink(SystemLink* link) { env_.link = link; }

void SystemPage::DownloadPages(bool all) {
  if (env_.link == nullptr) return;
  if (all) {
    env_.link->StartFullWrite();
  } else {
    env_.link->StartHintWrite();
  }
}

void SystemPage::SetDialogs(SystemDialogs* dialogs) {
  env_.dialogs = dialogs != nullptr ? dialogs : own_dialogs_.get();
}

void SystemPage::FirstShow() {
  PageRefresh& refresh = env_.window.Refresh();
  for (const char* name : {"SysPanelBtn1", "SysPanelBtn2", "SysVolRunBtn1", "SysVolRunBtn2"}) {
    if (auto* button = env_.Find<QAbstractButton>(name)) {
      connect(button, &QAbstractButton::clicked, this,
              [&refresh, button] { refresh.SysMusInputLevelClick(button); });
    }
  }
  if (auto* blue = env_.Find<QPushButton>("RzBmpButton5")) {
    connect(blue, &QPushButton::clicked, this, &SystemPage::BluetoothNameClick);
  }
  files_->Connect();
  modes_->Connect();
  access_->Connect();
  lock_->Connect();
  markers_->Connect();
  files_->FirstShow();
}

void SystemPage::BluetoothNameClick() {
  auto* label = env_.Find<QLabel>("BlueNameLabel");
  auto* edit = env_.Find<QLineEdit>("BlueNameEdit");
  if (label == nullptr || edit == nullptr) return;
  if (!env_.dialogs->Ask(QStringLiteral("Confirm"), label->text() + "?",
                         SystemDialogs::Buttons::kYesNo)) {
    return;
  }
  // An empty name is sent too.
  if (env_.link != nullptr) env_.link->SendBluetoothName(edit->text().toStdString());
}

}  // namespace kdsp::ui
