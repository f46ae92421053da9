#include "common/telnet_protocol.h"

#include <libtelnet.h>

namespace zol {

namespace {

const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WONT, TELNET_DO},
    {-1, 0, 0},
};

constexpr char kTerminalType[] = "dumb";

}  // namespace

TelnetProtocol::TelnetProtocol() { telnet_ = telnet_init(kOptions, &TelnetProtocol::OnEvent, 0, this); }

TelnetProtocol::~TelnetProtocol() {
  if (telnet_) telnet_free(telnet_);
}

void TelnetProtocol::OnEvent(telnet_t*, telnet_event_t* ev, void* self_ptr) {
  auto* self = static_cast<TelnetProtocol*>(self_ptr);
  switch (ev->type) {
    case TELNET_EV_DATA:
      self->data_.append(ev->data.buffer, ev->data.size);
      break;
    case TELNET_EV_SEND:
      self->output_.append(ev->data.buffer, ev->data.size);
      break;
    case TELNET_EV_TTYPE:
      // Answered after telnet_recv has returned: the library is not
      // re-entered from its own callback.
      if (ev->ttype.cmd == TELNET_TTYPE_SEND) self->ttype_asked_ = true;
      break;
    case TELNET_EV_ERROR:
      self->error_ = ev->error.msg ? ev->error.msg : "telnet protocol error";
      break;
    default:
      break;
  }
}

std::string TelnetProtocol::Receive(const char* bytes, size_t size) {
  data_.clear();
  if (telnet_ && size > 0) telnet_recv(telnet_, bytes, size);
  if (ttype_asked_) {
    ttype_asked_ = false;
    telnet_ttype_is(telnet_, kTerminalType);
  }
  std::string data;
  data.swap(data_);
  return data;
}

void TelnetProtocol::Send(const std::string& data) {
  if (telnet_ && !data.empty()) telnet_send(telnet_, data.data(), data.size());
}

std::string TelnetProtocol::TakeOutput() {
  std::string out;
  out.swap(output_);
  return out;
}

}  // namespace zol
