// The tab "機器一覧" on the offscreen platform: the device tree's mirror and
// the group selector, both ways.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <unistd.h>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>
#include <QApplication>

#include "console/device_tree.h"
#include "console/main_window.h"
#include "console/tree_operations.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "qt/device_tree_view.h"
#include "qt/mirror.h"
#include "qt/console_ui.h"
#include "qt/main_view.h"
#include "support/app_fixture.h"
#include "wait_for.h"

namespace zol {
namespace {

struct TreeTab : ::testing::Test {
  TreeTab() : ui(*f.app) {
    f.app->Start();
    f.sim.Advance(3001);  // splash over, start-up done (hint box answered by the fake)
    // Two groups, devices 1 and 2 in G002, device 3 in G001, one unregistered.
    Grid& t = f.app->Form4().StringGrid1;
    for (int r = 1; r <= 3; ++r) {
      t.SetCell(dtcol::MacAddress, r, "02:5A:3C:00:00:0" + std::to_string(r));
      t.SetCell(dtcol::DeviceName, r, "ラック" + std::to_string(r));
      t.SetCell(dtcol::GroupName, r, r == 3 ? "G001 一階" : "G002 二階");
      t.SetCell(dtcol::ItemImages, r, "0009 0009 0009 0009 0009 0009 0009 0009 ");
    }
    f.app->Form4().LastDataCnt();
    Grid& u = f.app->Form4().StringGrid2;
    u.SetRowCount(3);
    u.SetCell(5, 1, "02:5A:3C:00:00:A1");
    u.SetCell(3, 1, "10.0.0.1");
    f.app->group_selector().items.Assign({"G001 一階", "G002 二階", "G000 未登録グループ"});
    f.app->tree().ReStetingData();
    f.app->tree().TreeNodeRef();
    f.app->tree().ListIconRef();
    ui.mirror().Poll();
  }
  MainWindow& core() { return f.app->Form2(); }
  DeviceTreeView& tab() { return *ui.main().device_tree; }
  QTreeView& view() { return *tab().tree; }
  QAbstractItemModel& model() { return *view().model(); }
  QModelIndex Index(const char* sjis_prefix) {
    const QModelIndex found = IndexOf(f.app->tree().TreeView1, sjis_prefix);
    EXPECT_TRUE(found.isValid()) << sjis_prefix;
    return found;
  }
  QModelIndex IndexOf(const TreeView& t, const std::string& prefix) {
    for (const TreeNode* n : t.Nodes()) {
      if (n->Text().rfind(prefix, 0) == 0) return tab().tree_mirror->IndexOf(n);
    }
    return QModelIndex();
  }
  qint64 IconKey(const QModelIndex& i) { return model().data(i, Qt::DecorationRole).value<QIcon>().cacheKey(); }

