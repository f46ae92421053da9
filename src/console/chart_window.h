// The temperature chart (Form11, "温度センサー"): the temperature history of
// the charted device (TempDevice) as a line of up to 100 readings with its
// caution and alarm thresholds as flat lines, and the readings as a list on
// request. Refreshed by every datagram of the device while it is open.
#pragma once

#include <cstdint>
#include <string>

#include "common/controls.h"

namespace zol {

class App;

// Lines the reading list keeps: the oldest are dropped beyond this.
constexpr size_t kChartListLines = 10000;

class ChartWindow : public Form {
 public:
  explicit ChartWindow(App& app);

  App& app;

  void FormCreate();
  // Redraws the chart from the main window's TempHistory and the device row.
  void ChartRefresh();
  // Opening from the chart button: ChartActive set and the first title line.
  void SetChartTitle(const std::string& title);
  void FormClose();
  // Any close of the window (the close button or the title bar).
  void Close();
  void BitBtn1Click();  // "閉じる"
  void BitBtn2Click();  // clear the history
  void BitBtn3Click();  // hide the list
  void BitBtn4Click();  // show the list

  // 1 while the window is open; ChartRefresh does nothing while it is 0.
  uint8_t ChartActive = 0;
  int ClientWidth = 0, ClientHeight = 0;

  // Series1 temperature, Series2 lower caution, Series3 upper caution,
  // Series4 lower alarm, Series5 upper alarm (indices 0 to 4).
  Chart Chart1{5};
  static constexpr size_t Series1 = 0, Series2 = 1, Series3 = 2, Series4 = 3, Series5 = 4;
  Label Label1;  // status line, top right
  Memo Memo1;    // the reading list
  // Lines appended to Memo1 since it was last emptied, and how often it
  // was emptied: the view appends only the new lines.
  uint64_t Memo1Appended = 0;
  uint64_t Memo1Emptied = 0;
  Button BitBtn1;  // "閉じる"
  Button BitBtn2;  // clear (picture)
  Button BitBtn3;  // hide list (picture)
  Button BitBtn4;  // show list (picture)

 private:
  void ListAdd(const std::string& line);
  void ListEmpty();
};

// The temperature text padded in front with blanks to five characters.
std::string PadTemperature(const std::string& t);

}  // namespace zol
