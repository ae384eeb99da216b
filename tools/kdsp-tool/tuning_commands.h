#pragma once

#include <ostream>
#include <string>

namespace kdsp::tool {

/// The command line of fit-eq.
struct FitEqOptions {
  std::string preset, channel, scene, measured, target = "flat", range, bands, output;
  double max_boost_db = 3.0;
};

/// fit-eq: fits the channel's bands to the target from a measured trace and writes a preset of
/// the input's kind with only those bands changed; one line per band and the residual.
int FitEq(const FitEqOptions& o, std::ostream& out, std::ostream& err);

/// find-feedback: one line per feedback frequency found in a recording, nothing else on `out`.
int FindFeedback(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace kdsp::tool
