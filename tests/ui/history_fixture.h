#pragma once

// Helpers of the undo and A/B tests: user actions that let the step they make end, as it ends
// when control returns to the event loop.

#include <string>
#include <utility>
#include <vector>

#include <QLineEdit>

#include "edit/edit_history.h"
#include "model/display_kind.h"
#include "system_test_fixture.h"

namespace kdsp::testing {

using Writes = std::vector<std::pair<int, int>>;

/// Address of a field of a music band (band 1-based).
constexpr ParamAddr Band(int band, int field) { return MakeAddr(0, 13 + 5 * (band - 1) + field); }

/// "page.slot: a vs b" for the first cell where two tables differ, empty when they are equal.
inline std::string FirstDifference(const ValueTable& a, const ValueTable& b) {
  for (int page = 0; page < kPageCount; ++page) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (a.Get(page, slot) != b.Get(page, slot)) {
        return std::to_string(page) + "." + std::to_string(slot) + ": " +
               std::to_string(a.Get(page, slot)) + " vs " + std::to_string(b.Get(page, slot));
      }
    }
  }
  return {};
}

/// The whole window with the system page's seams replaced, acting as the user does.
class HistoryTest : public SystemTest {
 protected:
  /// Lets the step of the last action end (it ends when control returns to the event loop).
  static void Settle() { QCoreApplication::processEvents(); }
  EditHistory& History() { return Window().History(); }

  void TypeInto(const char* name, const QString& text) {
    auto* edit = Find<ParamEdit>(name);
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    Settle();
  }
  void ClickAt(const char* name) {
    QTest::mouseClick(Find<QWidget>(name), Qt::LeftButton);
    Settle();
  }
  /// A key as the user types it: to the control that has the focus.
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : window_.get(), static_cast<Qt::Key>(key), mods);
    Settle();
  }
  void Undo() { Key(Qt::Key_Z, Qt::ControlModifier); }
  void Redo() { Key(Qt::Key_Y, Qt::ControlModifier); }
  QString Text(const char* name) { return Find<QLineEdit>(name)->text(); }
  static QString Freq(int index) {
    return QString::fromStdString(FormatKind(kKindFrequency, index));
  }
};

}  // namespace kdsp::testing
