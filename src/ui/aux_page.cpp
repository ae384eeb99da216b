#include "ui/aux_page.h"

#include <QEvent>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

#include "edit/translatable.h"
#include "model/control_lists.h"
#include "ui/band_strip.h"
#include "ui/control_factory.h"
#include "ui/system_widgets.h"

namespace kdsp::ui {

namespace {

/// Swallows the pointer and key input of the inner tab bar: the sheets are chosen only
/// through the tab buttons (the first one belongs to the hidden service access).
class InputSink : public QObject {
 public:
  explicit InputSink(QObject* parent) : QObject(parent) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::KeyPress:
        return true;
      default:
        return false;
    }
  }
};

QLabel* Title(QWidget* parent, const BiText& text, const QRect& geometry,
              const char* name = nullptr) {
  QLabel* label = MakeLabel(parent, text, geometry, name);
  label->setProperty("fieldTitle", true);
  return label;
}

QWidget* Boxed(QWidget* parent, const QRect& geometry, const char* name) {
  QWidget* frame = MakeFrame(parent, geometry, name);
  frame->setProperty("boxed", true);
  return frame;
}

void StartVolumes(QWidget* sheet, int x) {
  struct Row {
    BiText title;
    const char* bar;
    const char* pane;
  };
  const Row kRows[3] = {
      {{"音乐起始音量", "Initial music volume"}, "SysMusStartVolBar", "SysMusStartVolPane"},
      {{"话筒起始音量", "Initial mic volume"}, "SysMicStartVolBar", "SysMicStartVolPane"},
      {{"效果起始音量", "Initial effect volume"}, "SysEffStartVolBar", "SysEffStartVolPane"},
  };
  auto* frame = Boxed(sheet, QRect(x, 2, 228, 112), "AuxStartVolFrame");
  for (int i = 0; i < 3; ++i) {
    const int top = 4 + 36 * i;
    Title(frame, kRows[i].title, QRect(8, top, 210, 16));
    MakeTrackBar(frame, kRows[i].bar, Qt::Horizontal, QRect(8, top + 16, 168, 18));
    MakePane(frame, kRows[i].pane, QRect(182, top + 16, 38, 18))->setText("0");
  }
}

void PerModeVolume(QWidget* sheet, int x) {
  auto* group = MakeGroup(sheet, {"模式独立音量", "independent VOL"}, QRect(x, 114, 228, 110),
                          "AuxIndependentGroup");
  MakeButton(group, "SysVolRunBtn2", QRect(10, 20, 70, 22), QString::fromUtf8("启用"));
  MakeButton(group, "SysVolRunBtn1", QRect(86, 20, 70, 22), QString::fromUtf8("禁用"));
  auto* note = MakeLabel(group,
                         {"注：启用此功能后，每个模式的开机音量跟随该模式的起始音量；"
                          "建议保持禁用。",
                          "Note: Enable this function and each mode powers on with its own "
                          "start volumes; best left disabled."},
                         QRect(10, 46, 210, 58), "Label170");
  note->setWordWrap(true);
  note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  note->setProperty("note", true);
}

void EffectVolumes(QWidget* sheet, int x) {
  auto* frame = Boxed(sheet, QRect(x, 2, 206, 60), "AuxEffectVolFrame");
  Title(frame, {"话筒1效果音量", "MIC1 Effect Vol"}, QRect(6, 5, 104, 22));
  MakeEdit(frame, "MICAEffectEdit", QRect(112, 5, 60, 22));
  MakeSpin(frame, "MICAEffectSpinButtons", QRect(174, 5, 14, 22));
  Title(frame, {"话筒2效果音量", "MIC2 Effect Vol"}, QRect(6, 32, 104, 22));
  MakeEdit(frame, "MICBEffectEdit", QRect(112, 32, 60, 22));
  MakeSpin(frame, "MICBEffectEditSpinButtons", QRect(174, 32, 14, 22));
}

void BluetoothName(QWidget* sheet, int x) {
  auto* frame = Boxed(sheet, QRect(x, 66, 206, 56), "AuxBlueFrame");
  Title(frame, {"蓝牙名称更改", "Bluetooth Name Modify"}, QRect(6, 4, 194, 16), "BlueNameLabel");
  auto* edit = new QLineEdit(frame);
  edit->setObjectName("BlueNameEdit");
  edit->setGeometry(6, 24, 130, 22);
  LimitUtf8Bytes(edit, 20);
  // Not in the language table of the picture buttons: it keeps its second text itself.
  SetBiText(MakeButton(frame, "RzBmpButton5", QRect(142, 24, 58, 22)), {"确定", "OK"}, 1);
}

void Routing(QWidget* sheet, int x) {
  auto* frame = Boxed(sheet, QRect(x, 126, 206, 98), "AuxRoutingFrame");
  Title(frame, {"中置路由音量设置", "Center routing VOL settings"}, QRect(6, 4, 194, 16));
  MakeSelector(frame, "SysCenRoutingBox", QRect(6, 22, 194, 22));
  Title(frame, {"超低音路由音量设置", "Sub routing VOL settings"}, QRect(6, 50, 194, 16));
  MakeSelector(frame, "SysSubRoutingBox", QRect(6, 68, 194, 22));
}

