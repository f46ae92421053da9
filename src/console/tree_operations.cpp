#include "console/tree_operations.h"

#include "common/text.h"
#include "console/app.h"
#include "console/device_tree.h"
#include "console/device_window.h"
#include "console/group_dialog.h"
#include "console/password_dialog.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/monitoring.h"
#include "telnet/device_editor.h"
#include "telnet/group_tab.h"

namespace zol {

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The device ID of a device node text: characters 3 to 5 as a decimal
// number, 0 when they are not one.
int NodeId(const std::string& text) { return DecimalOr(CopyView(text, 3, 3), 0); }

// A group the operator may rename or delete: top-level, not G000.
bool OrdinaryGroup(const TreeNode* n) {
  return n && n->Level() == 0 && StartsWith(n->Text(), "G") && !StartsWith(n->Text(), "G000");
}

}  // namespace

TreeOperations::TreeOperations(App& a) : app(a), Timer1(a.timers(), 1500, false), Timer2(a.timers(), 50, false) {
  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
  PopBtn1.SetCaption("グループ新規作成(&G)");
  PopBtn2.SetCaption("グループ名称変更(&R)");
  PopBtn3.SetCaption("グループ削除(&K)");
  PopBtn4.SetCaption("新規登録(&N)");
  PopBtn5.SetCaption("編集(&E)");
  PopBtn6.SetCaption("削除(&D)");
  N1.SetCaption("-");
  PopBtn8.SetCaption("詳細(&S)");
  PopBtn9.SetCaption("接続(&C)");
  N2.SetCaption("-");
  PopBtn7.SetCaption("閉じる(&X)");
}

DeviceTree& TreeOperations::tree() { return app.tree(); }
TreeView& TreeOperations::view() { return app.tree().TreeView1; }

// --- Drag and drop ---

void TreeOperations::TreeView1StartDrag() { view().SetDropTarget(nullptr); }

bool TreeOperations::TreeView1DragOver(bool from_tree, TreeNode* under, int y) {
  TreeView& tv = view();
  // The drop target is the last node passed over; it stays over empty space.
  if (under) tv.SetDropTarget(under);
  TreeNode* target = tv.DropTarget();
  const bool accept = from_tree && !DeviceTree::IsNodeUnder(target, tv.Selected());
  if (!accept) return false;

  if (target) {
    const int abs = target->AbsoluteIndex();
    if (Timer1.Enabled() && Timer1Tag != abs) Timer1.SetEnabled(false);
    if (!target->Expanded() && target->HasChildren()) {
      Timer1Tag = abs;
      Timer1.SetEnabled(true);  // already running for this node: keeps running
    }
  }
  if (y < 20) {
    ScrollDirection = kScrollUp;
    Timer2.SetEnabled(true);
  } else if (y >= tv.ClientHeight() - 20) {
    ScrollDirection = kScrollDown;
    Timer2.SetEnabled(true);
  } else {
    ScrollDirection = kScrollNone;
    Timer2.SetEnabled(false);
  }
  return true;
}

void TreeOperations::TreeView1DragLeave() { view().SetDropTarget(nullptr); }

void TreeOperations::Timer1Timer() {
  TreeView& tv = view();
  if (Timer1Tag >= 0) tv.SetExpanded(tv.Node(static_cast<size_t>(Timer1Tag)), true);
  Timer1.SetEnabled(false);
}

void TreeOperations::Timer2Timer() {
  if (ScrollDirection == kScrollUp) view().ScrollLines(-1);
  else if (ScrollDirection == kScrollDown) view().ScrollLines(1);
}

void TreeOperations::TreeView1DragDrop() {
  TreeView& tv = view();
  TreeNode* target = tv.DropTarget();
  TreeNode* dragged = tv.Selected();
  if (!target || !dragged) return;
  if (target->Level() != 0 || StartsWith(target->Text(), "G000")) return;
  if (dragged->Level() != 1 || StartsWith(dragged->Text(), "[")) return;
  tv.MoveTo(dragged, target);
  tree().TreeNodeRef();
}

void TreeOperations::TreeView1EndDrag() {
  ScrollDirection = kScrollNone;
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  view().SetDropTarget(nullptr);
  tree().GrupRef();
  app.Form4().SettingDataSave();
}

// --- Registration ---

void TreeOperations::TreeView1DblClick() {
  const TreeNode* node = view().Selected();
  if (!node) return;
  const std::string text = node->Text();
  app.Form4().LastDataCnt();
  if (!StartsWith(text, "[")) return;
  app.group_tab().ComboBoxEx2Refill();
  app.Form5().OpenRegistration();
}

// --- The popup menu ---

