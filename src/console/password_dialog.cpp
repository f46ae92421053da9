#include "console/password_dialog.h"

#include "console/app.h"
#include "console/console_settings.h"

namespace zol {

PasswordDialog::PasswordDialog(App& a) : app(a) {
  SetCaption(" パスワード確認");
  Label1.SetCaption("パスワードを入力してください。");
  Label2.SetCaption("入力後、再度以前の動作を行ってください。");
  BitBtn1.SetCaption("OK");
}

void PasswordDialog::password_check() {
  MaskEdit1.SetText("");
  Show();
}

void PasswordDialog::BitBtn1Click() {
  ConsoleSettings& settings = app.settings();
  if (MaskEdit1.Text() == settings.LockPassword) {
    settings.EditUnlocked = true;
  } else {
    app.boxes().Show("パスワードが違います。", BoxKind::Warning, BoxButtons::Ok);
  }
  Hide();
}

bool EditAllowed(App& app) {
  if (app.settings().EditUnlocked) return true;
  app.Form14().password_check();
  return false;
}

}  // namespace zol
