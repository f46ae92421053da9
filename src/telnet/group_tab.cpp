#include "telnet/group_tab.h"

#include "common/files.h"
#include "common/scramble.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/system_log.h"
#include "telnet/device_editor.h"

namespace zol {

GroupTab::GroupTab(App& a) : app(a) {
  BitBtn5.SetCaption("送信開始");
}

int GroupTab::GroupQueue(int operation) {
  const int pos = DecimalOr(CsvField(SendQueue, 2), 0);
  if (operation == 1) {
    SendQueue = CsvSetField(SendQueue, std::to_string(pos + 1), 2);
    return DecimalOr(CsvField(SendQueue, pos + 3), 0);
  }
  const int id = DecimalOr(CsvField(SendQueue, pos + 2), 0);
  const std::string& connect = app.Form4().StringGrid1.Cell(dtcol::ConnectInfo, id);
  DeviceEditor& form5 = app.Form5();
  form5.SessionPassword = Scramble(CsvField(connect, 4), 0);
  form5.SessionPort = std::to_string(DecimalOr(CsvField(connect, 5), 23));
  return id;
}

void GroupTab::grpmessin(const std::string& text) {
  Memo2.Add(TimeText(app.clock().Now()) + " " + text);
}

std::string GroupSendLogName(const DateTime& end) {
  return "gs" + Yyyymmdd(end) + Hhnnss(end) + ".log";
}

bool GroupTab::GroupSendLogSave(const DateTime& end) {
  std::string bytes;
  for (const std::string& line : Memo2.All()) bytes += line + "\r\n";
  const std::string path = LogPath(app.settings().LogDir, GroupSendLogName(end));
  std::string err;
  if (WriteFileAtomic(path, bytes, &err)) return true;
  app.boxes().Show(path + ": " + err, BoxKind::Error, BoxButtons::Ok);
  return false;
}

}  // namespace zol
