// The device editor: the load and store of a device row, registering a
// device heard but not registered, the checks of "登録", the ways in and
// the small handlers.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/scramble.h"
#include "common/text.h"
#include "console/app.h"
#include "console/device_tree.h"
#include "console/tree_operations.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/icon_view.h"
#include "telnet/device_editor.h"
#include "telnet/telnet_fixture.h"

namespace zol {
namespace {

using Lines = std::vector<std::string>;

// The saved columns 0 to 20 of a row by column number, only those that hold
// a text.
using Row = std::map<int, std::string>;

struct EditorFixture : TelnetFixture {
  EditorFixture() {
    ComboBox& selector = app->group_selector();
    selector.items.Assign({"G001 Floor", "G002 Lab", "G000 未登録グループ"});
    selector.SetText("G001 Floor");
    selector.SetEnabled(true);  // the data files are loaded
  }
  DeviceTree& tree() { return app->tree(); }
  void Rebuild() { tree().ReStetingData(); }
  // Node texts in tree order, indented by level, category nodes left out.
  Lines Outline() {
    Lines out;
    for (const TreeNode* n : tree().TreeView1.Nodes()) {
      if (n->Level() < 2) out.push_back(std::string(static_cast<size_t>(2 * n->Level()), ' ') + n->Text());
    }
    return out;
  }

  void PutRow(int r, const Row& cells) {
    for (int c = 0; c < 70; ++c) table().SetCell(c, r, "");
    for (const auto& [col, text] : cells) table().SetCell(col, r, text);
  }
  Row SavedRow(int r) {
    Row out;
    for (int c = 0; c <= 20; ++c) {
      if (!table().Cell(c, r).empty()) out[c] = table().Cell(c, r);
    }
    return out;
  }
  // A registered device as the data file would give it.
  Row Device() {
    return {{dtcol::MacAddress, "02:5A:3C:00:00:01"},
            {dtcol::LiveBase, "20"},
            {3, "kept"},
            {dtcol::OutletInfo, "4,2"},
            {dtcol::ConnectInfo, "telnet,192.168.0.9,80," + Scramble("pw", 1) + ",23,0,1,1"},
            {dtcol::IpAddress, "10.0.0.5"},
            {dtcol::LogFlags, "10000000"},
            {dtcol::IconFlags, "11110000"},
            {dtcol::ItemKinds, "01000000"},
            {dtcol::DeviceName, "Dev"},
            {dtcol::OutletNames, "A,B,C,D,Outlet5,Outlet6,Outlet7,Outlet8,"},
            {dtcol::GroupName, "G001 Floor"},
            {dtcol::DeviceMemo, "memo"},
            {dtcol::GroupSendResult, "2026/12/10 09:00:00 ○ 正常終了"},
            {dtcol::DeviceInfo, "ZOL RPC-4"},
            {dtcol::NotifyFlags, "11000000 01000000"},
            {dtcol::TmpActionCopy, "00 00 00 00"},
            {dtcol::ItemImages, "0007 0007 0006 0001 0009 0009 0009 0009 "},
            {dtcol::PrevRecv, "2026/12/10,08:59:00"},
            {dtcol::RecvTick, "12345"}};
  }
  // What a store of Device() writes back.
  Row Normalised(int r) {
    Row row = Device();
    row[0] = std::to_string(r);
    row[dtcol::ItemImages] = "0009 0009 0009 0009 0009 0009 0009 0009 ";
    return row;
  }

