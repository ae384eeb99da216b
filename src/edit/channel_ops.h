#pragma once

#include <QAbstractButton>
#include <QObject>

#include "edit/binding_context.h"
#include "edit/edit_pipeline.h"

namespace kdsp {

class PageRefresh;

/// Choosing the channel the window shows, and the operations that act on a whole channel:
/// microphone sync, equaliser reset and bypass, output mode and scene.
class ChannelOps : public QObject {
  Q_OBJECT
 public:
  ChannelOps(BindingContext& ctx, EditPipeline& pipeline, PageRefresh& refresh,
             QObject* parent = nullptr);

  /// Wires the tab buttons, sub-tabs, sync, reset, bypass, output-mode and scene buttons.
  void Connect();

  /// Tab look, selection, view address and the channel texts for tab `tab` (0..14).
  void SelectChannel(int tab);
  /// The channel tab handler shared by all fifteen tab buttons.
  void FormMusTabBtnClick(int tab);
  /// Effect sub-tabs by Tag: 0 and 1 echo, 2 reverb.
  void EchoAToolButtonClick(int tag);
  /// Hidden-page sub-buttons by Tag: music, microphone 1, microphone 2, system.
  void HintMusBtnClick(int tag);
  /// Microphone sync buttons by Tag: 0 `LeftBtn`, 1 `SameBtn`, 2 `RightBtn`.
  void SameBtnClick(int s);
  /// Resets the equaliser of view page `page` (or of every page for 100).
  void ResetEqualiser(int page);
  void EQResetBtnClick();
  /// Flips the equaliser bypass of the page `MusEQAllpassBtn` addresses.
  void MusEQAllpassBtnClick();
  /// 0 automatic (`AutoModeBtn`), 1 manual (`ManulModeBtn`).
  void AutoModeBtnClick(int state);
  /// 0 sing (`SingModeBtn`), 1 dance (`DiscoModeBtn`).
  void SingModeBtnClick(int state);

  /// The reset button is enabled only while the page's bypass is off and its group enabled.
  void ApplyResetButtonRule();
  /// Orange, or grey for the output page in automatic output mode.
  void ApplyCurveColour();

  /// Chosen button opaque with white text, the others transparent with orange text.
  static void ApplyTabLook(const std::vector<QAbstractButton*>& buttons, QAbstractButton* chosen);

 private:
  void ShowPair(const std::vector<QAbstractButton*>& pair, int chosen);
  void EnableOutputControls(bool enabled);
  void SetChannelTexts(int tab);
  void ApplyVisibility(int tab);
  void RedrawAll();
  void RedrawSelected();
  std::vector<QAbstractButton*> TabList() const;

  BindingContext& ctx_;
  EditPipeline& pipeline_;
  PageRefresh& refresh_;
};

}  // namespace kdsp
