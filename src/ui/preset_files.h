#pragma once

#include <array>
#include <string>
#include <vector>

#include <QObject>

#include "model/bi_text.h"
#include "presets/codec/preset_dirs.h"
#include "presets/codec/preset_kind.h"

class QLineEdit;

namespace kdsp::ui {

struct SystemEnv;
class PresetList;

/// The window side of the preset files: the two lists with their name tables, save with the
/// overwrite question, load with its question, checks and the download that follows while
/// online, delete from the mode-file list's menu, and the list click.
class PresetFiles : public QObject {
  Q_OBJECT
 public:
  explicit PresetFiles(SystemEnv& env, QObject* parent = nullptr);

  /// Uses these directories instead of the ones resolved at first show.
  void SetDirs(const PresetDirs& dirs);
  const PresetDirs& Dirs() const { return dirs_; }

  /// First show: resolves the directories (beside the executable when it is writable, else the
  /// user's data directory of the application), creates them and fills both lists.
  void FirstShow();
  /// Wires the lists, the buttons and the delete menu.
  void Connect();

  /// `ListPresetFiles`: refills the kind's list and name table; the name of the list's current
  /// row goes into the kind's file-name edit.
  void ListPresetFiles(PresetKind kind);
  /// The save button: the name typed in the kind's file-name edit.
  void SavePresetFile(PresetKind kind);
  /// The load button: asks, reads and checks the whole file, applies it and, online, starts
  /// the download.
  void LoadPresetFile(PresetKind kind);
  /// The menu item "刪除" of the mode-file list: the file of the current row, after asking.
  void DeleteCurrentModeFile();
  /// A click on row `row` of the kind's list.
  void ListClick(PresetKind kind, int row);

  const std::vector<std::string>& NameTable(PresetKind kind) const { return names_[Index(kind)]; }

 private:
  static int Index(PresetKind kind) { return kind == PresetKind::kMode ? 0 : 1; }
  PresetList* List(PresetKind kind) const;
  QLineEdit* FileEdit(PresetKind kind) const;
  void Inform(const BiText& text);

  SystemEnv& env_;
  PresetDirs dirs_;
  bool dirs_set_ = false;
  std::array<std::vector<std::string>, 2> names_;
};

}  // namespace kdsp::ui
