#include "console/device_tree.h"

#include <algorithm>
#include <string_view>

#include "common/text.h"
#include "console/app.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/icon_view.h"
#include "telnet/device_editor.h"
#include "settings/settings_dialog.h"
#include "telnet/group_tab.h"

namespace zol {

const char* const kUnregGroupText = "G000 未登録グループ";

namespace {

struct Category {
  const char* text;
  int image;
};
constexpr Category kCategories[] = {{"状態表示", 4}, {"アウトレット", 5}, {"温度監視", 6}, {"ネットワーク", 7},
                                    {"設定内容", 8}, {"ログ記録", 11},    {"メモ", 12}};

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The device ID of a device node: characters 3 to 5 as a decimal number, 0
// when they are not one.
int NodeRow(const std::string& text) { return DecimalOr(CopyView(text, 3, 3), 0); }

}  // namespace

namespace {

// Length of a node text without its count suffix.
size_t GroupBaseLength(const std::string& text) {
  const size_t paren = text.find('(');
  if (paren == std::string::npos) return text.size();
  const size_t blank = paren == 0 ? std::string::npos : text.rfind(' ', paren - 1);
  return blank == std::string::npos ? paren : blank;
}

}  // namespace

std::string GroupBaseText(const std::string& text) { return text.substr(0, GroupBaseLength(text)); }

std::string GroupNodeText(const std::string& base, size_t count) {
  return base + " (" + std::to_string(count) + ")";
}

std::string DeviceNodeText(int row, const std::string& name) { return DeviceIdText(row) + " " + name; }

std::string UnregNodeText(const std::string& mac, const std::string& ip) {
  return "[" + mac + "] " + ip + " 未登録";
}

DeviceTree::DeviceTree(App& a) : app(a) {
  ComboBoxEx1.SetEnabled(false);
  // The window's two initial groups, the default group list of a new
  // installation.
  TreeView1.AddChild(nullptr, "G001 グループ1", treeimg::Group);
  TreeView1.AddChild(nullptr, kUnregGroupText, treeimg::UnregGroup);
}

void DeviceTree::TreeViewSetUp() {
  TreeView1.SetReadOnly(true);
  TreeView1.SetAutoDrag(true);
}

TreeNode* DeviceTree::UnregGroup() const {
  for (size_t i = 0; i < TreeView1.TopCount(); ++i) {
    if (StartsWith(TreeView1.Top(i)->Text(), "G000")) return TreeView1.Top(i);
  }
  return nullptr;
}

void DeviceTree::ReStetingData() {
  const Grid& table = app.Form4().StringGrid1;
  const Grid& unreg = app.Form4().StringGrid2;

  TreeView1.Clear();
  app.icons().ListView1.Clear();
  std::vector<std::string> devices;  // the settings dialog's device lists

  // A group list without G000 (an empty or hand-edited file) would leave
  // unregistered devices nowhere to go: the fixed group is added to the
  // list, and the next save writes it.
  bool has_unreg_group = false;
  for (const std::string& g : ComboBoxEx1.items.All()) has_unreg_group = has_unreg_group || StartsWith(g, "G000");
  if (!has_unreg_group) ComboBoxEx1.items.Add(kUnregGroupText);

  for (const std::string& g : ComboBoxEx1.items.All()) TreeView1.AddChild(nullptr, g, -1);
  TreeView1.Select(TreeView1.GetFirstNode());

  const int last = std::min(999, table.UsedRowCount() - 1);
  for (int r = 1; r <= last; ++r) {
    if (table.Cell(dtcol::MacAddress, r).size() <= 8) continue;
    const std::string& name = table.Cell(dtcol::DeviceName, r);
    devices.push_back(DeviceNodeText(r, name));
    const std::string group = table.Cell(dtcol::GroupName, r).substr(0, 4);
    if (group.empty()) continue;
    TreeNode* node = nullptr;
    for (size_t i = 0; i < TreeView1.TopCount() && !node; ++i) {
      if (TreeView1.Top(i)->Text().compare(0, 4, group) == 0) node = TreeView1.Top(i);
    }
    if (!node) continue;  // its group is gone: no node, the row stays
    TreeNewDataSet(node, DeviceIdText(r), name);
    TreeNodeRef();
    app.Form5().EditDataGetPut(r);
  }
  app.Form8().SettingsDeviceLists(devices);

  // The unregistered devices; the list's last row is its scratch row, whose
  // device the next new MAC overwrites, so it gets no node.
  if (unreg.RowCount() > 2) {
    for (int r = 1; r <= unreg.RowCount() - 2; ++r) {
      const std::string& mac = unreg.Cell(5, r);
      if (!mac.empty()) TreeUnRegData("[" + mac + "] " + unreg.Cell(3, r), 0);
    }
  }

  for (size_t i = 0; i < TreeView1.TopCount(); ++i) {
    TreeNode* n = TreeView1.Top(i);
    if (StartsWith(n->Text(), "G000")) TreeView1.SetImageIndex(n, treeimg::UnregGroup);
    else if (StartsWith(n->Text(), "G")) TreeView1.SetImageIndex(n, treeimg::Group);
  }
}

void DeviceTree::TreeNodeCount(TreeNode* group) {
  if (!group) return;
  const std::string& text = group->Text();
  const size_t base = GroupBaseLength(text);
  const std::string suffix = " (" + std::to_string(group->Count()) + ")";
  if (text.compare(base, std::string::npos, suffix) == 0) return;  // the count is up to date
  TreeView1.SetText(group, text.substr(0, base) + suffix);
}

void DeviceTree::TreeNodeRef() {
  // The rebuild runs this once per placed device, so a group list that is
  // already right is left as it is rather than written again.
  const std::vector<std::string>& items = ComboBoxEx1.items.All();
  bool same = items.size() == TreeView1.TopCount();
  for (size_t i = 0; i < TreeView1.TopCount(); ++i) {
    TreeNode* n = TreeView1.Top(i);
    TreeNodeCount(n);
    if (same) same = std::string_view(n->Text()).substr(0, GroupBaseLength(n->Text())) == items[i];
  }
  // The program's own refill: disabled meanwhile, so it is never taken for
  // the operator's choice.
  const bool enabled = ComboBoxEx1.Enabled();
  ComboBoxEx1.SetEnabled(false);
  if (!same) {
    std::vector<std::string> groups;
    groups.reserve(TreeView1.TopCount());
    for (size_t i = 0; i < TreeView1.TopCount(); ++i) groups.push_back(GroupBaseText(TreeView1.Top(i)->Text()));
    ComboBoxEx1.items.Assign(std::move(groups));
  }
  ComboBoxEx1.SetEnabled(enabled);
  ComboBoxEx1.SetText(ComboBoxEx1.items.Count() ? ComboBoxEx1.items[0] : std::string());
  ComboBoxEx1.SetItemIndex(ComboBoxEx1.items.Count() ? 0 : -1);
  app.group_tab().ComboBoxEx2Refill();
}

TreeNode* DeviceTree::TreeNewDataSet(TreeNode* group, const std::string& id_text, const std::string& name) {
  if (!group) return nullptr;
  TreeNode* device = TreeView1.AddChild(group, id_text + " " + name, treeimg::Device);
  for (const Category& c : kCategories) TreeView1.AddChild(device, c.text, c.image);
  return device;
}

void DeviceTree::TreeUnRegData(const std::string& node_text, int /*add_row*/) {
  // The unregistered list grows in the registration match, before this
  // call, so add_row asks nothing more of the tree.
  const std::string key = node_text.substr(0, 19);
  for (TreeNode* n : TreeView1.Nodes()) {
    if (n->Text().find(key) != std::string::npos) {
      TreeView1.SetText(n, node_text + " 未登録");
      return;
    }
  }
  TreeNode* g000 = UnregGroup();
  if (!g000) {
    // The fixed group is missing (the operator cannot delete it, but a
    // rebuild from an odd group list may lack it): it comes back last.
    g000 = TreeView1.AddChild(nullptr, kUnregGroupText, treeimg::UnregGroup);
    ComboBoxEx1.items.Add(kUnregGroupText);
  }
  TreeView1.AddChild(g000, node_text + " 未登録", treeimg::Unregistered);
  TreeNodeCount(g000);
}

TreeNode* DeviceTree::Grupinsert(const std::string& group_text) {
  TreeNode* n = TreeView1.Insert(UnregGroup(), group_text, treeimg::Group);
  TreeView1.Select(n);
  return n;
}

void DeviceTree::GrupRef() {
  Grid& table = app.Form4().StringGrid1;
  for (size_t i = 0; i < TreeView1.TopCount(); ++i) {
    const TreeNode* group = TreeView1.Top(i);
    const std::string base = GroupBaseText(group->Text());
    for (size_t k = 0; k < group->Count(); ++k) {
      const std::string& text = group->Item(k)->Text();
      if (text.find("ID") == std::string::npos) continue;
      const int row = NodeRow(text);
      if (row >= 1 && row <= 999) table.SetCell(dtcol::GroupName, row, base);
    }
  }
}

void DeviceTree::ListIconRef() {
  const Grid& table = app.Form4().StringGrid1;
  for (size_t i = 0; i < TreeView1.TopCount(); ++i) {
    const TreeNode* group = TreeView1.Top(i);
    for (size_t k = 0; k < group->Count(); ++k) {
      TreeNode* node = group->Item(k);
      const std::string& text = node->Text();
      if (text.find("ID") == std::string::npos) continue;
      const int row = NodeRow(text);
      int w = 0;
      if (table.Cell(dtcol::RecvDate, row).empty()) {
        w = 4;
      } else {
        const std::string& images = table.Cell(dtcol::ItemImages, row);
        for (int j = 1; j <= 8; ++j) {
          const int v = DecimalOr(CopyView(images, 5 * (j - 1) + 1, 4), 8);
          if (w == 0 && (v == 1 || v == 4)) w = 1;
          if (w < 2 && (v == 2 || v == 5)) w = 2;
          if (v == 8) w = 3;
        }
      }
      TreeView1.SetImageIndex(node, w == 0 ? treeimg::Device : 17 + w);
    }
  }
}

void DeviceTree::ComboBoxEx1Change() {
  if (!ComboBoxEx1.Enabled()) return;
  TreeView1.Select(TreeView1.GetFirstNode());
  const std::string& want = ComboBoxEx1.Text();
  for (TreeNode* n : TreeView1.Nodes()) {
    if (n->Text().find(want) != std::string::npos) {
      TreeView1.Select(n);
      return;
    }
  }
}

std::string DeviceTree::NodeAncestorText(const TreeNode* node, int level) {
  if (!node || level < 0 || level > node->Level()) return std::string();
  while (node->Level() > level) node = node->Parent();
  return node->Text();
}

bool DeviceTree::IsNodeUnder(const TreeNode* node, const TreeNode* target) {
  return node && TreeView::IsWithin(node, target);
}

std::vector<std::string> DeviceTree::TreeGroupTexts() const {
  std::vector<std::string> texts;
  for (size_t i = 0; i < TreeView1.TopCount(); ++i) texts.push_back(TreeView1.Top(i)->Text());
  return texts;
}

}  // namespace zol
