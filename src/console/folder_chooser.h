// The folder chooser (Form9, "フォルダの参照"): a tree of the file system's
// folders from which the settings dialog takes its log folder. The view
// shows the folders (rooted at "/", the home folder selected on first
// showing) and writes the selected folder's path here; "登録" hands it to the
// settings dialog's log folder field as Shift-JIS. Opened modally by
// the settings dialog's "参照"; the selection stays between uses.
#pragma once

#include <string>

#include "common/controls.h"

namespace zol {

class App;

class FolderChooser : public Form {
 public:
  explicit FolderChooser(App& app);

  App& app;

  int ClientWidth = 400, ClientHeight = 240;
  Button BitBtn1;  // "登録": take the selected folder
  Button BitBtn2;  // "キャンセル"

  // The selected folder's path as the file system names it (UTF-8), empty
  // for none; written by the view.
  std::string SelectedPath;
  void ShellTreeView1Change(const std::string& path) { SelectedPath = path; }

  // "登録": the selected path, in Shift-JIS, into the settings dialog's log
  // folder field; closes. A path that Shift-JIS cannot hold is refused with
  // a warning and the field keeps its text.
  void BitBtn1Click();
  void BitBtn2Click();  // "キャンセル"
  void Close() { Hide(); }
};

}  // namespace zol
