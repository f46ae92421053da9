// The session engine on the simulated clock against a scripted device:
// identity read, outlet command, group script, their failures, and a new
// session started while another one waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/files.h"
#include "console/main_window.h"
#include "monitor/system_log.h"
#include "telnet/telnet_fixture.h"

namespace zol {
namespace {

using Lines = std::vector<std::string>;

// The lines written after the first n.
Lines After(const Lines& all, size_t n) { return n >= all.size() ? Lines{} : Lines(all.begin() + static_cast<long>(n), all.end()); }

// --- Where a session goes ---

TEST_F(TelnetFixture, HostAndPortComeFromTheRowOrTheEditor) {
  struct Case {
    std::string ip, port, use_recv, recv_ip;
    std::string host;
    int expect_port;
  };
  const Case cases[] = {
      {"10.0.0.1", "23", "0", "192.168.9.9", "10.0.0.1", 23},
      {"10.0.0.1", "2323", "0", "", "10.0.0.1", 2323},
      {"10.0.0.1", "abc", "0", "", "10.0.0.1", 23},  // not a number: 23
      {"10.0.0.1", "", "0", "", "10.0.0.1", 23},
      {"10.0.0.1", "24", "1", "192.168.9.9", "192.168.9.9", 24},  // the received address
  };
  telnet.accept = [](const std::string&, int) { return false; };
  for (const Case& c : cases) {
    Register(5, c.ip, "pw", c.port, c.use_recv, c.recv_ip);
    OutletCommand(5, "PON1");
    ASSERT_FALSE(telnet.attempts.empty());
    EXPECT_EQ(telnet.attempts.back().first, c.host) << c.port;
    EXPECT_EQ(telnet.attempts.back().second, c.expect_port) << c.port;
  }
  // Row 0: the editor's address panel and port field.
  form5().Panel33.SetCaption("172.16.0.4");
  form5().Edit12.SetText("2424");
  form5().BitBtn3Click();
  EXPECT_EQ(telnet.attempts.back(), (std::pair<std::string, int>{"172.16.0.4", 2424}));
}

TEST_F(TelnetFixture, EmptyHostOrRefusalEndsAsOnTheTimeOut) {
  for (bool refuse : {false, true}) {
    SCOPED_TRACE(refuse ? "refused" : "empty host");
    boxes.shown.clear();
    SwitchButtonsOff();
    telnet.attempts.clear();
    Register(3, refuse ? "10.0.0.3" : "", "pw");
    telnet.accept = [](const std::string&, int) { return false; };
    OutletCommand(3, "POF2");
    EXPECT_EQ(telnet.attempts.size(), refuse ? 1u : 0u);
    EXPECT_EQ(BoxTexts(), Lines{"接続が出来ませんでした"});
    EXPECT_TRUE(SwitchButtonsBack());
    EXPECT_TRUE(form5().BitBtn3.Enabled());
    sim.Advance(30000);
    EXPECT_EQ(boxes.shown.size(), 1u);
  }
}

TEST_F(TelnetFixture, PortThatIsNoNumberStopsTheIdentityReadWithItsName) {
  form5().Panel33.SetCaption("10.0.0.5");
  form5().Edit12.SetText("23a");
  form5().BitBtn3.SetEnabled(true);
  form5().BitBtn3Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find("23a"), std::string::npos);
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
  EXPECT_TRUE(telnet.attempts.empty());
  EXPECT_FALSE(form5().BitBtn3.Enabled());  // until the editor loads a device again
  sim.Advance(20000);
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_FALSE(SwitchButtonsBack());
}

// --- Identity read ---

struct IdentityFixture : TelnetFixture {
  IdentityFixture() {
    dev.outlet_names = "A,B,C,D,E,F,G,H,I,J";
    dev.descr = "ZOL RPC-8 unit";
    form5().Panel33.SetCaption("10.0.0.5");
    form5().Edit12.SetText("23");
    form5().MaskEdit1.SetText("pw");
    form5().Label1.SetCaption("");
  }
};

TEST_F(IdentityFixture, ConfirmationListsPanel20OutletsAndFillsOnlyOneToEight) {
  struct Case {
    std::string n;
    BoxResult answer;
    std::string outlet_lines;
    int filled;
  };
  const Case cases[] = {
      {"0", BoxResult::Yes, "", 0},
      {"2", BoxResult::Yes, "アウトレット1:A\rアウトレット2:B\r", 2},
      {"10", BoxResult::Yes,
       "アウトレット1:A\rアウトレット2:B\rアウトレット3:C\rアウトレット4:D\rアウトレット5:E\r"
       "アウトレット6:F\rアウトレット7:G\rアウトレット8:H\rアウトレット9:I\rアウトレット10:J\r",
       8},
      {"2", BoxResult::No, "アウトレット1:A\rアウトレット2:B\r", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    for (int i = 1; i <= 8; ++i) form5().OutletEdit(i).SetText("Outlet" + std::to_string(i));
    form5().Edit9.SetText("old");
    form5().Label1.SetCaption("");
    boxes.shown.clear();
    telnet.written.clear();
    form5().Panel20.SetCaption(c.n);
    boxes.answers = {c.answer};
    form5().BitBtn3Click();
    EXPECT_FALSE(form5().BitBtn3.Enabled());
    sim.Advance(10000);
    EXPECT_EQ(telnet.written, (Lines{"", "pw", "?debOlName", "?sysDescr", "?sysName"}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Confirm);
    EXPECT_EQ(boxes.shown[0].text, "下記の情報を設定に入力しますか？\r\r機器名称 : RPC1\r\r" + c.outlet_lines);
    const bool yes = c.answer == BoxResult::Yes;
    EXPECT_EQ(form5().Edit9.Text(), yes ? "RPC1" : "old");
    EXPECT_EQ(form5().Label1.Caption(), yes ? "ZOL RPC-8 unit" : "");
    for (int i = 1; i <= 8; ++i) {
      const std::string expect = i <= c.filled ? std::string(1, static_cast<char>('A' + i - 1)) : "Outlet" + std::to_string(i);
      EXPECT_EQ(form5().OutletEdit(i).Text(), expect) << i;
    }
    EXPECT_EQ(form5().BitBtn4.Enabled(), yes);
    EXPECT_TRUE(form5().BitBtn3.Enabled());
    EXPECT_FALSE(telnet.Connected());
    EXPECT_FALSE(SwitchButtonsBack());
  }
}

TEST_F(IdentityFixture, DescriptionNotFoundAsksForTheModel) {
  dev.descr_not_found = true;
  form5().Panel20.SetCaption("1");
  boxes.answers = {BoxResult::Yes};
  form5().BitBtn3Click();
  sim.Advance(10000);
  EXPECT_EQ(telnet.written, (Lines{"", "pw", "?debOlName", "?sysDescr", "?model", "?sysName"}));
  EXPECT_EQ(form5().Label1.Caption(), "RPC-4");
  EXPECT_EQ(form5().Edit9.Text(), "RPC1");
}

TEST_F(IdentityFixture, ReplyWithoutItsClosingQuoteYetGivesAnEmptyValueAndMovesOn) {
  auto device = telnet.on_line;
  telnet.on_line = [&, device](const std::string& line) {
    if (line != "?debOlName") return device(line);
    telnet.Send("debOlName=\"A,B", 20);
    telnet.Send("\"\r\nRPC1>", 40);
  };
  form5().Panel20.SetCaption("2");
  boxes.answers = {BoxResult::Yes};
  form5().BitBtn3Click();
  sim.Advance(10000);
  EXPECT_EQ(telnet.written, (Lines{"", "pw", "?debOlName", "?sysDescr", "?sysName"}));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "下記の情報を設定に入力しますか？\r\r機器名称 : RPC1\r\rアウトレット1:\rアウトレット2:\r");
  EXPECT_EQ(form5().Edit1.Text(), "");
}

TEST_F(IdentityFixture, TranscriptKeepsEveryReceivedText) {
  form5().Memo2.Add("earlier");
  form5().Panel20.SetCaption("0");
  form5().BitBtn3Click();
  sim.Advance(10000);
  const Lines& t = form5().Memo2.All();
  ASSERT_GE(t.size(), 4u);
  EXPECT_EQ(t[0], "earlier");
  EXPECT_NE(std::find(t.begin(), t.end(), "ZOL remote power controller. RPC1"), t.end());
  // Text without a line break goes on in the same line.
  EXPECT_NE(std::find(t.begin(), t.end(), "RPC1>sysName=\"RPC1\""), t.end());
}

// --- Password ---

TEST_F(TelnetFixture, PasswordWithAtSendsTheAfterPartFirstCutTo20) {
  struct Case {
    std::string password, dev_user, dev_password;
    Lines login;
  };
  const std::string long_user(25, 'u');
  const Case cases[] = {
      {"pw", "", "pw", {"pw"}},
      {"secret@admin", "admin", "secret", {"admin", "secret"}},
      {"pw@" + long_user, std::string(20, 'u'), "pw", {std::string(20, 'u'), "pw"}},
  };
  Register(2, "10.0.0.2", "unused");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.password);
    telnet.written.clear();
    SwitchButtonsOff();
    dev.user = c.dev_user;
    dev.password = c.dev_password;
    int state_after_first_part = -1;
    auto device = telnet.on_line;
    telnet.on_line = [&, device](const std::string& line) {
      if (telnet.written.size() == 2) state_after_first_part = form5().SessionState;
      device(line);
    };
    OutletCommand(2, "PON1", c.password);
    sim.Advance(10000);
    telnet.on_line = device;
    Lines expect{""};
    expect.insert(expect.end(), c.login.begin(), c.login.end());
    expect.push_back("PON1");
    EXPECT_EQ(telnet.written, expect);
    EXPECT_EQ(state_after_first_part, c.login.size() == 2 ? 11 : 2);
    EXPECT_TRUE(SwitchButtonsBack());
    EXPECT_TRUE(boxes.shown.empty());
  }
}

