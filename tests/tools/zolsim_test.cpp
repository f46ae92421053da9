// Runs the real zolsim program on 127.0.0.1: its datagrams arrive byte for
// byte as the builder makes them, its scenario changes them over time, and
// its telnet console follows the dialogue the console's session engine
// expects. Every wait has a time-out.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "zolsim/datagram.h"
#include "support/zolsim_peer.h"
#include "zolsim/model.h"

namespace zol::sim {
namespace {

using zol::ZolSim;
using zol::ZolSimPath;

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return ms < 0 ? 0 : static_cast<int>(ms);
}

// A UDP socket on 127.0.0.1 with a port of the system's choice.
class UdpSink {
 public:
  UdpSink() {
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  ~UdpSink() { close(fd_); }
  int port() const { return port_; }
  std::string port_text() const { return std::to_string(port_); }

  bool Recv(Bytes* out, int timeout_ms = 5000) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeout_ms) <= 0) return false;
    unsigned char b[4096];
    ssize_t n = recv(fd_, b, sizeof b, 0);
    if (n < 0) return false;
    out->assign(b, b + n);
    return true;
  }
  void Drain() {
    Bytes b;
    while (Recv(&b, 0)) {
    }
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

const Bytes* FindRecord(const Bytes& d, std::uint16_t type, Bytes* rec) {
  std::size_t at = kHeaderSize;
  while (at + 4 <= d.size()) {
    std::size_t len = GetU16(d, at + 2);
    if (len < 4 || at + len > d.size()) break;
    if (GetU16(d, at) == type) {
      rec->assign(d.begin() + static_cast<long>(at), d.begin() + static_cast<long>(at + len));
      return rec;
    }
    at += len;
  }
  return nullptr;
}

std::uint32_t Sequence(const Bytes& d) { return (static_cast<std::uint32_t>(GetU16(d, 4)) << 16) | GetU16(d, 6); }
std::string MacOf(const Bytes& d) { return ToHex(Bytes(d.begin() + 14, d.begin() + 20)); }

TEST(ZolSim, SendsTheBuildersDatagramsAndStopsAfterItsCount) {
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--count", "3", "--rate", "50", "--devices", "2", "--mac-suffix",
                  "ABCD00", "--outlets", "4", "--event", "0 2 width 8", "--event", "0 * temp 23.45"});
  std::vector<Device> model = {MakeDevice(1, 0xABCD00), MakeDevice(2, 0xABCD00)};
  std::string err;
  for (Device& d : model) {
    ASSERT_TRUE(ApplyVerb(d, "outlets", {"4"}, 0, &err));
    ASSERT_TRUE(ApplyVerb(d, "temp", {"23.45"}, 0, &err));
  }
  ASSERT_TRUE(ApplyVerb(model[1], "width", {"8"}, 0, &err));
  std::vector<Bytes> want[2];
  for (int k = 0; k < 2; ++k)
    for (int i = 0; i < 3; ++i) want[k].push_back(BuildDatagram(model[static_cast<std::size_t>(k)], 0));

  std::vector<Bytes> got[2];
  Bytes d;
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(sink.Recv(&d)) << "datagram " << i;
    ASSERT_GE(d.size(), 20u);
    int k = MacOf(d) == "025A3CABCD00" ? 0 : 1;
    got[k].push_back(d);
  }
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(got[k].size(), 3u) << "device " << k + 1;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ToHex(got[k][static_cast<std::size_t>(i)]), ToHex(want[k][static_cast<std::size_t>(i)]));
  }
  Bytes ping;
  ASSERT_TRUE(FindRecord(got[1][0], kPingType, &ping));
  EXPECT_EQ(ping.size(), 208u);
  EXPECT_EQ(sim.Wait(10000), 0);
  EXPECT_FALSE(sink.Recv(&d, 100)) << "nothing after the count";
  EXPECT_NE(sim.RestOfOutput().find("sent 6 datagram(s)"), std::string::npos);
}

TEST(ZolSim, LegacyDeviceSends182Bytes) {
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--count", "1", "--legacy", "--mac-suffix", "00B5B6"});
  Bytes d;
  ASSERT_TRUE(sink.Recv(&d));
  ASSERT_EQ(d.size(), 182u);
  EXPECT_EQ(d[4], 0xB5);
  EXPECT_EQ(d[5], 0xB6);
  EXPECT_EQ(sim.Wait(10000), 0);
}

