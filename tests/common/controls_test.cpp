#include "common/controls.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zol {
namespace {

// A scan may stop at UsedRowCount: no row from there on holds any text.
TEST(GridUsedRows, CoversEveryRowThatHoldsText) {
  Grid g(3, 10);
  EXPECT_EQ(g.UsedRowCount(), 0);
  g.SetCell(1, 4, "x");
  EXPECT_EQ(g.UsedRowCount(), 5);
  g.SetCell(2, 2, "y");  // below the last used row
  g.SetCell(0, 8, "");   // an empty text uses no row
  g.SetCell(0, 10, "z"); // outside the grid: not written
  EXPECT_EQ(g.UsedRowCount(), 5);
  g.SetCell(1, 4, "");   // emptied again: still counted, never too low
  EXPECT_EQ(g.UsedRowCount(), 5);
  g.SetCell(2, 9, "w");
  EXPECT_EQ(g.UsedRowCount(), 10);
  g.SetRowCount(3);  // the rows cut off are gone
  EXPECT_EQ(g.UsedRowCount(), 3);
  g.SetRowCount(10);
  EXPECT_EQ(g.Cell(2, 9), "");
  EXPECT_EQ(g.UsedRowCount(), 3);
}


// The rows written after a revision, as a reader that keeps what it derived
// from each row asks for them; the answer must match a comparison of every
// row's revision, and the grid must refuse what it no longer knows.
TEST(GridRowsWrittenSince, MatchesTheRowRevisionsOrRefuses) {
  Grid g(4, 50);
  std::vector<int> rows;
  // Every row written after since, by comparing the row revisions.
  auto by_revisions = [&g](uint64_t since) {
    std::vector<int> out;
    for (int r = 0; r < g.RowCount(); ++r) {
      if (g.RowRevision(r) > since) out.push_back(r);
    }
    return out;
  };
  ASSERT_TRUE(g.RowsWrittenSince(0, &rows));
  EXPECT_TRUE(rows.empty());

  g.SetCell(1, 7, "a");
  const uint64_t after_first = g.CellRevision();
  g.SetCell(2, 7, "b");  // the same row again
  g.SetCell(0, 3, "c");
  g.SetCell(3, 7, "d");  // back to an earlier row
  g.SetCell(1, 60, "x"); // outside: not written
  ASSERT_TRUE(g.RowsWrittenSince(0, &rows));
  EXPECT_EQ(rows, (std::vector<int>{3, 7}));
  for (uint64_t since = 0; since <= g.CellRevision(); ++since) {
    ASSERT_TRUE(g.RowsWrittenSince(since, &rows));
    EXPECT_EQ(rows, by_revisions(since)) << since;
  }
  ASSERT_TRUE(g.RowsWrittenSince(after_first, &rows));
  EXPECT_EQ(rows, (std::vector<int>{3, 7}));
  EXPECT_FALSE(g.RowsWrittenSince(g.CellRevision() + 1, &rows));  // not this grid's history

  // A long history keeps its recent part; a reader far behind is refused.
  for (int k = 0; k < 20000; ++k) g.SetCell(0, k % 2 == 0 ? k % 50 : 49 - k % 50, "w");
  EXPECT_FALSE(g.RowsWrittenSince(after_first, &rows));
  const uint64_t recent = g.CellRevision() - 100;
  ASSERT_TRUE(g.RowsWrittenSince(recent, &rows));
  EXPECT_EQ(rows, by_revisions(recent));

  // A change of the row count writes every row: earlier readers are refused.
  const uint64_t before_resize = g.CellRevision();
  g.SetRowCount(30);
  EXPECT_FALSE(g.RowsWrittenSince(before_resize, &rows));
  ASSERT_TRUE(g.RowsWrittenSince(g.CellRevision(), &rows));
  EXPECT_TRUE(rows.empty());
  g.SetCell(2, 29, "z");
  ASSERT_TRUE(g.RowsWrittenSince(g.CellRevision() - 1, &rows));
  EXPECT_EQ(rows, (std::vector<int>{29}));
}

// Each row written once, in a run past several trims of the history: for
// every revision the grid still answers for, the answer is exactly the rows
// written after it (an entry dropped at a trim would leave its row out), and
// the newest half of the history is always answered.
TEST(GridRowsWrittenSince, ATrimmedHistoryLosesNoEntryItStillAnswersFor) {
  constexpr int kRows = 12000;
  Grid g(2, kRows);
  std::vector<int> rows;
  for (int r = 0; r < kRows; ++r) {
    g.SetCell(1, r, "w");
    if (r % 997 != 0 && r + 1 != kRows) continue;
    // Row k was written at revision k + 1: since s asks for rows s .. r.
    size_t answered = 0;
    for (uint64_t since = 0; since <= g.CellRevision(); ++since) {
      if (!g.RowsWrittenSince(since, &rows)) {
        ASSERT_EQ(answered, 0u) << "a gap in the history at " << since;
        continue;
      }
      ++answered;
      ASSERT_EQ(rows.size(), g.CellRevision() - since) << since;
      for (size_t k = 0; k < rows.size(); ++k) ASSERT_EQ(rows[k], static_cast<int>(since + k)) << since;
    }
    EXPECT_GE(answered, std::min<size_t>(g.CellRevision() + 1, 2048)) << r;
  }
}

// Texts of the nodes in tree order, each prefixed by its level, and the
// absolute index of each.
std::vector<std::string> Outline(const TreeView& t) {
  std::vector<std::string> out;
  for (size_t i = 0; i < t.Count(); ++i) {
    const TreeNode* n = t.Node(i);
    EXPECT_EQ(n->AbsoluteIndex(), static_cast<int>(i));
    out.push_back(std::to_string(n->Level()) + n->Text());
  }
  return out;
}

// A view follows a growing text by what it was told: appends at the end,
// changes of the last line and drops from the front need no rewrite of what
// it shows; every other change does.
TEST(Lines, CountsDropsFromTheFrontAndRewrites) {
  struct Case {
    const char* what;
    std::function<void(Lines&)> change;  // on the lines a, b, c
    uint64_t dropped, rewrites;
  };
  const Case cases[] = {
      {"append", [](Lines& l) { l.Add("d"); }, 0, 0},
      {"last line changed", [](Lines& l) { l.SetLine(2, "c2"); }, 0, 0},
      {"line past the end", [](Lines& l) { l.SetLine(5, "f"); }, 0, 0},
      {"insert at the end", [](Lines& l) { l.Insert(3, "d"); }, 0, 0},
      {"first two dropped", [](Lines& l) { l.DropFront(2); }, 2, 0},
      {"more dropped than held", [](Lines& l) { l.DropFront(9); }, 3, 0},
      {"first deleted", [](Lines& l) { l.Delete(0); }, 1, 0},
      {"middle line changed", [](Lines& l) { l.SetLine(1, "b2"); }, 0, 1},
      {"insert inside", [](Lines& l) { l.Insert(1, "x"); }, 0, 1},
      {"middle deleted", [](Lines& l) { l.Delete(1); }, 0, 1},
      {"cleared", [](Lines& l) { l.Clear(); }, 0, 1},
      {"assigned", [](Lines& l) { l.Assign({"z"}); }, 0, 1},
  };
  for (const Case& c : cases) {
    Lines l;
    l.Assign({"a", "b", "c"});
    const uint64_t rewrites = l.Rewrites(), revision = l.Revision();
    c.change(l);
    EXPECT_EQ(l.Dropped(), c.dropped) << c.what;
    EXPECT_EQ(l.Rewrites() - rewrites, c.rewrites) << c.what;
    EXPECT_GT(l.Revision(), revision) << c.what;
  }
  Lines l;
  l.Assign({"a", "b", "c"});
  l.DropFront(1);
  EXPECT_EQ(l.All(), (std::vector<std::string>{"b", "c"}));
}

TEST(TreeView, ShapeOperationsKeepOrderLevelsAndIndexes) {
  TreeView t;
  TreeNode* a = t.AddChild(nullptr, "A", 0);
  TreeNode* c = t.AddChild(nullptr, "C", 0);
  TreeNode* b = t.Insert(c, "B", 0);
  TreeNode* a1 = t.AddChild(a, "a1", 3);
  t.AddChild(a, "a2", 3);
  TreeNode* x = t.AddChild(a1, "x", 4);
  t.Insert(a1, "a0", 3);  // before a sibling, on its level
  t.Insert(nullptr, "D", 0);  // no sibling: last top-level node
  EXPECT_EQ(Outline(t), (std::vector<std::string>{"0A", "1a0", "1a1", "2x", "1a2", "0B", "0C", "0D"}));
  EXPECT_EQ(x->Parent(), a1);
  EXPECT_EQ(a->Count(), 3u);
  EXPECT_EQ(a->Item(1), a1);
  EXPECT_EQ(a->Item(3), nullptr);

  // A move takes the descendants along and sets their levels anew.
  EXPECT_TRUE(t.MoveTo(a1, c));
  EXPECT_EQ(Outline(t), (std::vector<std::string>{"0A", "1a0", "1a2", "0B", "0C", "1a1", "2x", "0D"}));
  EXPECT_TRUE(t.MoveTo(a1, nullptr));
  EXPECT_EQ(a1->Level(), 0);
  EXPECT_EQ(x->Level(), 1);
  EXPECT_EQ(t.Top(4), a1);
  // Under itself or its own descendant: refused, nothing changes.
  const uint64_t shape = t.StructureRevision();
  EXPECT_FALSE(t.MoveTo(a1, x));
  EXPECT_FALSE(t.MoveTo(a1, a1));
  EXPECT_FALSE(t.MoveTo(nullptr, a));
  EXPECT_EQ(t.StructureRevision(), shape);

  t.Delete(a);  // with its children
  EXPECT_EQ(Outline(t), (std::vector<std::string>{"0B", "0C", "0D", "0a1", "1x"}));
  t.Delete(nullptr);
  EXPECT_EQ(t.GetFirstNode(), b);
  t.Clear();
  EXPECT_EQ(t.Count(), 0u);
  EXPECT_EQ(t.GetFirstNode(), nullptr);
}

TEST(TreeView, SelectingExpandsOneBranch) {
  TreeView t;
  TreeNode* g1 = t.AddChild(nullptr, "G1", 0);
  TreeNode* g2 = t.AddChild(nullptr, "G2", 0);
  TreeNode* d1 = t.AddChild(g1, "d1", 3);
  TreeNode* c1 = t.AddChild(d1, "c1", 4);
  TreeNode* d2 = t.AddChild(g2, "d2", 3);
  t.SetExpanded(g2, true);  // the operator opened another branch
  t.SetExpanded(d2, true);
  t.Select(c1);
  EXPECT_EQ(t.Selected(), c1);
  for (const TreeNode* n : t.Nodes()) {
    const bool want = n == c1 || n == d1 || n == g1;
    EXPECT_EQ(n->Expanded(), want) << n->Text();
  }
  t.Select(g2);
  EXPECT_TRUE(g2->Expanded());
  EXPECT_FALSE(g1->Expanded());
  EXPECT_FALSE(d1->Expanded());
  t.Select(nullptr);  // none: every branch closed
  for (const TreeNode* n : t.Nodes()) EXPECT_FALSE(n->Expanded()) << n->Text();
}

TEST(TreeView, DeletingTheSelectionOrDropTargetClearsThem) {
  TreeView t;
  TreeNode* g = t.AddChild(nullptr, "G", 0);
  TreeNode* d = t.AddChild(g, "d", 3);
  TreeNode* c = t.AddChild(d, "c", 4);
  TreeNode* other = t.AddChild(nullptr, "H", 0);
  t.Select(c);
  t.SetDropTarget(d);
  t.Delete(d);
  EXPECT_EQ(t.Selected(), nullptr);
  EXPECT_EQ(t.DropTarget(), nullptr);
  t.Select(other);
  t.SetDropTarget(other);
  t.Delete(g);  // elsewhere: both stay
  EXPECT_EQ(t.Selected(), other);
  EXPECT_EQ(t.DropTarget(), other);
  t.Clear();
  EXPECT_EQ(t.Selected(), nullptr);
  EXPECT_EQ(t.DropTarget(), nullptr);
}

// A mirror rebuilds on shape or text changes only; a picture change raises
// the revision alone, an expansion, selection or drop target the view
// revision.
TEST(TreeView, RevisionsTellShapeFromPicturesAndView) {
  TreeView t;
  TreeNode* g = t.AddChild(nullptr, "G", 0);
  TreeNode* d = t.AddChild(g, "d", 3);
  struct Step {
    const char* what;
    std::function<void()> change;
    bool any, shape, view;
  } steps[] = {
      {"picture", [&] { t.SetImageIndex(d, 20); }, true, false, false},
      {"same picture", [&] { t.SetImageIndex(d, 20); }, false, false, false},
      {"text", [&] { t.SetText(g, "G (1)"); }, true, true, false},
      {"same text", [&] { t.SetText(g, "G (1)"); }, false, false, false},
      {"expand", [&] { t.SetExpanded(g, true); }, true, false, true},
      {"select", [&] { t.Select(d); }, true, false, true},
      {"select again", [&] { t.Select(d); }, false, false, false},
      {"drop target", [&] { t.SetDropTarget(g); }, true, false, true},
      {"add", [&] { t.AddChild(d, "c", 4); }, true, true, false},
      {"move", [&] { t.MoveTo(d, nullptr); }, true, true, false},
      {"delete", [&] { t.Delete(d); }, true, true, true},  // took the selection with it
  };
  for (const Step& s : steps) {
    const uint64_t any = t.Revision(), shape = t.StructureRevision(), view = t.ViewRevision();
    s.change();
    EXPECT_EQ(t.Revision() != any, s.any) << s.what;
    EXPECT_EQ(t.StructureRevision() != shape, s.shape) << s.what;
    EXPECT_EQ(t.ViewRevision() != view, s.view) << s.what;
  }
}

}  // namespace
}  // namespace zol