  // An unregistered device in the list (live record fields as the parser
  // gives them), its node under G000.
  void HearUnregistered(const std::string& mac, const std::string& ip, const std::string& outlets,
                        const std::string& tmp_actions = "") {
    Grid& unreg = app->Form4().StringGrid2;
    const int row = unreg.RowCount() - 1;
    unreg.SetRowCount(unreg.RowCount() + 1);
    unreg.SetCell(1, row, "2026/12/10");
    unreg.SetCell(2, row, "10:00:00");
    unreg.SetCell(3, row, ip);
    unreg.SetCell(4, row, "5000");
    unreg.SetCell(5, row, mac);
    unreg.SetCell(6, row, outlets);
    unreg.SetCell(10, row, outlets);  // PING watch: outlets, targets
    unreg.SetCell(11, row, "1");
    unreg.SetCell(28, row, tmp_actions);
    unreg.SetCell(44, row, "last");
  }
  void SelectNode(const std::string& prefix) {
    for (TreeNode* n : tree().TreeView1.Nodes()) {
      if (n->Text().rfind(prefix, 0) == 0) {
        tree().TreeView1.Select(n);
        return;
      }
    }
    ADD_FAILURE() << "no node " << prefix;
  }
};

// --- Load and store of a registered device ---

TEST_F(EditorFixture, LoadAndStoreRewritesEveryOddRowInItsNormalForm) {
  struct Case {
    std::string name;
    Row change;  // cells changed from Device()
    Row expect;  // cells that differ from Normalised()
  };
  const std::string pw = Scramble("pw", 1);
  const Case cases[] = {
      {"unchanged", {}, {}},
      {"telnet port no number", {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + pw + ",abc,0,1,1"}}, {}},
      {"telnet port empty", {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + pw + ",,0,1,1"}}, {}},
      {"telnet port 2300",
       {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + pw + ",2300,0,1,1"}},
       {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + pw + ",2300,0,1,1"}}},
      {"direct power x", {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + pw + ",23,0,x,1"}},
       {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + pw + ",23,0,0,1"}}},
      {"group change missing", {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + pw + ",23,0,1"}}, {}},
      {"group change 0", {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + pw + ",23,0,1,0"}},
       {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + pw + ",23,0,1,0"}}},
      {"group change 2", {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + pw + ",23,0,1,2"}}, {}},
      {"use received IP", {{dtcol::ConnectInfo, "http,192.168.0.9,8080," + pw + ",23,1,1,1"}},
       {{dtcol::ConnectInfo, "http,10.0.0.5,8080," + pw + ",23,1,1,1"}}},
      {"password damaged", {{dtcol::ConnectInfo, "telnet,192.168.0.9,80,ZZ,23,0,1,1"}},
       {{dtcol::ConnectInfo, "telnet,192.168.0.9,80," + Scramble("", 1) + ",23,0,1,1"}}},
      {"kinds", {{dtcol::ItemKinds, "12x30000"}}, {{dtcol::ItemKinds, "12000000"}}},
      {"short flags", {{dtcol::IconFlags, "1a1"}, {dtcol::LogFlags, "1a1"}},
       {{dtcol::IconFlags, "10100000"}, {dtcol::LogFlags, "10100000"}}},
      {"notify short", {{dtcol::NotifyFlags, "1"}}, {{dtcol::NotifyFlags, "10000000 00000000"}}},
      {"notify full", {{dtcol::NotifyFlags, "11111111 11111111"}}, {{dtcol::NotifyFlags, "11111000 11110000"}}},
      {"notify 20 characters", {{dtcol::NotifyFlags, "11111111111111111111"}},
       {{dtcol::NotifyFlags, "11111000 11110000"}}},
      {"outlet names short", {{dtcol::OutletNames, "A,B"}},
       {{dtcol::OutletNames, "A,B,,,,,,,"}}},
      {"empty row number and base", {{0, ""}, {dtcol::LiveBase, ""}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Row row = Device();
    for (const auto& [col, text] : c.change) row[col] = text;
    PutRow(5, row);
    app->Form4().LastRow = 1;
    form5().EditDataGetPut(5);
    Row expect = Normalised(5);
    for (const auto& [col, text] : c.expect) expect[col] = text;
    EXPECT_EQ(SavedRow(5), expect);
    EXPECT_EQ(app->Form4().LastRow, 5);
    // The store normalises: a second pass changes nothing.
    form5().EditDataGetPut(5);
    EXPECT_EQ(SavedRow(5), expect);
  }
}

TEST_F(EditorFixture, StoreRefreshesMacAndOutletInfoFromTheLiveRecordOnlyWhenItHasOne) {
  PutRow(3, Device());
  form5().EditDataGetPut(3);
  EXPECT_EQ(table().Cell(dtcol::MacAddress, 3), "02:5A:3C:00:00:01");
  EXPECT_EQ(table().Cell(dtcol::OutletInfo, 3), "4,2");

  table().SetCell(dtcol::SrcMac, 3, "02:5A:3C:00:00:99");
  table().SetCell(dtcol::PngOutlets, 3, "8");
  table().SetCell(dtcol::PngTargets, 3, "3");
  table().SetCell(dtcol::TmpActions, 3, "00 05 00 00 00 00 00 00");
  form5().EditDataGetPut(3);
  EXPECT_EQ(table().Cell(dtcol::MacAddress, 3), "02:5A:3C:00:00:99");
  EXPECT_EQ(table().Cell(dtcol::OutletInfo, 3), "8,3");
  EXPECT_EQ(table().Cell(dtcol::TmpActionCopy, 3), "00 05 00 00 00 00 00 00");
}