TEST(ZolSim, RefusesEveryDestinationButLoopbackAndBadOptions) {
  const std::vector<std::vector<std::string>> bad = {
      {"--host", "192.168.0.10"}, {"--host", "8.8.8.8"}, {"--host", "example.org"},
      {"--duration", "0"},        {"--devices", "0"},    {"--event", "1 5 silent", "--devices", "2"},
      {"--outlets", "3"},         {"--nonsense"},        {"--scenario", "/nonexistent/zolsim.txt"},
  };
  for (const auto& args : bad) {
    ZolSim sim(ZolSimPath(), args);
    EXPECT_EQ(sim.Wait(10000), 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
  }
  ZolSim help(ZolSimPath(), {"--help"});
  std::string text = help.RestOfOutput();
  EXPECT_EQ(help.Wait(10000), 0);
  for (const char* opt : {"--host", "--port", "--duration", "--count", "--devices", "--outlets", "--mac-suffix",
                          "--rate", "--targets", "--width", "--old-ping", "--no-temp", "--legacy", "--scenario",
                          "--event", "--telnet-base", "--password", "--user", "--script-type", "--descr-notfound",
                          "--reboot-delay", "--fault", "--telnet-log", "--blast", "--verbose", "Examples:"})
    EXPECT_NE(text.find(opt), std::string::npos) << opt;
}

TEST(ZolSim, ScenarioChangesStatesOverTime) {
  UdpSink sink;
  char tmpl[] = "/tmp/zolsimscenXXXXXX";
  int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  close(fd);
  {
    std::ofstream f(tmpl);
    f << "# outlet 3 of device 1 goes PING abnormal, device 2 falls silent\n"
         "0.4 1 ping 3 abnormal\n"
         "0.4 2 silent\n";
  }
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--devices", "2", "--rate", "20", "--duration", "1.2", "--scenario", tmpl});
  std::vector<Bytes> dev1, dev2;
  Bytes d;
  // The run ends by itself; its datagrams wait in the socket meanwhile.
  EXPECT_EQ(sim.Wait(10000), 0);
  while (sink.Recv(&d, 0)) (MacOf(d) == "025A3C000001" ? dev1 : dev2).push_back(d);
  std::remove(tmpl);
  ASSERT_GE(dev1.size(), 10u);
  auto judge3 = [](const Bytes& dg) {
    Bytes ping;
    return FindRecord(dg, kPingType, &ping) ? GetU16(ping, 8 + 34 * 2 + 2) : 0xFFFF;
  };
  EXPECT_EQ(judge3(dev1.front()), 1);
  EXPECT_EQ(judge3(dev1.back()), 2);
  for (std::size_t i = 1; i < dev1.size(); ++i) EXPECT_EQ(Sequence(dev1[i]), Sequence(dev1[i - 1]) + 1);
  ASSERT_FALSE(dev2.empty());
  EXPECT_LT(dev2.size() + 5, dev1.size()) << "device 2 stops at 0.4 s, device 1 goes on to 1.2 s";
}

TEST(ZolSim, DemoScenarioRuns) {
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--devices", "8", "--duration", "0.2", "--scenario",
                  std::string(ZOLSIM_SOURCE_DIR) + "/demo-scenario.txt"});
  EXPECT_EQ(sim.Wait(10000), 0);
  Bytes d;
  int from_device2 = 0;
  while (sink.Recv(&d, 0)) {
    Bytes rec;
    if (MacOf(d) == "025A3C000002" && FindRecord(d, kOutletType, &rec)) from_device2 += GetU16(rec, 4) == 4;
  }
  EXPECT_EQ(from_device2, 1) << "device 2 has 4 outlets from the start";
}

TEST(ZolSim, BlastReportsWhatItSent) {
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--blast", "--port", sink.port_text(), "--devices", "20", "--rate", "50", "--duration", "0.5"});
  EXPECT_EQ(sim.Wait(10000), 0);
  std::string out = sim.RestOfOutput();
  EXPECT_NE(out.find("zolsim: blast: 20 device(s) x 50/s"), std::string::npos) << out;
  EXPECT_NE(out.find("datagram(s)"), std::string::npos);
}

