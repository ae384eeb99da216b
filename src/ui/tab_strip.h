#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace kdsp {
class PictureButton;
}

namespace kdsp::ui {

/// The tab strip `RzGroupBox17`: fifteen channel tab buttons (the hidden ones hidden), and at
/// its right end the link status text `LinkLabel`, the link button `LinkBtn` and the language
/// button `RzToolButton11`.
class TabStrip : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 33;
  explicit TabStrip(QWidget* parent);

  QPushButton* LanguageButton() const { return language_; }
  PictureButton* LinkButton() const { return link_button_; }
  QLabel* LinkLabel() const { return link_label_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLabel* link_label_;
  PictureButton* link_button_;
  QPushButton* language_;
};

}  // namespace kdsp::ui
