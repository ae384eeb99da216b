#pragma once

#include <cstdint>
#include <span>

#include "eq/maths/response_grid.h"
#include "eq/maths/shape_table.h"

namespace kdsp {

/// `CurveTypeCode` of a row: band types 0..3 (4..99 count as bypass), high-pass 100 + t and
/// low-pass 200 + t for a filter type value t, drawn with slope row n = code mod 20 (0..12; 13
/// to 19 have no slope row and draw flat).
inline constexpr int kCodeBypass = 0;
inline constexpr int kCodePeaking = 1;
inline constexpr int kCodeLowShelf = 2;
inline constexpr int kCodeHighShelf = 3;
inline constexpr int kCodeHighPass = 100;
inline constexpr int kCodeLowPass = 200;
inline constexpr int kSlopeRowMax = 12;

/// Scratch room of the response computation, made once and reused by every row.
struct ResponseScratch {
  ShapeTable shape;
  ShapeTable r;  // first section of a cascaded filter row
  ShapeTable s;  // second section
};

/// The five highest Q values are drawn narrower than their number says: 102 -> 98, 108 -> 100,
/// 114 -> 101, 121 -> 102, 128 -> 103 (exact comparisons); any other Q is returned as is.
float RemapQ(float q);

/// Fills the shape table of a row (before placement). Returns false when the code has no shape
/// (a filter code whose slope row code mod 20 is above 12, or a code of 300 or more).
bool RowShape(int code, float q, float gain_db, ResponseScratch& scratch);

/// `BandResponse`: the response of one row in dB on grid points 0..N of `response`, its shape
/// centred on the grid position of `frequency_hz` (raised to 10 Hz when lower). A code without
/// a shape makes the whole row 0 dB: every computation writes the row.
void BandResponse(int code, int frequency_hz, float q, float gain_db,
                  std::span<float, kResponseLength> response, ResponseScratch& scratch);

/// Lays a shape onto the grid so that its centre (point 231) falls on grid point `position`;
/// the tails repeat the shape's end values. Positions beyond the spare room are cut to it.
void PlaceShape(const ShapeTable& shape, int position, std::span<float, kResponseLength> response);

}  // namespace kdsp
