// The main of every Qt benchmark: one QApplication on the offscreen
// platform, then the benchmarks of the program.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
