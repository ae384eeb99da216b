// The network commands of the real kdsp-tool against emulated boxes on loopback addresses.
// The tool's link timers run twenty times faster here; everything else is as shipped.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "boxsim/box_memory.h"
#include "boxsim/box_server_thread.h"
#include "boxsim/box_sim.h"
#include "model/page_layout.h"
#include "presets/codec/preset_codec.h"
#include "presets/codec/preset_kind.h"
#include "tool_test_util.h"

namespace kdsp::tool {
namespace {

using testing::ReadText;
using testing::RunTool;
using testing::TempDir;
using testing::ToolProcess;
using testing::WriteText;

constexpr const char* kFast = "--timer-divisor=20";

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

/// An emulated box listening on its own loopback address.
struct Box {
  std::unique_ptr<boxsim::BoxSim> sim;
  boxsim::BoxServerThread server;
  std::string address;
  explicit Box(boxsim::BoxMemory memory)
      : sim(std::make_unique<boxsim::BoxSim>(std::move(memory), NowMs)), server(*sim) {}
  std::string Endpoint() const { return address + ":" + std::to_string(server.Port()); }
};

/// Boxes that differ from each other and from the factory in a few telling places.
boxsim::BoxMemory MemoryNumber(int n) {
  boxsim::BoxMemory m = boxsim::MakeFactoryMemory();
  m.device_id = {0x10, 0x20, 0x30, static_cast<std::uint8_t>(n)};
  m.params.Set(0, 25, 100 + n);  // music band 3 gain
  m.params.Set(22, 3, 10 + n);   // a hidden equaliser page, which a mode file does not load
  m.params.Set(25, 1, 20 + n);   // volume limits
  m.params.Set(30, 23, n % 3);   // centre output routing
  m.params.Set(30, 2, n % 16);   // current mode
  m.mode_names[n % 16] = "Room " + std::to_string(n);
  return m;
}

/// Starts a box at 127.0.0.`host` on `port` (0: any free port).
std::unique_ptr<Box> StartBox(int host, int port = 0) {
  auto box = std::make_unique<Box>(MemoryNumber(host));
  boxsim::ServerOptions options;
  options.bind_address = "127.0.0." + std::to_string(host);
  options.tcp_port = port;
  options.send_gap_ms = 0;
  box->address = options.bind_address;
  EXPECT_TRUE(box->server.Start(options)) << box->server.Error();
  return box;
}

/// The box's own thread may still be taking in the last bytes when the tool has ended.
bool Eventually(const std::function<bool()>& done, int limit_ms = 2000) {
  const std::int64_t end = NowMs() + limit_ms;
  while (!done()) {
    if (NowMs() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

/// The farewells the box has had, once it has had more than `before`.
int Byes(const Box& box, std::int64_t before = 0) {
  Eventually([&] { return box.sim->Counters().byes > before; });
  return static_cast<int>(box.sim->Counters().byes - before);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool HasLineStarting(const std::string& text, const std::string& start) {
  for (const std::string& l : Lines(text)) {
    if (l.rfind(start, 0) == 0) return true;
  }
  return false;
}

std::string LineOf(const std::string& text, const std::string& start) {
  for (const std::string& l : Lines(text)) {
    if (l.rfind(start, 0) == 0) return l;
  }
  return {};
}

// A port on which nothing listens at 127.0.0.`host`: one that was just free.
int FreePort(int host) {
  boxsim::BoxServerThread probe;
  boxsim::ServerOptions options;
  options.bind_address = "127.0.0." + std::to_string(host);
  EXPECT_TRUE(probe.Start(options));
  const int port = probe.Port();
  probe.Stop();
  return port;
}

/// Another service on the box's port: whatever it is sent, it answers with an HTTP error.
class WrongService {
 public:
  explicit WrongService(const std::string& address) {
    listen_fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
    socklen_t len = sizeof addr;
    EXPECT_EQ(bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), len), 0);
    EXPECT_EQ(listen(listen_fd_, 4), 0);
    getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    endpoint_ = address + ":" + std::to_string(ntohs(addr.sin_port));
    thread_ = std::thread([this] { Serve(); });
  }
  ~WrongService() {
    stop_ = true;
    thread_.join();
    for (int fd : clients_) close(fd);
    close(listen_fd_);
  }
  const std::string& Endpoint() const { return endpoint_; }

 private:
  void Serve() {
    static const char kReply[] = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
    while (!stop_) {
      std::vector<pollfd> fds{{listen_fd_, POLLIN, 0}};
      for (int fd : clients_) fds.push_back({fd, POLLIN, 0});
      if (poll(fds.data(), fds.size(), 10) <= 0) continue;
      if (fds[0].revents & POLLIN) clients_.push_back(accept(listen_fd_, nullptr, nullptr));
      for (std::size_t i = 1; i < fds.size(); ++i) {
        char buffer[512];
        if ((fds[i].revents & POLLIN) && read(fds[i].fd, buffer, sizeof buffer) > 0) {
          EXPECT_GT(write(fds[i].fd, kReply, sizeof kReply - 1), 0);
        }
      }
    }
  }

  int listen_fd_ = -1;
  std::string endpoint_;
  std::vector<int> clients_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(LiveCommandsTest, PullSavesTheBoxAsTheConsoleAndWritesNothingFromAFailedRead) {
  TempDir dir;
  auto box = StartBox(2);
  const auto r = RunTool({"pull", box->Endpoint(), "-o", dir / "room.Nddt", kFast}, dir);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(Lines(r.out), std::vector<std::string>{box->Endpoint() + " ok"});

  const DecodedPreset file = DecodePresetFile(PresetKind::kMode, ReadText(dir / "room.Nddt"));
  ASSERT_EQ(file.status, PresetStatus::kOk);
  EXPECT_EQ(static_cast<int>(file.entries.size()), DataLineCount(PresetKind::kMode));
  const boxsim::BoxMemory memory = box->sim->Memory();
  int compared = 0;
  for (const PresetEntry& e : file.entries) {
    if (e.page <= 25) {
      ASSERT_EQ(e.value, memory.params.Get(e.page, e.slot)) << e.page << ":" << e.slot;
      ++compared;
    }
  }
  EXPECT_GT(compared, 1800);
  // Items of the control page come from the box too; the link was opened and let go.
  const ValueTable saved = [&] {
    ValueTable t;
    for (const PresetEntry& e : file.entries) t.Set(e.page, e.slot, e.value);
    return t;
  }();
  EXPECT_EQ(saved.Get(30, 23), 2);
  EXPECT_EQ(saved.Get(30, 3), 1);
  EXPECT_EQ(Byes(*box), 1);
  // The file is the console's save of what was read: the box's pages 0 to 25 and the items of
  // the control page, nothing else.
  ValueTable read;
  for (int page = 0; page <= 25; ++page) {
    for (int slot = 0; slot < kSlotCount; ++slot)
      read.Set(page, slot, memory.params.Get(page, slot));
  }
  for (const PresetEntry& e : file.entries) {
    if (e.page == 30) read.Set(e.page, e.slot, e.value);
  }
  EXPECT_EQ(ReadText(dir / "room.Nddt"), EncodePresetFile(PresetKind::kMode, read));

  // A file that cannot be written is found before the box is read, and named as it was given.
  for (const auto& [output, why] : std::vector<std::pair<std::string, std::string>>{
           {dir / "missing/room.Nddt", ": cannot write: no such folder"},
           {dir / "", ": cannot write: is a folder"}}) {
    const std::int64_t frames = box->sim->Counters().frames_received;
    const auto refused = RunTool({"pull", box->Endpoint(), "-o", output, kFast}, dir);
    EXPECT_EQ(refused.status, 1) << output;
    EXPECT_NE(refused.err.find("kdsp-tool: " + output + why), std::string::npos) << refused.err;
    EXPECT_TRUE(refused.out.empty()) << refused.out;
    EXPECT_EQ(box->sim->Counters().frames_received, frames) << output;
  }

  // Nothing listens: the old file stays as it was and no temporary file is left beside it.
  const std::string before = ReadText(dir / "room.Nddt");
  const std::string nowhere = "127.0.0.3:" + std::to_string(FreePort(3));
  const auto failed = RunTool({"pull", nowhere, "-o", dir / "room.Nddt", kFast}, dir);
  EXPECT_EQ(failed.status, 1);
  EXPECT_TRUE(HasLineStarting(failed.out, nowhere + " failed: refused")) << failed.out;
  EXPECT_EQ(ReadText(dir / "room.Nddt"), before);
  // The console's own message ends the line, in the language asked for.
  EXPECT_EQ(Lines(failed.out),
            std::vector<std::string>{nowhere +
                                     " failed: refused: the connection was refused [Off Line!]"});
  const auto zh = RunTool({"pull", nowhere, "-o", dir / "room.Nddt", "--lang", "zh", kFast}, dir);
  EXPECT_EQ(Lines(zh.out),
            std::vector<std::string>{nowhere +
                                     " failed: refused: the connection was refused [连接失败!]"});
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "")) {
    if (entry.path().extension() == ".tmp") ++files;
  }
  EXPECT_EQ(files, 0);
}

TEST(LiveCommandsTest, PushTunesEveryBoxAlikeAndDiffLiveTellsWhetherTheyAgree) {
  TempDir dir;
  std::vector<std::unique_ptr<Box>> boxes;
  for (int host : {4, 5, 6}) boxes.push_back(StartBox(host));
  // The tuned room, with a few values no box has yet.
  ValueTable tuned = boxsim::MakeFactoryMemory().params;
  tuned.Set(0, 25, 150);
  tuned.Set(3, 2, 7);
  tuned.Set(21, 39, 140);
  tuned.Set(30, 23, 1);
  tuned.Set(22, 3, 99);  // in the file, but a mode file's load leaves page 22 alone
  WriteText(dir / "tuned.Nddt", EncodePresetFile(PresetKind::kMode, tuned));
  std::vector<boxsim::BoxMemory> before;
  for (const auto& b : boxes) before.push_back(b->sim->Memory());

  // A damaged file touches no box.
  std::string damaged = ReadText(dir / "tuned.Nddt");
  damaged[damaged.size() / 2] ^= 0x01;
  WriteText(dir / "damaged.Nddt", damaged);
  const auto refused = RunTool({"push", dir / "damaged.Nddt", boxes[0]->Endpoint(), kFast}, dir);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("Data file is corrupted!"), std::string::npos) << refused.err;
  EXPECT_EQ(Lines(refused.out),
            std::vector<std::string>{boxes[0]->Endpoint() +
                                     " failed: damaged file: Data file is corrupted! (the box "
                                     "was not touched)"});
  EXPECT_EQ(boxes[0]->sim->Counters().frames_received, 0);

  // Differs before the push: exit status 1 and the differences in diff's form.
  const auto differs = RunTool({"diff-live", dir / "tuned.Nddt", boxes[0]->Endpoint(), kFast}, dir);
  EXPECT_EQ(differs.status, 1) << differs.err;
  EXPECT_TRUE(HasLineStarting(differs.out, "Music band 3 gain")) << differs.out;
  EXPECT_NE(differs.out.find("[0:25 150 -> 104]"), std::string::npos) << differs.out;
  EXPECT_FALSE(HasLineStarting(differs.out, "0 parameters differ"));

  std::vector<std::int64_t> byes_before;
  for (const auto& b : boxes) byes_before.push_back(b->sim->Counters().byes);
  std::vector<std::string> args = {"push", dir / "tuned.Nddt", "--backup-dir", dir / "kept"};
  for (const auto& b : boxes) args.push_back(b->Endpoint());
  args.push_back(kFast);
  const auto pushed = RunTool(args, dir);
  ASSERT_EQ(pushed.status, 0) << pushed.out << pushed.err;
  ASSERT_EQ(Lines(pushed.out).size(), boxes.size());
  // What each box held was kept first, one file per box named by its host, its path printed.
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const std::string box_name = boxes[i]->address + "_" + std::to_string(boxes[i]->server.Port());
    const std::string head =
        "kdsp-tool: " + boxes[i]->Endpoint() + ": backup " + dir / "kept/" + box_name + "-";
    const std::string line = LineOf(pushed.err, head);
    ASSERT_FALSE(line.empty()) << pushed.err;
    const std::string path = line.substr(line.find(dir / "kept/"));
    const DecodedPreset kept = DecodePresetFile(PresetKind::kMode, ReadText(path));
    ASSERT_EQ(kept.status, PresetStatus::kOk) << path;
    for (const PresetEntry& e : kept.entries) {
      if (e.page <= 25) {
        ASSERT_EQ(e.value, before[i].params.Get(e.page, e.slot)) << path;
      }
    }
  }
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(Lines(pushed.out)[i], boxes[i]->Endpoint() + " ok");
    const boxsim::BoxMemory after = boxes[i]->sim->Memory();
    for (int page = 0; page <= 25; ++page) {
      for (int slot = 0; slot < kSlotCount; ++slot) {
        const bool loaded = IsAppliedOnLoad(PresetKind::kMode, page, slot);
        const int want = loaded ? tuned.Get(page, slot) : before[i].params.Get(page, slot);
        ASSERT_EQ(after.params.Get(page, slot), want) << i << " " << page << ":" << slot;
      }
    }
    EXPECT_EQ(after.params.Get(30, 23), 1);  // what going online writes after a download
    EXPECT_EQ(Byes(*boxes[i], byes_before[i]), 1);
  }

