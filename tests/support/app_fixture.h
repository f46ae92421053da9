// A whole console run on the fakes: simulated clock and pump, scripted
// message boxes, recorded sounds, a fake UDP receiver and SMTP client, and a temporary
// program folder that holds the settings, data and log files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "console/app.h"
#include "support/fake_telnet.h"
#include "support/fake_shell.h"
#include "support/fake_smtp.h"
#include "support/sim_platform.h"

namespace zol {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct AppFixture {
  AppFixture();
  // The same run with udp_receiver (which must outlive the fixture, null
  // for the fake one) in place of the fake receiver, and the program in the
  // subfolder folder of dir (a Shift-JIS name; created) when one is given.
  explicit AppFixture(UdpReceiver* udp_receiver, const std::string& folder = std::string());
  // The same run with every service that real sets in place of its fake
  // (each must outlive the fixture).
  explicit AppFixture(const Services& real, const std::string& folder = std::string());
  ~AppFixture();

  TempDir dir;
  SimPlatform sim;
  FakeMessageBoxes boxes;
  FakeSound sound;
  FakeUdpReceiver udp;
  FakeTelnetClient telnet{sim};
  FakeFileOpenDialog open_dialog;
  FakeSmtpClient smtp{sim};
  FakeShell shell;
  std::unique_ptr<App> app;  // program path: dir/zolyab4 (or dir/folder/zolyab4)
};

// The whole file; a file that cannot be read fails the test (naming the
// path) and gives an empty text.
std::string ReadAll(const std::string& path);

// The lines, each ended by CR LF, as the console writes its files.
std::string CrLf(const std::vector<std::string>& lines);

}  // namespace zol
