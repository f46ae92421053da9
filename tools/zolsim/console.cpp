#include "zolsim/console.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zol::sim {

namespace {

constexpr unsigned char kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250,
                        kSe = 240;
constexpr unsigned char kTtype = 24, kTtypeIs = 0, kTtypeSend = 1, kEcho = 1, kSga = 3;
constexpr double kNegotiateMs = 1000;
constexpr std::size_t kMaxLine = 65536;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::string OptionName(unsigned char option) {
  switch (option) {
    case kEcho: return "echo";
    case kSga: return "sga";
    case kTtype: return "ttype";
    default: return std::to_string(option);
  }
}

std::string CommandName(unsigned char command) {
  switch (command) {
    case kWill: return "will";
    case kWont: return "wont";
    case kDo: return "do";
    default: return "dont";
  }
}

std::string Garbage() {
  // Control and high bytes with no marker character in them, an escaped
  // data byte 255 (IAC IAC) and a telnet NOP (IAC NOP).
  std::string g;
  unsigned v = 12345;
  for (int i = 0; i < 64; ++i) {
    v = v * 1103515245u + 12345u;
    unsigned r = (v >> 16) % 158;
    unsigned char c = r < 31 ? static_cast<unsigned char>(r + 1) : static_cast<unsigned char>(0x80 + (r - 31));
    g.push_back(static_cast<char>(c));
  }
  g += "\xFF\xFF\xFF\xF1\r\n";
  return g;
}

// Option requests the client must answer (IAC DO of options it refuses),
// for the no-read fault.
const std::string& Requests() {
  static const std::string r = [] {
    std::string s;
    for (int i = 0; i < 4096; ++i) {
      s += static_cast<char>(kIac);
      s += static_cast<char>(kDo);
      s += static_cast<char>(100 + i % 100);
    }
    return s;
  }();
  return r;
}

// Text without a line break or a marker the console looks for, for the
// flood fault.
const std::string& FloodText() {
  static const std::string f(65536, 'x');
  return f;
}

std::string LongLine() {
  static const char kPattern[] = "abcdefghijklmnopqrstuvwxyz0123456789 ";
  std::string s;
  s.reserve(4002);
  while (s.size() < 4000) s.push_back(kPattern[s.size() % (sizeof kPattern - 1)]);
  return s + "\r\n";
}

}  // namespace

Console::Console(Device* device, Recorder record) : device_(device), record_(std::move(record)) {}

Console::~Console() { CloseAll(); }

