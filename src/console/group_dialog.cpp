#include "console/group_dialog.h"

#include "common/text.h"
#include "console/app.h"
#include "console/device_tree.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"

namespace zol {

GroupDialog::GroupDialog(App& a) : app(a) {
  SetCaption("グループ登録");
  Label1.SetCaption("グループ名(&G)");
  BitBtn1.SetCaption("登録");
  BitBtn2.SetCaption("キャンセル");
}

namespace {

// The first top-level node whose text begins with the four characters of
// number ("G003"), null for none.
TreeNode* TopGroup(TreeView& tree, const std::string& number) {
  for (size_t i = 0; i < tree.TopCount(); ++i) {
    TreeNode* n = tree.Top(i);
    if (n->Text().compare(0, 4, number) == 0) return n;
  }
  return nullptr;
}

}  // namespace

int GroupDialog::FreeGroupNumber() const {
  const TreeView& tree = app.tree().TreeView1;
  for (int k = 1; k <= 999; ++k) {
    const std::string prefix = "G" + ZeroPad(k, 3);
    bool used = false;
    for (size_t i = 0; i < tree.TopCount() && !used; ++i) used = tree.Top(i)->Text().rfind(prefix, 0) == 0;
    if (!used) return k;
  }
  return 0;
}

void GroupDialog::NewMode() {
  SetCaption("グループ新規登録");
  BitBtn1.SetCaption("登録");
  Show();
  GroupDialogMode = 0;
  unsaved_group_ = 0;
  Edit1.SetText("グループ" + std::to_string(FreeGroupNumber()));
  app.Form2().SetEnabled(false);
}

void GroupDialog::EditMode() {
  SetCaption("グループ名変更");
  BitBtn1.SetCaption("変更");
  Show();
  GroupDialogMode = 1;
  unsaved_group_ = 0;
  Edit1.SetText(OldGroupText.size() > 5 ? OldGroupText.substr(5) : std::string());
}

void GroupDialog::BitBtn1Click() {
  DeviceTree& tree = app.tree();
  const std::string& name = Edit1.Text();
  if (Edit1.Unheld()) {
    app.boxes().Show(UnheldMessage("グループ名"), BoxKind::Warning, BoxButtons::Ok);
    return;
  }
  if (name.find('(') != std::string::npos) {
    app.boxes().Show("グループ名に ( は利用できません", BoxKind::Warning, BoxButtons::Ok);
    return;
  }
  TreeNode* unsaved = unsaved_group_ > 0 ? TopGroup(tree.TreeView1, "G" + ZeroPad(unsaved_group_, 3)) : nullptr;
  if (GroupDialogMode == 0 && unsaved) {
    // OK again after the save failed: the group added then takes the name.
    tree.TreeView1.SetText(unsaved, unsaved->Text().substr(0, 4) + " " + name);
  } else if (GroupDialogMode == 0) {
    // Numbers are only ever taken from the free ones: with all 999 in use
    // nothing is added, so no two groups share a number.
    const int k = FreeGroupNumber();
    if (k == 0) {
      app.boxes().Show("これ以上グループを作成できません。", BoxKind::Warning, BoxButtons::Ok);
      return;
    }
    tree.Grupinsert("G" + ZeroPad(k, 3) + " " + name);
    unsaved_group_ = k;
  } else {
    // The group may have been deleted while the dialog stood open (it is
    // not modal): then nothing is renamed.
    const std::string number = OldGroupText.substr(0, 4);
    TreeNode* group = number.size() == 4 ? TopGroup(tree.TreeView1, number) : nullptr;
    if (!group) {
      Close();
      return;
    }
    tree.TreeView1.SetText(group, number + " " + name);
  }
  tree.GrupRef();
  tree.TreeNodeRef();
  // A data file that could not be written ends OK after its error box: the
  // dialog stays open (in new mode the main window stays disabled) and OK
  // may be pressed again.
  if (!app.Form4().SettingDataSave()) return;
  Close();
}

void GroupDialog::BitBtn2Click() { Close(); }

void GroupDialog::Close() {
  Hide();
  FormClose();
}

void GroupDialog::FormClose() { app.Form2().SetEnabled(true); }

}  // namespace zol