TEST_F(EditorFixture, LoadShowsTheRowInTheControls) {
  Row row = Device();
  row[dtcol::OutletInfo] = "10,2";
  row[dtcol::ItemKinds] = "20100000";
  row[dtcol::TmpActionCopy] = "00 05 xx";
  row[dtcol::ConnectInfo] = "telnet,192.168.0.9,8080," + Scramble("secret", 1) + ",2323,0,1,0";
  PutRow(7, row);
  sim.SetNow(DateTime{2026, 12, 10, 9, 30, 0});
  form5().OpenEdit(7);
  DeviceEditor& f = form5();
  EXPECT_TRUE(f.Visible());
  EXPECT_EQ(f.EditRow, 7);
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 0);
  EXPECT_FALSE(f.ComboBoxEx1.Visible());
  EXPECT_EQ(f.Panel44.Caption(), "G001 Floor");
  EXPECT_EQ(f.Panel18.Caption(), "02:5A:3C:00:00:01");
  EXPECT_EQ(f.Panel33.Caption(), "10.0.0.5");
  EXPECT_EQ(f.Panel20.Caption(), "10");
  EXPECT_EQ(f.Edit9.Text(), "Dev");
  EXPECT_EQ(f.MemoEdit.Text(), "memo");
  EXPECT_EQ(f.Label1.Caption(), "ZOL RPC-4");
  EXPECT_TRUE(f.BitBtn4.Enabled());
  EXPECT_EQ(f.ComboBox9.Text(), "telnet");
  EXPECT_EQ(f.Edit10.Text(), "192.168.0.9");
  EXPECT_EQ(f.Edit11.Text(), "8080");
  EXPECT_EQ(f.MaskEdit1.Text(), "secret");
  EXPECT_EQ(f.Edit12.Text(), "2323");
  EXPECT_TRUE(f.RadioButton1.Checked());
  EXPECT_FALSE(f.RadioButton2.Checked());
  EXPECT_FALSE(f.RadioButton3.Checked());
  EXPECT_TRUE(f.RadioButton4.Checked());
  EXPECT_EQ(f.Panel51.Caption(), "最終時間 2026/12/10 09:00:00 ○ 正常終了");
  EXPECT_TRUE(f.BitBtn3.Enabled());
  // More than eight outlets: all eight rows shown.
  for (int k = 1; k <= 8; ++k) {
    EXPECT_TRUE(f.OutletEdit(k).Visible() && f.KindBox(k).Visible() && f.FilePanel(k).Visible()) << k;
    EXPECT_EQ(f.FilePanel(k).Caption(), "d007" + ZeroPad(k, 2) + "261210.csv");
  }
  // Kind lists by temperature action code "00 05 xx": 0, 5, not a number.
  EXPECT_EQ(f.KindBox(1).items.All(), (Lines{"電源状態", "死活監視"}));
  EXPECT_EQ(f.KindBox(2).items.All(), (Lines{"電源状態", "温度監視"}));
  EXPECT_EQ(f.KindBox(3).items.All(), (Lines{"電源状態", "死活監視"}));
  EXPECT_EQ(f.KindBox(8).items.All(), (Lines{"電源状態", "死活監視"}));
  // A stored kind the list does not offer still shows its text.
  EXPECT_EQ(f.KindBox(1).Text(), "温度監視");
  EXPECT_EQ(f.KindBox(1).ItemIndex(), -1);
  EXPECT_EQ(f.KindBox(3).Text(), "死活監視");
  EXPECT_EQ(f.KindBox(3).ItemIndex(), 1);
  EXPECT_EQ(f.OutletEdit(1).Text(), "A");
  EXPECT_EQ(f.OutletEdit(5).Text(), "Outlet5");
  EXPECT_TRUE(f.IconCheck(4).Checked());
  EXPECT_FALSE(f.IconCheck(5).Checked());
  EXPECT_TRUE(f.LogCheck(1).Checked());
  EXPECT_FALSE(f.LogCheck(2).Checked());
  const auto notify = f.NotifyChecks();
  const bool expect_notify[9] = {true, true, false, false, false, false, true, false, false};
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(notify[i]->Checked(), expect_notify[i]) << i;

  // A device without a group command result shows none, not the last one.
  row[dtcol::GroupSendResult] = "";
  PutRow(8, row);
  form5().OpenEdit(8);
  EXPECT_EQ(f.Panel51.Caption(), "");
}

