#include "monitor/change_detection.h"

#include <stdexcept>

#include "common/files.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/icon_view.h"
#include "monitor/item_state.h"
#include "monitor/monitoring.h"
#include "monitor/system_log.h"
#include "settings/message_editor.h"

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

constexpr int kSlots = kOutletSlots;

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

namespace {

// The eight slots of ItemImages, slot k at characters 5(k - 1) + 1 to
// 5(k - 1) + 4 read as a decimal number, default 8.
struct ItemImageSlots {
  explicit ItemImageSlots(const std::string& images) : stored_form(InStoredForm(images)) {
    for (int k = 1; k <= kSlots; ++k) {
      const size_t p = 5 * static_cast<size_t>(k - 1);
      slot[k] = stored_form ? (images[p] - '0') * 1000 + (images[p + 1] - '0') * 100 + (images[p + 2] - '0') * 10 +
                                  (images[p + 3] - '0')
                            : DecimalOr(CopyView(images, static_cast<int>(p) + 1, 4), 8);
    }
  }
  // Whether images reads as the eight slots written back: each slot four
  // digits followed by a blank, and nothing more.
  static bool InStoredForm(const std::string& images) {
    if (images.size() != 5 * kSlots) return false;
    const char* p = images.data();
    for (int k = 0; k < kSlots; ++k, p += 5) {
      if (!IsDigit(p[0]) || !IsDigit(p[1]) || !IsDigit(p[2]) || !IsDigit(p[3]) || p[4] != ' ') return false;
    }
    return true;
  }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  // Slot k of a cell in the stored form.
  static int StoredSlot(const std::string& images, int k) {
    const size_t p = 5 * static_cast<size_t>(k - 1);
    return (images[p] - '0') * 1000 + (images[p + 1] - '0') * 100 + (images[p + 2] - '0') * 10 + (images[p + 3] - '0');
  }
  // The text written back: each slot ZeroPad (slot, 4) + " ".
  std::string Text() const {
    std::string out;
    out.reserve(5 * kSlots);
    for (int k = 1; k <= kSlots; ++k) {
      const int v = slot[k];
      if (v >= 0 && v <= 9999) {
        char group[5];
        ZeroPad4(v, group);
        group[4] = ' ';
        out.append(group, sizeof group);
      } else {
        out += ZeroPad(v, 4) + " ";
      }
    }
    return out;
  }
  bool stored_form;  // the cell already holds Text() of these slots
  int slot[kSlots + 1];
};

// Character pos (1-based) of the notify flags followed by "0000000000000000000",
// so a short or empty cell reads as "0".
char NotifyFlag(const std::string& flags, int pos) {
  return static_cast<size_t>(pos) <= flags.size() ? flags[static_cast<size_t>(pos - 1)] : '0';
}

// The caption of a temperature icon: its first 12 bytes padded with blanks
// to 12, then "(" + t + "℃)".
std::string TemperatureCaption(const std::string& caption, const std::string& t) {
  std::string out;
  out.reserve(12 + t.size() + 4);
  out.append(caption, 0, 12);
  out.resize(12, ' ');
  out += "(";
  out += t;
  out += "℃)";
  return out;
}

}  // namespace

Alerts::Alerts(App& a) : app(a) {}

void Alerts::ListDataCheck(int r, int i) {
  if (r == 0 || i == 0) return;
  const int TimeOutMin = app.settings().TimeOutMin;
  const ItemRow row(app.Form4().StringGrid1, r, ReceiveClock(app.clock()), TimeOutMin);
  ListDataCheck(row, i, ItemStateOf(row, i));
}

