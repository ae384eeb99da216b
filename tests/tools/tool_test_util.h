#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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

/// Runs the real kdsp-tool with `args` (each quoted for the shell). Its data folder is
/// `dir`/data, so that a push keeps its backups there and not in the user's own.
inline RunResult RunTool(const std::vector<std::string>& args, const TempDir& dir) {
  std::string command = "XDG_DATA_HOME='" + dir / "data" + "' '" KDSP_TOOL_PATH "'";
  for (const std::string& a : args) command += " '" + a + "'";
  command += " >'" + dir / "stdout" + "' 2>'" + dir / "stderr" + "'";
  const int raw = std::system(command.c_str());
  RunResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadText(dir / "stdout");
  r.err = ReadText(dir / "stderr");
  return r;
}

/// The real kdsp-tool started in the background with `args`, as `RunTool` runs it, so that a
/// test can signal it while it works.
class ToolProcess {
 public:
  ToolProcess(const std::vector<std::string>& args, const TempDir& dir) : dir_(dir) {
    // Everything the child needs is made before the fork: the emulated boxes' threads run.
    std::vector<std::string> env_text = {"XDG_DATA_HOME=" + dir / "data"};
    for (char** e = environ; *e != nullptr; ++e) {
      if (std::string(*e).rfind("XDG_DATA_HOME=", 0) != 0) env_text.emplace_back(*e);
    }
    std::vector<std::string> argv_text = {KDSP_TOOL_PATH};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (std::string& a : argv_text) argv.push_back(a.data());
    for (std::string& e : env_text) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const int out =
        ::open((dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err =
        ::open((dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out, STDOUT_FILENO);
      ::dup2(err, STDERR_FILENO);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(out);
    ::close(err);
  }
  ~ToolProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);  // a test that failed before its end
    Wait();
  }
  void Signal(int signo) { ::kill(pid_, signo); }
  /// Waits for the end; the status is -1 when a signal ended the program.
  RunResult Wait() {
    int raw = 0;
    ::waitpid(pid_, &raw, 0);
    pid_ = -1;
    RunResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadText(dir_ / "stdout");
    r.err = ReadText(dir_ / "stderr");
    return r;
  }

 private:
  const TempDir& dir_;
  pid_t pid_ = -1;
};

}  // namespace kdsp::tool::testing
