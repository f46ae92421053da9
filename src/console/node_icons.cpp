#include "console/node_icons.h"

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
  for (const auto& n : nodes) nodes_.push_back(Node{n.first, n.second, table.RowRevision(n.second)});
  Seen(tree, table);
}

void NodeIcons::Refresh(TreeView& tree, const Grid& table) {
  if (table.CellRevision() != cell_revision_) {
    for (Node& n : nodes_) {
      const uint64_t rev = table.RowRevision(n.row);
      if (rev == n.row_revision) continue;
      n.row_revision = rev;
      tree.SetImageIndex(n.node, NodeStateIcon(table, n.row));
    }
  }
  Seen(tree, table);
}

}  // namespace zol