TEST_F(EditorFixture, KindTextsStoreByName) {
  PutRow(2, Device());
  form5().OpenEdit(2);
  form5().KindBox(1).SetText("温度監視");
  form5().KindBox(2).SetText("死活監視");
  form5().KindBox(3).SetText("電源");  // typed, not in the list
  form5().KindBox(4).SetText("");
  form5().EditDataPut(2);
  EXPECT_EQ(table().Cell(dtcol::ItemKinds, 2), "21000000");
}

TEST_F(EditorFixture, StoreResetsTheImagesAndRemakesOnlyTheFlaggedIconsEvaluatedAgainstUnknown) {
  IconView& icons = app->icons();
  Row row = Device();
  row[dtcol::OutletInfo] = "10,2";
  row[dtcol::IconFlags] = "10111111";
  PutRow(4, row);
  table().SetCell(dtcol::OlCount, 4, "10");
  table().SetCell(dtcol::OlWordA, 4, "1111");
  for (int k = 1; k <= 8; ++k) icons.ListDataNew(4, k);
  ASSERT_EQ(icons.ListView1.Count(), 8u);
  form5().EditDataGetPut(4);
  EXPECT_EQ(table().Cell(dtcol::ItemImages, 4), "0009 0009 0009 0009 0009 0009 0009 0009 ");
  Lines keys;
  for (size_t i = 0; i < icons.ListView1.Count(); ++i) keys.push_back(icons.ListView1.Item(i).key);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (Lines{"0004 0001", "0004 0003", "0004 0004", "0004 0005", "0004 0006", "0004 0007", "0004 0008"}));
}

TEST_F(EditorFixture, StoreRenamesTheDeviceNodeAndClosesTheEditor) {
  PutRow(1, Device());
  Rebuild();
  form5().OpenEdit(1);
  form5().Edit9.SetText("Rack A");
  form5().BitBtn1Click();
  EXPECT_FALSE(form5().Visible());
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(table().Cell(dtcol::DeviceName, 1), "Rack A");
  EXPECT_EQ(Outline(), (Lines{"G001 Floor (1)", "  ID001 Rack A", "G002 Lab (0)", "G000 未登録グループ (0)"}));
  // Both data files written, the device file holding the row's 20 lines.
  const std::string dat = ReadAll(dir.File("zolyab4.dat"));
  EXPECT_NE(dat.find("Rack A\r\n"), std::string::npos);
  EXPECT_EQ(ReadAll(dir.File("zolyab4.lst")), CrLf({"G001 Floor", "G002 Lab", "G000 未登録グループ"}));
}

TEST_F(EditorFixture, EveryRebuildNormalisesThePlacedRowsOnly) {
  Row odd = Device();
  odd[dtcol::ConnectInfo] = "telnet,192.168.0.9,80," + Scramble("pw", 1) + ",abc,0,x,2";
  odd[dtcol::ItemKinds] = "12x30000";
  odd[dtcol::NotifyFlags] = "1";
  PutRow(1, odd);
  Row gone = odd;
  gone[dtcol::MacAddress] = "02:5A:3C:00:00:02";
  gone[dtcol::GroupName] = "G007 Gone";  // its group is not in the list: not placed
  PutRow(2, gone);
  Row placed = odd;
  placed[dtcol::MacAddress] = "02:5A:3C:00:00:03";
  placed[dtcol::GroupName] = "G002 Lab";
  PutRow(3, placed);
  Rebuild();
  for (int r : {1, 3}) {
    SCOPED_TRACE(r);
    Row expect = Normalised(r);
    if (r == 3) {
      expect[dtcol::MacAddress] = "02:5A:3C:00:00:03";
      expect[dtcol::GroupName] = "G002 Lab";
    }
    expect[dtcol::ConnectInfo] = "telnet,192.168.0.9,80," + Scramble("pw", 1) + ",23,0,0,1";
    expect[dtcol::ItemKinds] = "12000000";
    expect[dtcol::NotifyFlags] = "10000000 00000000";
    EXPECT_EQ(SavedRow(r), expect);
  }
  EXPECT_EQ(SavedRow(2), gone);
  EXPECT_EQ(Outline(), (Lines{"G001 Floor (1)", "  ID001 Dev", "G002 Lab (1)", "  ID003 Dev", "G000 未登録グループ (0)"}));
  // Icons made again for the flagged outlets of the placed devices.
  EXPECT_EQ(app->icons().ListView1.Count(), 8u);
}

// --- Registration ---

