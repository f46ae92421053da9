// The terms dialog (Form10, "確認"): shown at a first start when the terms
// file lies in the working folder; agreeing shows the main window, any
// close ends the program.
#pragma once

#include "common/controls.h"

namespace zol {

class App;

class TermsDialog : public Form {
 public:
  explicit TermsDialog(App& app);

  App& app;

  void FormCreate();
  void BitBtn1Click();  // "同意する"
  void BitBtn2Click();  // "同意しない"
  void FormClose();
  // Any close of the dialog (the disagree button or the title bar).
  void Close();

  Panel Panel1;  // 500 x 401
  int ClientWidth = 0, ClientHeight = 0;
  Memo RichEdit1;   // the terms text, read only
  bool RichText = false;  // the file was in rich text format
  Button BitBtn1;   // "同意する"
  Button BitBtn2;   // "同意しない"
};

}  // namespace zol
