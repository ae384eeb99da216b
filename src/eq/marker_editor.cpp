#include "eq/marker_editor.h"

#include <algorithm>
#include <cstdlib>

#include <QMouseEvent>

#include "edit/edit_recorder.h"
#include "eq/equaliser_graph.h"
#include "model/display_kind.h"
#include "model/frequency_table.h"
#include "model/page_layout.h"
#include "model/typed_text.h"

namespace kdsp {

namespace {

constexpr int kBandMarkers = 20;
// A high-pass handle stops here on the left; index 0 (filter off) is left to its slider.
constexpr double kLowestDragHz = 19.5;
constexpr double kHighestDragHz = 20600;
// Pointer travel of one Q step.
constexpr int kQStepPixels = 3;
// Only markers up to this one reselect their frequency edit after a Q drag.
constexpr int kLastReselectedAfterQ = 14;
// Page indexes of the main page control (band groups).
constexpr int kMusicIndex = 0;
constexpr int kMicIndex = 1;
constexpr int kEffectIndex = 2;
constexpr int kOutputIndex = 3;
constexpr int kHiddenIndex = 4;
constexpr int kAuxIndex = 6;
// The auxiliary page's second sheet edits the user limits; markers do not react there.
constexpr int kAuxLimitSheet = 1;

int Rnd(double v) { return static_cast<int>(RoundHalfEven(v)); }

bool CanTakeFocus(const QWidget* w) {
  return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus) != 0;
}

}  // namespace

MarkerEditor::MarkerEditor(BindingContext& ctx, EditPipeline& pipeline, EqualiserGraph& graph)
    : ctx_(ctx), pipeline_(pipeline), graph_(graph) {}

void MarkerEditor::Watch(QObject* object) { object->installEventFilter(this); }

void MarkerEditor::WireBandLabels() {
  struct Strip {
    int group;
    int effect_page;  // picks the echo or the reverb labels of the effect group
    int page;
  };
  static constexpr Strip kStrips[] = {
      {0, 3, 0}, {1, 3, 1}, {2, 3, 3}, {2, 4, 4}, {3, 3, 5}, {4, 3, 22}, {6, 3, 21},
  };
  for (const Strip& s : kStrips) {
    const auto labels = ctx_.registry.BandLabels(s.group, s.effect_page);
    for (int i = 0; i < static_cast<int>(labels.size()); ++i) {
      QLabel* label = labels[i];
      if (label == nullptr || band_labels_.contains(label)) continue;
      band_labels_.insert(label);
      label->setProperty("kdspBandPage", s.page);
      label->setProperty("kdspBand", i);
      label->installEventFilter(this);
    }
  }
}

bool MarkerEditor::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
      type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) {
    return false;
  }
  // A disabled graph (the lock screen) takes no gesture at all, although its filters still
  // see the events.
  if (auto* w = qobject_cast<QWidget*>(watched); w != nullptr && !w->isEnabled()) return true;
  auto* mouse = static_cast<QMouseEvent*>(event);
  TrackGesture(mouse);
  if (auto* marker = qobject_cast<GraphMarker*>(watched);
      marker != nullptr && graph_.Marker(marker->Tag()) == marker) {
    return MarkerEvent(marker->Tag(), mouse);
  }
  const QPoint pos = mouse->position().toPoint();
  if (watched == graph_.Surface()) {
    if (type == QEvent::MouseMove) Image1MouseMove(pos, mouse->buttons());
    if (type == QEvent::MouseButtonRelease) Image1MouseUp(mouse->button());
    return false;
  }
  if (watched == graph_.ValueLabel() || watched == graph_.PassLabel()) {
    if (type == QEvent::MouseButtonRelease) EQlabelMouseUp();
    return false;
  }
  if (band_labels_.contains(watched) && type == QEvent::MouseButtonRelease &&
      mouse->button() == Qt::LeftButton) {
    auto* label = static_cast<QWidget*>(watched);
    if (label->rect().contains(pos)) {
      MusEQPointLabel1Click(label->property("kdspBandPage").toInt(),
                            label->property("kdspBand").toInt());
    }
  }
  return false;
}

