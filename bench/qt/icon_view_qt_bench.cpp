// The icon view's mirror with 8,000 icons: a rebuild of the core's icon list
// (as every datagram does) mirrored into the QListView, laid out and
// painted; and a burst of single-icon changes between two looks.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <QPixmap>

#include "common/controls.h"
#include "qt/mirror.h"

namespace {

void Fill(zol::IconList& list, int n, int shift) {
  list.Clear();
  for (int i = 0; i < n; ++i) {
    list.Add(zol::IconItem{"Outlet" + std::to_string(i % 8 + 1), (i + shift) % 10,
                           std::to_string(i / 8 + 1) + " " + std::to_string(i % 8 + 1)});
  }
}

struct View {
  View() {
    view.setViewMode(QListView::IconMode);
    view.setMovement(QListView::Static);
    view.setResizeMode(QListView::Adjust);
    view.setUniformItemSizes(true);
    view.setGridSize(QSize(96, 70));
    view.resize(800, 600);
    mirror.Bind(&view, list);
    view.show();
  }
  zol::IconList list;
  QListView view;
  zol::Mirror mirror;
};

void BM_RebuildMirrorAndPaint(benchmark::State& state) {
  View v;
  const int n = static_cast<int>(state.range(0));
  int shift = 0;
  for (auto _ : state) {
    Fill(v.list, n, ++shift);
    v.mirror.Poll();
    v.view.doItemsLayout();
    QPixmap frame = v.view.viewport()->grab();
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_RebuildMirrorAndPaint)->Arg(800)->Arg(8000)->Unit(benchmark::kMillisecond);

void BM_BurstOfChangesOneLook(benchmark::State& state) {
  View v;
  Fill(v.list, 8000, 0);
  v.mirror.Poll();
  int k = 0;
  for (auto _ : state) {
    for (int i = 0; i < 200; ++i) v.list.SetImage(static_cast<size_t>((k * 37 + i * 41) % 8000), (k + i) % 10);
    ++k;
    v.mirror.Poll();
    QPixmap frame = v.view.viewport()->grab();
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_BurstOfChangesOneLook)->Unit(benchmark::kMillisecond);

}  // namespace

