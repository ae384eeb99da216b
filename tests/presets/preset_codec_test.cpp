#include "presets/codec/preset_codec.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "model/page_layout.h"
#include "preset_test_util.h"
#include "presets/codec/preset_scramble.h"

namespace kdsp {
namespace {

using testing::PatternTable;
using testing::ScrambleLines;

std::vector<std::string> SplitCrLf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> PlainOf(const std::string& bytes) {
  std::vector<std::string> plain;
  for (const std::string& line : SplitCrLf(bytes)) plain.push_back(*UnscrambleLine(line));
  return plain;
}

TEST(PresetScrambleTest, KeyAppliedPerPositionAndReversible) {
  // 'R'^5E, '3'^C1, ' '^37, '1'^A9, '1'^0B, '6'^F4, worked out by hand.
  EXPECT_EQ(ScrambleLine("R3 116"), "0CF217983AC2");
  // The ninth character uses key byte 0 again: '9' ^ 0x5E = 0x67.
  EXPECT_EQ(ScrambleLine("Velta 899").substr(16), "67");
  EXPECT_EQ(ScrambleLine(""), "");
  EXPECT_EQ(UnscrambleLine("0CF217983AC2"), "R3 116");
  EXPECT_EQ(UnscrambleLine("0cf217983ac2"), "R3 116");   // either case
  EXPECT_EQ(UnscrambleLine("0CF217983AC2F"), "R3 116");  // odd trailing character ignored
  EXPECT_EQ(UnscrambleLine("0CG2"), std::nullopt);
  EXPECT_EQ(UnscrambleLine(" CF2"), std::nullopt);
  const std::string all_bytes = [] {
    std::string s;
    for (int c = 0; c < 256; ++c) s.push_back(static_cast<char>(c));
    return s;
  }();
  EXPECT_EQ(UnscrambleLine(ScrambleLine(all_bytes)), all_bytes);
}

TEST(PresetCodecTest, PlainLinesOfBothKinds) {
  ValueTable zero;
  const auto mode = BuildPlainLines(PresetKind::kMode, EntriesFromTable(PresetKind::kMode, zero));
  ASSERT_EQ(mode.size(), 1907u);
  EXPECT_EQ(mode[0], "R3 116");
  EXPECT_EQ(mode[1], "Velta 89");
  EXPECT_EQ(mode[2], "2 2");  // address 0 XOR 2, value 0 XOR 2
  EXPECT_EQ(mode[3], "2 3");  // address 1 XOR 3, value 0 XOR 3
  EXPECT_EQ(mode[1905], "Intoal: 1905");
  EXPECT_EQ(mode[1906], "CCCCK: 0");
  EXPECT_EQ(DataLineCount(PresetKind::kMode), 1903);

  ValueTable eq_values;
  eq_values.Set(22, 0, 7);
  eq_values.Set(24, 26, 40);  // the last slot an EQ file writes
  const auto eq = BuildPlainLines(PresetKind::kEq, EntriesFromTable(PresetKind::kEq, eq_values));
  ASSERT_EQ(eq.size(), 85u);
  EXPECT_EQ(eq[0], "R3EQ 121");
  EXPECT_EQ(eq[1], "Velta 84");
  EXPECT_EQ(eq[2], std::to_string((22 * 256) ^ 2) + " " + std::to_string(7 ^ 2));
  EXPECT_EQ(eq[82], std::to_string((24 * 256 + 26) ^ 82) + " " + std::to_string(40 ^ 82));
  EXPECT_EQ(eq[83], "Intoal: 83");
  EXPECT_EQ(eq[84], "CCCCK: " + std::to_string((256 - 47) % 256));
  EXPECT_EQ(DataLineCount(PresetKind::kEq), 81);

  // Pages 27..29 hold no slots but still write slot 0; the file continues with page 30.
  const auto entries = EntriesFromTable(PresetKind::kMode, zero);
  int page27_lines = 0;
  for (const PresetEntry& e : entries) page27_lines += e.page == 27;
  EXPECT_EQ(page27_lines, 1);
  EXPECT_EQ(entries.back().page, 30);
  EXPECT_EQ(entries.back().slot, 35);
}

TEST(PresetCodecTest, ChecksumBringsTheSumToAMultipleOf256) {
  EXPECT_EQ(PresetChecksum(300), 212);
  EXPECT_EQ(PresetChecksum(0), 0);
  EXPECT_EQ(PresetChecksum(256), 0);
  EXPECT_EQ(PresetChecksum(255), 1);
  EXPECT_EQ(PresetChecksum(65535 * 1903LL), (256 - (65535 * 1903LL) % 256) % 256);

  ValueTable values;
  values.Set(0, 0, 100);
  values.Set(5, 78, 150);
  values.Set(30, 35, 50);  // written and counted, though a load never applies it
  const auto lines = PlainOf(EncodePresetFile(PresetKind::kMode, values));
  EXPECT_EQ(lines.back(), "CCCCK: 212");
}

TEST(PresetCodecTest, ModeFileRoundTripRestoresOnlyTheLoadedPages) {
  const ValueTable saved = PatternTable(1);
  const std::string bytes = EncodePresetFile(PresetKind::kMode, saved);
  EXPECT_EQ(SplitCrLf(bytes).size(), 1907u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");

  const ValueTable before = PatternTable(5000);
  ValueTable loaded = before;
  ASSERT_EQ(LoadPresetBytes(PresetKind::kMode, bytes, loaded), PresetStatus::kOk);
  for (int p = 0; p < kPageCount; ++p) {
    for (int s = 0; s < kSlotCount; ++s) {
      const bool written = p <= 21 && s <= PageLength(p);
      const bool restored = written || (p == 30 && (s == 23 || s == 24));
      EXPECT_EQ(loaded.Get(p, s), restored ? saved.Get(p, s) : before.Get(p, s))
          << "page " << p << " slot " << s;
    }
  }
}

TEST(PresetCodecTest, EqFileRoundTripRestoresOnlyTheHiddenPages) {
  const ValueTable saved = PatternTable(7);
  const std::string bytes = EncodePresetFile(PresetKind::kEq, saved);
  EXPECT_EQ(SplitCrLf(bytes).size(), 85u);

  const ValueTable before = PatternTable(9000);
  ValueTable loaded = before;
  ASSERT_EQ(LoadPresetBytes(PresetKind::kEq, bytes, loaded), PresetStatus::kOk);
  for (int p = 0; p < kPageCount; ++p) {
    for (int s = 0; s < kSlotCount; ++s) {
      const bool restored = p >= 22 && p <= 24 && s <= 26;
      EXPECT_EQ(loaded.Get(p, s), restored ? saved.Get(p, s) : before.Get(p, s))
          << "page " << p << " slot " << s;
    }
  }
  // Decoding keeps every line in file order, page-30 lines of a mode file included.
  const DecodedPreset mode =
      DecodePresetFile(PresetKind::kMode, EncodePresetFile(PresetKind::kMode, saved));
  ASSERT_EQ(mode.status, PresetStatus::kOk);
  EXPECT_EQ(mode.entries, EntriesFromTable(PresetKind::kMode, saved));
}

TEST(PresetCodecTest, HeaderNumbersAreCheckedButNotTheTags) {
  ValueTable values;
  values.Set(0, 5, 77);
  const auto plain =
      BuildPlainLines(PresetKind::kMode, EntriesFromTable(PresetKind::kMode, values));

  auto with_line = [&](int index, const std::string& text) {
    auto lines = plain;
    lines[index] = text;
    return ScrambleLines(lines);
  };
  ValueTable target;
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, with_line(0, "R3 117"), target),
            PresetStatus::kFormatError);
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, with_line(1, "Velta 88"), target),
            PresetStatus::kFormatError);
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, with_line(0, "R3116"), target),
            PresetStatus::kFormatError);
  EXPECT_EQ(target, ValueTable());
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, with_line(0, "ZZ 116"), target), PresetStatus::kOk);
  EXPECT_EQ(target.Get(0, 5), 77);
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, with_line(1, "Other 89"), target),
            PresetStatus::kOk);

  // The two kinds have different masks: neither loads as the other.
  EXPECT_EQ(DecodePresetFile(PresetKind::kEq, ScrambleLines(plain)).status,
            PresetStatus::kFormatError);
  EXPECT_EQ(DecodePresetFile(PresetKind::kMode, EncodePresetFile(PresetKind::kEq, values)).status,
            PresetStatus::kFormatError);
  EXPECT_EQ(DecodePresetFile(PresetKind::kMode, "").status, PresetStatus::kFormatError);
  EXPECT_EQ(DecodePresetFile(PresetKind::kMode, ScrambleLines({"R3 116"})).status,
            PresetStatus::kFormatError);
}

