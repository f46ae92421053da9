// The settings dialog on the offscreen platform: opened by the settings
// button without a loop of its own, the operator's edits reaching the core's
// enabling rules, and every way out giving the start button back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "console/main_window.h"
#include "qt/console_ui.h"
#include "qt/folder_chooser_view.h"
#include "qt/main_view.h"
#include "qt/mirror.h"
#include "qt/settings_view.h"
#include "settings/settings_dialog.h"
#include "support/app_fixture.h"
#include "support/fake_smtp.h"

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
