// The box over real loopback TCP, a real pseudo-terminal and as the kdsp-boxsim program.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "box_test_support.h"
#include "boxsim/box_server_thread.h"
#include "model/page_layout.h"

namespace kdsp::boxsim {
namespace {

using testing::ChecksumOk;
using testing::Line;
using testing::TextOf;
using testing::WordsOf;

const Bytes kAck = {0xEE, 0xBB};
const Bytes kProbe = BuildValueFrame(CmdWrite, LinkControl, HelloCode);

// The exchange a console goes through, on any stream transport.
void RunConsoleScript(Line& line, BoxSim& box, LinkKind kind) {
  EXPECT_EQ(line.Ask(kProbe), kAck);
  EXPECT_EQ(line.Ask(BuildValueFrame(CmdWrite, LinkOpen, 1)), kAck);
  const auto id = line.Next();
  ASSERT_TRUE(id);
  EXPECT_EQ(MakeAddr((*id)[4], (*id)[5]), DeviceId);
  const auto password = line.Next();
  ASSERT_TRUE(password);
  EXPECT_EQ(TextOf(*password), "365024");

  std::vector<std::vector<int>> pages;
  for (int page = 0; page <= 25; ++page) {
    const auto f = line.Ask(BuildPageRead(page, 0, kind));
    ASSERT_TRUE(f) << page;
    EXPECT_TRUE(ChecksumOk(*f));
    EXPECT_EQ((*f)[4], page);
    pages.push_back(WordsOf(*f));
    ASSERT_EQ(static_cast<int>(pages.back().size()), PageLength(page));
  }
  EXPECT_EQ(pages[3].at(0), box.Param(3, 0));
  EXPECT_EQ(TextOf(*line.Ask(BuildItemRead(30, 1))), "Live");
  EXPECT_EQ(TextOf(*line.Ask(BuildItemRead(35, 0))), "8888");
  EXPECT_EQ(WordsOf(*line.Ask(BuildItemRead(40, 0))).at(0), 6);

  EXPECT_EQ(line.Ask(BuildValueFrame(CmdWrite, MakeAddr(0, 25), 150)), kAck);
  EXPECT_EQ(WordsOf(*line.Ask(BuildPageRead(0, 0, kind))).at(25), 150);

  // A recall changes what the following full read returns.
  EXPECT_EQ(line.Ask(BuildValueFrame(CmdWrite, RecallMode, 6)), kAck);
  const auto echo = WordsOf(*line.Ask(BuildPageRead(3, 0, kind)));
  EXPECT_EQ(echo.at(0), box.Memory().modes[6].Get(3, 0));
  EXPECT_NE(echo.at(0), pages[3].at(0));
  EXPECT_EQ(WordsOf(*line.Ask(BuildItemRead(32, 0))).at(0), 6);

  const auto status = line.Ask(BuildPageRead(kStatusPage, 0, kind));
  ASSERT_TRUE(status);
  EXPECT_EQ((*status)[18], box.Param(0, 6));
}

class TcpBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start()) << server_.Error();
    ASSERT_NE(server_.Port(), 0);
    line_ = std::make_unique<Line>(testing::ConnectLoopback(server_.Port()));
    ASSERT_TRUE(line_->Ok());
  }
  BoxServerThread server_;
  std::unique_ptr<Line> line_;
};

TEST_F(TcpBoxTest, AnswersAConsoleExchange) {
  RunConsoleScript(*line_, server_.Box(), LinkTcp);
  // A second connection talks to the same box.
  EXPECT_EQ(line_->Ask(BuildValueFrame(CmdWrite, MakeAddr(0, 30), 77)), kAck);
  Line other(testing::ConnectLoopback(server_.Port()));
  EXPECT_EQ(WordsOf(*other.Ask(BuildPageRead(0, 0, LinkTcp))).at(30), 77);
  server_.Stop();
  EXPECT_FALSE(server_.Running());
  EXPECT_FALSE(line_->ReadOnce(2000));  // the connection is closed
}

