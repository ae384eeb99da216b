// The settings sheet "主控界面".

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "edit/translatable.h"
#include "model/control_lists.h"
#include "ui/control_factory.h"
#include "ui/settings_sheets.h"
#include "ui/system_widgets.h"

namespace kdsp::ui {

namespace {

constexpr int kLeft = 6;
constexpr int kW = kSettingsGroupWidth;

struct NormalVolume {
  BiText title;
  const char* group;
  const char* bar;
  const char* pane;
  const char* max_marker;
  const char* start_marker;
  const char* value_label;
};

// The bar is placed so that its handle's centre at position p lies over the centre of a marker
// whose left edge stands at 1.89 x p + 53 (positions 0..84 give 53..212).
constexpr int kBarX = 48;
constexpr int kBarWidth = 177;
constexpr int kBarY = 32;
constexpr int kMarkerY = 50;
constexpr int kVolumeGroupHeight = 60;

void NormalVolumeGroup(QWidget* sheet, const NormalVolume& v, int y) {
  auto* group = MakeGroup(sheet, v.title, QRect(kLeft, y, kW, kVolumeGroupHeight), v.group);
  auto* pane = MakePane(group, v.pane, QRect(kW - 50, 14, 42, 18));
  pane->setText("0");
  MakeTrackBar(group, v.bar, Qt::Horizontal, QRect(kBarX, kBarY, kBarWidth, 20));
  auto* label = new QLabel(group);
  label->setObjectName(v.value_label);
  label->setGeometry(6, kBarY, 38, 20);
  label->setAlignment(Qt::AlignCenter);
  label->setProperty("markerValue", true);
  label->hide();
  for (const char* name : {v.start_marker, v.max_marker}) {
    auto* marker = new VolumeMarker(group);
    marker->setObjectName(name);
    marker->move(53, kMarkerY);
  }
  // The start markers exist for the coupling rules but are never shown.
  group->findChild<QWidget*>(v.start_marker)->hide();
}

void ModeButtonGroup(QWidget* sheet, int y) {
  auto* group = MakeGroup(sheet, {"调用模式：", "User mode setting："}, QRect(kLeft, y, kW, 52),
                          "SysModeBtnGroup");
  constexpr int kButton = 30;
  constexpr int kGap = 3;
  for (int k = 0; k < static_cast<int>(kModeButtons.size()); ++k) {
    const std::string_view name = kModeButtons[k];
    const QString caption = k < 6 ? QString::number(k + 1) : QStringLiteral("...");
    auto* button =
        MakeButton(group, name, QRect(8 + k * (kButton + kGap), 20, kButton, 24), caption);
    button->SetLook(PictureButton::Look::kDisabledLook);
  }
}

void PanelLockGroup(QWidget* sheet, int y) {
  auto* group = MakeGroup(sheet, {" 联机密码/键盘锁", "Key panel lock "}, QRect(kLeft, y, kW, 130),
                          "SysPanelLockGroup");
  MakeButton(group, "SysPanelBtn2", QRect(10, 20, 70, 24), QString::fromUtf8("启用"));
  MakeButton(group, "SysPanelBtn1", QRect(86, 20, 70, 24), QString::fromUtf8("禁用"));
  MakeLabel(group, {"密码修改", "Modify Auto Key Lock Password"}, QRect(10, 50, kW - 20, 16))
      ->setProperty("fieldTitle", true);
  MakeLabel(group, {"旧密码", "Old:"}, QRect(10, 70, 50, 22))->setProperty("fieldTitle", true);
  auto* old_password = new DigitEdit(group, 4, false);
  old_password->setObjectName("PassPanelLabel1");
  old_password->setGeometry(62, 70, 90, 22);
  MakeButton(group, "RzBmpButton22", QRect(160, 70, 74, 22), QString::fromUtf8("确定"));
  MakeLabel(group, {"新密码", "New:"}, QRect(10, 98, 50, 22))->setProperty("fieldTitle", true);
  auto* new_password = new DigitEdit(group, 4, true);
  new_password->setObjectName("NewPassLabel1");
  new_password->setGeometry(62, 98, 90, 22);
  new_password->setEnabled(false);
  MakeButton(group, "RzBmpButton23", QRect(160, 98, 74, 22), QString::fromUtf8("修改"));
}

void NetworkGroup(QWidget* sheet, int y) {
  auto* ip =
      MakeGroup(sheet, {"IP地址/端口：", "IP Address/Port:"}, QRect(kLeft, y, kW, 82), "IPGroup");
  auto* host = new QLineEdit(QStringLiteral("192.168.4.1"), ip);
  host->setObjectName("IPstrEdit");
  host->setGeometry(10, 24, kW - 90, 24);
  auto* port = new QLineEdit(QStringLiteral("8899"), ip);
  port->setObjectName("IPPortStrEdit");
  port->setGeometry(kW - 74, 24, 64, 24);
  // For boxes that cannot take a request as soon as they have answered the last.
  auto* paced = new QCheckBox(ip);
  paced->setObjectName("PacedLinkBox");
  paced->setGeometry(10, 54, kW - 20, 22);
  SetBiText(paced, {"稳定连接", "Paced link"}, 1);
}

/// The box's identification code, filled in by the link once the box has sent it.
void DeviceIdRow(QWidget* sheet, int y) {
  MakeLabel(sheet, {"设备管理码", "Device ID"}, QRect(kLeft + 10, y, 90, 22))
      ->setProperty("fieldTitle", true);
  auto* id = new QLabel(sheet);
  id->setObjectName("DeviceIDLabel");
  id->setGeometry(kLeft + 104, y, kW - 114, 22);
  id->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

}  // namespace

void BuildMainSettingSheet(QWidget* sheet) {
  const NormalVolume kNormal[3] = {
      {{"音乐音量", "Music Vol"},
       "SysMusVolGroup",
       "SysMusNormalVolBar",
       "SysMusNormalVolPane",
       "MusMaxImage",
       "MusStartImage",
       "musLabel"},
      {{"话筒音量", "Mic Vol"},
       "SysMicVolGroup",
       "SysMicNormalVolBar",
       "SysMicNormalVolPane",
       "MicMaxImage",
       "MicStartImage",
       "micLabel"},
      {{"效果音量", "Effect Vol"},
       "SysEffVolGroup",
       "SysEffNormalVolBar",
       "SysEffNormalVolPane",
       "EffMaxImage",
       "EffStartImage",
       "EffLabel"},
  };
  int y = 4;
  for (const NormalVolume& v : kNormal) {
    NormalVolumeGroup(sheet, v, y);
    y += kVolumeGroupHeight + 4;
  }
  ModeButtonGroup(sheet, y);
  PanelLockGroup(sheet, y + 56);
  NetworkGroup(sheet, y + 56 + 134);
  DeviceIdRow(sheet, y + 56 + 134 + 86);
}

}  // namespace kdsp::ui