void MarkerEditor::TrackGesture(const QMouseEvent* event) {
  // A drag, from the press to the release, is one undo step.
  if (ctx_.recorder == nullptr) return;
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
    ctx_.recorder->BeginGesture();
  } else if (event->type() == QEvent::MouseButtonRelease && event->buttons() == Qt::NoButton) {
    ctx_.recorder->EndGestureLater();
  }
}

bool MarkerEditor::MarkerEvent(int marker, QMouseEvent* event) {
  GraphMarker* m = graph_.Marker(marker);
  const QPoint pos = event->position().toPoint();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      EP1MouseDown(marker, event->button(), pos);
      break;
    case QEvent::MouseMove:
      // A left drag keeps the pointer to its marker; otherwise the pointer talks to whatever
      // lies under it, although the toolkit delivers the moves to the pressed marker.
      if (event->buttons() & Qt::LeftButton) {
        EP1MouseMove(marker, pos);
      } else {
        RouteMove(m->mapTo(graph_.Area(), pos), event->buttons());
      }
      break;
    case QEvent::MouseButtonRelease:
      if (event->button() == Qt::LeftButton) {
        EP1MouseUp(marker, Qt::LeftButton);
      } else {
        RouteRelease(m->mapTo(graph_.Area(), pos), event->button());
      }
      break;
    default:
      return false;
  }
  return true;
}

MarkerEditor::Hit MarkerEditor::HitTest(QPoint in_area) const {
  for (int i = EqualiserGraph::kMarkerCount - 1; i >= 0; --i) {
    const GraphMarker* m = graph_.Marker(i);
    if (!m->isHidden() && m->geometry().contains(in_area)) return {Hit::kMarker, i};
  }
  for (const QLabel* label : {graph_.ValueLabel(), graph_.PassLabel()}) {
    if (label != nullptr && !label->isHidden() && label->geometry().contains(in_area)) {
      return {Hit::kLabel, -1};
    }
  }
  const QWidget* surface = graph_.Surface();
  const QRect surface_rect(surface->mapTo(graph_.Area(), QPoint(0, 0)), surface->size());
  if (surface_rect.contains(in_area)) return {Hit::kSurface, -1};
  return {};
}

void MarkerEditor::RouteMove(QPoint in_area, Qt::MouseButtons buttons) {
  const Hit hit = HitTest(in_area);
  if (hit.kind == Hit::kMarker) {
    EP1MouseMove(hit.marker, in_area - graph_.Marker(hit.marker)->pos());
  } else if (hit.kind == Hit::kSurface) {
    Image1MouseMove(graph_.Surface()->mapFrom(graph_.Area(), in_area), buttons);
  }
}

void MarkerEditor::RouteRelease(QPoint in_area, Qt::MouseButton button) {
  const Hit hit = HitTest(in_area);
  switch (hit.kind) {
    case Hit::kMarker:
      EP1MouseUp(hit.marker, button);
      break;
    case Hit::kLabel:
      EQlabelMouseUp();
      break;
    case Hit::kSurface:
      Image1MouseUp(button);
      break;
    case Hit::kNothing:
      break;
  }
}

bool MarkerEditor::OutputPageAutomatic() const {
  return ctx_.channel.page_index == kOutputIndex && ctx_.channel.output_mode == 0;
}

bool MarkerEditor::PassShown() const {
  const QLabel* label = graph_.PassLabel();
  return label != nullptr && !label->isHidden();
}

bool MarkerEditor::WindowShown() const { return graph_.Area()->window()->isVisible(); }

void MarkerEditor::SelectEditAt(ParamAddr a) {
  auto* edit = qobject_cast<ParamEdit*>(ctx_.registry.Primary(a));
  if (edit == nullptr || !CanTakeFocus(edit)) return;
  // The click step itself only acts on an edit that is the primary control of its own address.
  if (qobject_cast<ParamEdit*>(ctx_.registry.Primary(edit->Tag())) == nullptr) return;
  pipeline_.SelectEdit(edit);
}

void MarkerEditor::SelectBandField(int band, int field) {
  const int page = ctx_.channel.view_page;
  SelectEditAt(MakeAddr(page, EqFirstSlot(page) + 5 * band + field));
}

