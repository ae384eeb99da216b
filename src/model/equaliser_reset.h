#pragma once

#include "model/selection.h"
#include "model/value_table.h"

namespace kdsp {

/// Zeroes every cell in use and gives `DeviceValues` the contents it has before the first
/// download (input gains, filter corners, input-source count ...).
void ApplyStartupContents(ValueTable& device_values);

/// Resets every equaliser of pages 0..24 to its defaults in both tables. Sends nothing.
void ResetAllEqualisers(ValueTable& device_values, ValueTable& view_values);

/// The device page the equaliser reset of view page `view_page` acts on.
int ResolveResetPage(const Selection& sel, int view_page);

/// Resets the equaliser of one page (a view page, resolved through the selection) in the tables
/// and returns the block id whose reset command the caller sends to (26, id); -1 when the page
/// has no equaliser.
int ResetEqualiserPage(const Selection& sel, int view_page, ValueTable& device_values,
                       ValueTable& view_values);

}  // namespace kdsp
