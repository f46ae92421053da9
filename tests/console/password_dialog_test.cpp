// The password dialog and the edit lock on the simulated console.
#include "console/password_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "console/device_window.h"
#include "console/group_dialog.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "console/tree_operations.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

struct Lock : ::testing::Test, AppFixture {
  PasswordDialog& dialog() { return app->Form14(); }
  ConsoleSettings& settings() { return app->settings(); }
};

TEST_F(Lock, TheDialogsTexts) {
  EXPECT_EQ(dialog().Caption(), " パスワード確認");
  EXPECT_EQ(dialog().Label1.Caption(), "パスワードを入力してください。");
  EXPECT_EQ(dialog().Label2.Caption(), "入力後、再度以前の動作を行ってください。");
  EXPECT_EQ(dialog().BitBtn1.Caption(), "OK");
  EXPECT_EQ(dialog().ClientWidth, 240);
  EXPECT_EQ(dialog().ClientHeight, 137);
}

TEST_F(Lock, OnlyTheExactPasswordUnlocks) {
  struct Case {
    const char* password;
    const char* entry;
    bool unlocks;
  } cases[] = {
      {"Secret", "Secret", true},  {"Secret", "secret", false}, {"Secret", "SECRET", false},
      {"Secret", "Secret ", false}, {"Secret", "", false},       {"", "", true},
      {"", "x", false},            {"パス", "パス", true},
  };
  settings().LockOn = true;
  for (const Case& c : cases) {
    settings().LockPassword = c.password;
    settings().EditUnlocked = false;
    boxes.shown.clear();
    dialog().MaskEdit1.SetText("old");
    dialog().password_check();
    EXPECT_EQ(dialog().MaskEdit1.Text(), "");
    EXPECT_TRUE(dialog().Visible());
    dialog().MaskEdit1.SetText(c.entry);
    dialog().BitBtn1Click();
    EXPECT_EQ(settings().EditUnlocked, c.unlocks) << c.password << " / " << c.entry;
    EXPECT_FALSE(dialog().Visible()) << c.entry;
    if (c.unlocks) {
      EXPECT_TRUE(boxes.shown.empty());
    } else {
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_EQ(boxes.shown[0].text, "パスワードが違います。");
      EXPECT_EQ(boxes.shown[0].kind, BoxKind::Warning);
    }
  }
}

TEST_F(Lock, ClosingTheDialogLeavesTheLockAndNothingResumes) {
  settings().LockOn = true;
  settings().EditUnlocked = false;
  EXPECT_FALSE(EditAllowed(*app));
  EXPECT_TRUE(dialog().Visible());
  dialog().Close();
  EXPECT_FALSE(dialog().Visible());
  EXPECT_FALSE(settings().EditUnlocked);
  // A right password opens nothing by itself: the operator repeats.
  dialog().password_check();
  dialog().BitBtn1Click();  // the empty entry against the empty password
  EXPECT_TRUE(settings().EditUnlocked);
  EXPECT_FALSE(app->Form3().Visible());
  EXPECT_TRUE(EditAllowed(*app));
}

TEST_F(Lock, StartAndSavesFollowTheLockSetting) {
  for (bool lock : {false, true}) {
    settings().LockOn = lock;
    settings().EditUnlocked = true;
    ASSERT_TRUE(app->Form4().SettingDataSave());
    EXPECT_EQ(settings().EditUnlocked, !lock);
  }
  // With the lock off, no guarded operation shows the dialog.
  settings().LockOn = false;
  ASSERT_TRUE(app->Form4().SettingDataSave());
  app->Form2().ToolButton7Click();
  app->tree_ops().PopBtn1Click();
  EXPECT_FALSE(dialog().Visible());
  EXPECT_TRUE(app->Form3().Visible());
  // The device window's edit button reaches the same dialog.
  app->settings().EditUnlocked = false;
  app->Form7().BitBtn2Click();
  EXPECT_TRUE(dialog().Visible());
}

}  // namespace
}  // namespace zol