TEST_F(TelnetFixture, WrongPasswordIsSentTwiceMoreThenTwoBoxesOnly) {
  Register(2, "10.0.0.2", "unused");
  dev.password = "right";
  for (bool box_held_open : {false, true}) {
    SCOPED_TRACE(box_held_open ? "boxes held open 20 s" : "boxes closed at once");
    boxes.shown.clear();
    SwitchButtonsOff();
    telnet.written.clear();
    // A box held open runs the event loop: the session time-out must not
    // add a box of its own meanwhile.
    if (box_held_open) boxes.while_open = [this](const FakeMessageBoxes::Shown&) { sim.Advance(20000); };
    OutletCommand(2, "PON1", "wrong");
    sim.Advance(30000);
    boxes.while_open = nullptr;
    EXPECT_EQ(telnet.written, (Lines{"", "wrong", "wrong", "wrong"}));
    EXPECT_EQ(BoxTexts(), (Lines{"パスワードが違います", "接続が切断されました。"}));
    EXPECT_TRUE(SwitchButtonsBack());
    EXPECT_TRUE(form5().BitBtn3.Enabled());
  }
}

TEST_F(TelnetFixture, WrongPasswordInAGroupFailsWithPasswordError) {
  for (bool device_closes : {true, false}) {
    SCOPED_TRACE(device_closes ? "device closes after the third" : "device keeps asking");
    Register(1, "10.0.0.1", "wrong");
    dev.password = "right";
    // A device that keeps asking: the third answer is taken like the others.
    auto device = telnet.on_line;
    if (!device_closes) {
      telnet.on_line = [&](const std::string& line) {
        telnet.Send(line.empty() ? "Password: " : "\r\nIncorrect password\r\nPassword: ", 20);
      };
    }
    GroupSend({"@zol", "a"}, {1});
    sim.Advance(60000);
    telnet.on_line = device;
    EXPECT_EQ(Result(1), "× Password Error");
    EXPECT_EQ(group().GrpNgCount, 1);
    EXPECT_EQ(BoxTexts(), Lines{"送信完了しました"});
    boxes.shown.clear();
  }
}

