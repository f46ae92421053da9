// The system log line, the names of the daily system log and the per-outlet
// CSV logs, and the log folder rule. The writers themselves (SysLoging,
// logdatasave, LogSave) belong to the main window's system log area,
// because the start line is written while the main window is created,
// before any other window exists.
#pragma once

#include <string>

#include "common/controls.h"
#include "common/platform.h"

namespace zol {

// Kinds of system log line.
enum SysLogCode : int {
  kSysLogAppStart = 1,       // "アプリの起動"
  kSysLogAppEnd = 2,         // "アプリの終了"
  kSysLogMonitorStart = 10,  // "監視開始"
  kSysLogMonitorStop = 11,   // "監視停止"
  kSysLogItemEvent = 200,    // "ID007 Outlet3 PING 異常"
};

// "(" + four-digit code + ") " + "yyyy/mm/dd hh:nn:ss" + " " + text.
std::string SysLogLine(int code, const DateTime& now, const std::string& text);

// "syslog" + yyyymmdd + ".log".
std::string SysLogFileName(const DateTime& now);

// "d" + three-digit device ID + two-digit outlet + yymmdd + ".csv".
std::string OutletCsvLogName(int row, int outlet, const DateTime& now);

// A log file's path: log_dir + "/" + name (the separator is added whatever
// log_dir ends with), or the bare name when log_dir is empty.
std::string LogPath(const std::string& log_dir, const std::string& name);

class App;

// The system log view on the main window's "システムログ" tab and the log
// writers.
class SystemLog {
 public:
  explicit SystemLog(App& app);

  App& app;

  ListBox ListBox2;  // system log view, 100 newest on top

  // Writes one system log line into the view (100 newest on top) and, when
  // saving is on, into today's system log file; nothing when the log is off.
  void SysLoging(int code, const std::string& text);
  // Appends the CSV line of one outlet of a device row to the bare file
  // name in the log folder.
  void logdatasave(const std::string& file, int row, int outlet);
  // Appends line + CR LF to path (open, append, close); errors lose the line.
  void LogSave(const std::string& path, const std::string& line);
  // Fills the view from today's system log file, newest first, at most 100
  // lines; called once while the window is created, before the start line.
  void SysLogViewLoad();
};

}  // namespace zol
