// The system log line, the names of the daily system log and the per-outlet
// CSV logs, and the log folder rule. The writers themselves (SysLoging,
// logdatasave, LogSave) belong to the main window's system log area,
// because the start line is written while the main window is created,
// before any other window exists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/controls.h"
#include "common/files.h"
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
struct ItemRow;

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
  // logdatasave of outlet's file of the day now (OutletCsvLogName in the
  // log folder): the name and its open file are remembered per outlet, so
  // the path is built only when the day or the folder changes or the file
  // was closed. One datagram's lines run inside a batch of log_files; they
  // are all in their files when it ends.
  void OutletLogSave(int row, int outlet, const DateTime& now);
  // The same for the outlets of one datagram's device, whose row was looked
  // up once (item) at boot clock ms.
  void OutletLogSave(const ItemRow& item, int outlet, const DateTime& now, uint64_t ms);
  // Appends line + CR LF to path; errors lose the line. The files stay
  // open between lines (log_files) unless PlainLogSave is set, which opens,
  // appends and closes per line.
  void LogSave(const std::string& path, const std::string& line);
  // Closes the log files without a line for kLogIdleMs; run by the main
  // window's 500 ms clock, so no file stays open much past kLogIdleMs
  // without a line (the count of open files is bounded by log_files).
  void CloseIdleLogs();
  static constexpr uint64_t kLogIdleMs = 3000;
  bool PlainLogSave = false;
  // A flood's lines are shared with a helper thread (LineWriter).
  AppendFiles log_files{0, true, LineWriter::Helper::Auto};
  // Fills the view from today's system log file, newest first, at most 100
  // lines; called once while the window is created, before the start line.
  void SysLogViewLoad();

 private:
  // The CSV line of outlet of device row (without the line end) added to out.
  void AddCsvLine(std::string* out, int row, int outlet);
  // The same on a looked-up row; kind: the first character of the outlet's
  // item code ('\0' when the code is empty).
  void AddCsvLine(std::string* out, const ItemRow& item, int outlet, char kind);
  struct OutletFile {
    int day = -1;  // yyyymmdd of the name
    AppendFiles::Handle file;
  };
  std::vector<OutletFile> outlet_files_;  // by row * 9 + outlet
  std::string outlet_files_dir_;          // the log folder they are in
  std::string line_;                      // the line being built
};

}  // namespace zol
