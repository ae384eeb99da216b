#pragma once

class QWidget;

namespace kdsp::ui {

/// Tooltips of the undo, redo and A/B buttons of the title strip, and of the device-mode
/// recall buttons (a recall cannot be undone), in language `lang` (1 Chinese, 0 English).
void ApplyHistoryTexts(QWidget& window, int lang);

}  // namespace kdsp::ui
