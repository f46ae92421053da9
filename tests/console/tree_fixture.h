// A console run on the fakes with helpers for the device tree: devices in
// the table, unregistered devices in the list, the group list, and the
// tree's outline.
#pragma once

#include <string>
#include <vector>

#include "console/app.h"
#include "console/device_tree.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"

namespace zol {

inline const std::string kG000 = "G000 未登録グループ";

struct TreeRig : AppFixture {
  DeviceTree& tree() { return app->tree(); }
  TreeView& view() { return tree().TreeView1; }
  ComboBox& selector() { return app->group_selector(); }
  Grid& table() { return app->Form4().StringGrid1; }
  Grid& unreg() { return app->Form4().StringGrid2; }

  void Device(int r, const std::string& mac, const std::string& group, const std::string& name = "") {
    table().SetCell(dtcol::MacAddress, r, mac);
    table().SetCell(dtcol::DeviceName, r, name.empty() ? "Dev" + std::to_string(r) : name);
    table().SetCell(dtcol::GroupName, r, group);
  }
  // An unregistered device in a row of the list, which grows as the
  // registration match grows it (a new empty scratch row after it).
  void Unreg(int r, const std::string& mac, const std::string& ip) {
    if (unreg().RowCount() < r + 2) unreg().SetRowCount(r + 2);
    unreg().SetCell(5, r, mac);
    unreg().SetCell(3, r, ip);
  }
  void Groups(const std::vector<std::string>& groups) { selector().items.Assign(groups); }

  // Node texts in tree order, indented by level, with the icon; category
  // nodes left out unless asked for.
  std::vector<std::string> Outline(bool categories = false) {
    std::vector<std::string> out;
    for (const TreeNode* n : view().Nodes()) {
      if (n->Level() == 2 && !categories) continue;
      out.push_back(std::string(static_cast<size_t>(2 * n->Level()), ' ') + n->Text() + " #" +
                    std::to_string(n->ImageIndex()));
    }
    return out;
  }
  TreeNode* Find(const std::string& prefix) {
    for (TreeNode* n : view().Nodes()) {
      if (n->Text().rfind(prefix, 0) == 0) return n;
    }
    return nullptr;
  }
};

}  // namespace zol
