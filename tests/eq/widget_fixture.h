#pragma once

// A window stand-in for the graph tests: bound controls of the equaliser pages made from the
// slot maps, the graph panel, the edit path with a recording link, and a pointer that delivers
// mouse events the way the toolkit does (moves and releases go to the pressed marker).

#include <memory>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <QColor>
#include <QWidget>

#include "eq/equaliser_graph.h"
#include "eq/marker_editor.h"
#include "edit/binding_context.h"
#include "edit/edit_handlers.h"
#include "edit/edit_pipeline.h"
#include "edit/page_refresh.h"
#include "model/value_table.h"

namespace kdsp::test {

/// An online link that records every write it is handed (device address, value).
class RecordingLink : public ParamLink {
 public:
  bool IsOnline() const override { return true; }
  void SendParam(ParamAddr device_addr, int value) override {
    writes.emplace_back(device_addr, value);
  }
  void SendParamAndHold(ParamAddr, int) override {}
  QString ModeName(int, int) const override { return {}; }
  bool TakeFirstRefreshAfterOnline() override { return false; }

  /// Writes to one address since the last Clear.
  int CountTo(ParamAddr a) const;
  std::vector<std::pair<ParamAddr, int>> writes;
};

class GraphFixture : public ::testing::Test {
 protected:
  GraphFixture();
  ~GraphFixture() override;

  /// Opens view page `page` as the channel tabs do (page index = its band group) and refreshes
  /// it, which ends in a full redraw.
  void OpenPage(int page, int output_mode = 1);
  /// One tick of the window timer: band-change check, then hand-over.
  void Tick() { graph->Timer1Timer(); }
  /// Stores a band field in both tables (page 0..24 view page, device page as mapped).
  void SetField(int page, int band, int field, int value);

  // The pointer, in graph-area coordinates.
  void Press(int marker, Qt::MouseButton button, QPoint in_marker = {7, 7});
  void MoveTo(QPoint in_area);
  void MoveBy(int dx, int dy) { MoveTo(pointer_ + QPoint(dx, dy)); }
  void Release();
  QPoint MarkerCentre(int marker) const;

  QRgb Pixel(int x, int y) const { return graph->Surface()->Canvas().pixel(x, y); }
  ParamEdit* Edit(const char* name) const;

  ValueTable device;
  ValueTable view;
  BindingContext ctx{device, view};
  EditPipeline pipeline{ctx};
  EditHandlers handlers{ctx, pipeline};
  PageRefresh refresh{ctx, pipeline, handlers};
  RecordingLink link;
  std::unique_ptr<QWidget> root;
  QWidget* panel = nullptr;
  std::unique_ptr<EqualiserGraph> graph;

 private:
  void Send(QWidget* target, int type, QPoint local, Qt::MouseButton button);
  QPoint pointer_;
  QWidget* grab_ = nullptr;
  Qt::MouseButtons buttons_;
};

}  // namespace kdsp::test