QWidget* StartSheet(QWidget* parent) {
  auto* sheet = new QWidget(parent);
  sheet->setObjectName("AuxTabSheet1");
  BandStripLayout strip{21, 6, 6, "AUXEQGroupBox", "AUXPanScrollBar", BandLabelNames(6)};
  BuildBandStrip(sheet, strip, QPoint(2, 1));
  const int x = BandStripWidth(6) + 8;
  StartVolumes(sheet, x);
  PerModeVolume(sheet, x);
  EffectVolumes(sheet, x + 234);
  BluetoothName(sheet, x + 234);
  Routing(sheet, x + 234);
  return sheet;
}

/// One limit table (music or microphone): rows bass, middle, treble; columns maximum boost,
/// current gain (the band's second gain edit) and maximum cut.
void LimitTable(QWidget* sheet, const BiText& title, const char* channel, const QRect& geometry) {
  auto* group = MakeGroup(sheet, title, geometry, nullptr);
  const BiText kColumns[3] = {
      {"最大增益", "Max Lift"}, {"当前值", "current"}, {"最大衰减", "Max attenuation"}};
  const BiText kRows[3] = {{"低音", "BASS"}, {"中音", "MID"}, {"高音", "HIGH"}};
  const char* kRowNames[3] = {"Bass", "Mid", "High"};
  constexpr int kLabelWidth = 54;
  constexpr int kCell = 96;
  for (int c = 0; c < 3; ++c) {
    QLabel* head = Title(group, kColumns[c], QRect(kLabelWidth + c * kCell, 16, kCell - 6, 28));
    head->setAlignment(Qt::AlignCenter);
    head->setWordWrap(true);
  }
  for (int r = 0; r < 3; ++r) {
    const int top = 46 + 28 * r;
    Title(group, kRows[r], QRect(8, top, kLabelWidth - 10, 22));
    const QString prefix = QString("AUX") + channel;
    const std::string add = (prefix + kRowNames[r] + "MaxAddEdit").toStdString();
    const std::string gain = (prefix + "2GainEdit" + QString::number(r + 1)).toStdString();
    const std::string dec = (prefix + kRowNames[r] + "MaxDecEdit").toStdString();
    MakeEdit(group, add, QRect(kLabelWidth, top, kCell - 6, 22));
    MakeEdit(group, gain, QRect(kLabelWidth + kCell, top, kCell - 6, 22));
    MakeEdit(group, dec, QRect(kLabelWidth + 2 * kCell, top, kCell - 6, 22));
  }
}

void HintModeLoad(QWidget* sheet, const QRect& geometry) {
  auto* group = MakeGroup(sheet, {"调用模式", "Load Mode"}, geometry, "SysHintLoadGrop");
  auto* modes = new ParamSelector(group);
  modes->setObjectName("SysMode3Box");
  modes->setGeometry(10, 24, geometry.width() - 20, 22);
  modes->setFocusPolicy(Qt::NoFocus);
  for (int n = 1; n <= 22; ++n) modes->addItem(QString::number(n) + "-");
  modes->setCurrentIndex(-1);
  auto* name = new QLineEdit(group);
  name->setObjectName("PresetMode3Edit");
  name->setGeometry(10, 54, geometry.width() - 20, 22);
  LimitUtf8Bytes(name, 20);
  SetBiText(MakeButton(group, "SysLoad3ModeBtn", QRect(10, 88, geometry.width() - 20, 26)),
            {"调用设备模式", "Load Mode"}, 1);
}

QWidget* LimitSheet(QWidget* parent) {
  auto* sheet = new QWidget(parent);
  sheet->setObjectName("AuxTabSheet2");
  Title(sheet, {"增益步进", "Gain step"}, QRect(12, 10, 70, 22));
  MakeSelector(sheet, "AUXGainBox", QRect(84, 10, 90, 22));
  LimitTable(sheet, {"音乐", "Music"}, "MUS", QRect(8, 44, 348, 136));
  LimitTable(sheet, {"话筒", "MIC"}, "MIC", QRect(364, 44, 348, 136));
  HintModeLoad(sheet, QRect(720, 44, 180, 136));
  return sheet;
}

}  // namespace

QWidget* BuildAuxPage(QWidget* parent) {
  auto* sheet = new QWidget(parent);
  sheet->setObjectName("AdvTabSheet7_sur");
  auto* tabs = new QTabWidget(sheet);
  tabs->setObjectName("AuxPageCtrol");
  tabs->setTabPosition(QTabWidget::East);
  tabs->setDocumentMode(true);
  tabs->setGeometry(0, 0, 945, 226);
  QWidget* start = StartSheet(tabs);
  SetBiText(start, {"起始音量设置", "Max volume Set"}, 1);
  tabs->addTab(start, start->windowTitle());
  QWidget* limits = LimitSheet(tabs);
  SetBiText(limits, {"用户均衡限制", "User balance limit"}, 1);
  tabs->addTab(limits, limits->windowTitle());
  // The inner tabs show which sheet is open but take no clicks or keys.
  tabs->tabBar()->installEventFilter(new InputSink(tabs->tabBar()));
  tabs->installEventFilter(new InputSink(tabs));  // Ctrl+Tab from an edit of a sheet
  tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
  tabs->setFocusPolicy(Qt::NoFocus);
  tabs->setStyleSheet(
      "QTabBar::tab { padding: 4px 2px; font-size: 11px; }"
      "QTabWidget::pane { border: none; border-left: 2px solid #f39800; }");
  tabs->setUsesScrollButtons(false);
  tabs->setElideMode(Qt::ElideNone);
  tabs->setCurrentIndex(1);
  return sheet;
}

}  // namespace kdsp::ui
