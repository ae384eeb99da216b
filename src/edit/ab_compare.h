#pragma once

#include <QObject>

#include "edit/binding_context.h"
#include "edit/edit_history.h"
#include "model/value_table.h"

namespace kdsp {

/// A/B comparison of two settings. The first press of B keeps the current values as A and
/// goes on editing on B; from then on A and B switch the console and the box between the two.
/// A switch writes only the values that differ, in address order, through the edit path and
/// the send queue; it is not an undo step. Edits always change the setting shown.
class AbCompare : public QObject {
  Q_OBJECT
 public:
  static constexpr int kA = 0;
  static constexpr int kB = 1;

  AbCompare(BindingContext& ctx, EditHistory& history, QObject* parent = nullptr);

  void PressA();
  void PressB();
  /// The comparison ends; the current values become the only setting.
  void End();

  bool Active() const { return active_; }
  /// The setting shown while a comparison runs (`kA` or `kB`).
  int Shown() const { return shown_; }
  /// The values of the setting not shown.
  const ValueTable& Other() const { return other_; }

 signals:
  /// A comparison began, switched or ended.
  void Changed();

 private:
  void SwitchTo(int setting);

  BindingContext& ctx_;
  EditHistory& history_;
  ValueTable other_;
  bool active_ = false;
  int shown_ = kB;
};

}  // namespace kdsp
