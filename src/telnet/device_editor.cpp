// The device editor: its controls, the load and store of a device row
// (EditDataGet, EditDataPut), "登録" with its checks, and the ways in.
#include "telnet/device_editor.h"

#include <algorithm>
#include <vector>

#include "common/scramble.h"
#include "common/text.h"
#include "console/app.h"
#include "console/device_tree.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/icon_view.h"
#include "monitor/monitoring.h"
#include "monitor/system_log.h"

namespace zol {

namespace {

constexpr const char* kKindPower = "電源状態";
constexpr const char* kKindPing = "死活監視";
constexpr const char* kKindTemp = "温度監視";
constexpr const char* kNotifyReset = "00000000 00000000";
// NotifyFlags character (1-based) of each notification box, in the order
// of NotifyChecks.
constexpr int kNotifyPos[9] = {1, 2, 3, 4, 5, 10, 11, 12, 13};
// Names, memo and outlet names: at most this many bytes as typed.
constexpr size_t kNameBytes = 20;
constexpr int kFirstFreeRowLimit = 999;

template <typename T, size_t N>
T& Pick(const std::array<T*, N>& all, int i) {
  if (i < 1) i = 1;
  if (i > static_cast<int>(N)) i = static_cast<int>(N);
  return *all[static_cast<size_t>(i - 1)];
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// The kind digit of a kind box text; 0 for any text but the two others.
char KindDigit(const std::string& text) {
  if (text == kKindPing) return '1';
  if (text == kKindTemp) return '2';
  return '0';
}

// Sets an editable combo box's text, and the index of the item it names
// (-1 when its list does not hold it).
void SetBoxText(ComboBox& box, const std::string& text) {
  box.SetText(text);
  const std::vector<std::string>& items = box.items.All();
  const auto at = std::find(items.begin(), items.end(), text);
  box.SetItemIndex(at == items.end() ? -1 : static_cast<int>(at - items.begin()));
}

// The flag character k (1-based) of a flag text is "1".
bool FlagOn(const std::string& flags, int k) { return static_cast<size_t>(k) <= flags.size() && flags[static_cast<size_t>(k - 1)] == '1'; }

}  // namespace

DeviceEditor::DeviceEditor(App& a)
    : app(a),
      Timer1(a.timers(), 5000, false),
      Timer2(a.timers(), 1000, false),
      Timer3(a.timers(), 1000, false),
      IdTelnet1(a.telnet()) {
  SetCaption("機器情報　登録／編集");
  BitBtn1.SetCaption("登録");
  BitBtn2.SetCaption("キャンセル");
  BitBtn3.SetCaption("情報取得");
  BitBtn4.SetCaption("CLS");
  Edit9.SetText("ゾルユニット");
  for (Edit* e : {&Edit9, &MemoEdit}) e->SetMaxBytes(kNameBytes);
  for (int i = 1; i <= 8; ++i) {
    const std::string number = std::to_string(i);
    OutletEdit(i).SetText("Outlet" + number);
    OutletEdit(i).SetMaxBytes(kNameBytes);
    // A comma would shift the fields of OutletNames and ConnectInfo.
    OutletEdit(i).SetRefusedChar(',');
    NamePanel(i).SetCaption(number);
    IconPanel(i).SetCaption(number);
    LogPanel(i).SetCaption(number);
    IconCheck(i).SetCaption("表示する");
    LogCheck(i).SetCaption("記録する");
    KindBox(i).items.Assign({kKindPower, kKindPing, kKindTemp});
    KindBox(i).SetText(kKindPower);
    KindBox(i).SetItemIndex(0);
  }
  ComboBox9.items.Assign({"http", "telnet", "なし"});
  ComboBox9.SetText("なし");
  ComboBox9.SetItemIndex(2);
  Edit11.SetText("80");
  MaskEdit1.SetText("kelpo");
  Edit12.SetText("23");
  for (TextControl* c : std::initializer_list<TextControl*>{&ComboBox9, &Edit10, &Edit11, &Edit12}) c->SetRefusedChar(',');
  CheckBox26.SetCaption("受信したIPアドレスに対して接続を行う");
  RadioButton1.SetCaption("有効");
  RadioButton2.SetCaption("無効");
  RadioButton2.SetChecked(true);
  GroupChangeRow.SetCaption("グループ設定変更");
  RadioButton3.SetCaption("有効");
  RadioButton3.SetChecked(true);
  RadioButton4.SetCaption("無効");
  const char* notify[9] = {"注意時", "警報時", "回復時", "タイムアウト時", "IP/MAC アドレス情報添付",
                           "注意時", "警報時", "回復時", "タイムアウト時"};
  for (size_t i = 0; i < 9; ++i) NotifyChecks()[i]->SetCaption(notify[i]);

  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
  Timer3.OnTimer = [this] { Timer3Timer(); };
  IdTelnet1.OnConnected = [this] { IdTelnet1Connected(); };
  IdTelnet1.OnDataAvailable = [this](const std::string& text) { IdTelnet1DataAvailable(text); };
  IdTelnet1.OnDisconnected = [this] { IdTelnet1Disconnected(); };
}

DeviceEditor::~DeviceEditor() {
  IdTelnet1.OnConnected = nullptr;
  IdTelnet1.OnDataAvailable = nullptr;
  IdTelnet1.OnDisconnected = nullptr;
}

Edit& DeviceEditor::OutletEdit(int i) {
  return Pick(std::array<Edit*, 8>{&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8}, i);
}
Panel& DeviceEditor::NamePanel(int i) {
  return Pick(std::array<Panel*, 8>{&Panel2, &Panel3, &Panel4, &Panel5, &Panel6, &Panel7, &Panel8, &Panel9}, i);
}
Panel& DeviceEditor::IconPanel(int i) {
  return Pick(std::array<Panel*, 8>{&Panel10, &Panel11, &Panel12, &Panel13, &Panel14, &Panel15, &Panel16, &Panel17}, i);
}
CheckBox& DeviceEditor::IconCheck(int i) {
  return Pick(std::array<CheckBox*, 8>{&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4, &CheckBox5, &CheckBox6,
                                       &CheckBox7, &CheckBox8},
              i);
}
ComboBox& DeviceEditor::KindBox(int i) {
  return Pick(std::array<ComboBox*, 8>{&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox4, &ComboBox5, &ComboBox6,
                                       &ComboBox7, &ComboBox8},
              i);
}
Panel& DeviceEditor::LogPanel(int i) {
  return Pick(std::array<Panel*, 8>{&Panel23, &Panel24, &Panel25, &Panel26, &Panel27, &Panel28, &Panel29, &Panel30}, i);
}
Panel& DeviceEditor::FilePanel(int i) {
  return Pick(std::array<Panel*, 8>{&Panel34, &Panel36, &Panel37, &Panel38, &Panel39, &Panel40, &Panel41, &Panel42}, i);
}
CheckBox& DeviceEditor::LogCheck(int i) {
  return Pick(std::array<CheckBox*, 8>{&CheckBox9, &CheckBox10, &CheckBox11, &CheckBox12, &CheckBox13, &CheckBox14,
                                       &CheckBox15, &CheckBox16},
              i);
}
std::array<CheckBox*, 9> DeviceEditor::NotifyChecks() {
  return {&CheckBox17, &CheckBox18, &CheckBox19, &CheckBox20, &CheckBox25,
          &CheckBox21, &CheckBox22, &CheckBox23, &CheckBox24};
}

// --- Handlers ---

void DeviceEditor::FormCreate() {
  EditRow = 0;
  ClientWidth = 500;
  ClientHeight = 480;
}

void DeviceEditor::CheckFlg(int n) {
  const int m = std::clamp(n, 0, 8);
  for (int k = 1; k <= 8; ++k) {
    const bool visible = k <= m;
    for (Control* c : std::initializer_list<Control*>{&NamePanel(k), &OutletEdit(k), &IconPanel(k), &IconCheck(k),
                                                      &KindBox(k), &LogPanel(k), &FilePanel(k), &LogCheck(k)}) {
      c->SetVisible(visible);
    }
    IconCheck(k).SetChecked(visible);
  }
}

void DeviceEditor::BitBtn2Click() { Close(); }

void DeviceEditor::Close() {
  if (!Visible()) return;
  Hide();
  FormClose();
}

void DeviceEditor::FormClose() { app.MainForm().SetEnabled(true); }

void DeviceEditor::ComboBox9Change() { Edit11.SetText(ComboBox9.Text() == "telnet" ? "23" : "80"); }

void DeviceEditor::MaskEdit1Change() { BitBtn3.SetEnabled(!MaskEdit1.Text().empty()); }

void DeviceEditor::BitBtn4Click() {
  Label1.SetCaption("");
  BitBtn4.SetEnabled(false);
}

// --- Load ---

void DeviceEditor::EditDataGet(int R) {
  const Grid& table = app.Form4().StringGrid1;
  const Grid& unreg = app.Form4().StringGrid2;

  GroupChangeRow.SetVisible(true);
  RadioButton3.SetVisible(true);
  RadioButton4.SetVisible(true);

  int n = 1;
  std::string t;  // one two-digit temperature action code per outlet
  std::array<bool, 8> icon{}, log{};
  std::array<int, 8> kind{};
  std::array<std::string, 8> names;
  if (R > 0) {
    auto cell = [&table, R](int col) -> const std::string& { return table.Cell(col, R); };
    ComboBoxEx1.SetVisible(false);
    n = DecimalOr(CsvField(cell(dtcol::OutletInfo), 1), 1);
    Panel33.SetCaption(cell(dtcol::IpAddress));
    Edit9.SetText(cell(dtcol::DeviceName));
    Panel18.SetCaption(cell(dtcol::MacAddress));
    const std::string& icon_flags = cell(dtcol::IconFlags);
    const std::string& kinds = cell(dtcol::ItemKinds);
    const std::string& log_flags = cell(dtcol::LogFlags);
    for (int k = 1; k <= 8; ++k) {
      icon[k - 1] = FlagOn(icon_flags, k);
      const char c = static_cast<size_t>(k) <= kinds.size() ? kinds[static_cast<size_t>(k - 1)] : ' ';
      kind[k - 1] = c >= '0' && c <= '9' ? c - '0' : 0;
      log[k - 1] = FlagOn(log_flags, k);
      names[k - 1] = CsvField(cell(dtcol::OutletNames), k);
    }
    const std::string& connect = cell(dtcol::ConnectInfo);
    SetBoxText(ComboBox9, CsvField(connect, 1));
    MaskEdit1.SetText(Scramble(CsvField(connect, 4), 0));
    Edit12.SetText(std::to_string(DecimalOr(CsvField(connect, 5), 23)));
    CheckBox26.SetChecked(CsvField(connect, 6) == "1");
    const bool direct = CsvField(connect, 7) == "1";
    RadioButton1.SetChecked(direct);
    RadioButton2.SetChecked(!direct);
    const bool group_change = CsvField(connect, 8) != "0";
    RadioButton3.SetChecked(group_change);
    RadioButton4.SetChecked(!group_change);
    // The panel shows this device's own result only, never the one of the
    // device loaded before.
    const std::string& result = cell(dtcol::GroupSendResult);
    Panel51.SetCaption(result.empty() ? std::string() : "最終時間 " + result);
    BitBtn3.SetEnabled(!MaskEdit1.Text().empty());
    Edit11.SetText(CsvField(connect, 3));
    Edit10.SetText(CheckBox26.Checked() ? cell(dtcol::IpAddress) : CsvField(connect, 2));
    ComboBoxEx1.SetText(cell(dtcol::GroupName));
    Panel44.SetCaption(ComboBoxEx1.Text());
    MemoEdit.SetText(cell(dtcol::DeviceMemo));
    Label1.SetCaption(cell(dtcol::DeviceInfo));
    BitBtn4.SetEnabled(!Label1.Caption().empty());
    if (!cell(dtcol::TmpActions).empty()) {
      app.Form4().StringGrid1.SetCell(dtcol::TmpActionCopy, R, cell(dtcol::TmpActions));
    }
    t = cell(dtcol::TmpActionCopy);
    const std::string f = cell(dtcol::NotifyFlags) + kNotifyReset;
    const std::array<CheckBox*, 9> boxes = NotifyChecks();
    for (size_t i = 0; i < boxes.size(); ++i) boxes[i]->SetChecked(f[static_cast<size_t>(kNotifyPos[i] - 1)] == '1');
  } else {
    Label1.SetCaption("");
    BitBtn4.SetEnabled(false);
    ComboBoxEx1.SetVisible(true);
    const std::string mac = Copy(SelectedNodeText(), 2, 17);
    int u = -1;
    for (int r = 1; r < unreg.RowCount() && !mac.empty(); ++r) {
      if (unreg.Cell(5, r) == mac) {
        u = r;
        break;
      }
    }
    n = DecimalOr(unreg.Cell(6, u), 1);
    Panel33.SetCaption(unreg.Cell(3, u));
    Edit10.SetText(unreg.Cell(3, u));
    Edit9.SetText("ゾルユニット");
    MemoEdit.SetText("");
    for (int k = 1; k <= 8; ++k) {
      names[k - 1] = "Outlet" + std::to_string(k);
      icon[k - 1] = true;
    }
    SetBoxText(ComboBox9, "なし");
    Edit11.SetText("80");
    t = unreg.Cell(28, u);
    // A new device has no group command result of its own.
    Panel51.SetCaption("");
    // The password, telnet port, CheckBox26, the radio buttons, the
    // notification boxes and BitBtn3 keep what the editor last showed.
  }
  // The kind lists: power and PING for an outlet without a temperature
  // action, power and temperature for one with.
  for (int k = 1; k <= 8; ++k) {
    const int a = DecimalOr(Copy(t, 3 * k - 2, 2), 0);
    KindBox(k).items.Assign({kKindPower, a == 0 ? kKindPing : kKindTemp});
  }
  CheckFlg(n);
  for (int k = 1; k <= 8; ++k) {
    IconCheck(k).SetChecked(icon[k - 1]);
    ComboBox& box = KindBox(k);
    // The text is set even when the box's list does not offer it.
    SetBoxText(box, kind[k - 1] == 1 ? kKindPing : kind[k - 1] == 2 ? kKindTemp : kKindPower);
    LogCheck(k).SetChecked(log[k - 1]);
  }
  Panel20.SetCaption(std::to_string(n));
  for (int k = 1; k <= 8; ++k) OutletEdit(k).SetText(names[k - 1]);
  const DateTime now = app.clock().Now();
  for (int k = 1; k <= 8; ++k) FilePanel(k).SetCaption(OutletCsvLogName(R, k, now));
}

// --- Store ---

void DeviceEditor::EditDataPut(int R) {
  DebugWindow& form4 = app.Form4();
  Grid& table = form4.StringGrid1;
  Grid& unreg = form4.StringGrid2;

  RemoveSelectedUnregNode();

  std::string names, icon_flags, log_flags, kinds;
  for (int k = 1; k <= 8; ++k) {
    names += OutletEdit(k).Text() + ",";
    icon_flags += IconCheck(k).Checked() ? '1' : '0';
    log_flags += LogCheck(k).Checked() ? '1' : '0';
    kinds += KindDigit(KindBox(k).Text());
  }

  // Nothing is stored before the data files are loaded: a save would then
  // write the empty table over the device file.
  if (app.group_selector().Enabled()) {
    DeviceTree& tree = app.tree();
    const std::string g = ComboBoxEx1.Text();
    if (tree.TreeView1.Selected() != tree.TreeView1.GetFirstNode()) tree.TreeView1.Select(tree.TreeView1.GetFirstNode());
    int row = 0;
    int n = 1;
    if (R == 0) {
      for (int r = 1; r <= kFirstFreeRowLimit && row == 0; ++r) {
        if (table.Cell(dtcol::MacAddress, r).empty()) row = r;
      }
      int u = 0;
      for (int r = 1; r < unreg.RowCount() && u == 0 && !Panel18.Caption().empty(); ++r) {
        if (unreg.Cell(5, r) == Panel18.Caption()) u = r;
      }
      // Without a free row or the device's live record there is nothing to
      // register (BitBtn1Click has said why).
      if (row == 0 || u == 0) {
        Close();
        return;
      }
      // A text contained in no node places no node; the next rebuild
      // places the device by its GroupName.
      if (TreeNode* group_node = FindGroupNode(g)) {
        tree.TreeNewDataSet(group_node, DeviceIdText(row), Edit9.Text());
        tree.TreeNodeRef();
      }
      n = DecimalOr(unreg.Cell(6, u), 1);
      for (int k = 0; k < kLiveFields; ++k) table.SetCell(dtcol::Live + k, row, unreg.Cell(1 + k, u));
      form4.StringGrid2ColDelete(u);
    } else {
      row = R;
      n = DecimalOr(CsvField(table.Cell(dtcol::OutletInfo, row), 1), 1);
      if (TreeNode* node = DeviceNode(row)) tree.TreeView1.SetText(node, DeviceNodeText(row, Edit9.Text()));
    }

    table.SetCell(0, row, std::to_string(row));
    if (!table.Cell(dtcol::SrcMac, row).empty()) table.SetCell(dtcol::MacAddress, row, table.Cell(dtcol::SrcMac, row));
    const std::string outlet_info = table.Cell(dtcol::PngOutlets, row) + "," + table.Cell(dtcol::PngTargets, row);
    if (outlet_info != ",") table.SetCell(dtcol::OutletInfo, row, outlet_info);
    std::string notify = kNotifyReset;
    const std::array<CheckBox*, 9> boxes = NotifyChecks();
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i]->Checked()) notify[static_cast<size_t>(kNotifyPos[i] - 1)] = '1';
    }
    table.SetCell(dtcol::NotifyFlags, row, notify);
    table.SetCell(dtcol::LiveBase, row, "20");
    const auto bit = [](bool on) { return on ? std::string("1") : std::string("0"); };
    table.SetCell(dtcol::ConnectInfo, row,
                  ComboBox9.Text() + "," + Edit10.Text() + "," + Edit11.Text() + "," + Scramble(MaskEdit1.Text(), 1) +
                      "," + Edit12.Text() + "," + bit(CheckBox26.Checked()) + "," + bit(RadioButton1.Checked()) + "," +
                      bit(RadioButton3.Checked()));
    table.SetCell(dtcol::IpAddress, row, Panel33.Caption());
    table.SetCell(dtcol::LogFlags, row, log_flags);
    table.SetCell(dtcol::IconFlags, row, icon_flags);
    table.SetCell(dtcol::ItemKinds, row, kinds);
    table.SetCell(dtcol::DeviceName, row, Edit9.Text());
    table.SetCell(dtcol::GroupName, row, g);
    table.SetCell(dtcol::DeviceMemo, row, MemoEdit.Text());
    table.SetCell(dtcol::DeviceInfo, row, Label1.Caption());
    table.SetCell(dtcol::OutletNames, row, names);
    if (form4.LastRow < row) form4.LastRow = row;