void TreeOperations::PopupButttnCk(int kind) {
  for (Button* b : {&PopBtn1, &PopBtn2, &PopBtn3, &PopBtn4, &PopBtn5, &PopBtn6, &PopBtn8, &PopBtn9, &N2})
    b->SetVisible(false);
  const bool stopped = app.monitoring().ToolButton1.Enabled();
  for (Button* b : {&PopBtn1, &PopBtn2, &PopBtn3, &PopBtn4, &PopBtn5, &PopBtn6}) b->SetEnabled(stopped);
  switch (kind) {
    case 1:
      PopBtn1.SetVisible(true);
      break;
    case 2:
      PopBtn1.SetVisible(true);
      PopBtn2.SetVisible(true);
      PopBtn3.SetVisible(true);
      break;
    case 3:
      PopBtn4.SetVisible(true);
      break;
    case 4:
      PopBtn5.SetVisible(true);
      PopBtn6.SetVisible(true);
      break;
    default:
      break;
  }
}

void TreeOperations::PopupMenu1Popup() {
  PopupButttnCk(0);
  N1.SetVisible(true);
  PopBtn7.SetVisible(true);
  const TreeNode* node = view().Selected();
  if (!node) return;
  const std::string& text = node->Text();
  if (node->Level() == 0) PopupButttnCk(StartsWith(text, "G000") ? 1 : 2);
  else if (node->Level() == 1) PopupButttnCk(StartsWith(text, "[") ? 3 : 4);

  const std::string device = DeviceTree::NodeAncestorText(node, 1);
  if (StartsWith(device, "ID")) {
    DeviceWindow& window = app.Form7();
    window.listicondata(ZeroPad(NodeId(device), 4), 1);
    PopBtn8.SetVisible(true);
    PopBtn9.SetVisible(true);
    N2.SetVisible(true);
    PopBtn8.SetEnabled(window.BitBtn1.Enabled());
    PopBtn9.SetEnabled(window.BitBtn4.Enabled());
  }
}

void TreeOperations::PopBtn1Click() {
  if (!EditAllowed(app)) return;
  GroupDialog& dialog = app.Form3();
  dialog.OldGroupText.clear();
  dialog.NewMode();
}

void TreeOperations::PopBtn2Click() {
  if (!EditAllowed(app)) return;
  const TreeNode* node = view().Selected();
  if (!node || node->Level() != 0 || StartsWith(node->Text(), "G000")) return;
  GroupDialog& dialog = app.Form3();
  dialog.OldGroupText = GroupBaseText(node->Text());
  dialog.EditMode();
}

void TreeOperations::PopBtn3Click() {
  if (!EditAllowed(app)) return;
  TreeNode* node = view().Selected();
  if (OrdinaryGroup(node)) GroupDelete(node);
  app.Form4().LastDataCnt();
}

void TreeOperations::PopBtn5Click() {
  if (!EditAllowed(app)) return;
  const TreeNode* node = view().Selected();
  if (!node) return;
  const std::string text = node->Level() >= 1 ? DeviceTree::NodeAncestorText(node, 1) : node->Text();
  if (!StartsWith(text, "ID")) return;
  const int id = NodeId(text);
  if (id > 0) app.Form5().OpenEdit(id);
}

void TreeOperations::PopBtn6Click() {
  if (!EditAllowed(app)) return;
  TreeNode* node = view().Selected();
  if (OrdinaryGroup(node)) GroupDelete(node);
  else if (node && node->Level() == 1 && StartsWith(node->Text(), "ID")) DeviceDelete(node);
  app.Form4().LastDataCnt();
}

void TreeOperations::PopBtn8Click() { app.Form7().BitBtn1Click(); }

void TreeOperations::PopBtn9Click() { app.Form7().BitBtn4Click(); }

void TreeOperations::GroupDelete(TreeNode* group) {
  TreeView& tv = view();
  const auto refuse = [this](const char* text) { app.boxes().Show(text, BoxKind::Warning, BoxButtons::Ok); };
  // One group beside G000 and nothing else in the whole tree.
  if (tv.Count() < 3) return refuse("全てのグループを削除できません。");
  // Empty is judged by the node itself: after the last device's delete the
  // rebuild leaves the groups without a count to read.
  if (group->HasChildren()) return refuse("グループ内に登録が残っています。");
  // The last ordinary group stays even when unregistered devices fill the
  // tree: with it gone, the next registration would have no group but G000
  // to go to.
  size_t groups = 0;
  for (size_t i = 0; i < tv.TopCount(); ++i) groups += StartsWith(tv.Top(i)->Text(), "G000") ? 0 : 1;
  if (groups < 2) return refuse("全てのグループを削除できません。");
  if (app.boxes().Show(group->Text() + " を削除しますか？", BoxKind::Confirm, BoxButtons::YesNo) != BoxResult::Yes) return;
  tv.Delete(group);
  tree().TreeNodeRef();
  tree().ReStetingData();
  app.Form4().SettingDataSave();
}

void TreeOperations::DeviceDelete(TreeNode* device) {
  const int id = NodeId(device->Text());
  if (app.boxes().Show(device->Text() + " を削除しますか？", BoxKind::Confirm, BoxButtons::YesNo) != BoxResult::Yes) return;
  view().Delete(device);
  Grid& table = app.Form4().StringGrid1;
  if (id >= 1 && id <= 999) {
    for (int c = 1; c <= 69; ++c) table.SetCell(c, id, std::string());
  }
  tree().TreeNodeRef();
  tree().ReStetingData();
  app.Form4().SettingDataSave();
}

}  // namespace zol
