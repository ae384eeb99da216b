#pragma once

#include <functional>

#include <QList>

#include <QByteArray>
#include <QMediaDevices>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QComboBox;

namespace kdsp {

/// The small list of capture devices next to the spectrum button: it shows the devices (the
/// default first) with the chosen one current, refills itself whenever devices are plugged in
/// or out, and reports the user's choice. Without a list widget it still follows the devices.
/// Some sound servers' toolkit back ends never announce a change, so the device list is also
/// compared once a second.
class InputSelector : public QObject {
  Q_OBJECT
 public:
  /// `language` gives the interface language (1 Chinese) whenever the list is filled.
  InputSelector(QComboBox* box, std::function<int()> language, QObject* parent = nullptr);

  /// Makes `id` the current entry (empty: the default input) without reporting it.
  void SetChosen(const QByteArray& id);
  QByteArray ChosenId() const { return chosen_; }
  /// Fills the list again (devices or language changed).
  void Refill();
  /// Looks at the devices now (the poll's step); reports them when they changed.
  void CheckDevices();

 signals:
  /// The user picked an input.
  void Chosen(const QByteArray& id);
  /// The system's capture devices changed (after the list was refilled).
  void InputsChanged();

 private:
  QPointer<QComboBox> box_;
  std::function<int()> language_;
  QMediaDevices devices_;
  QByteArray chosen_;
  bool filling_ = false;
  QTimer poll_;
  QList<QByteArray> seen_ids_;  // the inputs as last seen, the default first
};

}  // namespace kdsp
