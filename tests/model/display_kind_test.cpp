#include "model/display_kind.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/frequency_table.h"
#include "model/q_table.h"
#include "model/scale_tables.h"

namespace kdsp {
namespace {

TEST(FormatKind, ArithmeticKindsRoundHalfAwayFromZero) {
  EXPECT_EQ(FormatKind(3, 0), "-24.0dB");
  EXPECT_EQ(FormatKind(3, 2), "-23.6dB");
  EXPECT_EQ(FormatKind(3, 119), "-0.2dB");
  EXPECT_EQ(FormatKind(3, 120), "0.0dB");
  EXPECT_EQ(FormatKind(3, 150), "6.0dB");
  EXPECT_EQ(FormatKind(3, 180), "12.0dB");
  EXPECT_EQ(FormatKind(5, 0), "-10.0dB");
  EXPECT_EQ(FormatKind(5, 19), "-0.5dB");
  EXPECT_EQ(FormatKind(5, 20), "0.0dB");
  EXPECT_EQ(FormatKind(5, 21), "0.5dB");
  EXPECT_EQ(FormatKind(8, 80), "80%");
  EXPECT_EQ(FormatKind(9, 200), "200%");
  EXPECT_EQ(FormatKind(10, 0), "-50%");
  EXPECT_EQ(FormatKind(10, 50), "0%");
  EXPECT_EQ(FormatKind(11, 250), "500ms");
  EXPECT_EQ(FormatKind(12, 1), "63ms");  // 62.5 goes up
  EXPECT_EQ(FormatKind(12, 3), "188ms");
  EXPECT_EQ(FormatKind(12, 80), "5000ms");
  EXPECT_EQ(FormatKind(14, 0), "-20dBu");
  EXPECT_EQ(FormatKind(14, 34), "14dBu");
  EXPECT_EQ(FormatKind(18, 5), "0.5ms");
  EXPECT_EQ(FormatKind(18, 1000), "100.0ms");
  EXPECT_EQ(FormatKind(20, 0), "-60dBu");
  EXPECT_EQ(FormatKind(21, 0), "-7");
  EXPECT_EQ(FormatKind(21, 7), "0");
  EXPECT_EQ(FormatKind(23, 4), "4");
  EXPECT_EQ(FormatKind(24, 0), "-90dB");
  EXPECT_EQ(FormatKind(24, 60), "-30dB");
  EXPECT_EQ(FormatKind(25, 0), "-34dB");
  EXPECT_EQ(FormatKind(26, 250), "250ms");
  EXPECT_EQ(FormatKind(27, 120), "0.0dB");
  EXPECT_EQ(FormatKind(27, 180), "12.0dB");
  EXPECT_EQ(FormatKind(28, 60), "-12.0dB");
  EXPECT_EQ(FormatKind(29, 100), "100");
  // Kind 22 has whole decibels: the halves go away from zero on both sides of 0 dB.
  EXPECT_EQ(FormatKind(22, 1), "-10dB");
  EXPECT_EQ(FormatKind(22, 2), "-9dB");
  EXPECT_EQ(FormatKind(22, 3), "-9dB");
  EXPECT_EQ(FormatKind(22, 19), "-1dB");
  EXPECT_EQ(FormatKind(22, 20), "0dB");
  EXPECT_EQ(FormatKind(22, 21), "1dB");
  EXPECT_EQ(FormatKind(22, 40), "10dB");
  // A stored value below the range (display-only equaliser kinds keep it) still reads right.
  EXPECT_EQ(FormatKind(3, -5), "-25.0dB");
  EXPECT_EQ(FormatKind(5, -1), "-10.5dB");
}

TEST(FormatKind, TableKinds) {
  EXPECT_EQ(FormatKind(2, 0), "19.7Hz");
  EXPECT_EQ(FormatKind(2, 204), "1000Hz");
  EXPECT_EQ(FormatKind(6, 360), "20200Hz");
  EXPECT_EQ(FormatKind(7, 64), "67.5Hz");
  EXPECT_EQ(FormatKind(13, 0), "Off");
  EXPECT_EQ(FormatKind(13, 1), "19.7Hz");
  EXPECT_EQ(FormatKind(13, 205), "1000Hz");
  EXPECT_EQ(FormatKind(4, 16), "1.00");
  EXPECT_EQ(FormatKind(4, 100), "128.00");
  EXPECT_EQ(FormatKind(19, 23), "1.50");
  EXPECT_EQ(FormatKind(15, 0), "1.0");
  EXPECT_EQ(FormatKind(15, 40), "100");
  EXPECT_EQ(FormatKind(16, 0), "Atk x 2");
  EXPECT_EQ(FormatKind(16, 7), "Atk x 32");
  EXPECT_EQ(FormatKind(17, 0), "0.5ms");
  EXPECT_EQ(FormatKind(17, 19), "400ms");
  // No text of their own.
  for (int kind : {-1, 0, 1, 30}) {
    EXPECT_EQ(FormatKind(kind, 2), "") << kind;
    EXPECT_FALSE(KindHasText(kind)) << kind;
  }
  // Values beyond a table never read past it.
  EXPECT_EQ(FormatKind(2, -3), "19.7Hz");
  EXPECT_EQ(FormatKind(4, 500), "128.00");
  EXPECT_EQ(FormatKind(15, 1000), "100");
  EXPECT_EQ(FormatKind(17, -1), "0.5ms");
}

TEST(KindRange, RangesAndTheirTables) {
  EXPECT_EQ(RangeOf(kKindFilterType), (KindRange{0, 3}));
  EXPECT_EQ(RangeOf(kKindFrequency), (KindRange{0, 360}));
  EXPECT_EQ(RangeOf(kKindGain), (KindRange{0, 180}));
  EXPECT_EQ(RangeOf(kKindQ, false), (KindRange{0, 100}));
  EXPECT_EQ(RangeOf(kKindQ, true), (KindRange{0, 24}));
  EXPECT_EQ(RangeOf(kKindInputGain), (KindRange{0, 40}));
  EXPECT_EQ(RangeOf(12), (KindRange{0, 80}));
  EXPECT_EQ(RangeOf(13), (KindRange{0, 205}));
  EXPECT_EQ(RangeOf(18), (KindRange{0, 1000}));
  EXPECT_EQ(RangeOf(kKindMaxBoost), (KindRange{120, 180}));
  EXPECT_EQ(RangeOf(kKindMaxCut), (KindRange{60, 120}));
  EXPECT_EQ(RangeOf(kKindPlain), (KindRange{0, 100}));
  // Only the Q kind depends on the band.
  for (int kind = 1; kind < kKindCount; ++kind) {
    if (kind != kKindQ) {
      EXPECT_EQ(RangeOf(kind, true), RangeOf(kind, false)) << kind;
    }
    EXPECT_TRUE(HasRange(kind));
  }
  EXPECT_FALSE(HasRange(0));
  EXPECT_EQ(RangeOf(0), (KindRange{0, 65535}));
  EXPECT_EQ(RangeOf(31), (KindRange{0, 65535}));
  // Every table kind's range fits its table.
  EXPECT_EQ(RangeOf(15).max + 1, static_cast<int>(RatioTable().size()));
  EXPECT_EQ(RangeOf(16).max + 1, static_cast<int>(ReleaseTable().size()));
  EXPECT_EQ(RangeOf(17).max + 1, static_cast<int>(AttackTable().size()));
  EXPECT_LE(RangeOf(6).max, kFrequencyIndexMax);
  EXPECT_LE(RangeOf(13).max - 1, kFrequencyIndexMax);
  EXPECT_LE(RangeOf(19).max, kQIndexMax);
}

TEST(KindClamp, UserValuesLandOnTheRangeAndLoseTheirFraction) {
  EXPECT_EQ(ClampUser(kKindMaxCut, 45), 60);
  EXPECT_EQ(ClampUser(kKindMaxCut, 121), 120);
  EXPECT_EQ(ClampUser(kKindMaxBoost, 195), 180);
  EXPECT_EQ(ClampUser(kKindMaxBoost, 100), 120);
  EXPECT_EQ(ClampUser(kKindQ, 44, true), 24);
  EXPECT_EQ(ClampUser(kKindQ, 44, false), 44);
  EXPECT_EQ(ClampUser(kKindQ, 101, false), 100);
  EXPECT_EQ(ClampUser(kKindGain, -1), 0);
  EXPECT_EQ(ClampUser(kKindGain, 181), 180);
  EXPECT_EQ(ClampUser(kKindGain, 12.9), 12);
  EXPECT_EQ(ClampUser(kKindGain, -0.7), 0);
  EXPECT_EQ(ClampUser(kKindFrequency, 361), 360);
  EXPECT_EQ(ClampUser(8, 80.7), 80);
  EXPECT_EQ(ClampUser(0, 70000), 65535);
  EXPECT_EQ(ClampUser(0, -2), 0);
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ClampUser(kKindGain, inf), 180);
  EXPECT_EQ(ClampUser(kKindGain, -inf), 0);
  EXPECT_EQ(ClampUser(kKindMaxCut, std::nan("")), 60);
}

TEST(KindClamp, DisplayOnlyEqualiserKindsApplyTheUpperBoundAlone) {
  for (int kind = kKindFilterType; kind <= kKindInputGain; ++kind) {
    EXPECT_EQ(ClampDisplay(kind, -3), -3) << kind;
    EXPECT_EQ(ClampDisplay(kind, 1e6), RangeOf(kind).max) << kind;
    EXPECT_EQ(ClampDisplay(kind, 2.8), 2) << kind;
  }
  EXPECT_EQ(ClampDisplay(kKindQ, 50, true), 24);
  EXPECT_EQ(ClampDisplay(kKindQ, 150, false), 100);
  // Every other kind clamps both ends.
  EXPECT_EQ(ClampDisplay(6, -3), 0);
  EXPECT_EQ(ClampDisplay(12, 81), 80);
  EXPECT_EQ(ClampDisplay(kKindMaxBoost, 0), 120);
  EXPECT_EQ(ClampDisplay(kKindMaxCut, 200), 120);
  EXPECT_EQ(ClampDisplay(kKindPlain, 150.6), 100);
  EXPECT_EQ(ClampDisplay(8, 55.9), 55);
}

}  // namespace
}  // namespace kdsp
