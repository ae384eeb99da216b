#pragma once

#include <functional>

#include <QComboBox>
#include <QWidget>

#include "edit/binding_context.h"
#include "edit/edit_handlers.h"
#include "edit/edit_pipeline.h"

namespace kdsp {

class ChannelOps;

/// Builds the control registry and brings the controls of a view page (or all, 100) up to date
/// with the value tables.
class PageRefresh {
 public:
  static constexpr int kAllPages = 100;

  PageRefresh(BindingContext& ctx, EditPipeline& pipeline, EditHandlers& handlers)
      : ctx_(ctx), pipeline_(pipeline), handlers_(handlers) {}
  void SetChannelOps(ChannelOps* ops) { ops_ = ops; }

  /// Binds every control under `root`, gives each its address, zeroes the pages in use and
  /// gives `DeviceValues` its start-up contents. Run once, before anything is read from the box.
  void BuildRegistry(QWidget& root);

  /// `RefreshPage`: view page `page` or 100 for every view page. Sends nothing.
  void RefreshPage(int page);

  /// The two-state pairs `SysPanelBtn1`/`SysPanelBtn2` and `SysVolRunBtn1`/`SysVolRunBtn2`:
  /// the clicked one shown pressed, the other with its disabled look, its state written.
  void SysMusInputLevelClick(QAbstractButton* clicked);

  /// The change handler of a mode list (`SysModeBox`, `SysMode2Box`, `SysMode3Box`), run by a
  /// refresh after it has filled the list and selected the current mode.
  void SetModeListHandler(std::function<void(QComboBox* list)> handler) {
    mode_list_handler_ = std::move(handler);
  }

  /// The quick-recall buttons drawn for the current device mode: the button of modes 1..6
  /// pressed, the others with their disabled look; the seventh shows "..." below mode 7, else
  /// the mode's number pressed.
  void RefreshModeButtons();

 private:
  void RebindViews();
  void RefreshControls(int view_page);
  void RefreshRightChannel();
  void RefreshSyncAndModes();
  void RefreshBypass();
  void RefreshSystemPage();
  void RefreshModeLists();
  void RefreshInputSelector();
  void LockIfRequired();
  bool OutputBase(int* base) const;

  BindingContext& ctx_;
  EditPipeline& pipeline_;
  EditHandlers& handlers_;
  ChannelOps* ops_ = nullptr;
  std::function<void(QComboBox*)> mode_list_handler_;
};

}  // namespace kdsp
