#include "ui/settings_column.h"

#include <QLineEdit>

#include "edit/translatable.h"
#include "ui/settings_sheets.h"

namespace kdsp::ui {

namespace {

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
  BuildMainSettingSheet(Sheet(this, "AdvTabSheet_MainSetting", {"主控界面", "Main Setting"}));
  BuildSystemSettingSheet(Sheet(this, "AdvTabSheet_System", {"系统设定", "System setting"}));
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
