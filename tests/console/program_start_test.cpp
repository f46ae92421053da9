// Program start: the splash window's three seconds, the terms dialog, the
// tray icon and its menu.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/files.h"
#include "console/chart_window.h"
#include "console/detail_window.h"
#include "console/main_window.h"
#include "console/splash_window.h"
#include "console/terms_dialog.h"
#include "support/app_fixture.h"

namespace zol {
namespace {

// Runs the test inside a working folder of its own and goes back after.
class InFolder {
 public:
  explicit InFolder(const std::string& dir) {
    char buf[4096];
    old_ = getcwd(buf, sizeof buf) ? buf : "/";
    EXPECT_EQ(chdir(dir.c_str()), 0);
  }
  ~InFolder() { (void)!chdir(old_.c_str()); }

 private:
  std::string old_;
};

struct ProgramStartRig : AppFixture {
  // The last system log line's code and text.
  std::string LastLog() {
    const std::string& line = app->Form2().system_log.ListBox2.Line(0);
    return line.size() > 27 ? line.substr(1, 4) + " " + line.substr(27) : line;
  }
};
struct ProgramStart : ::testing::Test, ProgramStartRig {};

TEST_F(ProgramStart, SplashShowsThreeSecondsThenTheMainWindow) {
  InFolder here(dir.path());
  app->Start();
  EXPECT_TRUE(app->Form1().Visible());
  EXPECT_TRUE(app->Form1().TrayIconData.Visible());
  EXPECT_EQ(app->Form1().VersionText, "4.00");
  // The detail window and the chart are created with the others, hidden.
  EXPECT_EQ(app->Form6().ClientWidth, 490);
  EXPECT_FALSE(app->Form6().Visible());
  EXPECT_EQ(app->Form11().ClientWidth, 640);
  EXPECT_EQ(app->Form11().ChartActive, 0);
  EXPECT_FALSE(app->Form11().Visible());
  EXPECT_EQ(app->Form1().TrayIconData.uCallbackMessage, 0x464u);
  sim.Advance(2999);
  EXPECT_FALSE(app->Form2().Visible());
  EXPECT_TRUE(boxes.shown.empty());
  sim.Advance(1);
  EXPECT_FALSE(app->Form1().Visible());
  EXPECT_EQ(app->Form1().State(), WindowState::Minimized);
  EXPECT_TRUE(app->Form2().Visible());
  EXPECT_FALSE(app->Form10().Visible());
  // 1 ms later the deferred start-up runs once: no device, so the hint box.
  sim.Advance(1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  sim.Advance(10000);
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_FALSE(app->Form1().Timer2.Enabled());
}

TEST_F(ProgramStart, TermsDialogOnlyWithoutSettingsFileAndWithTermsInTheWorkingFolder) {
  struct Case {
    bool settings_file;
    bool terms_in_cwd;
    bool terms_beside_program_only;
    bool terms_shown;
  };
  const Case cases[] = {
      {false, true, false, true},
      {true, true, false, false},
      {false, false, false, false},
      {false, false, true, false},
  };
  for (const Case& c : cases) {
    ProgramStartRig f;
    TempDir cwd;
    std::string err;
    if (c.settings_file) {
      ASSERT_TRUE(WriteFileAtomic(f.dir.File("zolyab4.Ini"), "[START]\r\n", &err));
    }
    if (c.terms_in_cwd) {
      ASSERT_TRUE(WriteFileAtomic(cwd.File("permis.txt"), "第1条\r\n第2条\r\n", &err));
    }
    if (c.terms_beside_program_only) {
      ASSERT_TRUE(WriteFileAtomic(f.dir.File("permis.txt"), "x\r\n", &err));
    }
    InFolder here(cwd.path());
    f.app->Start();
    f.sim.Advance(3000);
    EXPECT_EQ(f.app->Form10().Visible(), c.terms_shown);
    EXPECT_EQ(f.app->Form2().Visible(), !c.terms_shown);
    EXPECT_EQ(f.app->Form2().Timer3.Enabled(), !c.terms_shown);
    if (c.terms_in_cwd) {
      ASSERT_EQ(f.app->Form10().RichEdit1.Count(), 2u);
      EXPECT_EQ(f.app->Form10().RichEdit1[1], "第2条");
    }
  }
}

TEST_F(ProgramStart, AgreeingShowsTheMainWindowAndAnyCloseEndsTheProgram) {
  for (int way = 0; way < 3; ++way) {
    ProgramStartRig f;
    TempDir cwd;
    std::string err;
    ASSERT_TRUE(WriteFileAtomic(cwd.File("permis.txt"), "", &err));
    InFolder here(cwd.path());
    f.app->Start();
    f.sim.Advance(3000);
    ASSERT_TRUE(f.app->Form10().Visible());
    EXPECT_EQ(f.app->Form10().RichEdit1.Count(), 0u);  // an empty file shows an empty dialog
    if (way == 0) {
      f.app->Form10().BitBtn1Click();
      EXPECT_FALSE(f.app->Form10().Visible());
      EXPECT_TRUE(f.app->Form2().Visible());
      f.sim.Advance(1);
      EXPECT_EQ(f.boxes.shown.size(), 1u);  // the deferred start-up ran
      EXPECT_FALSE(f.app->Terminated());
    } else {
      if (way == 1) f.app->Form10().BitBtn2Click();
      else f.app->Form10().Close();  // the title bar's close button
      EXPECT_TRUE(f.app->Terminated());
      EXPECT_FALSE(f.app->Form1().TrayIconData.Visible());
      EXPECT_FALSE(f.app->Form2().Visible());
      f.app->End();
      EXPECT_EQ(f.LastLog(), "0002 アプリの終了");
      EXPECT_FALSE(FileExists(f.dir.File("zolyab4.Ini")));
    }
  }
}

TEST_F(ProgramStart, OnlyAButtonPressOnTheTrayIconOpensTheMenu) {
  app->Start();
  SplashWindow& s = app->Form1();
  for (int msg : {0x200, 0x202, 0x203, 0x205, 0x206}) s.TrayIconMessage(msg);
  EXPECT_EQ(s.PopupMenu1.PopupCount(), 0u);
  s.TrayIconMessage(0x201);
  s.TrayIconMessage(0x204);
  EXPECT_EQ(s.PopupMenu1.PopupCount(), 2u);
  EXPECT_EQ(s.test1.Caption(), "元のサイズに戻す(&R)");
  EXPECT_EQ(s.Exit1.Caption(), "終了(&Q)");
}

TEST_F(ProgramStart, RestoreDuringTheSplashShowsTheMainWindowAndTheSequencerStillRuns) {
  InFolder here(dir.path());
  app->Start();
  sim.Advance(500);
  app->Form1().test1Click();
  EXPECT_TRUE(app->Form2().Visible());
  EXPECT_FALSE(app->Form2().Timer3.Enabled());
  sim.Advance(2500);
  EXPECT_TRUE(app->Form2().Timer3.Enabled());
  EXPECT_FALSE(app->Form1().Visible());
}

TEST_F(ProgramStart, QuitFromTheTrayAsksNothingAndWritesNoSettings) {
  InFolder here(dir.path());
  app->Start();
  sim.Advance(3001);
  app->Form2().monitoring.ToolButton1Click();  // monitoring runs
  const size_t boxes_before = boxes.shown.size();
  app->Form1().Exit1Click();
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(boxes.shown.size(), boxes_before);
  EXPECT_FALSE(app->Form1().TrayIconData.Visible());
  EXPECT_FALSE(FileExists(dir.File("zolyab4.Ini")));
  app->End();
  app->End();
  const ListBox& log = app->Form2().system_log.ListBox2;
  ASSERT_EQ(log.Count(), 3u);  // start, monitoring start, end: no stop line
  EXPECT_EQ(LastLog(), "0002 アプリの終了");
  EXPECT_FALSE(FileExists(dir.File("zolyab4.dat")));
}

}  // namespace
}  // namespace zol
