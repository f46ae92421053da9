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
  // Every error loses the line quietly.
  if (PlainLogSave) {
    AppendToFile(path, line + "\r\n");
    return;
  }
  log_files.Append(path, line + "\r\n", app.clock().BootMillis());
}

void SystemLog::CloseIdleLogs() { log_files.CloseIdle(app.clock().BootMillis(), kLogIdleMs); }

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

void SystemLog::AddCsvLine(std::string* out, int row, int outlet) {
  const ItemRow item(app.Form4().StringGrid1, row, ReceiveClock(app.clock()), app.settings().TimeOutMin);
  const std::string code = ItemStateOf(item, outlet);
  AddCsvLine(out, item, outlet, code.empty() ? '\0' : code[0]);
}

void SystemLog::AddCsvLine(std::string* out, const ItemRow& item, int outlet, char kind) {
  const Grid& t = app.Form4().StringGrid1;
  const int row = item.row;
  auto word = [&](int col) { return HexToInt(CopyView(t.Cell(col, row), 5 * (outlet - 1) + 1, 4)); };
  *out += t.Cell(21, row);  // RecvDate
  *out += ',';
  *out += t.Cell(22, row);  // RecvTime
  *out += ',';
  AppendDecimal(*out, row);  // device ID
  *out += ',';
  AppendDecimal(*out, outlet);
  *out += ',';
  // item kind
  if (kind >= '0' && kind <= '9')
    *out += kind;
  else
    *out += "99";
  *out += ',';
  AppendItemStateTriple(*out, item, outlet);  // power,ping,temperature
  *out += ',';
  AppendDecimal(*out, word(27));  // OlWordA
  *out += ',';
  AppendDecimal(*out, word(29) / 10);  // OlWordC
  *out += ',';
  AppendDecimal(*out, word(33));  // PngJudge
  *out += ',';
  AppendDecimal(*out, word(40));  // PngExecNum
  *out += ',';
  *out += t.Cell(61, row);  // CurTemp
  *out += ',';
  AppendDecimal(*out, HexToInt(t.Cell(60, row)));  // ActionStatus
}

void SystemLog::logdatasave(const std::string& file, int row, int outlet) {
  line_.clear();
  AddCsvLine(&line_, row, outlet);
  LogSave(LogPath(app.settings().LogDir, file), line_);
}

void SystemLog::OutletLogSave(int row, int outlet, const DateTime& now) {
  const uint64_t ms = app.clock().BootMillis();
  const ItemRow item(app.Form4().StringGrid1, row, static_cast<int64_t>(ms / 1000), app.settings().TimeOutMin);
  OutletLogSave(item, outlet, now, ms);
}

void SystemLog::OutletLogSave(const ItemRow& item, int outlet, const DateTime& now, uint64_t ms) {
  const int row = item.row;
  if (PlainLogSave || row < 0 || outlet < 0 || outlet > 8) {
    logdatasave(OutletCsvLogName(row, outlet, now), row, outlet);
    return;
  }
  const std::string& LogDir = app.settings().LogDir;
  if (LogDir != outlet_files_dir_) {
    outlet_files_.clear();
    outlet_files_dir_ = LogDir;
  }
  const size_t slot = static_cast<size_t>(row) * 9 + static_cast<size_t>(outlet);
  if (slot >= outlet_files_.size()) outlet_files_.resize(slot + 1);
  OutletFile& file = outlet_files_[slot];
  const int day = now.year * 10000 + now.month * 100 + now.day;
  line_.clear();
  AddCsvLine(&line_, item, outlet, ItemKindOf(item, outlet));
  line_ += "\r\n";
  if (file.day == day && log_files.AppendTo(file.file, line_.data(), line_.size(), ms)) return;
  file.day = day;
  log_files.Append(LogPath(LogDir, OutletCsvLogName(row, outlet, now)), line_.data(), line_.size(), ms, &file.file);
}

}  // namespace zol