    // Every item back to "不明"; the icons are made again and evaluated
    // against it.
    std::string images;
    for (int k = 0; k < kOutletSlots; ++k) images += "0009 ";
    table.SetCell(dtcol::ItemImages, row, images);
    IconView& icons = app.icons();
    for (int k = 1; k <= std::min(n, kOutletSlots); ++k) {
      icons.ListDataDel(row, k);
      if (icon_flags[static_cast<size_t>(k - 1)] == '1') icons.ListDataNew(row, k);
    }
  }
  Close();
}

// --- "登録" ---

bool DeviceEditor::StoreAllowed() {
  auto refuse = [this](const std::string& text, BoxKind kind) {
    app.boxes().Show(text, kind, BoxButtons::Ok);
    return false;
  };
  if (!app.group_selector().Enabled()) {
    return refuse("データファイルが読み込まれていないため保存できません。", BoxKind::Error);
  }
  // A field holding characters that Shift-JIS cannot hold would be stored
  // with "?" in their place.
  if (const char* field = UnheldField({{&Edit9, "機器名称"},
                                       {&MemoEdit, "メモ"},
                                       {&Edit1, "アウトレット名称1"},
                                       {&Edit2, "アウトレット名称2"},
                                       {&Edit3, "アウトレット名称3"},
                                       {&Edit4, "アウトレット名称4"},
                                       {&Edit5, "アウトレット名称5"},
                                       {&Edit6, "アウトレット名称6"},
                                       {&Edit7, "アウトレット名称7"},
                                       {&Edit8, "アウトレット名称8"},
                                       {&Edit10, "IPアドレス"},
                                       {&Edit11, "PORT"},
                                       {&MaskEdit1, "パスワード"},
                                       {&Edit12, "TELNET PORT"}})) {
    return refuse(UnheldMessage(field), BoxKind::Warning);
  }
  if (EditRow == 0) {
    const std::string& g = ComboBoxEx1.Text();
    const std::vector<std::string>& groups = ComboBoxEx1.items.All();
    if (g.empty() || StartsWith(g, "G000") || std::find(groups.begin(), groups.end(), g) == groups.end()) {
      return refuse("登録するグループを選択してください。", BoxKind::Warning);
    }
    const Grid& table = app.Form4().StringGrid1;
    bool free_row = false;
    for (int r = 1; r <= kFirstFreeRowLimit && !free_row; ++r) free_row = table.Cell(dtcol::MacAddress, r).empty();
    if (!free_row) return refuse("登録できる機器は999台までです。", BoxKind::Error);
    const Grid& unreg = app.Form4().StringGrid2;
    bool listed = false;
    for (int r = 1; r < unreg.RowCount() && !listed && !Panel18.Caption().empty(); ++r) {
      listed = unreg.Cell(5, r) == Panel18.Caption();
    }
    if (!listed) return refuse("登録する機器が未登録リストにありません。", BoxKind::Error);
  } else if (!DeviceNode(EditRow)) {
    return refuse(DeviceIdText(EditRow) + "はツリーにないため保存できません。", BoxKind::Error);
  }
  return true;
}

