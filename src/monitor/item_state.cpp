#include "monitor/item_state.h"

#include <charconv>

#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"

namespace zol {

int64_t ReceiveClock(Clock& clock) { return static_cast<int64_t>(clock.BootMillis() / 1000); }

std::string WordAt(const std::string& list, int i) { return Copy(list, 5 * (i - 1) + 1, 4); }

std::string ByteItemAt(const std::string& list, int i) { return Copy(list, 3 * (i - 1) + 1, 2); }

int CodeDigit(const std::string& code, size_t pos, int def) {
  if (pos >= code.size()) return def;
  const char c = code[pos];
  return c >= '0' && c <= '9' ? c - '0' : def;
}

int StateImageOfCode(const std::string& code) {
  int k = CodeDigit(code, 0, 99);
  int s = CodeDigit(code, 1, 99);
  if (s >= 8) return s;
  if (k == 0) return s + 6;
  if (k == 1) return s;
  if (k == 2) return s + 3;
  return 99;
}

namespace {

// Word i and byte item i of a list as views (WordAt and ByteItemAt without
// the copy).
std::string_view WordView(const std::string& list, int i) { return CopyView(list, 5 * (i - 1) + 1, 4); }
std::string_view ByteItemView(const std::string& list, int i) { return CopyView(list, 3 * (i - 1) + 1, 2); }

// The kind digit followed by the state in decimal.
std::string Code(char kind, int state) {
  char text[16];
  text[0] = kind;
  const char* end = std::to_chars(text + 1, text + sizeof text, state).ptr;
  return std::string(text, static_cast<size_t>(end - text));
}

// Sum of outlet i's no-response counts over every PING target. The list
// holds one group of n counts per target; a count of 0 outlets still walks
// the groups one word apart instead of standing still.
int64_t NoRespSum(const std::string& list, int n, int i, bool hex) {
  const size_t stride = 5 * static_cast<size_t>(n > 0 ? n : 1);
  int64_t sum = 0;
  for (size_t first = 0; first < list.size(); first += stride) {
    const int pos = static_cast<int>(first) + 5 * (i - 1) + 1;
    const std::string_view word = CopyView(list, pos, 4);
    sum += hex ? HexToInt(word) : WordDecimalOr(word, 0);
  }
  return sum;
}

// The PING judgement of outlet i folded into J; the state digit is J - 1.
// The item code treats judgement 3 as normal, the CSV triple does not.
int PingJudge(const ItemRow& row, int i, bool item_code) {
  int j = WordDecimalOr(WordView(row.judge, i), 10);
  int64_t sum = NoRespSum(row.no_resp, row.outlets, i, item_code);
  if (item_code && j == 3) j = 1;
  if (j == 0) j = 1;
  if (j == 2) j = 3;
  if (j == 1 && sum > 0) j = 2;
  if (WordDecimalOr(WordView(row.action, i), 0) == 0) j = 10;
  return j;
}

// The temperature state digit t of outlet i.
int TempState(const ItemRow& row, int i) {
  const int a = row.status;
  const int act = WordDecimalOr(ByteItemView(row.tmp_actions, i), 0);
  bool set = false;  // t is still empty
  int t = 0;
  if (act == 1 || act == 3) {
    t = a >= 3 ? 0 : a;
    set = true;
  } else if (act == 2 || act == 4) {
    t = (a > 2 && a < 6) ? a - 2 : 0;
    set = true;
  }
  if (!set || a == 9) t = 9;
  return t;
}

}  // namespace

ItemRow::ItemRow(const Grid& table, int r, int64_t now, int timeout_min)
    : row(r),
      outlets(DecimalOr(CsvFieldView(table.Cell(dtcol::OutletInfo, r), 1), 1)),
      status(DecimalOr(table.Cell(dtcol::Status, r), 9)),
      timed_out(false),
      kinds(table.Cell(dtcol::ItemKinds, r)),
      power(table.Cell(dtcol::PngPower, r)),
      judge(table.Cell(dtcol::PngJudge, r)),
      action(table.Cell(dtcol::PngAction, r)),
      no_resp(table.Cell(dtcol::PngNoResp2, r)),
      tmp_actions(table.Cell(dtcol::TmpActions, r)),
      outlet_word_b(table.Cell(dtcol::OlWordB, r)) {
  // The time-out overlay, in 64-bit signed arithmetic: a small clock gives a
  // negative bound and no time-out.
  int64_t tick = DecimalOr(table.Cell(dtcol::RecvTick, r), 0);
  if (table.Cell(dtcol::RecvDate, r).empty() || timeout_min == 0) tick = 0;
  const int64_t bound = now - static_cast<int64_t>(timeout_min) * 60;
  timed_out = tick > 0 && tick < bound;
}

std::string ItemStateOf(const ItemRow& row, int outlet) {
  const int k = WordDecimalOr(CopyView(row.kinds, outlet, 1), 99);
  std::string code;
  if (k == 0) {
    code = Code('0', WordDecimalOr(WordView(row.power, outlet), 9));
  } else if (k == 1) {
    code = Code('1', PingJudge(row, outlet, true) - 1);
  } else if (k == 2) {
    code = Code('2', TempState(row, outlet));
  }
  if (row.timed_out) code = code.substr(0, 1) + "8";
  return code;
}

char ItemKindOf(const ItemRow& row, int outlet) {
  const int k = WordDecimalOr(CopyView(row.kinds, outlet, 1), 99);
  if (k >= 0 && k <= 2) return static_cast<char>('0' + k);
  return row.timed_out ? '8' : '\0';
}

void AppendItemStateTriple(std::string& out, const ItemRow& row, int outlet) {
  const int power = WordDecimalOr(WordView(row.outlet_word_b, outlet), 9);
  const int ping = PingJudge(row, outlet, false) - 1;
  const int temp = TempState(row, outlet);
  // power "," ping "," temp, in decimal.
  AppendDecimal(out, power);
  out += ',';
  AppendDecimal(out, ping);
  out += ',';
  AppendDecimal(out, temp);
}

std::string ItemStateTripleOf(const ItemRow& row, int outlet) {
  std::string text;
  AppendItemStateTriple(text, row, outlet);
  return text;
}

ItemStates::ItemStates(App& a) : app(a) {}

std::string ItemStates::ItemState(int row, int outlet) {
  const int TimeOutMin = app.settings().TimeOutMin;
  return ItemStateOf(ItemRow(app.Form4().StringGrid1, row, ReceiveClock(app.clock()), TimeOutMin), outlet);
}

std::string ItemStates::StateImageText(int image, int row) {
  static const char* const kTexts[10] = {"PING 正常", "PING 注意", "PING 異常", "温度 正常", "温度 注意",
                                         "温度 警報", "電源 OFF",  "電源 ON",   "TimeOut",   "不明"};
  if (image < 0 || image > 9) return std::string();
  std::string text = kTexts[image];
  if (image >= 3 && image <= 5) {
    const std::string& cur = app.Form4().StringGrid1.Cell(dtcol::CurTemp, row);
    if (!cur.empty()) text += " (" + cur + "℃)";
  }
  return text;
}

std::string ItemStates::ItemStateTriple(int row, int outlet) {
  const int TimeOutMin = app.settings().TimeOutMin;
  return ItemStateTripleOf(ItemRow(app.Form4().StringGrid1, row, ReceiveClock(app.clock()), TimeOutMin), outlet);
}

}  // namespace zol
