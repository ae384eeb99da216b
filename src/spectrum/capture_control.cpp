#include "spectrum/capture_control.h"

#include "spectrum/audio_capture.h"
#include "spectrum/device_choices.h"

namespace kdsp {

CaptureControl::CaptureControl(std::unique_ptr<SampleSource> source, QComboBox* list,
                               std::function<int()> language, QObject* parent)
    : QObject(parent), source_(std::move(source)) {
  selector_ = std::make_unique<InputSelector>(list, std::move(language));
  connect(selector_.get(), &InputSelector::InputsChanged, this, &CaptureControl::OnInputsChanged);
  if (source_ == nullptr) source_ = std::make_unique<AudioCapture>();
  source_->SetOnLost([this] { InputLost(); });
}

CaptureControl::~CaptureControl() {
  source_->CaptureStop();
  source_->SetOnRecord({});
  source_->SetOnLost({});
}

bool CaptureControl::Start(const QByteArray& id) {
  input_id_ = id;
  source_->SetInputDevice(id);
  source_->SetTriggered(false);
  available_ = source_->CaptureStart();
  return available_;
}

bool CaptureControl::Switch(const QByteArray& id) {
  if (selector_->ChosenId() != id) selector_->SetChosen(id);
  source_->CaptureStop();
  return Start(id);
}

void CaptureControl::InputLost() {
  source_->CaptureStop();
  const bool was_available = available_;
  available_ = false;
  if (was_available && on_lost_) on_lost_();
}

void CaptureControl::OnInputsChanged() {
  if (!InputConnected(input_id_)) {
    if (available_) InputLost();
  } else if (!available_) {
    Start(input_id_);  // the chosen input is back
  }
}

}  // namespace kdsp