void DeviceEditor::BitBtn1Click() {
  if (!StoreAllowed()) return;
  app.monitoring().ButtonPushMode();
  EditDataPut(EditRow);
  // A data file that cannot be written ends the registration after its box.
  if (!app.Form4().SettingDataSave()) return;
  app.tree().ReStetingData();
  app.Form4().LastDataCnt();
}

// --- The ways in ---

void DeviceEditor::OpenRegistration() {
  PageControl1.SetActivePageIndex(0);
  Panel18.SetCaption(Copy(SelectedNodeText(), 2, 17));
  const ComboBox& selector = app.group_selector();
  std::vector<std::string> groups = selector.items.All();
  if (!groups.empty()) groups.pop_back();  // the fixed group G000
  ComboBoxEx1.items.Assign(std::move(groups));
  SetBoxText(ComboBoxEx1, selector.Text());
  app.MainForm().SetEnabled(false);
  EditRow = 0;
  EditDataGet(0);
  Show();
}

void DeviceEditor::OpenEdit(int row) {
  EditRow = row;
  PageControl1.SetActivePageIndex(0);
  EditDataGet(row);
  Show();
}

void DeviceEditor::EditDataGetPut(int row) {
  EditRow = row;
  EditDataGet(row);
  EditDataPut(row);
}

