// The group dialog, the password dialog and the folder chooser on the
// offscreen platform. With ZOL_SCREENSHOT_DIR set, the chooser's test saves
// its picture there as folder_chooser.png.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "console/app.h"
#include "console/console_settings.h"
#include "console/device_tree.h"
#include "console/folder_chooser.h"
#include "console/group_dialog.h"
#include "console/password_dialog.h"
#include "qt/console_ui.h"
#include "qt/mirror.h"
#include "qt/sjis.h"
#include "settings/settings_dialog.h"
#include "support/app_fixture.h"
#include "wait_for.h"

namespace zol {
namespace {

// A folder name Shift-JIS cannot hold ("é" has no Shift-JIS form).
const QString kCafe = QString::fromUtf8(u8"caf\u00e9");

// Types the text one character at a time, as a keyboard (or an input
// method) would hand it over.
void Type(QWidget* w, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
  }
}

struct Dialogs : ::testing::Test {
  Dialogs() : ui(*f.app) {}
  AppFixture f;
  ConsoleUi ui;
};

TEST_F(Dialogs, EnterInThePasswordEntryUnlocks) {
  PasswordView& v = ui.password();
  ConsoleSettings& s = f.app->settings();
  s.LockOn = true;
  s.LockPassword = "Pw";
  s.EditUnlocked = false;
  f.app->Form14().password_check();
  ui.mirror().Poll();
  ASSERT_TRUE(v.isVisible());
  EXPECT_EQ(v.windowTitle(), QStringLiteral(u" パスワード確認"));
  EXPECT_EQ(v.size(), QSize(240, 137));
  EXPECT_FALSE(v.isModal());
  EXPECT_EQ(v.entry->echoMode(), QLineEdit::Password);
  EXPECT_TRUE(v.ok->isDefault());
  EXPECT_EQ(v.label2->text(), QStringLiteral(u"入力後、再度以前の動作を行ってください。"));
  QTest::keyClicks(v.entry, QStringLiteral("Pw"));
  EXPECT_EQ(f.app->Form14().MaskEdit1.Text(), "Pw");
  QTest::keyClick(v.entry, Qt::Key_Return);
  EXPECT_TRUE(s.EditUnlocked);
  EXPECT_FALSE(v.isVisible());
  EXPECT_TRUE(f.boxes.shown.empty());
  // Shown again: the entry is empty.
  f.app->Form14().password_check();
  ui.mirror().Poll();
  EXPECT_EQ(v.entry->text(), QString());
}

TEST_F(Dialogs, TheGroupEntryHoldsTwentyShiftJisBytes) {
  GroupDialogView& v = ui.group_dialog();
  EXPECT_EQ(v.size(), QSize(400, 240));
  f.app->Form3().NewMode();
  ui.mirror().Poll();
  ASSERT_TRUE(v.isVisible());
  EXPECT_EQ(v.windowTitle(), QStringLiteral(u"グループ新規登録"));
  EXPECT_EQ(v.edit1->text(), QStringLiteral(u"グループ2"));
  EXPECT_EQ(v.ok->text(), QStringLiteral(u"登録"));
  struct Case {
    QString typed;
    QString kept;
  } cases[] = {
      {QStringLiteral(u"一二三四五六七八九十十"), QStringLiteral(u"一二三四五六七八九十")},  // an eleventh kanji
      {QStringLiteral(u"abcdefghijklmnopqrstu"), QStringLiteral(u"abcdefghijklmnopqrst")},
      {QStringLiteral(u"a一二三四五六七八九十"), QStringLiteral(u"a一二三四五六七八九")},  // never half a kanji
      {QStringLiteral(u"ｱｲｳ"), QStringLiteral(u"ｱｲｳ")},      // half-width kana: one byte each
  };
  for (const Case& c : cases) {
    v.edit1->clear();
    Type(v.edit1, c.typed);
    EXPECT_EQ(v.edit1->text(), c.kept) << c.typed.toStdString();
    EXPECT_EQ(f.app->Form3().Edit1.Text(), ToSjis(c.kept)) << c.typed.toStdString();
  }
  // A character Shift-JIS cannot hold stays as typed and the name is
  // refused by name; nothing is stored as "?".
  const QString typed = v.edit1->text();
  const std::vector<std::string> groups = f.app->tree().TreeGroupTexts();
  Type(v.edit1, kCafe);
  ui.mirror().Poll();
  EXPECT_EQ(v.edit1->text(), typed + kCafe);
  QTest::mouseClick(v.ok, Qt::LeftButton);
  EXPECT_TRUE(v.isVisible());
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0].text, "グループ名に使用できない文字が含まれています。");
  EXPECT_EQ(f.boxes.shown[0].kind, BoxKind::Warning);
  EXPECT_EQ(f.app->tree().TreeGroupTexts(), groups);
  for (int k = 0; k < 4; ++k) QTest::keyClick(v.edit1, Qt::Key_Backspace);
  EXPECT_EQ(v.edit1->text(), typed);
  // A paste is cut to the limit at a whole character, as the editor's
  // boxes cut it.
  struct Paste {
    QString before;
    bool select_all;
    QString pasted;
    QString kept;
  } pastes[] = {
      {QStringLiteral(u"グループ2"), true, QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
       QStringLiteral("abcdefghijklmnopqrst")},
      {QStringLiteral("abc"), false, QStringLiteral(u"一二三四五六七八九十"), QStringLiteral(u"abc一二三四五六七八")},
      {QStringLiteral(u"ｱｲ"), false, QStringLiteral(u"倉庫") + kCafe + QStringLiteral("0123456789AB"),
       QStringLiteral(u"ｱｲ倉庫") + kCafe + QStringLiteral("0123456789")},  // one byte for the character it cannot hold
  };
  for (const Paste& p : pastes) {
    f.app->Form3().Edit1.SetText(ToSjis(p.before));
    ui.mirror().Poll();
    ASSERT_EQ(v.edit1->text(), p.before);
    v.edit1->setFocus();
    if (p.select_all) v.edit1->selectAll();
    else v.edit1->end(false);
    v.edit1->insert(p.pasted);
    EXPECT_EQ(v.edit1->text(), p.kept) << p.pasted.toStdString();
    EXPECT_EQ(f.app->Form3().Edit1.Text(), ToSjis(p.kept)) << p.pasted.toStdString();
  }
  f.app->Form3().Edit1.SetText(ToSjis(typed));
  ui.mirror().Poll();
  QTest::mouseClick(v.ok, Qt::LeftButton);
  EXPECT_FALSE(v.isVisible());
  EXPECT_EQ(f.app->tree().TreeGroupTexts()[1], "G002 ｱｲｳ (0)");
}

