// The device editor's window on the offscreen platform: the byte limits and
// refused commas of its entry boxes, the main window greyed during a
// registration, the connection method's port only on the operator's change.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "common/scramble.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/console_ui.h"
#include "qt/mirror.h"
#include "qt/sjis.h"
#include "support/app_fixture.h"
#include "telnet/device_editor.h"

namespace zol {
namespace {

const QString kA = QStringLiteral(u"あ");

QString Times(const QString& s, int n) {
  QString out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// An input method's commit, as a Japanese character reaches a box.
void Commit(QWidget* w, const QString& text) {
  QInputMethodEvent e;
  e.setCommitString(text);
  QApplication::sendEvent(w, &e);
}

struct EditorUi : ::testing::Test {
  EditorUi() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);
    ui.mirror().Poll();
    Grid& table = f.app->Form4().StringGrid1;
    table.SetCell(dtcol::MacAddress, 1, "02:5A:3C:00:00:01");
    table.SetCell(dtcol::OutletInfo, 1, "4,0");
    table.SetCell(dtcol::ConnectInfo, 1, "telnet,10.0.0.5,8080," + Scramble("pw", 1) + ",23,0,1,1");
    table.SetCell(dtcol::DeviceName, 1, "Dev");
    table.SetCell(dtcol::GroupName, 1, "G001 グループ1");
  }
  DeviceEditor& core() { return f.app->Form5(); }
  DeviceEditorView& view() { return ui.editor(); }
  template <typename T>
  T* Find(const char* name) {
    return view().findChild<T*>(QString::fromLatin1(name));
  }
  void Open() {
    core().OpenEdit(1);
    ui.mirror().Poll();
  }
  AppFixture f;
  ConsoleUi ui;
};

TEST_F(EditorUi, FiveTabsAndEveryControlByItsName) {
  Open();
  ASSERT_TRUE(view().isVisible());
  EXPECT_EQ(view().windowTitle(), QStringLiteral(u"機器情報　登録／編集"));
  EXPECT_EQ(view().parentWidget(), nullptr);
  ASSERT_EQ(view().tabs->count(), 5);
  const QStringList titles = {QStringLiteral(u"名称登録"), QStringLiteral(u"接続"), QStringLiteral(u"ログ保存"),
                              QStringLiteral(u"通知機能"), QStringLiteral(u"情報")};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(view().tabs->tabText(i), titles[i]);
  for (const char* name : {"Edit1", "Edit8", "Edit9", "MemoEdit", "Edit10", "Edit11", "Edit12", "MaskEdit1"}) {
    QLineEdit* e = Find<QLineEdit>(name);
    ASSERT_NE(e, nullptr) << name;
    EXPECT_FALSE(e->accessibleName().isEmpty()) << name;
  }
  for (const char* name : {"ComboBoxEx1", "ComboBox1", "ComboBox8", "ComboBox9"}) EXPECT_NE(Find<QComboBox>(name), nullptr) << name;
  for (const char* name : {"CheckBox1", "CheckBox16", "CheckBox17", "CheckBox25", "CheckBox26"}) {
    EXPECT_NE(Find<QCheckBox>(name), nullptr) << name;
  }
  for (const char* name : {"Panel2", "Panel17", "Panel18", "Panel20", "Panel23", "Panel34", "Panel42", "Panel44",
                           "Panel51", "Panel33", "Label1"}) {
    EXPECT_NE(Find<QLabel>(name), nullptr) << name;
  }
  EXPECT_EQ(Find<QLineEdit>("MaskEdit1")->echoMode(), QLineEdit::Password);
  EXPECT_EQ(Find<QLineEdit>("Edit9")->text(), QStringLiteral("Dev"));
  EXPECT_EQ(Find<QLabel>("Panel44")->text(), QStringLiteral(u"G001 グループ1"));
  EXPECT_FALSE(view().group->isVisible());
  EXPECT_EQ(view().store->text(), QStringLiteral(u"登録"));
  // The operator's choices reach the core.
  view().tabs->setCurrentIndex(1);
  EXPECT_EQ(core().PageControl1.ActivePageIndex(), 1);
  QTest::mouseClick(Find<QRadioButton>("RadioButton2"), Qt::LeftButton);
  EXPECT_TRUE(core().RadioButton2.Checked());
  EXPECT_FALSE(core().RadioButton1.Checked());
  view().tabs->setCurrentIndex(3);
  QCheckBox* box = Find<QCheckBox>("CheckBox17");
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));  // on its mark
  EXPECT_TRUE(core().CheckBox17.Checked());
}