// --- The tree ---

std::string DeviceEditor::SelectedNodeText() const {
  const TreeNode* node = app.tree().TreeView1.Selected();
  return node ? node->Text() : std::string();
}

void DeviceEditor::RemoveSelectedUnregNode() {
  TreeView& tree = app.tree().TreeView1;
  TreeNode* node = tree.Selected();
  if (node && StartsWith(node->Text(), "[")) tree.Delete(node);
}

TreeNode* DeviceEditor::FindGroupNode(const std::string& group) const {
  // An empty text is contained in no node.
  if (group.empty()) return nullptr;
  for (TreeNode* node : app.tree().TreeView1.Nodes()) {
    if (node->Text().find(group) != std::string::npos) return node;
  }
  return nullptr;
}

TreeNode* DeviceEditor::DeviceNode(int row) const {
  // Device nodes hang under the groups; no other node's text begins with
  // "ID", and a device has one node. The rebuild has just added the node it
  // passes as its group's last child, so that place is looked at first.
  const std::string id = DeviceIdText(row);
  const TreeView& tree = app.tree().TreeView1;
  for (size_t g = 0; g < tree.TopCount(); ++g) {
    const TreeNode* group = tree.Top(g);
    TreeNode* last = group->Count() ? group->Item(group->Count() - 1) : nullptr;
    if (last && StartsWith(last->Text(), id)) return last;
  }
  for (size_t g = 0; g < tree.TopCount(); ++g) {
    const TreeNode* group = tree.Top(g);
    for (size_t i = 0; i < group->Count(); ++i) {
      if (StartsWith(group->Item(i)->Text(), id)) return group->Item(i);
    }
  }
  return nullptr;
}

}  // namespace zol
