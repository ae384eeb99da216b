#pragma once

#include <array>
#include <vector>

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

#include "model/param_addr.h"
#include "model/slot_map.h"

namespace kdsp {

class ParamEdit;

/// View page x slot -> the controls of that parameter, in three layers, plus the button and
/// label lists kept beside it. Controls are owned by the window; a cell holds nullptr when the
/// window has no such control (a page not built, or a slot without control).
class ControlRegistry {
 public:
  static constexpr int kExtras = 4;

  ControlRegistry();

  /// Finds every control of the slot maps and lists under `root` by its object name. Names the
  /// window does not have leave their cells empty.
  void Bind(QWidget& root);

  /// Gives every registered control the address of its cell (last cell wins for controls
  /// registered in several), type labels their type as Hint. Pages 0..30, slots below the
  /// page's length.
  void AssignTags();

  QWidget* Primary(ParamAddr a) const;
  QWidget* Display(ParamAddr a) const;
  QWidget* Extra(ParamAddr a, int k) const;
  /// The slot map's class of the primary control of a cell (kNone for an empty cell).
  ControlClass PrimaryClass(ParamAddr a) const;
  void SetPrimary(ParamAddr a, QWidget* w);
  void SetDisplay(ParamAddr a, QWidget* w);

  /// The hidden placeholder edit standing for "no edit"; never null after Bind (a private one
  /// is made when the window has none).
  ParamEdit* Example() const { return example_; }

  /// Channel tabs by Tag 0..14, effect sub-tabs, hidden-page buttons, sync buttons by state,
  /// scene buttons by SceneMode, output-mode buttons by OutputMode, mode buttons 1..7.
  const std::array<QAbstractButton*, 15>& ChannelTabs() const { return channel_tabs_; }
  const std::vector<QAbstractButton*>& EffectSubTabs() const { return effect_sub_tabs_; }
  const std::vector<QAbstractButton*>& HiddenPageButtons() const { return hidden_buttons_; }
  const std::vector<QAbstractButton*>& SyncButtons() const { return sync_buttons_; }
  const std::vector<QAbstractButton*>& SceneButtons() const { return scene_buttons_; }
  const std::vector<QAbstractButton*>& OutputModeButtons() const { return output_mode_buttons_; }
  const std::vector<QAbstractButton*>& ModeButtons() const { return mode_buttons_; }

  /// Band-number labels to highlight for a group (the reverb labels for group 2 while the
  /// effect page is 4); entries may be null for labels the window does not have.
  std::vector<QLabel*> BandLabels(int group, int effect_page) const;

  /// A control by object name under the bound root, or nullptr.
  template <typename T>
  T* Find(const char* name) const {
    return root_ ? root_->findChild<T*>(QString::fromLatin1(name)) : nullptr;
  }

 private:
  using Layer = std::array<std::array<QWidget*, 165>, kPageCount>;
  static bool InRange(ParamAddr a);

  QWidget* root_ = nullptr;
  Layer primary_{};
  Layer display_{};
  std::array<std::array<ControlClass, 165>, kPageCount> primary_class_{};
  std::array<Layer, kExtras> extras_{};
  ParamEdit* example_ = nullptr;
  std::array<QAbstractButton*, 15> channel_tabs_{};
  std::vector<QAbstractButton*> effect_sub_tabs_, hidden_buttons_, sync_buttons_, scene_buttons_,
      output_mode_buttons_, mode_buttons_;
  std::array<std::vector<QLabel*>, 8> band_labels_;
  std::vector<QLabel*> reverb_labels_;
};

}  // namespace kdsp