// ---- telnet console ----

constexpr char kIac = '\xFF', kDo = '\xFD', kWill = '\xFB', kSb = '\xFA', kSe = '\xF0', kTtype = '\x18';

class Telnet {
 public:
  explicit Telnet(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~Telnet() { close(fd_); }
  bool connected() const { return connected_; }
  bool closed() const { return closed_; }

  // Reads until `want` is in what arrived since the last Take, the peer
  // closes, or the time-out passes.
  bool WaitFor(const std::string& want, int timeout_ms = 5000) {
    return ReadUntil([&] { return got_.find(want) != std::string::npos; }, timeout_ms);
  }
  bool WaitClosed(int timeout_ms = 5000) { return ReadUntil([&] { return closed_; }, timeout_ms); }
  // Reads for a while; the text that came.
  std::string Collect(int ms) {
    ReadUntil([] { return false; }, ms);
    return got_;
  }
  std::string Take() {
    std::string s;
    s.swap(got_);
    return s;
  }
  void Send(const std::string& bytes) { (void)!write(fd_, bytes.data(), bytes.size()); }
  void Line(const std::string& text) { Send(text + "\r\n"); }

  // The server's negotiation as a client answers it: WILL TTYPE on DO TTYPE,
  // IS dumb on SEND.
  bool Negotiate() {
    if (!WaitFor(std::string{kIac, kDo, kTtype})) return false;
    Take();
    Send(std::string{kIac, kWill, kTtype});
    if (!WaitFor(std::string{kIac, kSb, kTtype, '\x01', kIac, kSe})) return false;
    Take();
    Send(std::string{kIac, kSb, kTtype, '\x00'} + "dumb" + std::string{kIac, kSe});
    return true;
  }

 private:
  bool ReadUntil(const std::function<bool()>& done, int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
      if (closed_) return false;
      pollfd p{fd_, POLLIN, 0};
      int left = MsLeft(deadline);
      if (left == 0 || poll(&p, 1, left) <= 0) return done();
      char b[8192];
      ssize_t n = recv(fd_, b, sizeof b, 0);
      if (n <= 0) {
        closed_ = true;
        return done();
      }
      got_.append(b, static_cast<std::size_t>(n));
    }
    return true;
  }
  int fd_ = -1;
  bool connected_ = false;
  bool closed_ = false;
  std::string got_;
};

std::string TempLog() {
  char tmpl[] = "/tmp/zolsimlogXXXXXX";
  int fd = mkstemp(tmpl);
  close(fd);
  return tmpl;
}

std::vector<std::string> LogLines(const std::string& path) {
  std::ifstream f(path);
  std::vector<std::string> lines;
  for (std::string l; std::getline(f, l);) lines.push_back(l);
  return lines;
}

std::uint16_t PowerWordB(const Bytes& d, int outlet) {
  Bytes rec;
  return FindRecord(d, kOutletType, &rec) ? GetU16(rec, 6 + 6 * (outlet - 1) + 2) : 0xFFFF;
}

// Waits for a datagram built after everything the sink holds now.
bool NextDatagram(UdpSink& sink, Bytes* d) {
  sink.Drain();
  return sink.Recv(d, 3000);
}

