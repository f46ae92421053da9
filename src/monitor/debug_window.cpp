#include "monitor/debug_window.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/platform.h"
#include "common/text.h"
#include "console/app.h"

namespace zol {

namespace {

std::string Repeat(const std::string& s, int times) {
  std::string out;
  out.reserve(s.size() * static_cast<size_t>(times));
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

// The record text of a device with 8 outlets, 4 PING targets per outlet and
// a temperature sensor.
std::vector<std::string> SampleRecordText() {
  const std::string ping_block = "0001" "0000" "000A" "000A" "0001" "0000" "0001" "0001" "0000";
  return {
      "2010/11/16",
      "12:52:07",
      "192.168.0.205",
      "2100",
      "010001CA0023C63A",
      "0001000C0006025A3C000000",
      "011000360008" + Repeat("000100010000", 8),
      "0801011800080004" + Repeat(ping_block + std::string(32, '0'), 8),
      "080200260008010000000000000000000000FE0C000000C8010011940DAC00C8010003000000",
      "081100360008" + std::string(96, '0'),
      "0812000A000000000000",
  };
}

std::string Hex4(int value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(value));
  return buf;
}

}  // namespace

DebugWindow::DebugWindow(App& a) : app(a) {
  SetCaption("通信debug");
  FormCreate();
}

void DebugWindow::FormCreate() {
  for (Grid* grid : {&StringGrid1, &StringGrid2, &StringGridBuff}) {
    for (int c = 1; c < grid->ColCount(); ++c) grid->SetCell(c, 0, std::to_string(c));
  }
  Memo4.Assign(SampleRecordText());
  Edit1.SetText("0001000C0006025A3C000000");
  Edit2.SetText("192.168.0.100");
  CaptureNo = 0;
  LiveColumnOffset = 20;
  LastRow = 0;
  UnregGuard = true;
  TestCounter = 0;
}

void DebugWindow::BitBtn1Click() {
  Memo3.Clear();
  const int r = StringGrid1.Row();
  if (r <= 0) return;
  for (int c = 1; c <= 64; ++c) Memo3.Add(ZeroPad(c, 2) + ": " + StringGrid1.Cell(c, r));
}

void DebugWindow::BitBtn2Click() {
  const DateTime now = app.clock().Now();
  Memo4.SetLine(0, DateText(now));
  Memo4.SetLine(1, TimeText(now));
  Memo4.SetLine(2, Edit2.Text());
  Memo4.SetLine(5, Edit1.Text());
  Memo1.Assign(Memo4.All());
  RevDataLoging();
  ++TestCounter;
  Edit1.SetText("0001000C0006025A3C00" + Hex4(TestCounter));
}

void DebugWindow::StringGrid2ColDelete(int row) {
  Grid& g = StringGrid2;
  const int rows = g.RowCount();
  if (rows < 3 || row < 0 || row >= rows) return;
  for (int r = row; r + 1 < rows; ++r) {
    for (int c = 0; c < g.ColCount(); ++c) g.SetCell(c, r, g.Cell(c, r + 1));
  }
  g.SetRowCount(rows - 1);
}

}  // namespace zol