  // Right after the push the box holds all that the load writes: no difference. With --all
  // every address of the file is compared: the loaded pages agree, the pages a mode file's
  // load leaves alone and the last slots a page write leaves out still differ, and a file of
  // those pages (an EQ file) taken from the box agrees entirely.
  const auto agrees = RunTool({"diff-live", dir / "tuned.Nddt", boxes[1]->Endpoint(), kFast}, dir);
  EXPECT_EQ(agrees.status, 0) << agrees.out << agrees.err;
  EXPECT_EQ(Lines(agrees.out), std::vector<std::string>{"0 parameters differ"});
  const auto after =
      RunTool({"diff-live", dir / "tuned.Nddt", boxes[1]->Endpoint(), "--all", kFast}, dir);
  EXPECT_EQ(after.status, 1);
  EXPECT_NE(after.out.find("[22:3 99 -> 15]"), std::string::npos) << after.out;
  // The last slot of a page is never sent by a page write over the network: a file that
  // differs there alone agrees with the box, unless --all.
  ValueTable last_slot = tuned;
  last_slot.Set(0, 66, 77);
  WriteText(dir / "last.Nddt", EncodePresetFile(PresetKind::kMode, last_slot));
  const auto last = RunTool({"diff-live", dir / "last.Nddt", boxes[1]->Endpoint(), kFast}, dir);
  EXPECT_EQ(last.status, 0) << last.out << last.err;
  const auto last_all =
      RunTool({"diff-live", dir / "last.Nddt", boxes[1]->Endpoint(), "--all", kFast}, dir);
  EXPECT_EQ(last_all.status, 1);
  EXPECT_NE(last_all.out.find("[0:66 77 -> "), std::string::npos) << last_all.out;
  for (const char* loaded : {"[0:25 ", "[3:2 ", "[21:39 ", "[30:23 "}) {
    EXPECT_EQ(after.out.find(loaded), std::string::npos) << loaded << after.out;
  }
  WriteText(dir / "hint.EQdt", EncodePresetFile(PresetKind::kEq, boxes[1]->sim->Memory().params));
  const auto same = RunTool({"diff-live", dir / "hint.EQdt", boxes[1]->Endpoint(), kFast}, dir);
  EXPECT_EQ(same.status, 0) << same.out << same.err;
  EXPECT_EQ(Lines(same.out), std::vector<std::string>{"0 parameters differ"});
}

