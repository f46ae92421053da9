// What the operator does with the device tree: moving a device to another
// group by drag and drop (the tree expands a group the pointer rests on and
// scrolls at its edges), registering an unregistered device by a
// double-click, and the tree's popup menu, whose items by node kind create,
// rename and delete groups, edit and delete devices and open a device's
// details or connection. Group and device edits from the menu respect the
// edit lock; drags and registrations need no password and work while
// monitoring runs. An area of the main window beside the tree itself.
#pragma once

#include <string>

#include "common/controls.h"
#include "common/platform.h"

namespace zol {

class App;
class DeviceTree;

class TreeOperations {
 public:
  explicit TreeOperations(App& app);

  App& app;

  // --- Drag state ---
  Timer Timer1;         // 1500 ms: expands the node at Timer1Tag
  int Timer1Tag = 0;    // absolute index of the node to expand
  Timer Timer2;         // 50 ms: scrolls one line in ScrollDirection
  enum { kScrollNone = -1, kScrollUp = 0, kScrollDown = 1 };
  int ScrollDirection = kScrollNone;

  // --- The popup menu PopupMenu1 ---
  Button PopBtn1;  // "グループ新規作成(&G)"
  Button PopBtn2;  // "グループ名称変更(&R)"
  Button PopBtn3;  // "グループ削除(&K)"
  Button PopBtn4;  // "新規登録(&N)"
  Button PopBtn5;  // "編集(&E)"
  Button PopBtn6;  // "削除(&D)"
  Button N1;       // separator
  Button PopBtn8;  // "詳細(&S)"
  Button PopBtn9;  // "接続(&C)"
  Button N2;       // separator
  Button PopBtn7;  // "閉じる(&X)": closes the menu only

  // --- Drag and drop ---
  // A drag of the selected node begins: no drop target yet.
  void TreeView1StartDrag();
  // The pointer moves over the tree during a drag: from_tree tells whether
  // the drag came from this tree, under is the node under the pointer (null
  // over empty space), y its height in the tree's client area. Returns
  // whether a drop would be accepted.
  bool TreeView1DragOver(bool from_tree, TreeNode* under, int y);
  // The pointer left the tree: no drop target.
  void TreeView1DragLeave();
  void TreeView1DragDrop();
  // Every drag ends here, dropped or not.
  void TreeView1EndDrag();
  void Timer1Timer();
  void Timer2Timer();

  // --- Registration, also PopBtn4 ---
  void TreeView1DblClick();

  // --- The popup menu ---
  // Before the menu opens: its items by the selected node.
  void PopupMenu1Popup();
  // 0 hides the kind-dependent items and enables the edit items while
  // monitoring is stopped; 1..4 (G000, group, unregistered device, device)
  // do so and show the kind's items.
  void PopupButttnCk(int kind);
  void PopBtn1Click();  // new group
  void PopBtn2Click();  // rename group
  void PopBtn3Click();  // delete group
  void PopBtn4Click() { TreeView1DblClick(); }
  void PopBtn5Click();  // edit device
  void PopBtn6Click();  // delete group or device
  void PopBtn8Click();  // the device window's details
  void PopBtn9Click();  // the device window's connect
  void PopBtn7Click() {}

 private:
  DeviceTree& tree();
  TreeView& view();
  void GroupDelete(TreeNode* group);
  void DeviceDelete(TreeNode* device);
};

}  // namespace zol