TEST(ZolSimTelnet, PasswordDeviceFollowsTheDialogue) {
  UdpSink sink;
  const std::string log = TempLog();
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--rate", "20", "--duration", "30", "--telnet-base", "0", "--telnet-log", log});
  const int port = sim.TelnetPort(1);
  ASSERT_GT(port, 0);

  Telnet t(port);
  ASSERT_TRUE(t.connected());
  ASSERT_TRUE(t.Negotiate());
  // Banner with "." and the password prompt ending in ":".
  ASSERT_TRUE(t.WaitFor("Password: "));
  std::string banner = t.Take();
  EXPECT_NE(banner.find('.'), std::string::npos);
  EXPECT_EQ(banner.back(), ' ');
  EXPECT_EQ(banner[banner.size() - 2], ':');

  // A second connection is told it is busy and closed.
  {
    Telnet busy(port);
    ASSERT_TRUE(busy.connected());
    EXPECT_TRUE(busy.WaitClosed());
    std::string text = busy.Take();
    EXPECT_NE(text.find("Too"), std::string::npos);
    EXPECT_EQ(text.find('.'), std::string::npos) << "a busy answer must not read as a banner";
  }

  // The empty line that follows the banner brings the prompt again.
  t.Line("");
  ASSERT_TRUE(t.WaitFor("Password: "));
  t.Take();
  t.Line("wrong");
  ASSERT_TRUE(t.WaitFor("Password: "));
  std::string answer = t.Take();
  EXPECT_NE(answer.find("Inco"), std::string::npos);
  EXPECT_EQ(answer.find('>'), std::string::npos);
  t.Line("kelpo");
  ASSERT_TRUE(t.WaitFor(">"));
  EXPECT_EQ(t.Take().find("Inco"), std::string::npos);

  struct Query {
    const char* command;
    const char* reply;
  };
  for (Query q : {Query{"?sysName", "sysName=\"ZOL-001\""}, Query{"?model", "model=\"RPC-8\""},
                  Query{"?debOlName", "debOlName=\"Outlet1,Outlet2,Outlet3,Outlet4,Outlet5,Outlet6,Outlet7,Outlet8\""}}) {
    t.Line(q.command);
    ASSERT_TRUE(t.WaitFor(">")) << q.command;
    EXPECT_NE(t.Take().find(q.reply), std::string::npos) << q.command;
  }
  t.Line("?sysDescr");
  ASSERT_TRUE(t.WaitFor(">"));
  EXPECT_NE(t.Take().find("sysDescr=\""), std::string::npos);

  // Outlet commands change the following datagrams.
  Bytes d;
  ASSERT_TRUE(NextDatagram(sink, &d));
  EXPECT_EQ(PowerWordB(d, 3), 1);
  t.Line("POF3");
  ASSERT_TRUE(t.WaitFor(">"));
  EXPECT_NE(t.Take().find("."), std::string::npos);
  ASSERT_TRUE(NextDatagram(sink, &d));
  EXPECT_EQ(PowerWordB(d, 3), 0);
  EXPECT_EQ(PowerWordB(d, 2), 1);
  t.Line("PON 3");
  ASSERT_TRUE(t.WaitFor(">"));
  EXPECT_NE(t.Take().find("."), std::string::npos);
  ASSERT_TRUE(NextDatagram(sink, &d));
  EXPECT_EQ(PowerWordB(d, 3), 1);
  t.Line("PON9");
  ASSERT_TRUE(t.WaitFor(">"));
  EXPECT_NE(t.Take().find("Invalid"), std::string::npos);

  // Script lines get the prompt; "q" ends the session.
  t.Line("set outlet 1 name Server");
  ASSERT_TRUE(t.WaitFor(">"));
  std::string reply = t.Take();
  EXPECT_EQ(reply.find("bye."), std::string::npos);
  EXPECT_EQ(reply.find("set."), std::string::npos);
  t.Line("q");
  EXPECT_TRUE(t.WaitClosed());

  // A new session after the first one ended is served again; "bye." closes it
  // without an answer on a type 0 device.
  Telnet again(port);
  ASSERT_TRUE(again.Negotiate());
  ASSERT_TRUE(again.WaitFor("Password: "));
  again.Line("kelpo");
  ASSERT_TRUE(again.WaitFor(">"));
  again.Take();
  again.Line("bye.");
  EXPECT_TRUE(again.WaitClosed());
  EXPECT_EQ(again.Take().find("bye."), std::string::npos);

  sim.Stop();
  const std::vector<std::string> want = {"1 [connect]", "1 [will ttype]", "1 [ttype dumb]", "1 [busy]", "1 ", "1 wrong",
                                         "1 kelpo",     "1 [login]",      "1 ?sysName", "1 ?model",
                                         "1 ?debOlName", "1 ?sysDescr",   "1 POF3",   "1 PON 3",
                                         "1 PON9",       "1 set outlet 1 name Server", "1 q", "1 [close]",
                                         "1 [connect]", "1 [will ttype]", "1 [ttype dumb]", "1 kelpo",  "1 [login]",
                                         "1 bye.",       "1 [close]"};
  EXPECT_EQ(LogLines(log), want);
  std::remove(log.c_str());
}