TEST_F(EditorFixture, RegistrationTakesTheFirstFreeRowAndMovesTheLiveRecord) {
  PutRow(1, Device());
  Row other = Device();
  other[dtcol::MacAddress] = "02:5A:3C:00:00:03";
  PutRow(3, other);  // row 2 was deleted: its ID is reused
  HearUnregistered("02:5A:3C:00:00:0A", "10.0.0.10", "2");
  HearUnregistered("02:5A:3C:00:00:0B", "10.0.0.11", "4", "00 07 00 00");
  Rebuild();
  SelectNode("[02:5A:3C:00:00:0B]");
  sim.SetNow(DateTime{2026, 12, 10, 9, 30, 0});

  app->tree_ops().TreeView1DblClick();  // the double-click on its node
  DeviceEditor& f = form5();
  EXPECT_TRUE(f.Visible());
  EXPECT_FALSE(app->MainForm().Enabled());
  EXPECT_EQ(f.EditRow, 0);
  EXPECT_TRUE(f.ComboBoxEx1.Visible());
  EXPECT_EQ(f.ComboBoxEx1.items.All(), (Lines{"G001 Floor", "G002 Lab"}));
  EXPECT_EQ(f.ComboBoxEx1.Text(), "G001 Floor");  // the main selector's text
  EXPECT_EQ(f.Panel18.Caption(), "02:5A:3C:00:00:0B");
  EXPECT_EQ(f.Panel33.Caption(), "10.0.0.11");
  EXPECT_EQ(f.Edit10.Text(), "10.0.0.11");
  EXPECT_EQ(f.Panel20.Caption(), "4");
  EXPECT_EQ(f.Edit9.Text(), "ゾルユニット");
  EXPECT_EQ(f.Label1.Caption(), "");
  EXPECT_FALSE(f.BitBtn4.Enabled());
  EXPECT_EQ(f.ComboBox9.Text(), "なし");
  EXPECT_EQ(f.Edit11.Text(), "80");
  EXPECT_EQ(f.Panel51.Caption(), "");
  EXPECT_EQ(f.FilePanel(1).Caption(), "d00001261210.csv");
  for (int k = 1; k <= 8; ++k) {
    // Every icon flag of a new device is on, shown row or not.
    EXPECT_TRUE(f.IconCheck(k).Checked()) << k;
    EXPECT_EQ(f.OutletEdit(k).Visible(), k <= 4) << k;
    EXPECT_EQ(f.OutletEdit(k).Text(), "Outlet" + std::to_string(k));
  }
  EXPECT_EQ(f.KindBox(2).items.All(), (Lines{"電源状態", "温度監視"}));

  f.ComboBoxEx1.SetText("G002 Lab");
  f.MaskEdit1.SetText("secret");
  f.OutletEdit(1).SetText("Server");
  f.KindBox(2).SetText("温度監視");
  f.LogCheck(2).SetChecked(true);
  f.BitBtn1Click();

  EXPECT_FALSE(f.Visible());
  EXPECT_TRUE(app->MainForm().Enabled());
  EXPECT_TRUE(boxes.shown.empty());
  const std::string pw = Scramble("secret", 1);
  // Direct power and the notification boxes as the rebuild's last device
  // (row 3) left them in the editor.
  EXPECT_EQ(SavedRow(2), (Row{{0, "2"},
                              {dtcol::MacAddress, "02:5A:3C:00:00:0B"},
                              {dtcol::LiveBase, "20"},
                              {dtcol::OutletInfo, "4,1"},
                              {dtcol::ConnectInfo, "なし,10.0.0.11,80," + pw + ",23,0,1,1"},
                              {dtcol::IpAddress, "10.0.0.11"},
                              {dtcol::LogFlags, "01000000"},
                              {dtcol::IconFlags, "11111111"},
                              {dtcol::ItemKinds, "02000000"},
                              {dtcol::DeviceName, "ゾルユニット"},
                              {dtcol::OutletNames, "Server,Outlet2,Outlet3,Outlet4,Outlet5,Outlet6,Outlet7,Outlet8,"},
                              {dtcol::GroupName, "G002 Lab"},
                              {dtcol::NotifyFlags, "11000000 01000000"},
                              {dtcol::TmpActionCopy, "00 07 00 00"},
                              {dtcol::ItemImages, "0009 0009 0009 0009 0009 0009 0009 0009 "}}));
  EXPECT_EQ(table().Cell(dtcol::RecvDate, 2), "2026/12/10");
  EXPECT_EQ(table().Cell(dtcol::SrcIp, 2), "10.0.0.11");
  EXPECT_EQ(table().Cell(dtcol::OlCount, 2), "4");
  EXPECT_EQ(table().Cell(dtcol::TmpActions, 2), "00 07 00 00");
  EXPECT_EQ(table().Cell(dtcol::Live + 43, 2), "last");
  // The list row is gone, the other device stays.
  const Grid& unreg = app->Form4().StringGrid2;
  EXPECT_EQ(unreg.RowCount(), 3);
  EXPECT_EQ(unreg.Cell(5, 1), "02:5A:3C:00:00:0A");
  // Its node left G000 for the group; the files were written; the tree rebuilt.
  EXPECT_EQ(Outline(), (Lines{"G001 Floor (2)", "  ID001 Dev", "  ID003 Dev", "G002 Lab (1)", "  ID002 ゾルユニット",
                              "G000 未登録グループ (1)", "  [02:5A:3C:00:00:0A] 10.0.0.10 未登録"}));
  EXPECT_NE(ReadAll(dir.File("zolyab4.dat")).find("02:5A:3C:00:00:0B\r\n"), std::string::npos);
  EXPECT_EQ(app->Form4().LastRow, 3);
  // Icons of the new device: its four outlets.
  int icons = 0;
  for (size_t i = 0; i < app->icons().ListView1.Count(); ++i) icons += app->icons().ListView1.Item(i).key.rfind("0002 ", 0) == 0;
  EXPECT_EQ(icons, 4);
}

