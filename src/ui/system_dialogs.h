#pragma once

#include <QString>

class QWidget;

namespace kdsp::ui {

/// The message boxes of the system page, the device modes and the preset files. The window
/// uses modal message boxes; tests answer the questions themselves.
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

/// Modal message boxes over `parent`.
class MessageBoxDialogs : public SystemDialogs {
 public:
  explicit MessageBoxDialogs(QWidget* parent) : parent_(parent) {}
  bool Ask(const QString& caption, const QString& text, Buttons buttons) override;
  void Inform(const QString& caption, const QString& text) override;
  void Error(const QString& text) override;

 private:
  QWidget* parent_;
};

}  // namespace kdsp::ui
