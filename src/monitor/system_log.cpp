// System log, per-outlet CSV log and the append-a-line writer.
#include "monitor/system_log.h"

#include <string>
#include <vector>

#include "common/files.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "monitor/debug_window.h"
#include "monitor/item_state.h"

namespace zol {

namespace {

constexpr size_t kSysLogViewLines = 100;

}  // namespace

std::string SysLogLine(int code, const DateTime& now, const std::string& text) {
  return "(" + ZeroPad(code, 4) + ") " + DateText(now) + " " + TimeText(now) + " " + text;
}

std::string SysLogFileName(const DateTime& now) { return "syslog" + Yyyymmdd(now) + ".log"; }

std::string OutletCsvLogName(int row, int outlet, const DateTime& now) {
  return "d" + ZeroPad(row, 3) + ZeroPad(outlet, 2) + Yymmdd(now) + ".csv";
}

std::string LogPath(const std::string& log_dir, const std::string& name) {
  if (log_dir.empty()) return name;
  return log_dir + "/" + name;
}

SystemLog::SystemLog(App& a) : app(a) {}

void SystemLog::LogSave(const std::string& path, const std::string& line) {
  // Opens (or creates), appends and closes per line; every error loses the
  // line quietly.
  AppendToFile(path, line + "\r\n");
}

void SystemLog::SysLoging(int code, const std::string& text) {
  const ConsoleSettings& settings = app.settings();
  const bool SysLogMode = settings.SysLogMode, SysLogSave = settings.SysLogSave;
  const std::string& LogDir = settings.LogDir;
  if (!SysLogMode) return;
  const DateTime now = app.clock().Now();
  const std::string line = SysLogLine(code, now, text);
  ListBox2.Insert(0, line);
  for (int k = 0; k < 3; ++k) {
    if (ListBox2.Count() > kSysLogViewLines) ListBox2.Delete(ListBox2.Count() - 1);
  }
  if (SysLogSave) LogSave(LogPath(LogDir, SysLogFileName(now)), line);
}

void SystemLog::SysLogViewLoad() {
  const std::string& LogDir = app.settings().LogDir;
  const std::string path = LogPath(LogDir, SysLogFileName(app.clock().Now()));
  std::string bytes;
  if (!ReadFile(path, &bytes)) return;
  const std::vector<std::string> lines = SplitLines(bytes);
  size_t added = 0;
  for (size_t i = lines.size(); i > 0 && added < kSysLogViewLines; --i, ++added) {
    ListBox2.Add(lines[i - 1]);
  }
}

void SystemLog::logdatasave(const std::string& file, int row, int outlet) {
  const Grid& t = app.Form4().StringGrid1;
  ItemStates& states = app.item_states();
  const std::string& LogDir = app.settings().LogDir;
  const std::string code = states.ItemState(row, outlet);
  std::string kind = "99";
  if (!code.empty() && code[0] >= '0' && code[0] <= '9') kind = std::string(1, code[0]);

  std::string line;
  line += t.Cell(21, row);                                         // RecvDate
  line += "," + t.Cell(22, row);                                   // RecvTime
  line += "," + std::to_string(row);                               // device ID
  line += "," + std::to_string(outlet);                            // outlet
  line += "," + kind;                                              // item kind
  line += "," + states.ItemStateTriple(row, outlet);                      // power,ping,temperature
  line += "," + std::to_string(HexToInt(WordAt(t.Cell(27, row), outlet)));       // OlWordA
  line += "," + std::to_string(HexToInt(WordAt(t.Cell(29, row), outlet)) / 10);  // OlWordC
  line += "," + std::to_string(HexToInt(WordAt(t.Cell(33, row), outlet)));       // PngJudge
  line += "," + std::to_string(HexToInt(WordAt(t.Cell(40, row), outlet)));       // PngExecNum
  line += "," + t.Cell(61, row);                                   // CurTemp
  line += "," + std::to_string(HexToInt(t.Cell(60, row)));         // ActionStatus
  LogSave(LogPath(LogDir, file), line);
}

}  // namespace zol
