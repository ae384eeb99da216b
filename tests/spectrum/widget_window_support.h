#pragma once

// Helpers of the spectrum tests that run the whole main window: a catcher of message boxes,
// the shown window with the ticks in the test's hands, waiting on the event loop, and choosing
// entries of the spectrum button's context menu as the user does.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "spectrum/spectrum_display.h"
#include "ui/main_window.h"
#include "widget_support.h"

namespace kdsp::test {

/// Closes the next message box that shows up and keeps its caption and text.
class MessageBoxCatcher {
 public:
  MessageBoxCatcher() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box == nullptr || !box->isVisible()) continue;
        title = box->windowTitle();
        text = box->text();
        ++shown;
        box->done(QMessageBox::Ok);
      }
    });
    timer_.start(20);
  }
  QString title;
  QString text;
  int shown = 0;

 private:
  QTimer timer_;
};

/// The main window, shown, with its own 10 ms timer stopped: the test steps the ticks.
struct ShownWindow {
  ShownWindow() : window(device, view) {
    window.show();
    window.Timer1().stop();
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) emit window.Tick();
  }
  const QImage& Canvas() { return window.Graph().Canvas(); }
  /// A key as the user types it: into the window in front (the window's keys are its
  /// shortcuts, which only the active window receives), to the focused control or the window.
  void Key(Qt::Key key) {
    if (QApplication::activeWindow() == nullptr) QApplication::setActiveWindow(&window);
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : &window, key);
  }
  QAbstractButton* Button(const char* name) { return window.findChild<QAbstractButton*>(name); }

  ValueTable device;
  ValueTable view;
  ui::MainWindow window;
};

/// Waits (running the event loop) until `done` holds or `ms` pass.
template <typename Done>
bool WaitFor(Done done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QTest::qWait(20);
  }
  return true;
}

/// Right-clicks the spectrum button of `display` and clicks the entries along `path`
/// (submenus, then the entry); false when an entry is missing.
inline bool ChooseInSpectrumMenu(SpectrumDisplay& display, QWidget* button,
                                 const QStringList& path) {
  RightClick(button, QPoint(10, 10));
  QMenu* menu = display.OpenMenu();
  for (const QString& text : path) {
    if (menu == nullptr || !WaitFor([menu] { return menu->isVisible(); }, 2000)) {
      ADD_FAILURE() << "no menu open for " << text.toStdString();
      return false;
    }
    QAction* hit = nullptr;
    QStringList seen;
    for (QAction* a : menu->actions()) {
      if (a->text() == text) hit = a;
      seen << a->text();
    }
    if (hit == nullptr) {
      ADD_FAILURE() << "no entry " << text.toStdString() << " among "
                    << seen.join(" | ").toStdString();
      menu->close();
      return false;
    }
    QMenu* next = hit->menu();  // a chosen entry may be gone with its menu after the click
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(hit).center());
    menu = next;
  }
  WaitFor([&display] { return display.OpenMenu() == nullptr; }, 1000);
  return true;
}

}  // namespace kdsp::test
