#pragma once

#include <memory>

#include <QObject>

#include "ui/system_env.h"

namespace kdsp::ui {

class MainWindow;
class ModeControls;
class PresetFiles;
class SystemAccess;
class SystemLock;
class VolumeMarkerDrag;

/// The system page's behaviour over the controls the settings column and the hidden and
/// auxiliary sheets create: preset files, device modes, the volume markers, the two-state
/// pairs, the password and lock screen, the Bluetooth name and the hidden service access.
/// Created with the window; wired at its first show, once the registry is bound.
class SystemPage : public QObject {
  Q_OBJECT
 public:
  explicit SystemPage(MainWindow& window);
  ~SystemPage() override;

  /// The link operations (none: loads are stored only, nothing else is sent).
  void SetLink(SystemLink* link);
  /// The message boxes (none: modal message boxes over the window).
  void SetDialogs(SystemDialogs* dialogs);

  /// First show, after the registry is built: wires every control, creates the preset
  /// directories and fills both file lists.
  void FirstShow();

  /// Downloads every page (`all`) or the hidden equaliser pages to the box, as after a
  /// preset load; nothing without a link.
  void DownloadPages(bool all);

  /// `RzBmpButton5`: asks, then sends the Bluetooth name.
  void BluetoothNameClick();

  /// True while the lock screen is up: nothing may change the box until the password is given.
  bool Locked() const;

  PresetFiles& Files() { return *files_; }
  ModeControls& Modes() { return *modes_; }
  SystemAccess& Access() { return *access_; }
  SystemLock& Lock() { return *lock_; }
  VolumeMarkerDrag& Markers() { return *markers_; }

 private:
  SystemEnv env_;
  std::unique_ptr<SystemDialogs> own_dialogs_;
  std::unique_ptr<PresetFiles> files_;
  std::unique_ptr<ModeControls> modes_;
  std::unique_ptr<SystemAccess> access_;
  std::unique_ptr<SystemLock> lock_;
  std::unique_ptr<VolumeMarkerDrag> markers_;
};

}  // namespace kdsp::ui
