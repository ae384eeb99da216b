#include "widget_fixture.h"

#include <algorithm>
#include <string>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

#include "model/control_lists.h"
#include "model/equaliser_reset.h"
#include "model/page_layout.h"
#include "model/slot_map.h"

namespace kdsp::test {

namespace {

void MakeControl(QWidget& parent, ControlClass cls, const std::string& name, const SlotEntry& e) {
  if (name.empty() || cls == ControlClass::kNone) return;
  const QString object_name = QString::fromStdString(name);
  if (parent.findChild<QWidget*>(object_name) != nullptr) return;  // shared controls: once
  QWidget* w = nullptr;
  switch (cls) {
    case ControlClass::kEdit: {
      auto* edit = new ParamEdit(&parent);
      if (e.display_kind >= 0) edit->SetHint(QString::number(e.display_kind));
      w = edit;
      break;
    }
    case ControlClass::kTrackbar: {
      auto* bar = new ParamTrackBar(Qt::Horizontal, &parent);
      bar->setRange(e.raw_min, e.raw_max);
      w = bar;
      break;
    }
    case ControlClass::kStatusPane: {
      auto* pane = new StatusPane(&parent);
      pane->SetHint(QString::number(std::max(0, e.display_kind)));
      w = pane;
      break;
    }
    case ControlClass::kSelector:
    case ControlClass::kBandTypeSelector:
    case ControlClass::kHighPassTypeSelector:
    case ControlClass::kLowPassTypeSelector: {
      auto* box = new ParamSelector(&parent);
      for (std::string_view item : e.items)
        box->addItem(QString::fromUtf8(item.data(), item.size()));
      for (int i = box->count(); i <= e.raw_max; ++i) box->addItem(QString::number(i));
      if (cls == ControlClass::kBandTypeSelector) box->SetHint("1");
      if (cls == ControlClass::kHighPassTypeSelector) box->SetHint("20");
      if (cls == ControlClass::kLowPassTypeSelector) box->SetHint("21");
      w = box;
      break;
    }
    case ControlClass::kTypeLabel:
      w = new TypeLabel(&parent);
      break;
    case ControlClass::kSpinButtons:
      w = new SpinButtons(&parent);
      break;
    default:
      w = new PictureButton(&parent);
      break;
  }
  w->setObjectName(object_name);
  w->setGeometry(0, 0, 40, 20);
}

/// The bound controls of the pages the graph shows, and the band-number labels.
void BuildControls(QWidget& parent) {
  for (int page : {0, 1, 3, 4, 5, 21, 22}) {
    for (const SlotEntry& e : EntriesOfPage(page)) {
      MakeControl(parent, e.primary_class, e.primary, e);
      MakeControl(parent, e.display_class, e.display, e);
      for (const std::string& extra : e.extras) MakeControl(parent, e.extra_class, extra, e);
    }
  }
  auto labels = ReverbBandLabelNames();
  for (int g = 0; g < 8; ++g) {
    for (const std::string& n : BandLabelNames(g)) labels.push_back(n);
  }
  for (const std::string& n : labels) {
    auto* label = new QLabel(QString::fromStdString(n), &parent);
    label->setObjectName(QString::fromStdString(n));
    label->setGeometry(0, 0, 20, 14);
  }
  auto* hint_box = new QWidget(&parent);
  hint_box->setObjectName("HintEQGroupBox3");
}

}  // namespace

int RecordingLink::CountTo(ParamAddr a) const {
  return static_cast<int>(
      std::count_if(writes.begin(), writes.end(), [a](const auto& w) { return w.first == a; }));
}

GraphFixture::GraphFixture() {
  root = std::make_unique<QWidget>();
  root->resize(1400, 900);
  panel = new QWidget(root.get());
  panel->setObjectName("AdvPanel1");
  panel->setGeometry(3, 0, 938, 322);
  auto* controls = new QWidget(root.get());
  controls->setGeometry(0, 330, 1400, 560);
  BuildControls(*controls);

  graph = std::make_unique<EqualiserGraph>(ctx, pipeline, *panel);
  ctx.link = &link;
  ctx.graph = graph.get();
  refresh.BuildRegistry(*root);
  handlers.Connect();
  ResetAllEqualisers(device, view);
  graph->WireBandLabels();
  root->show();
}

GraphFixture::~GraphFixture() {
  ctx.graph = nullptr;
  ctx.link = nullptr;
  root.reset();
  graph.reset();
}

void GraphFixture::OpenPage(int page, int output_mode) {
  ctx.channel.view_page = page;
  ctx.channel.page_index = GroupOf(page);
  ctx.channel.aux_sheet = 0;
  device.Set(0, 63, output_mode);
  ctx.channel.output_mode = output_mode;
  refresh.RefreshPage(page);
  link.writes.clear();
}

void GraphFixture::SetField(int page, int band, int field, int value) {
  const ParamAddr a = MakeAddr(page, EqFirstSlot(page) + 5 * band + field);
  view.Set(a, value);
  device.Set(ctx.ToDevice(a), value);
}

ParamEdit* GraphFixture::Edit(const char* name) const {
  return root->findChild<ParamEdit*>(QString::fromLatin1(name));
}

QPoint GraphFixture::MarkerCentre(int marker) const {
  return graph->Marker(marker)->geometry().topLeft() + QPoint(7, 7);
}

void GraphFixture::Send(QWidget* target, int type, QPoint local, Qt::MouseButton button) {
  QMouseEvent e(static_cast<QEvent::Type>(type), QPointF(local),
                QPointF(target->mapToGlobal(local)), button, buttons_, Qt::NoModifier);
  QApplication::sendEvent(target, &e);
}

void GraphFixture::Press(int marker, Qt::MouseButton button, QPoint in_marker) {
  QWidget* m = graph->Marker(marker);
  grab_ = m;
  buttons_ = button;
  pointer_ = m->pos() + in_marker;
  Send(m, QEvent::MouseButtonPress, in_marker, button);
}

void GraphFixture::MoveTo(QPoint in_area) {
  pointer_ = in_area;
  QWidget* target = grab_ != nullptr ? grab_ : graph->Surface();
  Send(target, QEvent::MouseMove, in_area - target->mapTo(graph->Area(), QPoint(0, 0)),
       Qt::NoButton);
}

void GraphFixture::Release() {
  QWidget* target = grab_ != nullptr ? grab_ : graph->Surface();
  const Qt::MouseButton button = (buttons_ & Qt::RightButton) ? Qt::RightButton : Qt::LeftButton;
  buttons_ = Qt::NoButton;
  Send(target, QEvent::MouseButtonRelease, pointer_ - target->mapTo(graph->Area(), QPoint(0, 0)),
       button);
  grab_ = nullptr;
}

}  // namespace kdsp::test
