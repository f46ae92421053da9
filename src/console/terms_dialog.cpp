#include "console/terms_dialog.h"

#include "common/files.h"
#include "console/app.h"
#include "console/main_window.h"
#include "console/splash_window.h"

namespace zol {

TermsDialog::TermsDialog(App& a) : app(a) {
  SetCaption("確認");
  BitBtn1.SetCaption("同意する");
  BitBtn2.SetCaption("同意しない");
}

void TermsDialog::FormCreate() {
  ClientWidth = 500;
  ClientHeight = 401;
  const std::string& name = app.Form1().TermsFile;
  std::string text;
  if (FileExists(name) && ReadFile(name, &text)) {
    RichText = text.rfind("{\\rtf", 0) == 0;
    RichEdit1.Assign(SplitLines(text));
  }
}

void TermsDialog::BitBtn1Click() {
  Hide();
  MainWindow& main = app.Form2();
  main.Show();
  main.Timer3.SetEnabled(true);
}

void TermsDialog::BitBtn2Click() { Close(); }

void TermsDialog::FormClose() { app.Form1().Close(); }

void TermsDialog::Close() {
  Hide();
  FormClose();
}

}  // namespace zol
