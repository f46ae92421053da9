#include "monitor/change_detection.h"

#include <stdexcept>

#include "common/files.h"
#include "common/text.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/icon_view.h"
#include "monitor/item_state.h"

namespace zol {

AlertKind AlertKindOf(int new_image, int old_image) {
  switch (new_image) {
    case 1: case 4: return AlertKind::Caution;
    case 2: case 5: return AlertKind::Alarm;
    case 0: case 3: return old_image < 9 ? AlertKind::Recovery : AlertKind::None;
    case 8: return AlertKind::TimeOut;
    default: return AlertKind::None;
  }
}

std::string PadBytes(const std::string& text, size_t width) {
  std::string out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

std::string EventLine(int outlet, const std::string& new_text, const std::string& old_text,
                      const std::string& outlet_name) {
  return std::to_string(outlet) + ": " + PadBytes(new_text, 20) + "<- " +
         PadBytes(old_text.substr(0, old_text.find('(')), 12) + outlet_name;
}

namespace {

constexpr int kSlots = 8;

struct AlertRule {
  int sound_flag;  // NotifyFlags character of the sound
  int sound_kind;  // SoundKind
  int mail_flag;   // NotifyFlags character of the mail line
};

bool RuleOf(AlertKind kind, AlertRule* rule) {
  switch (kind) {
    case AlertKind::Caution: *rule = {10, 1, 1}; return true;
    case AlertKind::Alarm: *rule = {11, 2, 2}; return true;
    case AlertKind::Recovery: *rule = {12, 3, 3}; return true;
    case AlertKind::TimeOut: *rule = {13, 4, 4}; return true;
    default: return false;
  }
}

}  // namespace

void MainWindow::ListDataCheck(int r, int i) {
  if (r == 0 || i == 0) return;
  const int idx = FindIcon(r, i);
  if (idx < 0) return;
  const size_t icon = static_cast<size_t>(idx);
  Grid& table = app.Form4().StringGrid1;

  const std::string code = ItemState(r, i);
  const int old_image = ListView1.Item(icon).image;
  ListView1.SetImage(icon, StateImageOfCode(code));
  if (CodeDigit(code, 0, 99) == 2 && CodeDigit(code, 1, 99) < 8) {
    std::string t = table.Cell(dtcol::CurTemp, r);
    if (t.empty()) t = "--";
    const std::string& caption = ListView1.Item(icon).caption;
    if (caption.size() < 13 || caption.find("℃") != std::string::npos)
      ListView1.SetCaption(icon, PadBytes(caption.substr(0, 12), 12) + "(" + t + "℃)");
  }
  const int new_image = ListView1.Item(icon).image;

  const std::string images = table.Cell(dtcol::ItemImages, r);
  int slot[kSlots + 1];
  for (int k = 1; k <= kSlots; ++k) slot[k] = DecimalOr(WordAt(images, k), 8);

  if (i <= kSlots && slot[i] != new_image && !ToolButton1.Enabled()) {
    slot[i] = new_image;
    SysLoging(200, DeviceIdText(r) + " Outlet" + std::to_string(i) + " " + StateImageText(new_image, r));
    const std::string line = EventLine(i, StateImageText(new_image, r), StateImageText(old_image, r),
                                       CsvField(table.Cell(dtcol::OutletNames, r), i));
    const std::string flags = table.Cell(dtcol::NotifyFlags, r) + "0000000000000000000";
    AlertRule rule;
    if (RuleOf(AlertKindOf(new_image, old_image), &rule)) {
      if (flags[static_cast<size_t>(rule.sound_flag - 1)] == '1') Soundplay(rule.sound_kind);
      if (flags[static_cast<size_t>(rule.mail_flag - 1)] == '1') MailBodyAdd(r, line);
    }
  }

  std::string out;
  for (int k = 1; k <= kSlots; ++k) out += ZeroPad(slot[k], 4) + " ";
  table.SetCell(dtcol::ItemImages, r, out);
}

void MainWindow::Soundplay(int kind) {
  if (kind < 1 || kind > 4) return;
  const int mode = SoundFlg[static_cast<size_t>(kind)];
  const std::string& file = SoundFName[static_cast<size_t>(kind)];
  if (mode <= 0) return;
  if (mode == 1) {
    app.sound().Beep();
  } else if (FileExists(file)) {
    app.sound().PlayWav(file);
  }
}

void MainWindow::MailBodyAdd(int row, const std::string& line) {
  for (DeviceMail& mail : MailBody) {
    if (mail.row == row) {
      mail.lines.push_back(line);
      return;
    }
  }
  MailBody.push_back(DeviceMail{row, {line}});
}

void MainWindow::MailBodyClear() {
  if (!MailOn) MailBody.clear();
}

void DebugWindow::eMailSend1(int /*row*/) {
  // Every device with collected lines gets its own mail, in the order the
  // devices were raised, each counted against the daily limit. Lines over
  // the limit stay collected for a later send.
  MainWindow& main = app.Form2();
  while (!main.MailBody.empty()) {
    if (!main.MailOn) return;
    const int limit = DecimalOr(main.MailLimit, 100);
    if (limit < main.MailCount + 1) return;
    ++main.MailCount;

    MainWindow::DeviceMail mail = std::move(main.MailBody.front());
    main.MailBody.erase(main.MailBody.begin());
    const int r = mail.row;
    const Grid& table = StringGrid1;
    std::vector<std::string> body;
    std::string time_line = table.Cell(dtcol::RecvDate, r) + " " + table.Cell(dtcol::RecvTime, r);
    const std::string& prev = table.Cell(dtcol::PrevRecv, r);
    if (!CsvField(prev, 1).empty()) time_line += "   (" + CsvField(prev, 1) + " " + CsvField(prev, 2) + ")";
    body.push_back(time_line);
    body.push_back(DeviceIdText(r) + " " + table.Cell(dtcol::DeviceName, r) + " (" +
                   table.Cell(dtcol::GroupName, r) + ")");
    body.push_back(table.Cell(dtcol::DeviceMemo, r));
    body.push_back(std::string());
    body.insert(body.end(), mail.lines.begin(), mail.lines.end());
    if (Copy(table.Cell(dtcol::NotifyFlags, r), 5, 1) == "1") {
      body.push_back(std::string());
      body.push_back("IP Addr  : " + table.Cell(dtcol::IpAddress, r));
      body.push_back("MAC Addr : " + table.Cell(dtcol::MacAddress, r));
    }
    if (app.hooks.MailSend) app.hooks.MailSend(body);
  }
}

void DebugWindow::eMailSendAll(int row) {
  // A mail error is shown and the sending goes on with the next device's
  // mail (the failed one has left the body), until a send neither fails nor
  // shortens the body.
  MainWindow& main = app.Form2();
  for (;;) {
    const size_t before = main.MailBody.size();
    try {
      eMailSend1(row);
      return;
    } catch (const std::runtime_error& e) {
      app.boxes().Show(e.what(), BoxKind::Error, BoxButtons::Ok);
    }
    if (main.MailBody.empty() || main.MailBody.size() >= before) return;
  }
}

}  // namespace zol