// --- Received text ---

TEST_F(TelnetFixture, BufferKeepsAbout255BytesAndALongPieceReplacesIt) {
  struct Case {
    size_t before, piece;
    size_t after;
    size_t dropped;  // bytes dropped from the front of the old buffer
  };
  const Case cases[] = {
      {250, 4, 254, 0},    // fits: appended
      {250, 5, 250, 5},    // 250 > 249: the first 5 go, 245 kept
      {254, 1, 254, 1},    // 254 > 253: the first goes
      {0, 255, 255, 0},    // a piece of 255 is the whole buffer
      {10, 255, 255, 10},  // ... and replaces what was there
      {100, 300, 300, 100},
  };
  form5().SessionState = 0;  // text is only collected
  for (const Case& c : cases) {
    std::string old;
    for (size_t i = 0; i < c.before; ++i) old.push_back(static_cast<char>('a' + i % 26));
    const std::string piece(c.piece, '#');
    form5().TelnetBuffer = old;
    form5().IdTelnet1DataAvailable(piece);
    const std::string kept = old.substr(std::min(c.dropped, old.size()));
    EXPECT_EQ(form5().TelnetBuffer.size(), c.after) << c.before << "+" << c.piece;
    EXPECT_EQ(form5().TelnetBuffer, kept + piece) << c.before << "+" << c.piece;
  }
}

// --- Busy device, silent device, nudges ---

TEST_F(TelnetFixture, BusyDeviceEndsEachModeByItsRule) {
  struct Case {
    int mode;
    int script_type;
    bool closes;
    std::string outcome;  // the box of modes 0 and 1, the result of mode 2
  };
  const Case cases[] = {
      {0, 0, true, "接続が切断されました。"},  {0, 0, false, "接続が切断されました。"},
      {1, 0, true, "接続が切断されました。"},  {1, 1, false, "接続が切断されました。"},
      {2, 0, false, "× タイムアウト"},         {2, 1, false, "× 多重接続切断"},
      {2, 0, true, "× 切断"},                  {2, 1, true, "× 多重接続切断"},
  };
  Register(1, "10.0.0.1", "pw");
  dev.busy = true;
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + " type " + std::to_string(c.script_type) +
                 (c.closes ? " closing" : " staying"));
    boxes.shown.clear();
    SwitchButtonsOff();
    dev.busy_closes = c.closes;
    if (c.mode == 2) {
      GroupSend({c.script_type ? "@qm" : "@zol", "a"}, {1});
      sim.Advance(30000);
      EXPECT_EQ(Result(1), c.outcome);
      EXPECT_EQ(BoxTexts(), Lines{"送信完了しました"});
    } else {
      form5().ScriptType = c.script_type;
      if (c.mode == 0) {
        form5().Panel33.SetCaption("10.0.0.1");
        form5().Edit12.SetText("23");
        form5().BitBtn3Click();
      } else {
        OutletCommand(1, "PON1");
      }
      sim.Advance(30000);
      EXPECT_EQ(BoxTexts(), Lines{c.outcome});
      EXPECT_TRUE(SwitchButtonsBack());
      EXPECT_EQ(form5().ScriptError, "多重接続切断");
      EXPECT_TRUE(form5().BitBtn3.Enabled());
    }
  }
}

TEST_F(TelnetFixture, SessionTimeOutIs5000MsToTheBannerThenGrpTimeOut) {
  struct Case {
    const char* what;
    bool banner;
    uint64_t banner_ms;  // after the connection
    int grp_time_out;
    uint64_t due;  // of the time-out, after the start
  };
  const Case cases[] = {
      // Silent: 5000 ms from the connection.
      {"silent", false, 0, 2000, 5000},
      // The banner is held through the connected notification's 500 ms and
      // arrives about 520 ms after the start.
      {"banner at once", true, 20, 2000, 520 + 2000},
      // The banner restarts the time-out also when GrpTimeOut is the 5000 ms
      // it already runs with.
      {"banner at 4000 ms, GrpTimeOut 5000", true, 4000, 5000, 4000 + 5000},
  };
  Register(1, "10.0.0.1", "pw");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    app->settings().GrpTimeOut = c.grp_time_out;
    boxes.shown.clear();
    SwitchButtonsOff();
    telnet.written.clear();
    dev.silent = !c.banner;
    dev.banner_only = c.banner;
    dev.banner_ms = c.banner_ms;
    const uint64_t start = sim.BootMillis();
    OutletCommand(1, "PON1");
    sim.Advance(c.due - 100 - (sim.BootMillis() - start));
    EXPECT_TRUE(boxes.shown.empty());
    sim.Advance(200);
    EXPECT_EQ(BoxTexts(), Lines{"接続が出来ませんでした"});
    EXPECT_TRUE(SwitchButtonsBack());
    sim.Advance(20000);
    EXPECT_EQ(boxes.shown.size(), 1u);
  }
}

TEST_F(TelnetFixture, PromptNudgesAreThreeEmptyLinesAfterTheBanner) {
  Register(1, "10.0.0.1", "pw");
  app->settings().GrpTimeOut = 10000;
  dev.banner_only = true;
  OutletCommand(1, "PON1");
  sim.Advance(60000);
  // The banner's own empty line, then three nudges one second apart.
  EXPECT_EQ(telnet.written, (Lines{"", "", "", ""}));
  ASSERT_EQ(telnet.written_at.size(), 4u);
  for (size_t i = 1; i < 4; ++i) EXPECT_EQ(telnet.written_at[i] - telnet.written_at[i - 1], 1000u);
}

