#include "spectrum/input_selector.h"

#include <QAudioDevice>
#include <QComboBox>

#include "spectrum/device_choices.h"

namespace kdsp {

InputSelector::InputSelector(QComboBox* box, std::function<int()> language, QObject* parent)
    : QObject(parent), box_(box), language_(std::move(language)) {
  connect(&devices_, &QMediaDevices::audioInputsChanged, this, &InputSelector::CheckDevices);
  connect(&poll_, &QTimer::timeout, this, &InputSelector::CheckDevices);
  poll_.start(1000);
  if (box_ != nullptr) {
    box_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(box_, &QComboBox::activated, this, [this](int index) {
      if (filling_ || box_ == nullptr) return;
      const QByteArray id = box_->itemData(index).toByteArray();
      chosen_ = id;
      emit Chosen(id);
    });
  }
  CheckDevices();
  Refill();
}

namespace {

QList<QByteArray> InputIds() {
  QList<QByteArray> ids{QMediaDevices::defaultAudioInput().id()};
  for (const QAudioDevice& d : QMediaDevices::audioInputs()) ids.push_back(d.id());
  return ids;
}

}  // namespace

void InputSelector::CheckDevices() {
  QList<QByteArray> ids = InputIds();
  if (ids == seen_ids_) return;
  const bool first = seen_ids_.isEmpty();
  seen_ids_ = std::move(ids);
  if (first) return;
  Refill();
  emit InputsChanged();
}

void InputSelector::SetChosen(const QByteArray& id) {
  chosen_ = id;
  Refill();
}

void InputSelector::Refill() {
  if (box_ == nullptr) return;
  filling_ = true;
  box_->clear();
  for (const DeviceChoice& c : InputChoices(language_ ? language_() : 0, chosen_)) {
    box_->addItem(c.label, c.id);
    if (c.id == chosen_) box_->setCurrentIndex(box_->count() - 1);
    box_->setItemData(box_->count() - 1, c.label, Qt::ToolTipRole);
  }
  box_->setToolTip(box_->currentText());
  filling_ = false;
}

}  // namespace kdsp
