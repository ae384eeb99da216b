#include <gtest/gtest.h>

#include <random>
#include <string>

#include "kdsp-tool/channels.h"
#include "kdsp-tool/json_text.h"
#include "kdsp-tool/param_names.h"

namespace kdsp::tool {
namespace {

TEST(JsonTest, ParsesTheDocumentFormAndRefusesBrokenText) {
  const JsonParse p = ParseJson(
      " {\"a\": [1, -2, 3.5, 1e3, true, false, null], \"s\": \"x\\\"\\\\\\/\\b\\f\\n\\r\\t"
      "\\u00e9\\u6a21\\ud83c\\udfb5\", \"a\": 7, \"big\": 12345678901234} ");
  ASSERT_TRUE(p.value) << p.error;
  EXPECT_EQ(JsonInteger(*JsonFind(*p.value, "a")), 7);  // a repeated key keeps its last value
  EXPECT_EQ(JsonFind(*p.value, "s")->get<std::string>(), "x\"\\/\b\f\n\r\té模🎵");
  EXPECT_EQ(JsonInteger(*JsonFind(*p.value, "big")), 12345678901234);
  EXPECT_EQ(JsonFind(*p.value, "missing"), nullptr);

  const JsonParse arr = ParseJson("[1, 2.0, 3e0, -0]");
  ASSERT_TRUE(arr.value);
  const nlohmann::json& items = *arr.value;
  EXPECT_EQ(JsonInteger(items[0]), 1);
  EXPECT_EQ(JsonInteger(items[1]), std::nullopt);  // 2.0 is not written as an integer
  EXPECT_EQ(JsonInteger(items[2]), std::nullopt);
  EXPECT_EQ(JsonInteger(items[3]), 0);

  for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "01", "1.", "-", "\"abc", "\"\\x\"",
                          "\"\\u12G4\"", "\"a\nb\"", "[1] 2", "tru", "{\"a\":1,}", "nul"}) {
    const JsonParse r = ParseJson(bad);
    EXPECT_FALSE(r.value) << bad;
    EXPECT_FALSE(r.error.empty()) << bad;
  }
  EXPECT_FALSE(ParseJson(std::string(100, '[') + std::string(100, ']')).value);  // too deep
  EXPECT_TRUE(ParseJson(std::string(60, '[') + std::string(60, ']')).value);
  EXPECT_TRUE(ParseJson(std::string(64, '[') + std::string(64, ']')).value);
  const JsonParse deep = ParseJson(std::string(65, '[') + std::string(65, ']'));
  EXPECT_FALSE(deep.value);
  EXPECT_NE(deep.error.find("64 levels"), std::string::npos) << deep.error;

  // Arbitrary bytes never crash the parser.
  std::mt19937 rng(7);
  const std::string alphabet = "{}[]\",:0123456789.-eE\\u tfnlrsa";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int n = static_cast<int>(rng() % 40);
    for (int i = 0; i < n; ++i) text.push_back(alphabet[rng() % alphabet.size()]);
    ParseJson(text);
  }
}