  AppFixture f;
  ConsoleUi ui;
};

TEST_F(TreeTab, ShowsGroupsWithCountsDevicesCategoriesAndG000Last) {
  EXPECT_TRUE(view().isHeaderHidden());
  EXPECT_EQ(view().objectName(), QStringLiteral("TreeView1"));
  ASSERT_EQ(model().rowCount(), 3);
  EXPECT_EQ(model().index(0, 0).data().toString(), QStringLiteral(u"G001 一階 (1)"));
  EXPECT_EQ(model().index(1, 0).data().toString(), QStringLiteral(u"G002 二階 (2)"));
  EXPECT_EQ(model().index(2, 0).data().toString(), QStringLiteral(u"G000 未登録グループ (1)"));
  const QModelIndex g2 = model().index(1, 0);
  ASSERT_EQ(model().rowCount(g2), 2);
  EXPECT_EQ(model().index(1, 0, g2).data().toString(), QStringLiteral(u"ID002 ラック2"));
  const QModelIndex dev = model().index(0, 0, g2);
  ASSERT_EQ(model().rowCount(dev), 7);
  EXPECT_EQ(model().index(6, 0, dev).data().toString(), QStringLiteral(u"メモ"));
  EXPECT_EQ(model().index(0, 0, model().index(2, 0)).data().toString(),
            QStringLiteral(u"[02:5A:3C:00:00:A1] 10.0.0.1 未登録"));
  // Every node has a picture, and the texts cannot be edited.
  for (const QModelIndex& i : {model().index(0, 0), dev, model().index(6, 0, dev)}) {
    EXPECT_FALSE(model().data(i, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(model().flags(i) & Qt::ItemIsEditable);
  }
  // The first group is selected and open, as the rebuild left it.
  EXPECT_EQ(view().currentIndex(), model().index(0, 0));
  EXPECT_TRUE(view().isExpanded(model().index(0, 0)));
  EXPECT_FALSE(view().isExpanded(g2));
  // The selector shows the groups without counts.
  ASSERT_EQ(tab().selector->count(), 3);
  EXPECT_EQ(tab().selector->itemText(1), QStringLiteral(u"G002 二階"));
  EXPECT_EQ(tab().selector->currentText(), QStringLiteral(u"G001 一階"));
}

TEST_F(TreeTab, ADatagramChangesAnIconWithoutRebuildingTheModel) {
  const QPersistentModelIndex dev(Index("ID002"));
  const qint64 not_heard = IconKey(dev);
  const uint64_t rebuilds = tab().tree_mirror->Rebuilds();
  // A datagram of device 2, as the parser leaves it in ring slot 1.
  Grid& ring = f.app->Form4().StringGridBuff;
  ring.SetCell(1, 1, "2024/05/01");
  ring.SetCell(2, 1, "09:30:00");
  ring.SetCell(3, 1, "10.0.0.2");
  ring.SetCell(5, 1, "02:5A:3C:00:00:02");
  f.app->Form4().DataInviteCheck(1);
  ui.mirror().Poll();
  ASSERT_TRUE(dev.isValid());
  EXPECT_EQ(tab().tree_mirror->Rebuilds(), rebuilds);
  EXPECT_EQ(tab().tree_mirror->NodeOf(dev)->ImageIndex(), treeimg::Device);  // heard: not "not heard" any more
  EXPECT_NE(IconKey(dev), not_heard);
  EXPECT_EQ(IconKey(Index("ID001")), not_heard);  // the other device is still not heard
}

TEST_F(TreeTab, AStructuralChangeRebuildsOnceAndKeepsSelectionAndOpenBranches) {
  view().setCurrentIndex(Index("ID002"));  // the operator selects a device
  const TreeNode* selected = f.app->tree().TreeView1.Selected();
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->Text(), "ID002 ラック2");
  const uint64_t rebuilds = tab().tree_mirror->Rebuilds();
  for (int n = 2; n <= 6; ++n) {
    f.app->tree().TreeUnRegData("[02:5A:3C:00:00:B" + std::to_string(n) + "] 10.0.0." + std::to_string(n), 1);
  }
  ui.mirror().Poll();
  EXPECT_EQ(tab().tree_mirror->Rebuilds(), rebuilds + 1);
  EXPECT_EQ(model().rowCount(model().index(2, 0)), 6);
  EXPECT_EQ(view().currentIndex().data().toString(), QStringLiteral(u"ID002 ラック2"));
  EXPECT_TRUE(view().isExpanded(model().index(1, 0)));
  EXPECT_TRUE(view().isExpanded(view().currentIndex()));
  EXPECT_FALSE(view().isExpanded(model().index(0, 0)));
}

TEST_F(TreeTab, OperatorSelectionExpansionAndClickReachTheCore) {
  // The click reaches the detail grid's handler, which clears the grid's
  // selection (what it lists for a chosen node: the detail grid's tests).
  Grid& grid = f.app->detail_grid().StringGrid2;
  grid.SetRow(3);
  const QModelIndex g2 = Index("G002");
  QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, view().visualRect(g2).center());
  EXPECT_EQ(grid.Row(), -1);
  grid.SetRow(3);
  EXPECT_EQ(f.app->tree().TreeView1.Selected()->Text(), "G002 二階 (2)");
  // Single-expand: the selected group is open, the first one closed.
  EXPECT_TRUE(view().isExpanded(g2));
  EXPECT_FALSE(view().isExpanded(Index("G001")));
  // The operator closes a branch and opens another: the core follows.
  view().collapse(g2);
  EXPECT_FALSE(f.app->tree().TreeView1.Selected()->Expanded());
  view().expand(Index("G000"));
  EXPECT_TRUE(f.app->tree().TreeView1.Top(2)->Expanded());
  // A right click selects the node under the pointer, without a click.
  const QModelIndex g1 = Index("G001");
  const QPoint at = view().visualRect(g1).center();
  QContextMenuEvent menu(QContextMenuEvent::Mouse, at, view().viewport()->mapToGlobal(at));
  QApplication::sendEvent(view().viewport(), &menu);
  EXPECT_EQ(f.app->tree().TreeView1.Selected(), f.app->tree().TreeView1.Top(0));
  EXPECT_EQ(grid.Row(), 3);  // no click since
  tab().menu->hide();
}

TEST_F(TreeTab, TheOperatorsGroupChoiceSelectsAndTheProgramsRefillDoesNot) {
  QComboBox& box = *tab().selector;
  EXPECT_EQ(box.objectName(), QStringLiteral("ComboBoxEx1"));
  ASSERT_TRUE(box.isEnabled());
  box.lineEdit()->clear();
  QTest::keyClicks(box.lineEdit(), QStringLiteral(u"G002"));  // typing
  EXPECT_EQ(f.app->group_selector().Text(), "G002");
  EXPECT_EQ(f.app->tree().TreeView1.Selected()->Text(), "G002 二階 (2)");
  EXPECT_EQ(view().currentIndex(), Index("G002"));
  emit box.textActivated(QStringLiteral(u"G000 未登録グループ"));  // choosing from the list
  EXPECT_EQ(f.app->tree().TreeView1.Selected(), f.app->tree().TreeView1.Top(2));
  // The program's refill sets the text back to the first group; the tree's
  // selection stays.
  f.app->tree().TreeNodeRef();
  ui.mirror().Poll();
  EXPECT_EQ(box.currentText(), QStringLiteral(u"G001 一階"));
  EXPECT_EQ(f.app->tree().TreeView1.Selected(), f.app->tree().TreeView1.Top(2));
}

// A drag of ID001 onto the row of G001, by synthetic drag events on the
// viewport (they carry the tree's own MIME type), then a real drag's start
// and end by the mouse: the device moves in core and model, the end writes
// both data files.
TEST_F(TreeTab, ADeviceDraggedOntoAnotherGroupsRowMoves) {
  TreeOperations& ops = f.app->tree_ops();
  const std::string dat = f.dir.File("zolyab4.dat");
  unlink(dat.c_str());
  unlink(f.dir.File("zolyab4.lst").c_str());
  view().resize(300, 400);
  const QModelIndex dev = Index("ID001");
  view().scrollTo(dev);
  QTest::mousePress(view().viewport(), Qt::LeftButton, {}, view().visualRect(dev).center());
  QTest::mouseRelease(view().viewport(), Qt::LeftButton, {}, view().visualRect(dev).center());
  ui.mirror().Poll();
  ASSERT_EQ(f.app->tree().TreeView1.Selected()->Text(), "ID001 ラック1");
  EXPECT_EQ(f.app->tree().TreeView1.ClientHeight(), view().viewport()->height());

  ops.TreeView1StartDrag();
  QMimeData data;
  data.setData(QString::fromLatin1(kTreeNodeMime), QByteArray());
  // Far right on the group's row: the row counts, not the text.
  const QRect row = view().visualRect(Index("G001"));
  const QPoint at(view().viewport()->width() - 5, row.center().y());
  QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(view().viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(view().viewport(), &move);
  EXPECT_TRUE(move.isAccepted());
  EXPECT_EQ(f.app->tree().TreeView1.DropTarget(), f.app->tree().TreeView1.Top(0));
  QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(view().viewport(), &drop);
  EXPECT_EQ(model().index(0, 0).data().toString(), QStringLiteral(u"G001 一階 (2)"));
  EXPECT_EQ(model().index(1, 0).data().toString(), QStringLiteral(u"G002 二階 (1)"));
  EXPECT_EQ(model().index(1, 0, model().index(0, 0)).data().toString(), QStringLiteral(u"ID001 ラック1"));

  // A drag that comes from elsewhere is not taken.
  QMimeData foreign;
  foreign.setText(QStringLiteral("x"));
  QDragEnterEvent other(at, Qt::CopyAction, &foreign, Qt::LeftButton, {});
  QApplication::sendEvent(view().viewport(), &other);
  EXPECT_FALSE(other.isAccepted());

  // The mouse drags a node: the drag starts and, on this platform, ends at
  // once; its end writes the files.
  EXPECT_NE(access(dat.c_str(), F_OK), 0);
  ui.mirror().Poll();
  const QPoint from = view().visualRect(Index("ID001")).center();
  QTest::mousePress(view().viewport(), Qt::LeftButton, {}, from);
  for (int dy = 5; dy <= 40; dy += 5) {
    QMouseEvent drag(QEvent::MouseMove, QPointF(from + QPoint(0, dy)), view().viewport()->mapToGlobal(QPointF(from + QPoint(0, dy))),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(view().viewport(), &drag);
  }
  QTest::mouseRelease(view().viewport(), Qt::LeftButton, {}, from + QPoint(0, 40));
  EXPECT_EQ(access(dat.c_str(), F_OK), 0);
  EXPECT_EQ(f.app->Form4().StringGrid1.Cell(dtcol::GroupName, 1), "G001 一階");
  EXPECT_NE(ReadAll(dat).find("G001 一階\r\n"), std::string::npos);
  EXPECT_EQ(f.app->tree().TreeView1.DropTarget(), nullptr);
}

TEST_F(TreeTab, TheCoresScrollRequestsMoveTheViewALineEach) {
  view().resize(300, 120);
  for (int i = 0; i < 3; ++i) view().expand(model().index(i, 0));
  f.app->tree().TreeView1.Select(f.app->tree().TreeView1.Top(1)->Item(0));
  ui.mirror().Poll();
  view().scrollToTop();
  const int before = view().verticalScrollBar()->value();
  f.app->tree().TreeView1.ScrollLines(2);
  tab().tree_mirror->Apply();
  EXPECT_EQ(view().verticalScrollBar()->value(), before + 2);
  f.app->tree().TreeView1.ScrollLines(-1);
  tab().tree_mirror->Apply();
  EXPECT_EQ(view().verticalScrollBar()->value(), before + 1);
}

TEST_F(TreeTab, TheRightClickMenuOfADevice) {
  const QModelIndex dev = Index("ID002");
  view().scrollTo(dev);
  QContextMenuEvent ev(QContextMenuEvent::Mouse, view().visualRect(dev).center(),
                       view().viewport()->mapToGlobal(view().visualRect(dev).center()));
  QApplication::sendEvent(view().viewport(), &ev);
  ASSERT_TRUE(WaitFor([&] { return tab().menu->isVisible(); }));
  EXPECT_EQ(f.app->tree().TreeView1.Selected()->Text(), "ID002 ラック2");
  QStringList shown;
  for (QAction* a : tab().menu->actions()) {
    if (a->isVisible() && !a->isSeparator()) shown << a->text();
  }
  EXPECT_EQ(shown, (QStringList{QStringLiteral(u"編集(&E)"), QStringLiteral(u"削除(&D)"), QStringLiteral(u"詳細(&S)"),
                                QStringLiteral(u"接続(&C)"), QStringLiteral(u"閉じる(&X)")}));
  // "削除(&D)" asks, by its confirmation box, to delete the device.
  f.boxes.answers = {BoxResult::No};
  for (QAction* a : tab().menu->actions()) {
    if (a->objectName() == QStringLiteral("PopBtn6")) a->trigger();
  }
  ASSERT_FALSE(f.boxes.shown.empty());
  EXPECT_EQ(f.boxes.shown.back().text, "ID002 ラック2 を削除しますか？");
  tab().menu->hide();
}

}  // namespace
}  // namespace zol
