#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "eq/maths/band_response.h"
#include "eq/maths/response_grid.h"
#include "model/param_addr.h"
#include "model/value_table.h"

namespace kdsp {

/// One row of the `CurveTable`: a band or a filter of the channel shown in the graph.
struct CurveEntry {
  float gain = 0.0f;       ///< dB (0 for filter rows)
  float frequency = 0.0f;  ///< centre or corner frequency in Hz
  float q = 0.0f;          ///< Q of a band or slope of a shelf, from `QTable`
  std::int32_t type = 0;   ///< `CurveTypeCode`
  std::array<float, kResponseLength> response{};  ///< dB at grid points 0..N, then spare room
};

/// View addresses of the controls a marker drag acts on. Band rows have all three (fields 1,
/// 2 and 3: their primary controls); filter points only the filter frequency, which is bound
/// to the filter's display control rather than an edit.
struct PointControls {
  std::optional<ParamAddr> freq;
  std::optional<ParamAddr> gain;
  std::optional<ParamAddr> q;
  bool filter = false;
};

/// Window state the loader depends on.
struct CurveLoadContext {
  bool hint_band3_visible = true;        ///< page 22: the group of band 3 is shown
  bool aux_first_half_selected = false;  ///< page 21: a label of bands 1..3 is highlighted
};

inline constexpr int kCurveRows = 22;
inline constexpr int kAllRows = 100;       ///< selector: every row
inline constexpr int kHighPassPoint = 20;  ///< fixed point numbers of the filter markers
inline constexpr int kLowPassPoint = 21;

/// The rows of the channel shown in the graph with their cached responses, the per-point
/// controls, and the scratch room of the computation. All storage is fixed: loading and
/// recomputing allocate nothing. Large (about 130 kB); keep one for the run.
class CurveTable {
 public:
  /// `LoadCurveTable`: fills rows from `view_values` of a view page; `selector` 0..21 loads that
  /// band row (and the filter rows when selector >= B - 1), 100 loads every row. Returns
  /// (B - 1) + 100 F with B the bands loaded and F the filter rows (0 or 2).
  int LoadCurveTable(const ValueTable& view_values, int page, int selector,
                     const CurveLoadContext& context = {});

  /// Recomputes the responses of rows 0..L (all with selector 100, else row `selector` only),
  /// each at its frequency rounded to the nearest whole hertz.
  void ComputeRows(int selector);

  /// `ChannelCurve`(k): the single-precision sum of rows 0..L at grid point k (page 21 skips
  /// rows of type 0).
  float ChannelCurve(int k) const;
  /// The whole curve, points 0..N.
  void ChannelCurve(std::span<float, kGridSteps + 1> curve) const;

  CurveEntry& Row(int i) { return rows_[i]; }
  const CurveEntry& Row(int i) const { return rows_[i]; }
  /// L, the last row in use; -1 before the first load.
  int LastRow() const { return last_row_; }
  int Page() const { return page_; }
  const PointControls& Controls(int point) const { return controls_[point]; }

 private:
  void LoadFilterRows(const ValueTable& view_values, int page, int bands);
  void LoadBandRow(const ValueTable& view_values, int page, int first_slot, int band,
                   bool record_controls);

  std::array<CurveEntry, kCurveRows> rows_{};
  std::array<PointControls, kCurveRows> controls_{};
  int last_row_ = -1;
  int page_ = -1;
  ResponseScratch scratch_{};
};

}  // namespace kdsp