TEST_F(EditorUi, NamesTakeAtMostTwentyBytesAsTyped) {
  Open();
  QLineEdit* name = view().name;
  core().Edit9.SetText("");
  ui.mirror().Poll();
  // Eleven double-byte characters typed: ten kept.
  for (int i = 0; i < 11; ++i) Commit(name, kA);
  EXPECT_EQ(name->text(), Times(kA, 10));
  EXPECT_EQ(core().Edit9.Text().size(), 20u);

  // After 19 bytes a double-byte character does not fit and is refused whole.
  core().Edit9.SetText("");
  ui.mirror().Poll();
  name->setFocus();
  QTest::keyClicks(name, QStringLiteral("xxxxxxxxxxxxxxxxxxx"));
  Commit(name, kA);
  EXPECT_EQ(name->text(), QStringLiteral("xxxxxxxxxxxxxxxxxxx"));
  EXPECT_EQ(core().Edit9.Text(), std::string(19, 'x'));

  // A long paste is cut at a whole character.
  QLineEdit* outlet = Find<QLineEdit>("Edit3");
  core().Edit3.SetText("");
  ui.mirror().Poll();
  outlet->insert(QStringLiteral("ab") + Times(kA, 12));
  EXPECT_EQ(outlet->text(), QStringLiteral("ab") + Times(kA, 9));
  EXPECT_EQ(core().Edit3.Text(), ToSjis(QStringLiteral("ab") + Times(kA, 9)));

  // A long text the program sets is shown whole.
  core().MemoEdit.SetText(ToSjis(Times(kA, 25)));
  ui.mirror().Poll();
  EXPECT_EQ(Find<QLineEdit>("MemoEdit")->text(), Times(kA, 25));
}

TEST_F(EditorUi, CommasAreRefusedWhereTheyWouldShiftFields) {
  Open();
  for (const char* name : {"Edit10", "Edit11", "Edit12", "Edit1"}) {
    QLineEdit* e = Find<QLineEdit>(name);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, QStringLiteral("1,2"));
    EXPECT_EQ(e->text(), QStringLiteral("12")) << name;
    e->insert(QStringLiteral("3,4"));
    EXPECT_EQ(e->text(), QStringLiteral("12")) << name;
  }
  EXPECT_EQ(core().Edit10.Text(), "12");
  view().method->lineEdit()->selectAll();
  QTest::keyClicks(view().method->lineEdit(), QStringLiteral("a,b"));
  EXPECT_EQ(core().ComboBox9.Text(), "ab");
  // A name may hold a comma: it has a column of its own.
  view().name->selectAll();
  QTest::keyClicks(view().name, QStringLiteral("a,b"));
  EXPECT_EQ(core().Edit9.Text(), "a,b");
}

TEST_F(EditorUi, TheMainWindowIsGreyedDuringARegistrationAndComesBackHoweverTheEditorCloses) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    core().OpenRegistration();
    ui.mirror().Poll();
    EXPECT_FALSE(ui.main().isEnabled());
    EXPECT_TRUE(view().isVisible());
    EXPECT_TRUE(view().isEnabled());
    EXPECT_TRUE(view().group->isVisible());
    if (way == 0) QTest::mouseClick(view().cancel, Qt::LeftButton);
    if (way == 1) view().close();                        // the frame's close button
    if (way == 2) core().app.monitoring().ToolButton1Click();  // monitoring start closes the dialogs
    ui.mirror().Poll();
    EXPECT_TRUE(ui.main().isEnabled());
    EXPECT_FALSE(view().isVisible());
    if (way == 2) core().app.monitoring().ToolButton2Click();
  }
}