void MarkerEditor::MusEQPointLabel1Click(int page, int band) {
  if (EqFirstSlot(page) < 0 || band < 0 || band >= EqBandCount(page)) return;
  SelectEditAt(MakeAddr(page, EqFirstSlot(page) + 5 * band + kFieldFreq));
}

QWidget* MarkerEditor::FrequencyControl(int marker) const {
  if (marker < 0 || marker >= EqualiserGraph::kMarkerCount) return nullptr;
  const PointControls& c = graph_.Table().Controls(marker);
  if (!c.freq) return nullptr;
  return c.filter ? ctx_.registry.Display(*c.freq) : ctx_.registry.Primary(*c.freq);
}

QWidget* MarkerEditor::GainControl(int marker) const {
  if (marker < 0 || marker >= EqualiserGraph::kMarkerCount) return nullptr;
  const PointControls& c = graph_.Table().Controls(marker);
  return c.gain ? ctx_.registry.Primary(*c.gain) : nullptr;
}

void MarkerEditor::StartFromStored(int marker) {
  // Whatever the last drag left pending goes to its own band first.
  HandOverPending();
  const PointControls& c = graph_.Table().Controls(marker);
  if (!c.freq) return;
  const int freq_index = ctx_.view_values.Get(*c.freq);
  const int gain_raw = c.gain ? ctx_.view_values.Get(*c.gain) : kFlatGain;
  state_.pending_freq = FrequencyHz(freq_index);
  state_.pending_gain = gain_raw / 5.0 - 24.0;
  state_.pending_freq_index = state_.sent_freq_index = freq_index;
  state_.pending_gain_raw = state_.sent_gain_raw = gain_raw;
}

void MarkerEditor::EP1MouseDown(int marker, Qt::MouseButton button, QPoint in_marker) {
  if (ctx_.channel.page_index == kAuxIndex && ctx_.channel.aux_sheet == kAuxLimitSheet) return;
  GraphMarker* m = graph_.Marker(marker);
  m->setCursor(Qt::CrossCursor);
  state_.drag_marker = marker;
  if (!WindowShown()) return;
  state_.q_adjust_mode = false;

  if (button == Qt::LeftButton) {
    state_.drag_anchor = in_marker;
    state_.drag_active = true;
    if (OutputPageAutomatic()) {
      state_.drag_active = false;
      return;
    }
    StartFromStored(marker);
    if (marker >= kBandMarkers) {
      // Shows the filter's value label.
      const int page = ctx_.channel.view_page;
      const int bands = EqBandCount(page);
      graph_.DrawEqCurve(marker == EqualiserGraph::kHighPassMarker ? bands : bands + 1, page);
    } else {
      SelectBandField(marker, kFieldFreq);
    }
  } else if (button == Qt::RightButton && marker < kBandMarkers) {
    state_.drag_active = false;
    state_.drag_anchor =
        graph_.Surface()->mapFrom(graph_.Area(), m->mapTo(graph_.Area(), in_marker));
    if (OutputPageAutomatic()) return;
    SelectBandField(marker, kFieldQ);
    const int page = ctx_.channel.view_page;
    const ParamAddr q = MakeAddr(page, EqFirstSlot(page) + 5 * marker + kFieldQ);
    if (qobject_cast<ParamEdit*>(ctx_.registry.Primary(q)) != nullptr) state_.q_adjust_mode = true;
  }
}

