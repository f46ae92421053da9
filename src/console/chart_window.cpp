#include "console/chart_window.h"

#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"

namespace zol {

std::string PadTemperature(const std::string& t) { return t.size() >= 5 ? t : std::string(5 - t.size(), ' ') + t; }

ChartWindow::ChartWindow(App& a) : app(a) {
  SetCaption("温度センサー");
  BitBtn1.SetCaption("閉じる");
  BitBtn2.SetHint("グラフデータをクリア");
  BitBtn3.SetHint("リストを隠す");
  BitBtn4.SetHint("リストを表示");
  Chart1.SetTitleLine(0, "温度");
  Chart1.SetPen(Series1, ChartPen{0x0000FF, 2, false});
  Chart1.SetPen(Series2, ChartPen{0xFFFF80, 1, true});
  Chart1.SetPen(Series3, ChartPen{0xFFFF80, 1, true});
  Chart1.SetPen(Series4, ChartPen{0xFF8080, 1, true});
  Chart1.SetPen(Series5, ChartPen{0xFF8080, 1, true});
  Chart1.SetLeftAxis(ChartAxis{false, -20, 60, 0.1});
  Chart1.SetLegendVisible(false);
  Chart1.SetPointMarks(false);
  Memo1.SetVisible(false);
}

void ChartWindow::FormCreate() {
  ClientWidth = 640;
  ClientHeight = 480;
  ChartActive = 0;
}

void ChartWindow::SetChartTitle(const std::string& title) {
  ChartActive = 1;
  Chart1.SetTitleLine(0, std::string());
  Chart1.SetTitleLine(0, title);
}

void ChartWindow::ListAdd(const std::string& line) {
  Memo1.Add(line);
  ++Memo1Appended;
  // The list grows with every datagram while the chart is open: the
  // oldest lines go beyond the bound.
  while (Memo1.Count() > kChartListLines) Memo1.Delete(0);
}

void ChartWindow::ListEmpty() {
  Memo1.Clear();
  Memo1Appended = 0;
  ++Memo1Emptied;
}

void ChartWindow::ChartRefresh() {
  if (ChartActive == 0) return;
  for (size_t s = 0; s < Chart1.SeriesCount(); ++s) Chart1.Clear(s);

  const ReceiveView& main = app.receive_view();
  const Grid& table = app.Form4().StringGrid1;
  const int row = app.settings().TempDevice;
  const auto cell = [&](int col) -> const std::string& { return table.Cell(col, row); };
  const std::string status =
      cell(dtcol::RecvDate) + " " + cell(dtcol::RecvTime) + " " + PadTemperature(cell(dtcol::CurTemp)) + "℃ ";
  Label1.SetCaption(status);
  ListAdd(status);

  // Numbers are read the same in every locale (the Qt program runs in the
  // operator's, where a decimal comma would drop every reading).
  double lower_alarm = 0, upper_alarm = 0, lower_caution = 0, upper_caution = 0;
  const bool thresholds = ParseReal(cell(dtcol::LowerAlarm), &lower_alarm) &&
                          ParseReal(cell(dtcol::UpperAlarm), &upper_alarm) &&
                          ParseReal(cell(dtcol::LowerCaution), &lower_caution) &&
                          ParseReal(cell(dtcol::UpperCaution), &upper_caution);
  for (int x = 0; x <= 99; ++x) {
    const std::string& entry = main.TempHistory[static_cast<size_t>(99 - x)];
    if (entry.empty()) continue;
    const std::string temp = CsvField(entry, 3);
    if (temp.empty()) continue;
    double y = 0;
    if (!ParseReal(temp, &y) || !thresholds) continue;
    const std::string date = CsvField(entry, 1);
    const std::string label = Copy(date, 3, 8) + "\r" + CsvField(entry, 2) + "\r(" + temp + "℃)";
    Chart1.AddXY(Series1, x, y, label);
    Chart1.AddXY(Series2, x, lower_caution, std::string());
    Chart1.AddXY(Series3, x, upper_caution, std::string());
    Chart1.AddXY(Series4, x, lower_alarm, std::string());
    Chart1.AddXY(Series5, x, upper_alarm, std::string());
  }
}

void ChartWindow::FormClose() { ChartActive = 0; }

void ChartWindow::Close() {
  Hide();
  FormClose();
}

void ChartWindow::BitBtn1Click() { Close(); }

void ChartWindow::BitBtn2Click() {
  if (app.boxes().Show("グラフデータをクリアしますか？", BoxKind::Confirm, BoxButtons::YesNo) != BoxResult::Yes) return;
  for (std::string& entry : app.receive_view().TempHistory) entry.clear();
  ChartRefresh();
}

void ChartWindow::BitBtn3Click() { Memo1.SetVisible(false); }

void ChartWindow::BitBtn4Click() {
  ListEmpty();
  Memo1.SetVisible(true);
  for (int slot = 99; slot >= 0; --slot) {
    const std::string& entry = app.receive_view().TempHistory[static_cast<size_t>(slot)];
    if (entry.empty()) continue;
    ListAdd(CsvField(entry, 1) + " " + CsvField(entry, 2) + " " + PadTemperature(CsvField(entry, 3)) + "℃");
  }
}

}  // namespace zol