// code: the item's ItemState, computed from row by the caller.
void Alerts::ListDataCheck(const ItemRow& row, int i, const std::string& code) {
  const int r = row.row;
  if (r == 0 || i == 0) return;
  IconList& ListView1 = app.icons().ListView1;
  ItemStates& states = app.item_states();
  // The item's icon; without one nothing is evaluated.
  const int idx = app.icons().FindIcon(r, i);
  if (idx < 0) return;
  const size_t icon = static_cast<size_t>(idx);
  Grid& table = app.Form4().StringGrid1;

  // The icon's image from the code; a temperature item's caption with the
  // temperature.
  const int old_image = ListView1.Item(icon).image;
  ListView1.SetImage(icon, StateImageOfCode(code));
  if (CodeDigit(code, 0, 99) == 2 && CodeDigit(code, 1, 99) < 8) {
    static const std::string kNoTemp = "--";
    const std::string& cur = table.Cell(dtcol::CurTemp, r);
    const std::string& caption = ListView1.Item(icon).caption;
    if (caption.size() < 13 || caption.find("℃") != std::string::npos)
      ListView1.SetCaption(icon, TemperatureCaption(caption, cur.empty() ? kNoTemp : cur));
  }
  const int new_image = ListView1.Item(icon).image;
  if (new_image != old_image) app.icons().ImagesChanged(r);

  // The recorded slots; a changed item while monitoring runs is recorded
  // and raises its log line, sound and mail line. The usual case, a cell in
  // its written-back form whose slot holds the picture, reads one slot.
  const std::string& images = table.Cell(dtcol::ItemImages, r);
  if (i <= kSlots && ItemImageSlots::InStoredForm(images) && ItemImageSlots::StoredSlot(images, i) == new_image) return;
  ItemImageSlots slots(images);
  bool changed = !slots.stored_form;

  if (i <= kSlots && slots.slot[i] != new_image && !app.monitoring().ToolButton1.Enabled()) {
    slots.slot[i] = new_image;
    changed = true;
    const std::string new_text = states.StateImageText(new_image, r);
    app.system_log().SysLoging(200, DeviceIdText(r) + " Outlet" + std::to_string(i) + " " + new_text);
    const std::string& flags = table.Cell(dtcol::NotifyFlags, r);
    AlertRule rule;
    if (RuleOf(AlertKindOf(new_image, old_image), &rule)) {
      if (NotifyFlag(flags, rule.sound_flag) == '1') Soundplay(rule.sound_kind);
      if (NotifyFlag(flags, rule.mail_flag) == '1')
        MailBodyAdd(r, EventLine(i, new_text, states.StateImageText(old_image, r),
                                 CsvField(table.Cell(dtcol::OutletNames, r), i)));
    }
  }

  // Written back whether or not anything changed; a cell that already holds
  // the same text is left as it is.
  if (changed) table.SetCell(dtcol::ItemImages, r, slots.Text());
}

void Alerts::Soundplay(int kind) {
  if (kind < 1 || kind > 4) return;
  const ConsoleSettings& settings = app.settings();
  const int mode = settings.SoundFlg[static_cast<size_t>(kind)];
  const std::string& file = settings.SoundFName[static_cast<size_t>(kind)];
  if (mode <= 0) return;
  if (mode == 1) {
    app.sound().Beep();
  } else if (FileExists(file)) {
    app.sound().PlayWav(file);
  }
}

void Alerts::MailBodyAdd(int row, const std::string& line) {
  for (DeviceMail& mail : MailBody) {
    if (mail.row == row) {
      mail.lines.push_back(line);
      return;
    }
  }
  MailBody.push_back(DeviceMail{row, {line}});
}

void Alerts::MailBodyClear() {
  if (!app.settings().MailOn) MailBody.clear();
}

void DebugWindow::eMailSend1(int /*row*/) {
  // Every device with collected lines gets its own mail, in the order the
  // devices were raised, each counted against the daily limit. Lines over
  // the limit stay collected for a later send.
  Alerts& main = app.alerts();
  const ConsoleSettings& settings = app.settings();
  while (!main.MailBody.empty()) {
    if (!settings.MailOn) return;
    const int limit = DecimalOr(settings.MailLimit, 100);
    if (limit < main.MailCount + 1) return;
    ++main.MailCount;

    Alerts::DeviceMail mail = std::move(main.MailBody.front());
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
    MessageEditor& mail_form = app.frmMessageEditor();
    mail_form.Memo1.Assign(std::move(body));
    mail_form.MailSend();
  }
}

}  // namespace zol
