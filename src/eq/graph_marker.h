#pragma once

#include <QPixmap>
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

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int tag_;
};

}  // namespace kdsp
