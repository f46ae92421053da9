#include "zolsim/model.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace zol::sim {

Device MakeDevice(int index, std::uint32_t mac_suffix) {
  Device d;
  d.index = index;
  std::uint32_t s = (mac_suffix + static_cast<std::uint32_t>(index - 1)) & 0xFFFFFF;
  d.mac = {kMacPrefix[0], kMacPrefix[1], kMacPrefix[2], static_cast<std::uint8_t>(s >> 16),
           static_cast<std::uint8_t>((s >> 8) & 0xFF), static_cast<std::uint8_t>(s & 0xFF)};
  d.temp_action.fill(1);
  char name[16];
  std::snprintf(name, sizeof name, "ZOL-%03d", index);
  d.name = name;
  return d;
}

double CurrentTemp(const Device& d, double now_ms) {
  if (!d.ramping) return d.temp;
  if (d.ramp_ms <= 0 || now_ms >= d.ramp_start_ms + d.ramp_ms) return d.ramp_to;
  double f = (now_ms - d.ramp_start_ms) / d.ramp_ms;
  if (f < 0) f = 0;
  return d.ramp_from + (d.ramp_to - d.ramp_from) * f;
}

std::uint8_t CurrentStatus(const Device& d, double now_ms) {
  if (d.status >= 0) return static_cast<std::uint8_t>(d.status);
  if (!d.has_reading) return 0x99;  // not measured
  double t = CurrentTemp(d, now_ms);
  if (t >= d.upper_alarm) return 2;
  if (t >= d.upper_caution) return 1;
  if (t <= d.lower_alarm) return 4;
  if (t <= d.lower_caution) return 3;
  return 0;
}

void Tick(Device& d, double now_ms) {
  for (OutletState& o : d.outlet) {
    if (o.reboot_until_ms >= 0 && now_ms >= o.reboot_until_ms) {
      o.reboot_until_ms = -1;
      o.power = 1;
    }
  }
}

static std::int16_t Clamp16(double v) {
  long r = std::lround(v);
  if (r > 32767) r = 32767;
  if (r < -32768) r = -32768;
  return static_cast<std::int16_t>(r);
}

Bytes BuildDatagram(Device& d, double now_ms) {
  ++d.sequence;
  if (d.legacy) {
    std::array<OutletWords, 4> outlets{};
    std::array<LegacyPingBlock, 4> ping{};
    for (int i = 0; i < 4; ++i) {
      const OutletState& o = d.outlet[i];
      outlets[i] = OutletWords{1, o.power, 0};
      ping[i].f = {o.power, o.judgement, 10, 10, 3, o.watch, 1, 1, o.exec_count};
      for (int j = 0; j < 3; ++j) ping[i].no_response[j] = o.no_response[j];
    }
    std::uint16_t terminal = static_cast<std::uint16_t>((d.mac[4] << 8) | d.mac[5]);
    return LegacyDatagram(terminal, outlets, ping);
  }
  std::vector<Bytes> records;
  records.push_back(IdentRecord(d.mac));
  std::vector<OutletWords> words;
  for (int i = 0; i < d.outlets; ++i) words.push_back(OutletWords{1, d.outlet[i].power, 0});
  records.push_back(OutletRecord(words));
  if (d.old_ping) {
    std::vector<OldPingEntry> old;
    for (int i = 0; i < d.outlets; ++i) old.push_back({d.outlet[i].judgement, d.outlet[i].exec_count});
    records.push_back(OldPingRecord(old));
  } else {
    std::vector<PingBlock> blocks;
    for (int i = 0; i < d.outlets; ++i) {
      const OutletState& o = d.outlet[i];
      PingBlock b;
      b.f = {o.power, o.judgement, 10, 10, static_cast<std::uint16_t>(d.targets), o.watch, 1, 1, o.exec_count};
      for (int j = 0; j < d.targets; ++j) b.targets.push_back(TargetEntry{0, o.no_response[j], 0});
      blocks.push_back(b);
    }
    records.push_back(PingRecord(blocks, static_cast<std::size_t>(d.targets), static_cast<std::size_t>(d.entry_size)));
  }
  if (d.temp_record) {
    TempFields t;
    t.actions.assign(d.temp_action.begin(), d.temp_action.begin() + d.outlets);
    t.lower_alarm = d.lower_alarm;
    t.lower_caution = d.lower_caution;
    t.lower_hys = d.lower_hys;
    t.upper_alarm = d.upper_alarm;
    t.upper_caution = d.upper_caution;
    t.upper_hys = d.upper_hys;
    t.status = CurrentStatus(d, now_ms);
    t.action_status = d.action_status;
    t.cur_temp = d.has_reading ? Clamp16(CurrentTemp(d, now_ms)) : kNoReading;
    records.push_back(TempRecord(t));
  }
  records.push_back(Rec0811(static_cast<std::uint16_t>(d.outlets)));
  records.push_back(Rec0812());
  return StatusDatagram(Header(d.sequence), records);
}

