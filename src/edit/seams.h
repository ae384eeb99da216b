#pragma once

#include <QColor>
#include <QString>

#include "model/param_addr.h"

namespace kdsp {

/// The device link as the edit path sees it. The window hands every change that is to leave
/// the console to it; offline, or without a link, changes are stored only.
class ParamLink {
 public:
  virtual ~ParamLink() = default;
  virtual bool IsOnline() const = 0;
  /// A connection to the box is open: online, or linking, downloading or busy with it.
  virtual bool ConnectionOpen() const { return IsOnline(); }
  /// One write of `value` to the device address: sent at once or queued by the link.
  virtual void SendParam(ParamAddr device_addr, int value) = 0;
  /// Runs the window's `WriteParam`(view address, value) and then sends nothing more until the
  /// box has answered.
  virtual void SendParamAndHold(ParamAddr view_addr, int value) = 0;
  /// Name of mode `index` (0..15) of the device modes (set 0) or the hint modes (set 1).
  virtual QString ModeName(int set, int index) const = 0;
  /// True once for the first page refresh after the box came online.
  virtual bool TakeFirstRefreshAfterOnline() = 0;
  /// Until the waiting writes have gone out, each acknowledgement of the box sends the next one
  /// at once rather than at the next pacing tick (an A/B switch sends many values at a time).
  virtual void ExpediteQueue() {}
};

/// The equaliser graph as the edit path sees it.
class EqGraph {
 public:
  virtual ~EqGraph() = default;
  /// Redraws row `selector` (0..21) or every row (100) of view page `page`.
  virtual void DrawEqCurve(int selector, int page) = 0;
  virtual void SetCurveColour(const QColor& colour) = 0;
};

}  // namespace kdsp
