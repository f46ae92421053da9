// The settings dialog on the offscreen platform: opened by the settings
// button without a loop of its own, the operator's edits reaching the core's
// enabling rules, and every way out giving the start button back.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "console/folder_chooser.h"
#include "console/main_window.h"
#include "qt/console_ui.h"
#include "qt/folder_chooser_view.h"
#include "qt/main_view.h"
#include "qt/mirror.h"
#include "qt/settings_view.h"
#include "settings/settings_dialog.h"
#include "support/app_fixture.h"
#include "support/fake_smtp.h"
#include "wait_for.h"

namespace zol {
namespace {

struct SettingsWindow : ::testing::Test {
  SettingsWindow() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);
    UsableMailSettings(f.app->settings());
    f.app->settings().MailTo = "ops@example";  // no dot yet
    ui.mirror().Poll();
  }
  SettingsView& dialog() { return ui.settings(); }
  template <typename W>
  W* Find(const char* name) {
    W* w = dialog().findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  // Opens the dialog with a click on the settings button.
  void Open() {
    auto* settings = ui.main().findChild<QToolButton*>(QStringLiteral("ToolButton7"));
    ASSERT_NE(settings, nullptr);
    QTest::mouseClick(settings, Qt::LeftButton);
    ui.mirror().Poll();
    ASSERT_TRUE(dialog().isVisible());
  }
  AppFixture f;
  ConsoleUi ui;
};

TEST_F(SettingsWindow, OpensModalWithoutALoopOfItsOwn) {
  Open();  // the click has returned while the dialog is shown
  EXPECT_EQ(dialog().windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(dialog().size(), QSize(540, 385));
  EXPECT_EQ(dialog().windowTitle(), QString::fromUtf16(u"基本設定"));
  EXPECT_EQ(dialog().tabs->count(), 5);
  EXPECT_FALSE(f.app->monitoring().ToolButton1.Enabled());
  auto* port = Find<QLineEdit>("Edit2");
  EXPECT_EQ(port->text(), QStringLiteral("5000"));
  EXPECT_EQ(Find<QSpinBox>("Edit4")->value(), 10);
  EXPECT_EQ(Find<QSpinBox>("Edit3")->maximum(), 360);
  EXPECT_EQ(Find<QLineEdit>("edtPassword")->echoMode(), QLineEdit::Password);
}

TEST_F(SettingsWindow, TypingAndChoosingReachTheRules) {
  Open();
  SettingsDialog& core = f.app->Form8();
  dialog().tabs->setCurrentIndex(SettingsDialog::kMail);
  ui.mirror().Poll();
  auto* test = Find<QPushButton>("BitBtn10");
  EXPECT_FALSE(test->isEnabled());
  auto* to = Find<QLineEdit>("edtToMail");
  to->setFocus();
  to->end(false);
  QTest::keyClicks(to, QStringLiteral(".com"));
  ui.mirror().Poll();
  EXPECT_EQ(core.edtToMail.Text(), "ops@example.com");
  EXPECT_TRUE(test->isEnabled());
  EXPECT_TRUE(Find<QWidget>("CheckBox7")->isEnabled());

  auto* auth = Find<QComboBox>("cboAuthType");
  auto* user = Find<QLineEdit>("edtAccount");
  EXPECT_FALSE(user->isEnabled());
  auth->setFocus();
  QTest::keyClick(auth, Qt::Key_Down);  // "Simple Login", chosen by the operator
  ui.mirror().Poll();
  EXPECT_EQ(core.cboAuthType.ItemIndex(), 1);
  EXPECT_TRUE(user->isEnabled());
  EXPECT_TRUE(Find<QLineEdit>("edtPassword")->isEnabled());
  EXPECT_EQ(core.PageControl1.ActivePageIndex(), SettingsDialog::kMail);

  // The spin control's operator changes reach the core within its range.
  auto* minutes = Find<QSpinBox>("Edit3");
  minutes->setValue(400);
  EXPECT_EQ(core.UpDown1.Position(), 360);
}

TEST_F(SettingsWindow, BrowseOpensTheFolderChooserAboveTheDialog) {
  Open();
  QTest::mouseClick(Find<QPushButton>("BitBtn3"), Qt::LeftButton);
  ui.mirror().Poll();
  FolderChooserView& chooser = ui.folder_chooser();
  ASSERT_TRUE(chooser.isVisible());
  EXPECT_EQ(chooser.windowModality(), Qt::ApplicationModal);  // it takes input over the dialog
  ASSERT_TRUE(chooser.folders.Select(QString::fromStdString(f.dir.path())));
  QTest::mouseClick(chooser.ok, Qt::LeftButton);
  ui.mirror().Poll();
  EXPECT_FALSE(chooser.isVisible());
  EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), QString::fromStdString(f.dir.path()));
  EXPECT_TRUE(dialog().isVisible());
}

