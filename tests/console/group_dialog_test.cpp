// The group dialog on the simulated console: the proposal of a new group's
// number, OK in both modes with the tree, the devices' groups and the
// files, its refusals, and the main window's enabling.
#include "console/group_dialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "console/password_dialog.h"
#include "console/tree_operations.h"
#include "monitor/monitoring.h"
#include "tree_fixture.h"

namespace zol {
namespace {

struct GroupDialogTest : ::testing::Test, TreeRig {
  GroupDialogTest() {
    Groups({"G001 一", "G003 三", kG000});
    Device(1, "02:5A:3C:00:00:01", "G003 三");
    Device(2, "02:5A:3C:00:00:02", "G003 三");
    Device(4, "02:5A:3C:00:00:04", "G001 一");
    tree().ReStetingData();
    tree().TreeNodeRef();
  }
  GroupDialog& dialog() { return app->Form3(); }
  MainWindow& main() { return app->Form2(); }
  void Rename(const std::string& old_text, const std::string& name) {
    dialog().OldGroupText = old_text;
    dialog().EditMode();
    dialog().Edit1.SetText(name);
    dialog().BitBtn1Click();
  }
};

TEST_F(GroupDialogTest, NewGroupTakesTheLowestFreeNumberBeforeG000) {
  EXPECT_EQ(dialog().Caption(), "グループ登録");
  EXPECT_EQ(dialog().Label1.Caption(), "グループ名(&G)");
  EXPECT_EQ(dialog().BitBtn2.Caption(), "キャンセル");
  dialog().NewMode();
  EXPECT_EQ(dialog().Caption(), "グループ新規登録");
  EXPECT_EQ(dialog().BitBtn1.Caption(), "登録");
  EXPECT_EQ(dialog().Edit1.Text(), "グループ2");
  EXPECT_TRUE(dialog().Visible());
  EXPECT_FALSE(main().Enabled());
  dialog().Edit1.SetText("新設");
  dialog().BitBtn1Click();
  EXPECT_EQ(tree().TreeGroupTexts(),
            (std::vector<std::string>{"G001 一 (1)", "G003 三 (2)", "G002 新設 (0)", kG000 + " (0)"}));
  EXPECT_EQ(selector().items.All(), (std::vector<std::string>{"G001 一", "G003 三", "G002 新設", kG000}));
  EXPECT_EQ(ReadAll(dir.File("zolyab4.lst")), CrLf({"G001 一", "G003 三", "G002 新設", kG000}));
  EXPECT_FALSE(dialog().Visible());
  EXPECT_TRUE(main().Enabled());
}

TEST_F(GroupDialogTest, RenameKeepsTheNumberAndReachesEveryDeviceAndTheFile) {
  dialog().OldGroupText = "G003 三";
  dialog().EditMode();
  EXPECT_EQ(dialog().Caption(), "グループ名変更");
  EXPECT_EQ(dialog().BitBtn1.Caption(), "変更");
  EXPECT_EQ(dialog().Edit1.Text(), "三");
  EXPECT_TRUE(main().Enabled());  // usable during a rename
  dialog().Edit1.SetText("倉庫B");
  dialog().BitBtn1Click();
  EXPECT_EQ(view().Top(1)->Text(), "G003 倉庫B (2)");
  EXPECT_EQ(table().Cell(dtcol::GroupName, 1), "G003 倉庫B");
  EXPECT_EQ(table().Cell(dtcol::GroupName, 2), "G003 倉庫B");
  EXPECT_EQ(table().Cell(dtcol::GroupName, 4), "G001 一");
  EXPECT_EQ(ReadAll(dir.File("zolyab4.lst")), CrLf({"G001 一", "G003 倉庫B", kG000}));
  EXPECT_FALSE(dialog().Visible());
}

TEST_F(GroupDialogTest, NamesAcceptedAndRefused) {
  struct Case {
    const char* name;
    bool accepted;
    const char* text;  // the group's node text without count
  } cases[] = {
      {"(A)", false, "G003 三"},
      {"a(", false, "G003 三"},
      {"A)", true, "G003 A)"},
      {"", true, "G003 "},
      {"十文字の名前ですよね", true, "G003 十文字の名前ですよね"},
  };
  for (const Case& c : cases) {
    boxes.shown.clear();
    Rename(GroupBaseText(view().Top(1)->Text()), c.name);
    EXPECT_EQ(GroupBaseText(view().Top(1)->Text()), c.text) << c.name;
    EXPECT_EQ(dialog().Visible(), !c.accepted) << c.name;
    if (!c.accepted) {
      ASSERT_EQ(boxes.shown.size(), 1u) << c.name;
      EXPECT_EQ(boxes.shown[0].text, "グループ名に ( は利用できません");
      EXPECT_EQ(boxes.shown[0].kind, BoxKind::Warning);
      dialog().Close();
    } else {
      EXPECT_TRUE(boxes.shown.empty()) << c.name;
    }
  }
  // An empty name for a new group: the text ends with the blank.
  dialog().NewMode();
  dialog().Edit1.SetText("");
  dialog().BitBtn1Click();
  EXPECT_EQ(selector().items[2], "G002 ");
}

TEST_F(GroupDialogTest, CancelAddsNothingAndGivesTheMainWindowBack) {
  const std::vector<std::string> before = tree().TreeGroupTexts();
  dialog().NewMode();
  dialog().BitBtn2Click();
  EXPECT_EQ(tree().TreeGroupTexts(), before);
  EXPECT_TRUE(main().Enabled());
  EXPECT_FALSE(dialog().Visible());
  // Also when closed by the monitoring start, first of the dialogs.
  dialog().NewMode();
  app->monitoring().YabStart();
  EXPECT_FALSE(dialog().Visible());
  EXPECT_TRUE(main().Enabled());
  EXPECT_EQ(tree().TreeGroupTexts(), before);
}

TEST_F(GroupDialogTest, ProposalAndOkWhenNumbersRunOut) {
  // Numbers 1 to 998 taken: the proposal is グループ999.
  std::vector<std::string> groups;
  for (int k = 1; k <= 998; ++k) groups.push_back("G" + ZeroPad(k, 3) + " g");
  groups.push_back(kG000);
  Groups(groups);
  tree().ReStetingData();
  dialog().NewMode();
  EXPECT_EQ(dialog().Edit1.Text(), "グループ999");
  dialog().BitBtn1Click();
  EXPECT_EQ(view().Top(998)->Text(), "G999 グループ999 (0)");

  // All 999 taken: nothing is added, no number is used twice.
  dialog().NewMode();
  EXPECT_EQ(dialog().Edit1.Text(), "グループ0");
  dialog().BitBtn1Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "これ以上グループを作成できません。");
  EXPECT_EQ(view().TopCount(), 1000u);
  EXPECT_EQ(view().Top(999)->Text().substr(0, 4), "G000");
}

// A group list that cannot be written (a folder in its place): the error
// box ends OK with the dialog still open and, for a new group, the main
// window still disabled; OK again once the file can be written saves, and a
// new group is added once only, under the name the field holds then.
TEST_F(GroupDialogTest, AFailedSaveKeepsTheDialogOpenAndOkAgainSaves) {
  const std::string lst = dir.File("zolyab4.lst");
  for (const int mode : {0, 1}) {
    SCOPED_TRACE(mode == 0 ? "new group" : "rename");
    unlink(lst.c_str());
    ASSERT_EQ(mkdir(lst.c_str(), 0755), 0);
    boxes.shown.clear();
    if (mode == 0) {
      dialog().NewMode();
    } else {
      dialog().OldGroupText = "G003 三";
      dialog().EditMode();
    }
    dialog().Edit1.SetText("倉庫");
    dialog().BitBtn1Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes.shown[0].text.rfind(lst + ": ", 0), 0u) << boxes.shown[0].text;
    EXPECT_TRUE(dialog().Visible());
    EXPECT_EQ(main().Enabled(), mode == 1);
    const std::vector<std::string> shown = mode == 0
        ? std::vector<std::string>{"G001 一 (1)", "G003 三 (2)", "G002 倉庫 (0)", kG000 + " (0)"}
        : std::vector<std::string>{"G001 一 (1)", "G003 倉庫 (2)", "G002 倉庫A (0)", kG000 + " (0)"};
    EXPECT_EQ(tree().TreeGroupTexts(), shown);

    ASSERT_EQ(rmdir(lst.c_str()), 0);
    boxes.shown.clear();
    dialog().Edit1.SetText("倉庫A");
    dialog().BitBtn1Click();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(dialog().Visible());
    EXPECT_TRUE(main().Enabled());
    const std::vector<std::string> saved = mode == 0
        ? std::vector<std::string>{"G001 一", "G003 三", "G002 倉庫A", kG000}
        : std::vector<std::string>{"G001 一", "G003 倉庫A", "G002 倉庫A", kG000};
    if (mode == 1) {
      EXPECT_EQ(table().Cell(dtcol::GroupName, 1), "G003 倉庫A");
    }
    EXPECT_EQ(selector().items.All(), saved);
    EXPECT_EQ(ReadAll(lst), CrLf(saved));
  }
}

