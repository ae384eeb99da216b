#pragma once

#include <QWidget>

#include "model/binding/binding_context.h"
#include "model/binding/edit_handlers.h"
#include "model/binding/edit_pipeline.h"

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

 private:
  void RebindViews();
  void RefreshControls(int view_page);
  void RefreshRightChannel();
  void RefreshSyncAndModes();
  void RefreshBypass();
  void RefreshSystemPage();
  void RefreshModeLists();
  void RefreshInputSelector();
  void RefreshModeButtons();
  void LockIfRequired();
  bool OutputBase(int* base) const;

  BindingContext& ctx_;
  EditPipeline& pipeline_;
  EditHandlers& handlers_;
  ChannelOps* ops_ = nullptr;
};

}  // namespace kdsp
