// The device tree on the main window's tab "機器一覧": the groups, the
// registered devices of each group with their seven category nodes, and the
// devices heard but not registered under the fixed group G000. The tree is
// the master of the group list: the group selector above it (ComboBoxEx1,
// whose items the group list file stores) is refilled from its group nodes.
//
// Node texts and what they stand for (read from text and level only):
//   level 0  "G" + 3-digit group number + " " + name [+ " (" + count + ")"]
//            a group; "G000 ..." is the unregistered group (icon 2, else 0)
//   level 1  "ID" + 3-digit device ID + " " + name: a registered device
//            (icon 3 or a state icon 18..21)
//            "[" + MAC + "] " + IP + " 未登録": an unregistered device (icon 1)
//   level 2  the categories "状態表示" ... "メモ" (icons 4..8, 11, 12)
#pragma once

#include <string>
#include <vector>

#include "common/controls.h"

namespace zol {

class App;

// Pictures of the tree's image list, by position.
namespace treeimg {
constexpr int Group = 0;
constexpr int Unregistered = 1;
constexpr int UnregGroup = 2;
constexpr int Device = 3;
constexpr int Caution = 18;
constexpr int Alarm = 19;
constexpr int TimeOut = 20;
constexpr int NotHeard = 21;
constexpr int Count = 22;
}  // namespace treeimg

// The fixed group of unregistered devices.
extern const char* const kUnregGroupText;  // "G000 未登録グループ"

// A node text without its count suffix: cut before the blank that precedes
// the first "("; the whole text when it has no "(".
std::string GroupBaseText(const std::string& text);
// "G001 グループ1" + " (" + count + ")".
std::string GroupNodeText(const std::string& base, size_t count);
// "ID" + 3-digit ID + " " + name.
std::string DeviceNodeText(int row, const std::string& name);
// "[" + MAC + "] " + IP + " 未登録".
std::string UnregNodeText(const std::string& mac, const std::string& ip);

class DeviceTree {
 public:
  explicit DeviceTree(App& app);

  App& app;
  TreeView TreeView1;
  // Group selector above the tree: its items are the group list, saved in
  // the group list file. Disabled until the data files are loaded.
  ComboBox ComboBoxEx1;

  // Tree view set-up at the window's creation: texts not editable, drags
  // start by themselves.
  void TreeViewSetUp();
  // Rebuilds the tree from the group list, the device table and the
  // unregistered list; empties the icon view; passes every device it places
  // through the device editor's load and store (its row normalised, its
  // icons made again); refills the settings dialog's device lists.
  void ReStetingData();
  // Refreshes every group's count and refills both group selectors.
  void TreeNodeRef();
  // Sets the group node's count suffix (its number of direct children).
  void TreeNodeCount(TreeNode* group);
  // Adds a device node (ID text + " " + name, icon 3) with its seven
  // category nodes as the last child of the group node.
  TreeNode* TreeNewDataSet(TreeNode* group, const std::string& id_text, const std::string& name);
  // Adds or renames the node of an unregistered device ("[" + MAC + "] " +
  // IP). The unregistered list itself is grown by the registration match.
  void TreeUnRegData(const std::string& node_text, int add_row);
  // Inserts a new group node before G000 and selects it.
  TreeNode* Grupinsert(const std::string& group_text);
  // Writes every device's group (its top-level node, without count) into
  // its GroupName.
  void GrupRef();
  // Gives every device node the icon of its worst state.
  void ListIconRef();
  // The group selector's change handler: the operator chose or typed a
  // group; selects the first node whose text contains the selector's text.
  void ComboBoxEx1Change();
  // The operator's click on a node (after it was selected) goes to the
  // detail grid: DetailGrid::TreeView1Click.

  // Text of the node's ancestor at level (0 to 4): the node's own text at
  // its own level, empty when the level is deeper than the node.
  static std::string NodeAncestorText(const TreeNode* node, int level);
  // True when node is target or one of its descendants; false for no node.
  static bool IsNodeUnder(const TreeNode* node, const TreeNode* target);

  // The texts of the top-level (group) nodes in tree order.
  std::vector<std::string> TreeGroupTexts() const;

 private:
  // The first top-level node whose text begins with "G000", null for none.
  TreeNode* UnregGroup() const;
};

}  // namespace zol