TEST(LiveCommandsTest, AStoppedPushEndsTheWriteOnItsWayAndTellsWhatEachBoxHolds) {
  TempDir dir;
  auto done = StartBox(16);
  auto partial = StartBox(17);
  auto untouched = StartBox(18);
  // The first two pages of the download are answered at once, then every answer 50 ms late;
  // the third box answers 200 ms late once the handshake is done, and is still being read at
  // the signal.
  partial->sim->Schedule({{boxsim::FaultKind::kDelay, 50}, 76});
  untouched->sim->Schedule({{boxsim::FaultKind::kDelay, 200}, 2});
  // A new value on every page a mode file loads, so that each page tells whether it came.
  ValueTable tuned = boxsim::MakeFactoryMemory().params;
  for (int page = 0; page <= 21; ++page) tuned.Set(page, 1, 1000 + page);
  WriteText(dir / "tuned.Nddt", EncodePresetFile(PresetKind::kMode, tuned));
  const boxsim::BoxMemory held = partial->sim->Memory();
  const boxsim::BoxMemory untouched_held = untouched->sim->Memory();

  ToolProcess tool({"push", dir / "tuned.Nddt", done->Endpoint(), partial->Endpoint(),
                    untouched->Endpoint(), kFast},
                   dir);
  ASSERT_TRUE(Eventually(
      [&] {
        return done->sim->Counters().byes == 1 && partial->sim->Counters().frames_received >= 78;
      },
      20000));
  tool.Signal(SIGTERM);
  const auto r = tool.Wait();
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.err.find("stopped by SIGTERM"), std::string::npos) << r.err;
  ASSERT_EQ(Lines(r.out).size(), 3u) << r.out;
  EXPECT_EQ(Lines(r.out)[0], done->Endpoint() + " done");
  EXPECT_EQ(Lines(r.out)[2], untouched->Endpoint() + " untouched");

  // The partial box: the pages written are named, with the backup that puts the box back.
  const std::string backups = dir / "data/kdsp-tool/backups/";
  const std::string backup_line = LineOf(r.err, "kdsp-tool: " + partial->Endpoint() + ": backup ");
  ASSERT_NE(
      backup_line.find(backups + "127.0.0.17_" + std::to_string(partial->server.Port()) + "-"),
      std::string::npos)
      << r.err;
  const std::string backup = backup_line.substr(backup_line.find(backups));
  const std::string head = partial->Endpoint() + " partial: pages 0 to ";
  const std::string line = Lines(r.out)[1];
  ASSERT_EQ(line.rfind(head, 0), 0u) << line;
  int last = -1;
  std::from_chars(line.data() + head.size(), line.data() + line.size(), last);
  EXPECT_EQ(
      line.substr(head.size() + std::to_string(last).size()),
      " written of 0 to 25; restore with: kdsp-tool push " + backup + " " + partial->Endpoint());
  // No new page was begun after the signal, and the one on its way was written whole.
  EXPECT_GE(last, 1);
  EXPECT_LT(last, 21);
  const boxsim::BoxMemory now = partial->sim->Memory();
  for (int page = 0; page <= 25; ++page) {
    for (int slot = 0; slot < PageLength(page); ++slot) {
      const int want =
          page <= std::min(last, 21) ? tuned.Get(page, slot) : held.params.Get(page, slot);
      ASSERT_EQ(now.params.Get(page, slot), want) << page << ":" << slot;
    }
  }
  for (int page = 0; page <= 25; ++page) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      ASSERT_EQ(untouched->sim->Param(page, slot), untouched_held.params.Get(page, slot));
    }
  }
  // Every box was let go with the farewell; only the boxes read to the end have a backup.
  EXPECT_EQ(Byes(*done), 1);
  EXPECT_EQ(Byes(*partial), 1);
  EXPECT_EQ(Byes(*untouched), 1);
  const auto files = [&] {
    int n = 0;
    for ([[maybe_unused]] const auto& f : std::filesystem::directory_iterator(backups)) ++n;
    return n;
  };
  EXPECT_EQ(files(), 2);

  // The printed restore puts back what the box held, and keeps no backup of its own.
  partial->sim->SetAnswerDelay(0);
  const auto restored = RunTool({"push", backup, partial->Endpoint(), "--no-backup", kFast}, dir);
  EXPECT_EQ(restored.status, 0) << restored.out << restored.err;
  for (int page = 0; page <= 25; ++page) {
    for (int slot = 0; slot < PageLength(page); ++slot) {
      ASSERT_EQ(partial->sim->Param(page, slot), held.params.Get(page, slot))
          << page << ":" << slot;
    }
  }
  EXPECT_EQ(files(), 2);
}