TEST_F(TelnetFixture, OutletCommandEndsOnTheAnswerAndGivesTheButtonsBackOnce) {
  Register(4, "10.0.0.4", "pw");
  form5().BitBtn3.SetEnabled(true);
  OutletCommand(4, "POF3");
  sim.Advance(30000);
  EXPECT_EQ(telnet.written, (Lines{"", "pw", "POF3"}));
  EXPECT_EQ(dev.lines.back(), "POF3");
  EXPECT_TRUE(SwitchButtonsBack());
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_FALSE(telnet.Connected());
  EXPECT_FALSE(form5().BitBtn3.Enabled());  // stays disabled after an outlet command
  EXPECT_FALSE(form5().Timer1.Enabled());
  EXPECT_EQ(form5().SessionState, 0);
}

// --- Group script ---

struct ScriptFixture : TelnetFixture {
  ScriptFixture() {
    Register(1, "10.0.0.1", "pw");
    Register(2, "10.0.0.2", "pw");
    Register(3, "10.0.0.3", "pw");
    app->settings().LogDir = dir.path();
  }
  // The lines written after the login ("" and the password).
  Lines Script() { return After(telnet.written, 2); }
};

TEST_F(ScriptFixture, ScriptLinesCommentsDirectivesAndClosingCommand) {
  struct Case {
    Lines script;
    Lines sent;  // after the login; "" from the watchdog where a line sent nothing
  };
  const Case cases[] = {
      {{"@zol", "a", "b", "c"}, {"a", "b", "c", "", "q"}},
      {{"@ZOL", "a", "", "b"}, {"a", "", "b", "", "q"}},  // empty lines are sent
      {{"@zol", "/note", "a"}, {"", "a", "", "q"}},
      {{"@zol", "@foo", "a"}, {"", "a", "", "q"}},
      {{"@zol", "CpuReset now", "a"}, {"", "a", "", "cpureset"}},
      {{"@zol"}, {"", "q"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script.size() > 1 ? c.script[1] : "header only");
    telnet.written.clear();
    boxes.shown.clear();
    GroupSend(c.script, {1});
    sim.Advance(60000);
    EXPECT_EQ(Script(), c.sent);
    EXPECT_EQ(Result(1), "○ 正常終了");
  }
}

TEST_F(ScriptFixture, WaitDirectiveWaitsItsDigitsInMilliseconds) {
  struct Case {
    std::string directive;
    uint64_t wait;
  };
  // A wait of n ms ends when more than n ms have passed; no wait at all
  // for an unknown directive.
  const Case cases[] = {{"@wait1500", 1501}, {"@ WAIT 2,000", 2001}, {"@WAIT", 1}, {"@other 300", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directive);
    telnet.written.clear();
    telnet.written_at.clear();
    GroupSend({"@zol", c.directive, "a"}, {1});
    sim.Advance(60000);
    ASSERT_EQ(Script(), (Lines{"", "a", "", "q"}));
    // The directive sends nothing: the watchdog's empty line 4 s after the
    // wait brings the prompt for the next line.
    EXPECT_EQ(telnet.written_at[2] - telnet.written_at[1], 20 + c.wait + 4000);
  }
}

TEST_F(ScriptFixture, ScriptTypeOneClosesWithByeAndNeverAsksAPassword) {
  dev.script_type = 1;
  GroupSend({"@qm", "a", "cpureset"}, {1});
  sim.Advance(60000);
  EXPECT_EQ(std::count(telnet.written.begin(), telnet.written.end(), "pw"), 0);
  EXPECT_EQ(std::count(telnet.written.begin(), telnet.written.end(), "cpureset"), 0);
  EXPECT_EQ(std::count(telnet.written.begin(), telnet.written.end(), "a"), 1);
  EXPECT_EQ(telnet.written.back(), "bye.");
  EXPECT_EQ(Result(1), "○ 正常終了");
}

TEST_F(ScriptFixture, WatchdogNudgesAt4And6SecondsAndFailsAt8) {
  dev.silent_after_lines = 1;
  GroupSend({"@zol", "a", "b"}, {1});
  sim.Advance(60000);
  ASSERT_EQ(Script(), (Lines{"a", "", ""}));
  const uint64_t sent = telnet.written_at[2];
  EXPECT_EQ(telnet.written_at[3] - sent, 4000u);
  EXPECT_EQ(telnet.written_at[4] - sent, 6000u);
  EXPECT_EQ(Result(1), "× タイムアウト");
  EXPECT_EQ(group().GrpNgCount, 1);
}

TEST_F(ScriptFixture, OutputWithoutPromptThenSilenceStillEnds) {
  // Line "a" gets output without a prompt, and then nothing comes.
  auto device = telnet.on_line;
  bool silent = false;
  telnet.on_line = [&, device](const std::string& line) {
    if (silent) return;
    if (line == "a") {
      silent = true;
      return telnet.Send("OK\r\n", 20);
    }
    device(line);
  };
  GroupSend({"@zol", "a", "b"}, {1});
  sim.Advance(60000);
  telnet.on_line = device;
  EXPECT_EQ(Result(1), "× タイムアウト");
}

TEST_F(ScriptFixture, SuccessIsRecordedAboutThreeSecondsAfterTheClosingCommand) {
  dev.ignore_close = true;
  GroupSend({"@zol", "a"}, {1});
  sim.Advance(60000);
  ASSERT_EQ(telnet.written.back(), "q");
  EXPECT_EQ(Result(1), "○ 正常終了");
  // Replay, looking at the cell around the third second.
  table().SetCell(dtcol::GroupSendResult, 1, "");
  telnet.written.clear();
  GroupSend({"@zol", "a"}, {1});
  while (telnet.written.empty() || telnet.written.back() != "q") sim.Advance(10);
  sim.Advance(2500);
  EXPECT_EQ(table().Cell(dtcol::GroupSendResult, 1), "");
  sim.Advance(1000);
  EXPECT_EQ(Result(1), "○ 正常終了");
}

TEST_F(ScriptFixture, LostConnectionFailsBeforeTheClosingCommandOnly) {
  struct Case {
    int close_after;
    std::string result;
  };
  const Case cases[] = {{1, "× 切断"}, {2, "× 切断"}, {3, "○ 正常終了"}, {0, "○ 正常終了"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.close_after);
    dev.close_after_lines = c.close_after;  // line 3 is the closing "q"
    GroupSend({"@zol", "a"}, {1});
    sim.Advance(60000);
    EXPECT_EQ(Result(1), c.result);
    EXPECT_EQ(group().GrpOkCount + group().GrpNgCount, 1);
  }
}

TEST_F(ScriptFixture, ByeOrSetBeforeTheClosingCommandFailsOnce) {
  for (const char* answer : {"bye.", "set."}) {
    SCOPED_TRACE(answer);
    GroupSend({"@zol", std::string("say ") + answer, "b"}, {1});
    sim.Advance(60000);
    EXPECT_EQ(Result(1), "× 切断");
    EXPECT_EQ(group().GrpNgCount, 1);
    EXPECT_EQ(group().GrpOkCount, 0);
    EXPECT_EQ(std::count(telnet.written.begin(), telnet.written.end(), "b"), 0);
  }
}

TEST_F(ScriptFixture, ThreeDeviceRunWritesLogResultsAndFiles) {
  telnet.accept = [](const std::string& host, int) { return host != "10.0.0.2"; };
  sim.SetNow(DateTime{2026, 3, 4, 10, 20, 30});
  GroupSend({"@zol", "a"}, {1, 2, 3});
  sim.Advance(120000);

  EXPECT_EQ(SendLog(), (Lines{"ID001 接続中[10.0.0.1]", "ID001 接続成功", "ID001 送信中[Line:2]", "ID001 正常終了", "",
                              "ID002 接続中[10.0.0.2]", "ID002 タイムアウト", "",
                              "ID003 接続中[10.0.0.3]", "ID003 接続成功", "ID003 送信中[Line:2]", "ID003 正常終了", "",
                              "終了 [成功 2 失敗 1]"}));
  EXPECT_EQ(Result(1), "○ 正常終了");
  EXPECT_EQ(Result(2), "× タイムアウト");
  EXPECT_EQ(Result(3), "○ 正常終了");
  // The mark stands at character 21 of the cell, after date and time.
  const std::string& cell = table().Cell(dtcol::GroupSendResult, 1);
  EXPECT_EQ(cell.substr(0, 11), "2026/03/04 ");
  EXPECT_EQ(cell.substr(20, 2), "○");
  EXPECT_EQ(group().Panel24.Caption(), "2");
  EXPECT_EQ(group().Panel29.Caption(), "1");
  EXPECT_EQ(group().Panel27.Caption(), "送信完了");
  EXPECT_TRUE(group().BitBtn5.Enabled());
  EXPECT_EQ(BoxTexts(), Lines{"送信完了しました"});
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Info);
  // The destination list shows each result, the counters the last ones.
  ASSERT_EQ(group().CheckListBox1.Count(), 3u);
  EXPECT_EQ(group().CheckListBox1[1].substr(54), table().Cell(dtcol::GroupSendResult, 2));
  EXPECT_EQ(group().Panel35.Caption(), "2");
  EXPECT_EQ(group().Panel36.Caption(), "1");

  // The end time names the send log file and is the last send time.
  const std::string& end = app->settings().GrpLastTimeE;
  ASSERT_EQ(end.size(), 19u);
  EXPECT_EQ(group().Memo2.All().back().substr(0, 8), end.substr(11));
  const std::string gs = dir.File("gs20260304" + end.substr(11, 2) + end.substr(14, 2) + end.substr(17, 2) + ".log");
  EXPECT_EQ(ReadAll(gs), CrLf(group().Memo2.All()));
  // The device file holds the results.
  const std::string dat = ReadAll(dir.File("zolyab4.dat"));
  EXPECT_NE(dat.find(table().Cell(dtcol::GroupSendResult, 2)), std::string::npos);
}

