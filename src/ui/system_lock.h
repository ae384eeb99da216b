#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace kdsp::ui {

struct SystemEnv;

/// The front-panel password: its change on the settings panel and the lock screen
/// `FirstCheckGrop` that a locked box brings up at the first refresh of a connection.
class SystemLock : public QObject {
  Q_OBJECT
 public:
  explicit SystemLock(SystemEnv& env, QObject* parent = nullptr);

  /// The lock screen over the main area, hidden: the pane text, the masked edit
  /// `PanelPassWordEdit` and the button `RzBmpButton4`.
  static QWidget* BuildLockScreen(QWidget* main_area);

  void Connect();
  /// `RzBmpButton22` ("确定"): the old password.
  void ConfirmOldPassword();
  /// `RzBmpButton23` ("修改"): the new password.
  void ModifyPassword();
  /// `RzBmpButton4` ("确定") of the lock screen.
  void Unlock();
  /// True while the lock screen asks for the password.
  bool Shown() const { return screen_ != nullptr && screen_->isVisible(); }

 private:
  bool MatchesPassword(const QString& typed) const;

  SystemEnv& env_;
  QPointer<QWidget> screen_;
};

}  // namespace kdsp::ui