TEST(ZolSimTelnet, RebootTurnsTheOutletOffAndOnAgain) {
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--rate", "20", "--duration", "30", "--telnet-base", "0",
                  "--reboot-delay", "0.5", "--password", "pw"});
  Telnet t(sim.TelnetPort(1));
  ASSERT_TRUE(t.Negotiate());
  ASSERT_TRUE(t.WaitFor("Password: "));
  t.Line("pw");
  ASSERT_TRUE(t.WaitFor(">"));
  t.Take();
  t.Line("POR2");
  ASSERT_TRUE(t.WaitFor(">"));
  EXPECT_NE(t.Take().find("REBOOT."), std::string::npos);
  Bytes d;
  ASSERT_TRUE(NextDatagram(sink, &d));
  EXPECT_EQ(PowerWordB(d, 2), 0);
  bool back_on = false;
  for (int i = 0; i < 60 && !back_on; ++i) back_on = sink.Recv(&d, 3000) && PowerWordB(d, 2) == 1;
  EXPECT_TRUE(back_on);
}

TEST(ZolSimTelnet, QmDeviceAsksNoPasswordAndAnswersBye) {
  const std::string log = TempLog();
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--duration", "30", "--telnet-base", "0", "--script-type", "1",
                  "--descr-notfound", "--telnet-log", log});
  Telnet t(sim.TelnetPort(1));
  ASSERT_TRUE(t.Negotiate());
  ASSERT_TRUE(t.WaitFor(">"));
  std::string banner = t.Take();
  EXPECT_NE(banner.find('.'), std::string::npos);
  EXPECT_EQ(banner.find(':'), std::string::npos) << "no password prompt";
  t.Line("?sysDescr");
  ASSERT_TRUE(t.WaitFor(">"));
  std::string descr = t.Take();
  EXPECT_NE(descr.find("found."), std::string::npos);
  EXPECT_EQ(descr.find('='), std::string::npos);
  // Lines may end in CR LF or, as telnet also allows, in CR NUL.
  for (const std::string& line : {std::string("line one\r\n"), std::string("\r\n"), std::string("line two\r\0", 10)}) {
    t.Send(line);
    ASSERT_TRUE(t.WaitFor(">")) << line;
    t.Take();
  }
  t.Line("bye.");
  EXPECT_TRUE(t.WaitClosed());
  EXPECT_NE(t.Take().find("bye."), std::string::npos);
  sim.Stop();
  const std::vector<std::string> want = {"1 [connect]", "1 [will ttype]", "1 [ttype dumb]", "1 ?sysDescr", "1 line one",
                                         "1 ",          "1 line two",     "1 bye.",      "1 [close]"};
  EXPECT_EQ(LogLines(log), want);
  std::remove(log.c_str());
}

TEST(ZolSimTelnet, UserNameAndClientsThatRefuseTheTerminalType) {
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--duration", "30", "--telnet-base", "0", "--user", "admin", "--password", "pw"});
  Telnet t(sim.TelnetPort(1));
  ASSERT_TRUE(t.WaitFor(std::string{kIac, kDo, kTtype}));
  t.Take();
  t.Send(std::string{kIac, '\xFC', kTtype});  // WONT TTYPE
  ASSERT_TRUE(t.WaitFor("User name: "));
  t.Take();
  // The console sends the part after "@" first and the password 100 ms later.
  t.Line("admin");
  t.Line("pw");
  ASSERT_TRUE(t.WaitFor(">"));
  EXPECT_EQ(t.Take().find("Inco"), std::string::npos);
}

TEST(ZolSimTelnet, ThirdWrongPasswordCloses) {
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--duration", "30", "--telnet-base", "0"});
  Telnet t(sim.TelnetPort(1));
  ASSERT_TRUE(t.Negotiate());
  ASSERT_TRUE(t.WaitFor("Password: "));
  for (int i = 0; i < 3; ++i) {
    t.Take();
    t.Line("bad");
    ASSERT_TRUE(t.WaitFor("Inco"));
  }
  EXPECT_TRUE(t.WaitClosed());
}

