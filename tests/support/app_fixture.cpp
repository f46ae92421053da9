#include "support/app_fixture.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>

#include "common/files.h"

namespace zol {

TempDir::TempDir() {
  char tmpl[] = "/tmp/zoltestXXXXXX";
  char* p = mkdtemp(tmpl);
  path_ = p ? p : "/tmp";
}

TempDir::~TempDir() {
  if (path_.rfind("/tmp/zoltest", 0) == 0) std::system(("rm -rf '" + path_ + "'").c_str());
}

AppFixture::AppFixture() : AppFixture(nullptr) {}

AppFixture::AppFixture(UdpReceiver* udp_receiver, const std::string& folder) : AppFixture([udp_receiver] {
  Services real;
  real.udp = udp_receiver;
  return real;
}(), folder) {}

AppFixture::AppFixture(const Services& real, const std::string& folder) {
  Services s;
  s.clock = real.clock ? real.clock : &sim;
  s.pump = real.pump ? real.pump : &sim;
  s.timers = real.timers ? real.timers : &sim;
  s.boxes = real.boxes ? real.boxes : &boxes;
  s.sound = real.sound ? real.sound : &sound;
  s.udp = real.udp ? real.udp : &udp;
  s.telnet = real.telnet ? real.telnet : &telnet;
  s.smtp = real.smtp ? real.smtp : &smtp;
  s.open_dialog = real.open_dialog ? real.open_dialog : &open_dialog;
  s.shell = real.shell ? real.shell : &shell;
  s.program_path = dir.File("zolyab4");
  if (!folder.empty()) {
    EXPECT_EQ(mkdir(FileSystemName(dir.File(folder)).c_str(), 0755), 0) << folder;
    s.program_path = dir.File(folder + "/zolyab4");
  }
  app = std::make_unique<App>(s);
}

AppFixture::~AppFixture() = default;

std::string ReadAll(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(ReadFile(path, &bytes)) << path;
  return bytes;
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

}  // namespace zol
