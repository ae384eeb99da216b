#include "model/typed_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/display_kind.h"
#include "model/frequency_table.h"
#include "model/q_table.h"

namespace kdsp {
namespace {

// What an edit shows after a typed text is committed: parse, clamp, format.
std::string Commit(int kind, const std::string& typed, bool shelf = false) {
  const std::optional<double> x = ReadTyped(typed);
  if (!x) return "<rejected>";
  return FormatKind(kind, ClampUser(kind, ParseTyped(kind, *x), shelf));
}

TEST(TypedText, FilterKeepsOnlyNumberCharacters) {
  EXPECT_EQ(FilterTyped("1kHz"), "1");
  EXPECT_EQ(FilterTyped(" -3.5 dB"), "-3.5");
  EXPECT_EQ(FilterTyped("1,000Hz"), "1000");
  EXPECT_EQ(FilterTyped("音量12"), "12");
  EXPECT_EQ(FilterTyped("+5e3"), "53");
  EXPECT_EQ(FilterTyped("Hz"), "");
  EXPECT_EQ(FilterTyped("5-"), "5-");
}

TEST(TypedText, ReaderAcceptsPlainDecimals) {
  EXPECT_EQ(ReadNumber("0"), 0.0);
  EXPECT_EQ(ReadNumber("19850"), 19850.0);
  EXPECT_EQ(ReadNumber("-23.5"), -23.5);
  EXPECT_EQ(ReadNumber("0.25"), 0.25);
  EXPECT_EQ(ReadNumber("007"), 7.0);
  EXPECT_EQ(ReadNumber("5."), 5.0);
  EXPECT_EQ(ReadNumber(".5"), 0.5);
  EXPECT_EQ(ReadNumber("-.5"), -0.5);
  EXPECT_EQ(ReadTyped("-22.5dB"), -22.5);
  // Digit strings beyond a double: too large is infinite (and clamps later), too small zero.
  const std::string nines(400, '9');
  EXPECT_EQ(ReadNumber(nines), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber("-" + nines), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadNumber("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(TypedText, ReaderRejectsWhatIsNotANumber) {
  for (const char* text : {"", "-", ".", "-.", "1.2.3", "5-", "--5", "1-2", "..5"}) {
    EXPECT_FALSE(ReadNumber(text).has_value()) << text;
  }
  EXPECT_FALSE(ReadTyped("dB").has_value());
  EXPECT_FALSE(ReadTyped("1.2.3Hz").has_value());
  EXPECT_EQ(Commit(kKindGain, "abc"), "<rejected>");
}

TEST(TypedText, RoundTypedHalfEven) {
  EXPECT_EQ(RoundTypedHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundTypedHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundTypedHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundTypedHalfEven(-3.5), -4.0);
  EXPECT_EQ(RoundTypedHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundTypedHalfEven(2.4999), 2.0);
  EXPECT_EQ(RoundTypedHalfEven(2.5001), 3.0);
  EXPECT_EQ(RoundTypedHalfEven(-7.2), -7.0);
  EXPECT_TRUE(std::isinf(RoundTypedHalfEven(std::numeric_limits<double>::infinity())));
}

TEST(ParseTyped, Frequencies) {
  EXPECT_EQ(Commit(kKindFrequency, "1k"), "19.7Hz");
  EXPECT_EQ(ParseTyped(kKindFrequency, 19850), 360);
  EXPECT_EQ(ParseTyped(kKindFrequency, 19790), 359);
  EXPECT_EQ(ParseTyped(kKindFrequency, 25000), 360);
  EXPECT_EQ(ParseTyped(kKindFrequency, 1000), 204);
  EXPECT_EQ(ParseTyped(kKindFrequency, 1010), 204);  // 1020 - 1010 >= 1010 - 1000
  EXPECT_EQ(ParseTyped(kKindFrequency, 1011), 205);
  EXPECT_EQ(ParseTyped(kKindFrequency, -40), 0);
  EXPECT_EQ(Commit(kKindFrequency, "19850Hz"), "20200Hz");
  EXPECT_EQ(Commit(kKindFrequency, "19790"), "19800Hz");
  // Committing the text an edit shows never moves the value.
  for (int i = 0; i <= kFrequencyIndexMax; ++i) {
    const std::string shown = FormatKind(kKindFrequency, i);
    EXPECT_EQ(ParseTyped(kKindFrequency, *ReadTyped(shown)), i) << shown;
  }
}

TEST(ParseTyped, GainsRoundHalfToEven) {
  EXPECT_EQ(ParseTyped(kKindGain, -23.5), 2);
  EXPECT_EQ(Commit(kKindGain, "-23.5"), "-23.6dB");
  EXPECT_EQ(ParseTyped(kKindGain, -22.5), 8);
  EXPECT_EQ(Commit(kKindGain, "-22.5dB"), "-22.4dB");
  EXPECT_EQ(ParseTyped(kKindGain, 0), 120);
  EXPECT_EQ(ParseTyped(kKindGain, 6), 150);
  // Halves of the decimal typed, even where binary makes them a hair off.
  EXPECT_EQ(ParseTyped(kKindGain, -23.9), 0);
  EXPECT_EQ(ParseTyped(kKindGain, -23.7), 2);
  EXPECT_EQ(ParseTyped(kKindGain, -23.3), 4);
  EXPECT_EQ(ParseTyped(kKindGain, -23.75), 1);
  EXPECT_EQ(Commit(kKindGain, "30"), "12.0dB");
  EXPECT_EQ(Commit(kKindGain, "-99"), "-24.0dB");
  EXPECT_EQ(ParseTyped(kKindInputGain, 0.25), 20);
  EXPECT_EQ(Commit(kKindInputGain, "0.25"), "0.0dB");
  EXPECT_EQ(ParseTyped(kKindInputGain, 0.75), 22);
  EXPECT_EQ(ParseTyped(kKindInputGain, 0.3), 21);
  EXPECT_EQ(ParseTyped(kKindMaxCut, -15), 45);
  EXPECT_EQ(Commit(kKindMaxCut, "-15"), "-12.0dB");
  EXPECT_EQ(ParseTyped(kKindMaxBoost, 15), 195);
  EXPECT_EQ(Commit(kKindMaxBoost, "15"), "12.0dB");
  EXPECT_EQ(ParseTyped(kKindPlain, 2.5), 2);
  EXPECT_EQ(ParseTyped(kKindPlain, 3.5), 4);
  EXPECT_EQ(ParseTyped(8, 80.7), 80.7);  // other kinds pass the number through
  // Every shown gain commits to itself.
  for (int kind : {kKindGain, kKindInputGain, kKindMaxBoost, kKindMaxCut}) {
    const KindRange range = RangeOf(kind);
    for (int r = range.min; r <= range.max; ++r) {
      const std::string shown = FormatKind(kind, r);
      EXPECT_EQ(ParseTyped(kind, *ReadTyped(shown)), r) << kind << " " << shown;
    }
  }
}

TEST(ParseTyped, QTakesTheFirstEntryNotBelow) {
  EXPECT_EQ(ParseTyped(kKindQ, 1.01), 17);
  EXPECT_EQ(Commit(kKindQ, "1.01"), "1.06");
  EXPECT_EQ(ParseTyped(kKindQ, 0.1), 0);
  EXPECT_EQ(Commit(kKindQ, "0.1"), "0.40");
  EXPECT_EQ(ParseTyped(kKindQ, 5), 44);
  EXPECT_EQ(Commit(kKindQ, "5", true), "1.60");
  EXPECT_EQ(Commit(kKindQ, "5", false), "5.00");
  EXPECT_EQ(ParseTyped(kKindQ, 200), 101);
  EXPECT_EQ(Commit(kKindQ, "200"), "128.00");
  for (int i = 0; i <= kQIndexMax; ++i) {
    EXPECT_EQ(ParseTyped(kKindQ, *ReadTyped(QText(i))), i) << QText(i);
  }
}

}  // namespace
}  // namespace kdsp
