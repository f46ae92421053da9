// The group dialog (Form3, "グループ登録"): names a new group or renames one.
// A group is identified by its number ("G" + three digits), which the dialog
// chooses for a new group (the lowest free one) and never changes on a
// rename; the operator chooses only the name, at most 20 bytes of Shift-JIS
// without "(". OK changes the tree, writes every device's group from the
// tree, refreshes the group lists and saves the data files. Not modal: the
// main window is disabled while a new group is named, usable during a
// rename.
#pragma once

#include <string>

#include "common/controls.h"

namespace zol {

class App;

class GroupDialog : public Form {
 public:
  // The longest group name, in Shift-JIS bytes.
  static constexpr size_t kNameMaxBytes = 20;

  explicit GroupDialog(App& app);

  App& app;

  int ClientWidth = 400, ClientHeight = 240;
  Label Label1;    // "グループ名(&G)"
  Edit Edit1;      // the group name
  Button BitBtn1;  // "登録" (new) or "変更" (rename): OK
  Button BitBtn2;  // "キャンセル"

  int GroupDialogMode = 0;   // 0 new group, 1 rename
  std::string OldGroupText;  // the renamed group's node text without count

  // Opens the dialog for a new group, proposing "グループ" + the lowest free
  // number; the main window is disabled until the dialog closes.
  void NewMode();
  // Opens the dialog to rename the group in OldGroupText.
  void EditMode();
  void BitBtn1Click();  // OK
  void BitBtn2Click();  // "キャンセル"
  // Every close (OK, "キャンセル", the close box): hidden, then FormClose.
  void Close();
  void FormClose();     // the main window comes back

  // The lowest group number 1..999 that no top-level node of the tree
  // uses; 0 when every number is taken.
  int FreeGroupNumber() const;

 private:
  // The number of the group this opening added; an OK after its save
  // failed renames that group instead of adding another.
  int unsaved_group_ = 0;
};

}  // namespace zol
