#include "ui/style.h"

namespace kdsp::ui {

QString ConsoleStyleSheet() {
  return QStringLiteral(R"(
QWidget { font-size: 12px; color: #404040; }
#TForm1 { background: #c8c8c8; }
#ClientArea, #MainArea, #FormPageItem, #FormPageItem > QWidget { background: white; }
#TitleStrip { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f7ad33, stop:1 #f39800); }
#TitleLabel { color: white; font-weight: bold; font-size: 13px; }
QPushButton[windowButton="true"] { color: white; background: transparent; border: none;
  font-size: 14px; }
QPushButton[windowButton="true"]:hover { background: rgba(255, 255, 255, 60); }
#RzBmpButton3:hover { background: #e04343; }
QPushButton[historyButton="true"] { font-size: 15px; font-weight: bold; border-radius: 3px; }
QPushButton[historyButton="true"]:disabled { color: rgba(255, 255, 255, 110); border: none;
  background: transparent; }
QPushButton[historyButton="true"]:checked { background: white; color: #f39800; }
#RzGroupBox17 { background: white; border-bottom: 2px solid #f39800; }
QPushButton[tabButton="true"] { color: #f39800; background: transparent; border: none;
  font-size: 13px; font-weight: bold; border-top-left-radius: 3px; border-top-right-radius: 3px; }
QPushButton[tabButton="true"][chosen="true"], QPushButton[tabButton="true"]:pressed {
  color: white; background: #f39800; }
#LinkLabel { font-weight: bold; }
QPushButton { background: white; color: #f39800; border: 1px solid #f39800; border-radius: 3px;
  padding: 0 4px; }
QPushButton:disabled { color: #b8b8b8; border-color: #d8d8d8; }
QPushButton[look="pressed"] { background: #f39800; color: white; }
QPushButton[look="released"] { background: white; color: #f39800; }
QPushButton[look="disabledlook"] { background: #eeeeee; color: #a0a0a0; border-color: #d0d0d0; }
QPushButton[look="normal"]:disabled, QPushButton[look="released"]:disabled {
  background: #f4f4f4; color: #b8b8b8; border-color: #d8d8d8; }
QPushButton[look="pressed"]:disabled { background: #d9d9d9; color: white; border-color: #d9d9d9; }
#AdvPanel1 { background: white; }
#AdvPanel2 { background: rgb(238, 238, 238); }
#EQPassLabel { color: #a0a0a0; font-size: 35px; font-weight: bold; background: transparent; }
QGroupBox { border: 1px solid #dcdcdc; border-radius: 4px; margin-top: 8px; padding-top: 4px;
  background: white; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: #f39800;
  font-weight: bold; }
QWidget[boxed="true"] { border: 1px solid #dcdcdc; border-radius: 4px; background: white; }
QWidget[bandStrip="true"] { border: 1px solid #dcdcdc; border-radius: 4px; background: #fbfbfb; }
QWidget[bandColumn="true"] { background: transparent; border-right: 1px solid #efefef; }
QLabel[rowTitle="true"] { color: #f39800; font-weight: bold; background: transparent; border: none; }
QLabel[fieldTitle="true"] { color: #606060; background: transparent; border: none; }
QLabel[bandNumber="true"] { color: #909090; background: transparent; border-radius: 2px;
  font-weight: bold; }
QLabel[bandNumber="true"][opaque="true"] { color: white; background: #f39800; }
kdsp--TypeLabel { background: rgb(128, 128, 128); color: white; border-radius: 2px;
  font-size: 10px; font-weight: bold; }
kdsp--TypeLabel[chosen="true"] { background: white; color: rgb(128, 128, 128);
  border: 1px solid rgb(128, 128, 128); }
kdsp--TypeLabel:disabled { background: #d4d4d4; color: #f4f4f4; }
kdsp--TypeLabel[chosen="true"]:disabled { background: #f4f4f4; color: #b8b8b8;
  border: 1px solid #d4d4d4; }
QLineEdit { border: 1px solid #d0d0d0; border-radius: 2px; background: white; padding: 0 2px;
  selection-background-color: #f39800; }
QLineEdit:focus { border-color: #f39800; }
QLineEdit:disabled { color: #b0b0b0; background: #f4f4f4; }
kdsp--ParamEdit { padding: 0; }
kdsp--StatusPane { border: 1px solid #e2e2e2; border-radius: 2px; background: #fafafa; }
QComboBox { border: 1px solid #d0d0d0; border-radius: 2px; padding: 1px 6px; background: white; }
QComboBox:focus, QComboBox:hover { border-color: #f39800; }
QComboBox::drop-down { border: none; width: 16px; }
QComboBox:disabled { color: #b0b0b0; background: #f4f4f4; border-color: #e0e0e0; }
QComboBox QAbstractItemView { selection-background-color: #f39800; selection-color: white; }
QSlider { background: transparent; }
QSlider::groove:horizontal { height: 4px; background: #dddddd; border-radius: 2px; margin: 0 2px; }
QSlider::sub-page:horizontal { height: 4px; background: #f39800; border-radius: 2px; }
QSlider::add-page:horizontal { height: 4px; background: #dddddd; border-radius: 2px; }
QSlider::handle:horizontal { width: 10px; height: 10px; margin: -5px 0; background: white;
  border: 2px solid #f39800; border-radius: 7px; }
QSlider::groove:vertical { width: 4px; background: #dddddd; border-radius: 2px; margin: 2px 0; }
QSlider::add-page:vertical { width: 4px; background: #f39800; border-radius: 2px; }
QSlider::sub-page:vertical { width: 4px; background: #dddddd; border-radius: 2px; }
QSlider::handle:vertical { width: 10px; height: 10px; margin: 0 -5px; background: white;
  border: 2px solid #f39800; border-radius: 7px; }
QSlider::handle:disabled { border-color: #c8c8c8; }
QSlider::sub-page:horizontal:disabled, QSlider::add-page:vertical:disabled { background: #cccccc; }
QSlider[thin="true"]::groove:horizontal { height: 3px; background: #ececec; }
QSlider[thin="true"]::sub-page:horizontal, QSlider[thin="true"]::add-page:horizontal {
  height: 3px; background: #ececec; }
QSlider[thin="true"]::handle:horizontal { width: 60px; height: 7px; margin: -2px 0;
  background: #f5b54a; border: none; border-radius: 3px; }
kdsp--SpinButtons QToolButton { border: 1px solid #d0d0d0; background: #f7f7f7; }
kdsp--SpinButtons QToolButton:pressed { background: #f39800; }
QTabWidget::pane { border: none; border-top: 2px solid #f39800; background: white; }
QTabBar::tab { color: #f39800; background: white; padding: 6px 14px; font-weight: bold;
  border: none; }
QTabBar::tab:selected { color: white; background: #f39800; }
#AdvPageControl1 { background: white; border-left: 1px solid #dcdcdc; }
)");
}

}  // namespace kdsp::ui
