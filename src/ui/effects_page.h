#pragma once

#include <QWidget>

namespace kdsp::ui {

/// The Effects sheet `AdvTabSheet3_Eff`: the column of effect sub-tab buttons at the left and
/// the page control `EffPageControl` with the echo and the reverb sub-pages.
QWidget* BuildEffectsPage(QWidget* parent);

}  // namespace kdsp::ui
