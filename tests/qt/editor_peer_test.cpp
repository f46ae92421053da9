// Registering a device heard from the simulator program over 127.0.0.1, on
// the program's own adapters (clock, pump, timers, UDP receiver, telnet
// client) and the editor's window: the identity read over telnet answered
// Yes, the group, password and port worked in the window, "登録"; then the
// device file holds the row byte for byte and the next datagram lands in it.
// With ZOL_SCREENSHOT_DIR set, the editor before "登録" is saved there on its
// tabs "名称登録" (editor.png) and "接続" (editor_connect.png).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>

#include "common/files.h"
#include "common/posix_clock.h"
#include "common/scramble.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "console/device_tree.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "monitor/system_log.h"
#include "qt/adapters.h"
#include "qt/console_ui.h"
#include "qt/mirror.h"
#include "qt/telnet_client.h"
#include "qt/wait_for.h"
#include "support/app_fixture.h"
#include "support/loopback.h"
#include "support/zolsim_peer.h"
#include "telnet/device_editor.h"

namespace zol {
namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find("\r\n", at);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

TEST(EditorPeer, RegistersADeviceHeardFromTheSimulatorAfterReadingItsIdentity) {
  PosixClock clock;
  QtPump pump;
  QtTimerHost timers;
  QtUdpReceiver udp;
  QtTelnetClient telnet;
  Services real;
  real.clock = &clock;
  real.pump = &pump;
  real.timers = &timers;
  real.udp = &udp;
  real.telnet = &telnet;
  AppFixture f(real);
  f.boxes.default_answer = BoxResult::Yes;  // the identity read's question
  App& app = *f.app;
  const TempDir& dir = f.dir;
  FakeMessageBoxes& boxes = f.boxes;
  ConsoleUi ui(app);
  app.settings().LogDir = dir.path() + "/";
  ComboBox& selector = app.group_selector();
  selector.items.Assign({"G001 グループ1", "G002 サーバ室", "G000 未登録グループ"});
  selector.SetText("G001 グループ1");
  selector.SetEnabled(true);  // as after the data files' load
  app.tree().ReStetingData();

  const int port = FreePort();
  ASSERT_GT(port, 0);
  ASSERT_EQ(udp.SetLocalPort(port), "");
  // The outlet names and the description go to the simulator as Shift-JIS.
  ZolSim sim(ZolSimPath(), {"--port", std::to_string(port), "--rate", "10", "--duration", "60", "--outlets", "4",
                  "--telnet-base", "0", "--event", "0 1 olnames ルータ,ＷＥＢ,DB,予備", "--event",
                  "0 1 descr 2F ラック3 RPC-4"});
  const int telnet_port = sim.TelnetPort(1);
  ASSERT_GT(telnet_port, 0);

  // Heard but not registered: its node waits under G000.
  Grid& unreg = app.Form4().StringGrid2;
  ASSERT_TRUE(WaitFor([&] { return !unreg.Cell(5, 1).empty(); }));
  const std::string mac = unreg.Cell(5, 1);
  TreeNode* node = nullptr;
  for (TreeNode* n : app.tree().TreeView1.Nodes()) {
    if (n->Text() == "[" + mac + "] 127.0.0.1 未登録") node = n;
  }
  ASSERT_NE(node, nullptr);
  app.tree().TreeView1.Select(node);

  DeviceEditor& editor = app.Form5();
  DeviceEditorView& view = ui.editor();
  editor.OpenRegistration();
  ui.mirror().Poll();
  ASSERT_TRUE(view.isVisible());

  // The operator's work in the window.
  view.tabs->setCurrentIndex(1);
  view.password->selectAll();
  QTest::keyClicks(view.password, QStringLiteral("kelpo"));
  QLineEdit* telnet_box = view.findChild<QLineEdit*>(QStringLiteral("Edit12"));
  telnet_box->selectAll();
  QTest::keyClicks(telnet_box, QString::number(telnet_port));
  QTest::mouseClick(view.identity, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return editor.BitBtn3.Enabled() && !boxes.shown.empty(); }, 15000));
  ui.mirror().Poll();
  EXPECT_EQ(view.name->text(), QStringLiteral("ZOL-001"));
  EXPECT_EQ(editor.Label1.Caption(), "2F ラック3 RPC-4");
  EXPECT_EQ(editor.Edit2.Text(), "ＷＥＢ");
  view.tabs->setCurrentIndex(0);
  view.group->setFocus();
  QTest::keyClick(view.group, Qt::Key_Down);  // G001 to G002
  EXPECT_EQ(editor.ComboBoxEx1.Text(), "G002 サーバ室");
  view.tabs->setCurrentIndex(2);
  QCheckBox* log1 = view.findChild<QCheckBox*>(QStringLiteral("CheckBox9"));
  QTest::mouseClick(log1, Qt::LeftButton, {}, QPoint(6, log1->height() / 2));
  ASSERT_TRUE(editor.CheckBox9.Checked());
  if (const char* out = std::getenv("ZOL_SCREENSHOT_DIR")) {
    for (auto [tab, name] : {std::make_pair(0, "/editor.png"), std::make_pair(1, "/editor_connect.png")}) {
      view.tabs->setCurrentIndex(tab);
      ui.mirror().Poll();
      QTest::qWait(50);
      EXPECT_TRUE(view.grab().save(QString::fromLocal8Bit(out) + QString::fromLatin1(name)));
    }
  }
  QTest::mouseClick(view.store, Qt::LeftButton);
  ui.mirror().Poll();
  EXPECT_FALSE(view.isVisible());
  ASSERT_EQ(boxes.shown.size(), 1u) << boxes.shown.back().text;

  // The device file: row 1's 20 lines.
  const std::vector<std::string> lines = SplitCrLf(ReadAll(dir.File("zolyab4.dat")));
  ASSERT_EQ(lines.size(), 20u);
  const Grid& table = app.Form4().StringGrid1;
  const std::vector<std::string> expect = {
      mac,
      "20",
      "",
      "4," + table.Cell(dtcol::PngTargets, 1),
      "なし,127.0.0.1,80," + Scramble("kelpo", 1) + "," + std::to_string(telnet_port) + ",0,0,1",
      "127.0.0.1",
      "10000000",
      "11111111",
      "00000000",
      "ZOL-001",
      "ルータ,ＷＥＢ,DB,予備,Outlet5,Outlet6,Outlet7,Outlet8,",
      "G002 サーバ室",
      "",
      "",
      "2F ラック3 RPC-4",
      "00000000 00000000",
      "",
      "0009 0009 0009 0009 0009 0009 0009 0009 ",
      "",
      ""};
  EXPECT_EQ(lines, expect);
  EXPECT_EQ(unreg.Cell(5, 1), "");

  // The next datagram lands in the row and in outlet 1's CSV log.
  ASSERT_TRUE(WaitFor([&] { return !table.Cell(dtcol::RecvTick, 1).empty(); }));
  const std::string csv = dir.File(OutletCsvLogName(1, 1, clock.Now()));
  EXPECT_TRUE(WaitFor([&] { return FileExists(csv); }));
  EXPECT_FALSE(FileExists(dir.File(OutletCsvLogName(1, 2, clock.Now()))));
  udp.SetLocalPort(0);
  telnet.SetEnding();
  pump.SetEnding();
}

}  // namespace
}  // namespace zol