TEST(TcpBox, SendsEachAnswerInAReadOfItsOwn) {
  BoxServerThread server;
  ServerOptions options;
  options.send_gap_ms = 300;  // wide enough for a busy test machine
  ASSERT_TRUE(server.Start(options)) << server.Error();
  Line line(testing::ConnectLoopback(server.Port()));
  line.Write(BuildValueFrame(CmdWrite, LinkOpen, 1));
  EXPECT_EQ(line.ReadOnce(2000), kAck);
  EXPECT_EQ(line.ReadOnce(2000)->size(), 11u);
  EXPECT_EQ(line.ReadOnce(2000)->size(), 13u);
}

TEST_F(TcpBoxTest, InjectsEachFault) {
  BoxSim& box = server_.Box();
  const Bytes poll = BuildPageRead(kStatusPage, 0, LinkTcp);

  box.DropNext(1);
  line_->Write(kProbe);
  EXPECT_FALSE(line_->Next(300));
  EXPECT_EQ(line_->Ask(kProbe), kAck);

  box.CorruptNext();
  const auto bad = line_->Ask(poll);
  ASSERT_TRUE(bad);
  EXPECT_FALSE(ChecksumOk(*bad));
  EXPECT_TRUE(ChecksumOk(*line_->Ask(poll)));

  box.SetSplitGapMs(400);
  box.SplitNext();
  line_->Write(poll);
  const auto head = line_->ReadOnce(2000);
  ASSERT_TRUE(head);
  EXPECT_EQ(head->size(), 11u);  // half of the 23-byte status frame
  const auto tail = line_->ReadOnce(2000);
  ASSERT_TRUE(tail);
  EXPECT_EQ(tail->size(), 12u);

  box.MergeNext();
  line_->Write(kProbe);
  line_->Write(poll);
  const auto both = line_->ReadOnce(3000);
  ASSERT_TRUE(both);
  EXPECT_EQ(both->size(), 2u + 23u);

  box.GoSilent();
  line_->Write(kProbe);
  EXPECT_FALSE(line_->Next(300));
  box.Resume();
  EXPECT_EQ(line_->Ask(kProbe), kAck);

  box.SetAnswerDelay(300);
  const auto sent = std::chrono::steady_clock::now();
  EXPECT_EQ(line_->Ask(kProbe), kAck);
  EXPECT_GE(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(290));
  box.SetAnswerDelay(0);

  box.TurnMusicKey(13);
  EXPECT_EQ((*line_->Ask(poll))[18], 13);
}

TEST(PtyBox, AnswersAConsoleExchangeOverASerialLine) {
  BoxServerThread server;
  ServerOptions options;
  options.tcp = false;
  options.pty = true;
  ASSERT_TRUE(server.Start(options)) << server.Error();
  ASSERT_EQ(server.Port(), 0);
  ASSERT_EQ(server.PtyPath().rfind("/dev/pts/", 0), 0u) << server.PtyPath();
  Line line(testing::OpenSerial(server.PtyPath()));
  ASSERT_TRUE(line.Ok());
  RunConsoleScript(line, server.Box(), LinkCom);

  // Frames trickling in, or two in one write, are taken all the same.
  const Bytes poll = BuildPageRead(kStatusPage, 0, LinkCom);
  for (std::uint8_t b : poll) line.Write({&b, 1});
  EXPECT_EQ(line.Next()->at(4), kStatusPage);
  Bytes two = kProbe;
  two.insert(two.end(), poll.begin(), poll.end());
  line.Write(two);
  EXPECT_EQ(line.Next(), kAck);
  EXPECT_EQ(line.Next()->at(4), kStatusPage);
  server.Box().DropNext(1);
  line.Write(kProbe);
  EXPECT_FALSE(line.Next(300));
}

// Runs the program with `args`; returns its pid and a stream on its standard output.
pid_t Spawn(const std::vector<std::string>& args, FILE** out) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    close(fds[1]);
    std::vector<char*> argv{const_cast<char*>(KDSP_BOXSIM_PROGRAM)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  *out = fdopen(fds[0], "r");
  return pid;
}