// One device per fault; each is checked from the client's side.
TEST(ZolSimTelnet, FaultsForFaultTests) {
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--duration", "30", "--devices", "6", "--telnet-base", "0",
                  "--event", "0 1 fault no-banner", "--event", "0 2 fault silent-after-login",
                  "--event", "0 3 fault close-mid-script 2", "--event", "0 4 fault garbage",
                  "--event", "0 5 fault long-lines", "--event", "0 6 fault busy"});
  int ports[7] = {0};
  for (int k = 1; k <= 6; ++k) ASSERT_GT(ports[k] = sim.TelnetPort(k), 0) << k;

  auto login = [](Telnet& t) {
    if (!t.Negotiate() || !t.WaitFor("Password: ")) return false;
    t.Take();
    t.Line("kelpo");
    return t.WaitFor(">");
  };

  Telnet no_banner(ports[1]);
  ASSERT_TRUE(no_banner.Negotiate());
  EXPECT_EQ(no_banner.Collect(700), "");

  Telnet silent(ports[2]);
  ASSERT_TRUE(silent.Negotiate());
  ASSERT_TRUE(silent.WaitFor("Password: "));
  silent.Take();
  silent.Line("kelpo");
  EXPECT_EQ(silent.Collect(700), "");
  EXPECT_FALSE(silent.closed());

  Telnet mid(ports[3]);
  ASSERT_TRUE(login(mid));
  mid.Take();
  mid.Line("first");
  ASSERT_TRUE(mid.WaitFor(">"));
  mid.Line("second");
  EXPECT_TRUE(mid.WaitClosed());

  Telnet garbage(ports[4]);
  ASSERT_TRUE(garbage.Negotiate());
  ASSERT_TRUE(garbage.WaitFor("Password: "));
  std::string g = garbage.Take();
  std::size_t banner = g.find("remote power controller.");
  ASSERT_NE(banner, std::string::npos);
  int high = 0;
  for (std::size_t i = 0; i < banner; ++i) high += static_cast<unsigned char>(g[i]) >= 0x80;
  EXPECT_GT(high, 10);

  Telnet long_lines(ports[5]);
  ASSERT_TRUE(long_lines.Negotiate());
  ASSERT_TRUE(long_lines.WaitFor("Password: "));
  std::string l = long_lines.Take();
  EXPECT_GE(l.find("\r\n"), 4000u);
  EXPECT_GT(l.find('.'), 4000u);

  Telnet busy(ports[6]);
  ASSERT_TRUE(busy.Negotiate());
  EXPECT_TRUE(busy.WaitClosed());
  EXPECT_NE(busy.Take().find("Too"), std::string::npos);
}

}  // namespace
}  // namespace zol::sim

namespace zol::sim {
namespace {

// A connection that logs in with the default password.
bool Login(Telnet& t) {
  if (!t.Negotiate() || !t.WaitFor("Password: ")) return false;
  t.Take();
  t.Line("kelpo");
  return t.WaitFor(">");
}

TEST(ZolSimTelnet, EchoIsOfferedAndEchoesEveryLineButThePassword) {
  UdpSink sink;
  const std::string log = TempLog();
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--duration", "30", "--telnet-base", "0", "--echo", "--telnet-log", log});
  Telnet t(sim.TelnetPort(1));
  ASSERT_TRUE(t.WaitFor(std::string{kIac, kWill, '\x01', kIac, kWill, '\x03'}));
  t.Send(std::string{kIac, kDo, '\x01', kIac, kDo, '\x03'});
  ASSERT_TRUE(t.Negotiate());
  ASSERT_TRUE(t.WaitFor("Password: "));
  t.Take();
  t.Line("kelpo");
  ASSERT_TRUE(t.WaitFor(">"));
  EXPECT_EQ(t.Take().find("kelpo"), std::string::npos);
  t.Line("?sysName");
  ASSERT_TRUE(t.WaitFor("\"\r\n"));
  EXPECT_EQ(t.Take().rfind("?sysName\r\nsysName=\"", 0), 0u);
  sim.Stop();
  const auto lines = LogLines(log);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "1 [do echo]"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "1 [do sga]"), lines.end());
  std::remove(log.c_str());
}

