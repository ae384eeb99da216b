#pragma once

class QMenu;
class QWidget;

namespace kdsp {

class SpectrumDisplay;

/// The spectrum button's context menu in the interface language: the input, averaging, peak
/// hold, and the pink-noise test signal with its output and level. Each entry shows the
/// current choice and hands a new one to `display`. The menu deletes itself when closed.
QMenu* BuildSpectrumMenu(SpectrumDisplay& display, int ui_language, QWidget* parent);

}  // namespace kdsp
