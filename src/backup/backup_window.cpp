#include "backup/backup_window.h"

#include "backup/backup_files.h"
#include "common/charset.h"
#include "common/files.h"
#include "common/program_files.h"

namespace zol {

namespace {

constexpr int kPanelWidth = 300;
constexpr int kPanelHeight = 401;

// One line of the failure box: the file's path and the system's reason.
std::string FailureLine(const FileError& e) { return "\r\n" + e.path + ": " + e.reason; }

}  // namespace

BackupWindow::BackupWindow(MessageBoxes& boxes, const std::string& program_path) : boxes_(boxes) {
  SetCaption("ZOL YAB V4 データバックアップ");
  Label1.SetCaption("バックアップ/リストア先フォルダ指定");
  BitBtn1.SetCaption("バックアップ");
  BitBtn2.SetCaption("リストア");
  BitBtn1.SetEnabled(false);
  BitBtn2.SetEnabled(false);
  program_folder_ = DirName(program_path);
  if (program_folder_.empty() || program_folder_.back() != '/') program_folder_ += "/";
}

void BackupWindow::FormCreate() {
  ClientWidth = kPanelWidth;
  ClientHeight = kPanelHeight;
  Panel2.SetCaption("ZOL-YAB は終了した状態で行ってください。");
}

void BackupWindow::ShellTreeView1Change(const std::string& path) {
  // The tree's folder enters as the file system's name; a name that
  // Shift-JIS cannot hold shows its "?" in the path box and is then not found.
  chosen_folder_ = Utf8ToSjis(path);
  recheck();
}

void BackupWindow::recheck() {
  Edit1.SetText(chosen_folder_);
  BitBtn1.SetEnabled(!FindDataFile(program_folder_, kDataFiles[0]).empty());
  // No chosen folder: nothing to look at (never the file system's root).
  BitBtn2.SetEnabled(!chosen_folder_.empty() && !FindDataFile(chosen_folder_, kDataFiles[0]).empty());
}

std::string BackupWindow::TargetFolder() {
  const std::string folder = Edit1.Text();
  if (IsFolder(folder)) return folder;
  boxes_.Show("指定フォルダが見つかりません。\r\n" + Edit1.Text(), BoxKind::Error, BoxButtons::Ok);
  return std::string();
}

void BackupWindow::Finish(const std::string& failures) {
  if (failures.empty()) boxes_.Show("完了しました。", BoxKind::Info, BoxButtons::Yes);
  else boxes_.Show("次のファイルをコピーできませんでした。" + failures, BoxKind::Error, BoxButtons::Ok);
}

void BackupWindow::BitBtn1Click() {
  if (boxes_.Show("指定フォルダにバックアップファイルをバックアップしますがよろしいですか?", BoxKind::Confirm,
                  BoxButtons::YesNo) != BoxResult::Yes)
    return;
  const std::string target = TargetFolder();
  if (target.empty()) return;
  // Only the device file is looked at for this question.
  if (!FindDataFile(target, kDataFiles[0]).empty() &&
      boxes_.Show("バックアップ先にファイルが存在します。上書きされますがよろしいですか?", BoxKind::Confirm,
                  BoxButtons::YesNo) != BoxResult::Yes)
    return;
  std::string failures;
  for (const DataFileName& f : kDataFiles) {
    const std::string source = FindDataFile(program_folder_, f);
    if (source.empty()) continue;  // a missing file is no failure
    FileError err;
    if (!CopyReplacing(source, DataFileTarget(target, f), &err)) failures += FailureLine(err);
  }
  recheck();
  Finish(failures);
}

void BackupWindow::BitBtn2Click() {
  if (boxes_.Show("リストアを行います。上書きされますがよろしいですか?", BoxKind::Confirm, BoxButtons::YesNo) !=
      BoxResult::Yes)
    return;
  const std::string target = TargetFolder();
  if (target.empty()) return;
  std::string backups[3];
  bool any = false;
  for (size_t i = 0; i < 3; ++i) {
    backups[i] = FindDataFile(target, kDataFiles[i]);
    any = any || !backups[i].empty();
  }
  if (!any) {
    boxes_.Show("指定フォルダにバックアップファイルがありません。", BoxKind::Error, BoxButtons::Ok);
    return;
  }
  BitBtn2.SetEnabled(false);  // until the tree's selection changes again
  std::string failures;
  for (size_t i = 0; i < 3; ++i) {
    if (backups[i].empty()) continue;
    const DataFileName& f = kDataFiles[i];
    const std::string current = FindDataFile(program_folder_, f);
    const std::string dest = DataFileTarget(program_folder_, f);
    // The current file is kept under its _bak name unless one exists in
    // any spelling; an existing _bak is kept and the current file replaced.
    std::string bak;
    if (!current.empty()) {
      const std::string candidate = ChangeFileExt(current, f.bak_ext);
      if (!EntryExistsNoCase(program_folder_, BaseName(candidate))) bak = candidate;
    }
    FileError err;
    if (!RestoreFile(backups[i], dest, bak, RestoreStep, &err)) failures += FailureLine(err);
  }
  Finish(failures);
}

}  // namespace zol
