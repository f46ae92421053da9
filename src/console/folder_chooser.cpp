#include "console/folder_chooser.h"

#include "common/charset.h"
#include "console/app.h"
#include "settings/settings_dialog.h"

namespace zol {

FolderChooser::FolderChooser(App& a) : app(a) {
  SetCaption("フォルダの参照");
  BitBtn1.SetCaption("登録");
  BitBtn2.SetCaption("キャンセル");
}

void FolderChooser::BitBtn1Click() {
  // The log folder is kept in Shift-JIS: a name it cannot hold would come
  // back as another, missing folder, and every log line would be lost.
  // With no folder selected there is nothing to take: the field keeps its
  // text.
  if (SelectedPath.empty()) {
    Close();
    return;
  }
  const std::string sjis = Utf8ToSjis(SelectedPath);
  if (SjisToUtf8(sjis) != SelectedPath) {
    app.boxes().Show("フォルダ名に使用できない文字が含まれています。\r\n" + sjis, BoxKind::Warning, BoxButtons::Ok);
    return;
  }
  app.Form8().Edit1.SetText(sjis);
  Close();
}

void FolderChooser::BitBtn2Click() { Close(); }

}  // namespace zol
