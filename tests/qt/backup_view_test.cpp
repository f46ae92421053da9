// The backup tool's window on the offscreen platform: the folder tree drives
// the core's window, the path box goes both ways, closing ends the program.
#include "qt/backup_view.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "backup/backup_window.h"
#include "common/files.h"
#include "qt/message_boxes.h"
#include "qt/mirror.h"
#include "support/app_fixture.h"
#include "support/sim_platform.h"

namespace zol {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

struct BackupUi : ::testing::Test {
  BackupUi() : prog(dir.File("prog")), bak(dir.File("bak")), other(dir.File("other")) {
    for (const std::string& f : {prog, bak, other}) ::mkdir(f.c_str(), 0755);
    std::string err;
    WriteFileAtomic(prog + "/zolyab4.dat", "dat", &err);
    WriteFileAtomic(bak + "/zolyab4.dat", "old", &err);
    form = std::make_unique<BackupWindow>(boxes, prog + "/zolv4backup");
    form->FormCreate();
    view = std::make_unique<BackupView>(*form, mirror);
    view->show();
  }
  // Pumps events until done() or about five seconds have passed.
  template <typename F>
  bool WaitFor(F done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 5000) QTest::qWait(10);
    return done();
  }
  TempDir dir;
  std::string prog, bak, other;
  FakeMessageBoxes boxes;
  Mirror mirror;
  std::unique_ptr<BackupWindow> form;
  std::unique_ptr<BackupView> view;
};

TEST_F(BackupUi, ShowsTheWindowAsTheCoreDescribesIt) {
  EXPECT_EQ(view->windowTitle(), QStringLiteral(u"ZOL YAB V4 データバックアップ"));
  EXPECT_EQ(view->size(), QSize(300, 401));
  EXPECT_EQ(view->panel2->text(), QStringLiteral(u"ZOL-YAB は終了した状態で行ってください。"));
  EXPECT_EQ(view->label1->text(), QStringLiteral(u"バックアップ/リストア先フォルダ指定"));
  EXPECT_EQ(view->bitbtn1->text(), QStringLiteral(u"バックアップ"));
  EXPECT_EQ(view->bitbtn2->text(), QStringLiteral(u"リストア"));
  EXPECT_FALSE(view->bitbtn1->isEnabled());
  EXPECT_FALSE(view->bitbtn2->isEnabled());
  EXPECT_FALSE(view->tree->selectionModel()->hasSelection());
  EXPECT_EQ(view->findChild<QPushButton*>(QStringLiteral("BitBtn2")), view->bitbtn2);
  EXPECT_EQ(view->bitbtn2->accessibleName(), QStringLiteral(u"リストア"));
  // Folders only, hidden ones not listed.
  std::string err;
  WriteFileAtomic(dir.File("notes.txt"), "x", &err);
  ::mkdir(dir.File(".hidden").c_str(), 0755);
  bool loaded = false;
  QObject::connect(view->folders, &QFileSystemModel::directoryLoaded, view.get(),
                   [&](const QString& path) { loaded = loaded || path == Q(dir.path()); });
  ASSERT_TRUE(view->SelectFolder(Q(prog)));
  ASSERT_TRUE(WaitFor([&] { return loaded; }));
  const QModelIndex root = view->folders->index(Q(dir.path()));
  QStringList names;
  for (int i = 0; i < view->folders->rowCount(root); ++i) names << view->folders->index(i, 0, root).data().toString();
  names.sort();
  EXPECT_EQ(names, (QStringList{QStringLiteral("bak"), QStringLiteral("other"), QStringLiteral("prog")}));
}

TEST_F(BackupUi, SelectingAFolderFillsThePathBoxAndSetsTheButtons) {
  ASSERT_TRUE(view->SelectFolder(Q(bak)));
  EXPECT_EQ(form->ChosenFolder(), bak);
  EXPECT_EQ(view->edit1->text(), Q(bak));
  EXPECT_TRUE(view->bitbtn1->isEnabled());
  EXPECT_TRUE(view->bitbtn2->isEnabled());
  // The combo box holds the folder and its ancestors; choosing one selects it.
  EXPECT_EQ(view->combo->currentData().toString(), Q(bak));
  const int parent = view->combo->findData(Q(dir.path()));
  ASSERT_GE(parent, 0);
  EXPECT_EQ(view->combo->findData(QStringLiteral("/")), 0);
  emit view->combo->activated(parent);
  EXPECT_EQ(form->ChosenFolder(), dir.path());
  EXPECT_FALSE(view->bitbtn2->isEnabled());

  // A right click on another folder selects it.
  const QModelIndex target = view->folders->index(Q(other));
  view->tree->scrollTo(target);
  ASSERT_TRUE(WaitFor([&] { return view->tree->visualRect(target).isValid(); }));
  QTest::mouseClick(view->tree->viewport(), Qt::RightButton, {}, view->tree->visualRect(target).center());
  EXPECT_EQ(form->ChosenFolder(), other);
  EXPECT_EQ(view->edit1->text(), Q(other));
}

TEST_F(BackupUi, ATypedPathIsTheOneUsed) {
  ASSERT_TRUE(view->SelectFolder(Q(bak)));
  view->edit1->clear();
  QTest::keyClicks(view->edit1, Q(other));
  EXPECT_EQ(form->Edit1.Text(), other);
  boxes.answers = {BoxResult::Yes};
  QTest::mouseClick(view->bitbtn1, Qt::LeftButton);
  std::string got;
  EXPECT_TRUE(ReadFile(other + "/zolyab4.dat", &got));
  EXPECT_EQ(got, "dat");
  ASSERT_TRUE(ReadFile(bak + "/zolyab4.dat", &got));
  EXPECT_EQ(got, "old");
  EXPECT_EQ(boxes.shown.back().text, "完了しました。");
  EXPECT_EQ(view->edit1->text(), Q(bak));  // the check at the end shows the tree's folder again
}

TEST_F(BackupUi, ClosingTheWindowEndsTheEventLoop) {
  QTimer::singleShot(0, view.get(), [this] { view->close(); });
  QTimer guard;  // a failure ends the loop with another code instead of hanging
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  guard.start(10000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(view->isVisible());
}

TEST(QtMessageBoxes, TheCompletionBoxHasASingleYesButton) {
  QtMessageBoxes boxes;
  QTimer::singleShot(0, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral(u"情報"));
    EXPECT_EQ(box->text(), QStringLiteral(u"完了しました。"));
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->buttons()[0]->text(), QStringLiteral(u"はい(&Y)"));
    box->buttons()[0]->click();
  });
  EXPECT_EQ(boxes.Show("完了しました。", BoxKind::Info, BoxButtons::Yes), BoxResult::Yes);
}

}  // namespace
}  // namespace zol