// Rebuilds a file from plain lines after `edit`, keeping or recomputing the trailer.
std::string Edited(const std::vector<std::string>& plain,
                   const std::function<void(std::vector<std::string>&)>& edit) {
  auto lines = plain;
  edit(lines);
  return ScrambleLines(lines);
}

TEST(PresetCodecTest, DamagedFilesChangeNothing) {
  const ValueTable saved = PatternTable(3);
  const auto plain = BuildPlainLines(PresetKind::kMode, EntriesFromTable(PresetKind::kMode, saved));
  const ValueTable before = PatternTable(100);

  auto expect_refused = [&](const std::string& bytes, PresetStatus status, const char* what) {
    ValueTable target = before;
    EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, bytes, target), status) << what;
    EXPECT_EQ(target, before) << what;
  };

  expect_refused(Edited(plain, [](auto& l) { l.erase(l.begin() + 500); }), PresetStatus::kCorrupted,
                 "one data line removed");
  // Line 10 holds (0, 8) XOR 10: a value one higher fails the checksum; nothing is stored.
  expect_refused(Edited(plain,
                        [&](auto& l) {
                          l[10] = std::to_string(8 ^ 10) + " " +
                                  std::to_string((saved.Get(0, 8) + 1) ^ 10);
                        }),
                 PresetStatus::kCorrupted, "one value changed by 1");
  expect_refused(Edited(plain, [](auto& l) { l[20] = "12 x5"; }), PresetStatus::kCorrupted,
                 "value not a number");
  expect_refused(Edited(plain, [](auto& l) { l[20] = "1 2 3"; }), PresetStatus::kCorrupted,
                 "three fields");
  expect_refused(Edited(plain, [](auto& l) { l[20] = "1"; }), PresetStatus::kCorrupted,
                 "one field");
  expect_refused(Edited(plain, [](auto& l) { l[1906] = "CCCCK: "; }), PresetStatus::kCorrupted,
                 "checksum missing");
  expect_refused(Edited(plain, [](auto& l) { l[1905] = "Intoal: 1904"; }), PresetStatus::kCorrupted,
                 "count wrong");
  expect_refused(Edited(plain, [](auto& l) { l.push_back(""); }), PresetStatus::kCorrupted,
                 "extra empty line");

  std::string bad_hex = ScrambleLines(plain);
  bad_hex[bad_hex.find("\r\n", 2000) + 3] = 'Z';
  expect_refused(bad_hex, PresetStatus::kCorrupted, "pair not hexadecimal");
  const std::string whole = ScrambleLines(plain);
  expect_refused(whole.substr(0, whole.size() / 2), PresetStatus::kCorrupted, "truncated");
}