int WaitExit(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BoxProgram, ServesPtyAndTcpAndExplainsItself) {
  FILE* out = nullptr;
  pid_t pid = Spawn({"--pty", "--tcp", "0", "--drop", "1@2"}, &out);
  ASSERT_GT(pid, 0);
  char path[256] = {};
  char tcp[256] = {};
  ASSERT_TRUE(fgets(path, sizeof path, out));
  ASSERT_TRUE(fgets(tcp, sizeof tcp, out));
  std::string pty_path(path);
  pty_path.pop_back();
  int port = 0;
  ASSERT_EQ(std::sscanf(tcp, "tcp 127.0.0.1:%d", &port), 1) << tcp;
  {
    Line serial(testing::OpenSerial(pty_path));
    Line net(testing::ConnectLoopback(port));
    EXPECT_EQ(serial.Ask(kProbe), kAck);
    EXPECT_EQ(net.Ask(kProbe), kAck);
    net.Write(kProbe);  // the third frame: dropped as told on the command line
    EXPECT_FALSE(net.Next(300));
    EXPECT_EQ(net.Ask(kProbe), kAck);
  }
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid), 0);
  fclose(out);

  pid = Spawn({"--help"}, &out);
  std::string help;
  for (char buf[256]; fgets(buf, sizeof buf, out);) help += buf;
  fclose(out);
  EXPECT_EQ(WaitExit(pid), 0);
  for (const char* word : {"--tcp", "--bind", "--pty", "drop", "corrupt", "split", "merge",
                           "silent", "back", "delay", "key"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
  pid = Spawn({"--frobnicate"}, &out);
  fclose(out);
  EXPECT_EQ(WaitExit(pid), 2);
}

// Peak resident memory of a process in kB (VmHWM), or -1 when it cannot be read.
long PeakMemoryKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// A console that keeps asking for whole pages and never reads the answers: the box stops
// reading from it once its answers pile up, so the asking stalls and the box stays small. A
// box that kept reading would take all 8 MB of requests and hold about 200 MB of answers.
TEST(BoxProgram, AClientThatNeverReadsCannotMakeTheBoxGrow) {
  FILE* out = nullptr;
  const pid_t pid = Spawn({"--tcp", "0"}, &out);
  ASSERT_GT(pid, 0);
  char tcp[256] = {};
  ASSERT_TRUE(fgets(tcp, sizeof tcp, out));
  int port = 0;
  ASSERT_EQ(std::sscanf(tcp, "tcp 127.0.0.1:%d", &port), 1) << tcp;
  const long start_kb = PeakMemoryKb(pid);
  ASSERT_GT(start_kb, 0);

  const int fd = testing::ConnectLoopback(port);
  ASSERT_GE(fd, 0);
  const int small = 4096;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  Bytes requests;
  const Bytes page1 = BuildPageRead(1, 0, LinkTcp);
  while (requests.size() < 64 * 1024) requests.insert(requests.end(), page1.begin(), page1.end());
  std::size_t sent = 0;
  const std::size_t target = 8u << 20;
  // Sends until the box has stopped taking requests for half a second (or all went out).
  auto last_progress = std::chrono::steady_clock::now();
  while (sent < target &&
         std::chrono::steady_clock::now() - last_progress < std::chrono::milliseconds(500)) {
    const std::size_t offset = sent % requests.size();
    const ssize_t n = send(fd, requests.data() + offset,
                           std::min(requests.size() - offset, target - sent), MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      last_progress = std::chrono::steady_clock::now();
    } else {
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, 50);
    }
  }
  const long peak_kb = PeakMemoryKb(pid);
  EXPECT_LT(sent, target) << "the box took every request without its answers being read";
  EXPECT_LT(peak_kb, 50 * 1024) << "started at " << start_kb << " kB";
  close(fd);
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid), 0);
  fclose(out);
}

}  // namespace
}  // namespace kdsp::boxsim
