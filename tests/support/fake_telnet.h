// A telnet client on the simulated clock, and a scripted device behind it.
// The fake keeps the client's contract: the connected notification runs
// from within Connect; text and a peer close reach the engine from the
// event loop, never before the connected notification has returned, in the
// order they were sent; Disconnect notifies from within the call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/platform.h"
#include "support/sim_platform.h"

namespace zol {

class FakeTelnetClient : public TelnetClient {
 public:
  explicit FakeTelnetClient(SimPlatform& sim) : sim_(sim) {}

  bool Connect(const std::string& host, int port) override;
  bool Connected() const override { return connected_; }
  void Disconnect() override;
  void WriteLn(const std::string& text) override;

  // --- The device's side ---
  // Decides whether a connection to host:port is made (default: yes). It may
  // also run the pump, as a real connect waits; Connect then fails when a
  // newer attempt or a Disconnect came meanwhile.
  std::function<bool(const std::string& host, int port)> accept;
  // Told of a new connection (after the connected notification returned
  // text is let through), of every line the engine writes and of a close
  // by the engine.
  std::function<void()> on_connect;
  std::function<void(const std::string& line)> on_line;
  std::function<void()> on_close;
  // Text from the device, arriving delay_ms from now on this connection.
  void Send(const std::string& text, uint64_t delay_ms = 0);
  // The device closes this connection delay_ms from now.
  void PeerClose(uint64_t delay_ms = 0);

  std::vector<std::pair<std::string, int>> attempts;  // host, port of each Connect
  std::vector<std::string> written;                   // every line written, all connections
  std::vector<uint64_t> written_at;                   // the simulated time of each
  int connections = 0;                                // connections made

 private:
  void Arrive(int connection, std::function<void()> step);
  SimPlatform& sim_;
  bool connected_ = false;
  int connection_ = 0;     // number of the current connection attempt
  bool in_connected_ = false;
  std::vector<std::function<void()>> held_;  // arrived during the connected notification
};

// A device console behind the fake client, after the devices' own texts:
// banner with ".", "Password: " (type 0), prompt name + ">", "Incorrect
// password" and a close after the third, identity replies, PON/POF/POR
// answers, "bye." answers for type 1 and a close on "q", "cpureset" or
// "bye.". Replies arrive reply_ms after the line that asked for them.
class ScriptedDevice {
 public:
  ScriptedDevice(FakeTelnetClient& client, SimPlatform& sim);

  int script_type = 0;           // 0: password asked; 1: none, "bye." closes
  std::string password = "pw";
  std::string user;              // when set, "User name: " comes first
  std::string name = "RPC1";
  std::string outlet_names = "Outlet1,Outlet2,Outlet3,Outlet4";
  std::string descr = "ZOL RPC-4 remote power controller";
  bool descr_not_found = false;  // "?sysDescr" gets "sysDescr not found."
  bool busy = false;             // "Too many sessions" instead of the banner
  bool busy_closes = true;       // ... and the connection is closed
  bool silent = false;           // never says anything
  bool banner_only = false;      // the banner, then never a prompt
  bool ignore_close = false;     // closing commands are taken silently
  bool prompt_on_close = false;  // closing commands are answered with the prompt
  bool silent_after_login = false;  // takes the right password, then says nothing
  int close_after_lines = 0;     // closes on this line after the login (0: never)
  uint64_t close_after_ms = 0;   // closes this long after the connection (0: never)
  int silent_after_lines = 0;    // says nothing from this line after the login on (0: never)
  // From this line after the login on (0: never) the device answers no line
  // and sends stream_piece every stream_every_ms instead, until the
  // connection ends or stream_bytes have gone (0: no end).
  int stream_after_lines = 0;
  std::string stream_piece;
  uint64_t stream_every_ms = 0;
  uint64_t stream_bytes = 0;
  uint64_t streamed = 0;  // bytes of the stream sent, all connections
  uint64_t banner_ms = 20;
  uint64_t reply_ms = 20;

  std::vector<std::string> lines;  // lines received, all connections

 private:
  void OnConnect();
  void OnLine(const std::string& line);
  void Reply(const std::string& text) { client_.Send(text, reply_ms); }
  // The next piece of the stream of connection generation gen.
  void StreamOn(unsigned gen);
  FakeTelnetClient& client_;
  SimPlatform& sim_;
  unsigned generation_ = 0;  // raised by every connection and close
  bool streaming_ = false;
  int phase_ = 0;  // 0 user, 1 password, 2 logged in, 3 closed
  int wrong_ = 0;
  int after_login_ = 0;
  std::string given_user_;
};

}  // namespace zol
