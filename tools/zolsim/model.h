// State of the simulated devices and the scenario that changes it over time.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "zolsim/datagram.h"

namespace zol::sim {

constexpr int kMaxOutlets = 8;
constexpr int kMaxTargets = 8;

struct OutletState {
  std::uint16_t power = 1;      // OutletRecord word B and PING word F1: 1 ON, 0 OFF
  std::uint16_t judgement = 1;  // F2: 0 or 1 normal, 2 abnormal
  std::uint16_t watch = 1;      // F6: PING watch action, 0 = watch off
  std::uint16_t exec_count = 0; // F9
  std::array<std::uint16_t, kMaxTargets> no_response{};
  double reboot_until_ms = -1;  // REBOOT in progress: power comes back at this time
};

// Misbehaviour of a device's telnet console, for fault tests.
struct Faults {
  bool no_banner = false;           // nothing is sent after the negotiation
  bool silent_after_login = false;  // the right password is taken, then nothing is answered
  int close_mid_script = 0;         // > 0: the connection is closed on the Nth line after login
  bool garbage = false;             // binary garbage before the banner and before every prompt
  bool long_lines = false;          // a line of 4000 characters before the banner and every prompt
  bool busy = false;                // every connection is answered as a busy device
  bool busy_open = false;           // "Too many sessions", and the connection stays open
  bool banner_only = false;         // the banner, then never a prompt
  bool no_accept = false;           // the listener never accepts (from the start of the run only)
  bool ignore_close = false;        // closing commands are taken silently
  int slow_ms = 0;                  // > 0: all output this many ms late
  int split_ms = 0;                 // > 0: a reply's closing quote this many ms after the rest
  int silent_mid_script = 0;        // > 0: the Nth line after login gets "OK" without a prompt, then nothing
  bool prompt_on_close = false;     // closing commands are answered with the prompt, the session stays
  int trickle_ms = 0;               // > 0: from the first line after login, one "." every this many ms, no prompt
  bool flood = false;               // from the first line after login, text without a line break as fast as taken
  bool no_read = false;             // reads nothing and sends option requests without end from the connection on
};

struct Device {
  int index = 1;  // 1-based
  Mac mac{};
  int outlets = 8;
  int targets = 4;
  int entry_size = 4;  // 4 or 8 bytes per PING target entry
  bool old_ping = false;
  bool legacy = false;
  bool temp_record = true;
  std::array<OutletState, kMaxOutlets> outlet{};

  // Temperature, in hundredths of a degree.
  bool has_reading = true;
  double temp = 2000;
  bool ramping = false;
  double ramp_from = 0, ramp_to = 0, ramp_start_ms = 0, ramp_ms = 0;
  std::int16_t lower_alarm = -500, lower_caution = 0, lower_hys = 200;
  std::int16_t upper_alarm = 4500, upper_caution = 3500, upper_hys = 200;
  int status = -1;  // -1: derived from the temperature and the thresholds
  std::uint8_t action_status = 0;
  std::array<std::uint8_t, kMaxOutlets> temp_action{};

  // Sending.
  double rate = 1;  // datagrams per second
  bool silent = false;
  double next_send_ms = 0;
  std::uint32_t sequence = 0;
  std::uint64_t sent = 0;

  // Telnet console.
  std::string password = "kelpo";
  std::string user;  // empty: no user name prompt
  int script_type = 0;  // 1: no password prompt, answers "bye." itself
  bool descr_not_found = false;
  bool echo = false;          // offer WILL ECHO and SGA; echo lines (not the password) when accepted
  int password_tries = 3;     // close after this many wrong passwords; 0 never
  std::string closing_reply;  // sent before closing on "q" or "cpureset"
  std::string name;
  // Identity replies: the outlet names (comma-separated; empty: "Outlet1",
  // ...) and the description (empty: the model's own). Taken as bytes, so
  // they may be Shift-JIS.
  std::string outlet_names;
  std::string descr;
  Faults faults;
  double reboot_ms = 5000;
};

// Makes device `index` (1-based) with MAC 02:5A:3C + suffix + index - 1.
Device MakeDevice(int index, std::uint32_t mac_suffix);

// Current temperature in hundredths (ramp applied), and the status byte.
double CurrentTemp(const Device& d, double now_ms);
std::uint8_t CurrentStatus(const Device& d, double now_ms);

// Ends REBOOTs whose time has come.
void Tick(Device& d, double now_ms);

// The next datagram of the device (raises its sequence number).
Bytes BuildDatagram(Device& d, double now_ms);

// One timed change: at `at_ms`, on device `device` (0 = every device), run
// `verb` with `args`.
struct Event {
  double at_ms = 0;
  int device = 0;
  std::string verb;
  std::vector<std::string> args;
  std::string source;  // where it was written, for error messages
};

// Parses "SECONDS DEVICE VERB ARGS..." (DEVICE a number or "*"). Blank lines
// and lines starting with "#" give ok and no event (*has_event false).
bool ParseEvent(const std::string& line, const std::string& source, Event* ev, bool* has_event,
                std::string* err);

// Checks the verb and its arguments without changing anything.
bool CheckVerb(const std::string& verb, const std::vector<std::string>& args, std::string* err);

// Runs a verb on a device; false with *err on a bad argument.
bool ApplyVerb(Device& d, const std::string& verb, const std::vector<std::string>& args,
               double now_ms, std::string* err);

// Help text of the verbs.
const char* VerbHelp();

}  // namespace zol::sim
