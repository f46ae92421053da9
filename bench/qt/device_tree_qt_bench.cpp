// The device tree's mirror at the table's full size (999 devices with their
// category nodes and 98 unregistered devices, about 9,100 nodes): a
// structural change (rebuild of the model, laid out and painted, with a
// branch open and a node selected) and a pass of 999 icon changes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QTreeView>

#include "common/controls.h"
#include "qt/device_tree_view.h"
#include "qt/mirror.h"

namespace {

struct View {
  View() {
    for (int g = 0; g < 10; ++g) groups.push_back(tree.AddChild(nullptr, "G00" + std::to_string(g) + " Group", 0));
    for (int r = 1; r <= 999; ++r) {
      zol::TreeNode* d = tree.AddChild(groups[static_cast<size_t>(r % 10)], "ID" + std::to_string(1000 + r) + " Rack", 3);
      devices.push_back(d);
      for (int c = 0; c < 7; ++c) tree.AddChild(d, "Category" + std::to_string(c), 4 + c);
    }
    zol::TreeNode* g000 = tree.AddChild(nullptr, "G000 Unregistered", 2);
    for (int u = 1; u <= 98; ++u) tree.AddChild(g000, "[02:5A:3C:01:00:" + std::to_string(u) + "] 10.0.1.1", 1);
    tree.Select(devices[500]);
    view.resize(300, 600);
    mirror_of_tree = new zol::TreeMirror(mirror, &view, tree);
    view.show();
  }
  zol::TreeView tree;
  std::vector<zol::TreeNode*> groups, devices;
  QTreeView view;
  zol::Mirror mirror;
  zol::TreeMirror* mirror_of_tree = nullptr;
};

void BM_TreeRebuildMirrorAndPaint(benchmark::State& state) {
  View v;
  int k = 0;
  for (auto _ : state) {
    v.tree.SetText(v.groups[0], "G000 Group (" + std::to_string(++k) + ")");
    v.mirror.Poll();
    QPixmap frame = v.view.viewport()->grab();
    benchmark::DoNotOptimize(frame);
  }
  state.counters["nodes"] = static_cast<double>(v.tree.Count());
}
BENCHMARK(BM_TreeRebuildMirrorAndPaint)->Unit(benchmark::kMillisecond);

void BM_TreeIconsOnlyOneLook(benchmark::State& state) {
  View v;
  v.mirror.Poll();
  int k = 0;
  for (auto _ : state) {
    ++k;
    for (zol::TreeNode* d : v.devices) v.tree.SetImageIndex(d, k % 2 ? 20 : 3);
    v.mirror.Poll();
    QPixmap frame = v.view.viewport()->grab();
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_TreeIconsOnlyOneLook)->Unit(benchmark::kMillisecond);

}  // namespace

