#include "ui/band_strip.h"

#include <QLabel>
#include <QPainter>
#include <QSlider>

#include "edit/bound_widgets.h"
#include "model/page_layout.h"
#include "model/slot_map.h"
#include "ui/control_factory.h"

namespace kdsp::ui {

namespace {

constexpr int kTitleWidth = 64;
constexpr int kColumnsHeight = 208;
constexpr int kBarTop = 24;
constexpr int kBarHeight = 136;

/// The vertical dB scale beside the row titles, lined up with the gain trackbars.
class DbScale : public QWidget {
 public:
  explicit DbScale(QWidget* parent) : QWidget(parent) { setObjectName("DbScale"); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QFont f = font();
    f.setPixelSize(9);
    p.setFont(f);
    const int groove_top = 8;  // the slider handle's half height inside the bar
    const int groove = height() - 2 * groove_top;
    for (int db : {12, 6, 0, -6, -12, -18, -24}) {
      const int y = groove_top + (12 - db) * groove / 36;
      p.setPen(db == 0 ? QColor(243, 152, 0) : QColor(170, 170, 170));
      p.drawLine(width() - 5, y, width() - 1, y);
      if (db % 12 == 0) {
        p.drawText(QRect(0, y - 6, width() - 6, 12), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(db));
      }
    }
  }
};

std::string_view NameAt(int page, int slot, int which, int k = 0) {
  const SlotEntry* e = EntryAt(page, slot);
  if (e == nullptr) return {};
  switch (which) {
    case 0:
      return e->primary;
    case 1:
      return e->extras[k];
    default:
      return {};
  }
}

void BuildColumn(QWidget* strip, const BandStripLayout& spec, int b) {
  const int page = spec.view_page;
  const int first = EqFirstSlot(page) + 5 * b;
  auto* col = MakeFrame(strip, QRect(b * kBandColumnWidth, 0, kBandColumnWidth, kColumnsHeight));
  col->setProperty("bandColumn", true);

  MakeEdit(col, NameAt(page, first + kFieldGain, 0), QRect(3, 2, 59, 20));
  if (b < static_cast<int>(spec.band_labels.size())) {
    auto* number = new QLabel(QString::number(b + 1), col);
    number->setObjectName(QString::fromStdString(spec.band_labels[b]));
    number->setGeometry(3, 26, 26, 16);
    number->setAlignment(Qt::AlignCenter);
    number->setProperty("bandNumber", true);
    number->setProperty("opaque", false);
  }
  for (int k = 0; k < 4; ++k) {
    const std::string_view name = NameAt(page, first + kFieldType, 1, k);
    if (name.empty()) continue;
    auto* label = new TypeLabel(col);
    label->setObjectName(QString::fromUtf8(name.data(), name.size()));
    label->setText(QString::fromUtf8(kTypeLabelCaptions[k].data(), kTypeLabelCaptions[k].size()));
    label->setGeometry(3, 46 + 18 * k, 26, 16);
    label->SetChosen(k == kDefaultType);
  }
  MakeTrackBar(col, NameAt(page, first + kFieldGain, 1), Qt::Vertical,
               QRect(34, kBarTop, 24, kBarHeight));
  // The frequency and Q edits use the column's whole width: "20200Hz" and "128.00" must fit.
  MakeEdit(col, NameAt(page, first + kFieldFreq, 0), QRect(2, 164, 61, 20));
  MakeEdit(col, NameAt(page, first + kFieldQ, 0), QRect(2, 187, 50, 20));
  // The spin buttons sit on the Q field, or on the slope field on the auxiliary page.
  std::string_view spin = NameAt(page, first + kFieldQ, 1);
  if (spin.empty()) spin = NameAt(page, first + kFieldSlope, 1);
  if (!spin.empty()) MakeSpin(col, spin, QRect(52, 187, 11, 20));
  // The type selector is kept below the visible part of the column; the labels stand for it.
  auto* type_box = MakeSelector(col, NameAt(page, first + kFieldType, 0), QRect(3, 212, 59, 20));
  type_box->setVisible(false);
}

}  // namespace

int BandStripWidth(int visible) { return kTitleWidth + visible * kBandColumnWidth + 4; }

QWidget* BuildBandStrip(QWidget* parent, const BandStripLayout& spec, const QPoint& at) {
  auto* frame = MakeFrame(parent, QRect(at, QSize(BandStripWidth(spec.visible), kBandStripHeight)),
                          spec.frame_name);
  frame->setProperty("bandStrip", true);

  MakeLabel(frame, {"增益", "Gain"}, QRect(4, 3, 40, 18))->setProperty("rowTitle", true);
  MakeLabel(frame, {"类型", "Type"}, QRect(4, 70, 31, 18))->setProperty("rowTitle", true);
  MakeLabel(frame, {"频率", "Hz"}, QRect(4, 165, 40, 18))->setProperty("rowTitle", true);
  MakeLabel(frame, {"Q值", "Q"}, QRect(4, 188, 40, 18))->setProperty("rowTitle", true);
  auto* scale = new DbScale(frame);
  scale->setGeometry(kTitleWidth - 28, kBarTop, 28, kBarHeight);

  auto* viewport =
      MakeFrame(frame, QRect(kTitleWidth, 0, spec.visible * kBandColumnWidth, kColumnsHeight));
  viewport->setObjectName(QString::fromLatin1(spec.frame_name) + "View");
  auto* strip = MakeFrame(viewport, QRect(0, 0, spec.bands * kBandColumnWidth, kColumnsHeight));
  for (int b = 0; b < spec.bands; ++b) BuildColumn(strip, spec, b);

  auto* scroll = new QSlider(Qt::Horizontal, frame);
  scroll->setObjectName(spec.scroll_bar);
  scroll->setProperty("thin", true);
  scroll->setGeometry(kTitleWidth, kColumnsHeight + 1, spec.visible * kBandColumnWidth, 12);
  scroll->setRange(0, std::max(0, spec.bands - spec.visible));
  scroll->setPageStep(1);
  scroll->setFocusPolicy(Qt::NoFocus);
  // A strip that shows all its columns has nothing to scroll.
  scroll->setVisible(spec.bands > spec.visible);
  // MusPanScrollBarChange: the strip moves by whole columns.
  QObject::connect(scroll, &QSlider::valueChanged, strip,
                   [strip](int p) { strip->move(-p * kBandColumnWidth, 0); });
  return frame;
}

}  // namespace kdsp::ui
