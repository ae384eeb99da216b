#include "ui/page_rows.h"

#include <algorithm>

#include "ui/control_factory.h"

namespace kdsp::ui {

namespace {

constexpr int kTitleHeight = 15;
constexpr int kBarHeight = 14;

QLabel* Title(QWidget* parent, const BiText& text, const QRect& geometry, Qt::Alignment align) {
  QLabel* label = MakeLabel(parent, text, geometry);
  label->setProperty("fieldTitle", true);
  label->setAlignment(align);
  return label;
}

}  // namespace

SwitchButton* MakePhaseSwitch(QWidget* parent, std::string_view name, const QRect& geometry) {
  EntryFor(name);
  auto* button = new SwitchButton(SwitchButton::Kind::kPhase, parent);
  button->setObjectName(QString::fromUtf8(name.data(), name.size()));
  button->setGeometry(geometry);
  button->setText(QStringLiteral("+"));
  return button;
}

SwitchButton* MakeMuteSwitch(QWidget* parent, std::string_view name, const QRect& geometry,
                             const QString& caption) {
  EntryFor(name);
  auto* button = new SwitchButton(SwitchButton::Kind::kMute, parent);
  button->setObjectName(QString::fromUtf8(name.data(), name.size()));
  button->setGeometry(geometry);
  button->setText(caption);
  return button;
}

void AddStackedRow(QWidget* parent, const SliderRow& row, const QRect& area) {
  const int x = area.x();
  const int y = area.y();
  const int w = area.width();
  // Top-aligned: one English title ends with a line break, which must not push it out.
  QLabel* title = Title(parent, row.title, QRect(x, y, w - kPaneWidth - 2, kTitleHeight),
                        Qt::AlignLeft | Qt::AlignTop);
  if (row.title_name != nullptr) title->setObjectName(row.title_name);
  MakePane(parent, row.pane, QRect(x + w - kPaneWidth, y, kPaneWidth, kTitleHeight));
  const int bar_y = y + kTitleHeight + 1;
  int bar_width = w;
  if (!row.phase.empty()) {
    bar_width -= kPhaseSwitchSize.width() + 4;
    MakePhaseSwitch(parent, row.phase,
                    QRect(QPoint(x + w - kPhaseSwitchSize.width(), bar_y), kPhaseSwitchSize));
  }
  MakeTrackBar(parent, row.bar, Qt::Horizontal, QRect(x, bar_y, bar_width, kBarHeight));
}

void AddInlineRow(QWidget* parent, const SliderRow& row, const QRect& area, int title_width) {
  const int h = area.height();
  Title(parent, row.title, QRect(area.x(), area.y(), title_width, h),
        Qt::AlignLeft | Qt::AlignVCenter);
  const int bar_x = area.x() + title_width + 2;
  const int pane_x = area.right() + 1 - kPaneWidth;
  MakeTrackBar(parent, row.bar, Qt::Horizontal, QRect(bar_x, area.y(), pane_x - bar_x - 3, h));
  MakePane(parent, row.pane,
           QRect(pane_x, area.y() + (h - kTitleHeight - 2) / 2, kPaneWidth, kTitleHeight + 2));
}

void AddSelectorRow(QWidget* parent, const BiText& title, std::string_view box, const QRect& area,
                    int title_width) {
  Title(parent, title, QRect(area.x(), area.y(), title_width, area.height()),
        Qt::AlignLeft | Qt::AlignVCenter);
  MakeSelector(
      parent, box,
      QRect(area.x() + title_width + 2, area.y(), area.width() - title_width - 2, area.height()));
}

void AddFilterRows(QWidget* parent, const FilterBlock& block, const QRect& area, int row_pitch,
                   int title_width) {
  const int h = std::min(22, row_pitch - 2);
  auto row = [&](int i) { return QRect(area.x(), area.y() + i * row_pitch, area.width(), h); };
  AddSelectorRow(parent, block.hp_title, block.hp_box, row(0), title_width);
  AddInlineRow(parent, {block.hp_freq_title, block.hp_bar, block.hp_pane}, row(1), title_width);
  AddSelectorRow(parent, block.lp_title, block.lp_box, row(2), title_width);
  AddInlineRow(parent, {block.lp_freq_title, block.lp_bar, block.lp_pane}, row(3), title_width);
}

void AddFilterColumns(QWidget* parent, const FilterBlock& block, const QRect& area, int row_pitch,
                      int title_width) {
  const int h = std::min(22, row_pitch - 2);
  const int half = (area.width() - 10) / 2;
  const QRect left(area.x(), area.y(), half, h);
  const QRect right(area.x() + half + 10, area.y(), half, h);
  AddSelectorRow(parent, block.hp_title, block.hp_box, left, title_width);
  AddInlineRow(parent, {block.hp_freq_title, block.hp_bar, block.hp_pane},
               left.translated(0, row_pitch), title_width);
  AddSelectorRow(parent, block.lp_title, block.lp_box, right, title_width);
  AddInlineRow(parent, {block.lp_freq_title, block.lp_bar, block.lp_pane},
               right.translated(0, row_pitch), title_width);
}

}  // namespace kdsp::ui
