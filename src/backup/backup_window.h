// The backup tool's window (Form1): copies the console's device file,
// settings file and group list to a chosen folder and back. It works on the
// files beside its own program file and shares nothing else with the console.
#pragma once

#include <functional>
#include <string>

#include "common/controls.h"
#include "common/platform.h"

namespace zol {

class BackupWindow : public Form {
 public:
  // program_path: the tool's own program file (its folder holds the data files).
  BackupWindow(MessageBoxes& boxes, const std::string& program_path);

  void FormCreate();
  // The folder tree's selection changed: path is the selected folder in the
  // file system's form (UTF-8), empty for none; it is held as Shift-JIS.
  void ShellTreeView1Change(const std::string& path);
  void recheck();
  void BitBtn1Click();  // "バックアップ"
  void BitBtn2Click();  // "リストア"

  // The program folder, ending with "/", and the chosen folder, both as
  // Shift-JIS texts like every path of the core.
  const std::string& ProgramFolder() const { return program_folder_; }
  const std::string& ChosenFolder() const { return chosen_folder_; }

  Panel Panel2;  // the notice, lowered
  Label Label1;  // "バックアップ/リストア先フォルダ指定"
  Edit Edit1;    // the target folder text (Shift-JIS), filled by the tree, editable
  Button BitBtn1;
  Button BitBtn2;
  int ClientWidth = 0, ClientHeight = 0;
  // Runs after each step of a file's restore (RestoreFile); tests stop the
  // tool there.
  std::function<void()> RestoreStep;

 private:
  // The target folder of Edit1, or empty (after the error box) when the
  // text names no existing folder.
  std::string TargetFolder();
  // "完了しました。", or one error box listing the files that failed.
  void Finish(const std::string& failures);

  MessageBoxes& boxes_;
  std::string program_folder_;
  std::string chosen_folder_;
};

}  // namespace zol
