#pragma once

#include <QObject>

class QComboBox;

namespace kdsp::ui {

struct SystemEnv;

/// The window side of the modes stored in the box: the three mode lists with their name edits,
/// load and save with their questions, and the quick-recall buttons.
class ModeControls : public QObject {
  Q_OBJECT
 public:
  /// The lists: device modes (`SysModeBox`), hint modes on the hidden equaliser page
  /// (`SysMode2Box`) and on the auxiliary page (`SysMode3Box`).
  enum ListId { kDeviceList = 0, kHintList = 1, kHintLoadList = 2 };

  explicit ModeControls(SystemEnv& env, QObject* parent = nullptr);

  /// Wires the lists, the load and save buttons and the quick-recall buttons.
  void Connect();

  /// `SysModeBoxChange` and its two siblings: the chosen item's name into the list's edit.
  void SysModeBoxChange(ListId list);
  /// The same for the list object itself (the page refresh names the list it filled).
  void ModeListFilled(QComboBox* list);
  /// `SysLoadModeBtn`, `SysLoad2ModeBtn`, `SysLoad3ModeBtn`.
  void LoadClick(ListId list);
  /// `SysSaveModeBtn`, `SysSave2ModeBtn`.
  void SaveClick(ListId list);
  /// `SysFactoryBtnClick` for button k (0..6).
  void SysFactoryBtnClick(int k);

 private:
  QComboBox* Box(ListId list) const;

  SystemEnv& env_;
};

}  // namespace kdsp::ui
