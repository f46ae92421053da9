// The device window on the fakes: filling from an item key or a device ID,
// the connect button through the fake shell, the switches through the
// session engine and a scripted device behind the fake telnet client, the
// details and edit openings.
#include "console/device_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/scramble.h"
#include "console/detail_window.h"
#include "console/folder_chooser.h"
#include "console/group_dialog.h"
#include "console/main_window.h"
#include "console/password_dialog.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"
#include "telnet/device_editor.h"

namespace zol {
namespace {

using Lines = std::vector<std::string>;

class DeviceWindowTest : public ::testing::Test, public AppFixture {
 protected:
  DeviceWindowTest() { w().FormCreate(); }
  DeviceWindow& w() { return app->Form7(); }
  Grid& table() { return app->Form4().StringGrid1; }

  // Device 7, a 4-outlet device that has reported: outlets 1 ON, 2 OFF, 3
  // ON, 4 with a value that is neither.
  void Register(int r = 7, const std::string& connect = "telnet,10.0.0.7,23," + Scramble("pw", 1) + ",23,0,1,0") {
    table().SetCell(dtcol::MacAddress, r, "02:5A:3C:00:00:07");
    table().SetCell(dtcol::ConnectInfo, r, connect);
    table().SetCell(dtcol::IpAddress, r, "192.168.0.207");
    table().SetCell(dtcol::DeviceName, r, "ラック7");
    table().SetCell(dtcol::OutletNames, r, "サーバA,サーバB,ルータ,予備");
    table().SetCell(dtcol::RecvDate, r, "2024/05/01");
    table().SetCell(dtcol::RecvTime, r, "09:30:05");
    table().SetCell(dtcol::OlWordA, r, "0001 0000 0001 0002");
    table().SetCell(dtcol::CurTemp, r, "23.5");
  }
  std::vector<bool> Switches() { return {w().BitBtn7.Enabled(), w().BitBtn8.Enabled(), w().BitBtn9.Enabled()}; }
  Lines BoxTexts() const {
    Lines t;
    for (const auto& b : boxes.shown) t.push_back(b.text);
    return t;
  }
};

const std::vector<bool> kOn{true, true, true};
const std::vector<bool> kOff{false, false, false};

TEST_F(DeviceWindowTest, CreatedHiddenAtItsFixedSize) {
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(w().Caption(), "個別情報");
  EXPECT_EQ(w().ClientWidth, 345);
  EXPECT_EQ(w().ClientHeight, 289);
  const Lines captions{w().BitBtn7.Caption(), w().BitBtn8.Caption(), w().BitBtn9.Caption(), w().BitBtn4.Caption(),
                       w().BitBtn1.Caption(), w().BitBtn2.Caption(), w().BitBtn3.Caption()};
  EXPECT_EQ(captions, (Lines{"ON", "OFF", "REBOOT", "接続(&C)", "詳細(&S)", "編集(&E)", "閉じる(&X)"}));
}

TEST_F(DeviceWindowTest, FillFromAnIconShowsTheOutletAndBringsTheWindowToTheFront) {
  Register();
  w().listicondata("0007 0003 7", 0);
  EXPECT_TRUE(w().Visible());
  EXPECT_EQ(w().FrontRequests(), 1u);
  EXPECT_EQ(w().CurrentRow, 7);
  EXPECT_EQ(w().Panel1.Caption(), "ルータ");
  EXPECT_EQ(w().Panel2.Caption(), "ラック7");
  EXPECT_EQ(w().Panel4.Caption(), "ID0007");
  EXPECT_EQ(w().Panel6.Caption(), "3");
  EXPECT_EQ(w().Panel0.Caption(), "2024/05/01 09:30:05");
  EXPECT_EQ(w().Panel7.Caption(), "192.168.0.207");
  EXPECT_EQ(w().Panel3.Caption(), "電源 ON");
  EXPECT_TRUE(w().OlImage1.Visible());
  EXPECT_EQ(w().OlImage1.Band(), DeviceWindow::kBandOn);
  EXPECT_TRUE(w().BitBtn1.Enabled());
  EXPECT_TRUE(w().BitBtn2.Enabled());  // monitoring stopped
  EXPECT_TRUE(w().BitBtn4.Enabled());
  EXPECT_EQ(w().BitBtn4.Glyph(), DeviceWindow::kGlyphTelnet);
  EXPECT_EQ(Switches(), kOn);
  EXPECT_TRUE(w().ControlEnabled);

  // A second fill while shown changes the contents in place and asks for
  // the front again; flag 1 only fills.
  w().listicondata("0007 0002 6", 0);
  EXPECT_EQ(w().FrontRequests(), 2u);
  EXPECT_EQ(w().Panel3.Caption(), "電源 OFF");
  EXPECT_EQ(w().OlImage1.Band(), DeviceWindow::kBandOff);
  w().Hide();
  w().listicondata("0007 0001 7", 1);
  EXPECT_FALSE(w().Visible());
  EXPECT_EQ(w().FrontRequests(), 2u);
  EXPECT_EQ(w().Panel1.Caption(), "サーバA");
}

TEST_F(DeviceWindowTest, StateTextsOfTheTenImages) {
  Register();
  const Lines texts{"PING 正常",          "PING 注意",          "PING 異常",          "温度 正常 (23.5℃)",
                    "温度 注意 (23.5℃)", "温度 警報 (23.5℃)", "電源 OFF",           "電源 ON",
                    "TimeOut",            "不明"};
  for (int image = 0; image <= 9; ++image) {
    w().listicondata("0007 0001 " + std::to_string(image), 1);
    EXPECT_EQ(w().Panel3.Caption(), texts[static_cast<size_t>(image)]) << image;
  }
  // The temperature is the one of the row at the time of the fill.
  table().SetCell(dtcol::CurTemp, 7, "-4.0");
  w().listicondata("0007 0001 5", 1);
  EXPECT_EQ(w().Panel3.Caption(), "温度 警報 (-4.0℃)");
  // A two-digit image (not one of the ten) has no text.
  w().listicondata("0007 0001 12", 1);
  EXPECT_EQ(w().Panel3.Caption(), "");
}

TEST_F(DeviceWindowTest, WholeDeviceAndOutletZeroShowNoOutletAndTheFirstOutletsPicture) {
  Register();
  table().SetCell(dtcol::OlWordA, 7, "0000 0001");
  for (const char* key : {"0007", "0007 0000 7"}) {
    SCOPED_TRACE(key);
    w().listicondata("0012 0002 7", 1);  // an earlier fill of another device
    w().listicondata(key, 1);
    EXPECT_EQ(w().CurrentRow, 7);
    EXPECT_EQ(w().Panel4.Caption(), "ID0007");
    EXPECT_EQ(w().Panel1.Caption(), "");
    EXPECT_EQ(w().Panel6.Caption(), "");
    EXPECT_EQ(w().Panel3.Caption(), "");
    EXPECT_EQ(w().Panel2.Caption(), "ラック7");
    EXPECT_TRUE(w().OlImage1.Visible());
    EXPECT_EQ(w().OlImage1.Band(), DeviceWindow::kBandOff);
  }
}

TEST_F(DeviceWindowTest, PictureByTheOutletsPowerWord) {
  Register();
  struct Case {
    const char* words;
    bool visible;
    int band;
  } cases[] = {
      {"0000 0000 0000", true, DeviceWindow::kBandOff},
      {"0000 0001 0000", true, DeviceWindow::kBandOn},
      {"0000 0002 0000", true, StripImage::kNone},  // neither ON nor OFF: no picture
      {"0000 0064 0000", true, StripImage::kNone},
      {"0000", false, StripImage::kNone},  // no word for outlet 2
      {"", false, StripImage::kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    w().listicondata("0007 0003 7", 1);  // outlet 3 ON before
    table().SetCell(dtcol::OlWordA, 7, c.words);
    w().listicondata("0007 0002 6", 1);
    EXPECT_EQ(w().OlImage1.Visible(), c.visible);
    if (c.visible) {
      EXPECT_EQ(w().OlImage1.Band(), c.band);
    }
    table().SetCell(dtcol::OlWordA, 7, "0001 0000 0001 0002");
  }
}

TEST_F(DeviceWindowTest, ButtonsByConnectionMethodDirectPowerAndMonitoring) {
  struct Case {
    const char* connect;
    bool connect_enabled;
    int glyph;
    bool switches;
  } cases[] = {
      {"telnet,10.0.0.7,23,,23,0,1,0", true, DeviceWindow::kGlyphTelnet, true},
      {"http,10.0.0.7,80,,23,0,0,0", true, DeviceWindow::kGlyphBrowser, false},
      {"なし,,,,,,1,0", false, DeviceWindow::kGlyphBrowser, true},
      {"telnet,10.0.0.7,23,,23,0,,0", true, DeviceWindow::kGlyphTelnet, false},
      {"", true, DeviceWindow::kGlyphBrowser, false},  // nothing stored yet
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.connect);
    Register(7, c.connect);
    w().listicondata("0007 0001 7", 0);
    EXPECT_EQ(w().BitBtn4.Enabled(), c.connect_enabled);
    EXPECT_EQ(w().BitBtn4.Glyph(), c.glyph);
    EXPECT_EQ(Switches(), std::vector<bool>(3, c.switches));
    EXPECT_EQ(w().ControlEnabled, c.switches);
    // The engine's end gives the buttons the state of the fill back.
    w().btnmask(1);
    EXPECT_EQ(Switches(), kOn);
    w().btnmask(2);
    EXPECT_EQ(Switches(), std::vector<bool>(3, c.switches));
    w().btnmask(0);
    EXPECT_EQ(Switches(), kOff);
    w().btnmask(3);
    w().btnmask(-1);
    EXPECT_EQ(Switches(), kOff);
    // A fill while a command runs enables them again.
    w().listicondata("0007 0001 7", 0);
    EXPECT_EQ(Switches(), std::vector<bool>(3, c.switches));
  }

  // Editing only while monitoring is stopped.
  Register();
  app->monitoring().ToolButton1.SetEnabled(false);
  w().listicondata("0007 0001 7", 0);
  EXPECT_FALSE(w().BitBtn2.Enabled());
  app->monitoring().ToolButton1.SetEnabled(true);
  w().listicondata("0007 0001 7", 0);
  EXPECT_TRUE(w().BitBtn2.Enabled());
}

TEST_F(DeviceWindowTest, NeverReportedDeviceAndEmptyRow) {
  Register();
  for (int col : {dtcol::RecvDate, dtcol::RecvTime, dtcol::OlWordA, dtcol::CurTemp}) table().SetCell(col, 7, "");
  w().listicondata("0007 0002 9", 0);
  EXPECT_EQ(w().Panel0.Caption(), " ");
  EXPECT_FALSE(w().BitBtn1.Enabled());
  EXPECT_FALSE(w().OlImage1.Visible());
  EXPECT_EQ(w().Panel3.Caption(), "不明");
  // A row without any data shows empty fields.
  w().listicondata("0031 0002 3", 0);
  EXPECT_EQ(w().Panel4.Caption(), "ID0031");
  EXPECT_EQ(w().Panel2.Caption(), "");
  EXPECT_EQ(w().Panel1.Caption(), "");
  EXPECT_EQ(w().Panel3.Caption(), "温度 正常 (℃)");
  EXPECT_EQ(Switches(), kOff);
}

TEST_F(DeviceWindowTest, ConnectOpensTheDevicesConsole) {
  struct Case {
    const char* connect;
    const char* opened;  // nullptr: nothing
  } cases[] = {
      {"telnet,10.0.0.7,23,,23,0,1,0", "telnet 10.0.0.7"},
      {"telnet,10.0.0.7,2323,,23,0,1,0", "telnet 10.0.0.7 2323"},
      {"telnet,10.0.0.7,,,23,0,1,0", "telnet 10.0.0.7 "},
      {"http,10.0.0.7,80,,23,0,1,0", "address http://10.0.0.7:"},
      {"http,10.0.0.7,8080,,23,0,1,0", "address http://10.0.0.7:8080"},
      {"なし,10.0.0.7,80,,23,0,1,0", "address http://10.0.0.7:"},  // a disabled button's click
      {"telnet,10.0.0.7,23,,23,1,1,0", "telnet 192.168.0.207"},   // the received IP
      {"http,,8080,,23,1,1,0", "address http://192.168.0.207:8080"},
      {"telnet,,23,,23,0,1,0", nullptr},
      {"http,,80,,23,0,1,0", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.connect);
    shell.opened.clear();
    Register(7, c.connect);
    w().listicondata("0007 0003 7", 0);
    app->receive_view().DetailDevice = 0;
    w().BitBtn4Click();
    EXPECT_FALSE(w().Visible());
    EXPECT_EQ(app->receive_view().DetailDevice, 7);
    EXPECT_EQ(shell.opened, c.opened ? Lines{c.opened} : Lines{});
    EXPECT_TRUE(boxes.shown.empty());
  }
  // The row comes from the ID field, not from the last switch's row.
  Register(12, "telnet,10.0.0.12,23,,23,0,1,0");
  w().listicondata("0012", 1);
  w().CurrentRow = 7;
  shell.opened.clear();
  w().BitBtn4Click();
  EXPECT_EQ(shell.opened, Lines{"telnet 10.0.0.12"});
}

TEST_F(DeviceWindowTest, DetailsAndEditOpenTheirWindowsOnTheIdFieldsRow) {
  Register();

  w().listicondata("0007 0003 7", 0);
  w().BitBtn1Click();
  EXPECT_FALSE(w().Visible());
  // The detail window opens on the row.
  EXPECT_TRUE(app->Form6().Visible());
  EXPECT_EQ(app->receive_view().DetailDevice, 7);
  app->Form6().Close();

  // Locked: the password dialog, and the window stays as it is.
  app->settings().EditUnlocked = false;
  app->receive_view().DetailDevice = 0;
  w().listicondata("0007 0003 7", 0);
  w().BitBtn2Click();
  EXPECT_TRUE(app->Form14().Visible());  // the password dialog
  EXPECT_TRUE(w().Visible());
  EXPECT_FALSE(app->Form5().Visible());
  EXPECT_EQ(app->receive_view().DetailDevice, 0);

  app->settings().EditUnlocked = true;
  w().BitBtn2Click();
  EXPECT_FALSE(w().Visible());
  // The device editor opens on the row.
  EXPECT_TRUE(app->Form5().Visible());
  EXPECT_EQ(app->Form5().EditRow, 7);
  EXPECT_EQ(app->receive_view().DetailDevice, 7);
}

TEST_F(DeviceWindowTest, CloseButtonAndTheDialogsCloseInTheirOrder) {
  Register();
  w().listicondata("0007 0003 7", 0);
  w().BitBtn3Click();
  EXPECT_FALSE(w().Visible());

  // The device window closes together with the other dialogs.
  w().listicondata("0007 0003 7", 0);
  app->Form3().Show();
  app->Form9().Show();
  app->monitoring().ButtonPushMode();
  EXPECT_FALSE(w().Visible());
  EXPECT_FALSE(app->Form3().Visible());
  EXPECT_FALSE(app->Form9().Visible());
}

// --- Switching over the device's telnet console ---

class DeviceSwitchTest : public DeviceWindowTest {
 protected:
  DeviceSwitchTest() { Register(7, Connect("pw", "23")); }
  static std::string Connect(const std::string& password, const std::string& telnet_port) {
    return "telnet,10.0.0.7,80," + Scramble(password, 1) + "," + telnet_port + ",0,1,0";
  }
  ScriptedDevice dev{telnet, sim};
};

TEST_F(DeviceSwitchTest, TheThreeButtonsSendTheirCommandForTheOutlet) {
  struct Case {
    const char* key;
    void (DeviceWindow::*click)();
    const char* command;
  } cases[] = {
      {"0007 0003 7", &DeviceWindow::BitBtn7Click, "PON3"},
      {"0007 0003 7", &DeviceWindow::BitBtn8Click, "POF3"},
      {"0007 0003 7", &DeviceWindow::BitBtn9Click, "POR3"},
      {"0007", &DeviceWindow::BitBtn7Click, "PON"},  // a fill of the whole device
      {"0007 0000 6", &DeviceWindow::BitBtn8Click, "POF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    telnet.written.clear();
    w().listicondata(c.key, 0);
    (w().*c.click)();
    EXPECT_FALSE(w().Visible());
    EXPECT_EQ(Switches(), kOff);  // until the session ends
    EXPECT_EQ(telnet.attempts.back(), (std::pair<std::string, int>{"10.0.0.7", 23}));
    sim.Advance(30000);
    EXPECT_EQ(telnet.written, (Lines{"", "pw", c.command}));
    EXPECT_EQ(dev.lines.back(), c.command);
    EXPECT_EQ(Switches(), kOn);
    EXPECT_TRUE(boxes.shown.empty());
  }
}

TEST_F(DeviceSwitchTest, PasswordAndPortFromTheConnectionSettings) {
  struct Case {
    const char* port;
    const char* session_port;
    int connect_port;
  } cases[] = {
      {"23", "23", 23},
      {"2323", "2323", 2323},
      {"abc", "23", 23},  // not a number: the default, written back as text
      {"", "23", 23},
  };
  dev.password = "kelpo";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    Register(7, Connect("kelpo", c.port));
    w().listicondata("0007 0002 6", 0);
    w().BitBtn7Click();
    EXPECT_EQ(app->Form5().SessionPassword, "kelpo");
    EXPECT_EQ(app->Form5().SessionPort, c.session_port);
    EXPECT_EQ(telnet.attempts.back().second, c.connect_port);
    sim.Advance(30000);
  }
}

TEST_F(DeviceSwitchTest, ButtonsComeBackWhenTheSessionEnds) {
  struct Case {
    const char* name;
    void (*setup)(ScriptedDevice&);
    Lines boxes;
  } cases[] = {
      {"reply", [](ScriptedDevice&) {}, {}},
      {"time-out", [](ScriptedDevice& d) { d.silent = true; }, {"接続が出来ませんでした"}},
      {"busy device", [](ScriptedDevice& d) { d.busy = true; }, {"接続が切断されました。"}},
      {"wrong password", [](ScriptedDevice& d) { d.password = "other"; },
       {"パスワードが違います", "接続が切断されました。"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dev.silent = dev.busy = false;
    dev.password = "pw";
    c.setup(dev);
    boxes.shown.clear();
    w().listicondata("0007 0003 7", 0);
    w().BitBtn8Click();
    EXPECT_EQ(Switches(), kOff);
    sim.Advance(30000);
    EXPECT_EQ(BoxTexts(), c.boxes);
    EXPECT_EQ(Switches(), kOn);
  }
}

TEST_F(DeviceSwitchTest, WindowKeepsRunningDuringAnUnansweredConnect) {
  // A connect that is never answered: the client waits its bounded time with
  // the event loop running, then fails.
  telnet.accept = [this](const std::string&, int) {
    app->Delay(5000);
    return false;
  };
  int ticks = 0;
  Timer tick(&sim, 50, true);
  tick.OnTimer = [&] { ++ticks; };
  w().listicondata("0007 0003 7", 0);
  w().BitBtn7Click();
  EXPECT_GE(ticks, 90);
  EXPECT_EQ(BoxTexts(), Lines{"接続が出来ませんでした"});
  EXPECT_EQ(Switches(), kOn);
}

}  // namespace
}  // namespace zol
