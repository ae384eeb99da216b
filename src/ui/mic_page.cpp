#include "ui/mic_page.h"

#include <QGroupBox>

#include "model/control_lists.h"
#include "ui/band_strip.h"
#include "ui/control_factory.h"
#include "ui/page_rows.h"

namespace kdsp::ui {

namespace {

constexpr int kColumnWidth = 170;
constexpr int kRowPitch = 32;

}  // namespace

QWidget* BuildMicPage(QWidget* parent) {
  auto* sheet = new QWidget(parent);
  sheet->setObjectName("AdvTabSheet2_mic");

  BandStripLayout strip{1, 20, 8, "MicEQGroupBox", "MicPanScrollBar", BandLabelNames(1)};
  BuildBandStrip(sheet, strip, QPoint(4, 2));
  const int middle = 4 + BandStripWidth(strip.visible) + 6;
  const int right = middle + kColumnWidth + 4;
  const int right_width = 945 - 4 - right;

  // Input level and feedback suppression.
  auto* input = MakeFrame(sheet, QRect(middle, 2, kColumnWidth, 70), "MicInputFrame");
  input->setProperty("boxed", true);
  const int row_width = kColumnWidth - 12;
  AddStackedRow(input, {{"输入电平", "Input Level"}, "MicInputGainBar", "MicInputGainPane"},
                QRect(6, 4, row_width, kStackedRowHeight));
  AddStackedRow(input, {{"啸叫抑制", "Feedback"}, "MicFBEBar", "MicFBEPane"},
                QRect(6, 4 + kRowPitch, row_width, kStackedRowHeight));

  // The limiter; its title follows the microphone shown.
  auto* limiter = MakeGroup(sheet, {"麦克风1压限", "MiC 1 Limit"},
                            QRect(middle, 76, kColumnWidth, 146), "AdvGroupBox1");
  const SliderRow kLimiter[4] = {
      {{"压限启动电平", "Limit Level"}, "MicRmsLevelBar", "MicRmsLevelPane"},
      {{"压限启动时间", "Attack Time"}, "MicRmsAttackBar", "MicRmsAttackPane"},
      {{"压限释放时间", "Release Time"}, "MicRmsReleaseBar", "MicRmsReleasePane"},
      {{"压缩比例", "Ratio"}, "MicRmsRatioBar", "MicRmsRatioPane"},
  };
  for (int i = 0; i < 4; ++i) {
    AddStackedRow(limiter, kLimiter[i], QRect(6, 18 + i * kRowPitch, row_width, kStackedRowHeight));
  }

  // The noise gate; its title follows the microphone shown. Its attack exists in the box and
  // in the slot map but is never offered.
  auto* gate = MakeGroup(sheet, {"麦克风1 噪声门", "MIC1 Noise"}, QRect(right, 2, right_width, 84),
                         "AdvGroupBox16");
  const int gate_width = right_width - 12;
  AddStackedRow(gate, {{"启动电平", "Threshold\n"}, "MicNoiseLevelBar", "MicNoiseLevelPane"},
                QRect(6, 18, gate_width, kStackedRowHeight));
  AddStackedRow(gate, {{"释放时间", "Release Time"}, "MicNoiseReleaseBar", "MicNoiseReleasePane"},
                QRect(6, 18 + kRowPitch, gate_width, kStackedRowHeight));
  MakeTrackBar(gate, "MicNoiseAttackBar", Qt::Horizontal, QRect(6, 18, gate_width, 14))->hide();
  MakePane(gate, "MicNoiseAttackPane", QRect(6, 18, kPaneWidth, 15))->hide();

  auto* filters = MakeFrame(sheet, QRect(right, 90, right_width, 132), "MicLHPGroup");
  filters->setProperty("boxed", true);
  AddFilterRows(filters,
                {"MicHPTypeBox", "MicHPFreBar", "MicHPFrePane", "MicLPTypeBox", "MicLPFreBar",
                 "MicLPFrePane"},
                QRect(6, 8, gate_width, 120), 30, 34);
  return sheet;
}

}  // namespace kdsp::ui
