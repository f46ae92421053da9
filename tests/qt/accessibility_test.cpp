// Every view, walked widget by widget: an enabled widget the operator can
// use carries its control's name and a name a screen reader reads, so the
// console can be used with a screen reader and driven from outside through
// the desktop's accessibility interface.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QTabBar>
#include <QTextEdit>
#include <QToolButton>
#include <memory>
#include <string>

#include "accessible.h"
#include "backup/backup_window.h"
#include "console/detail_window.h"
#include "console/device_window.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "telnet/device_editor.h"
#include "telnet/group_tab.h"
#include "qt/backup_view.h"
#include "qt/console_ui.h"
#include "qt/icon_list_model.h"
#include "qt/mirror.h"
#include "support/app_fixture.h"
#include "support/sim_platform.h"

namespace zol {
namespace {

// Widgets the operator acts on. Parts that Qt builds into its own widgets
// (tab bars of tab widgets, scroll bars, headers, a table's corner button,
// a combo box's line edit and list) are named by Qt and read through their
// owner.
bool Interactive(const QWidget* w) {
  if (w->objectName().startsWith(QStringLiteral("qt_"))) return false;
  if (qobject_cast<const QScrollBar*>(w) || qobject_cast<const QHeaderView*>(w)) return false;
  for (const QObject* p = w->parent(); p; p = p->parent()) {
    if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractItemView*>(p)) return false;
  }
  return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
         qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
         qobject_cast<const QTabBar*>(w) || qobject_cast<const QAbstractSlider*>(w) ||
         qobject_cast<const QAbstractSpinBox*>(w);
}

// "ClassName objectName" of every enabled interactive widget under top that
// lacks an object name or an accessible name, one a line.
std::string Unnamed(QWidget* top) {
  QStringList out;
  QList<QWidget*> all = top->findChildren<QWidget*>();
  all.prepend(top);
  for (QWidget* w : all) {
    if (!w->isEnabled() || !Interactive(w)) continue;
    if (w->objectName().isEmpty() || ReadName(w).trimmed().isEmpty())
      out << QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName();
  }
  return out.join(QLatin1Char('\n')).toStdString();
}

struct Views : ::testing::Test {
  Views() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);
    ui.mirror().Poll();
  }
  AppFixture f;
  ConsoleUi ui;
};

TEST_F(Views, EveryInteractiveWidgetIsNamedAndReadable) {
  const struct {
    const char* view;
    QWidget* top;
  } views[] = {
      {"main", &ui.main()},
      {"debug", &ui.debug()},
      {"splash", &ui.splash()},
      {"terms", &ui.terms()},
      {"group dialog", &ui.group_dialog()},
      {"settings", &ui.settings()},
      {"folder chooser", &ui.folder_chooser()},
      {"password", &ui.password()},
      {"device", &ui.device()},
      {"detail", &ui.detail()},
      {"chart", &ui.chart()},
      {"device editor", &ui.editor()},
  };
  for (const auto& v : views) EXPECT_EQ(Unnamed(v.top), "") << v.view;

  TempDir dir;
  FakeMessageBoxes boxes;
  Mirror mirror;
  BackupWindow form(boxes, dir.File("zolv4backup"));
  form.FormCreate();
  BackupView backup(form, mirror);
  EXPECT_EQ(Unnamed(&backup), "") << "backup";
}

// Picture-only buttons are read by their hints, buttons with a caption by
// the caption; lists by the page they fill.
TEST_F(Views, ButtonsAndListsReadAsTheOperatorSeesThem) {
  const struct {
    const char* name;
    const char16_t* read;
  } cases[] = {
      {"ToolButton1", u"監視開始"},   {"ToolButton2", u"監視停止"},   {"ToolButton7", u"設定"},
      {"ToolButtonChk1", u"アウトレット"}, {"ToolButtonChk2", u"PING監視"}, {"ToolButtonChk3", u"温度監視"},
      {"ToolButtonChk4", u"OK"},     {"ToolButtonChk5", u"!"},      {"ToolButtonChk6", u"NG"},
      {"ToolButtonChk7", u"?"},      {"ToolButton3", u"ALL"},       {"ListView1", u"アイコン表示"},
      {"ListBox2", u"システムログ"},
  };
  for (const auto& c : cases) {
    QWidget* w = ui.main().findChild<QWidget*>(QString::fromLatin1(c.name));
    ASSERT_NE(w, nullptr) << c.name;
    EXPECT_EQ(ReadName(w), QString::fromUtf16(c.read)) << c.name;
  }
  EXPECT_EQ(ReadName(ui.terms().agree), QStringLiteral(u"同意する"));
  EXPECT_EQ(ui.terms().agree->objectName(), QStringLiteral("BitBtn1"));
  // The icon view's items are read as Qt reads a list's items.
  EXPECT_EQ(QAccessible::queryAccessibleInterface(ui.main().icons)->role(), QAccessible::List);
}

