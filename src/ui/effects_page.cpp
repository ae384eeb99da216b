#include "ui/effects_page.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "edit/translatable.h"
#include "model/control_lists.h"
#include "ui/band_strip.h"
#include "ui/control_factory.h"
#include "ui/page_rows.h"

namespace kdsp::ui {

namespace {

constexpr int kSheetWidth = 945;
constexpr int kButtonColumn = 60;
constexpr int kColumnWidth = 170;

// The sub-tab buttons take the tab look of the channel tabs, standing one under the other.
constexpr char kEffectsStyle[] = R"(
QPushButton[subTab="true"] { color: #f39800; background: transparent; border: 1px solid #f7c46c;
  border-radius: 3px; font-weight: bold; padding: 0; }
QPushButton[subTab="true"][chosen="true"], QPushButton[subTab="true"]:pressed {
  color: white; background: #f39800; border-color: #f39800; }
#EffPageControl::pane { border: none; }
#EchoSubPage, #RvbSubPage { background: white; }
)";

QWidget* SubPage(QTabWidget* pages, const char* name, const char* tab_text) {
  auto* page = new QWidget(pages);
  page->setObjectName(name);
  page->setAttribute(Qt::WA_StyledBackground, true);
  pages->addTab(page, QString::fromUtf8(tab_text));
  return page;
}

QWidget* Boxed(QWidget* parent, const QRect& geometry, const char* name) {
  auto* frame = MakeFrame(parent, geometry, name);
  frame->setProperty("boxed", true);
  return frame;
}

void BuildEchoPage(QWidget* page) {
  BandStripLayout strip{3, 10, 7, "EchoEQGroupBox", "EchoPanScrollBar", BandLabelNames(2)};
  BuildBandStrip(page, strip, QPoint(0, 2));
  const int a = BandStripWidth(strip.visible) + 6;
  const int b = a + kColumnWidth + 4;
  const int b_width = kSheetWidth - kButtonColumn - 6 - b;
  const int row = kColumnWidth - 12;

  auto* level = Boxed(page, QRect(a, 2, kColumnWidth, 44), "EchoLevelFrame");
  AddStackedRow(
      level,
      {{"回声音量", "Echo Effect Vol"}, "EchoEffLevelBar", "EchoEffLevelPane", "EchoEffPhaseBtn"},
      QRect(6, 6, row, kStackedRowHeight));

  auto* filters =
      MakeGroup(page, {"回声高低通", "Echo LHP "}, QRect(a, 50, kColumnWidth, 172), "EchoLHPGroup");
  AddFilterRows(filters,
                {"EchoHPTypeBox", "EchoHPFreBar", "EchoHPFrePane", "EchoLPTypeBox", "EchoLPFreBar",
                 "EchoLPFrePane"},
                QRect(6, 26, row, 140), 35, 34);

  auto* delays = Boxed(page, QRect(b, 2, b_width, 220), "EchoDelayFrame");
  const SliderRow kDelays[5] = {
      {{"回声预延时", "Echo Pre-Delay"}, "EchoPreDelayBar", "EchoPreDelayPane"},
      {{"回声延时", "Echo Delay"}, "EchoTimeBar", "EchoTimePane"},
      {{"回声重复比率", "Echo Repeat"}, "EchoRepeatBar", "EchoRepeatPane"},
      {{"右通道预延时", "Right Pre-delay"}, "EchoRPreDelayBar", "EchoRPreDelayPane"},
      {{"右通道延时", "Right delay"}, "EchoRTimeBar", "EchoRTimePane"},
  };
  for (int i = 0; i < 5; ++i) {
    AddStackedRow(delays, kDelays[i], QRect(6, 8 + 42 * i, b_width - 12, kStackedRowHeight));
  }
}

void BuildReverbPage(QWidget* page) {
  BandStripLayout strip{4, 10, 7, "RvbEQGroupBox", "RvbPanScrollBar", ReverbBandLabelNames()};
  BuildBandStrip(page, strip, QPoint(0, 2));
  const int a = BandStripWidth(strip.visible) + 6;
  const int b = a + kColumnWidth + 4;
  const int b_width = kSheetWidth - kButtonColumn - 6 - b;
  const int row = kColumnWidth - 12;

  auto* levels = Boxed(page, QRect(a, 2, kColumnWidth, 76), "RvbLevelFrame");
  AddStackedRow(
      levels,
      {{"混响音量", "Rvb Effect Vol"}, "RvbEffLevelBar", "RvbEffLevelPane", "RvbEffPhaseBtn"},
      QRect(6, 5, row, kStackedRowHeight));
  AddStackedRow(levels,
                {{"混响直达声", "Rvb Direct Vol"},
                 "RvbDirectLevelBar",
                 "RvbDirectLevelPane",
                 "RvbDirectPhaseBtn"},
                QRect(6, 39, row, kStackedRowHeight));

  auto* times = Boxed(page, QRect(b, 2, b_width, 76), "RvbTimeFrame");
  AddStackedRow(times, {{"混响预延时", "Rvb PreDelay"}, "RvbPreDelayBar", "RvbPreDelayPane"},
                QRect(6, 5, b_width - 12, kStackedRowHeight));
  AddStackedRow(times, {{"混响时间", "Rvb Time"}, "RvbTimeBar", "RvbTimePane"},
                QRect(6, 39, b_width - 12, kStackedRowHeight));

  auto* filters = MakeGroup(page, {"混响高低通", "Rvb LHP "}, QRect(a, 82, b + b_width - a, 140),
                            "RvbLHPGroup");
  AddFilterColumns(filters,
                   {"RvbHPTypeBox", "RvbHPFreBar", "RvbHPFrePane", "RvbLPTypeBox", "RvbLPFreBar",
                    "RvbLPFrePane"},
                   QRect(8, 30, b + b_width - a - 16, 100), 44, 34);
}

}  // namespace

QWidget* BuildEffectsPage(QWidget* parent) {
  auto* sheet = new QWidget(parent);
  sheet->setObjectName("AdvTabSheet3_Eff");
  sheet->setStyleSheet(QString::fromLatin1(kEffectsStyle));

  // Sub-tab buttons by Tag; the second echo is never offered.
  for (int i = 0; i < static_cast<int>(kEffectSubTabs.size()); ++i) {
    const NamedButton& tab = kEffectSubTabs[i];
    auto* b = new QPushButton(sheet);
    b->setObjectName(QString::fromUtf8(tab.name.data(), tab.name.size()));
    b->setProperty("subTab", true);
    b->setProperty("chosen", false);
    b->setProperty("Tag", i);
    b->setFocusPolicy(Qt::NoFocus);
    SetBiText(b, tab.caption, 1);
    b->setVisible(i != 1);
  }
  sheet->findChild<QWidget*>("EchoAToolButton")->setGeometry(4, 4, kButtonColumn - 4, 30);
  sheet->findChild<QWidget*>("RvbToolButton")->setGeometry(4, 38, kButtonColumn - 4, 30);
  sheet->findChild<QWidget*>("EchoBToolButton")->setGeometry(4, 72, kButtonColumn - 4, 30);

  // The page control's own tabs (on its left edge) are covered by the button column, which
  // alone chooses the sub-page.
  auto* pages = new QTabWidget(sheet);
  pages->setObjectName("EffPageControl");
  pages->setTabPosition(QTabWidget::West);
  pages->setGeometry(kButtonColumn + 2, 0, kSheetWidth - kButtonColumn - 2, 226);
  BuildEchoPage(SubPage(pages, "EchoSubPage", "回声A"));
  BuildReverbPage(SubPage(pages, "RvbSubPage", "Rvb"));
  pages->tabBar()->hide();
  return sheet;
}

}  // namespace kdsp::ui
