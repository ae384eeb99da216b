#pragma once

#include <QWidget>

namespace kdsp::ui {

/// The Output sheet `AdvTabSheet4_Main`, shared by every output: ten band columns at the left,
/// then the mix levels, the limiter over the filters, and the column of mutes, delays and
/// output volume. Which output it shows and its channel texts are set by the channel choice.
QWidget* BuildOutputPage(QWidget* parent);

}  // namespace kdsp::ui