TEST_F(EditorFixture, ANewDeviceStartsWithWhatTheEditorLastHeld) {
  PutRow(1, Device());
  table().SetCell(dtcol::ConnectInfo, 1, "telnet,1.2.3.4,80," + Scramble("last", 1) + ",2323,1,1,0");
  table().SetCell(dtcol::NotifyFlags, 1, "10000000 00010000");
  HearUnregistered("02:5A:3C:00:00:0A", "10.0.0.10", "2");
  Rebuild();  // row 1 the last device through the editor
  SelectNode("[02:5A:3C:00:00:0A]");
  form5().OpenRegistration();
  DeviceEditor& f = form5();
  EXPECT_EQ(f.MaskEdit1.Text(), "last");
  EXPECT_EQ(f.Edit12.Text(), "2323");
  EXPECT_TRUE(f.CheckBox26.Checked());
  EXPECT_TRUE(f.RadioButton1.Checked());
  EXPECT_TRUE(f.RadioButton4.Checked());
  EXPECT_TRUE(f.CheckBox17.Checked());
  EXPECT_TRUE(f.CheckBox24.Checked());
  // The rest is a new device's.
  EXPECT_EQ(f.ComboBox9.Text(), "なし");
  EXPECT_EQ(f.Edit10.Text(), "10.0.0.10");
  EXPECT_EQ(f.Edit11.Text(), "80");
  EXPECT_EQ(f.Panel51.Caption(), "");
}

TEST_F(EditorFixture, RegistrationRefusedBeforeAnythingChanges) {
  struct Case {
    std::string name;
    std::function<void(EditorFixture&)> arrange;  // after the editor opened
    std::string text;
    BoxKind kind;
  };
  const Case cases[] = {
      {"empty group", [](EditorFixture& t) { t.form5().ComboBoxEx1.SetText(""); },
       "登録するグループを選択してください。", BoxKind::Warning},
      {"mistyped group", [](EditorFixture& t) { t.form5().ComboBoxEx1.SetText("G002 La"); },
       "登録するグループを選択してください。", BoxKind::Warning},
      {"unregistered group", [](EditorFixture& t) { t.form5().ComboBoxEx1.SetText("G000 未登録グループ"); },
       "登録するグループを選択してください。", BoxKind::Warning},
      {"no free row",
       [](EditorFixture& t) {
         for (int r = 1; r <= 999; ++r) t.table().SetCell(dtcol::MacAddress, r, "02:5A:3C:00:01:00");
       },
       "登録できる機器は999台までです。", BoxKind::Error},
      {"gone from the list",
       [](EditorFixture& t) {
         Grid& unreg = t.app->Form4().StringGrid2;
         t.app->Form4().StringGrid2ColDelete(1);
         ASSERT_EQ(unreg.RowCount(), 2);
       },
       "登録する機器が未登録リストにありません。", BoxKind::Error},
      {"data files not loaded", [](EditorFixture& t) { t.app->group_selector().SetEnabled(false); },
       "データファイルが読み込まれていないため保存できません。", BoxKind::Error},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    struct Fresh : EditorFixture {
      void TestBody() override {}
    } t;
    t.HearUnregistered("02:5A:3C:00:00:0A", "10.0.0.10", "2");
    t.Rebuild();
    t.SelectNode("[02:5A:3C:00:00:0A]");
    t.form5().OpenRegistration();
    t.form5().Edit9.SetText("typed");
    c.arrange(t);
    const Lines nodes = t.Outline();
    const int rows = t.app->Form4().StringGrid2.RowCount();
    const std::string mac2 = t.table().Cell(dtcol::MacAddress, 2);
    t.form5().BitBtn1Click();
    ASSERT_EQ(t.boxes.shown.size(), 1u);
    EXPECT_EQ(t.boxes.shown[0].text, c.text);
    EXPECT_EQ(t.boxes.shown[0].kind, c.kind);
    // The editor stays open with the operator's entries; nothing written.
    EXPECT_TRUE(t.form5().Visible());
    EXPECT_FALSE(t.app->MainForm().Enabled());
    EXPECT_EQ(t.form5().Edit9.Text(), "typed");
    EXPECT_EQ(t.Outline(), nodes);
    EXPECT_EQ(t.app->Form4().StringGrid2.RowCount(), rows);
    EXPECT_EQ(t.table().Cell(dtcol::DeviceName, 1), "");
    EXPECT_EQ(t.table().Cell(dtcol::MacAddress, 2), mac2);
    EXPECT_FALSE(FileExists(t.dir.File("zolyab4.dat")));
  }
}

