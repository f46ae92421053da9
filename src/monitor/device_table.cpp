#include "monitor/device_table.h"

#include <algorithm>
#include <optional>

#include "common/text.h"
#include "console/app.h"
#include "console/chart_window.h"
#include "console/console_settings.h"
#include "console/detail_window.h"
#include "console/device_tree.h"
#include "monitor/change_detection.h"
#include "monitor/debug_window.h"
#include "monitor/icon_view.h"
#include "monitor/item_state.h"
#include "monitor/system_log.h"

namespace zol {

std::string DeviceIdText(int row) {
  if (row < 0 || row > 999) return "ID" + ZeroPad(row, 3);
  const char text[5] = {'I', 'D', static_cast<char>('0' + row / 100), static_cast<char>('0' + row / 10 % 10),
                        static_cast<char>('0' + row % 10)};
  return std::string(text, sizeof text);
}

std::string RecvLabel(const std::string& ip) {
  // "[" + ip + "]" and seven blanks, cut to 17 characters.
  std::string label;
  label.reserve(24);
  label += '[';
  label.append(ip, 0, 16);
  if (label.size() < 17) label += ']';
  label.resize(std::min<size_t>(17, ip.size() + 2 + 7), ' ');
  return label;
}

std::string RecvLogLine(const std::string& date, const std::string& time, const std::string& label) {
  static const std::string kReceived = " DATAを受信しました。";
  std::string line;
  line.reserve(date.size() + 1 + time.size() + kReceived.size() + label.size());
  line += date;
  line += ' ';
  line += time;
  line += kReceived;
  line += label;
  return line;
}

ReceiveView::ReceiveView() {
  Panel21.SetVisible(false);
  RefTimePanel.SetHint("更新時刻");
}

void DebugWindow::LastDataCnt() {
  LastRow = 1;
  UsedRows = 0;
  for (int r = 1; r <= 999; ++r) {
    if (!StringGrid1.Cell(dtcol::MacAddress, r).empty()) {
      LastRow = r;
      ++UsedRows;
    }
  }
  Label1.SetCaption(std::to_string(LastRow) + "/" + std::to_string(UsedRows));
  Label2.SetCaption("Max: " + std::to_string(UsedRows));
}

void DebugWindow::DataInviteCheck(int b) {
  Alerts& alerts = app.alerts();
  ReceiveView& main = app.receive_view();
  const ConsoleSettings& settings = app.settings();
  Grid& table = StringGrid1;
  auto live = [this, b](int k) -> const std::string& { return StringGridBuff.Cell(k + 1, b); };
  // The CSV lines are written while the rest of the datagram goes on; all
  // of them are in their files when this returns.
  std::optional<AppendFiles::Batch> csv_lines;
  const std::string mac = live(4);
  const std::string ip = live(2);

  int found = 0;
  if (app.icons().PlainRoad) {
    for (int r = 1; r <= LastRow + 1 && r <= 999; ++r) {
      const std::string& cell = table.Cell(dtcol::MacAddress, r);
      if (!cell.empty() && cell == mac) {
        found = r;
        break;
      }
    }
  } else {
    found = mac_index.Find(table, mac, std::min(LastRow + 1, 999));
  }

  std::string label = RecvLabel(ip);
  if (found > 0) {
    const int r = found;
    std::string& prev = prev_recv_;
    prev.assign(table.Cell(dtcol::RecvDate, r));
    prev += ',';
    prev += table.Cell(dtcol::RecvTime, r);
    table.SetCell(dtcol::PrevRecv, r, prev);
    table.SetCell(dtcol::RecvTick, r, std::to_string(ReceiveClock(app.clock())));
    for (int k = 0; k < kLiveFields; ++k) table.SetCell(dtcol::Live + k, r, live(k));
    table.SetCell(dtcol::MacAddress, r, table.Cell(dtcol::SrcMac, r));
    table.SetCell(dtcol::LiveBase, r, "20");
    table.SetCell(dtcol::IpAddress, r, table.Cell(dtcol::SrcIp, r));
    table.SetCell(dtcol::TmpActionCopy, r, table.Cell(dtcol::TmpActions, r));
    label += DeviceIdText(r);
    const int n = std::min(DecimalOr(table.Cell(dtcol::OlCount, r), 0), kOutletSlots);

    // The CSV lines of the outlets whose log flag is on (one character, a
    // digit above 0), each read from the row as it stands, looked up once.
    SystemLog& system_log = app.system_log();
    DateTime now;
    auto write_csv_lines = [&] {
      const std::string log_flags = table.Cell(dtcol::LogFlags, r);
      now = app.clock().Now();
      csv_lines.emplace(system_log.log_files);
      const uint64_t ms = app.clock().BootMillis();
      const ItemRow csv_row(table, r, static_cast<int64_t>(ms / 1000), settings.TimeOutMin);
      for (int i = 1; i <= n && static_cast<size_t>(i) <= log_flags.size(); ++i) {
        const char flag = log_flags[static_cast<size_t>(i - 1)];
        if (flag >= '1' && flag <= '9') system_log.OutletLogSave(csv_row, i, now, ms);
      }
    };
    // They come after the mails are handed over. With sending off no mail
    // goes out, so nothing up to there writes a cell the lines read (the
    // evaluation writes only ItemImages): the lines then go first and are
    // written while the changes are detected.
    const bool lines_first = !settings.MailOn && !app.icons().PlainRoad;
    if (lines_first) write_csv_lines();

    alerts.MailBodyClear();
    // Outlets past the end of the flag texts have no flag set. The row's
    // cells are looked up once for all its outlets; the evaluation writes
    // only ItemImages, which no item state reads.
    const std::string icon_flags = table.Cell(dtcol::IconFlags, r);
    const ItemRow item_row(table, r, ReceiveClock(app.clock()), settings.TimeOutMin);
    for (int i = 1; i <= n && static_cast<size_t>(i) <= icon_flags.size(); ++i) {
      if (icon_flags[static_cast<size_t>(i - 1)] == '1') alerts.ListDataCheck(item_row, i, ItemStateOf(item_row, i));
    }

    // The mails go out beside the window: the rest of the datagram runs at
    // once, and a mail error is shown later, from the event loop.
    eMailSend1(r);

    if (main.DetailDevice == r) app.Form6().Refill(r);

    if (!lines_first) write_csv_lines();

    main.RefTimePanel.SetCaption(DateText(now) + " " + TimeText(now));

    if (settings.TempDevice > 0 && settings.TempDevice == r) {
      for (size_t k = main.TempHistory.size() - 1; k > 0; --k) main.TempHistory[k] = main.TempHistory[k - 1];
      main.TempHistory[0] = table.Cell(dtcol::RecvDate, r) + "," + table.Cell(dtcol::RecvTime, r) + "," +
                            table.Cell(dtcol::CurTemp, r);
      main.TempLabel.SetCaption(table.Cell(dtcol::CurTemp, r));
      app.Form11().ChartRefresh();
    }
  } else {
    Grid& unreg = StringGrid2;
    const int last = unreg.RowCount() - 1;
    int row = last;
    for (int r = 1; r <= last; ++r) {
      if (unreg.Cell(5, r) == mac) {
        row = r;
        break;
      }
    }
    if (row >= 1 && unreg.RowCount() >= 2 && UnregGuard) {
      UnregGuard = false;
      for (int k = 0; k < kLiveFields; ++k) unreg.SetCell(1 + k, row, live(k));
      if (row == last && unreg.RowCount() < kUnregMaxRows) {
        // The list keeps the new device in this row and gets a new scratch
        // row; the tree adds the device's node under G000.
        unreg.SetRowCount(unreg.RowCount() + 1);
        app.tree().TreeUnRegData("[" + mac + "] " + ip, 1);
      }
      UnregGuard = true;
    }
    label += "未登録";
  }

  main.ListBox1.Insert(0, RecvLogLine(live(0), live(1), label));
  for (int k = 0; k < 3; ++k) {
    if (main.ListBox1.Count() > kRecvLogLines) main.ListBox1.Delete(main.ListBox1.Count() - 1);
  }

  app.tree().ListIconRef();
}

}  // namespace zol