// ---- scenario ----

static bool ParseDouble(const std::string& s, double* v) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  double r = std::strtod(s.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(r)) return false;
  *v = r;
  return true;
}

static bool ParseLong(const std::string& s, long lo, long hi, long* v, int base = 10) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long r = std::strtol(s.c_str(), &end, base);
  if (errno != 0 || *end != '\0' || r < lo || r > hi) return false;
  *v = r;
  return true;
}

static std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool ParseEvent(const std::string& line, const std::string& source, Event* ev, bool* has_event,
                std::string* err) {
  *has_event = false;
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) {
    if (w[0] == '#') break;
    words.push_back(w);
  }
  if (words.empty()) return true;
  if (words.size() < 3) {
    *err = source + ": expected SECONDS DEVICE VERB [ARGS...]";
    return false;
  }
  Event e;
  e.source = source;
  double secs = 0;
  if (!ParseDouble(words[0], &secs) || secs < 0 || secs > 86400) {
    *err = source + ": bad time '" + words[0] + "' (seconds, 0 to 86400)";
    return false;
  }
  e.at_ms = secs * 1000;
  if (words[1] == "*" || Lower(words[1]) == "all") {
    e.device = 0;
  } else {
    long dev = 0;
    if (!ParseLong(words[1], 1, 999, &dev)) {
      *err = source + ": bad device '" + words[1] + "' (1 to 999 or *)";
      return false;
    }
    e.device = static_cast<int>(dev);
  }
  e.verb = Lower(words[2]);
  e.args.assign(words.begin() + 3, words.end());
  std::string verr;
  if (!CheckVerb(e.verb, e.args, &verr)) {
    *err = source + ": " + verr;
    return false;
  }
  *ev = e;
  *has_event = true;
  return true;
}

bool CheckVerb(const std::string& verb, const std::vector<std::string>& args, std::string* err) {
  Device scratch = MakeDevice(1, 0);
  return ApplyVerb(scratch, verb, args, 0, err);
}

// Outlet selector: 1..8 or "all"; fills the 0-based indices.
static bool Outlets(const std::string& s, std::vector<int>* out) {
  out->clear();
  if (Lower(s) == "all" || s == "*") {
    for (int i = 0; i < kMaxOutlets; ++i) out->push_back(i);
    return true;
  }
  long n = 0;
  if (!ParseLong(s, 1, kMaxOutlets, &n)) return false;
  out->push_back(static_cast<int>(n - 1));
  return true;
}

static bool OnOff(const std::string& s, bool* v) {
  std::string l = Lower(s);
  if (l == "on" || l == "1" || l == "yes") return *v = true, true;
  if (l == "off" || l == "0" || l == "no") return *v = false, true;
  return false;
}

static bool Degrees(const std::string& s, std::int16_t* v) {
  double d = 0;
  if (!ParseDouble(s, &d) || d < -327 || d > 327) return false;
  *v = Clamp16(d * 100);
  return true;
}

