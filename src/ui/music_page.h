#pragma once

#include <QWidget>

namespace kdsp::ui {

/// The Music sheet `AdvTabSheet1_mus`: ten band columns at the left, the input block (source,
/// input gain, key) and the high-pass and low-pass block at the right.
QWidget* BuildMusicPage(QWidget* parent);

}  // namespace kdsp::ui
