#pragma once

#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "edit/seams.h"
#include "model/value_table.h"
#include "ui/main_window.h"

namespace kdsp::testing {

/// One wheel notch over `target`, delivered as the toolkit delivers a real one: to the widget
/// under the pointer, then up its parents until one takes it. True when one took it.
inline bool SendWheel(QWidget* target, int delta) {
  QPointF at(5, 5);
  for (QWidget* w = target; w != nullptr; w = w->parentWidget()) {
    QWheelEvent wheel(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    if (QApplication::sendEvent(w, &wheel) && wheel.isAccepted()) return true;
    if (w->isWindow()) break;
    at += w->pos();
  }
  return false;
}

/// A link that records what the edit path hands it.
class FakeLink : public ParamLink {
 public:
  bool online = true;
  std::vector<std::pair<int, int>> writes;  ///< (device address, value)
  std::vector<std::pair<int, int>> held;    ///< SendParamAndHold: (view address, value)
  bool first_refresh = false;

  bool IsOnline() const override { return online; }
  void SendParam(ParamAddr device_addr, int value) override {
    writes.emplace_back(device_addr, value);
  }
  void SendParamAndHold(ParamAddr view_addr, int value) override {
    held.emplace_back(view_addr, value);
  }
  QString ModeName(int set, int index) const override {
    return QString("m%1.%2").arg(set).arg(index);
  }
  bool TakeFirstRefreshAfterOnline() override { return std::exchange(first_refresh, false); }
};

/// A graph that records the redraws asked of it.
class FakeGraph : public EqGraph {
 public:
  std::vector<std::pair<int, int>> draws;  ///< (selector, page)
  QColor colour;
  void DrawEqCurve(int selector, int page) override { draws.emplace_back(selector, page); }
  void SetCurveColour(const QColor& c) override { colour = c; }
};

/// The whole main window, shown offscreen and active, with a fake link online.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<ui::MainWindow>(device_, view_);
    window_->SetLink(&link_);
    window_->SetGraph(&graph_);
    BeforeShow();
    window_->show();
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    ASSERT_TRUE(window_->ShowDone());
    link_.writes.clear();
  }
  void TearDown() override { window_.reset(); }
  /// Replaces further seams of the window before its first show.
  virtual void BeforeShow() {}

  template <typename T = QWidget>
  T* Find(const char* name) const {
    T* w = window_->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << "no control " << name;
    return w;
  }
  BindingContext& Ctx() { return window_->Context(); }
  ui::MainWindow& Window() { return *window_; }

  /// Clicks an edit, replaces its text by typing and presses Enter, as a user would.
  void TypeInto(const char* name, const QString& text) {
    auto* edit = Find<ParamEdit>(name);
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }

  ValueTable device_;
  ValueTable view_;
  FakeLink link_;
  FakeGraph graph_;
  std::unique_ptr<ui::MainWindow> window_;
};

}  // namespace kdsp::testing