struct FolderTreeFixture : Dialogs {
  FolderTreeFixture() {
    root = QString::fromStdString(f.dir.path());
    QDir(root).mkpath(QStringLiteral(u"ログ/月別"));
    QDir(root).mkpath(kCafe);
    QDir(root).mkpath(QStringLiteral(".hidden"));
    QFile file(root + QStringLiteral("/note.txt"));
    file.open(QIODevice::WriteOnly);
  }
  // The settings dialog's log folder field, which takes the choice.
  std::string Field() { return f.app->Form8().Edit1.Text(); }
  QString root;
};

TEST_F(FolderTreeFixture, ListsFoldersOnlyAndHandsTheChoiceOverInShiftJis) {
  FolderChooserView& v = ui.folder_chooser();
  EXPECT_EQ(v.size(), QSize(400, 240));
  f.app->Form9().Show();
  ui.mirror().Poll();
  ASSERT_TRUE(v.isVisible());
  EXPECT_EQ(v.windowTitle(), QStringLiteral(u"フォルダの参照"));
  // On first showing the home folder is selected.
  EXPECT_EQ(v.folders.Selected(), QDir::homePath());
  EXPECT_EQ(QFile::decodeName(QByteArray::fromStdString(f.app->Form9().SelectedPath)), QDir::homePath());

  QFileSystemModel& m = *v.folders.model;
  bool loaded = false;
  QObject::connect(&m, &QFileSystemModel::directoryLoaded, &v, [&](const QString& p) { loaded = loaded || p == root; });
  const QModelIndex dir = m.index(root);
  v.folders.view->expand(dir);
  m.fetchMore(dir);
  ASSERT_TRUE(WaitFor([&] { return loaded || m.rowCount(dir) == 2; }));
  ASSERT_TRUE(WaitFor([&] { return m.rowCount(dir) == 2; }));
  QStringList names;
  for (int i = 0; i < m.rowCount(dir); ++i) names << m.index(i, 0, dir).data().toString();
  names.sort();
  EXPECT_EQ(names, (QStringList{kCafe, QStringLiteral(u"ログ")}));

  ASSERT_TRUE(v.folders.Select(root + QStringLiteral(u"/ログ")));
  // With ZOL_SCREENSHOT_DIR set, the chooser as it stands (in the program
  // the settings dialog's "参照" button opens it).
  if (const char* out = std::getenv("ZOL_SCREENSHOT_DIR")) {
    WaitFor([&] { return m.rowCount(m.index(QStringLiteral("/tmp"))) > 0; }, 1000);
    QTest::qWait(100);
    v.folders.view->scrollTo(m.index(v.folders.Selected()));
    EXPECT_TRUE(v.grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/folder_chooser.png")));
  }
  QTest::mouseClick(v.ok, Qt::LeftButton);
  const std::string chosen = ToSjis(root + QStringLiteral(u"/ログ"));
  EXPECT_EQ(Field(), chosen);
  EXPECT_EQ(FromSjis(Field()), root + QStringLiteral(u"/ログ"));
  EXPECT_FALSE(v.isVisible());

  // Shown again, the choice is kept; a name Shift-JIS cannot hold is refused.
  f.app->Form9().Show();
  ui.mirror().Poll();
  EXPECT_EQ(v.folders.Selected(), root + QStringLiteral(u"/ログ"));
  ASSERT_TRUE(v.folders.Select(root + QStringLiteral("/") + kCafe));
  QTest::mouseClick(v.ok, Qt::LeftButton);
  EXPECT_EQ(Field(), chosen);
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0].kind, BoxKind::Warning);
  EXPECT_TRUE(v.isVisible());
  QTest::mouseClick(v.cancel, Qt::LeftButton);
  EXPECT_FALSE(v.isVisible());
  EXPECT_EQ(Field(), chosen);
}

}  // namespace
}  // namespace zol
