#pragma once

// Widgets made from the slot maps: each gets its object name, range, items and Hint from the
// table entry, so the registry finds it by the same name.

#include <QGroupBox>
#include <QLabel>
#include <QRect>
#include <QString>
#include <QWidget>

#include "model/bi_text.h"
#include "edit/bound_widgets.h"
#include "model/slot_map.h"

namespace kdsp::ui {

/// The slot-map entry naming `name`; aborts the build loudly when the tables lack it, since a
/// page builder asking for an unknown name is a programming error.
const SlotEntry& EntryFor(std::string_view name);

/// The value edit named `name` (Hint = its display kind).
ParamEdit* MakeEdit(QWidget* parent, std::string_view name, const QRect& geometry);
/// The trackbar named `name` with its entry's raw range.
ParamTrackBar* MakeTrackBar(QWidget* parent, std::string_view name, Qt::Orientation orientation,
                            const QRect& geometry);
/// The status pane of a trackbar, showing the text of the bar's start position.
StatusPane* MakePane(QWidget* parent, std::string_view name, const QRect& geometry);
/// A selector with its entry's fixed items (Hint "1" for band types, "20"/"21" for filters).
ParamSelector* MakeSelector(QWidget* parent, std::string_view name, const QRect& geometry);
/// Spin buttons named `name`.
SpinButtons* MakeSpin(QWidget* parent, std::string_view name, const QRect& geometry);
/// A picture button named `name` (switches start released with state "0").
PictureButton* MakeButton(QWidget* parent, std::string_view name, const QRect& geometry,
                          const QString& caption = {});
/// A translatable label: the Chinese text shown, the English one kept (the start-up state).
QLabel* MakeLabel(QWidget* parent, const BiText& text, const QRect& geometry,
                  const char* name = nullptr);
/// A translatable group frame.
QGroupBox* MakeGroup(QWidget* parent, const BiText& title, const QRect& geometry,
                     const char* name = nullptr);
/// A plain frame without title (not translatable).
QWidget* MakeFrame(QWidget* parent, const QRect& geometry, const char* name = nullptr);

}  // namespace kdsp::ui
