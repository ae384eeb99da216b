#pragma once

#include <QObject>
#include <QSet>

class QAbstractButton;

#include "edit/binding_context.h"
#include "edit/edit_pipeline.h"

namespace kdsp {

/// The handlers of edits, keys, the wheel, spin buttons, trackbars, selectors, type labels and
/// switches. Each serves every control of its kind and is named after the first control wired
/// to it. `Connect` wires the controls the registry found.
class EditHandlers : public QObject {
  Q_OBJECT
 public:
  EditHandlers(BindingContext& ctx, EditPipeline& pipeline, QObject* parent = nullptr);

  /// Wires every registered control of the slot maps to its handler (once per control).
  void Connect();

  // Edits.
  void MusFreEdit1Click(ParamEdit* edit);
  /// Delete, cut or paste changed an edit's text: it becomes `CurrentEdit`, its text before the
  /// change being its `SavedText`.
  void EditChangedByKey(ParamEdit* edit, const QString& before);
  void MusFreEdit1KeyPress(ParamEdit* edit, QChar ch);
  /// Returns true when the key was acted on (arrow keys of a current edit).
  bool MusFreEdit1KeyDown(ParamEdit* edit, int key);
  void MusFreEdit1Exit();
  /// The wheel over the window; true when it stepped the current edit.
  bool FormMouseWheel(int delta);

  // Spin buttons.
  void MusFreUpDownBtn1DownLeftClick(SpinButtons* spin);
  void MusFreUpDownBtn1UpRightClick(SpinButtons* spin);

  // Trackbars.
  void MicHPFreBarChange(ParamTrackBar* bar);
  void MusEQGainBar1Change(ParamTrackBar* bar);

  // Selectors and type labels.
  void MusModeBox1Change(ParamSelector* box, int item);
  void MusPEQtn1Click(TypeLabel* label);
  void MainHPTypeBoxChange(ParamSelector* box, int item);
  void SysInputBoxChange(ParamSelector* box, int item);

  // Switches.
  void EchoEffPhaseBtnClick(PictureButton* button);
  void MainLmuteBtnClick(PictureButton* button);

  /// Highlights type label `item` (0..3) of the band type slot `a`, the others plain.
  void ShowTypeLabel(ParamAddr a, int item);
  /// Caption and hint of `InputLabel` for an input source, caption in the current language.
  void ShowInputLabel(int input_source);

  /// A mouse gesture on a control begins or ends: what it changes is one undo step.
  void GestureBegins();
  void GestureEnds();
  /// A key, a wheel notch or a choice arrives: the undo step before it ends.
  void NewInput();

 private:
  void WireGesture(QAbstractButton* button);
  void Step(SpinButtons* spin, int step);
  template <typename W, typename Fn>
  void Once(W* w, Fn&& connect_fn);

  BindingContext& ctx_;
  EditPipeline& pipeline_;
  QSet<QObject*> connected_;
  QSet<QObject*> gestures_;
};

}  // namespace kdsp