TEST(ZolSimTelnet, PasswordTriesSetWhenTheConnectionCloses) {
  struct Case {
    const char* tries;
    int wrong;        // wrong passwords sent
    bool closes;      // after the last of them
  };
  const Case cases[] = {{"1", 1, true}, {"2", 1, false}, {"2", 2, true}, {"0", 6, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("tries ") + c.tries);
    UdpSink sink;
    ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--duration", "30", "--telnet-base", "0", "--password-tries", c.tries});
    Telnet t(sim.TelnetPort(1));
    ASSERT_TRUE(t.Negotiate());
    ASSERT_TRUE(t.WaitFor("Password: "));
    for (int i = 0; i < c.wrong; ++i) {
      t.Take();
      t.Line("bad");
      ASSERT_TRUE(t.WaitFor("Inco"));
    }
    if (c.closes) {
      EXPECT_TRUE(t.WaitClosed());
    } else {
      EXPECT_TRUE(t.WaitFor("Password: "));
      EXPECT_FALSE(t.closed());
    }
  }
}

TEST(ZolSimTelnet, NewFaultsClosingReplyAndSay) {
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--duration", "30", "--devices", "9", "--telnet-base", "0",
                  "--event", "0 1 fault busy-open", "--event", "0 2 fault banner-only",
                  "--event", "0 3 fault no-accept", "--event", "0 4 fault slow 1500",
                  "--event", "0 5 fault split-replies 800", "--event", "0 6 fault silent-mid-script 2",
                  "--event", "0 7 fault ignore-close", "--event", "0 8 closing-reply CPU reset."});
  int ports[10] = {0};
  for (int k = 1; k <= 9; ++k) ASSERT_GT(ports[k] = sim.TelnetPort(k), 0) << k;

  Telnet busy(ports[1]);
  ASSERT_TRUE(busy.Negotiate());
  ASSERT_TRUE(busy.WaitFor("Too many sessions\r\n"));
  busy.Collect(500);
  EXPECT_FALSE(busy.closed());

  Telnet banner(ports[2]);
  ASSERT_TRUE(banner.Negotiate());
  ASSERT_TRUE(banner.WaitFor("controller."));
  banner.Line("");
  EXPECT_EQ(banner.Collect(700).find(':'), std::string::npos);
  EXPECT_FALSE(banner.closed());

  {
    // The connection stays pending: the socket never becomes writable.
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(ports[3]));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int rc = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    EXPECT_TRUE(rc != 0 && errno == EINPROGRESS);
    pollfd p{fd, POLLOUT, 0};
    EXPECT_EQ(poll(&p, 1, 1000), 0);
    close(fd);
  }

  Telnet slow(ports[4]);
  ASSERT_TRUE(slow.WaitFor(std::string{kIac, kDo, kTtype}, 5000));
  slow.Take();
  slow.Send(std::string{kIac, '\xFC', kTtype});  // WONT TTYPE: the banner is due at once, then late
  EXPECT_EQ(slow.Collect(500), "");
  EXPECT_TRUE(slow.WaitFor("Password: ", 5000));

  Telnet split(ports[5]);
  ASSERT_TRUE(Login(split));
  split.Take();
  split.Line("?sysName");
  ASSERT_TRUE(split.WaitFor("sysName=\"ZOL"));
  EXPECT_EQ(split.Collect(300), "sysName=\"ZOL-005");
  ASSERT_TRUE(split.WaitFor(">", 5000));
  EXPECT_EQ(split.Take(), "sysName=\"ZOL-005\"\r\nZOL-005>");

  Telnet mid(ports[6]);
  ASSERT_TRUE(Login(mid));
  mid.Take();
  mid.Line("first");
  ASSERT_TRUE(mid.WaitFor(">"));
  mid.Take();
  mid.Line("second");
  ASSERT_TRUE(mid.WaitFor("OK\r\n"));
  mid.Line("third");
  EXPECT_EQ(mid.Collect(700), "OK\r\n");
  EXPECT_FALSE(mid.closed());

  Telnet stay(ports[7]);
  ASSERT_TRUE(Login(stay));
  stay.Take();
  stay.Line("q");
  EXPECT_EQ(stay.Collect(700), "");
  EXPECT_FALSE(stay.closed());

  Telnet reset(ports[8]);
  ASSERT_TRUE(Login(reset));
  reset.Take();
  reset.Line("cpureset");
  EXPECT_TRUE(reset.WaitClosed());
  EXPECT_EQ(reset.Take(), "CPU reset.\r\n");

  Telnet say(ports[9]);
  ASSERT_TRUE(Login(say));
  say.Take();
  say.Line("say hello. world");
  ASSERT_TRUE(say.WaitFor(">"));
  EXPECT_EQ(say.Take(), "hello. world\r\nZOL-009>");
}

