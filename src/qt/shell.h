// The desktop's programs for a device's own console: telnet in the user's
// terminal, and the handler of a web address. Programs are started detached
// with argument lists, never through a shell, so a device's texts reach
// them as plain arguments.
#pragma once

#include <QString>
#include <QStringList>

#include "common/platform.h"

namespace zol {

class QtShell : public Shell {
 public:
  // x-terminal-emulator -e telnet ARGS (xterm when the former is missing),
  // ARGS the parameters split at blanks.
  void OpenTelnet(const std::string& params) override;
  // xdg-open ADDRESS.
  void OpenAddress(const std::string& address) override;

 private:
  // Starts program (looked up on PATH) with arguments; false, after one line
  // on standard error, when it is missing or could not be started.
  static bool Start(const QString& program, const QStringList& arguments);
};

}  // namespace zol
