// A shell that records what it was asked to open, instead of starting it.
#pragma once

#include <string>
#include <vector>

#include "common/platform.h"

namespace zol {

class FakeShell : public Shell {
 public:
  void OpenTelnet(const std::string& params) override { opened.push_back("telnet " + params); }
  void OpenAddress(const std::string& address) override { opened.push_back("address " + address); }
  // "telnet " + parameters or "address " + address, in order.
  std::vector<std::string> opened;
};

}  // namespace zol
