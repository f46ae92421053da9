// The folder chooser's hand-over to the settings dialog.
#include "console/folder_chooser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings_dialog.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

struct Chooser : ::testing::Test, AppFixture {
  Chooser() { field().SetText("/old"); }
  FolderChooser& chooser() { return app->Form9(); }
  // The settings dialog's log folder field, which takes the choice.
  Edit& field() { return app->Form8().Edit1; }
};

TEST_F(Chooser, TheSelectedFolderGoesOverInShiftJis) {
  EXPECT_EQ(chooser().Caption(), "フォルダの参照");
  EXPECT_EQ(chooser().BitBtn1.Caption(), "登録");
  EXPECT_EQ(chooser().BitBtn2.Caption(), "キャンセル");
  chooser().Show();
  chooser().ShellTreeView1Change(u8"/home/op/ログ");  // as the file system names it
  chooser().BitBtn1Click();
  EXPECT_EQ(field().Text(), "/home/op/ログ");  // Shift-JIS
  EXPECT_FALSE(chooser().Visible());
}

TEST_F(Chooser, CancelAndNothingSelectedLeaveTheField) {
  chooser().Show();
  chooser().ShellTreeView1Change("/tmp");
  chooser().BitBtn2Click();
  EXPECT_FALSE(chooser().Visible());
  chooser().Show();
  chooser().ShellTreeView1Change("");
  chooser().BitBtn1Click();
  EXPECT_FALSE(chooser().Visible());
  EXPECT_EQ(field().Text(), "/old");
  EXPECT_TRUE(boxes.shown.empty());
}

// A name Shift-JIS cannot hold would come back as another, missing folder.
TEST_F(Chooser, AFolderShiftJisCannotHoldIsRefused) {
  for (const char* path : {u8"/home/op/café", u8"/tmp/\U0001F600", "/tmp/\xff\xfe"}) {
    boxes.shown.clear();
    chooser().Show();
    chooser().ShellTreeView1Change(path);
    chooser().BitBtn1Click();
    ASSERT_EQ(boxes.shown.size(), 1u) << path;
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Warning);
    EXPECT_TRUE(chooser().Visible()) << path;
  }
  EXPECT_EQ(field().Text(), "/old");
}

}  // namespace
}  // namespace zol
