#include "support/fake_telnet.h"

#include <cctype>

namespace zol {

bool FakeTelnetClient::Connect(const std::string& host, int port) {
  if (connected_) Disconnect();
  const int mine = ++connection_;
  attempts.emplace_back(host, port);
  const bool ok = accept ? accept(host, port) : true;
  if (connection_ != mine || !ok) return false;  // abandoned or refused
  connected_ = true;
  ++connections;
  const bool was_in_connected = in_connected_;
  in_connected_ = true;
  if (on_connect) on_connect();
  if (OnConnected) OnConnected();
  in_connected_ = was_in_connected;
  // What arrived meanwhile follows now, from the event loop, in order.
  std::vector<std::function<void()>> held;
  held.swap(held_);
  for (auto& step : held) sim_.Post(0, [this, mine, step] { Arrive(mine, step); });
  return true;
}

void FakeTelnetClient::Disconnect() {
  ++connection_;  // a pending attempt is abandoned, pending text dropped
  if (!connected_) return;
  connected_ = false;
  if (on_close) on_close();
  if (OnDisconnected) OnDisconnected();
}

void FakeTelnetClient::WriteLn(const std::string& text) {
  if (!connected_) return;
  written.push_back(text);
  written_at.push_back(sim_.BootMillis());
  if (on_line) on_line(text);
}

void FakeTelnetClient::Arrive(int connection, std::function<void()> step) {
  if (connection != connection_ || !connected_) return;
  if (in_connected_) {
    held_.push_back(std::move(step));
    return;
  }
  step();
}

void FakeTelnetClient::Send(const std::string& text, uint64_t delay_ms) {
  const int c = connection_;
  sim_.Post(delay_ms, [this, c, text] {
    Arrive(c, [this, text] {
      if (OnDataAvailable) OnDataAvailable(text);
    });
  });
}

void FakeTelnetClient::PeerClose(uint64_t delay_ms) {
  const int c = connection_;
  sim_.Post(delay_ms, [this, c] {
    Arrive(c, [this] {
      connected_ = false;
      ++connection_;
      if (OnDisconnected) OnDisconnected();
    });
  });
}

ScriptedDevice::ScriptedDevice(FakeTelnetClient& client, SimPlatform& sim) : client_(client), sim_(sim) {
  client_.on_connect = [this] { OnConnect(); };
  client_.on_line = [this](const std::string& line) { OnLine(line); };
  client_.on_close = [this] {
    phase_ = 3;
    ++generation_;
  };
}

void ScriptedDevice::StreamOn(unsigned gen) {
  // A peer close ends the stream as well: the client is no longer connected.
  if (gen != generation_ || !client_.Connected()) return;
  if (stream_bytes > 0 && streamed >= stream_bytes) return;
  std::string piece = stream_piece;
  if (stream_bytes > 0 && stream_bytes - streamed < piece.size()) piece.resize(stream_bytes - streamed);
  streamed += piece.size();
  client_.Send(piece);
  sim_.Post(stream_every_ms, [this, gen] { StreamOn(gen); });
}

void ScriptedDevice::OnConnect() {
  ++generation_;
  streaming_ = false;
  wrong_ = 0;
  after_login_ = 0;
  phase_ = 3;
  if (close_after_ms > 0) client_.PeerClose(close_after_ms);
  if (silent) return;
  if (busy) {
    client_.Send("Too many sessions\r\n", banner_ms);
    if (busy_closes) client_.PeerClose(banner_ms);
    return;
  }
  client_.Send("\r\nZOL remote power controller. " + name + "\r\n", banner_ms);
  if (banner_only) return;
  if (script_type == 1) {
    phase_ = 2;
    client_.Send(name + ">", banner_ms);
  } else {
    phase_ = user.empty() ? 1 : 0;
    client_.Send(user.empty() ? "Password: " : "User name: ", banner_ms);
  }
}

void ScriptedDevice::OnLine(const std::string& line) {
  lines.push_back(line);
  switch (phase_) {
    case 0:
      if (line.empty()) {
        Reply("User name: ");
        return;
      }
      given_user_ = line;
      phase_ = 1;
      Reply("Password: ");
      return;
    case 1:
      if (line.empty()) {
        Reply("Password: ");
        return;
      }
      if (line == password && (user.empty() || given_user_ == user)) {
        phase_ = 2;
        if (!silent_after_login) Reply("\r\n" + name + ">");
        return;
      }
      if (++wrong_ >= 3) {
        Reply("\r\nIncorrect password\r\n");
        client_.PeerClose(reply_ms);
        phase_ = 3;
        return;
      }
      phase_ = user.empty() ? 1 : 0;
      Reply("\r\nIncorrect password\r\n" + std::string(user.empty() ? "Password: " : "User name: "));
      return;
    case 2:
      break;
    default:
      return;
  }
  ++after_login_;
  if (close_after_lines > 0 && after_login_ >= close_after_lines) {
    client_.PeerClose(reply_ms);
    phase_ = 3;
    return;
  }
  if (silent_after_lines > 0 && after_login_ >= silent_after_lines) return;
  if (silent_after_login) return;
  if (stream_after_lines > 0 && after_login_ >= stream_after_lines) {
    if (!streaming_) {
      streaming_ = true;
      const unsigned gen = generation_;
      sim_.Post(reply_ms, [this, gen] { StreamOn(gen); });
    }
    return;
  }
  std::string lower = line;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "q" || lower == "cpureset" || lower == "bye.") {
    if (ignore_close) return;
    if (prompt_on_close) {
      Reply(name + ">");
      return;
    }
    if (lower == "bye." && script_type == 1) Reply("bye.\r\n");
    client_.PeerClose(reply_ms);
    phase_ = 3;
    return;
  }
  std::string reply;
  if (lower == "?debolname") reply = "debOlName=\"" + outlet_names + "\"\r\n";
  else if (lower == "?sysdescr") reply = descr_not_found ? "sysDescr not found.\r\n" : "sysDescr=\"" + descr + "\"\r\n";
  else if (lower == "?sysname") reply = "sysName=\"" + name + "\"\r\n";
  else if (lower == "?model") reply = "model=\"RPC-4\"\r\n";
  else if (lower.rfind("pon", 0) == 0) reply = "Outlet " + line.substr(3) + " ON.\r\n";
  else if (lower.rfind("pof", 0) == 0) reply = "Outlet " + line.substr(3) + " OFF.\r\n";
  else if (lower.rfind("por", 0) == 0) reply = "Outlet " + line.substr(3) + " REBOOT.\r\n";
  else if (lower.rfind("say ", 0) == 0) reply = line.substr(4) + "\r\n";
  Reply(reply + name + ">");
}

}  // namespace zol
