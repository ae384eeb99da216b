#pragma once

#include <QString>

namespace kdsp::ui {

/// The console's flat look: white pages, orange accents RGB(243,152,0), grey frames.
QString ConsoleStyleSheet();

}  // namespace kdsp::ui