TEST(JsonTest, QuotingEscapesWhatJsonCannotHold) {
  EXPECT_EQ(JsonQuote("Music"), "\"Music\"");
  EXPECT_EQ(JsonQuote("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(JsonQuote("\n\x01"), "\"\\n\\u0001\"");
  EXPECT_EQ(JsonQuote("音乐"), "\"音乐\"");
  // Each invalid sequence (a stray byte, a cut-off character) becomes one U+FFFD.
  EXPECT_EQ(JsonQuote("\xff"
                      "a\xe6\xa8"),
            "\"\xef\xbf\xbd"
            "a\xef\xbf\xbd\"");
  const std::string round = ParseJson(JsonQuote("x\x7f\xc3\xa9\t")).value->get<std::string>();
  EXPECT_EQ(round, "x\x7f\xc3\xa9\t");
}

TEST(ParamNamesTest, ChannelsNamesAndValueTexts) {
  auto line = [](int page, int slot, int value, int lang = 0) {
    return ParamLine(DescribeParam(page, slot, value, lang));
  };
  EXPECT_EQ(line(0, 25, 150), "Music band 3 gain 6.0dB");
  EXPECT_EQ(line(0, 25, 150, 1), "音乐 频段3 增益 6.0dB");
  EXPECT_EQ(line(0, 24, 0), "Music band 3 frequency 19.7Hz");
  EXPECT_EQ(line(0, 27, 30), "Music band 3 slope 1.60");  // slopes end at index 24
  EXPECT_EQ(line(0, 26, 30), "Music band 3 Q 2.20");
  EXPECT_EQ(line(2, 114, 100), "MIC 2 band 20 slope 1.60");
  EXPECT_EQ(line(2, 115, 80), "MIC 2 Effect Vol 80");
  EXPECT_EQ(line(0, 7, 2), "Music HP type Butterworth");
  EXPECT_EQ(line(0, 6, 7), "Music Key 0");
  EXPECT_EQ(line(0, 65, 3, 1), "音乐 输入选择 蓝牙");
  EXPECT_EQ(line(3, 5, 250), "Echo Echo Delay 500ms");
  EXPECT_EQ(line(3, 4, 250), "Echo Echo Pre-Delay 250ms");
  EXPECT_EQ(line(4, 5, 1), "Reverb Rvb Time 63ms");
  EXPECT_EQ(line(6, 17, 1), "Main Disco Mute on");
  EXPECT_EQ(line(8, 16, 1000), "Out 2 Disco Delay 100.0ms");
  EXPECT_EQ(line(11, 1, 1), "Center Sing Music phase inverted");
  EXPECT_EQ(line(13, 77, 80), "SUR Sing Out Gain 80%");
  EXPECT_EQ(line(21, 31, 100), "AUX music bass max boost 0.0dB");  // kind 27 starts at 120
  EXPECT_EQ(line(21, 0, 4), "AUX gain step 1.0");
  EXPECT_EQ(line(23, 0, 1), "Hint MIC1 EQ pass on");
  EXPECT_EQ(line(25, 9, 1), "Volume independent VOL Enable");
  EXPECT_EQ(line(30, 2, 8), "System mode 9");
  EXPECT_EQ(line(30, 24, 2), "System Sub routing Right");
  EXPECT_EQ(line(30, 24, 9), "System Sub routing 9");  // beyond the items: the raw number
  EXPECT_EQ(line(0, 23, 7), "Music band 3 type 7");
  EXPECT_EQ(line(26, 5, 1), "EQ Reset EQ reset block 5 1");
  EXPECT_FALSE(DescribeParam(0, 11, 0, 0).named);
  EXPECT_EQ(line(0, 11, 4), "Music slot 11 4");
  EXPECT_EQ(line(28, 0, 3), "Page 28 slot 0 3");
  EXPECT_EQ(DescribeParam(0, 25, 150, 0).control, "MusGainEdit3");
  EXPECT_EQ(DescribeParam(7, 16, 0, 0).control, "MainRdelayBar");

  EXPECT_EQ(ViewPageOf(2, 40), 1);
  EXPECT_EQ(ViewPageOf(2, 115), 2);
  EXPECT_EQ(ViewPageOf(20, 17), 19);
  EXPECT_EQ(ViewPageOf(12, 17), 5);
  EXPECT_EQ(ViewPageOf(24, 3), 22);
  EXPECT_EQ(ViewPageOf(28, 0), -1);
  EXPECT_EQ(FindChannel("Center"), FindChannel("centre"));
  EXPECT_EQ(FindChannel("centre")->page, 11);
  EXPECT_EQ(ChannelPage(*FindChannel("rec"), 1), 18);
  EXPECT_EQ(ChannelPage(*FindChannel("mic2"), 1), 2);
  EXPECT_EQ(FindChannel("mic3"), nullptr);
}

}  // namespace
}  // namespace kdsp::tool
