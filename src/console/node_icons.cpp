#include "console/node_icons.h"

#include <algorithm>

#include "common/text.h"
#include "console/device_tree.h"
#include "monitor/device_table.h"

namespace zol {

int NodeStateIcon(const Grid& table, int row) {
  int w = 0;
  if (table.Cell(dtcol::RecvDate, row).empty()) {
    w = 4;
  } else {
    const std::string& images = table.Cell(dtcol::ItemImages, row);
    for (int j = 1; j <= 8; ++j) {
      const int v = DecimalOr(CopyView(images, 5 * (j - 1) + 1, 4), 8);
      if (w == 0 && (v == 1 || v == 4)) w = 1;
      if (w < 2 && (v == 2 || v == 5)) w = 2;
      if (v == 8) w = 3;
    }
  }
  return w == 0 ? treeimg::Device : 17 + w;
}

bool NodeIcons::Current(const TreeView& tree) const {
  return valid_ && tree.StructureRevision() == structure_ && tree.Revision() == revision_;
}

void NodeIcons::Seen(const TreeView& tree, const Grid& table) {
  structure_ = tree.StructureRevision();
  revision_ = tree.Revision();
  cell_revision_ = table.CellRevision();
}

void NodeIcons::Recorded(const TreeView& tree, const Grid& table, const std::vector<std::pair<TreeNode*, int>>& nodes) {
  valid_ = true;
  nodes_.clear();
  outside_.clear();
  for (const auto& n : nodes) nodes_.push_back(Node{n.first, n.second, table.RowRevision(n.second), -1});
  first_of_row_.assign(static_cast<size_t>(std::max(table.RowCount(), 0)), -1);
  // Each row's nodes chained in tree order, built from the last node back;
  // a node of a row outside the table is looked at every time.
  for (size_t k = nodes_.size(); k-- > 0;) {
    Node& n = nodes_[k];
    if (n.row < 0 || static_cast<size_t>(n.row) >= first_of_row_.size()) {
      outside_.insert(outside_.begin(), k);
      continue;
    }
    n.next = first_of_row_[static_cast<size_t>(n.row)];
    first_of_row_[static_cast<size_t>(n.row)] = static_cast<int>(k);
  }
  Seen(tree, table);
}

void NodeIcons::Refresh(TreeView& tree, const Grid& table) {
  if (table.CellRevision() != cell_revision_) {
    // The nodes of the rows written since the last look, in tree order;
    // every node when the table no longer knows which rows those are.
    due_.clear();
    if (table.RowsWrittenSince(cell_revision_, &written_)) {
      for (int row : written_) {
        if (static_cast<size_t>(row) >= first_of_row_.size()) continue;
        for (int k = first_of_row_[static_cast<size_t>(row)]; k >= 0; k = nodes_[static_cast<size_t>(k)].next)
          due_.push_back(static_cast<size_t>(k));
      }
      due_.insert(due_.end(), outside_.begin(), outside_.end());
      if (written_.size() > 1 || !outside_.empty()) std::sort(due_.begin(), due_.end());
    } else {
      for (size_t k = 0; k < nodes_.size(); ++k) due_.push_back(k);
    }
    for (size_t k : due_) {
      Node& n = nodes_[k];
      const uint64_t rev = table.RowRevision(n.row);
      if (rev == n.row_revision) continue;
      n.row_revision = rev;
      tree.SetImageIndex(n.node, NodeStateIcon(table, n.row));
    }
  }
  Seen(tree, table);
}

}  // namespace zol
