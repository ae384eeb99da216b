#include "ui/music_page.h"

#include "model/control_lists.h"
#include "ui/band_strip.h"
#include "ui/control_factory.h"

namespace kdsp::ui {

QWidget* BuildMusicPage(QWidget* parent) {
  auto* sheet = new QWidget(parent);
  sheet->setObjectName("AdvTabSheet1_mus");

  BandStripLayout strip{0, 10, 9, "MusEQGroupBox", "MusPanScrollBar", BandLabelNames(0)};
  BuildBandStrip(sheet, strip, QPoint(4, 2));
  const int x0 = BandStripWidth(strip.visible) + 14;
  const int w = 945 - x0 - 8;

  // Input: source selector, the gain of that source and the key.
  auto* input = MakeGroup(sheet, {"输入选择", "Input"}, QRect(x0, 2, w, 84), "MusInputGroup");
  MakeSelector(input, "SysInputBox", QRect(10, 22, w - 20, 24));
  auto* gain_label =
      MakeLabel(input, {"模拟1音量", "RCA1 Vol"}, QRect(10, 54, 100, 22), "InputLabel");
  gain_label->setProperty("fieldTitle", true);
  MakeEdit(input, "MusGain1Edit", QRect(112, 54, w - 146, 22));
  MakeSpin(input, "MusGain1UpDown", QRect(w - 32, 54, 16, 22));

  auto* key = MakeFrame(sheet, QRect(x0, 90, w, 28), "MusKeyFrame");
  key->setProperty("boxed", true);
  MakeLabel(key, {"变调", "Key"}, QRect(10, 4, 56, 20))->setProperty("fieldTitle", true);
  MakeTrackBar(key, "MusPitchBar", Qt::Horizontal, QRect(68, 4, w - 138, 20));
  MakePane(key, "MusPitchPane", QRect(w - 66, 4, 58, 20));

  // High-pass and low-pass filters of the music input.
  auto* filters = MakeFrame(sheet, QRect(x0, 120, w, 102), "MusLHPGroup");
  filters->setProperty("boxed", true);
  // One row each: high-pass type, its frequency, low-pass type, its frequency.
  MakeLabel(filters, {"高通", "HP"}, QRect(10, 4, 34, 22))->setProperty("fieldTitle", true);
  MakeSelector(filters, "MusHPTypeBox", QRect(46, 4, w - 54, 22));
  MakeLabel(filters, {"高通", "HPF"}, QRect(10, 28, 34, 22))->setProperty("fieldTitle", true);
  MakeTrackBar(filters, "MusHPFREBar", Qt::Horizontal, QRect(46, 28, w - 126, 22));
  MakePane(filters, "MusHPFREPane", QRect(w - 76, 28, 68, 22));
  MakeLabel(filters, {"低通", "LP"}, QRect(10, 52, 34, 22))->setProperty("fieldTitle", true);
  MakeSelector(filters, "MusLPTypeBox", QRect(46, 52, w - 54, 22));
  MakeLabel(filters, {"低通", "LPF"}, QRect(10, 76, 34, 22))->setProperty("fieldTitle", true);
  MakeTrackBar(filters, "MusLPFREBar", Qt::Horizontal, QRect(46, 76, w - 126, 22));
  MakePane(filters, "MusLPFREPane", QRect(w - 76, 76, 68, 22));
  return sheet;
}

}  // namespace kdsp::ui
