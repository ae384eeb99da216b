#pragma once

namespace kdsp::ui {

/// The application title: caption of plain message dialogs.
inline constexpr char kAppTitle[] = "KaraoKe Digital Signal Processor";
/// The text of the title strip.
inline constexpr char kWindowTitle[] = "KaraoKe Digital Signal Processor 1.1.3";

}  // namespace kdsp::ui
