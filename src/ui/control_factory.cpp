#include "ui/control_factory.h"

#include <cstdio>
#include <cstdlib>

#include "edit/translatable.h"
#include "model/display_kind.h"
#include "model/scale_tables.h"

namespace kdsp::ui {

namespace {

QString Name(std::string_view name) { return QString::fromUtf8(name.data(), name.size()); }

template <typename W>
W* Place(W* w, std::string_view name, const QRect& geometry) {
  w->setObjectName(Name(name));
  w->setGeometry(geometry);
  return w;
}

}  // namespace

const SlotEntry& EntryFor(std::string_view name) {
  const SlotEntry* e = EntryNaming(name);
  if (e == nullptr) {
    std::fprintf(stderr, "kdsp: no slot-map entry names control %.*s\n",
                 static_cast<int>(name.size()), name.data());
    std::abort();
  }
  return *e;
}

ParamEdit* MakeEdit(QWidget* parent, std::string_view name, const QRect& geometry) {
  const SlotEntry& e = EntryFor(name);
  auto* edit = Place(new ParamEdit(parent), name, geometry);
  if (e.display_kind >= 0) edit->SetHint(QString::number(e.display_kind));
  edit->setAlignment(Qt::AlignCenter);
  return edit;
}

ParamTrackBar* MakeTrackBar(QWidget* parent, std::string_view name, Qt::Orientation orientation,
                            const QRect& geometry) {
  const SlotEntry& e = EntryFor(name);
  auto* bar = Place(new ParamTrackBar(orientation, parent), name, geometry);
  // A band's gain trackbar sits in the extras of the gain slot; its range is the gain's.
  bar->setRange(e.raw_min, e.raw_max);
  bar->setFocusPolicy(Qt::NoFocus);
  return bar;
}

StatusPane* MakePane(QWidget* parent, std::string_view name, const QRect& geometry) {
  const SlotEntry& e = EntryFor(name);
  auto* pane = Place(new StatusPane(parent), name, geometry);
  pane->SetHint(QString::number(std::max(0, e.display_kind)));
  if (KindHasText(e.display_kind)) {
    pane->setText(QString::fromStdString(FormatKind(e.display_kind, e.raw_min)));
  }
  return pane;
}

ParamSelector* MakeSelector(QWidget* parent, std::string_view name, const QRect& geometry) {
  const SlotEntry& e = EntryFor(name);
  auto* box = Place(new ParamSelector(parent), name, geometry);
  for (std::string_view item : e.items) box->addItem(Name(item));
  // The input selector starts with every source name; each refresh refills it.
  if (e.item_source == ItemSource::kInputNames) {
    for (const BiText& name : InputNames()) box->addItem(Name(name.zh));
  }
  switch (e.primary_class) {
    case ControlClass::kBandTypeSelector:
      box->SetHint("1");
      break;
    case ControlClass::kHighPassTypeSelector:
      box->SetHint(QString::number(kHighPassSelectorHint));
      break;
    case ControlClass::kLowPassTypeSelector:
      box->SetHint(QString::number(kLowPassSelectorHint));
      break;
    default:
      break;
  }
  box->setFocusPolicy(Qt::NoFocus);
  return box;
}

SpinButtons* MakeSpin(QWidget* parent, std::string_view name, const QRect& geometry) {
  EntryFor(name);
  return Place(new SpinButtons(parent), name, geometry);
}

PictureButton* MakeButton(QWidget* parent, std::string_view name, const QRect& geometry,
                          const QString& caption) {
  auto* button = Place(new PictureButton(parent), name, geometry);
  button->setText(caption);
  return button;
}

QLabel* MakeLabel(QWidget* parent, const BiText& text, const QRect& geometry, const char* name) {
  auto* label = new QLabel(parent);
  if (name != nullptr) label->setObjectName(name);
  label->setGeometry(geometry);
  SetBiText(label, text, 1);
  return label;
}

QGroupBox* MakeGroup(QWidget* parent, const BiText& title, const QRect& geometry,
                     const char* name) {
  auto* group = new QGroupBox(parent);
  if (name != nullptr) group->setObjectName(name);
  group->setGeometry(geometry);
  SetBiText(group, title, 1);
  return group;
}

QWidget* MakeFrame(QWidget* parent, const QRect& geometry, const char* name) {
  auto* frame = new QWidget(parent);
  if (name != nullptr) frame->setObjectName(name);
  frame->setGeometry(geometry);
  return frame;
}

}  // namespace kdsp::ui
