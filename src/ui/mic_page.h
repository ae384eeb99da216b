#pragma once

#include <QWidget>

namespace kdsp::ui {

/// The Microphone sheet `AdvTabSheet2_mic`, shared by both microphones: twenty band columns at
/// the left, then input level and feedback over the limiter frame, then the noise-gate frame
/// over the high-pass and low-pass block.
QWidget* BuildMicPage(QWidget* parent);

}  // namespace kdsp::ui
