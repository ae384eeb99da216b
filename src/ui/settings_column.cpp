#include "ui/settings_column.h"

#include <QLineEdit>

#include "model/binding/translatable.h"
#include "ui/control_factory.h"

namespace kdsp::ui {

namespace {

constexpr int kGroupWidth = kdsp::ui::SettingsColumn::kWidth - 16;

struct VolumeRow {
  BiText title;
  const char* bar;
  const char* pane;
};

void VolumeGroup(QWidget* sheet, const BiText& title, int y, const VolumeRow* rows, int count,
                 bool row_titles) {
  const int row_height = row_titles ? 44 : 30;
  auto* group = MakeGroup(sheet, title, QRect(6, y, kGroupWidth, 24 + count * row_height));
  for (int i = 0; i < count; ++i) {
    int top = 22 + i * row_height;
    if (row_titles) {
      MakeLabel(group, rows[i].title, QRect(10, top, kGroupWidth - 20, 16))
          ->setProperty("fieldTitle", true);
      top += 16;
    }
    MakeTrackBar(group, rows[i].bar, Qt::Horizontal, QRect(10, top, kGroupWidth - 64, 22));
    auto* pane = MakePane(group, rows[i].pane, QRect(kGroupWidth - 50, top, 40, 22));
    pane->setText("0");
  }
}

QWidget* Sheet(QTabWidget* tabs, const char* name, const BiText& title) {
  auto* sheet = new QWidget(tabs);
  sheet->setObjectName(name);
  SetBiText(sheet, title, 1);
  tabs->addTab(sheet, sheet->windowTitle());
  return sheet;
}

}  // namespace

SettingsColumn::SettingsColumn(QWidget* parent) : QTabWidget(parent) {
  setObjectName("AdvPageControl1");
  setDocumentMode(true);

  auto* main_sheet = Sheet(this, "AdvTabSheet_MainSetting", {"主控界面", "Main Setting"});
  const VolumeRow kNormal[3] = {
      {{"音乐音量", "Music Vol"}, "SysMusNormalVolBar", "SysMusNormalVolPane"},
      {{"话筒音量", "Mic Vol"}, "SysMicNormalVolBar", "SysMicNormalVolPane"},
      {{"效果音量", "Effect Vol"}, "SysEffNormalVolBar", "SysEffNormalVolPane"},
  };
  for (int i = 0; i < 3; ++i)
    VolumeGroup(main_sheet, kNormal[i].title, 6 + 60 * i, &kNormal[i], 1, false);

  auto* ip = MakeGroup(main_sheet, {"IP地址/端口：", "IP Address/Port:"},
                       QRect(6, 190, kGroupWidth, 58), "IPGroup");
  auto* host = new QLineEdit(QStringLiteral("192.168.4.1"), ip);
  host->setObjectName("IPstrEdit");
  host->setGeometry(10, 24, kGroupWidth - 90, 24);
  auto* port = new QLineEdit(QStringLiteral("8899"), ip);
  port->setObjectName("IPPortStrEdit");
  port->setGeometry(kGroupWidth - 74, 24, 64, 24);

  auto* system_sheet = Sheet(this, "AdvTabSheet_System", {"系统设定", "System setting"});
  const VolumeRow kMax[3] = {
      {{"音乐最大音量", "Max music volume "}, "SysMusMaxVolBar", "SysMusMaxVolPane"},
      {{"话筒最大音量", "Max mic volume "}, "SysMicMaxVolBar", "SysMicMaxVolPane"},
      {{"效果最大音量", "Max effect volume "}, "SysEffMaxVolBar", "SysEffMaxVolPane"},
  };
  VolumeGroup(system_sheet, {"最大音量设置", "Max volume Set"}, 6, kMax, 3, true);
}

void SettingsColumn::SetNetworkAddress(const QString& host, const QString& port) {
  if (auto* h = findChild<QLineEdit*>("IPstrEdit"); h != nullptr && !host.isEmpty()) {
    h->setText(host);
  }
  if (auto* p = findChild<QLineEdit*>("IPPortStrEdit"); p != nullptr && !port.isEmpty()) {
    p->setText(port);
  }
}

}  // namespace kdsp::ui
