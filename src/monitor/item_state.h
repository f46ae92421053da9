// The state of one monitored item (one outlet of a registered device): its
// two-character code, its picture index and the CSV state triple.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/controls.h"
#include "common/platform.h"
#include "common/text.h"

namespace zol {

// Picture indices of the icon view.
constexpr int kImageTimeOut = 8;
constexpr int kImageUnknown = 9;

// The receive clock: whole seconds since the computer started, from the
// 64-bit boot clock, so it never wraps while the console runs. RecvTick and
// the time-out test both use it.
int64_t ReceiveClock(Clock& clock);

// The picture index of an item code: time-out 8, unknown 9, 99 for a code
// without a state digit (no picture).
int StateImageOfCode(const std::string& code);

// Word i (four characters at 5(i-1)+1) of a blank-separated word list, and
// byte item i (two characters at 3(i-1)+1).
std::string WordAt(const std::string& list, int i);
std::string ByteItemAt(const std::string& list, int i);

// text read as a decimal number, def when it is not one: DecimalOr, with a
// quick way for the usual words of one to four plain digits.
inline int WordDecimalOr(std::string_view text, int def) {
  if (text.empty() || text.size() > 4) return DecimalOr(text, def);
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return DecimalOr(text, def);
    value = value * 10 + (c - '0');
  }
  return value;
}

// The digit of an item code at pos (0 kind, 1 state) as a number, def when
// it is missing or not a digit.
int CodeDigit(const std::string& code, size_t pos, int def);

// The cells of device row R that the item state of its outlets reads, looked
// up once for the row, and what holds for the whole row: the outlet count n,
// the temperature status A and the time-out overlay. The lists are the
// table's own cells, read as they stand when an outlet is evaluated.
struct ItemRow {
  // now: the receive clock (ReceiveClock); timeout_min: TimeOutMin.
  ItemRow(const Grid& table, int row, int64_t now, int timeout_min);

  int row;
  int outlets;    // n: field 1 of OutletInfo, default 1
  int status;     // A: Status read as a decimal number, default 9
  bool timed_out; // RecvTick lies more than TimeOutMin minutes back
  const std::string& kinds;        // ItemKinds
  const std::string& power;        // PngPower
  const std::string& judge;        // PngJudge
  const std::string& action;       // PngAction
  const std::string& no_resp;      // PngNoResp2
  const std::string& tmp_actions;  // TmpActions
  const std::string& outlet_word_b;  // OlWordB
};

// ItemState and ItemStateTriple of outlet i of a looked-up row.
std::string ItemStateOf(const ItemRow& row, int outlet);
// The first character of ItemStateOf (its kind digit, or the time-out
// digit of a code without a kind), '\0' for an empty code; without the
// state, which it does not need to work out.
char ItemKindOf(const ItemRow& row, int outlet);
std::string ItemStateTripleOf(const ItemRow& row, int outlet);
// ItemStateTripleOf added to out.
void AppendItemStateTriple(std::string& out, const ItemRow& row, int outlet);

class App;

// The item state routines of the main window, on the device table as it
// stands.
class ItemStates {
 public:
  explicit ItemStates(App& app);

  App& app;

  std::string ItemState(int row, int outlet);
  std::string StateImageText(int image, int row);
  std::string ItemStateTriple(int row, int outlet);
};

}  // namespace zol