TEST_F(GroupDialogTest, RenameOfAGroupDeletedMeanwhileChangesNothing) {
  dialog().OldGroupText = "G002 消えた";
  dialog().EditMode();
  const std::vector<std::string> before = tree().TreeGroupTexts();
  dialog().Edit1.SetText("新");
  dialog().BitBtn1Click();
  EXPECT_EQ(tree().TreeGroupTexts(), before);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_FALSE(dialog().Visible());
}

TEST_F(GroupDialogTest, ARenameLocksAgainWhileTheLockIsOn) {
  app->settings().LockOn = true;
  app->settings().LockPassword = "Pw";
  app->settings().EditUnlocked = false;
  view().Select(Find("G001"));
  app->tree_ops().PopBtn2Click();
  EXPECT_FALSE(dialog().Visible());
  EXPECT_TRUE(app->Form14().Visible());
  app->Form14().MaskEdit1.SetText("Pw");
  app->Form14().BitBtn1Click();
  EXPECT_TRUE(app->settings().EditUnlocked);
  app->tree_ops().PopBtn2Click();  // repeated after the password
  ASSERT_TRUE(dialog().Visible());
  dialog().Edit1.SetText("新");
  dialog().BitBtn1Click();
  EXPECT_EQ(GroupBaseText(view().Top(0)->Text()), "G001 新");
  EXPECT_FALSE(app->settings().EditUnlocked);  // the save locked again
  view().Select(Find("G001"));
  app->tree_ops().PopBtn3Click();  // the next delete asks anew
  EXPECT_TRUE(app->Form14().Visible());
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace zol