// Every text a label shows, the values of panels and counters among them,
// is what a screen reader reads for it, and a value with a caption beside
// it (or around it, a group box) is labelled by that caption. The windows
// are filled from a device first, so the values are there to be read.
TEST_F(Views, EveryValueIsReadByItsTextWithItsCaptionAsLabel) {
  Grid& t = f.app->Form4().StringGrid1;
  t.SetCell(dtcol::MacAddress, 1, "02:5A:3C:00:00:01");
  t.SetCell(dtcol::OutletInfo, 1, "2,1");
  t.SetCell(dtcol::ConnectInfo, 1, "telnet,10.0.0.1,23,,23,0,1,1");
  t.SetCell(dtcol::IpAddress, 1, "10.0.0.1");
  t.SetCell(dtcol::DeviceName, 1, "ラック1");
  t.SetCell(dtcol::DeviceMemo, 1, "二階");
  t.SetCell(dtcol::OutletNames, 1, "電源,ルータ,");
  t.SetCell(dtcol::GroupName, 1, "G001 グループ1");
  t.SetCell(dtcol::DeviceInfo, 1, "ZOL-8");
  t.SetCell(dtcol::RecvDate, 1, "2024/05/01");
  t.SetCell(dtcol::RecvTime, 1, "09:30:05");
  t.SetCell(dtcol::OlWordA, 1, "0001 0000");
  f.app->Form4().LastDataCnt();
  MainWindow& main = f.app->Form2();
  main.icons.Panel12.SetCaption("5994");
  main.icons.Panel15.SetCaption("1998");
  main.icons.StatusBar1.SetPanel(1, " ID001 ラック1");
  f.app->group_tab().Panel24.SetCaption("3");
  f.app->group_tab().Panel35.SetCaption("12");
  f.app->Form7().listicondata("0001 0002 7", 0);
  f.app->Form6().OpenDevice(1);
  f.app->Form5().OpenEdit(1);
  ui.mirror().Poll();

  QStringList misread;
  int read = 0;
  const std::vector<QWidget*> views = {&ui.main(),   &ui.debug(),        &ui.splash(),         &ui.terms(),
                                       &ui.group_dialog(), &ui.settings(), &ui.folder_chooser(), &ui.password(),
                                       &ui.device(), &ui.detail(),       &ui.chart(),          &ui.editor()};
  for (QWidget* top : views) {
    for (QLabel* l : top->findChildren<QLabel*>()) {
      const QString shown = ShownText(l);
      if (shown.isEmpty()) continue;
      ++read;
      if (ReadName(l) != shown) misread << l->objectName() + QStringLiteral(": ") + ReadName(l) + QStringLiteral(" for ") + shown;
    }
  }
  EXPECT_EQ(misread.join(QLatin1Char('\n')).toStdString(), "");
  EXPECT_GT(read, 100);  // the filled windows were walked

  const struct {
    QWidget* top;
    const char* name;
    const char16_t* value;
    const char16_t* label;
  } values[] = {
      {&ui.main(), "Panel12", u"5994", u"OK"},
      {&ui.main(), "Panel15", u"1998", u"？"},
      {&ui.device(), "Panel2", u"ラック1", u"機器名称"},
      {&ui.device(), "Panel1", u"ルータ", u"アウトレット名称"},
      {&ui.device(), "Panel3", u"電源 ON", u"状態"},
      {&ui.device(), "Panel4", u"ID0001", u"登録ID/アウトレットNo"},
      {&ui.detail(), "NamePanel", u"ラック1", u"機器名称"},
      {&ui.detail(), "MemoPanel", u"二階", u"メモ"},
      {&ui.detail(), "DatePanel", u"2024/05/01 09:30:05", u"更新時間"},
      {&ui.editor(), "Label1", u"ZOL-8", u"機器情報"},
      {&ui.editor(), "Panel18", u"02:5A:3C:00:00:01", u"MACアドレス"},
      {&ui.editor(), "Panel20", u"2", u"アウトレット数"},
      {&ui.main(), "Panel24", u"3", u"成功"},
      {&ui.main(), "Panel35", u"12", u"成功"},
  };
  for (const auto& v : values) {
    auto* l = v.top->findChild<QLabel*>(QString::fromLatin1(v.name));
    ASSERT_NE(l, nullptr) << v.name;
    EXPECT_EQ(ReadName(l), QString::fromUtf16(v.value)) << v.name;
    EXPECT_EQ(ReadLabel(l), QString::fromUtf16(v.label)) << v.name;
  }
}

}  // namespace
}  // namespace zol