bool ApplyVerb(Device& d, const std::string& verb, const std::vector<std::string>& args,
               double now_ms, std::string* err) {
  auto need = [&](std::size_t n) {
    if (args.size() == n) return true;
    *err = "'" + verb + "' takes " + std::to_string(n) + " argument(s)";
    return false;
  };
  auto bad = [&](const std::string& what) {
    *err = "'" + verb + "': bad " + what;
    return false;
  };
  std::vector<int> sel;
  long n = 0;
  bool flag = false;

  if (verb == "power" || verb == "reboot" || verb == "ping" || verb == "judge" || verb == "watch" ||
      verb == "exec" || verb == "tempaction") {
    std::size_t want = verb == "reboot" ? 1 : 2;
    if (!need(want)) return false;
    if (!Outlets(args[0], &sel)) return bad("outlet '" + args[0] + "' (1 to 8 or all)");
    for (int i : sel) {
      OutletState& o = d.outlet[i];
      if (verb == "power") {
        if (!OnOff(args[1], &flag)) return bad("state '" + args[1] + "' (on or off)");
        o.power = flag ? 1 : 0;
        o.reboot_until_ms = -1;
      } else if (verb == "reboot") {
        o.power = 0;
        o.reboot_until_ms = now_ms + d.reboot_ms;
      } else if (verb == "ping") {
        std::string s = Lower(args[1]);
        if (s == "normal") {
          o.judgement = 1;
          o.no_response.fill(0);
        } else if (s == "caution") {
          o.judgement = 1;
          o.no_response.fill(0);
          o.no_response[0] = 1;
        } else if (s == "abnormal") {
          o.judgement = 2;
          o.no_response.fill(10);
          ++o.exec_count;
        } else {
          return bad("state '" + args[1] + "' (normal, caution or abnormal)");
        }
      } else if (verb == "tempaction") {
        if (!ParseLong(args[1], 0, 255, &n, 16)) return bad("action code '" + args[1] + "' (hex byte)");
        d.temp_action[i] = static_cast<std::uint8_t>(n);
      } else {
        if (!ParseLong(args[1], 0, 0xFFFF, &n, 16)) return bad("word '" + args[1] + "' (hex, 0 to FFFF)");
        std::uint16_t w = static_cast<std::uint16_t>(n);
        if (verb == "judge") o.judgement = w;
        if (verb == "watch") o.watch = w;
        if (verb == "exec") o.exec_count = w;
      }
    }
    return true;
  }
  if (verb == "noresp") {
    if (!need(3)) return false;
    if (!Outlets(args[0], &sel)) return bad("outlet '" + args[0] + "' (1 to 8 or all)");
    int first = 0, last = kMaxTargets - 1;
    if (Lower(args[1]) != "all") {
      if (!ParseLong(args[1], 1, kMaxTargets, &n)) return bad("target '" + args[1] + "' (1 to 8 or all)");
      first = last = static_cast<int>(n - 1);
    }
    if (!ParseLong(args[2], 0, 0xFFFF, &n, 16)) return bad("count '" + args[2] + "' (hex, 0 to FFFF)");
    for (int i : sel)
      for (int j = first; j <= last; ++j) d.outlet[i].no_response[j] = static_cast<std::uint16_t>(n);
    return true;
  }
  if (verb == "temp") {
    if (!need(1)) return false;
    d.ramping = false;
    if (Lower(args[0]) == "none") {
      d.has_reading = false;
      return true;
    }
    std::int16_t t = 0;
    if (!Degrees(args[0], &t)) return bad("temperature '" + args[0] + "' (degrees or none)");
    d.has_reading = true;
    d.temp = t;
    return true;
  }
  if (verb == "ramp") {
    if (!need(3)) return false;
    std::int16_t from = 0, to = 0;
    double secs = 0;
    if (!Degrees(args[0], &from) || !Degrees(args[1], &to)) return bad("temperature (degrees)");
    if (!ParseDouble(args[2], &secs) || secs < 0 || secs > 86400) return bad("duration '" + args[2] + "' (seconds)");
    d.has_reading = true;
    d.ramping = true;
    d.ramp_from = from;
    d.ramp_to = to;
    d.ramp_start_ms = now_ms;
    d.ramp_ms = secs * 1000;
    d.temp = to;
    return true;
  }
  if (verb == "thresholds") {
    if (!need(4)) return false;
    std::int16_t v[4];
    for (int i = 0; i < 4; ++i)
      if (!Degrees(args[i], &v[i])) return bad("temperature '" + args[i] + "' (degrees)");
    d.lower_alarm = v[0];
    d.lower_caution = v[1];
    d.upper_caution = v[2];
    d.upper_alarm = v[3];
    return true;
  }
  if (verb == "hysteresis") {
    if (!need(2)) return false;
    if (!Degrees(args[0], &d.lower_hys) || !Degrees(args[1], &d.upper_hys)) return bad("temperature (degrees)");
    return true;
  }
  if (verb == "status" || verb == "actionstatus") {
    if (!need(1)) return false;
    if (verb == "status" && Lower(args[0]) == "auto") {
      d.status = -1;
      return true;
    }
    if (!ParseLong(args[0], 0, 255, &n, 16)) return bad("byte '" + args[0] + "' (hex, 00 to FF)");
    if (verb == "status") d.status = static_cast<int>(n);
    else d.action_status = static_cast<std::uint8_t>(n);
    return true;
  }
  if (verb == "silent" || verb == "resume") {
    if (!need(0)) return false;
    d.silent = verb == "silent";
    if (!d.silent) d.next_send_ms = now_ms;
    return true;
  }
  if (verb == "rate") {
    double r = 0;
    if (!need(1)) return false;
    if (!ParseDouble(args[0], &r) || r < 0.01 || r > 10000) return bad("rate '" + args[0] + "' (0.01 to 10000 per second)");
    d.rate = r;
    d.next_send_ms = std::min(d.next_send_ms, now_ms + 1000.0 / r);
    return true;
  }
  if (verb == "outlets") {
    if (!need(1)) return false;
    if (!ParseLong(args[0], 1, 8, &n) || (n != 2 && n != 4 && n != 8)) return bad("outlet count '" + args[0] + "' (2, 4 or 8)");
    d.outlets = static_cast<int>(n);
    return true;
  }
  if (verb == "targets") {
    if (!need(1)) return false;
    if (!ParseLong(args[0], 1, kMaxTargets, &n)) return bad("target count '" + args[0] + "' (1 to 8)");
    d.targets = static_cast<int>(n);
    return true;
  }
  if (verb == "width") {
    if (!need(1)) return false;
    if (!ParseLong(args[0], 4, 8, &n) || (n != 4 && n != 8)) return bad("entry width '" + args[0] + "' (4 or 8)");
    d.entry_size = static_cast<int>(n);
    return true;
  }
  if (verb == "oldping" || verb == "legacy" || verb == "notemp" || verb == "descr-notfound" || verb == "echo") {
    if (!need(1)) return false;
    if (!OnOff(args[0], &flag)) return bad("switch '" + args[0] + "' (on or off)");
    if (verb == "echo") d.echo = flag;
    if (verb == "oldping") d.old_ping = flag;
    if (verb == "legacy") d.legacy = flag;
    if (verb == "notemp") d.temp_record = !flag;
    if (verb == "descr-notfound") d.descr_not_found = flag;
    return true;
  }
  if (verb == "password" || verb == "user" || verb == "name") {
    if (!need(1)) return false;
    std::string v = args[0];
    if (verb == "user" && Lower(v) == "none") v.clear();
    if (verb == "password") d.password = v;
    if (verb == "user") d.user = v;
    if (verb == "name") d.name = v;
    return true;
  }
  if (verb == "olnames") {
    if (!need(1)) return false;
    d.outlet_names = args[0];
    return true;
  }
  if (verb == "descr") {
    // The rest of the line, its words joined by one blank.
    if (args.empty()) return need(1);
    d.descr.clear();
    for (const std::string& a : args) d.descr += (d.descr.empty() ? "" : " ") + a;
    return true;
  }
  if (verb == "type") {
    if (!need(1)) return false;
    std::string s = Lower(args[0]);
    if (s == "0" || s == "zol") d.script_type = 0;
    else if (s == "1" || s == "qm") d.script_type = 1;
    else return bad("script type '" + args[0] + "' (0/zol or 1/qm)");
    return true;
  }
  if (verb == "password-tries") {
    if (!need(1)) return false;
    if (!ParseLong(args[0], 0, 100000, &n)) return bad("count '" + args[0] + "' (0 for never)");
    d.password_tries = static_cast<int>(n);
    return true;
  }
  if (verb == "closing-reply") {
    if (args.empty()) {
      *err = "'closing-reply' takes a text";
      return false;
    }
    std::string text;
    for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
    d.closing_reply = text;
    return true;
  }
  if (verb == "reboot-delay") {
    double secs = 0;
    if (!need(1)) return false;
    if (!ParseDouble(args[0], &secs) || secs < 0 || secs > 3600) return bad("delay '" + args[0] + "' (seconds)");
    d.reboot_ms = secs * 1000;
    return true;
  }
  if (verb == "fault") {
    if (args.empty() || args.size() > 2) {
      *err = "'fault' takes a fault name and, for close-mid-script, an optional line count";
      return false;
    }
    std::string f = Lower(args[0]);
    const bool counted = f == "close-mid-script" || f == "slow" || f == "split-replies" || f == "silent-mid-script" ||
                         f == "trickle";
    if (args.size() == 2 && !counted) return bad("fault arguments");
    if (f == "none") d.faults = Faults{};
    else if (f == "no-banner") d.faults.no_banner = true;
    else if (f == "silent-after-login") d.faults.silent_after_login = true;
    else if (f == "garbage") d.faults.garbage = true;
    else if (f == "long-lines") d.faults.long_lines = true;
    else if (f == "busy") d.faults.busy = true;
    else if (f == "busy-open") d.faults.busy_open = true;
    else if (f == "banner-only") d.faults.banner_only = true;
    else if (f == "no-accept") d.faults.no_accept = true;
    else if (f == "ignore-close") d.faults.ignore_close = true;
    else if (f == "prompt-on-close") d.faults.prompt_on_close = true;
    else if (f == "flood") d.faults.flood = true;
    else if (f == "no-read") d.faults.no_read = true;
    else if (f == "trickle") {
      n = 900;
      if (args.size() == 2 && !ParseLong(args[1], 1, 600000, &n)) return bad("milliseconds '" + args[1] + "'");
      d.faults.trickle_ms = static_cast<int>(n);
    }
    else if (f == "close-mid-script" || f == "silent-mid-script") {
      n = 1;
      if (args.size() == 2 && !ParseLong(args[1], 1, 100000, &n)) return bad("line count '" + args[1] + "'");
      (f == "close-mid-script" ? d.faults.close_mid_script : d.faults.silent_mid_script) = static_cast<int>(n);
    } else if (f == "slow") {
      if (args.size() != 2 || !ParseLong(args[1], 1, 600000, &n)) return bad("'slow' takes milliseconds, 1 to 600000");
      d.faults.slow_ms = static_cast<int>(n);
    } else if (f == "split-replies") {
      n = 300;
      if (args.size() == 2 && !ParseLong(args[1], 1, 600000, &n)) return bad("milliseconds '" + args[1] + "'");
      d.faults.split_ms = static_cast<int>(n);
    } else {
      return bad("fault '" + args[0] + "'");
    }
    return true;
  }
  *err = "unknown verb '" + verb + "'";
  return false;
}

