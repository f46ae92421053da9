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
  by_row_.clear();
  for (const auto& n : nodes) {
    by_row_.emplace_back(n.second, nodes_.size());
    nodes_.push_back(Node{n.first, n.second, table.RowRevision(n.second)});
  }
  std::sort(by_row_.begin(), by_row_.end());
  Seen(tree, table);
}

void NodeIcons::Refresh(TreeView& tree, const Grid& table) {
  if (table.CellRevision() != cell_revision_) {
    // The nodes of the rows written since the last look, in tree order;
    // every node when the table no longer knows which rows those are.
    due_.clear();
    if (table.RowsWrittenSince(cell_revision_, &written_)) {
      for (int row : written_) {
        auto it = std::lower_bound(by_row_.begin(), by_row_.end(), std::make_pair(row, size_t{0}));
        for (; it != by_row_.end() && it->first == row; ++it) due_.push_back(it->second);
      }
      std::sort(due_.begin(), due_.end());
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
