#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kdsp {

/// One entry of a device list: what the user reads and the device id it stands for (empty
/// for the system's default device).
struct DeviceChoice {
  QString label;
  QByteArray id;
};

/// The capture devices, the system's default first (marked as the default and standing for
/// "whatever the default is"), then the others in the system's order. A chosen device that
/// is not connected is listed last, marked so, so that the choice stays visible.
QList<DeviceChoice> InputChoices(int ui_language, const QByteArray& chosen);
/// The same for the playback devices.
QList<DeviceChoice> OutputChoices(int ui_language, const QByteArray& chosen);
/// Whether a capture device with this id is connected (the default: whether any is).
bool InputConnected(const QByteArray& id);

}  // namespace kdsp
