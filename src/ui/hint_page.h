#pragma once

#include <QWidget>

namespace kdsp::ui {

/// The hidden equaliser sheet `AdvTabSheet5_Center`: the sub-buttons `HintMusBtn`,
/// `HintMicABtn`, `HintMicBBtn`, `HintSysBtn`, the five band columns of view page 22 (the last
/// three in the frames `HintEQGroupBox3`..5, hidden for the music equaliser) and, over the
/// bands, the hint-mode group `HintModePage` with the hint modes and the EQ-file list.
QWidget* BuildHintPage(QWidget* parent);

}  // namespace kdsp::ui
