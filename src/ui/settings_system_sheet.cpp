// The settings sheet "系统设定".

#include <QLineEdit>
#include <QMenu>

#include "ui/control_factory.h"
#include "ui/settings_sheets.h"
#include "ui/system_widgets.h"

namespace kdsp::ui {

namespace {

constexpr int kLeft = 6;
constexpr int kW = kSettingsGroupWidth;

struct MaxVolume {
  BiText title;
  const char* bar;
  const char* pane;
};

void MaxVolumeGroup(QWidget* sheet, int y) {
  const MaxVolume kMax[3] = {
      {{"音乐最大音量", "Max music volume "}, "SysMusMaxVolBar", "SysMusMaxVolPane"},
      {{"话筒最大音量", "Max mic volume "}, "SysMicMaxVolBar", "SysMicMaxVolPane"},
      {{"效果最大音量", "Max effect volume "}, "SysEffMaxVolBar", "SysEffMaxVolPane"},
  };
  constexpr int kRow = 44;
  auto* group = MakeGroup(sheet, {"最大音量设置", "Max volume Set"},
                          QRect(kLeft, y, kW, 24 + 3 * kRow), "SysMaxVolGroup");
  for (int i = 0; i < 3; ++i) {
    const int top = 22 + i * kRow;
    MakeLabel(group, kMax[i].title, QRect(10, top, kW - 20, 16))->setProperty("fieldTitle", true);
    MakeTrackBar(group, kMax[i].bar, Qt::Horizontal, QRect(10, top + 16, kW - 64, 22));
    MakePane(group, kMax[i].pane, QRect(kW - 50, top + 16, 40, 22))->setText("0");
  }
}

/// The device-mode list starts with the design-time items "1-" .. "22-"; the first refresh of
/// page 30 fills it with the sixteen modes of the box.
void AddDesignTimeModeItems(QComboBox* box) {
  for (int n = 1; n <= 22; ++n) box->addItem(QString::number(n) + "-");
  box->setCurrentIndex(-1);
}

void DeviceModeGroup(QWidget* sheet, int y) {
  auto* group = MakeGroup(sheet, {"保存 / 调用模式", "Load/Save Mode"}, QRect(kLeft, y, kW, 112),
                          "SysModeGroup");
  MakeLabel(group, {"模式", "Mode"}, QRect(10, 22, 44, 22))->setProperty("fieldTitle", true);
  auto* modes = MakeSelector(group, "SysModeBox", QRect(56, 22, kW - 66, 22));
  AddDesignTimeModeItems(modes);
  MakeLabel(group, {"名称", "Name"}, QRect(10, 50, 44, 22))->setProperty("fieldTitle", true);
  auto* name = new QLineEdit(group);
  name->setObjectName("PresetModeEdit");
  name->setGeometry(56, 50, kW - 66, 22);
  LimitUtf8Bytes(name, 20);
  MakeButton(group, "SysLoadModeBtn", QRect(10, 80, 108, 24), QString::fromUtf8("调用设备模式"));
  auto* save = MakeButton(group, "SysSaveModeBtn", QRect(126, 80, 108, 24),
                          QString::fromUtf8("保存设备模式"));
  save->setEnabled(false);
}

void ModeFileGroup(QWidget* sheet, int y) {
  auto* group =
      MakeGroup(sheet, {"模式名称", "Mode Name:"}, QRect(kLeft, y, kW, 256), "SysModeFileGroup");
  auto* list = new PresetList(group);
  list->setObjectName("ValueListEditor1");
  list->setGeometry(10, 22, kW - 20, 164);
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* menu = new QMenu(list);
  menu->setObjectName("PopupMenu1");
  auto* remove = menu->addAction(QString::fromUtf8("刪除"));
  remove->setObjectName("MenuItem1");
  auto* file_name = new QLineEdit(group);
  file_name->setObjectName("FileEdit");
  file_name->setGeometry(10, 192, kW - 20, 22);
  MakeButton(group, "RzBmpButton119", QRect(10, 222, 104, 24), QString::fromUtf8("上传数据到设备"));
  MakeButton(group, "RzBmpButton120", QRect(118, 222, 116, 24),
             QString::fromUtf8("保存数据到电脑"));
}

}  // namespace

void BuildSystemSettingSheet(QWidget* sheet) {
  MaxVolumeGroup(sheet, 4);
  DeviceModeGroup(sheet, 4 + 156 + 4);
  ModeFileGroup(sheet, 4 + 156 + 4 + 112 + 4);
}

}  // namespace kdsp::ui