TEST(PresetCodecTest, EveryAddressAndValueMustFitTheTables) {
  // Files whose count and checksum are right but whose lines point outside the tables.
  auto file_with = [](int address, std::int64_t value) {
    std::vector<PresetEntry> none;
    auto lines = BuildPlainLines(PresetKind::kMode, none);  // header, count 2, checksum 0
    lines.insert(lines.begin() + 2, std::to_string(address ^ 2) + " " + std::to_string(value ^ 2));
    lines[3] = "Intoal: 3";
    lines[4] = "CCCCK: " + std::to_string(PresetChecksum(value));
    return ScrambleLines(lines);
  };
  ValueTable target;
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, file_with(3 * 256 + 4, 9), target),
            PresetStatus::kOk);
  EXPECT_EQ(target.Get(3, 4), 9);
  const ValueTable before = target;
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, file_with(3 * 256 + 165, 9), target),
            PresetStatus::kCorrupted);
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, file_with(31 * 256, 9), target),
            PresetStatus::kCorrupted);
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, file_with(-5, 9), target), PresetStatus::kCorrupted);
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, file_with(0, 65536), target),
            PresetStatus::kCorrupted);
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, file_with(0, -1), target), PresetStatus::kCorrupted);
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, file_with(0, 65535), target), PresetStatus::kOk);
  EXPECT_EQ(target.Get(0, 0), 65535);
  target.Set(0, 0, before.Get(0, 0));
  EXPECT_EQ(target, before);

  // A file without data lines is sound and applies nothing; LF line ends are accepted too.
  std::string lf;
  for (const auto& line : BuildPlainLines(PresetKind::kMode, {})) lf += ScrambleLine(line) + "\n";
  EXPECT_EQ(LoadPresetBytes(PresetKind::kMode, lf, target), PresetStatus::kOk);
  EXPECT_EQ(target, before);
}

TEST(PresetCodecTest, RandomDamageNeverAppliesPartOfAFile) {
  const ValueTable saved = PatternTable(11);
  const std::string good = EncodePresetFile(PresetKind::kEq, saved);
  const ValueTable before = PatternTable(12);
  std::mt19937 rng(1234);
  int refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = good;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = rng() % bytes.size();
      switch (rng() % 3) {
        case 0:
          bytes[at] = static_cast<char>(rng() % 256);
          break;
        case 1:
          bytes.erase(at, 1 + rng() % 40);
          break;
        default:
          bytes.insert(at, 1, "0123456789ABCDEF\r\n "[rng() % 20]);
          break;
      }
    }
    ValueTable target = before;
    const PresetStatus status = LoadPresetBytes(PresetKind::kEq, bytes, target);
    if (status == PresetStatus::kOk) {
      for (int p = 0; p < kPageCount; ++p) {
        if (p < 22 || p > 24) {
          for (int s = 0; s < kSlotCount; ++s) ASSERT_EQ(target.Get(p, s), before.Get(p, s));
        }
      }
    } else {
      ++refused;
      ASSERT_EQ(target, before) << "round " << round;
    }
  }
  EXPECT_GT(refused, 2900);  // the checks catch nearly every random damage
}

}  // namespace
}  // namespace kdsp
