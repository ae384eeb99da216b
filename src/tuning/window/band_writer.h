#pragma once

#include <utility>
#include <vector>

#include "edit/binding_context.h"
#include "tuning/band_setting.h"

namespace kdsp {

class EditPipeline;
class EditRecorder;
class PageRefresh;

/// Reads a channel's bands from the device table and writes new ones through the edit path
/// (live to the box when online) as one undo step, then shows them on the open page.
class BandWriter {
 public:
  BandWriter(BindingContext& ctx, EditPipeline& pipeline, EditRecorder& recorder,
             PageRefresh& refresh)
      : ctx_(ctx), pipeline_(pipeline), recorder_(recorder), refresh_(refresh) {}

  /// The device page of the channel the window shows; -1 when it has no equaliser.
  int ShownDevicePage() const;
  std::vector<BandSetting> Read(int device_page) const;
  /// Writes the changed fields of (band, setting) pairs of `device_page`.
  void Write(int device_page, const std::vector<std::pair<int, BandSetting>>& bands);
  int UiLanguage() const { return ctx_.ui_language; }

 private:
  BindingContext& ctx_;
  EditPipeline& pipeline_;
  EditRecorder& recorder_;
  PageRefresh& refresh_;
};

}  // namespace kdsp
