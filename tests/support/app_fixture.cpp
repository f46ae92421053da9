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

AppFixture::AppFixture(UdpReceiver* udp_receiver, const std::string& folder)
    : AppFixture([this, udp_receiver, &folder](Services& s) {
        if (udp_receiver) s.udp = udp_receiver;
        if (!folder.empty()) {
          EXPECT_EQ(mkdir(FileSystemName(dir.File(folder)).c_str(), 0755), 0) << folder;
          s.program_path = dir.File(folder + "/zolyab4");
        }
      }) {}

AppFixture::AppFixture(const std::function<void(Services&)>& adjust) {
  Services s;
  s.clock = &sim;
  s.pump = &sim;
  s.timers = &sim;
  s.boxes = &boxes;
  s.sound = &sound;
  s.udp = &udp;
  s.telnet = &telnet;
  s.shell = &shell;
  s.open_dialog = &open_dialog;
  s.smtp = &smtp;
  s.program_path = dir.File("zolyab4");
  adjust(s);
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
