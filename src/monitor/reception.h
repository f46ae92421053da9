// Status datagram reception (the main window's receiver NMUDP1): one
// datagram becomes the record text lines of the receive text
// (Form4.Memo1), which the record parser then reads.
#pragma once

#include <string>

namespace zol {

class App;

class Reception {
 public:
  explicit Reception(App& app);

  App& app;

  void NMUDP1DataReceived(const std::string& bytes, const std::string& from_ip, int port);
  void oldZolDataCnv(const std::string& bytes);
};

}  // namespace zol
