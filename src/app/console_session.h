#pragma once

#include <memory>

#include "app/console_options.h"
#include "model/value_table.h"

namespace kdsp {
class LinkComponent;
namespace boxsim {
class BoxServerThread;
}
namespace ui {
class LinkBridge;
class LinkSystemAdapter;
class MainWindow;
class StatusPopup;
}  // namespace ui
}  // namespace kdsp

namespace kdsp::app {

/// Everything the console runs on, wired in start-up order: the emulated box (with --demo),
/// the value tables, the main window, the link component with its status popup, and the
/// system page's view of the link. The link is started; the window is not yet shown.
class ConsoleSession {
 public:
  explicit ConsoleSession(const ConsoleOptions& options);
  ~ConsoleSession();
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

  ui::MainWindow& Window() { return *window_; }

  /// Centres the window on the primary screen and shows it.
  void Show();

 private:
  /// The pace of the link: the system page's switch, or on for this run.
  void ApplyPacedSetting(bool paced_for_this_run);

  std::unique_ptr<boxsim::BoxServerThread> box_;
  ValueTable device_values_;
  ValueTable view_values_;
  std::unique_ptr<ui::MainWindow> window_;
  std::unique_ptr<ui::StatusPopup> popup_;
  std::unique_ptr<ui::LinkBridge> bridge_;
  std::unique_ptr<LinkComponent> link_;
  std::unique_ptr<ui::LinkSystemAdapter> system_link_;
};

}  // namespace kdsp::app
