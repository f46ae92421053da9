#include "qt/shell.h"

#include <QProcess>
#include <QStandardPaths>
#include <cstdio>

#include "qt/sjis.h"

namespace zol {

namespace {

void Complain(const QString& text) { std::fprintf(stderr, "zolyab4: %s\n", text.toLocal8Bit().constData()); }

}  // namespace

bool QtShell::Start(const QString& program, const QStringList& arguments) {
  const QString path = QStandardPaths::findExecutable(program);
  if (path.isEmpty()) {
    Complain(QStringLiteral("%1 not found, nothing started").arg(program));
    return false;
  }
  if (!QProcess::startDetached(path, arguments)) {
    Complain(QStringLiteral("%1 could not be started").arg(path));
    return false;
  }
  return true;
}

void QtShell::OpenTelnet(const std::string& params) {
  if (QStandardPaths::findExecutable(QStringLiteral("telnet")).isEmpty()) {
    Complain(QStringLiteral("telnet not found, nothing started"));
    return;
  }
  QString terminal = QStringLiteral("x-terminal-emulator");
  if (QStandardPaths::findExecutable(terminal).isEmpty()) terminal = QStringLiteral("xterm");
  QStringList arguments{QStringLiteral("-e"), QStringLiteral("telnet")};
  arguments += FromSjis(params).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  Start(terminal, arguments);
}

void QtShell::OpenAddress(const std::string& address) { Start(QStringLiteral("xdg-open"), {FromSjis(address)}); }

}  // namespace zol