TEST_F(ScriptFixture, SendLogThatCannotBeSavedShowsItsErrorAndTheEndGoesOn) {
  app->settings().LogDir = dir.File("missing/folder");
  GroupSend({"@zol", "a"}, {1});
  sim.Advance(60000);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
  EXPECT_NE(boxes.shown[0].text.find("missing/folder/gs"), std::string::npos);
  EXPECT_EQ(boxes.shown[1].text, "送信完了しました");
  EXPECT_TRUE(group().BitBtn5.Enabled());
  EXPECT_TRUE(FileExists(dir.File("zolyab4.dat")));
}

TEST_F(ScriptFixture, BusyReasonBelongsToItsOwnDeviceOnly) {
  dev.script_type = 1;
  dev.busy = true;
  telnet.accept = [this](const std::string& host, int) {
    dev.busy = host == "10.0.0.1";
    return host != "10.0.0.2";
  };
  GroupSend({"@qm", "a"}, {1, 2, 3});
  sim.Advance(120000);
  EXPECT_EQ(Result(1), "× 多重接続切断");
  EXPECT_EQ(Result(2), "× タイムアウト");
  EXPECT_EQ(Result(3), "○ 正常終了");
  EXPECT_EQ(form5().ScriptType, 1);  // shared by every session, never reset
}

TEST_F(ScriptFixture, AThousandRefusedDevicesEndTheRunWithoutNesting) {
  telnet.accept = [](const std::string&, int) { return false; };
  std::vector<int> ids;
  for (int r = 1; r <= 999; ++r) {
    Register(r, "10.0." + std::to_string(r / 256) + "." + std::to_string(r % 256), "pw");
    ids.push_back(r);
  }
  GroupSend({"@zol", "a"}, ids);
  sim.Advance(1000);
  EXPECT_EQ(telnet.attempts.size(), 999u);
  EXPECT_EQ(group().GrpNgCount, 999);
  EXPECT_EQ(SendLog().back(), "終了 [成功 0 失敗 999]");
  EXPECT_EQ(Result(999), "× タイムアウト");
  EXPECT_EQ(BoxTexts(), Lines{"送信完了しました"});
}