TEST_F(EditorUi, TheConnectionMethodSetsThePortOnlyOnTheOperatorsChange) {
  Open();
  EXPECT_EQ(view().method->currentText(), QStringLiteral("telnet"));
  EXPECT_EQ(view().port->text(), QStringLiteral("8080"));
  EXPECT_EQ(core().Edit11.Text(), "8080");
  // Choosing from the list: "http" is above "telnet".
  view().method->setFocus();
  QTest::keyClick(view().method, Qt::Key_Up);
  EXPECT_EQ(core().ComboBox9.Text(), "http");
  EXPECT_EQ(core().Edit11.Text(), "80");
  ui.mirror().Poll();
  EXPECT_EQ(view().port->text(), QStringLiteral("80"));
  // Typing the method.
  view().method->lineEdit()->selectAll();
  QTest::keyClicks(view().method->lineEdit(), QStringLiteral("telnet"));
  EXPECT_EQ(core().Edit11.Text(), "23");
}

TEST_F(EditorUi, PasswordStartsTheIdentityButton) {
  Open();
  ASSERT_TRUE(view().identity->isEnabled());
  view().password->selectAll();
  QTest::keyClick(view().password, Qt::Key_Delete);
  EXPECT_FALSE(core().BitBtn3.Enabled());
  ui.mirror().Poll();
  EXPECT_FALSE(view().identity->isEnabled());
  QTest::keyClicks(view().password, QStringLiteral("k"));
  EXPECT_TRUE(core().BitBtn3.Enabled());
}

// Text put into the editor's boxes through the accessibility interface
// (a screen reader, an automation tool) is the operator's: the core holds
// it and the box's change handler runs, for the connection method's combo
// box edit and the password field; the name box keeps to its byte limit.
TEST_F(EditorUi, TextSetThroughTheAccessibilityInterfaceReachesTheCore) {
  Open();
  auto set = [](QLineEdit* w, const QString& text) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(a, nullptr);
    a->setText(QAccessible::Value, text);
  };
  set(view().method->lineEdit(), QStringLiteral("http"));
  EXPECT_EQ(core().ComboBox9.Text(), "http");
  EXPECT_EQ(core().Edit11.Text(), "80");  // ComboBox9Change ran
  set(view().password, QString());
  EXPECT_EQ(core().MaskEdit1.Text(), "");
  EXPECT_FALSE(core().BitBtn3.Enabled());  // MaskEdit1Change ran
  set(view().password, QStringLiteral("kelpo"));
  EXPECT_EQ(core().MaskEdit1.Text(), "kelpo");
  EXPECT_TRUE(core().BitBtn3.Enabled());
  set(view().name, QStringLiteral(u"ラック") + Times(kA, 3));
  EXPECT_EQ(core().Edit9.Text(), ToSjis(QStringLiteral(u"ラック") + Times(kA, 3)));
  set(view().name, Times(kA, 11));  // past the limit
  EXPECT_LE(core().Edit9.Text().size(), 20u);
  EXPECT_EQ(core().Edit9.Text(), ToSjis(view().name->text()));

  // The program's own texts run no handler: the method set by the core
  // leaves the port as the core has it.
  core().ComboBox9.SetText("なし");
  core().Edit11.SetText("8080");
  ui.mirror().Poll();
  EXPECT_EQ(view().method->currentText(), QStringLiteral(u"なし"));
  EXPECT_EQ(core().Edit11.Text(), "8080");
}

}  // namespace
}  // namespace zol
