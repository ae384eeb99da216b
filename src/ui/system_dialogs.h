#pragma once

#include <QMessageBox>
#include <QString>

namespace kdsp::ui {

class MainWindow;

/// The message boxes of the system page, the device modes and the preset files. The window
/// uses the message boxes below; tests answer the questions themselves.
class SystemDialogs {
 public:
  enum class Buttons { kYesNo, kOkCancel };
  virtual ~SystemDialogs() = default;
  /// A question; true for Yes or OK.
  virtual bool Ask(const QString& caption, const QString& text, Buttons buttons) = 0;
  /// A plain message with an OK button.
  virtual void Inform(const QString& caption, const QString& text) = 0;
  /// The application's general error dialog (a file that cannot be written).
  virtual void Error(const QString& text) = 0;
};

/// Shows a message over `window` and returns at once, so that nothing waits for it to be
/// closed: the window's timers (the link's among them) and the code that showed it go on.
/// While it is open the window's work area takes no input (see `MainWindow::HoldWork`).
void ShowWindowMessage(MainWindow& window, QMessageBox::Icon icon, const QString& caption,
                       const QString& text);

/// Message boxes over the main window. A message returns at once; a question waits for its
/// answer in an event loop of its own. None is modal in the window system's sense: a modal box
/// would make the window system drop a close request for the main window, and a close request
/// always ends the program (the window then answers an open question with its safe choice).
class MessageBoxDialogs : public SystemDialogs {
 public:
  explicit MessageBoxDialogs(MainWindow& window) : window_(window) {}
  bool Ask(const QString& caption, const QString& text, Buttons buttons) override;
  void Inform(const QString& caption, const QString& text) override;
  void Error(const QString& text) override;

 private:
  MainWindow& window_;
};

}  // namespace kdsp::ui
