// Pictures of the windows that the console opens from windows of its own:
// the detail window (pages 1, 2 and 4) and the temperature chart during a
// ramp. A console run on the real adapters takes a device's datagrams from
// the simulator over 127.0.0.1, opens both windows as the operator would,
// and saves each as a PNG.
// Usage: window_shots OUTPUT_FOLDER ZOLSIM_PROGRAM
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QUdpSocket>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "console/app.h"
#include "console/chart_window.h"
#include "console/detail_window.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/chart_view.h"
#include "qt/detail_view.h"
#include "qt/mirror.h"
#include "qt/program.h"
#include "qt/console_ui.h"

extern char** environ;

namespace {

// Runs the event loop for ms milliseconds.
void RunFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(QWidget& w, const std::string& path) {
  const bool ok = w.grab().save(QString::fromStdString(path));
  std::fprintf(ok ? stdout : stderr, "window_shots: %s %s\n", ok ? "saved" : "could not save", path.c_str());
  return ok;
}

// A UDP port of 127.0.0.1 that is free at the moment.
int FreePort() {
  QUdpSocket s;
  return s.bind(QHostAddress::LocalHost, 0) ? s.localPort() : 0;
}

}  // namespace

int Shoot(zol::App& app, zol::ConsoleUi& ui, const std::string& out, const std::string& sim);

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_shots OUTPUT_FOLDER ZOLSIM_PROGRAM\n");
    return 2;
  }
  const std::string out = argv[1], sim = argv[2];
  QApplication qapp(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  zol::UseJapaneseFont();

  // The run's own folder: whatever the console writes stays there.
  char work[] = "/tmp/zolshots.XXXXXX";
  if (!mkdtemp(work)) return 1;
  zol::ProgramServices real(std::string(work) + "/zolyab4");

  int rc = 0;
  {
    zol::App app(real.services);
    zol::ConsoleUi ui(app);
    // Only the windows pictured are created; the main window's start-up
    // (settings and data files) is not run.
    app.Form6().FormCreate();
    app.Form11().FormCreate();
    rc = Shoot(app, ui, out, sim);
  }
  std::filesystem::remove_all(work);
  return rc;
}

int Shoot(zol::App& app, zol::ConsoleUi& ui, const std::string& out, const std::string& sim) {

  // One registered 8-outlet device with PING watch and temperature actions,
  // charted (TEMP=1) and shown in the detail window.
  zol::Grid& table = app.Form4().StringGrid1;
  const std::vector<std::pair<int, std::string>> device = {
      {zol::dtcol::MacAddress, "02:5A:3C:00:00:01"},
      {zol::dtcol::LiveBase, "20"},
      {zol::dtcol::OutletInfo, "8,4"},
      {zol::dtcol::LogFlags, "00000000"},
      {zol::dtcol::IconFlags, "11111111"},
      {zol::dtcol::ItemKinds, "01111222"},
      {zol::dtcol::DeviceName, "サーバ室ラック1"},
      {zol::dtcol::OutletNames, "ルータ,Web,DB,メール,ファイル,空調,センサー1,センサー2,"},
      {zol::dtcol::GroupName, "G001 グループ1"},
      {zol::dtcol::DeviceMemo, "2F 東側"},
      {zol::dtcol::DeviceInfo, "ZOL-8 電源制御装置 Ver 4.00"},
      {zol::dtcol::NotifyFlags, "00000000 00000000"},
      {zol::dtcol::ItemImages, "0009 0009 0009 0009 0009 0009 0009 0009 "},
  };
  for (const auto& [col, text] : device) table.SetCell(col, 1, text);
  app.Form4().LastDataCnt();
  zol::MainWindow& main = app.Form2();
  main.TempDevice = 1;
  main.receive.DetailDevice = 1;
  main.UdpPort = FreePort();
  main.monitoring.YabStart();
  main.icons.BitBtn1Click();  // the chart button: the chart opens and follows the device

  const std::string port = std::to_string(main.UdpPort);
  std::vector<std::string> args = {sim,      "--port",   port,    "--count", "40",     "--rate",   "8",
                                   "--duration", "20",   "--event", "0 1 ramp 18 47 5",
                                   "--event", "0 1 thresholds 0 5 35 40", "--event", "0 1 power 5 off",
                                   "--event", "0 1 ping 3 abnormal", "--event", "0 1 ping 4 caution",
                                   "--event", "0 1 noresp 2 2 3", "--event", "0 1 tempaction all 0",
                                   "--event", "0 1 tempaction 7 3", "--event", "0 1 tempaction 8 2",
                                   "--event", "0 1 actionstatus 1"};
  std::vector<char*> argvs;
  for (std::string& a : args) argvs.push_back(a.data());
  argvs.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, sim.c_str(), nullptr, nullptr, argvs.data(), environ) != 0) {
    std::fprintf(stderr, "window_shots: cannot start %s\n", sim.c_str());
    return 1;
  }
  RunFor(5500);  // the ramp's datagrams arrive
  int status = 0;
  if (waitpid(pid, &status, WNOHANG) == 0) {
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
  }
  RunFor(200);

  bool ok = true;
  zol::DetailWindow& detail = app.Form6();
  detail.OpenDevice(1);
  const int pages[3] = {0, 1, 3};
  for (int page : pages) {
    detail.PageControl1.SetActivePageIndex(page);
    ui.mirror().Poll();
    RunFor(150);
    ok = Save(ui.detail(), out + "/detail-page" + std::to_string(page + 1) + ".png") && ok;
  }
  ui.mirror().Poll();
  RunFor(150);
  ok = Save(ui.chart(), out + "/chart.png") && ok;
  app.Form11().BitBtn4Click();  // the reading list over the chart
  ui.mirror().Poll();
  RunFor(150);
  ok = Save(ui.chart(), out + "/chart-list.png") && ok;
  main.monitoring.zolyab_stop();
  return ok ? 0 : 1;
}
