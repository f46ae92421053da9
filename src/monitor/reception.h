// Status datagram reception (the main window's receiver NMUDP1): one
// datagram becomes the record text lines of the receive text
// (Form4.Memo1), which the record parser then reads.
#pragma once

#include <string>
#include <vector>

namespace zol {

class App;

class Reception {
 public:
  explicit Reception(App& app);

  App& app;

  void NMUDP1DataReceived(const std::string& bytes, const std::string& from_ip, int port);
  void oldZolDataCnv(const std::string& bytes);

 private:
  // The receive text's lines before the last datagram's, reused.
  std::vector<std::string> lines_;
};

}  // namespace zol
