#pragma once

#include <QColor>
#include <QWidget>

namespace kdsp {

/// One handle of the equaliser graph (`EP1`..`EP20`, `HPF`, `LPF`): a 14 x 14 orange disc with
/// transparent corners. Its index in the marker table (its `Tag`) says which band or filter it
/// stands for. Mouse events are handled by the point editor, which filters them.
class GraphMarker : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSize = 14;

  GraphMarker(int tag, QWidget* parent);
  int Tag() const { return tag_; }
  /// Grey like the curve of a graph that cannot be edited (an automatic output); a disabled
  /// marker is always grey.
  void SetMuted(bool muted);
  /// The colour the disc is drawn in now.
  QColor ShownColour() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int tag_;
  bool muted_ = false;
};

}  // namespace kdsp
