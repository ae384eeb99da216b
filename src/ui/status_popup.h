#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace kdsp::ui {

/// The device-status popup `TForm2`: a small window on top of the others with a copy of the
/// link text, the transport being tried, the transfer progress and a request to wait. Its
/// close box only hides it.
class StatusPopup : public QWidget {
  Q_OBJECT
 public:
  explicit StatusPopup(QWidget* parent = nullptr);

  /// Caption and waiting text in language `lang` (1 Chinese, 0 English).
  void ApplyLanguage(int lang);
  void SetLinkText(const QString& text);
  void SetTransport(const QString& label);
  void SetProgress(int percent);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* link_label_;
  QLabel* com_label_;
  QProgressBar* progress_;
  QLabel* warn_label_;
};

}  // namespace kdsp::ui
