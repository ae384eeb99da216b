#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/page_layout.h"
#include "model/value_table.h"
#include "presets/codec/preset_codec.h"
#include "support/file_text.h"
#include "support/temp_dir.h"

namespace kdsp::tool::testing {

using kdsp::testing::ReadText;
using kdsp::testing::TempDir;
using kdsp::testing::WriteText;

/// Sets the five fields of band `band` (0-based) of a device page.
inline void SetBand(ValueTable& t, int page, int band, int type, int freq, int gain, int q,
                    int slope) {
  const int first = EqFirstSlot(page) + 5 * band;
  const int fields[5] = {type, freq, gain, q, slope};
  for (int f = 0; f < 5; ++f) t.Set(page, first + f, fields[f]);
}

/// A box state with flat, bypassed equalisers and a few telling values.
inline ValueTable SampleValues() {
  ValueTable t;
  for (int page = 0; page <= 24; ++page) {
    for (int b = 0; b < EqBandCount(page); ++b) SetBand(t, page, b, 0, 204, 120, 16, 16);
  }
  SetBand(t, 0, 2, 1, 204, 150, 16, 16);  // music band 3: peaking 1 kHz +6 dB Q 1.00
  t.Set(0, 65, 2);                        // input RCA2
  return t;
}

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

/// Runs the real kdsp-tool with `args` (each quoted for the shell).
inline RunResult RunTool(const std::vector<std::string>& args, const TempDir& dir) {
  std::string command = "'" KDSP_TOOL_PATH "'";
  for (const std::string& a : args) command += " '" + a + "'";
  command += " >'" + dir / "stdout" + "' 2>'" + dir / "stderr" + "'";
  const int raw = std::system(command.c_str());
  RunResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadText(dir / "stdout");
  r.err = ReadText(dir / "stderr");
  return r;
}

}  // namespace kdsp::tool::testing