// A field whose typing Shift-JIS cannot hold (it stands as "?") is refused
// by name: nothing is stored or written. Typed again, it is stored.
TEST_F(EditorFixture, TextShiftJisCannotHoldIsRefusedByName) {
  PutRow(1, Device());
  Rebuild();
  struct Case {
    Edit DeviceEditor::*field;
    const char* message;
  };
  const Case cases[] = {
      {&DeviceEditor::Edit9, "機器名称に使用できない文字が含まれています。"},
      {&DeviceEditor::MemoEdit, "メモに使用できない文字が含まれています。"},
      {&DeviceEditor::Edit3, "アウトレット名称3に使用できない文字が含まれています。"},
      {&DeviceEditor::MaskEdit1, "パスワードに使用できない文字が含まれています。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    boxes.shown.clear();
    form5().OpenEdit(1);
    (form5().*c.field).SetTypedText("Rack?", false);
    form5().BitBtn1Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, c.message);
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Warning);
    EXPECT_TRUE(form5().Visible());
    EXPECT_EQ(table().Cell(dtcol::DeviceName, 1), "Dev");
    EXPECT_FALSE(FileExists(dir.File("zolyab4.dat")));
    form5().BitBtn2Click();
  }
  form5().OpenEdit(1);
  form5().Edit9.SetTypedText("Rack?", false);
  form5().Edit9.SetTypedText("Rack A", true);
  boxes.shown.clear();
  form5().BitBtn1Click();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(table().Cell(dtcol::DeviceName, 1), "Rack A");
}

TEST_F(EditorFixture, ARegisteredDeviceWithoutANodeIsNotStored) {
  Row row = Device();
  row[dtcol::GroupName] = "G009 Gone";  // no such group: the rebuild places no node
  PutRow(9, row);
  Rebuild();
  form5().OpenEdit(9);
  form5().Edit9.SetText("changed");
  form5().BitBtn1Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "ID009はツリーにないため保存できません。");
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
  EXPECT_TRUE(form5().Visible());
  EXPECT_EQ(table().Cell(dtcol::DeviceName, 9), "Dev");
  EXPECT_FALSE(FileExists(dir.File("zolyab4.dat")));
}

TEST_F(EditorFixture, TheRebuildPassSkipsSilentlyWhileTheDataFilesAreNotLoaded) {
  app->group_selector().SetEnabled(false);
  Row row = Device();
  PutRow(1, row);
  form5().EditDataGetPut(1);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(SavedRow(1), row);
}

TEST_F(EditorFixture, CancelAndTheFrameCloseWithoutStoringAndGiveTheMainWindowBack) {
  HearUnregistered("02:5A:3C:00:00:0A", "10.0.0.10", "2");
  Rebuild();
  SelectNode("[02:5A:3C:00:00:0A]");
  form5().OpenRegistration();
  ASSERT_FALSE(app->MainForm().Enabled());
  form5().BitBtn2Click();
  EXPECT_FALSE(form5().Visible());
  EXPECT_TRUE(app->MainForm().Enabled());
  EXPECT_EQ(table().Cell(dtcol::MacAddress, 1), "");
  EXPECT_EQ(app->Form4().StringGrid2.RowCount(), 3);
}

// --- Small handlers ---

