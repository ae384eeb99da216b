#pragma once

#include <QTabWidget>

namespace kdsp::ui {

/// The 260-pixel settings column: the page control `AdvPageControl1` with its sheets
/// "主控界面" (normal volumes, quick-recall modes, front-panel lock, network address) and
/// "系统设定" (maximum volumes, device modes, mode files).
class SettingsColumn : public QTabWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 260;
  explicit SettingsColumn(QWidget* parent);

  /// Prefills the network address fields (from the command line).
  void SetNetworkAddress(const QString& host, const QString& port);
};

}  // namespace kdsp::ui
