// The system log line, the names of the daily system log and the per-outlet
// CSV logs, and the log folder rule. The writers themselves are main window
// methods (SysLoging, logdatasave, LogSave), because the start line is
// written while the main window is created, before any other window exists.
#pragma once

#include <string>

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

}  // namespace zol
