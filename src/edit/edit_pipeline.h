#pragma once

#include <QWidget>

#include "edit/binding_context.h"

namespace kdsp {

/// The single path by which a value is shown, stored and sent: `UpdateControl`, `WriteParam`,
/// `CommitEdit`, with the band highlight and the record of the last edit.
class EditPipeline {
 public:
  explicit EditPipeline(BindingContext& ctx) : ctx_(ctx) {}

  /// Shows x (raw units) in an edit, status pane or selector, clamped to its kind; stores it
  /// and, for a user edit (`display_only` false), writes it. `step` is 0, +1 or -1.
  void UpdateControl(QWidget* control, int step, bool display_only, double x);

  /// Stores one change at view address `a` in both tables and hands it to the link unless
  /// sending is suppressed or the link is offline.
  void WriteParam(ParamAddr a, int n);

  /// The device half of `WriteParam`: stores `n` at device address `d` and hands it to the link
  /// unless sending is suppressed or the link is offline. Undo, redo and A/B switches write
  /// device addresses through here.
  void WriteDevice(ParamAddr d, int n);

  /// Reads `CurrentEdit`'s text and passes it through `UpdateControl` as a user edit.
  void CommitEdit(int step);

  /// `MapToDevice` with its side effect on the music input gain edit: slot (0, 0) enables
  /// `MusGain1Edit` and `MusGain1UpDown` only while the input source is not automatic.
  ParamAddr ToDevice(ParamAddr view);

  /// Makes `edit` the current edit; when it was not current already, `SavedText` becomes its
  /// text, so a rejected entry only ever brings back the edit's own text. A value still typed
  /// into the edit that was current is committed to its own address first.
  void MakeCurrent(ParamEdit* edit);

  /// Commits a value typed into `CurrentEdit` but not yet entered, to the address the edit
  /// stands for now; run before anything changes what the shared edits show (a channel, a
  /// refresh, undo, A/B). Nothing is sent when the text is what the edit showed.
  void SettleEntry();

  /// Makes `edit` the current edit as a click on it does: wheel target, focus, saved text, and
  /// its text normalised with sending suppressed.
  void SelectEdit(ParamEdit* edit);

  /// Runs `fn` with `SendSuppressed` set, restoring the previous state afterwards.
  template <typename Fn>
  void Suppressed(Fn&& fn) {
    const bool before = ctx_.edit.send_suppressed;
    ctx_.edit.send_suppressed = true;
    fn();
    ctx_.edit.send_suppressed = before;
  }

  /// Moves a trackbar without running its change handler's work (`SettingControl`).
  void SetTrackbarQuietly(QWidget* trackbar, int position);

  /// The graph timer's band-change check: redraws the band of a new `LastEdit`.
  void BandChangeCheck();

  /// Scrolls the band strip of the current channel so that band `band` is visible.
  void ScrollToBand(int group, int band);

 private:
  void HighlightBand(int group, ParamAddr a, QWidget* control);
  bool IsShelf(ParamAddr a) const;
  int HoldInsideUserLimits(ParamAddr a, int v) const;
  /// Tells the undo recorder that the user changes device address `d` to `n`.
  void Record(ParamAddr d, int n);

  BindingContext& ctx_;
};

}  // namespace kdsp