// Text that reaches a field without a key press, as a screen reader or an
// automation tool puts it there through the accessibility interface (by
// its value or by its editable text), is the text "登録" stores: a line
// edit, a combo box's edit and a password field.
TEST_F(SettingsWindow, TextSetThroughTheAccessibilityInterfaceIsStored) {
  for (const bool by_value : {true, false}) {
    SCOPED_TRACE(by_value ? "value" : "editable text");
    Open();
    const struct {
      QLineEdit* field;
      QString text;
    } fields[] = {
        {Find<QLineEdit>("Edit2"), by_value ? QStringLiteral("37031") : QStringLiteral("37032")},
        {Find<QLineEdit>("MaskEdit1"), QStringLiteral(u"秘密pw")},
        {Find<QComboBox>("ComboBox2")->lineEdit(), QStringLiteral(u"最大化")},
    };
    for (const auto& c : fields) {
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c.field);
      ASSERT_NE(a, nullptr);
      if (by_value) {
        a->setText(QAccessible::Value, c.text);
      } else {
        ASSERT_NE(a->editableTextInterface(), nullptr);
        a->editableTextInterface()->replaceText(0, static_cast<int>(c.field->text().size()), c.text);
      }
      ASSERT_EQ(c.field->text(), c.text);
    }
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);  // "登録"
    ui.mirror().Poll();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(f.app->settings().UdpPort, by_value ? 37031 : 37032);
    EXPECT_EQ(f.app->settings().LockPassword, "秘密pw");
    EXPECT_EQ(f.app->settings().WindowMode, 2);
    EXPECT_NE(ReadAll(f.dir.File("zolyab4.Ini")).find(by_value ? "PORT=37031\r\n" : "PORT=37032\r\n"),
              std::string::npos);
  }
}

// The program's own texts do not come back as the operator's edits: the
// dialog's loading of the mail addresses runs no enabling rule of its own
// (the rule runs once, for the loaded values, in the core).
TEST_F(SettingsWindow, TheProgramsOwnTextsRunNoHandler) {
  Open();
  SettingsDialog& core = f.app->Form8();
  core.CheckBox7.SetEnabled(false);
  core.edtToMail.SetText("ops@example.jp");  // meets the address rule
  ui.mirror().Poll();
  EXPECT_EQ(Find<QLineEdit>("edtToMail")->text(), QStringLiteral("ops@example.jp"));
  EXPECT_FALSE(core.CheckBox7.Enabled());  // edtToMailChange did not run
  // The operator's undo is an edit like any other.
  auto* to = Find<QLineEdit>("edtToMail");
  to->setFocus();
  to->end(false);
  QTest::keyClicks(to, QStringLiteral("x"));
  EXPECT_EQ(core.edtToMail.Text(), "ops@example.jpx");
  QTest::keyClick(to, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(to->text(), QStringLiteral("ops@example.jp"));
  EXPECT_EQ(core.edtToMail.Text(), "ops@example.jp");
  EXPECT_TRUE(core.CheckBox7.Enabled());  // the operator's edits ran the rule
}

// Return in a field does nothing: the dialog has no default button, and
// "参照" beside the log folder does not open the folder chooser.
TEST_F(SettingsWindow, ReturnInAFieldOpensNoOtherWindow) {
  Open();
  for (const char* name : {"Edit2", "Edit1", "MaskEdit1"}) {
    SCOPED_TRACE(name);
    auto* field = Find<QLineEdit>(name);
    dialog().activateWindow();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Enter);
    QApplication::processEvents();
    ui.mirror().Poll();
    EXPECT_FALSE(ui.folder_chooser().isVisible());
    EXPECT_FALSE(f.app->Form9().Visible());
    EXPECT_TRUE(dialog().isVisible());
  }
  for (QPushButton* b : dialog().findChildren<QPushButton*>()) {
    EXPECT_FALSE(b->isDefault() || b->autoDefault()) << b->objectName().toStdString();
  }
}

TEST_F(SettingsWindow, EscAndTheCloseBoxGiveTheStartButtonBack) {
  for (const char* way : {"Esc", "close box"}) {
    SCOPED_TRACE(way);
    Open();
    EXPECT_FALSE(f.app->monitoring().ToolButton1.Enabled());
    if (std::string(way) == "Esc") QTest::keyClick(&dialog(), Qt::Key_Escape);
    else dialog().close();
    ui.mirror().Poll();
    EXPECT_FALSE(f.app->Form8().Visible());
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_TRUE(f.app->monitoring().ToolButton1.Enabled());
    EXPECT_TRUE(f.app->monitoring().ToolButton7.Enabled());
  }
}

// Typing that Shift-JIS cannot hold stays in the field as typed and the
// store is refused with a message that names the field: nothing is stored
// with "?" in its place. Mended, the same field is stored.
TEST_F(SettingsWindow, TextShiftJisCannotHoldIsRefusedByName) {
  struct Case {
    SettingsDialog::Page page;
    const char* field;
    QString typed;
    const char* message;
  };
  const Case cases[] = {
      {SettingsDialog::kCommon, "Edit1", QString::fromUtf8(u8"logs/caf\u00e9"), "保存先フォルダ名に使用できない文字が含まれています。"},
      {SettingsDialog::kMail, "Edit10", QString::fromUtf8(u8"通知\U0001F600"), "件名に使用できない文字が含まれています。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    f.boxes.shown.clear();
    const std::string log_dir = f.app->settings().LogDir, subject = f.app->settings().MailSubject;
    Open();
    dialog().tabs->setCurrentIndex(c.page);
    auto* field = Find<QLineEdit>(c.field);
    field->clear();
    field->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, c.typed);
    QApplication::sendEvent(field, &press);
    ui.mirror().Poll();
    EXPECT_EQ(field->text(), c.typed);  // not turned into "?"
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    ui.mirror().Poll();
    EXPECT_TRUE(dialog().isVisible());
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_EQ(f.boxes.shown[0].text, c.message);
    EXPECT_EQ(f.boxes.shown[0].kind, BoxKind::Warning);
    EXPECT_EQ(f.app->settings().LogDir, log_dir);
    EXPECT_EQ(f.app->settings().MailSubject, subject);
    // Mended: the last character goes, the field is stored.
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
    ui.mirror().Poll();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(f.boxes.shown.size(), 1u);
  }
  EXPECT_EQ(f.app->settings().LogDir, "logs/caf");
  EXPECT_EQ(f.app->settings().MailSubject, "通知");
}

}  // namespace
}  // namespace zol
