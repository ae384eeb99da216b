#pragma once

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <QObject>
#include <QUndoStack>

#include "edit/binding_context.h"
#include "edit/edit_pipeline.h"
#include "edit/edit_recorder.h"
#include "edit/edit_step.h"

namespace kdsp {

class ChannelOps;
class PageRefresh;

/// Undo and redo of the user's changes. The recorder turns the edit path's changes into steps
/// on a `QUndoStack`; undoing or redoing a step hands its device values back to the edit path
/// (the device half of `WriteParam`, so the box receives them) or, for a preset load, stores
/// them and downloads the pages as a load does; every page is then refreshed from the tables.
/// Two stacks exist while an A/B comparison runs, one per setting; the shown one is active.
class EditHistory : public QObject {
  Q_OBJECT
 public:
  EditHistory(BindingContext& ctx, EditPipeline& pipeline, PageRefresh& refresh,
              ChannelOps& channels, QObject* parent = nullptr);
  ~EditHistory() override;

  EditRecorder& Recorder() { return recorder_; }
  /// Starts the download of whole pages after a preset step was applied while online.
  void SetDownload(std::function<void(StepReload)> download) { download_ = std::move(download); }

  void Undo();
  void Redo();
  /// Commits a value typed but not entered yet, as its own step.
  void SettleEntry() { pipeline_.SettleEntry(); }
  bool CanUndo() const { return Stack().canUndo(); }
  bool CanRedo() const { return Stack().canRedo(); }
  /// The stack of the setting shown.
  const QUndoStack& Stack() const { return *stacks_[active_]; }

  /// A full read from the box: every stack is emptied and a comparison ends.
  void Clear();

  /// Writes device values in address order through the edit path with recording paused, then
  /// refreshes every page. A reload stores them only and, online, downloads the pages.
  void ApplyValues(const std::vector<std::pair<ParamAddr, int>>& values, StepReload reload);

  /// A comparison begins: the history so far stays with the setting edited on (B) and a copy
  /// of its undo steps goes to the other (A).
  void SplitForComparison();
  /// The stack of setting `setting` (0 A, 1 B) becomes the active one.
  void UseSetting(int setting);
  /// A comparison ends: only the stack of the setting shown remains.
  void DropOtherSetting();

 signals:
  /// Undo or redo became possible or impossible, or the stacks changed.
  void Changed();
  /// A step replaced whole pages (a preset load) or the stacks were cleared by a full read:
  /// a comparison ends.
  void PagesReplaced();

 private:
  void Push(EditStep step);
  void ApplyStep(const EditStep& step, bool before);
  std::unique_ptr<QUndoStack> NewStack();
  QUndoStack& ActiveStack() { return *stacks_[active_]; }

  BindingContext& ctx_;
  EditPipeline& pipeline_;
  PageRefresh& refresh_;
  ChannelOps& channels_;
  EditRecorder recorder_;
  std::function<void(StepReload)> download_;
  std::array<std::unique_ptr<QUndoStack>, 2> stacks_;
  int active_ = 0;
};

}  // namespace kdsp
