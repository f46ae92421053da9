// A console on the fakes with helpers to register devices and hand live
// records to the registration match the way the record parser does.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "console/app.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"

namespace zol {

// The 44 fields of one live record.
using LiveRec = std::array<std::string, kLiveFields>;

// n words of four hex digits joined by blanks.
inline std::string Words(int n, const std::string& word) {
  std::string s;
  for (int k = 0; k < n; ++k) s += (k ? " " : "") + word;
  return s;
}

// A healthy 8-outlet record: power ON, PING normal with watch on, 4 targets
// without misses, temperature upper action with status 0 at 23.5.
inline LiveRec HealthyRecord(const std::string& mac, const std::string& ip = "192.168.1.10") {
  LiveRec f;
  f[0] = "2010/11/16";
  f[1] = "12:52:07";
  f[2] = ip;
  f[3] = "2100";
  f[4] = mac;
  f[5] = "8";
  f[6] = f[7] = Words(8, "0001");
  f[8] = Words(8, "0000");
  f[9] = "8";
  f[10] = "4";
  f[11] = Words(8, "0001");   // PngPower
  f[12] = Words(8, "0001");   // PngJudge
  f[16] = Words(8, "0001");   // PngAction
  f[20] = f[21] = Words(32, "0000");
  f[22] = "8";
  f[27] = "01 01 01 01 01 01 01 01";  // TmpActions
  f[38] = "00";                       // Status
  f[40] = "23.5";                     // CurTemp
  return f;
}

inline std::string MacOf(int n) {
  char buf[32];
  snprintf(buf, sizeof buf, "02:5A:3C:00:%02X:%02X", (n >> 8) & 0xFF, n & 0xFF);
  return buf;
}

struct MonitorFixture : ::testing::Test, AppFixture {
  MainWindow& main() { return app->Form2(); }
  DebugWindow& dbg() { return app->Form4(); }
  Grid& table() { return app->Form4().StringGrid1; }
  const std::string& Cell(int col, int row) { return table().Cell(col, row); }

  // Registers device r the way the device editor stores it.
  void Register(int r, const std::string& mac, const std::string& kinds = "00000000",
                const std::string& icon_flags = "11111111", const std::string& outlet_info = "8,4") {
    table().SetCell(dtcol::MacAddress, r, mac);
    table().SetCell(dtcol::LiveBase, r, "20");
    table().SetCell(dtcol::OutletInfo, r, outlet_info);
    table().SetCell(dtcol::LogFlags, r, "00000000");
    table().SetCell(dtcol::IconFlags, r, icon_flags);
    table().SetCell(dtcol::ItemKinds, r, kinds);
    table().SetCell(dtcol::DeviceName, r, "Dev" + std::to_string(r));
    table().SetCell(dtcol::OutletNames, r, "Out1,Out2,Out3,Out4,Out5,Out6,Out7,Out8,");
    table().SetCell(dtcol::GroupName, r, "G001 Floor");
    table().SetCell(dtcol::DeviceMemo, r, "memo" + std::to_string(r));
    table().SetCell(dtcol::NotifyFlags, r, "00000000 00000000");
    table().SetCell(dtcol::ItemImages, r, "0009 0009 0009 0009 0009 0009 0009 0009 ");
    dbg().LastDataCnt();
  }

  // Writes a live record straight into row r's live columns.
  void SetLive(int r, const LiveRec& f) {
    for (int k = 0; k < kLiveFields; ++k) table().SetCell(dtcol::Live + k, r, f[static_cast<size_t>(k)]);
  }

  // Puts the record into a ring slot and runs the match on it.
  void Match(const LiveRec& f, int slot = 1) {
    for (int k = 0; k < kLiveFields; ++k) dbg().StringGridBuff.SetCell(k + 1, slot, f[static_cast<size_t>(k)]);
    dbg().DataInviteCheck(slot);
  }

  // What the parser does with a record: rebuild, match, recount.
  void Datagram(const LiveRec& f, int slot = 1) {
    main().icons.IconReStetingData();
    Match(f, slot);
    main().icons.IconDataCheck();
  }

  // Monitoring runs while the start button is disabled.
  void SetMonitoring(bool on) {
    main().monitoring.ToolButton1.SetEnabled(!on);
    main().monitoring.ToolButton2.SetEnabled(on);
  }

  // Captions of the icons in order, with their keys.
  std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    for (size_t k = 0; k < main().icons.ListView1.Count(); ++k) keys.push_back(main().icons.ListView1.Item(k).key);
    return keys;
  }
  // The texts of the nodes under the unregistered group G000.
  std::vector<std::string> UnregNodes() {
    std::vector<std::string> out;
    const TreeView& tree = app->tree().TreeView1;
    for (size_t i = 0; i < tree.TopCount(); ++i) {
      if (tree.Top(i)->Text().rfind("G000", 0) != 0) continue;
      for (size_t k = 0; k < tree.Top(i)->Count(); ++k) out.push_back(tree.Top(i)->Item(k)->Text());
    }
    return out;
  }
  int ImageOf(int row, int outlet) {
    int idx = main().icons.FindIcon(row, outlet);
    return idx < 0 ? -1 : main().icons.ListView1.Item(static_cast<size_t>(idx)).image;
  }
};

}  // namespace zol
