// zolsim: plays one or many devices of the family on 127.0.0.1. It sends their
// status datagrams to the console's UDP port and serves their telnet
// consoles, with states that a scenario changes over time. Every run ends by
// itself after its duration or datagram count.
#include <arpa/inet.h>
#include <fcntl.h>
#include <getopt.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "zolsim/console.h"
#include "zolsim/datagram.h"
#include "zolsim/model.h"

namespace {

using zol::sim::Console;
using zol::sim::Device;
using zol::sim::Event;

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

struct Options {
  std::string host = "127.0.0.1";
  int port = 5000;
  int devices = 1;
  std::uint32_t mac_suffix = 1;
  double rate = 1;
  double duration = 60;
  bool duration_given = false;
  long count = 0;
  int telnet_base = -1;
  std::string telnet_log;
  bool blast = false;
  bool verbose = false;
  std::vector<Event> events;  // in the order given; sorted by time (stable) before the run
};

const char kHelp[] =
    "Usage: zolsim [OPTIONS]\n"
    "Plays devices of the ZOL family on 127.0.0.1: status datagrams to the console's UDP port and\n"
    "a telnet console per device. Every run ends by itself (--duration, --count).\n"
    "\n"
    "Destination and run length:\n"
    "  --host ADDR          destination of the datagrams; loopback only (127.x.x.x or localhost).\n"
    "                       Default 127.0.0.1. Any other address is refused.\n"
    "  --port N             destination UDP port (default 5000, the console's port).\n"
    "  --duration SECONDS   stop after this time (default 60, at most 86400; blast default 10).\n"
    "  --count N            stop after every device has sent N datagrams (default: no count).\n"
    "\n"
    "Devices:\n"
    "  --devices N          number of devices, 1 to 999 (default 1; blast default 100).\n"
    "  --outlets 2|4|8      outlets of every device (default 8).\n"
    "  --mac-suffix HEX     last three MAC bytes of device 1 (default 000001); device k gets\n"
    "                       suffix + k - 1, after the family prefix 02:5A:3C.\n"
    "  --rate R             datagrams per second per device, 0.01 to 10000 (default 1; blast 10).\n"
    "  --targets M          PING targets per outlet, 1 to 8 (default 4).\n"
    "  --width 4|8          bytes per PING target entry (default 4).\n"
    "  --old-ping           send the older PING record 0300 instead of 0801.\n"
    "  --no-temp            send no temperature record 0802.\n"
    "  --legacy             send the older 182-byte datagram (4 outlets, terminal ID = last two\n"
    "                       MAC bytes).\n"
    "\n"
    "Scenario (see the verbs below):\n"
    "  --scenario FILE      timed changes, one \"SECONDS DEVICE VERB ARGS\" line each.\n"
    "  --event LINE         one timed change, same syntax; may be repeated.\n"
    "\n"
    "Telnet console:\n"
    "  --telnet-base PORT   serve a telnet console per device on 127.0.0.1, device k on\n"
    "                       PORT + k - 1. 0 takes free ports. Each port is printed as\n"
    "                       \"zolsim: device K telnet 127.0.0.1:PORT\". Default: no console.\n"
    "  --password TEXT      console password (default kelpo).\n"
    "  --user NAME          ask a user name before the password (the console sends the text\n"
    "                       after '@' of its password first).\n"
    "  --script-type 0|1    0 (\"@zol\", default): password prompt, q/cpureset close the session;\n"
    "                       1 (\"@qm\"): no password prompt, \"bye.\" is answered with \"bye.\".\n"
    "  --descr-notfound     answer ?sysDescr with \"sysDescr not found.\" (the console then\n"
    "                       asks ?model).\n"
    "  --reboot-delay S     seconds an outlet stays OFF after POR (default 5).\n"
    "  --echo               offer WILL ECHO and WILL SGA; when the client accepts, echo every\n"
    "                       line except the password.\n"
    "  --password-tries N   close after the Nth wrong password (default 3; 0 never closes).\n"
    "  --closing-reply TEXT send TEXT before closing on \"q\" or \"cpureset\" (e.g. \"CPU reset.\").\n"
    "  --fault NAME[=N]     misbehave (may be repeated):\n"
    "                         no-banner          nothing after the negotiation\n"
    "                         banner-only        the banner, then never a prompt\n"
    "                         silent-after-login the password is taken, then nothing\n"
    "                         close-mid-script[=N]  close on the Nth line after login (1)\n"
    "                         silent-mid-script[=N] the Nth line after login gets \"OK\"\n"
    "                                            without a prompt, then nothing (1)\n"
    "                         busy               \"Too many sessions\", then close\n"
    "                         busy-open          \"Too many sessions\", the connection stays\n"
    "                         no-accept          the listener (backlog 0, its queue filled by\n"
    "                                            its own connection) never accepts\n"
    "                         slow=MS            all output MS ms late\n"
    "                         split-replies[=MS] a reply's closing quote MS ms after the\n"
    "                                            rest (300)\n"
    "                         ignore-close       q, cpureset and bye. are taken silently\n"
    "                         prompt-on-close    q, cpureset and bye. get the prompt, the\n"
    "                                            session stays\n"
    "                         trickle[=MS]       from the first line after login, one \".\" every\n"
    "                                            MS ms (900), never a prompt\n"
    "                         flood              from the first line after login, text without\n"
    "                                            a line break or prompt, as fast as it is taken\n"
    "                         no-read            reads nothing and sends option requests\n"
    "                                            without end from the connection on\n"
    "                         garbage, long-lines  noise before the banner and every prompt\n"
    "  --telnet-log FILE    append every received console line as \"DEVICE TEXT\" (events in\n"
    "                       brackets: [connect], [do echo], [will ttype], [ttype dumb],\n"
    "                       [login], [busy], [close]).\n"
    "\n"
    "Other:\n"
    "  --blast              load test: N devices x R datagrams/s for a bounded time, no telnet,\n"
    "                       then a report of what was sent.\n"
    "  -v, --verbose        print every datagram and every received console line.\n"
    "  -h, --help           this text.\n"
    "\n"
    "Options about devices apply to all of them; for one device use an event at time 0, e.g.\n"
    "--event \"0 3 outlets 4\".\n"
    "\n";

const char kExamples[] =
    "\n"
    "Examples:\n"
    "  zolsim --devices 4 --duration 60\n"
    "      four 8-outlet devices, one datagram a second each, to 127.0.0.1:5000 for a minute.\n"
    "  zolsim --devices 8 --telnet-base 2300 --event \"5 1 ping 3 abnormal\" \\\n"
    "         --event \"20 1 ping 3 normal\" --event \"0 * ramp 20 50 60\" --event \"30 7 silent\"\n"
    "      outlet 3 of device 1 goes PING abnormal at 5 s and recovers at 20 s, every\n"
    "      temperature ramps from 20 to 50 degrees in a minute, device 7 falls silent at 30 s;\n"
    "      telnet consoles on 127.0.0.1:2300 to 2307.\n"
    "  zolsim --blast --devices 500 --rate 20 --duration 10\n"
    "      10000 datagrams a second for 10 seconds, then a report.\n"
    "  zolsim --port 5000 --count 3 --event \"0 2 legacy on\" --devices 2\n"
    "      three datagrams from each of two devices, the second one a legacy device.\n";

bool Fail(const std::string& msg) {
  std::fprintf(stderr, "zolsim: %s\n", msg.c_str());
  return false;
}

bool ParseNumber(const char* s, double lo, double hi, double* v) {
  char* end = nullptr;
  errno = 0;
  double r = std::strtod(s, &end);
  if (errno != 0 || end == s || *end != '\0' || !std::isfinite(r) || r < lo || r > hi) return false;
  *v = r;
  return true;
}

bool ParseInt(const char* s, long lo, long hi, long* v) {
  char* end = nullptr;
  errno = 0;
  long r = std::strtol(s, &end, 10);
  if (errno != 0 || end == s || *end != '\0' || r < lo || r > hi) return false;
  *v = r;
  return true;
}

bool AddEvent(Options* o, const std::string& line, const std::string& source) {
  Event ev;
  bool has = false;
  std::string err;
  if (!zol::sim::ParseEvent(line, source, &ev, &has, &err)) return Fail(err);
  if (has) o->events.push_back(ev);
  return true;
}

// A device option given for every device is an event "0 * VERB ARGS".
bool AddGlobal(Options* o, const std::string& text, const std::string& option) {
  return AddEvent(o, "0 * " + text, option);
}

bool LoopbackOnly(const std::string& host, in_addr* addr) {
  std::string h = host == "localhost" ? "127.0.0.1" : host;
  if (inet_pton(AF_INET, h.c_str(), addr) != 1) return Fail("--host: '" + host + "' is not an IPv4 address");
  if ((ntohl(addr->s_addr) >> 24) != 127)
    return Fail("--host: refusing " + host + ": only loopback (127.x.x.x) destinations are allowed");
  return true;
}

int ParseArgs(int argc, char** argv, Options* o) {
  enum {
    kHost = 1000, kPort, kDuration, kCount, kDevices, kOutlets, kMacSuffix, kRate, kTargets, kWidth,
    kOldPing, kNoTemp, kLegacy, kScenario, kEvent, kTelnetBase, kPassword, kUser, kScriptType,
    kDescrNotFound, kRebootDelay, kFault, kTelnetLog, kBlast, kEcho, kPasswordTries, kClosingReply
  };
  static const option kLong[] = {
      {"host", required_argument, nullptr, kHost},
      {"port", required_argument, nullptr, kPort},
      {"duration", required_argument, nullptr, kDuration},
      {"count", required_argument, nullptr, kCount},
      {"devices", required_argument, nullptr, kDevices},
      {"outlets", required_argument, nullptr, kOutlets},
      {"mac-suffix", required_argument, nullptr, kMacSuffix},
      {"rate", required_argument, nullptr, kRate},
      {"targets", required_argument, nullptr, kTargets},
      {"width", required_argument, nullptr, kWidth},
      {"old-ping", no_argument, nullptr, kOldPing},
      {"no-temp", no_argument, nullptr, kNoTemp},
      {"legacy", no_argument, nullptr, kLegacy},
      {"scenario", required_argument, nullptr, kScenario},
      {"event", required_argument, nullptr, kEvent},
      {"telnet-base", required_argument, nullptr, kTelnetBase},
      {"password", required_argument, nullptr, kPassword},
      {"user", required_argument, nullptr, kUser},
      {"script-type", required_argument, nullptr, kScriptType},
      {"descr-notfound", no_argument, nullptr, kDescrNotFound},
      {"reboot-delay", required_argument, nullptr, kRebootDelay},
      {"fault", required_argument, nullptr, kFault},
      {"echo", no_argument, nullptr, kEcho},
      {"password-tries", required_argument, nullptr, kPasswordTries},
      {"closing-reply", required_argument, nullptr, kClosingReply},
      {"telnet-log", required_argument, nullptr, kTelnetLog},
      {"blast", no_argument, nullptr, kBlast},
      {"verbose", no_argument, nullptr, 'v'},
      {"help", no_argument, nullptr, 'h'},
      {nullptr, 0, nullptr, 0}};
  bool devices_given = false, rate_given = false;
  long l = 0;
  double d = 0;
  opterr = 0;
  int c;
  while ((c = getopt_long(argc, argv, ":vh", kLong, nullptr)) != -1) {
    const std::string arg = optarg ? optarg : "";
    switch (c) {
      case 'h':
        std::fputs(kHelp, stdout);
        std::fputs(zol::sim::VerbHelp(), stdout);
        std::fputs(kExamples, stdout);
        return 0;
      case 'v': o->verbose = true; break;
      case kHost: o->host = arg; break;
      case kPort:
        if (!ParseInt(optarg, 1, 65535, &l)) return Fail("--port: 1 to 65535"), 2;
        o->port = static_cast<int>(l);
        break;
      case kDuration:
        if (!ParseNumber(optarg, 0.001, 86400, &d)) return Fail("--duration: seconds, above 0 and at most 86400"), 2;
        o->duration = d;
        o->duration_given = true;
        break;
      case kCount:
        if (!ParseInt(optarg, 1, 100000000, &l)) return Fail("--count: 1 to 100000000"), 2;
        o->count = l;
        break;
      case kDevices:
        if (!ParseInt(optarg, 1, 999, &l)) return Fail("--devices: 1 to 999"), 2;
        o->devices = static_cast<int>(l);
        devices_given = true;
        break;
      case kMacSuffix: {
        char* end = nullptr;
        unsigned long v = std::strtoul(optarg, &end, 16);
        if (arg.empty() || *end != '\0' || v > 0xFFFFFF) return Fail("--mac-suffix: up to six hex digits"), 2;
        o->mac_suffix = static_cast<std::uint32_t>(v);
        break;
      }
      case kRate:
        if (!ParseNumber(optarg, 0.01, 10000, &d)) return Fail("--rate: 0.01 to 10000 per second"), 2;
        o->rate = d;
        rate_given = true;
        break;
      case kOutlets: if (!AddGlobal(o, "outlets " + arg, "--outlets")) return 2; break;
      case kTargets: if (!AddGlobal(o, "targets " + arg, "--targets")) return 2; break;
      case kWidth: if (!AddGlobal(o, "width " + arg, "--width")) return 2; break;
      case kOldPing: AddGlobal(o, "oldping on", "--old-ping"); break;
      case kNoTemp: AddGlobal(o, "notemp on", "--no-temp"); break;
      case kLegacy: AddGlobal(o, "legacy on", "--legacy"); break;
      case kPassword:
        if (arg.empty() || arg.find_first_of(" \t") != std::string::npos) return Fail("--password: one word"), 2;
        AddGlobal(o, "password " + arg, "--password");
        break;
      case kUser:
        if (arg.empty() || arg.find_first_of(" \t") != std::string::npos) return Fail("--user: one word"), 2;
        AddGlobal(o, "user " + arg, "--user");
        break;
      case kScriptType: if (!AddGlobal(o, "type " + arg, "--script-type")) return 2; break;
      case kDescrNotFound: AddGlobal(o, "descr-notfound on", "--descr-notfound"); break;
      case kEcho: AddGlobal(o, "echo on", "--echo"); break;
      case kPasswordTries: if (!AddGlobal(o, "password-tries " + arg, "--password-tries")) return 2; break;
      case kClosingReply:
        if (arg.empty() || arg.find_first_of("\r\n") != std::string::npos) return Fail("--closing-reply: one line of text"), 2;
        if (!AddGlobal(o, "closing-reply " + arg, "--closing-reply")) return 2;
        break;
      case kRebootDelay: if (!AddGlobal(o, "reboot-delay " + arg, "--reboot-delay")) return 2; break;
      case kFault: {
        std::string f = arg;
        std::size_t eq = f.find('=');
        if (eq != std::string::npos) f = f.substr(0, eq) + " " + f.substr(eq + 1);
        if (!AddGlobal(o, "fault " + f, "--fault")) return 2;
        break;
      }
      case kScenario: {
        std::ifstream in(arg);
        if (!in) return Fail("--scenario: cannot read " + arg), 2;
        std::string line;
        for (int n = 1; std::getline(in, line); ++n) {
          if (!line.empty() && line.back() == '\r') line.pop_back();
          if (!AddEvent(o, line, arg + ":" + std::to_string(n))) return 2;
        }
        break;
      }
      case kEvent: if (!AddEvent(o, arg, "--event")) return 2; break;
      case kTelnetBase:
        if (!ParseInt(optarg, 0, 65535, &l)) return Fail("--telnet-base: 0 to 65535"), 2;
        o->telnet_base = static_cast<int>(l);
        break;
      case kTelnetLog: o->telnet_log = arg; break;
      case kBlast: o->blast = true; break;
      case ':': return Fail(std::string("option ") + argv[optind - 1] + " needs a value (see --help)"), 2;
      default: return Fail(std::string("unknown option ") + argv[optind - 1] + " (see --help)"), 2;
    }
  }
  if (optind < argc) return Fail(std::string("unexpected argument ") + argv[optind] + " (see --help)"), 2;
  if (o->blast) {
    if (!devices_given) o->devices = 100;
    if (!rate_given) o->rate = 10;
    if (!o->duration_given) o->duration = 10;
    if (o->telnet_base >= 0) return Fail("--blast serves no telnet console"), 2;
  }
  if (o->telnet_base > 0 && o->telnet_base + o->devices - 1 > 65535)
    return Fail("--telnet-base: the ports of all devices must stay below 65536"), 2;
  for (const Event& e : o->events)
    if (e.device > o->devices)
      return Fail(e.source + ": device " + std::to_string(e.device) + " does not exist (--devices " +
                  std::to_string(o->devices) + ")"), 2;
  return -1;  // go on
}

double NowMs(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::string MacText(const zol::sim::Mac& m) {
  char b[24];
  std::snprintf(b, sizeof b, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
  return b;
}

int Run(const Options& o) {
  in_addr dest_addr{};
  if (!LoopbackOnly(o.host, &dest_addr)) return 2;
  sockaddr_in dest{};
  dest.sin_family = AF_INET;
  dest.sin_port = htons(static_cast<std::uint16_t>(o.port));
  dest.sin_addr = dest_addr;

  int udp = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (udp < 0) return Fail(std::string("socket: ") + std::strerror(errno)), 1;
  int sndbuf = 1 << 20;
  ::setsockopt(udp, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);

  std::vector<Device> devices;
  devices.reserve(static_cast<std::size_t>(o.devices));
  for (int k = 1; k <= o.devices; ++k) {
    Device d = zol::sim::MakeDevice(k, o.mac_suffix);
    d.rate = o.rate;
    // Spread the devices over one period so that they do not all send at once.
    d.next_send_ms = (1000.0 / o.rate) * (k - 1) / o.devices;
    devices.push_back(d);
  }

  std::vector<Event> events = o.events;
  std::stable_sort(events.begin(), events.end(),
                   [](const Event& a, const Event& b) { return a.at_ms < b.at_ms; });
  std::size_t next_event = 0;

  FILE* log = nullptr;
  if (!o.telnet_log.empty()) {
    log = std::fopen(o.telnet_log.c_str(), "a");
    if (!log) return Fail("--telnet-log: cannot open " + o.telnet_log), ::close(udp), 2;
  }
  const bool verbose = o.verbose;
  auto record = [log, verbose](int device, const std::string& text) {
    if (log) {
      std::fprintf(log, "%d %s\n", device, text.c_str());
      std::fflush(log);
    }
    if (verbose) std::printf("zolsim: device %d telnet received: %s\n", device, text.c_str());
  };

  auto apply_due_events = [&](double now) {
    while (next_event < events.size() && events[next_event].at_ms <= now) {
      const Event& e = events[next_event++];
      for (Device& d : devices) {
        if (e.device != 0 && e.device != d.index) continue;
        std::string err;
        if (!zol::sim::ApplyVerb(d, e.verb, e.args, now, &err))
          std::fprintf(stderr, "zolsim: %s: %s\n", e.source.c_str(), err.c_str());
      }
      if (verbose) {
        std::string text = e.verb;
        for (const std::string& a : e.args) text += " " + a;
        std::printf("zolsim: %.1f s: %s %s\n", now / 1000, e.device ? ("device " + std::to_string(e.device)).c_str() : "every device",
                    text.c_str());
      }
    }
  };
  // Settings at time 0 (outlet counts, telnet types) hold before anything is sent or served.
  apply_due_events(0);

  std::vector<std::unique_ptr<Console>> consoles;
  if (o.telnet_base >= 0) {
    for (Device& d : devices) {
      auto c = std::make_unique<Console>(&d, record);
      std::string err;
      int port = o.telnet_base == 0 ? 0 : o.telnet_base + d.index - 1;
      if (!c->Listen(port, &err)) {
        Fail(err);
        consoles.clear();
        ::close(udp);
        if (log) std::fclose(log);
        return 1;
      }
      std::printf("zolsim: device %d telnet 127.0.0.1:%d\n", d.index, c->port());
      consoles.push_back(std::move(c));
    }
  }
  std::printf("zolsim: %d device(s) %s.. -> %s:%d, %g datagram(s)/s each, for %g s%s\n", o.devices,
              MacText(devices.front().mac).c_str(), o.host.c_str(), o.port, o.rate, o.duration,
              o.count ? (", at most " + std::to_string(o.count) + " each").c_str() : "");
  std::fflush(stdout);

  const auto start = std::chrono::steady_clock::now();
  const double end_ms = o.duration * 1000;
  std::uint64_t total = 0, bytes = 0, errors = 0, late = 0;
  double now = 0;
  std::vector<pollfd> fds;
  for (;;) {
    now = NowMs(start);
    if (g_stop || now >= end_ms) break;
    apply_due_events(now);

    bool all_done = o.count > 0;
    double wake = end_ms;
    if (next_event < events.size()) wake = std::min(wake, events[next_event].at_ms);
    bool out_of_time = false;
    for (Device& d : devices) {
      if (out_of_time || (out_of_time = NowMs(start) >= end_ms)) break;  // a run never outlasts its duration
      zol::sim::Tick(d, now);
      for (const zol::sim::OutletState& s : d.outlet)
        if (s.reboot_until_ms >= 0) wake = std::min(wake, s.reboot_until_ms);
      auto done = [&] { return o.count > 0 && d.sent >= static_cast<std::uint64_t>(o.count); };
      if (d.silent || done()) {
        if (!done()) all_done = false;
        continue;
      }
      const double period = 1000.0 / d.rate;
      if (d.next_send_ms < now - 1000) {  // more than a second behind: skip, do not burst
        late += static_cast<std::uint64_t>((now - d.next_send_ms) / period);
        d.next_send_ms = now;
      }
      while (d.next_send_ms <= now && !done()) {
        zol::sim::Bytes dg = zol::sim::BuildDatagram(d, now);
        ssize_t w = ::sendto(udp, dg.data(), dg.size(), 0, reinterpret_cast<sockaddr*>(&dest), sizeof dest);
        if (w == static_cast<ssize_t>(dg.size())) {
          ++d.sent;
          ++total;
          bytes += dg.size();
          if (verbose && !o.blast)
            std::printf("zolsim: device %d sent %zu bytes, sequence %u\n", d.index, dg.size(), d.sequence);
        } else {
          ++errors;
          ++d.sent;  // counted against --count all the same, so a run with a count always ends
        }
        d.next_send_ms += period;
      }
      if (!done()) all_done = false;
      wake = std::min(wake, d.next_send_ms);
    }
    if (all_done || out_of_time) break;

    fds.clear();
    for (auto& c : consoles) {
      fds.push_back({c->accepting() ? c->listen_fd() : -1, POLLIN, 0});
      if (c->session_fd() >= 0)
        fds.push_back({c->session_fd(),
                       static_cast<short>((c->wants_read() ? POLLIN : 0) | (c->wants_write() ? POLLOUT : 0)), 0});
      double dl = c->NextDeadline();
      if (dl >= 0) wake = std::min(wake, dl);
    }
    double wait = std::ceil(wake - NowMs(start));
    int timeout = wait <= 0 ? 0 : static_cast<int>(std::min(wait, 1000.0));
    std::fflush(stdout);
    int r = ::poll(fds.data(), fds.size(), timeout);
    if (r < 0 && errno != EINTR) {
      Fail(std::string("poll: ") + std::strerror(errno));
      break;
    }
    now = NowMs(start);
    std::size_t i = 0;
    for (auto& c : consoles) {
      const pollfd& lp = fds[i++];
      pollfd sp{-1, 0, 0};
      if (c->session_fd() >= 0 && i < fds.size() && fds[i].fd == c->session_fd()) sp = fds[i++];
      if (r > 0 && sp.fd >= 0) {
        // A session that is not read learns of the client's close by its writes.
        if ((sp.revents & POLLOUT) || (!c->wants_read() && (sp.revents & (POLLERR | POLLHUP)))) c->OnWritable();
        if (c->session_fd() == sp.fd && c->wants_read() && (sp.revents & (POLLIN | POLLHUP | POLLERR)))
          c->OnReadable(now);
      }
      if (r > 0 && (lp.revents & POLLIN)) c->OnAccept(now);
      c->OnTick(now);
    }
  }
  const double elapsed = NowMs(start) / 1000;
  consoles.clear();
  ::close(udp);
  if (log) std::fclose(log);

  std::printf("zolsim: sent %llu datagram(s), %llu bytes, in %.2f s (%.1f/s); %llu send error(s)\n",
              static_cast<unsigned long long>(total), static_cast<unsigned long long>(bytes), elapsed,
              elapsed > 0 ? total / elapsed : 0.0, static_cast<unsigned long long>(errors));
  if (o.blast) {
    std::uint64_t lo = devices.front().sent, hi = lo;
    for (const Device& d : devices) {
      lo = std::min(lo, d.sent);
      hi = std::max(hi, d.sent);
    }
    std::printf("zolsim: blast: %d device(s) x %g/s asked = %.0f/s; per device %llu to %llu; %llu skipped (late)\n",
                o.devices, o.rate, o.devices * o.rate, static_cast<unsigned long long>(lo),
                static_cast<unsigned long long>(hi), static_cast<unsigned long long>(late));
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  int r = ParseArgs(argc, argv, &o);
  if (r >= 0) return r;
  struct sigaction sa{};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
  return Run(o);
}
