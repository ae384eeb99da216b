#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "kdsp-tool/endpoints.h"

namespace kdsp::tool {

/// The command line of the network commands.
struct LiveOptions {
  std::vector<std::string> hosts;  ///< HOST[:PORT] (scan: hosts, addresses or ranges)
  std::string file;                ///< the preset file of push and diff-live
  std::string output;              ///< -o of pull
  int port = kDefaultBoxPort;      ///< scan: the port probed
  int concurrency = 64;            ///< scan: probes at once
  int timeout_ms = 1000;           ///< scan: time limit of each step of a probe
  int timer_divisor = 1;           ///< runs the link's timers this many times faster (tests)
  std::string backup_dir;          ///< push: where the boxes' backups go (empty: data folder)
  bool no_backup = false;          ///< push: keep no backup
  bool all = false;                ///< diff-live: every address the file holds
  bool paced = false;              ///< keep the link at one request per tick
  int ui_language = 0;
  bool progress = false;  ///< redraw a progress display (output is a terminal)
};

/// Reads every box at once and saves box i as the mode file `paths[i]`; one result line per box
/// on `out`. True when every box was read and saved.
bool PullBoxes(const std::vector<Endpoint>& endpoints, const std::vector<std::string>& paths,
               const LiveOptions& o, std::ostream& out);

int RunPull(const LiveOptions& o, std::ostream& out, std::ostream& err);
int RunPush(const LiveOptions& o, std::ostream& out, std::ostream& err);
int RunDiffLive(const LiveOptions& o, std::ostream& out, std::ostream& err);
int RunScan(const LiveOptions& o, std::ostream& out, std::ostream& err);

}  // namespace kdsp::tool
