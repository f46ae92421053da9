// The tab "グループ" in the main window's view: its controls, the switch
// between command and send mode, the operator's check marks and group
// choice going back to the core, and a whole send shown live. With
// ZOL_SCREENSHOT_DIR set, the main window with the tab in send mode after
// the run is saved there as group_tab.png.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>

#include "common/files.h"
#include "common/scramble.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/console_ui.h"
#include "qt/group_tab_view.h"
#include "qt/main_view.h"
#include "qt/mirror.h"
#include "accessible.h"
#include "support/app_fixture.h"
#include "support/fake_telnet.h"

namespace zol {
namespace {

struct GroupTabView_ : ::testing::Test {
  GroupTabView_() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);
    core().EditUnlocked = true;
    Grid& t = f.app->Form4().StringGrid1;
    const char* names[] = {"", "ラック1 電源", "ラック2 電源", "ルータ", "予備サーバ"};
    for (int r = 1; r <= 4; ++r) {
      t.SetCell(dtcol::MacAddress, r, "02:5A:3C:00:00:0" + std::to_string(r));
      t.SetCell(dtcol::DeviceName, r, names[r]);
      t.SetCell(dtcol::GroupName, r, "G001 本社");
      t.SetCell(dtcol::ConnectInfo, r,
                "telnet,192.168.10." + std::to_string(10 + r) + ",80," + Scramble("pw", 1) + ",23,0,1," +
                    (r == 4 ? "0" : "1"));
    }
    f.app->group_selector().items.Assign({"G001 本社", "G000 未登録グループ"});
    f.app->group_selector().SetText("G001 本社");
    tab().ComboBoxEx2Refill();
    std::string err;
    EXPECT_TRUE(WriteFileAtomic(f.dir.File("reboot.txt"), "@ZOL\r\n@wait 300\r\nol 1 off\r\n", &err));
    core().GrpLastData[1] = "電源再投入," + f.dir.File("reboot.txt");
    core().GrpLastData[2] = "夜間点検,/opt/zol/night.txt";
    tab().grpListRef();
    core().PageControl1.SetActivePageIndex(1);
    ui.mirror().Poll();
  }
  MainWindow& core() { return f.app->Form2(); }
  GroupTab& tab() { return core().group_tab; }
  GroupTabView& view() { return *ui.main().group_tab; }

  AppFixture f;
  ScriptedDevice dev{f.telnet};
  ConsoleUi ui;
};

TEST_F(GroupTabView_, EveryControlIsNamedAndCaptioned) {
  const char* names[] = {"ComboBoxEx2", "Panel25", "StringGrid1", "Edit1",   "Edit2",   "BitBtn4",
                         "BitBtn7",     "BitBtn3", "BitBtn8",     "Panel30", "CheckListBox1", "Panel34",
                         "Panel35",     "Panel36", "Panel37",     "Panel38", "Panel39", "Panel40",
                         "ComboBox1",   "BitBtn6", "BitBtn5",     "BitBtn2", "Panel23", "Panel27",
                         "Memo2",       "Panel28", "Panel24",     "Panel29"};
  for (const char* name : names) {
    QWidget* w = view().findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(w, nullptr) << name;
    // A value panel is read by the value it shows; the others by name.
    const auto* label = qobject_cast<QLabel*>(w);
    if (label && !label->text().isEmpty()) {
      EXPECT_EQ(ReadName(w), label->text()) << name;
    } else if (!label) {
      EXPECT_FALSE(ReadName(w).isEmpty()) << name;
    }
  }
  EXPECT_EQ(view().send_btn->text(), QStringLiteral(u"送信開始"));
  EXPECT_EQ(view().edit_btn->text(), QStringLiteral(u"編集"));
  EXPECT_EQ(view().combo1->count(), 6);
  EXPECT_EQ(view().combo1->currentText(), QStringLiteral(u"全項目チェック"));
  EXPECT_EQ(view().combo_ex2->count(), 1);  // without G000
  // Command mode at start.
  EXPECT_TRUE(view().panel25->isVisible());
  EXPECT_FALSE(view().panel30->isVisible());
  EXPECT_FALSE(view().log_box->isVisible());
  EXPECT_EQ(view().edit1->text(), QStringLiteral(u"電源再投入"));
  EXPECT_FALSE(view().edit1->isEnabled());
}

