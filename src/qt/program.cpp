#include "qt/program.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>

#include "common/files.h"
#include "common/posix_clock.h"
#include "console/app.h"
#include "console/main_window.h"
#include "console/splash_window.h"
#include "qt/adapters.h"
#include "qt/telnet_client.h"
#include "qt/mirror.h"
#include "qt/pictures.h"
#include "qt/shell.h"
#include "qt/single_instance.h"
#include "qt/console_ui.h"
#include "qt/sjis.h"

namespace zol {

namespace {

int g_signal_fd = -1;

void OnSignal(int) {
  const char c = 1;
  if (g_signal_fd >= 0) (void)!write(g_signal_fd, &c, 1);
}

}  // namespace

ProgramServices::ProgramServices(const std::string& program_path) {
  services.clock = &clock;
  services.pump = &pump;
  services.timers = &timers;
  services.boxes = &boxes;
  services.sound = &sound;
  services.udp = &udp;
  services.telnet = &telnet;
  services.open_dialog = &open_dialog;
  services.smtp = &smtp;
  services.program_path = program_path;
}

int GuardFailed(const SingleInstance& guard, MessageBoxes& boxes) {
  const QString reason = guard.Path() + QStringLiteral(": ") + guard.Failure();
  std::fprintf(stderr, "zolyab4: %s\n", reason.toLocal8Bit().constData());
  std::fflush(stderr);
  boxes.Show(ToSjis(reason), BoxKind::Error, BoxButtons::Ok);
  return 1;
}

int RunConsole(int argc, char** argv) {
  // libcurl's global set-up, before Qt starts threads of its own. Should it
  // fail, every mail reports its error; the console runs all the same.
  CurlGlobalInit();
  QApplication qapp(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  // A file size limit makes a write fail instead of ending the program.
  signal(SIGXFSZ, SIG_IGN);
  // Room for the log files the console keeps open (one per outlet of every
  // device written to in the last seconds): the soft limit of open files is
  // raised towards the hard one, to at most 16384.
  struct rlimit files;
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < 16384 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max < 16384 ? files.rlim_max : 16384;
    setrlimit(RLIMIT_NOFILE, &files);
  }
  SingleInstance guard(QStringLiteral("zolyab3"));
  if (!guard.Acquire()) {
    if (guard.Failure().isEmpty()) return 0;  // another instance runs: end silently
    QtMessageBoxes boxes;
    return GuardFailed(guard, boxes);
  }
  UseJapaneseFont();
  QApplication::setWindowIcon(ProgramIcon());

  ProgramServices real(ProgramPath());
  QtPump& pump = real.pump;
  QtTelnetClient& telnet = real.telnet;

  int rc = 0;
  {
    App app(real.services);
    // exit, not quit: quit would first close every window, which asks the
    // main window's close question.
    app.OnTerminate = [&pump, &telnet] {
      pump.SetEnding();
      telnet.SetEnding();
      QCoreApplication::exit(0);
    };

    // SIGTERM and SIGINT end the run like the tray's "終了(&Q)".
    int fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0) {
      g_signal_fd = fds[0];
      notifier = std::make_unique<QSocketNotifier>(fds[1], QSocketNotifier::Read);
      QObject::connect(notifier.get(), &QSocketNotifier::activated, [&app, fd = fds[1]] {
        char buf[16];
        (void)!read(fd, buf, sizeof buf);
        app.Form1().Exit1Click();
      });
      struct sigaction sa {};
      sa.sa_handler = OnSignal;
      sigemptyset(&sa.sa_mask);
      sa.sa_flags = SA_RESTART;
      sigaction(SIGTERM, &sa, nullptr);
      sigaction(SIGINT, &sa, nullptr);
    }

    ConsoleUi ui(app);
    app.Start();
    ui.mirror().Poll();
    if (!app.Terminated()) rc = QApplication::exec();
    (void)rc;
    app.End();
    ui.mirror().Poll();
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    g_signal_fd = -1;
    notifier.reset();
    if (fds[0] >= 0) close(fds[0]);
    if (fds[1] >= 0) close(fds[1]);
  }
  guard.Release();
  return 0;
}

}  // namespace zol
