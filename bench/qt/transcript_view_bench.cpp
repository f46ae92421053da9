// The session transcript as the device editor shows it (its tab "接続"
// open): cost of one received text, the engine's append and the view's
// look and repaint, after 1 MB and after 50 MB of session text. The
// transcript keeps a bounded tail and the view adds what is new, so the
// cost stays the same however long the session talked.
#include <benchmark/benchmark.h>

#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <string>

#include "console/app.h"
#include "qt/device_editor_view.h"
#include "qt/mirror.h"
#include "support/app_fixture.h"
#include "telnet/device_editor.h"

namespace {

// A device's ordinary output: a reply line and its prompt, about 60 bytes.
std::string Reply(uint64_t n) { return "Outlet " + std::to_string(n % 8 + 1) + " ON. (" + std::to_string(n) + ")\r\nZOL-001>"; }

void BM_TranscriptPerReceivedText(benchmark::State& state) {
  zol::AppFixture f;
  zol::Mirror mirror;
  zol::DeviceEditorView view(*f.app, mirror);
  view.tabs->setCurrentIndex(1);  // "接続": the transcript in view
  view.show();
  zol::DeviceEditor& editor = f.app->Form5();
  editor.SessionState = 0;  // the text is only collected
  auto* memo = view.findChild<QPlainTextEdit*>(QStringLiteral("Memo2"));
  // The session so far, in pieces of about 1 KB; the view looks every 50
  // pieces, as its timer would.
  const uint64_t target = static_cast<uint64_t>(state.range(0)) << 20;
  uint64_t received = 0, n = 0, pieces = 0;
  while (received < target) {
    std::string piece;
    while (piece.size() < 1024) piece += Reply(n++);
    editor.IdTelnet1DataAvailable(piece);
    received += piece.size();
    if (++pieces % 50 == 0) mirror.Poll();
  }
  mirror.Poll();
  for (auto _ : state) {
    editor.IdTelnet1DataAvailable(Reply(n++));
    mirror.Poll();
    QPixmap frame = memo->viewport()->grab();
    benchmark::DoNotOptimize(frame);
  }
  state.counters["session_MB"] = static_cast<double>(received) / (1 << 20);
  state.counters["lines"] = static_cast<double>(editor.Memo2.Count());
  state.counters["view_blocks"] = memo->document()->blockCount();
}
BENCHMARK(BM_TranscriptPerReceivedText)->Arg(1)->Arg(50)->Unit(benchmark::kMicrosecond);

}  // namespace
