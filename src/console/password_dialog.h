// The password dialog (Form14, " パスワード確認") and the edit lock it opens.
// While the password lock is on, the operations that change groups, devices
// or settings first ask whether editing is unlocked; when it is not, they
// call password_check and do nothing else. The right password unlocks
// editing until the next save of the data files or of the settings dialog
// (each of which sets EditUnlocked := not LockOn). The dialog is not modal
// and does not resume the operation that opened it.
#pragma once

#include "common/controls.h"

namespace zol {

class App;

class PasswordDialog : public Form {
 public:
  explicit PasswordDialog(App& app);

  App& app;

  int ClientWidth = 240, ClientHeight = 137;
  Label Label1;      // "パスワードを入力してください。"
  Edit MaskEdit1;    // the entry, every character shown as "*"
  Label Label2;      // "入力後、再度以前の動作を行ってください。"
  Button BitBtn1;    // "OK", the default button

  // Empties the entry and shows the dialog.
  void password_check();
  // OK: the entry against LockPassword, exact and case-sensitive; the
  // dialog closes either way, a wrong entry after its warning.
  void BitBtn1Click();
  // The window's close box: the lock stays as it was.
  void Close() { Hide(); }
};

// True when editing is unlocked; otherwise opens the password dialog and
// gives false, and the caller does nothing else.
bool EditAllowed(App& app);

}  // namespace zol