TEST_F(GroupTabView_, SendModeShowsTheListAndTheOperatorsChecksGoBack) {
  QTest::mouseClick(view().file_btn, Qt::LeftButton);
  ui.mirror().Poll();
  EXPECT_FALSE(view().panel25->isVisible());
  EXPECT_TRUE(view().panel30->isVisible());
  EXPECT_TRUE(view().log_box->isVisible());
  ASSERT_EQ(view().list->count(), 4);
  ASSERT_TRUE(view().list->item(3)->data(Qt::CheckStateRole).isValid());  // a box, empty
  EXPECT_EQ(view().list->item(3)->checkState(), Qt::Unchecked);
  EXPECT_EQ(view().list->item(0)->checkState(), Qt::Checked);
  EXPECT_TRUE(view().list->item(0)->text().startsWith(QStringLiteral(u"ID001 ラック1 電源")));
  EXPECT_EQ(view().log->toPlainText(), QStringLiteral(u"@ZOL\n@wait 300\nol 1 off"));

  // The operator's mark reaches the core and its counter.
  view().list->item(3)->setCheckState(Qt::Checked);
  EXPECT_TRUE(tab().CheckListBox1.Checked(3));
  EXPECT_EQ(tab().Panel40.Caption(), "4");
  // The core's own change shows without coming back as the operator's.
  tab().CheckListBox1.SetChecked(0, false);
  ui.mirror().Poll();
  EXPECT_EQ(view().list->item(0)->checkState(), Qt::Unchecked);
  EXPECT_EQ(tab().Panel40.Caption(), "4");  // no recount: nothing echoed

  // A refill keeps send mode; the operator's group choice leaves it.
  tab().ComboBoxEx2Refill();
  ui.mirror().Poll();
  EXPECT_TRUE(view().panel30->isVisible());
  view().combo_ex2->activated(0);
  ui.mirror().Poll();
  EXPECT_TRUE(view().panel25->isVisible());
  EXPECT_FALSE(view().panel30->isVisible());
}

TEST_F(GroupTabView_, SwitchingPagesLeavesSendMode) {
  QTest::mouseClick(view().file_btn, Qt::LeftButton);
  ui.mirror().Poll();
  ASSERT_TRUE(view().panel30->isVisible());
  ui.main().left_tabs->setCurrentIndex(0);
  EXPECT_TRUE(tab().Panel25.Visible());
  EXPECT_FALSE(tab().Panel30.Visible());
  ui.main().left_tabs->setCurrentIndex(1);
  ui.mirror().Poll();
  EXPECT_TRUE(view().panel25->isVisible());
}

TEST_F(GroupTabView_, ARunShowsItsLogListAndCountersLive) {
  QTest::mouseClick(view().file_btn, Qt::LeftButton);
  f.boxes.answers = {BoxResult::Yes};
  QTest::mouseClick(view().send_btn, Qt::LeftButton);
  ui.mirror().Poll();
  EXPECT_FALSE(view().send_btn->isEnabled());
  EXPECT_EQ(view().panel27->text(), QStringLiteral(u"送信開始"));
  // Mid-run: the first device's lines are in the log.
  f.sim.Advance(1500);
  ui.mirror().Poll();
  EXPECT_TRUE(view().log->toPlainText().contains(QStringLiteral(u"ID001 接続成功")));
  f.sim.Advance(120000);
  ui.mirror().Poll();
  EXPECT_TRUE(view().log->toPlainText().contains(QStringLiteral(u"終了 [成功 3 失敗 0]")));
  EXPECT_TRUE(view().send_btn->isEnabled());
  EXPECT_EQ(view().panel27->text(), QStringLiteral(u"送信完了"));
  EXPECT_TRUE(view().list->item(0)->text().contains(QStringLiteral(u"○ 正常終了")));
  EXPECT_EQ(view().findChild<QLabel*>(QStringLiteral("Panel35"))->text(), QStringLiteral("3"));
  EXPECT_EQ(view().findChild<QLabel*>(QStringLiteral("Panel24"))->text(), QStringLiteral("3"));

  if (const char* out = std::getenv("ZOL_SCREENSHOT_DIR")) {
    ui.main().resize(1000, 700);
    QTest::qWait(50);
    EXPECT_TRUE(ui.main().grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/group_tab.png")));
  }
}

}  // namespace
}  // namespace zol
