#include "spectrum/spectrum_options.h"

#include <algorithm>
#include <iterator>

#include <QSettings>

namespace kdsp {

namespace {

constexpr char kGroup[] = "spectrum";

}  // namespace

SpectrumOptions SpectrumOptions::Load(QSettings& settings) {
  SpectrumOptions o;
  settings.beginGroup(kGroup);
  o.input_id = settings.value("input").toByteArray();
  const double averaging = settings.value("averaging_s", 0.0).toDouble();
  if (std::find(std::begin(kAveragingChoices), std::end(kAveragingChoices), averaging) !=
      std::end(kAveragingChoices)) {
    o.averaging_s = averaging;
  }
  o.peak_hold = settings.value("peak_hold", false).toBool();
  o.noise_output_id = settings.value("noise_output").toByteArray();
  const int level = settings.value("noise_level_dbfs", kDefaultNoiseLevelDbfs).toInt();
  if (std::find(std::begin(kNoiseLevels), std::end(kNoiseLevels), level) !=
      std::end(kNoiseLevels)) {
    o.noise_level_dbfs = level;
  }
  settings.endGroup();
  return o;
}

void SpectrumOptions::Save(QSettings& settings) const {
  settings.beginGroup(kGroup);
  settings.setValue("input", input_id);
  settings.setValue("averaging_s", averaging_s);
  settings.setValue("peak_hold", peak_hold);
  settings.setValue("noise_output", noise_output_id);
  settings.setValue("noise_level_dbfs", noise_level_dbfs);
  settings.endGroup();
  settings.sync();
}

}  // namespace kdsp
