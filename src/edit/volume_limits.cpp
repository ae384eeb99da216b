#include "edit/volume_limits.h"

#include <QLabel>

namespace kdsp {

namespace {

// Bar names by group (music, microphone, effect) and role (normal, start, maximum).
constexpr const char* kBars[3][3] = {
    {"SysMusNormalVolBar", "SysMusStartVolBar", "SysMusMaxVolBar"},
    {"SysMicNormalVolBar", "SysMicStartVolBar", "SysMicMaxVolBar"},
    {"SysEffNormalVolBar", "SysEffStartVolBar", "SysEffMaxVolBar"},
};
constexpr const char* kMaxMarkers[3] = {"MusMaxImage", "MicMaxImage", "EffMaxImage"};
constexpr const char* kStartMarkers[3] = {"MusStartImage", "MicStartImage", "EffStartImage"};
constexpr const char* kValueLabels[3] = {"musLabel", "micLabel", "EffLabel"};

}  // namespace

VolumeLimits::VolumeLimits(BindingContext& ctx, EditPipeline& pipeline, QObject* parent)
    : QObject(parent), ctx_(ctx), pipeline_(pipeline) {}

void VolumeLimits::Connect() {
  for (int g = 0; g < 3; ++g) {
    groups_[g].max_marker = kMaxMarkers[g];
    groups_[g].start_marker = kStartMarkers[g];
    groups_[g].value_label = kValueLabels[g];
    for (int r = 0; r < 3; ++r) {
      auto* bar = ctx_.registry.Find<ParamTrackBar>(kBars[g][r]);
      groups_[g].bars[r] = bar;
      if (bar != nullptr) {
        connect(bar, &QSlider::valueChanged, this, [this, bar] { SysMusNormalVolBarChange(bar); });
      }
    }
  }
}

bool VolumeLimits::Locate(const ParamTrackBar* bar, int* group, int* role) const {
  for (int g = 0; g < 3; ++g) {
    for (int r = 0; r < 3; ++r) {
      if (bar != nullptr && groups_[g].bars[r] == bar) {
        *group = g;
        *role = r;
        return true;
      }
    }
  }
  return false;
}

int VolumeLimits::LastAccepted(const ParamTrackBar* bar) const {
  int g = 0, r = 0;
  return Locate(bar, &g, &r) ? last_[g][r] : 0;
}

int VolumeLimits::MarkerLeft(int position) {
  // 1.89 x p + 53 in hundredths, so that 147.5 (p = 50) is a true tie.
  const int hundredths = 189 * position + 5300;
  int q = hundredths / 100;
  int r = hundredths % 100;
  if (r < 0) {
    r += 100;
    --q;
  }
  if (r > 50 || (r == 50 && q % 2 != 0)) ++q;
  return q;
}

int VolumeLimits::PositionAt(int marker_left) {
  // (left - 53) x 100 / 189 rounded to nearest; 189 is odd, so no tie can occur.
  const int n = (marker_left - 53) * 100;
  const int twice = 2 * n + (n >= 0 ? 189 : -189);
  return twice / (2 * 189);
}

void VolumeLimits::PlaceMarker(const char* name, int position) {
  auto* marker = ctx_.registry.Find<QWidget>(name);
  if (marker == nullptr) return;
  marker->move(MarkerLeft(position), marker->y());
}

void VolumeLimits::PlaceMarkersOf(const ParamTrackBar* bar) {
  int g = 0, r = 0;
  if (!Locate(bar, &g, &r)) return;
  if (groups_[g].bars[kStart] != nullptr) {
    PlaceMarker(groups_[g].start_marker, groups_[g].bars[kStart]->value());
  }
  if (groups_[g].bars[kMaximum] != nullptr) {
    PlaceMarker(groups_[g].max_marker, groups_[g].bars[kMaximum]->value());
  }
}

void VolumeLimits::SysMusNormalVolBarChange(ParamTrackBar* bar) {
  int g = 0, r = 0;
  if (!Locate(bar, &g, &r)) return;
  const bool suppressed = ctx_.edit.send_suppressed;
  const Group& group = groups_[g];
  ParamTrackBar* normal = group.bars[kNormal];
  ParamTrackBar* start = group.bars[kStart];
  ParamTrackBar* maximum = group.bars[kMaximum];
  auto limit = [maximum](ParamTrackBar* b) {
    if (b != nullptr && maximum != nullptr && b->value() > maximum->value()) {
      b->setValue(maximum->value());
    }
  };

  // A normal volume rises at most one step per change; it falls freely.
  const int prev = last_[g][r];
  if (r == kNormal && bar->value() > prev && !suppressed) bar->setValue(prev + 1);
  // Values coming from the box are shown as they are.
  if (!suppressed) {
    if (r == kNormal) limit(normal);
    if (r == kStart) limit(start);
    if (r == kMaximum) {
      limit(start);
      limit(normal);
    }
  }
  const int position = bar->value();
  if (auto* pane = qobject_cast<StatusPane*>(ctx_.registry.Display(bar->Tag()))) {
    pane->setText(QString::number(position));
  }
  last_[g][r] = position;
  if (start != nullptr) PlaceMarker(group.start_marker, start->value());
  if (maximum != nullptr) PlaceMarker(group.max_marker, maximum->value());
  if (r != kNormal) {
    if (auto* label = ctx_.registry.Find<QLabel>(group.value_label)) {
      label->setText(QString::number(position));
    }
  }
  pipeline_.WriteParam(bar->Tag(), position);
}

}  // namespace kdsp