void MarkerEditor::EP1MouseMove(int marker, QPoint in_marker) {
  if (!state_.drag_active || state_.drag_marker == -1 || marker != state_.drag_marker) return;
  const DragGeometry& limits = graph_.DragLimits();
  int dx = in_marker.x() - state_.drag_anchor.x();
  int dy = in_marker.y() - state_.drag_anchor.y();
  if (std::abs(dx) < limits.step_x && std::abs(dy) < limits.step_y) return;

  // Movement rules by page: some handles only move sideways, some not at all, and the bands
  // stay put while the page's equaliser is bypassed.
  bool horizontal = false;
  switch (ctx_.channel.page_index) {
    case kMusicIndex:
      if (PassShown()) return;
      horizontal = marker >= 15;
      break;
    case kMicIndex:
      horizontal = marker > 19;
      if (!horizontal && PassShown()) return;
      break;
    case kEffectIndex:
    case kOutputIndex:
      horizontal = marker > 9;
      if (!horizontal && PassShown()) return;
      break;
    case kHiddenIndex:
      if (marker > 4 || PassShown()) return;
      break;
    case kAuxIndex:
      if (marker > 5 || PassShown()) return;
      break;
    default:
      break;
  }
  if (horizontal) dy = 0;

  GraphMarker* m = graph_.Marker(marker);
  const GraphGeometry& g = graph_.Geometry();
  const int h = m->height() / 2;
  QPoint at = m->pos() + QPoint(dx, dy);
  at.setY(std::clamp(at.y(), limits.marker_top_min, limits.marker_top_max));
  if (at.x() < g.FreqToX(kLowestDragHz) - h) at.setX(Rnd(g.FreqToX(kLowestDragHz)) - h);
  state_.pending_freq = RoundHalfEven(g.XToFreq(at.x() + h));
  state_.pending_gain = g.YToDb(at.y() + h);
  if (state_.pending_freq > kHighestDragHz) {
    state_.pending_freq = kHighestDragHz;
    at.setX(Rnd(g.FreqToX(kHighestDragHz) - h));
  }
  state_.pending_gain = std::clamp<double>(state_.pending_gain, kDragBottomDb, kDragTopDb);
  if (at != m->pos()) m->move(at);

  state_.drag_target = state_.drag_marker;
  HandOverPending();
  state_.pending_freq_index = ParseTyped(kKindFrequency, state_.pending_freq);
  state_.pending_gain_raw = ParseTyped(kKindGain, state_.pending_gain);
}

void MarkerEditor::HandOverPending() {
  if (state_.pending_freq_index != state_.sent_freq_index) {
    if (QWidget* c = FrequencyControl(state_.drag_target)) {
      pipeline_.UpdateControl(c, 0, false, state_.pending_freq_index);
    }
    state_.sent_freq_index = state_.pending_freq_index;
  }
  if (state_.pending_gain_raw != state_.sent_gain_raw) {
    state_.sent_gain_raw = state_.pending_gain_raw;
    // A filter handle has no gain control: nothing to hand over.
    if (QWidget* c = GainControl(state_.drag_target)) {
      pipeline_.UpdateControl(c, 0, false, state_.pending_gain_raw);
    }
  }
}

void MarkerEditor::EP1MouseUp(int marker, Qt::MouseButton) {
  state_.q_adjust_mode = false;
  if (!state_.drag_active) return;
  state_.drag_active = false;
  graph_.Marker(marker)->unsetCursor();
  // The wheel then steps the dragged band's frequency.
  if (marker < kBandMarkers && !OutputPageAutomatic()) SelectBandField(marker, kFieldFreq);
}

void MarkerEditor::Image1MouseMove(QPoint in_graph, Qt::MouseButtons buttons) {
  if (!(buttons & Qt::RightButton) || !state_.q_adjust_mode) return;
  if (state_.drag_marker < 0 || state_.drag_marker >= kBandMarkers) return;
  const int travel = in_graph.x() - state_.drag_anchor.x();
  if (travel >= kQStepPixels) {
    pipeline_.CommitEdit(+1);
  } else if (-travel >= kQStepPixels) {
    pipeline_.CommitEdit(-1);
  } else {
    return;
  }
  state_.drag_active = false;
  state_.drag_anchor = in_graph;
  state_.drag_target = state_.drag_marker;
}

void MarkerEditor::Image1MouseUp(Qt::MouseButton button) {
  if (button != Qt::RightButton || !state_.q_adjust_mode || OutputPageAutomatic()) return;
  state_.drag_active = false;
  state_.q_adjust_mode = false;
  if (state_.drag_marker >= 0 && state_.drag_marker <= kLastReselectedAfterQ) {
    SelectBandField(state_.drag_marker, kFieldFreq);
  }
}

void MarkerEditor::EQlabelMouseUp() {
  state_.drag_active = false;
  state_.q_adjust_mode = false;
}

}  // namespace kdsp