// Consoles that never end a session by themselves, for the console's
// session bounds: a prompt for the closing commands too, a trickle, a flood
// without a line break, and a peer that reads nothing and floods option
// requests.
TEST(ZolSimTelnet, FaultsOfConsolesThatNeverEndASession) {
  UdpSink sink;
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--duration", "30", "--devices", "4", "--telnet-base", "0",
                  "--event", "0 1 fault prompt-on-close", "--event", "0 2 fault trickle 200",
                  "--event", "0 3 fault flood", "--event", "0 4 fault no-read"});
  int ports[5] = {0};
  for (int k = 1; k <= 4; ++k) ASSERT_GT(ports[k] = sim.TelnetPort(k), 0) << k;

  Telnet prompt(ports[1]);
  ASSERT_TRUE(Login(prompt));
  for (const char* closing : {"q", "cpureset", "q"}) {
    prompt.Take();
    prompt.Line(closing);
    ASSERT_TRUE(prompt.WaitFor("ZOL-001>")) << closing;
  }
  EXPECT_FALSE(prompt.closed());

  Telnet trickle(ports[2]);
  ASSERT_TRUE(Login(trickle));
  trickle.Take();
  trickle.Line("a");
  const std::string dots = trickle.Collect(1100);
  EXPECT_GE(dots.size(), 4u);
  EXPECT_LE(dots.size(), 6u);
  EXPECT_EQ(dots.find_first_not_of('.'), std::string::npos) << dots;
  trickle.Line("b");
  EXPECT_EQ(trickle.Collect(500).find('>'), std::string::npos);

  Telnet flood(ports[3]);
  ASSERT_TRUE(Login(flood));
  flood.Take();
  flood.Line("a");
  std::string text;
  while (text.size() < (4u << 20) && !flood.closed()) {
    flood.Collect(50);
    text += flood.Take();
  }
  ASSERT_GE(text.size(), 4u << 20);
  EXPECT_EQ(text.find_first_of("\r\n>.:="), std::string::npos);

  Telnet no_read(ports[4]);
  std::string requests;
  while (requests.size() < (1u << 20) && !no_read.closed()) {
    no_read.Collect(50);
    requests += no_read.Take();
  }
  ASSERT_GE(requests.size(), 1u << 20);
  for (size_t i = 0; i + 2 < requests.size(); i += 3) {
    ASSERT_EQ(static_cast<unsigned char>(requests[i]), 255u) << i;  // IAC
    ASSERT_EQ(static_cast<unsigned char>(requests[i + 1]), 253u) << i;  // DO
  }
}

TEST(ZolSimTelnet, IdentityRepliesTakeADevicesOwnNamesAndDescriptionAsBytes) {
  UdpSink sink;
  // The texts reach the program as Shift-JIS bytes and come back unchanged.
  ZolSim sim(ZolSimPath(), {"--port", sink.port_text(), "--duration", "30", "--telnet-base", "0", "--devices", "2",
                            "--event", "0 2 olnames ウェブ,DB", "--event", "0 2 descr 2F ラック  unit"});
  for (int dev : {1, 2}) {
    Telnet t(sim.TelnetPort(dev));
    ASSERT_TRUE(Login(t));
    t.Take();
    t.Line("?debOlName");
    ASSERT_TRUE(t.WaitFor(">"));
    const std::string names = t.Take();
    t.Line("?sysDescr");
    ASSERT_TRUE(t.WaitFor(">"));
    const std::string descr = t.Take();
    if (dev == 1) {
      EXPECT_NE(names.find("debOlName=\"Outlet1,Outlet2,"), std::string::npos);
      EXPECT_NE(descr.find("sysDescr=\"ZOL RPC-8"), std::string::npos);
    } else {
      EXPECT_NE(names.find("debOlName=\"ウェブ,DB\""), std::string::npos) << names;
      EXPECT_NE(descr.find("sysDescr=\"2F ラック unit\""), std::string::npos) << descr;
    }
    t.Line("q");
    EXPECT_TRUE(t.WaitClosed());
  }
}

}  // namespace
}  // namespace zol::sim
