#pragma once

#include <QWidget>

namespace kdsp::ui {

/// Width of the groups of the settings column.
inline constexpr int kSettingsGroupWidth = 244;

/// The sheet "主控界面": the three normal volumes with their maximum markers, the quick-recall
/// mode buttons, the front-panel lock with its password change and the network address.
void BuildMainSettingSheet(QWidget* sheet);

/// The sheet "系统设定": the three maximum volumes, the device modes and the mode-file list.
void BuildSystemSettingSheet(QWidget* sheet);

}  // namespace kdsp::ui
