// Temporary item state routines for the CSV log until the item state model
// is merged; removed then.
#include <string>

#include "common/text.h"
#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"

namespace zol {

namespace {

std::string Word(const std::string& list, int i) { return Copy(list, 5 * (i - 1) + 1, 4); }

int PingJudge(const Grid& t, int r, int i, bool hex_counts, bool fold3) {
  int n = DecimalOr(CsvField(t.Cell(4, r), 1), 1);
  if (n < 1) n = 1;
  int j = DecimalOr(Word(t.Cell(33, r), i), 10);
  const std::string& counts = t.Cell(42, r);
  long long sum = 0;
  for (size_t g = 0; 5 * static_cast<size_t>(n) * g + 1 <= counts.size(); ++g) {
    std::string w = Copy(counts, static_cast<int>(5 * (i - 1) + 1 + 5 * n * g), 4);
    sum += hex_counts ? HexToInt(w) : DecimalOr(w, 0);
  }
  if (fold3 && j == 3) j = 1;
  if (j == 0) j = 1;
  if (j == 2) j = 3;
  if (j == 1 && sum > 0) j = 2;
  if (DecimalOr(Word(t.Cell(37, r), i), 0) == 0) j = 10;
  return j - 1;
}

std::string TempDigit(const Grid& t, int r, int i) {
  int a = DecimalOr(t.Cell(59, r), 9);
  int act = DecimalOr(Copy(t.Cell(48, r), 3 * (i - 1) + 1, 2), 0);
  std::string d;
  if (act == 1 || act == 3) d = a >= 3 ? "0" : std::to_string(a);
  if (act == 2 || act == 4) d = (a > 2 && a < 6) ? std::to_string(a - 2) : "0";
  if (d.empty() || a == 9) d = "9";
  return d;
}

}  // namespace

std::string MainWindow::ItemState(int r, int i) {
  const Grid& t = app.Form4().StringGrid1;
  int k = DecimalOr(Copy(t.Cell(9, r), i, 1), 99);
  std::string code;
  if (k == 0) code = "0" + std::to_string(DecimalOr(Word(t.Cell(32, r), i), 9));
  else if (k == 1) code = "1" + std::to_string(PingJudge(t, r, i, true, true));
  else if (k == 2) code = "2" + TempDigit(t, r, i);
  long long tick = DecimalOr(t.Cell(20, r), 0);
  if (t.Cell(21, r).empty() || TimeOutMin == 0) tick = 0;
  long long now = static_cast<long long>(app.clock().BootMillis() / 1000);
  if (tick > 0 && tick < now - static_cast<long long>(TimeOutMin) * 60) code = code.substr(0, 1) + "8";
  return code;
}

std::string MainWindow::ItemStateTriple(int r, int i) {
  const Grid& t = app.Form4().StringGrid1;
  return std::to_string(DecimalOr(Word(t.Cell(28, r), i), 9)) + "," +
         std::to_string(PingJudge(t, r, i, false, false)) + "," + TempDigit(t, r, i);
}

}  // namespace zol