const char* VerbHelp() {
  return
      "Scenario lines (a --scenario file, one per line, or --event \"LINE\"):\n"
      "  SECONDS DEVICE VERB [ARGS...]     # DEVICE is 1..N or * for every device\n"
      "  '#' starts a comment. OUTLET is 1..8 or all; words and bytes are hex.\n"
      "  Datagram state:\n"
      "    power OUTLET on|off         outlet power word (record 0110 word B, PING word F1)\n"
      "    reboot OUTLET               power OFF, back ON after the reboot delay\n"
      "    ping OUTLET normal|caution|abnormal\n"
      "                                judgement 1 / 1 with one no-response / 2 with no-responses\n"
      "    judge OUTLET WORD           PING judgement word F2\n"
      "    watch OUTLET WORD           PING watch action word F6 (0 = watch off)\n"
      "    exec OUTLET WORD            PING execution count word F9\n"
      "    noresp OUTLET TARGET|all WORD  no-response count of a target entry\n"
      "    temp DEGREES|none           current temperature (none: 7FFF, status 99)\n"
      "    ramp FROM TO SECONDS        temperature ramp starting at the event's time\n"
      "    thresholds LA LC UC UA      lower alarm/caution, upper caution/alarm in degrees\n"
      "    hysteresis LOWER UPPER      hysteresis values in degrees\n"
      "    status BYTE|auto            temperature status byte (auto: from the thresholds)\n"
      "    actionstatus BYTE           temperature action status byte\n"
      "    tempaction OUTLET BYTE      temperature action code of an outlet (1..4)\n"
      "    silent | resume             stop / restart sending datagrams\n"
      "    rate PER_SECOND             datagrams per second of the device\n"
      "    outlets 2|4|8  targets M  width 4|8\n"
      "    oldping on|off  legacy on|off  notemp on|off\n"
      "  Telnet console:\n"
      "    password TEXT  user NAME|none  name TEXT  type zol|qm  descr-notfound on|off\n"
      "    olnames A,B,...             outlet names of ?debOlName (default Outlet1,...)\n"
      "    descr TEXT...               description of ?sysDescr (default the model's)\n"
      "    echo on|off  password-tries N  closing-reply TEXT  reboot-delay SECONDS\n"
      "    fault no-banner|silent-after-login|garbage|long-lines|busy|busy-open|banner-only|\n"
      "          no-accept|ignore-close|none\n"
      "    fault close-mid-script [N]   fault silent-mid-script [N]\n"
      "    fault slow MS                fault split-replies [MS]\n"
      "    fault prompt-on-close|flood|no-read   fault trickle [MS]\n";
}

}  // namespace zol::sim