// --- A session started while another one waits ---

TEST_F(ScriptFixture, NewSessionDuringAnyWaitTakesOverAndTheOldHandlerStops) {
  struct Case {
    std::string name;
    Lines script;
    std::string row1_password;  // the group device's password as stored
    std::string trigger;        // start the outlet command when this line is written ...
    int nth;                    // ... for the nth time
    uint64_t after_ms;          // ... this long after it
    bool ignore_close = false;
  };
  const Case cases[] = {
      {"connected handler's 500 ms", {"@zol", "a"}, "pw", "<connect>", 1, 100},
      {"password split's 100 ms", {"@zol", "a"}, "pw@usr", "usr", 1, 50},
      {"wrong password's 500 ms", {"@zol", "a"}, "bad", "bad", 1, 200},
      {"wait directive", {"@zol", "@wait3000", "a"}, "pw", "pw", 1, 1000},
      {"closing command's 200 ms", {"@zol", "a"}, "pw", "", 2, 100},
      {"next device's 2000 ms", {"@zol", "a"}, "pw", "q", 1, 4000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Register(1, "10.0.0.1", c.row1_password);
    dev.user = c.row1_password == "pw@usr" ? "usr" : "";
    dev.ignore_close = c.ignore_close;
    boxes.shown.clear();
    SwitchButtonsOff();
    telnet.written.clear();
    telnet.attempts.clear();
    size_t switch_at = 0;
    int seen = 0;
    auto start_command = [&] {
      dev.user = "";
      dev.ignore_close = false;
      switch_at = telnet.written.size();
      OutletCommand(2, "PON1");
    };
    auto device = telnet.on_line;
    telnet.on_line = [&, device](const std::string& line) {
      device(line);
      if (line == c.trigger && ++seen == c.nth) sim.Post(c.after_ms, start_command);
    };
    auto device_connect = telnet.on_connect;
    telnet.on_connect = [&, device_connect] {
      device_connect();
      if (c.trigger == "<connect>" && ++seen == c.nth) sim.Post(c.after_ms, start_command);
    };
    GroupSend(c.script, {1, 3});
    sim.Advance(60000);
    telnet.on_line = device;
    telnet.on_connect = device_connect;

    ASSERT_GE(seen, c.nth);
    // The outlet command ran undisturbed, and the group run did not go on.
    EXPECT_EQ(After(telnet.written, switch_at), (Lines{"", "pw", "PON1"}));
    EXPECT_TRUE(SwitchButtonsBack());
    EXPECT_TRUE(boxes.shown.empty()) << (boxes.shown.empty() ? "" : boxes.shown[0].text);
    EXPECT_EQ(telnet.attempts.back().first, "10.0.0.2");
    EXPECT_NE(SendLog().back(), "ID003 接続中[10.0.0.3]");
  }
}

TEST_F(ScriptFixture, SessionStartedWhileAConnectionIsPendingAbandonsIt) {
  // The first connection attempt hangs; an outlet command starts meanwhile.
  telnet.accept = [this](const std::string& host, int) {
    if (host == "10.0.0.1") sim.Advance(4000);
    return true;
  };
  sim.Post(1000, [this] { OutletCommand(2, "PON1"); });
  GroupSend({"@zol", "a"}, {1, 3});
  sim.Advance(30000);
  EXPECT_TRUE(SwitchButtonsBack());
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(telnet.written, (Lines{"", "pw", "PON1"}));
  EXPECT_EQ(telnet.attempts.size(), 2u);
  EXPECT_EQ(table().Cell(dtcol::GroupSendResult, 1), "");
}

TEST_F(ScriptFixture, NewSessionDropsAConnectedOneWithoutAResult) {
  dev.silent_after_lines = 1;
  GroupSend({"@zol", "a"}, {1, 3});
  sim.Advance(2000);
  ASSERT_TRUE(telnet.Connected());
  dev.silent_after_lines = 0;
  OutletCommand(2, "PON1");
  sim.Advance(30000);
  EXPECT_EQ(table().Cell(dtcol::GroupSendResult, 1), "");
  EXPECT_TRUE(SwitchButtonsBack());
  EXPECT_EQ(telnet.attempts.size(), 2u);
}

// --- The overall bound of a session ---

// The bound leaves a slow device that answers every step in time, and
// scripts that wait long, their whole session.
TEST_F(ScriptFixture, SlowButTimelyDeviceWithLongWaitsEndsWellInsideItsBound) {
  app->settings().GrpTimeOut = 5000;
  dev.banner_ms = 4900;  // just before the connection's 5000 ms
  dev.reply_ms = 3500;   // every answer just before the watchdog's first nudge
  GroupSend({"@zol", "@wait 20000", "a", "@WAIT20000", "b"}, {1});
  const uint64_t bound = form5().SessionBound();
  const uint64_t start = sim.BootMillis();
  while (table().Cell(dtcol::GroupSendResult, 1).empty() && sim.BootMillis() - start < 10 * 60000) sim.Advance(100);
  EXPECT_EQ(Result(1), "○ 正常終了");
  EXPECT_GT(sim.BootMillis() - start, 40000u);  // the two waits took place
  EXPECT_LT(sim.BootMillis() - start, bound);
  EXPECT_EQ(std::count(telnet.written.begin(), telnet.written.end(), "q"), 1);
}

// Whatever is still under way when the bound passes ends as a time-out.
TEST_F(ScriptFixture, PassingTheBoundEndsTheSessionAsATimeOut) {
  for (int mode : {0, 1, 2}) {
    SCOPED_TRACE(mode);
    boxes.shown.clear();
    SwitchButtonsOff();
    table().SetCell(dtcol::GroupSendResult, 1, "");
    dev.ignore_close = true;       // a group session past its closing command
    dev.banner_only = mode != 2;  // the others waiting for the login
    if (mode == 0) {
      form5().Panel33.SetCaption("10.0.0.1");
      form5().Edit12.SetText("23");
      form5().MaskEdit1.SetText("pw");
      form5().BitBtn3Click();
    } else if (mode == 1) {
      OutletCommand(1, "PON1");
    } else {
      GroupSend({"@zol", "a"}, {1, 2});
    }
    sim.Advance(mode == 2 ? 1500 : 700);
    ASSERT_TRUE(form5().SessionLimit.Enabled());
    ASSERT_EQ(form5().ScriptClosed, mode == 2);
    form5().SessionLimit.Fire();
    if (mode == 2) {
      EXPECT_EQ(Result(1), "× タイムアウト");
      dev.ignore_close = false;
      sim.Advance(60000);
      EXPECT_EQ(Result(2), "○ 正常終了");
      EXPECT_EQ(BoxTexts(), Lines{"送信完了しました"});
    } else {
      EXPECT_EQ(BoxTexts(), Lines{"接続が出来ませんでした"});
      EXPECT_FALSE(form5().SessionLimit.Enabled());
      EXPECT_TRUE(form5().BitBtn3.Enabled());
      EXPECT_TRUE(SwitchButtonsBack());
      EXPECT_FALSE(telnet.Connected());
      sim.Advance(60000);
      EXPECT_EQ(boxes.shown.size(), 1u);
    }
    dev.banner_only = false;
  }
}

// --- Devices that misbehave ---

// What the device at 10.0.0.1 does, and how its session must end. The other
// devices behave.
struct Misbehaviour {
  const char* id;
  int mode;         // 0 identity read, 1 outlet command, 2 group script (devices 1 and 2)
  const char* ini;  // the settings file loaded first, or nullptr for GrpTimeOut 5000
  std::function<void(ScriptedDevice&)> behave;
  std::string outcome;       // the box of modes 0 and 1, device 1's result in mode 2
  uint64_t not_before_ms;    // the end comes no earlier, from the connection (0: any time)
};

void PrintTo(const Misbehaviour& m, std::ostream* os) { *os << m.id; }

// From the first line after the login on, no answer but piece every
// every_ms, until bytes have gone (0: no end).
std::function<void(ScriptedDevice&)> Streams(const std::string& piece, uint64_t every_ms, uint64_t bytes = 0) {
  return [piece, every_ms, bytes](ScriptedDevice& d) {
    d.stream_after_lines = 1;
    d.stream_piece = piece;
    d.stream_every_ms = every_ms;
    d.stream_bytes = bytes;
  };
}

const Misbehaviour kMisbehaviours[] = {
    {"PromptAfterEveryLineAndTheClosingCommand", 2, nullptr, [](ScriptedDevice& d) { d.prompt_on_close = true; },
     "○ 正常終了", 0},
    {"EndlessTextWithoutAPrompt", 2, nullptr, Streams("working...\r\n", 50), "× タイムアウト", 0},
    {"OneByteEvery900Ms", 2, nullptr, Streams(".", 900), "× タイムアウト", 0},
    {"OneByteEvery900MsAfterAnOutletCommand", 1, nullptr, Streams("-", 900), "接続が出来ませんでした", 0},
    {"EndlessTextDuringAnIdentityRead", 0, nullptr, Streams("reading...\r\n", 100), "接続が出来ませんでした", 0},
    {"A100MbLine", 2, nullptr, Streams(std::string(65536, 'x'), 1, 100u << 20), "× タイムアウト", 0},
    {"SilenceAfterLogin", 2, nullptr, [](ScriptedDevice& d) { d.silent_after_login = true; }, "× タイムアウト", 0},
    {"SilenceAfterLoginOfAnOutletCommand", 1, nullptr, [](ScriptedDevice& d) { d.silent_after_login = true; },
     "接続が出来ませんでした", 0},
    {"SilenceMidScript", 2, nullptr, [](ScriptedDevice& d) { d.silent_after_lines = 2; }, "× タイムアウト", 0},
    {"CloseMidScript", 2, nullptr, [](ScriptedDevice& d) { d.close_after_lines = 2; }, "× 切断", 0},
    // A peer that floods option requests and does not read: the client ends
    // the connection (the real client's part, tests/qt).
    {"PeerThatDoesNotReadIsClosedByTheClient", 2, nullptr,
     [](ScriptedDevice& d) {
       d.banner_only = true;
       d.close_after_ms = 1500;
     },
     "× 切断", 0},
    {"PeerThatDoesNotReadDuringAnOutletCommand", 1, nullptr,
     [](ScriptedDevice& d) {
       d.banner_only = true;
       d.close_after_ms = 1500;
     },
     "接続が出来ませんでした", 0},
    {"BannerAt4000MsWithGrpTimeOut5000", 1, "[SYSTEM]\r\nGRPTIMEOUT=5000\r\n",
     [](ScriptedDevice& d) {
       d.banner_only = true;
       d.banner_ms = 4000;
     },
     "接続が出来ませんでした", 4000 + 5000},
    {"GrpTimeOut0InTheFile", 1, "[SYSTEM]\r\nGRPTIMEOUT=0\r\n", [](ScriptedDevice& d) { d.banner_only = true; },
     "接続が出来ませんでした", 500 + 5000},
    {"GrpTimeOutMinus1InTheFile", 2, "[SYSTEM]\r\nGRPTIMEOUT=-1\r\n",
     [](ScriptedDevice& d) { d.banner_only = true; }, "× タイムアウト", 500 + 5000},
};

struct MisbehavingDevice : ScriptFixture, ::testing::WithParamInterface<Misbehaviour> {
  // Device behaviour back to the good one, then the case's for 10.0.0.1.
  void Behave(const std::string& host) {
    dev.prompt_on_close = false;
    dev.silent_after_login = false;
    dev.silent_after_lines = 0;
    dev.close_after_lines = 0;
    dev.close_after_ms = 0;
    dev.banner_only = false;
    dev.banner_ms = 20;
    dev.stream_after_lines = 0;
    if (host == "10.0.0.1") GetParam().behave(dev);
  }
};

TEST_P(MisbehavingDevice, SessionEndsWithinItsBoundAndWhatFollowsRuns) {
  const Misbehaviour& c = GetParam();
  app->settings().GrpTimeOut = 5000;
  if (c.ini) {
    std::string err;
    ASSERT_TRUE(WriteFileAtomic(dir.File("zolyab4.Ini"), c.ini, &err)) << err;
    app->Form2().IniLoad();
    app->settings().LogDir = dir.path();
  }
  std::string host;
  telnet.accept = [&](const std::string& h, int) {
    host = h;
    Behave(h);
    return true;
  };
  bool connected = false;
  uint64_t connected_at = 0;
  auto device_connect = telnet.on_connect;
  telnet.on_connect = [&, device_connect] {
    if (host == "10.0.0.1" && !connected) {
      connected = true;
      connected_at = sim.BootMillis();
    }
    device_connect();
  };
  Lines to_bad;  // every line written to the misbehaving device
  auto device_line = telnet.on_line;
  telnet.on_line = [&, device_line](const std::string& line) {
    if (host == "10.0.0.1") to_bad.push_back(line);
    device_line(line);
  };

  const Lines script{"@zol", "a", "b"};
  if (c.mode == 0) {
    form5().Panel33.SetCaption("10.0.0.1");
    form5().Edit12.SetText("23");
    form5().MaskEdit1.SetText("pw");
    form5().Panel20.SetCaption("4");
    form5().BitBtn3Click();
  } else if (c.mode == 1) {
    OutletCommand(1, "PON1");
  } else {
    GroupSend(script, {1, 2});
  }
  ASSERT_TRUE(connected);
  const uint64_t bound = form5().SessionBound();
  // Within the bound whatever the device does: at most a minute here.
  EXPECT_LE(bound, 60000u);

  auto ended = [&] { return c.mode == 2 ? !table().Cell(dtcol::GroupSendResult, 1).empty() : !boxes.shown.empty(); };
  size_t transcript = 0, buffer = 0;  // the most either held
  while (!ended() && sim.BootMillis() - connected_at < 30 * 60 * 1000) {
    sim.Advance(100);
    size_t bytes = 0;
    for (const std::string& line : form5().Memo2.All()) bytes += line.size();
    transcript = std::max(transcript, bytes);
    buffer = std::max(buffer, form5().TelnetBuffer.size());
  }
  const uint64_t took = sim.BootMillis() - connected_at;
  ASSERT_TRUE(ended()) << "no end after 30 simulated minutes";
  EXPECT_LE(took, bound);
  EXPECT_GE(took + 100, c.not_before_ms);
  const int closings = static_cast<int>(std::count(to_bad.begin(), to_bad.end(), "q"));
  EXPECT_LE(closings, 1);
  // Memory: the transcript a bounded tail, the buffer one received piece.
  EXPECT_LE(transcript, (Transcript::kMaxLines + Transcript::kSlackLines + 65536 / Transcript::kLineBytes + 1) *
                            (Transcript::kLineBytes + 1));
  EXPECT_LE(buffer, 65536u);
  if (dev.stream_bytes > 0) {
    EXPECT_EQ(dev.streamed, dev.stream_bytes);  // all of it came during the session
  }

  if (c.mode == 2) {
    EXPECT_EQ(Result(1), c.outcome);
    // The run goes on: the next device succeeds and the run ends with its
    // log file, the device file and the send button back.
    sim.Advance(2 * bound);
    EXPECT_EQ(Result(2), "○ 正常終了");
    EXPECT_EQ(BoxTexts(), Lines{"送信完了しました"});
    EXPECT_EQ(SendLog().back(), "終了 [成功 " + std::to_string(c.outcome == "○ 正常終了" ? 2 : 1) + " 失敗 " +
                                    std::to_string(c.outcome == "○ 正常終了" ? 0 : 1) + "]");
    EXPECT_TRUE(group().BitBtn5.Enabled());
    const std::string& end = app->settings().GrpLastTimeE;
    ASSERT_EQ(end.size(), 19u);
    EXPECT_TRUE(FileExists(dir.File("gs" + end.substr(0, 4) + end.substr(5, 2) + end.substr(8, 2) + end.substr(11, 2) +
                                    end.substr(14, 2) + end.substr(17, 2) + ".log")));
    EXPECT_NE(ReadAll(dir.File("zolyab4.dat")).find(table().Cell(dtcol::GroupSendResult, 1)), std::string::npos);
  } else {
    EXPECT_EQ(BoxTexts(), Lines{c.outcome});
    EXPECT_TRUE(form5().BitBtn3.Enabled());
    if (c.mode == 1) {
      EXPECT_TRUE(SwitchButtonsBack());
    }
    // Nothing of it is left: later the box stays alone, and the next
    // command runs.
    sim.Advance(2 * bound);
    EXPECT_EQ(boxes.shown.size(), 1u);
    SwitchButtonsOff();
    telnet.written.clear();
    OutletCommand(2, "POF2");
    sim.Advance(10000);
    EXPECT_EQ(telnet.written, (Lines{"", "pw", "POF2"}));
    EXPECT_TRUE(SwitchButtonsBack());
    EXPECT_EQ(boxes.shown.size(), 1u);
  }
  telnet.on_connect = device_connect;
  telnet.on_line = device_line;
}

INSTANTIATE_TEST_SUITE_P(Table, MisbehavingDevice, ::testing::ValuesIn(kMisbehaviours),
                         [](const ::testing::TestParamInfo<Misbehaviour>& info) { return std::string(info.param.id); });

}  // namespace
}  // namespace zol
