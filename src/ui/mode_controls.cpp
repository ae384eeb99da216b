#include "ui/mode_controls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "model/control_lists.h"
#include "ui/system_env.h"

namespace kdsp::ui {

namespace {

constexpr const char* kBoxes[3] = {"SysModeBox", "SysMode2Box", "SysMode3Box"};
constexpr const char* kNameEdits[3] = {"PresetModeEdit", "PresetMode2Edit", "PresetMode3Edit"};
constexpr const char* kLoadButtons[3] = {"SysLoadModeBtn", "SysLoad2ModeBtn", "SysLoad3ModeBtn"};
constexpr const char* kSaveButtons[2] = {"SysSaveModeBtn", "SysSave2ModeBtn"};
constexpr int kModeCount = 16;
constexpr ParamAddr kRecallMode = MakeAddr(30, 2);
constexpr ParamAddr kRecallHintMode = MakeAddr(30, 34);

/// The text of an item after its number and the "-".
QString NameOfItem(const QString& item) {
  const int dash = item.indexOf('-');
  return dash >= 0 ? item.mid(dash + 1) : QString();
}

}  // namespace

ModeControls::ModeControls(SystemEnv& env, QObject* parent) : QObject(parent), env_(env) {}

QComboBox* ModeControls::Box(ListId list) const { return env_.Find<QComboBox>(kBoxes[list]); }

void ModeControls::Connect() {
  for (ListId list : {kDeviceList, kHintList, kHintLoadList}) {
    if (auto* box = qobject_cast<ParamSelector*>(Box(list))) {
      connect(box, &ParamSelector::Chosen, this, [this, list] { SysModeBoxChange(list); });
    }
    if (auto* load = env_.Find<QPushButton>(kLoadButtons[list])) {
      connect(load, &QPushButton::clicked, this, [this, list] { LoadClick(list); });
    }
  }
  for (ListId list : {kDeviceList, kHintList}) {
    if (auto* save = env_.Find<QPushButton>(kSaveButtons[list])) {
      connect(save, &QPushButton::clicked, this, [this, list] { SaveClick(list); });
    }
  }
  for (int k = 0; k < static_cast<int>(kModeButtons.size()); ++k) {
    const std::string name(kModeButtons[k]);
    if (auto* button = env_.Find<QPushButton>(name.c_str())) {
      connect(button, &QPushButton::clicked, this, [this, k] { SysFactoryBtnClick(k); });
    }
  }
  env_.window.Refresh().SetModeListHandler([this](QComboBox* list) { ModeListFilled(list); });
}

void ModeControls::SysModeBoxChange(ListId list) {
  QComboBox* box = Box(list);
  if (box == nullptr) return;
  if (auto* edit = env_.Find<QLineEdit>(kNameEdits[list])) {
    edit->setText(NameOfItem(box->currentText()));
  }
  if (list == kDeviceList || list == kHintList) {
    if (auto* save = env_.Find<QWidget>(kSaveButtons[list])) save->setEnabled(true);
  }
}

void ModeControls::ModeListFilled(QComboBox* list) {
  for (ListId id : {kDeviceList, kHintList, kHintLoadList}) {
    if (Box(id) == list) SysModeBoxChange(id);
  }
}

void ModeControls::LoadClick(ListId list) {
  QComboBox* box = Box(list);
  if (box == nullptr) return;
  const int index = box->currentIndex();
  // Only the sixteen modes of the box can be recalled; the design-time items beyond them and
  // an empty selection name none.
  if (index >= 0 && index < kModeCount) {
    const QString question =
        (env_.Lang() == 1 ? QString::fromUtf8("模式切换为") : QStringLiteral("Load Mode to")) +
        box->itemText(index) + "?";
    if (env_.dialogs->Ask(QStringLiteral("Confirm"), question, SystemDialogs::Buttons::kYesNo)) {
      const ParamAddr addr = list == kDeviceList ? kRecallMode : kRecallHintMode;
      if (env_.link == nullptr) {
        env_.window.Pipeline().WriteParam(addr, index);
      } else if (list == kDeviceList) {
        env_.link->LoadDeviceMode(index);
      } else {
        env_.link->LoadHintMode(index);
      }
    }
  }
  if (list == kDeviceList) env_.window.Refresh().RefreshModeButtons();
}

void ModeControls::SaveClick(ListId list) {
  QComboBox* box = Box(list);
  auto* edit = env_.Find<QLineEdit>(kNameEdits[list]);
  if (box == nullptr || edit == nullptr || list == kHintLoadList) return;
  const int index = box->currentIndex();
  if (index < 0 || index >= kModeCount) return;
  const QString name = edit->text();
  const QString question =
      (env_.Lang() == 1 ? QString::fromUtf8("保存当前模式为 ") : QStringLiteral("Save Mode to ")) +
      QString::number(index + 1) + "-" + name + "?";
  if (!env_.dialogs->Ask(QStringLiteral("Confirm"), question, SystemDialogs::Buttons::kYesNo)) {
    return;
  }
  if (env_.link == nullptr) return;
  const std::string bytes = name.toStdString();
  if (list == kDeviceList) {
    env_.link->StoreDeviceMode(index, bytes);
  } else {
    env_.link->StoreHintMode(index, bytes);
  }
}

void ModeControls::SysFactoryBtnClick(int k) {
  if (!env_.Online() || k < 0 || k >= static_cast<int>(kModeButtons.size())) return;
  const std::string name(kModeButtons[k]);
  auto* button = env_.Find<QPushButton>(name.c_str());
  if (button == nullptr) return;
  bool numbered = false;
  const int caption = button->text().toInt(&numbered);
  if (!numbered) {
    // "...": the full list is on the sheet "系统设定".
    if (auto* settings = env_.Find<QTabWidget>("AdvPageControl1")) settings->setCurrentIndex(1);
    return;
  }
  QComboBox* box = Box(kDeviceList);
  if (box == nullptr || caption < 1 || caption > box->count()) return;
  box->setCurrentIndex(caption - 1);
  SysModeBoxChange(kDeviceList);
  LoadClick(kDeviceList);
}

}  // namespace kdsp::ui
