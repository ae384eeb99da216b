#pragma once

#include <functional>

#include <QLabel>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class QWidget;

namespace kdsp {

/// The readout under the pointer on the graph's surface: a small label next to the pointer
/// with the text the owner gives for that point. It follows the pointer while it is active and
/// hides when the pointer leaves, when the text is empty or when it is switched off.
class SpectrumReadout : public QObject {
  Q_OBJECT
 public:
  /// The text for a point of the surface; empty hides the label.
  using TextAt = std::function<QString(QPoint at)>;

  SpectrumReadout(QWidget* surface, TextAt text_at, QObject* parent = nullptr);
  ~SpectrumReadout() override;

  /// Whether the pointer shows a readout at all (the spectrum is running).
  void SetActive(bool active);
  /// Recomputes the text at the last pointer position if the label is showing.
  void Refresh();
  void Hide();
  QLabel* Label() const { return label_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowAtPointer();

  QPointer<QWidget> surface_;
  QPointer<QLabel> label_;
  TextAt text_at_;
  QPoint hover_;
  bool active_ = false;
};

}  // namespace kdsp
