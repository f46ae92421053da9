// The console program's run: the guard, the adapters, the run's owner, the
// views and the event loop. zolyab4's main calls Run.
#pragma once

#include <string>

#include "common/curl_smtp.h"
#include "common/posix_clock.h"
#include "common/smtp_sender.h"
#include "console/app.h"
#include "qt/adapters.h"
#include "qt/app_font.h"
#include "qt/file_dialogs.h"
#include "qt/telnet_client.h"

namespace zol {

class MessageBoxes;
class SingleInstance;

// The real platform services of a console run: the POSIX clock and the Qt
// adapters, owned together and handed to the App as Services.
struct ProgramServices {
  explicit ProgramServices(const std::string& program_path);
  PosixClock clock;
  QtPump pump;
  QtTimerHost timers;
  CurlSmtpClient curl;
  // The mails go out on the sender's own thread, one after the other. At
  // the end it is destroyed after the boxes, so that none stays on the
  // screen, unanswerable, while the last mails go out.
  SmtpSender smtp{[this](const SmtpMail& mail, const std::atomic<bool>& cancel) { return curl.Deliver(mail, &cancel); },
                  PostToGui, kSmtpMailTimeoutMs};
  QtMessageBoxes boxes;
  QtSound sound;
  QtUdpReceiver udp;
  QtTelnetClient telnet;
  QtFileOpenDialog open_dialog;
  Services services;
};

int RunConsole(int argc, char** argv);

// The guard could not take its lock for another reason than a second
// instance: the reason goes to standard error and into an error box; the
// result is the program's exit code (1).
int GuardFailed(const SingleInstance& guard, MessageBoxes& boxes);

}  // namespace zol