bool Console::Listen(int port, std::string* err) {
  listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) {
    *err = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  int one = 1;
  ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int backlog = device_->faults.no_accept ? 0 : 4;
  if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_fd_, backlog) != 0) {
    *err = "telnet port " + std::to_string(port) + ": " + std::strerror(errno);
    ::close(listen_fd_);
    listen_fd_ = -1;
    return false;
  }
  socklen_t len = sizeof a;
  ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&a), &len);
  port_ = ntohs(a.sin_port);
  if (device_->faults.no_accept) {
    // A connection of its own fills the queue of 0, so a client's
    // connection stays pending.
    filler_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (filler_fd_ >= 0) (void)::connect(filler_fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  return true;
}

void Console::CloseAll() {
  CloseSession();
  if (listen_fd_ >= 0) ::close(listen_fd_);
  listen_fd_ = -1;
  if (filler_fd_ >= 0) ::close(filler_fd_);
  filler_fd_ = -1;
}

void Console::OnAccept(double now_ms) {
  now_ms_ = now_ms;
  if (!accepting()) return;
  int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) return;
  if (session_.fd >= 0) {
    static const char kBusy[] = "Too many sessions\r\n";
    ssize_t w = ::send(fd, kBusy, sizeof kBusy - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    (void)w;
    ::close(fd);
    record_(device_->index, "[busy]");
    return;
  }
  session_ = Session{};
  session_.fd = fd;
  session_.negotiate_until = now_ms + kNegotiateMs;
  record_(device_->index, "[connect]");
  if (device_->faults.no_read) {
    record_(device_->index, "[fault no-read]");
    session_.no_read = true;
    session_.phase = Phase::kSilent;
    OnWritable();
    return;
  }
  Send(std::string{static_cast<char>(kIac), static_cast<char>(kDo), static_cast<char>(kTtype)});
  if (device_->echo) {
    Send(std::string{static_cast<char>(kIac), static_cast<char>(kWill), static_cast<char>(kEcho),
                     static_cast<char>(kIac), static_cast<char>(kWill), static_cast<char>(kSga)});
  }
  OnWritable();
}

void Console::OnReadable(double now_ms) {
  now_ms_ = now_ms;
  unsigned char buf[4096];
  ssize_t n = ::recv(session_.fd, buf, sizeof buf, 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  if (n <= 0) {
    record_(device_->index, "[closed by client]");
    CloseSession();
    return;
  }
  if (session_.phase == Phase::kClosing) return;
  Feed(buf, static_cast<std::size_t>(n), now_ms);
  OnWritable();
}

void Console::OnWritable() {
  if (session_.fd < 0) return;
  // The flood and no-read faults refill what the client took, once a call.
  if (session_.out.empty() && session_.flooding) session_.out = FloodText();
  if (session_.out.empty() && session_.no_read) session_.out = Requests();
  while (!session_.out.empty()) {
    ssize_t w = ::send(session_.fd, session_.out.data(), session_.out.size(), MSG_NOSIGNAL);
    if (w < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
      record_(device_->index, "[closed by client]");
      CloseSession();
      return;
    }
    session_.out.erase(0, static_cast<std::size_t>(w));
  }
  if (session_.phase == Phase::kClosing && session_.later.empty()) CloseSession();
}

void Console::OnTick(double now_ms) {
  now_ms_ = now_ms;
  if (session_.fd >= 0 && session_.trickle_next >= 0 && now_ms >= session_.trickle_next) {
    session_.out += ".";
    session_.trickle_next += device_->faults.trickle_ms;
    OnWritable();
  }
  if (session_.fd >= 0 && !session_.later.empty()) {
    while (!session_.later.empty() && session_.later.front().first <= now_ms) {
      session_.out += session_.later.front().second;
      session_.later.pop_front();
    }
    OnWritable();
  }
  if (session_.fd >= 0 && session_.phase == Phase::kNegotiate && now_ms >= session_.negotiate_until) {
    Start(now_ms);
    OnWritable();
  }
}

double Console::NextDeadline() const {
  double next = -1;
  if (session_.fd >= 0 && session_.trickle_next >= 0) next = session_.trickle_next;
  if (session_.fd >= 0 && session_.phase == Phase::kNegotiate && (next < 0 || session_.negotiate_until < next))
    next = session_.negotiate_until;
  if (session_.fd >= 0 && !session_.later.empty() && (next < 0 || session_.later.front().first < next))
    next = session_.later.front().first;
  return next;
}

void Console::Feed(const unsigned char* data, std::size_t n, double now_ms) {
  for (std::size_t i = 0; i < n; ++i) {
    if (session_.fd < 0 || session_.phase == Phase::kClosing) return;
    unsigned char c = data[i];
    switch (session_.telnet_state) {
      case 1:  // after IAC
        if (c == kIac) {
          session_.telnet_state = 0;
          session_.line.push_back(static_cast<char>(c));  // escaped data byte 255
          continue;
        }
        if (c == kWill || c == kWont || c == kDo || c == kDont) {
          session_.command = c;
          session_.telnet_state = 2;
        } else if (c == kSb) {
          session_.sb.clear();
          session_.telnet_state = 3;
        } else {
          session_.telnet_state = 0;  // NOP, GA and the like
        }
        continue;
      case 2:
        session_.telnet_state = 0;
        OnTelnetCommand(session_.command, c);
        continue;
      case 3:
        if (c == kIac) session_.telnet_state = 4;
        else if (session_.sb.size() < 1024) session_.sb.push_back(static_cast<char>(c));
        continue;
      case 4:
        if (c == kSe) {
          session_.telnet_state = 0;
          OnSubnegotiation(session_.sb, now_ms);
        } else {
          if (c == kIac) session_.sb.push_back(static_cast<char>(c));
          session_.telnet_state = 3;
        }
        continue;
      default:
        break;
    }
    if (c == kIac) {
      session_.telnet_state = 1;
      continue;
    }
    if (c == '\r') {
      std::string line;
      line.swap(session_.line);
      session_.after_cr = true;
      OnLine(line, now_ms);
      continue;
    }
    if (session_.after_cr && (c == '\n' || c == '\0')) {
      session_.after_cr = false;
      continue;
    }
    session_.after_cr = false;
    if (c == '\n') {
      std::string line;
      line.swap(session_.line);
      OnLine(line, now_ms);
      continue;
    }
    session_.line.push_back(static_cast<char>(c));
    if (session_.line.size() >= kMaxLine) {
      std::string line;
      line.swap(session_.line);
      OnLine(line, now_ms);
    }
  }
}

void Console::OnTelnetCommand(unsigned char command, unsigned char option) {
  // The client's answers and requests, as they come.
  Record("[" + CommandName(command) + " " + OptionName(option) + "]");
  if (device_->echo && (option == kEcho || option == kSga) && (command == kDo || command == kDont)) {
    if (option == kEcho) session_.echo = command == kDo;
    return;  // answers to the server's own offer
  }
  auto reply = [&](unsigned char cmd) {
    Send(std::string{static_cast<char>(kIac), static_cast<char>(cmd), static_cast<char>(option)});
  };
  if (option == kTtype && command == kWill) {
    Send(std::string{static_cast<char>(kIac), static_cast<char>(kSb), static_cast<char>(kTtype),
                     static_cast<char>(kTtypeSend), static_cast<char>(kIac), static_cast<char>(kSe)});
    return;
  }
  if (option == kTtype && command == kWont) {
    record_(device_->index, "[ttype refused]");
    if (session_.phase == Phase::kNegotiate) session_.negotiate_until = 0;  // start at the next tick
    return;
  }
  if (command == kWill) reply(kDont);
  else if (command == kDo) reply(kWont);
}

void Console::OnSubnegotiation(const std::string& sb, double now_ms) {
  if (sb.size() >= 2 && static_cast<unsigned char>(sb[0]) == kTtype &&
      static_cast<unsigned char>(sb[1]) == kTtypeIs) {
    record_(device_->index, "[ttype " + sb.substr(2) + "]");
    if (session_.phase == Phase::kNegotiate) Start(now_ms);
  }
}

std::string Console::Model() const {
  return "RPC-" + std::to_string(device_->legacy ? 4 : device_->outlets);
}

void Console::Start(double now_ms) {
  (void)now_ms;
  const Device& d = *device_;
  if (d.faults.busy || d.faults.busy_open) {
    record_(d.index, "[busy]");
    Send("Too many sessions\r\n");
    if (d.faults.busy_open) session_.phase = Phase::kSilent;
    else CloseAfterFlush();
    return;
  }
  if (d.faults.no_banner) {
    session_.phase = d.script_type == 1 ? Phase::kLoggedIn : (d.user.empty() ? Phase::kPassword : Phase::kUser);
    return;
  }
  Noise();
  Send("\r\nZOL " + Model() + " remote power controller. " + d.name + "\r\n");
  if (d.faults.banner_only) {
    session_.phase = Phase::kSilent;
    return;
  }
  if (d.script_type == 1) {
    session_.phase = Phase::kLoggedIn;
    Prompt();
  } else {
    LoginPrompt();
  }
}

void Console::LoginPrompt() {
  Noise();
  if (device_->user.empty()) {
    session_.phase = Phase::kPassword;
    Send("Password: ");
  } else {
    session_.phase = Phase::kUser;
    Send("User name: ");
  }
}

void Console::Prompt() {
  Noise();
  Send(device_->name + ">");
}

void Console::Noise() {
  if (device_->faults.garbage) Send(Garbage());
  if (device_->faults.long_lines) Send(LongLine());
}

void Console::OnLine(const std::string& line, double now_ms) {
  record_(device_->index, line);
  // The echo of the line, except a password.
  if (session_.echo && session_.phase != Phase::kPassword && session_.phase != Phase::kClosing) Send(line + "\r\n");
  Dispatch(line, now_ms);
}

void Console::Dispatch(const std::string& line, double now_ms) {
  switch (session_.phase) {
    case Phase::kNegotiate:
      // A line before the negotiation ended: start now and take the line in
      // the phase that follows.
      Start(now_ms);
      if (session_.phase != Phase::kNegotiate) Dispatch(line, now_ms);
      return;
    case Phase::kUser:
      if (line.empty()) {
        LoginPrompt();
        return;
      }
      session_.user = line;
      session_.phase = Phase::kPassword;
      Send("Password: ");
      return;
    case Phase::kPassword: {
      const Device& d = *device_;
      if (line.empty() && !d.password.empty()) {
        Noise();
        Send("Password: ");
        return;
      }
      if (line == d.password && (d.user.empty() || session_.user == d.user)) {
        record_(d.index, "[login]");
        if (d.faults.silent_after_login) {
          session_.phase = Phase::kSilent;
          return;
        }
        session_.phase = Phase::kLoggedIn;
        Send("\r\n");
        Prompt();
        return;
      }
      ++session_.wrong;
      Send("\r\nIncorrect password\r\n");
      if (d.password_tries > 0 && session_.wrong >= d.password_tries) {
        CloseAfterFlush();
        return;
      }
      LoginPrompt();
      return;
    }
    case Phase::kLoggedIn:
      LoggedInLine(line, now_ms);
      return;
    case Phase::kSilent:
    case Phase::kClosing:
      return;
  }
}

void Console::LoggedInLine(const std::string& raw, double now_ms) {
  Device& d = *device_;
  ++session_.lines_after_login;
  if (d.faults.close_mid_script > 0 && session_.lines_after_login >= d.faults.close_mid_script) {
    record_(d.index, "[fault close]");
    CloseSession();
    return;
  }
  if (d.faults.silent_mid_script > 0 && session_.lines_after_login == d.faults.silent_mid_script) {
    record_(d.index, "[fault silent]");
    Send("OK\r\n");
    session_.phase = Phase::kSilent;
    return;
  }
  if (d.faults.trickle_ms > 0) {
    record_(d.index, "[fault trickle]");
    session_.phase = Phase::kSilent;
    session_.trickle_next = now_ms + d.faults.trickle_ms;
    return;
  }
  if (d.faults.flood) {
    record_(d.index, "[fault flood]");
    session_.phase = Phase::kSilent;
    session_.flooding = true;
    return;
  }
  const std::string line = Trim(raw);
  const std::string lower = Lower(line);
  if (lower == "q" || lower == "cpureset" || lower == "bye.") {
    if (d.faults.ignore_close) {
      record_(d.index, "[fault ignore close]");
      return;
    }
    if (d.faults.prompt_on_close) {
      record_(d.index, "[fault prompt on close]");
      Prompt();
      return;
    }
    if (lower == "bye." && d.script_type == 1) Send("bye.\r\n");
    if (lower != "bye." && !d.closing_reply.empty()) Send(d.closing_reply + "\r\n");
    CloseAfterFlush();
    return;
  }
  if (lower == "?debolname") {
    std::string names = d.outlet_names;
    if (names.empty()) {
      for (int i = 1; i <= d.outlets; ++i) names += (i > 1 ? "," : "") + std::string("Outlet") + std::to_string(i);
    }
    SendReply("debOlName=\"" + names + "\"\r\n");
  } else if (lower == "?sysdescr") {
    if (d.descr_not_found) Send("sysDescr not found.\r\n");
    else if (!d.descr.empty()) SendReply("sysDescr=\"" + d.descr + "\"\r\n");
    else SendReply("sysDescr=\"ZOL " + Model() + " remote power controller, " + std::to_string(d.outlets) + " outlets\"\r\n");
  } else if (lower == "?sysname") {
    SendReply("sysName=\"" + d.name + "\"\r\n");
  } else if (lower == "?model") {
    SendReply("model=\"" + Model() + "\"\r\n");
  } else if (lower.rfind("say ", 0) == 0) {
    Send(line.substr(4) + "\r\n");
  } else if (!line.empty() && line[0] == '?') {
    Send(line.substr(1) + " not found.\r\n");
  } else if (lower.rfind("pon", 0) == 0 || lower.rfind("pof", 0) == 0 || lower.rfind("por", 0) == 0) {
    std::string arg = Trim(line.substr(3));
    int outlet = 0;
    if (!arg.empty() && arg.size() <= 2 && arg.find_first_not_of("0123456789") == std::string::npos)
      outlet = std::stoi(arg);
    const int count = d.legacy ? 4 : d.outlets;
    if (outlet < 1 || outlet > count) {
      Send("Invalid outlet number.\r\n");
    } else {
      std::string err;
      std::string which = std::to_string(outlet);
      if (lower[2] == 'n') {
        ApplyVerb(d, "power", {which, "on"}, now_ms, &err);
        Send("Outlet " + which + " ON.\r\n");
      } else if (lower[2] == 'f') {
        ApplyVerb(d, "power", {which, "off"}, now_ms, &err);
        Send("Outlet " + which + " OFF.\r\n");
      } else {
        ApplyVerb(d, "reboot", {which}, now_ms, &err);
        Send("Outlet " + which + " REBOOT.\r\n");
      }
    }
  }
  // Every line, script lines and empty lines included, gets the prompt.
  Prompt();
}

void Console::Send(const std::string& text) {
  if (session_.fd < 0) return;
  if (device_->faults.slow_ms > 0 || !session_.later.empty()) {
    SendAfter(text, 0);
    return;
  }
  session_.out += text;  // written when the current input is handled, so a reply goes out in one write
}

void Console::SendAfter(const std::string& text, double delay_ms) {
  if (session_.fd < 0) return;
  double due = now_ms_ + device_->faults.slow_ms + delay_ms;
  if (!session_.later.empty()) due = std::max(due, session_.later.back().first);
  session_.later.emplace_back(due, text);
}

void Console::SendReply(const std::string& text) {
  const std::size_t quote = text.rfind('"');
  if (device_->faults.split_ms <= 0 || quote == std::string::npos) {
    Send(text);
    return;
  }
  Send(text.substr(0, quote));
  SendAfter(text.substr(quote), device_->faults.split_ms);
}

void Console::CloseAfterFlush() {
  session_.phase = Phase::kClosing;
  if (session_.out.empty() && session_.later.empty()) CloseSession();
}

void Console::CloseSession() {
  if (session_.fd < 0) return;
  ::close(session_.fd);
  session_.fd = -1;
  session_.out.clear();
  session_.later.clear();
  record_(device_->index, "[close]");
}

}  // namespace zol::sim
