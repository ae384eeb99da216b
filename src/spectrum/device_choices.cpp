#include "spectrum/device_choices.h"

#include <QAudioDevice>
#include <QMediaDevices>

#include "model/bi_text.h"

namespace kdsp {

namespace {

constexpr BiText kDefaultMark = {"（默认）", " (default)"};
constexpr BiText kMissingMark = {"（未连接）", " (not connected)"};
constexpr BiText kNoDevice = {"没有设备", "No device"};

QString Text(const BiText& t, int lang) {
  const std::string_view s = t.In(lang);
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QList<DeviceChoice> Choices(const QList<QAudioDevice>& devices, const QAudioDevice& fallback,
                            int lang, const QByteArray& chosen) {
  QList<DeviceChoice> list;
  if (devices.isEmpty()) {
    list.push_back({Text(kNoDevice, lang), QByteArray()});
  } else {
    const QAudioDevice def = fallback.isNull() ? devices.front() : fallback;
    list.push_back({def.description() + Text(kDefaultMark, lang), QByteArray()});
  }
  bool chosen_seen = chosen.isEmpty();
  for (const QAudioDevice& d : devices) {
    chosen_seen = chosen_seen || d.id() == chosen;
    if (d.id() != list.front().id && !(d == fallback)) list.push_back({d.description(), d.id()});
  }
  if (!fallback.isNull() && fallback.id() == chosen) {
    list.push_back({fallback.description(), fallback.id()});  // chosen by name: keep it
  }
  if (!chosen_seen) list.push_back({QString::fromUtf8(chosen) + Text(kMissingMark, lang), chosen});
  return list;
}

}  // namespace

QList<DeviceChoice> InputChoices(int ui_language, const QByteArray& chosen) {
  return Choices(QMediaDevices::audioInputs(), QMediaDevices::defaultAudioInput(), ui_language,
                 chosen);
}

QList<DeviceChoice> OutputChoices(int ui_language, const QByteArray& chosen) {
  return Choices(QMediaDevices::audioOutputs(), QMediaDevices::defaultAudioOutput(), ui_language,
                 chosen);
}

bool InputConnected(const QByteArray& id) {
  const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
  if (id.isEmpty()) return !inputs.isEmpty();
  for (const QAudioDevice& d : inputs) {
    if (d.id() == id) return true;
  }
  return false;
}

}  // namespace kdsp
