#include "ui/hint_page.h"

#include <QLineEdit>
#include <QPushButton>

#include "edit/translatable.h"
#include "model/control_lists.h"
#include "ui/band_strip.h"
#include "ui/control_factory.h"
#include "ui/system_widgets.h"

namespace kdsp::ui {

namespace {

constexpr int kStripX = 84;

void SubButtons(QWidget* sheet) {
  for (int i = 0; i < static_cast<int>(kHiddenPageButtons.size()); ++i) {
    const NamedButton& b = kHiddenPageButtons[i];
    auto* button = new QPushButton(sheet);
    button->setObjectName(QString::fromUtf8(b.name.data(), b.name.size()));
    button->setProperty("tabButton", true);
    button->setProperty("chosen", i == 0);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(4, 6 + 34 * i, 74, 30);
    SetBiText(button, b.caption, 1);
  }
}

void HintModeGroup(QWidget* page) {
  auto* group = MakeGroup(page, {"保存 / 调用模式", "Load/Save Mode"}, QRect(8, 2, 300, 136),
                          "HintModeGroup");
  MakeLabel(group, {"模式", "Mode"}, QRect(10, 24, 50, 22))->setProperty("fieldTitle", true);
  auto* modes = MakeSelector(group, "SysMode2Box", QRect(62, 24, 228, 22));
  for (int n = 1; n <= 22; ++n) modes->addItem(QString::number(n) + "-");
  modes->setCurrentIndex(-1);
  MakeLabel(group, {"名称", "Name"}, QRect(10, 54, 50, 22))->setProperty("fieldTitle", true);
  auto* name = new QLineEdit(group);
  name->setObjectName("PresetMode2Edit");
  name->setGeometry(62, 54, 228, 22);
  LimitUtf8Bytes(name, 20);
  MakeButton(group, "SysLoad2ModeBtn", QRect(62, 90, 110, 26), QString::fromUtf8("调用设备模式"));
  auto* save = MakeButton(group, "SysSave2ModeBtn", QRect(180, 90, 110, 26),
                          QString::fromUtf8("保存设备模式"));
  save->setEnabled(false);
}

void EqFileGroup(QWidget* page) {
  auto* group = MakeFrame(page, QRect(316, 10, 530, 208), "HintFileGroup");
  group->setProperty("boxed", true);
  auto* list = new PresetList(group);
  list->setObjectName("ValueListEditor2");
  list->setGeometry(10, 10, 300, 188);
  MakeLabel(group, {"模式名称", "Mode Name:"}, QRect(322, 12, 198, 18))
      ->setProperty("fieldTitle", true);
  auto* file_name = new QLineEdit(group);
  file_name->setObjectName("FileEdit2");
  file_name->setGeometry(322, 32, 198, 22);
  MakeButton(group, "HintLoadPCBtn", QRect(322, 66, 198, 26), QString::fromUtf8("上传数据到设备"));
  MakeButton(group, "HintSavetoPCBtn", QRect(322, 98, 198, 26),
             QString::fromUtf8("保存数据到电脑"));
}

}  // namespace

QWidget* BuildHintPage(QWidget* parent) {
  auto* sheet = new QWidget(parent);
  sheet->setObjectName("AdvTabSheet5_Center");
  SubButtons(sheet);

  BandStripLayout strip{22, 5, 5, "HintEQGroupBox", "HintPanScrollBar", BandLabelNames(4)};
  BuildBandStrip(sheet, strip, QPoint(kStripX, 2));
  // The columns of bands 3..5 are the frames the music equaliser hides.
  for (int band = 3; band <= 5; ++band) {
    auto* freq = sheet->findChild<QWidget*>(QString("HintFreEdit%1").arg(band));
    if (freq == nullptr || freq->parentWidget() == nullptr) continue;
    freq->parentWidget()->setObjectName(QString("HintEQGroupBox%1").arg(band));
    freq->parentWidget()->hide();
  }

  auto* modes = MakeFrame(sheet, QRect(kStripX, 2, 945 - kStripX - 6, 222), "HintModePage");
  modes->setProperty("boxed", true);
  HintModeGroup(modes);
  EqFileGroup(modes);
  modes->hide();
  return sheet;
}

}  // namespace kdsp::ui