TEST(LiveCommandsTest, FaultyBoxesFailAloneWithTheirReason) {
  TempDir dir;
  auto good = StartBox(8);
  auto dropping = StartBox(9);
  dropping->sim->Schedule({{boxsim::FaultKind::kDrop, 2}, 20});  // answers lost mid-read
  auto silent = StartBox(10);
  silent->sim->Schedule({{boxsim::FaultKind::kSilent, 0}, 30});  // gone silent mid-read
  auto cut = StartBox(11);
  // Silent once the read is done and the download has begun.
  cut->sim->Schedule({{boxsim::FaultKind::kSilent, 0}, 95});
  const std::string refusing = "127.0.0.12:" + std::to_string(FreePort(12));
  ValueTable tuned = boxsim::MakeFactoryMemory().params;
  tuned.Set(0, 25, 133);
  WriteText(dir / "t.Nddt", EncodePresetFile(PresetKind::kMode, tuned));

  const auto r = RunTool({"push", dir / "t.Nddt", good->Endpoint(), dropping->Endpoint(),
                          silent->Endpoint(), cut->Endpoint(), refusing, "127.0.0.13:bad", kFast},
                         dir);
  EXPECT_EQ(r.status, 2);  // a wrong endpoint is a wrong command line: nothing is touched
  EXPECT_EQ(good->sim->Counters().frames_received, 0);

  // One more box closes every connection in the middle of the read.
  auto closing = StartBox(14);
  const std::string closing_endpoint = closing->Endpoint();
  std::thread closer([&] {
    Eventually([&] { return closing->sim->Counters().frames_received >= 40; });
    closing->server.Stop();
  });
  WrongService wrong("127.0.0.15");
  const auto p =
      RunTool({"push", dir / "t.Nddt", good->Endpoint(), dropping->Endpoint(), silent->Endpoint(),
               cut->Endpoint(), refusing, closing_endpoint, wrong.Endpoint(), kFast},
              dir);
  closer.join();
  const std::string wrong_line = LineOf(p.out, wrong.Endpoint());
  EXPECT_EQ(wrong_line,
            wrong.Endpoint() + " failed: time-out: no box answered the probe [Off Line!]")
      << p.out;
  const std::string closed_line = LineOf(p.out, closing_endpoint);
  EXPECT_EQ(closed_line.rfind(closing_endpoint + " failed: lost link", 0), 0u) << p.out;
  EXPECT_NE(closed_line.find("closed the connection during the read"), std::string::npos);
  EXPECT_EQ(p.status, 1);
  EXPECT_EQ(LineOf(p.out, good->Endpoint()), good->Endpoint() + " ok") << p.out;
  EXPECT_EQ(LineOf(p.out, dropping->Endpoint()), dropping->Endpoint() + " ok") << p.out;
  EXPECT_GE(dropping->sim->Counters().answers_dropped, 2);
  const std::string silent_line = LineOf(p.out, silent->Endpoint());
  EXPECT_EQ(silent_line.rfind(silent->Endpoint() + " failed: time-out", 0), 0u) << p.out;
  EXPECT_NE(silent_line.find("during the read"), std::string::npos) << silent_line;
  const std::string cut_line = LineOf(p.out, cut->Endpoint());
  EXPECT_NE(cut_line.find("failed: time-out"), std::string::npos) << p.out;
  EXPECT_NE(cut_line.find("partial download"), std::string::npos) << cut_line;
  EXPECT_EQ(LineOf(p.out, refusing).rfind(refusing + " failed: refused", 0), 0u) << p.out;
  EXPECT_EQ(good->sim->Param(0, 25), 133);
  EXPECT_EQ(dropping->sim->Param(0, 25), 133);
  EXPECT_NE(silent->sim->Param(0, 25), 133);
}

