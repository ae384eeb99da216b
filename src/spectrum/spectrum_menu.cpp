#include "spectrum/spectrum_menu.h"

#include <QActionGroup>
#include <QMenu>

#include "model/bi_text.h"
#include "spectrum/device_choices.h"
#include "spectrum/spectrum_display.h"
#include "spectrum/spectrum_options.h"

namespace kdsp {

namespace {

constexpr BiText kInput = {"输入设备", "Input device"};
constexpr BiText kAveraging = {"平均", "Averaging"};
constexpr BiText kAveragingOff = {"关", "Off"};
constexpr BiText kSeconds = {"%1 秒", "%1 s"};
constexpr BiText kPeakHold = {"峰值保持", "Peak hold"};
constexpr BiText kNoise = {"粉红噪声测试信号", "Pink noise test signal"};
constexpr BiText kNoiseOutput = {"噪声输出设备", "Noise output device"};
constexpr BiText kNoiseLevel = {"噪声电平", "Noise level"};
constexpr BiText kMeasurement = {"测量…", "Measurement…"};

QString Text(const BiText& t, int lang) {
  const std::string_view s = t.In(lang);
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

/// A submenu of exclusive, checkable entries.
QMenu* ChoiceMenu(QMenu* parent, const QString& title, const char* name) {
  QMenu* sub = parent->addMenu(title);
  sub->setObjectName(name);
  sub->menuAction()->setObjectName(QString::fromLatin1(name) + "Action");
  new QActionGroup(sub);
  return sub;
}

QAction* AddChoice(QMenu* sub, const QString& text, bool checked) {
  QAction* a = sub->addAction(text);
  a->setCheckable(true);
  a->setChecked(checked);
  sub->findChild<QActionGroup*>()->addAction(a);
  return a;
}

}  // namespace

// Every choice is carried out after the menu has finished with the click: starting or stopping
// audio may run the event loop, which must not delete the menu under its own mouse handler.
QMenu* BuildSpectrumMenu(SpectrumDisplay& display, int lang, QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->setObjectName("SpectrumMenu");
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const SpectrumOptions& o = display.Options();

  QMenu* input = ChoiceMenu(menu, Text(kInput, lang), "SpectrumInputMenu");
  for (const DeviceChoice& c : InputChoices(lang, o.input_id)) {
    const QByteArray id = c.id;
    QObject::connect(
        AddChoice(input, c.label, id == o.input_id), &QAction::triggered, &display,
        [&display, id] { display.SetInput(id); }, Qt::QueuedConnection);
  }

  QMenu* averaging = ChoiceMenu(menu, Text(kAveraging, lang), "SpectrumAveragingMenu");
  for (double tau : SpectrumOptions::kAveragingChoices) {
    const QString text = tau == 0.0 ? Text(kAveragingOff, lang) : Text(kSeconds, lang).arg(tau);
    QObject::connect(
        AddChoice(averaging, text, tau == o.averaging_s), &QAction::triggered, &display,
        [&display, tau] { display.SetAveraging(tau); }, Qt::QueuedConnection);
  }

  QAction* peak = menu->addAction(Text(kPeakHold, lang));
  peak->setObjectName("SpectrumPeakHoldAction");
  peak->setCheckable(true);
  peak->setChecked(o.peak_hold);
  QObject::connect(
      peak, &QAction::toggled, &display, [&display](bool on) { display.SetPeakHold(on); },
      Qt::QueuedConnection);

  menu->addSeparator();
  QAction* noise = menu->addAction(Text(kNoise, lang));
  noise->setObjectName("SpectrumNoiseAction");
  noise->setCheckable(true);
  noise->setChecked(display.NoisePlaying());
  QObject::connect(
      noise, &QAction::toggled, &display, [&display](bool on) { display.SetNoiseOn(on); },
      Qt::QueuedConnection);

  QMenu* output = ChoiceMenu(menu, Text(kNoiseOutput, lang), "SpectrumNoiseOutputMenu");
  for (const DeviceChoice& c : OutputChoices(lang, o.noise_output_id)) {
    const QByteArray id = c.id;
    QObject::connect(
        AddChoice(output, c.label, id == o.noise_output_id), &QAction::triggered, &display,
        [&display, id] { display.SetNoiseOutput(id); }, Qt::QueuedConnection);
  }

  QMenu* level = ChoiceMenu(menu, Text(kNoiseLevel, lang), "SpectrumNoiseLevelMenu");
  for (int dbfs : SpectrumOptions::kNoiseLevels) {
    const QString text = QStringLiteral("%1 dBFS").arg(dbfs);
    QObject::connect(
        AddChoice(level, text, dbfs == o.noise_level_dbfs), &QAction::triggered, &display,
        [&display, dbfs] { display.SetNoiseLevel(dbfs); }, Qt::QueuedConnection);
  }

  menu->addSeparator();
  QAction* measure = menu->addAction(Text(kMeasurement, lang));
  measure->setObjectName("SpectrumMeasureAction");
  QObject::connect(
      measure, &QAction::triggered, &display, [&display] { emit display.MeasurementRequested(); },
      Qt::QueuedConnection);
  return menu;
}

}  // namespace kdsp
