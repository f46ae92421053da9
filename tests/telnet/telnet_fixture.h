// A console on the fakes with a scripted device behind the fake telnet
// client, and helpers to register devices and start sessions the way the
// device window, the editor and the group send do.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/scramble.h"
#include "common/text.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "console/device_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"
#include "support/fake_telnet.h"
#include "telnet/device_editor.h"
#include "telnet/group_tab.h"

namespace zol {

struct TelnetFixture : ::testing::Test, AppFixture {
  TelnetFixture() {
    app->settings().LogDir = dir.path();  // group send logs go into the test's folder
    SwitchButtonsOff();
  }

  DeviceEditor& form5() { return app->Form5(); }
  DeviceWindow& form7() { return app->Form7(); }
  GroupTab& group() { return app->group_tab(); }
  Grid& table() { return app->Form4().StringGrid1; }

  // Registers device r with its telnet settings.
  void Register(int r, const std::string& ip, const std::string& password, const std::string& port = "23",
                const std::string& use_recv_ip = "0", const std::string& recv_ip = "") {
    table().SetCell(dtcol::MacAddress, r, "02:5A:3C:00:00:" + std::to_string(10 + r));
    table().SetCell(dtcol::DeviceName, r, "Dev" + std::to_string(r));
    table().SetCell(dtcol::GroupName, r, "G001 Floor");
    table().SetCell(dtcol::ConnectInfo, r,
                    "telnet," + ip + ",80," + Scramble(password, 1) + "," + port + "," + use_recv_ip + ",1,1");
    table().SetCell(dtcol::IpAddress, r, recv_ip);
  }

  // An outlet command as the device window starts it.
  void OutletCommand(int row, const std::string& command, const std::string& password = "pw") {
    form5().SessionPassword = password;
    form5().tenletcnt(1, command, row);
  }

  // A group send as the group tab starts it: script, script type, queue,
  // counters zeroed, the first device's session.
  void GroupSend(const std::vector<std::string>& script, const std::vector<int>& ids) {
    form5().Memo1.Assign(script);
    form5().ScriptType = script.empty() || script[0].find("@qm") == std::string::npos ? 0 : 1;
    std::string queue = std::to_string(ids.size()) + ",1";
    for (int id : ids) queue += "," + ZeroPad(id, 3);
    group().SendQueue = queue;
    group().ComboBoxEx2.SetText("G001 Floor");
    group().GrpOkCount = 0;
    group().GrpNgCount = 0;
    group().Memo2.Clear();
    group().BitBtn5.SetEnabled(false);
    const int id = group().GroupQueue(0);
    if (id > 0) form5().tenletcnt(2, "", id);
  }

  // The device window's switch buttons as a switch leaves them: off, until
  // the engine gives them back (btnmask 2) at the end of an outlet command.
  void SwitchButtonsOff() {
    form7().ControlEnabled = true;
    form7().btnmask(0);
  }
  bool SwitchButtonsBack() { return form7().BitBtn7.Enabled(); }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> t;
    for (const auto& b : boxes.shown) t.push_back(b.text);
    return t;
  }
  // The send log without its time stamps (the first nine characters).
  std::vector<std::string> SendLog() {
    std::vector<std::string> out;
    for (const std::string& l : group().Memo2.All()) out.push_back(l.size() >= 9 ? l.substr(9) : l);
    return out;
  }
  // The text of a result cell after its date and time.
  std::string Result(int row) { return table().Cell(dtcol::GroupSendResult, row).substr(20); }

  ScriptedDevice dev{telnet, sim};
};

}  // namespace zol
