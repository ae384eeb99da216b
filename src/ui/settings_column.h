#pragma once

#include <QTabWidget>

namespace kdsp::ui {

/// The 260-pixel settings column: the page control `AdvPageControl1` with its sheets
/// "主控界面" (normal volumes, network address) and "系统设定" (maximum volumes). The mode,
/// lock and file groups of these sheets belong to the system page.
class SettingsColumn : public QTabWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 260;
  explicit SettingsColumn(QWidget* parent);

  /// Prefills the network address fields (from the command line).
  void SetNetworkAddress(const QString& host, const QString& port);
};

}  // namespace kdsp::ui
