#include "monitor/item_state.h"

#include "common/text.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"

namespace zol {

int64_t ReceiveClock(Clock& clock) { return static_cast<int64_t>(clock.BootMillis() / 1000); }

std::string WordAt(const std::string& list, int i) { return Copy(list, 5 * (i - 1) + 1, 4); }

std::string ByteItemAt(const std::string& list, int i) { return Copy(list, 3 * (i - 1) + 1, 2); }

int CodeDigit(const std::string& code, size_t pos, int def) {
  if (pos >= code.size()) return def;
  return DecimalOr(code.substr(pos, 1), def);
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

// Outlet count of the row: field 1 of OutletInfo, 1 when it is not a number.
int OutletCount(const Grid& table, int row) {
  return DecimalOr(CsvField(table.Cell(dtcol::OutletInfo, row), 1), 1);
}

// Sum of outlet i's no-response counts over every PING target. The list
// holds one group of n counts per target; a count of 0 outlets still walks
// the groups one word apart instead of standing still.
int64_t NoRespSum(const std::string& list, int n, int i, bool hex) {
  const size_t stride = 5 * static_cast<size_t>(n > 0 ? n : 1);
  int64_t sum = 0;
  for (size_t first = 0; first < list.size(); first += stride) {
    std::string word = Copy(list, static_cast<int>(first) + 5 * (i - 1) + 1, 4);
    sum += hex ? HexToInt(word) : DecimalOr(word, 0);
  }
  return sum;
}

// The PING judgement of outlet i folded into J; the state digit is J - 1.
// The item code treats judgement 3 as normal, the CSV triple does not.
int PingJudge(const Grid& table, int row, int i, bool item_code) {
  int n = OutletCount(table, row);
  int j = DecimalOr(WordAt(table.Cell(dtcol::PngJudge, row), i), 10);
  int64_t sum = NoRespSum(table.Cell(dtcol::PngNoResp2, row), n, i, item_code);
  if (item_code && j == 3) j = 1;
  if (j == 0) j = 1;
  if (j == 2) j = 3;
  if (j == 1 && sum > 0) j = 2;
  if (DecimalOr(WordAt(table.Cell(dtcol::PngAction, row), i), 0) == 0) j = 10;
  return j;
}

// The temperature state digit t of outlet i.
std::string TempState(const Grid& table, int row, int i) {
  int a = DecimalOr(table.Cell(dtcol::Status, row), 9);
  int act = DecimalOr(ByteItemAt(table.Cell(dtcol::TmpActions, row), i), 0);
  std::string t;
  if (act == 1 || act == 3) {
    t = a >= 3 ? "0" : std::to_string(a);
  } else if (act == 2 || act == 4) {
    t = (a > 2 && a < 6) ? std::to_string(a - 2) : "0";
  }
  if (t.empty() || a == 9) t = "9";
  return t;
}

}  // namespace

std::string MainWindow::ItemState(int row, int outlet) {
  const Grid& table = app.Form4().StringGrid1;
  int k = DecimalOr(Copy(table.Cell(dtcol::ItemKinds, row), outlet, 1), 99);
  std::string code;
  if (k == 0) {
    code = "0" + std::to_string(DecimalOr(WordAt(table.Cell(dtcol::PngPower, row), outlet), 9));
  } else if (k == 1) {
    code = "1" + std::to_string(PingJudge(table, row, outlet, true) - 1);
  } else if (k == 2) {
    code = "2" + TempState(table, row, outlet);
  }

  int64_t tick = DecimalOr(table.Cell(dtcol::RecvTick, row), 0);
  if (table.Cell(dtcol::RecvDate, row).empty() || TimeOutMin == 0) tick = 0;
  int64_t bound = ReceiveClock(app.clock()) - static_cast<int64_t>(TimeOutMin) * 60;
  if (tick > 0 && tick < bound) code = code.substr(0, 1) + "8";
  return code;
}

std::string MainWindow::StateImageText(int image, int row) {
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

std::string MainWindow::ItemStateTriple(int row, int outlet) {
  const Grid& table = app.Form4().StringGrid1;
  int power = DecimalOr(WordAt(table.Cell(dtcol::OlWordB, row), outlet), 9);
  int ping = PingJudge(table, row, outlet, false) - 1;
  return std::to_string(power) + "," + std::to_string(ping) + "," + TempState(table, row, outlet);
}

}  // namespace zol