TEST(LiveCommandsTest, ScanFindsExactlyTheBoxesOfTheRange) {
  TempDir dir;
  std::vector<std::unique_ptr<Box>> boxes;
  boxes.push_back(StartBox(3));
  const int port = boxes[0]->server.Port();
  for (int host : {7, 20, 30}) boxes.push_back(StartBox(host, port));
  auto elsewhere = StartBox(40, port);  // outside the range

  const auto r = RunTool({"scan", "127.0.0.0/27", "--port", std::to_string(port)}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string p = ":" + std::to_string(port);
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"127.0.0.3" + p + " 10203003 4-Room 3",
                                                    "127.0.0.7" + p + " 10203007 8-Room 7",
                                                    "127.0.0.20" + p + " 10203014 5-Room 20",
                                                    "127.0.0.30" + p + " 1020301E 15-Room 30"}));
  EXPECT_NE(r.err.find("4 boxes found among 30 addresses"), std::string::npos) << r.err;
  for (const auto& b : boxes) EXPECT_EQ(Byes(*b), 1);
  EXPECT_EQ(elsewhere->sim->Counters().frames_received, 0);

  // One probe at a time with a short limit finds the same boxes.
  const auto serial = RunTool({"scan", "127.0.0.0/27", "--port", std::to_string(port),
                               "--concurrency", "1", "--timeout", "500"},
                              dir);
  EXPECT_EQ(serial.status, 0) << serial.err;
  EXPECT_EQ(Lines(serial.out), Lines(r.out));

  // The form a scan prints is a target too, its own port before --port.
  const auto printed = RunTool({"scan", "127.0.0.7" + p}, dir);
  EXPECT_EQ(printed.status, 0) << printed.err;
  EXPECT_EQ(Lines(printed.out), std::vector<std::string>{"127.0.0.7" + p + " 10203007 8-Room 7"});

  // A single host, and nothing found at all.
  const auto one = RunTool({"scan", "127.0.0.7", "--port", std::to_string(port)}, dir);
  EXPECT_EQ(Lines(one.out), std::vector<std::string>{"127.0.0.7" + p + " 10203007 8-Room 7"});
  const auto none = RunTool({"scan", "127.0.0.50/31", "--port", std::to_string(port)}, dir);
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(none.out.empty());
}

}  // namespace
}  // namespace kdsp::tool
