// The telnet protocol of the console's client over libtelnet, without any
// socket: bytes from the peer go in, the data and the bytes to send back
// come out. The client says it has the terminal type "dumb" (WILL TTYPE,
// IS "dumb"), accepts the server's ECHO and SGA (DO) and refuses every
// other option; data byte 255 is escaped as IAC IAC both ways.
#pragma once

#include <string>

struct telnet_t;
union telnet_event_t;

namespace zol {

class TelnetProtocol {
 public:
  TelnetProtocol();
  ~TelnetProtocol();
  TelnetProtocol(const TelnetProtocol&) = delete;
  TelnetProtocol& operator=(const TelnetProtocol&) = delete;

  // Takes bytes received from the peer (any split of the stream) and
  // returns the data among them; the answers go to the output.
  std::string Receive(const char* bytes, size_t size);
  std::string Receive(const std::string& bytes) { return Receive(bytes.data(), bytes.size()); }
  // Queues data for the peer, escaped.
  void Send(const std::string& data);
  // The bytes to write to the peer, taken out of the queue.
  std::string TakeOutput();
  // A protocol error from the peer (then the connection is of no use); empty
  // while none.
  const std::string& Error() const { return error_; }

 private:
  static void OnEvent(telnet_t* telnet, telnet_event_t* event, void* self);
  telnet_t* telnet_ = nullptr;
  std::string data_;    // collected during one Receive
  std::string output_;  // to send
  std::string error_;
  bool ttype_asked_ = false;
};

}  // namespace zol
