// The shell adapter with stub programs first on PATH: each stub writes the
// arguments it was given, one a line, into a file of its name. A device's
// texts must arrive as plain arguments, never run as a command line.
#include "qt/shell.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <string>
#include <vector>

#include "support/app_fixture.h"
#include "wait_for.h"

namespace zol {
namespace {

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() : old_path_(getenv("PATH") ? getenv("PATH") : "") {}
  ~ShellTest() override { setenv("PATH", old_path_.c_str(), 1); }

  // Puts stubs of the named programs into a folder of their own and makes
  // that folder the whole PATH.
  void Stubs(const std::vector<std::string>& names) {
    const std::string bin = dir.File("bin" + std::to_string(++folders_));
    mkdir(bin.c_str(), 0755);
    for (const std::string& n : names) {
      const std::string path = bin + "/" + n;
      const std::string out = dir.File(n);
      QFile f(QString::fromStdString(path));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + out + ".tmp'\n/bin/mv '" + out + ".tmp' '" + out + ".args'\n")
                  .c_str());
      f.close();
      chmod(path.c_str(), 0755);
    }
    setenv("PATH", bin.c_str(), 1);
  }
  // The arguments the stub received, once it has run; empty when it did not.
  std::string Args(const std::string& name, int limit_ms = 5000) {
    const QString path = QString::fromStdString(dir.File(name + ".args"));
    if (!WaitFor([&] { return QFile::exists(path); }, limit_ms)) return std::string();
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll().toStdString();
  }
  bool Exists(const std::string& name) { return access(dir.File(name).c_str(), F_OK) == 0; }

  TempDir dir;
  QtShell shell;
  int folders_ = 0;

 private:
  std::string old_path_;
};

TEST_F(ShellTest, TelnetRunsInTheTerminalWithItsParametersAsArguments) {
  Stubs({"x-terminal-emulator", "xterm", "telnet"});
  shell.OpenTelnet("127.0.0.1 2323");
  EXPECT_EQ(Args("x-terminal-emulator"), "-e\ntelnet\n127.0.0.1\n2323\n");
  EXPECT_FALSE(Exists("xterm.args"));
  // The host alone, and the host with the blank of an empty port.
  for (const char* params : {"127.0.0.1", "127.0.0.1 "}) {
    remove(dir.File("x-terminal-emulator.args").c_str());
    shell.OpenTelnet(params);
    EXPECT_EQ(Args("x-terminal-emulator"), "-e\ntelnet\n127.0.0.1\n") << params;
  }
}

TEST_F(ShellTest, XtermWhenThereIsNoTerminalAlternative) {
  Stubs({"xterm", "telnet"});
  shell.OpenTelnet("10.0.0.7 23");
  EXPECT_EQ(Args("xterm"), "-e\ntelnet\n10.0.0.7\n23\n");
}

TEST_F(ShellTest, AddressGoesToXdgOpen) {
  Stubs({"xdg-open"});
  shell.OpenAddress("http://127.0.0.1:");
  EXPECT_EQ(Args("xdg-open"), "http://127.0.0.1:\n");
}

TEST_F(ShellTest, DeviceTextsArriveLiterallyAndRunNothing) {
  Stubs({"x-terminal-emulator", "telnet", "xdg-open"});
  const std::string touch_a = dir.File("a");
  const std::string touch_b = dir.File("b");
  const std::string address = "http://h; touch " + touch_a + ":$(touch " + touch_b + ")";
  shell.OpenAddress(address);
  EXPECT_EQ(Args("xdg-open"), address + "\n");
  shell.OpenTelnet("h;touch`touch " + touch_a + "` $(touch " + touch_b + ")");
  EXPECT_EQ(Args("x-terminal-emulator"), "-e\ntelnet\nh;touch`touch\n" + touch_a + "`\n$(touch\n" + touch_b + ")\n");
  EXPECT_FALSE(Exists("a"));
  EXPECT_FALSE(Exists("b"));
}

TEST_F(ShellTest, MissingProgramsStartNothingAndSayOneLine) {
  struct Case {
    std::vector<std::string> stubs;
    bool telnet;  // else an address
    const char* said;
  } cases[] = {
      {{}, false, "xdg-open not found"},
      {{"x-terminal-emulator", "xterm"}, true, "telnet not found"},
      {{"telnet"}, true, "xterm not found"},
  };
  for (const Case& c : cases) {
    Stubs(c.stubs);
    // Standard error into a file for the call.
    const std::string err = dir.File("stderr.txt");
    fflush(stderr);
    const int saved = dup(2);
    FILE* f = fopen(err.c_str(), "w");
    dup2(fileno(f), 2);
    if (c.telnet) shell.OpenTelnet("127.0.0.1 23");
    else shell.OpenAddress("http://127.0.0.1:");
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    fclose(f);
    const std::string said = ReadAll(err);
    EXPECT_NE(said.find(c.said), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    for (const std::string& s : c.stubs) EXPECT_EQ(Args(s, 300), "") << s;
  }
}

}  // namespace
}  // namespace zol
