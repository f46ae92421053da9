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

#include "backup/backup_window.h"
#include "qt/backup_view.h"
#include "qt/console_ui.h"
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

// The name a screen reader gets for w, through Qt's accessibility interface.
QString ReadName(QWidget* w) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  return a ? a->text(QAccessible::Name) : QString();
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

}  // namespace
}  // namespace zol
