// fit-eq and find-feedback through the real program.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "presets/codec/preset_codec.h"
#include "spectrum/maths/pink_noise.h"
#include "support/peaking_biquad.h"
#include "tool_test_util.h"

namespace kdsp::tool {
namespace {

using testing::ReadText;
using testing::RunTool;
using testing::SampleValues;
using testing::TempDir;
using testing::WriteText;

constexpr double kPi = 3.14159265358979323846;

double PeakDb(double f0, double gain_db, double q, double f) {
  return kdsp::testing::PeakingBiquadDb(f0, gain_db, q, f);
}

// A room with two resonances, 1/24 octave from 20 Hz to 20 kHz, as "frequency dB" lines.
std::string RoomTrace() {
  std::string text = "* a room\n";
  for (double f = 20; f <= 20000; f *= std::pow(2.0, 1.0 / 24)) {
    text += std::to_string(f) + " " +
            std::to_string(80 + PeakDb(100, 9, 4, f) + PeakDb(400, 6, 6, f)) + "\n";
  }
  return text;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(TuningCommandsTest, FitEqWritesOnlyTheChannelsBandsAndReportsTheResidual) {
  TempDir dir;
  const ValueTable before = SampleValues();
  WriteText(dir / "in.Nddt", EncodePresetFile(PresetKind::kMode, before));
  WriteText(dir / "room.txt", RoomTrace());
  const auto run = RunTool({"fit-eq", dir / "in.Nddt", "--channel", "main", "--measured",
                            dir / "room.txt", "--range", "40-16000", "-o", dir / "out.Nddt"},
                           dir);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Count(run.out, "band "), 10);
  double rms = 99, largest = 99;
  const std::size_t at = run.out.find("RMS ");
  ASSERT_NE(at, std::string::npos) << run.out;
  ASSERT_EQ(std::sscanf(run.out.c_str() + at, "RMS %lf dB, largest %lf dB", &rms, &largest), 2);
  EXPECT_LE(rms, 0.5);
  EXPECT_LE(largest, 1.5);

  const DecodedPreset out = DecodePresetFile(PresetKind::kMode, ReadText(dir / "out.Nddt"));
  ASSERT_EQ(out.status, PresetStatus::kOk);
  bool cut_at_100 = false, cut_at_400 = false;
  for (const PresetEntry& e : out.entries) {
    const bool band_slot = e.page == 5 && e.slot >= 27 && e.slot < 27 + 50;
    if (!band_slot) {
      EXPECT_EQ(e.value, before.Get(e.page, e.slot)) << "page " << e.page << " slot " << e.slot;
      continue;
    }
    if ((e.slot - 27) % 5 != 1) continue;
    const int base = e.slot - 1;
    const int type = out.entries[&e - out.entries.data() - 1].value;
    int gain = -1;
    for (const PresetEntry& g : out.entries) {
      if (g.page == 5 && g.slot == base + 2) gain = g.value;
    }
    // 100 Hz is step 85, 400 Hz about step 157 (36 steps per octave from 1000 Hz at 204).
    if (type == 1 && e.value >= 83 && e.value <= 87 && gain < 110) cut_at_100 = true;
    if (type == 1 && e.value >= 155 && e.value <= 159 && gain < 115) cut_at_400 = true;
  }
  EXPECT_TRUE(cut_at_100) << run.out;
  EXPECT_TRUE(cut_at_400) << run.out;
}

TEST(TuningCommandsTest, FitEqRefusesWhatItCannotUseAndWritesNothing) {
  TempDir dir;
  WriteText(dir / "in.Nddt", EncodePresetFile(PresetKind::kMode, SampleValues()));
  WriteText(dir / "room.txt", RoomTrace());
  WriteText(dir / "empty.txt", "* nothing measured\n\n");
  WriteText(dir / "narrow.txt", "1000 0\n1500 1\n2000 0\n");
  WriteText(dir / "garbage.txt", "1000 0\nhello\n");
  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  const Case cases[] = {
      {{"--channel", "main", "--measured", dir / "missing.txt"}, "cannot read"},
      {{"--channel", "main", "--measured", dir / "empty.txt"}, "empty.txt"},
      {{"--channel", "main", "--measured", dir / "garbage.txt"}, "line 2"},
      {{"--channel", "main", "--measured", dir / "room.txt", "--range", "10-16000"}, "20 Hz"},
      {{"--channel", "main", "--measured", dir / "room.txt", "--range", "40-25000"}, "20 kHz"},
      {{"--channel", "main", "--measured", dir / "narrow.txt", "--range", "40-100"},
       "no measured point"},
      {{"--channel", "bogus", "--measured", dir / "room.txt"}, "unknown channel bogus"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"fit-eq", dir / "in.Nddt"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), {"-o", dir / "out.Nddt"});
    const auto run = RunTool(args, dir);
    EXPECT_EQ(run.status, 1) << c.says << ": " << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.Nddt")) << c.says;
  }
}

void WriteWave(const std::string& path, const std::vector<float>& samples) {
  SF_INFO info{};
  info.samplerate = 48000;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr);
  sf_writef_float(f, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(f);
}

TEST(TuningCommandsTest, FindFeedbackListsRingsAndNothingElse) {
  TempDir dir;
  PinkNoise pink(5);
  pink.SetLevelDbfs(-30);
  std::vector<float> noise(6 * 48000);
  pink.Fill(noise);
  WriteWave(dir / "quiet.wav", noise);
  // A ring at 1003 Hz growing out of the noise from the second second on.
  std::vector<float> ring = noise;
  double phase = 0;
  for (std::size_t i = 48000; i < ring.size(); ++i) {
    const double t = (i - 48000) / 48000.0;
    phase += 2 * kPi * 1003 / 48000;
    ring[i] += static_cast<float>(std::min(0.3, 0.0005 * std::pow(10.0, t)) * std::sin(phase));
  }
  WriteWave(dir / "ring.wav", ring);
  WriteText(dir / "text.wav", "not a recording\n");

  const auto quiet = RunTool({"find-feedback", dir / "quiet.wav"}, dir);
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.out, "");

  const auto found = RunTool({"find-feedback", dir / "ring.wav"}, dir);
  EXPECT_EQ(found.status, 0) << found.err;
  std::istringstream lines(found.out);
  std::string first;
  ASSERT_TRUE(std::getline(lines, first)) << found.out;
  EXPECT_NE(first.find("\t1000 Hz\t"), std::string::npos) << first;
  EXPECT_NE(first.find("new notch on band 10: PK 1000 Hz -3.0 dB Q 10.10"), std::string::npos)
      << first;
  // It goes on ringing: the next report deepens the same notch.
  std::string second;
  ASSERT_TRUE(std::getline(lines, second)) << found.out;
  EXPECT_NE(second.find("deeper notch on band 10: PK 1000 Hz -6.0 dB"), std::string::npos)
      << second;

  const auto bad = RunTool({"find-feedback", dir / "text.wav"}, dir);
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "");
  EXPECT_NE(bad.err.find("text.wav"), std::string::npos);
}

}  // namespace
}  // namespace kdsp::tool
