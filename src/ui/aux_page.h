#pragma once

#include <QWidget>

namespace kdsp::ui {

/// The auxiliary sheet `AdvTabSheet7_sur` with its inner page control `AuxPageCtrol` (tabs on
/// the right, switched only through the tab buttons): sheet 0 "起始音量设置" with the six user
/// tone bands, the start volumes, the per-mode start volume switch, the microphone effect
/// volumes, the Bluetooth name and the routing selectors; sheet 1 "用户均衡限制" with the gain
/// step, the boost and cut limits of the tone bands and the hint-mode load group.
QWidget* BuildAuxPage(QWidget* parent);

}  // namespace kdsp::ui
