// What the device nodes' state icons were made from, so that the refresh
// after a datagram sets again only the nodes of the rows written since; the
// whole tree is walked again when its shape or any of its pictures changed
// otherwise.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "common/controls.h"

namespace zol {

// The state icon of a device node for row R: 3 normal, 18 caution, 19 alarm
// or abnormal, 20 time-out, 21 not heard since start.
int NodeStateIcon(const Grid& table, int row);

class NodeIcons {
 public:
  // Whether the tree still holds what the last refresh left.
  bool Current(const TreeView& tree) const;
  // Records the device nodes (level 1, text with "ID") and their rows after
  // a walk of the whole tree.
  void Recorded(const TreeView& tree, const Grid& table, const std::vector<std::pair<TreeNode*, int>>& nodes);
  // Sets the icons of the nodes whose rows were written since.
  void Refresh(TreeView& tree, const Grid& table);

 private:
  void Seen(const TreeView& tree, const Grid& table);
  bool valid_ = false;
  uint64_t structure_ = 0;
  uint64_t revision_ = 0;
  uint64_t cell_revision_ = 0;
  struct Node {
    TreeNode* node;
    int row;
    uint64_t row_revision;
  };
  std::vector<Node> nodes_;
  std::vector<std::pair<int, size_t>> by_row_;  // (row, index in nodes_), ascending
  std::vector<int> written_;
  std::vector<size_t> due_;
};

}  // namespace zol