TEST_F(EditorFixture, CheckFlgShowsTheFirstNRows) {
  for (int n : {-1, 0, 3, 8, 12}) {
    SCOPED_TRACE(n);
    form5().CheckFlg(n);
    const int m = std::clamp(n, 0, 8);
    for (int k = 1; k <= 8; ++k) {
      const bool shown = k <= m;
      DeviceEditor& f = form5();
      EXPECT_EQ(f.NamePanel(k).Visible(), shown);
      EXPECT_EQ(f.OutletEdit(k).Visible(), shown);
      EXPECT_EQ(f.IconPanel(k).Visible(), shown);
      EXPECT_EQ(f.IconCheck(k).Visible(), shown);
      EXPECT_EQ(f.IconCheck(k).Checked(), shown);
      EXPECT_EQ(f.KindBox(k).Visible(), shown);
      EXPECT_EQ(f.LogPanel(k).Visible(), shown);
      EXPECT_EQ(f.FilePanel(k).Visible(), shown);
      EXPECT_EQ(f.LogCheck(k).Visible(), shown);
    }
  }
}

TEST_F(EditorFixture, ConnectionMethodSetsThePort) {
  for (const auto& [method, port] : std::vector<std::pair<std::string, std::string>>{
           {"telnet", "23"}, {"http", "80"}, {"なし", "80"}, {"Telnet", "80"}}) {
    form5().Edit11.SetText("9999");
    form5().ComboBox9.SetText(method);
    form5().ComboBox9Change();
    EXPECT_EQ(form5().Edit11.Text(), port) << method;
  }
}

TEST_F(EditorFixture, IdentityReadNeedsAPasswordAndStoresNothingBeforeRegistering) {
  Row row = Device();
  row[dtcol::ConnectInfo] = "telnet,10.0.0.5,80,,23,0,1,1";
  PutRow(1, row);
  Rebuild();
  form5().OpenEdit(1);
  EXPECT_EQ(form5().MaskEdit1.Text(), "");
  EXPECT_FALSE(form5().BitBtn3.Enabled());
  form5().MaskEdit1.SetText("pw");
  form5().MaskEdit1Change();
  EXPECT_TRUE(form5().BitBtn3.Enabled());

  dev.outlet_names = "Web,Db,Mail,Spare";
  dev.descr = "ZOL RPC-4 unit";
  boxes.answers = {BoxResult::Yes};
  form5().BitBtn3Click();
  sim.Advance(10000);
  ASSERT_EQ(telnet.attempts.size(), 1u);
  EXPECT_EQ(telnet.attempts[0], (std::pair<std::string, int>{"10.0.0.5", 23}));
  EXPECT_EQ(form5().Edit9.Text(), "RPC1");
  EXPECT_EQ(form5().Label1.Caption(), "ZOL RPC-4 unit");
  EXPECT_EQ(form5().OutletEdit(4).Text(), "Spare");
  EXPECT_EQ(table().Cell(dtcol::DeviceName, 1), "Dev");  // nothing stored yet

  form5().BitBtn1Click();
  EXPECT_EQ(table().Cell(dtcol::DeviceName, 1), "RPC1");
  EXPECT_EQ(table().Cell(dtcol::DeviceInfo, 1), "ZOL RPC-4 unit");
  EXPECT_EQ(table().Cell(dtcol::OutletNames, 1), "Web,Db,Mail,Spare,Outlet5,Outlet6,Outlet7,Outlet8,");
  EXPECT_EQ(CsvField(table().Cell(dtcol::ConnectInfo, 1), 4), Scramble("pw", 1));

  form5().BitBtn4Click();
  EXPECT_EQ(form5().Label1.Caption(), "");
  EXPECT_FALSE(form5().BitBtn4.Enabled());
}

TEST(EditorLimits, EntryBoxesCarryTheirLimits) {
  AppFixture fx;
  DeviceEditor& f = fx.app->Form5();
  for (Edit* e : {&f.Edit9, &f.MemoEdit, &f.Edit1, &f.Edit8}) EXPECT_EQ(e->MaxBytes(), 20u);
  for (TextControl* c : std::initializer_list<TextControl*>{&f.ComboBox9, &f.Edit10, &f.Edit11, &f.Edit12, &f.Edit1,
                                                            &f.Edit8}) {
    EXPECT_EQ(c->RefusedChar(), ',');
  }
  EXPECT_EQ(f.Edit9.RefusedChar(), 0);
  EXPECT_EQ(f.MaskEdit1.RefusedChar(), 0);
}

}  // namespace
}  // namespace zol
