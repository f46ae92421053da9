// The incremental road against the plain one: two consoles on the same
// simulated clock and the same files take one long random sequence - datagrams
// of registered and unknown devices with random states (enough unknown ones
// to fill the unregistered list) and of the older 182-byte layout, time
// passing across time-outs with the scan running, filter buttons, monitoring
// start and stop, rows edited, added and deleted, icons added and deleted
// singly, the mail switch and limit, icon double-clicks, the detail window's
// and the chart's device, the time-out setting, the table's row count, and
// long runs of edits that take the table's write history past its limit -
// and after every step show the same icons, counters, status bar, log lines,
// receive list, table, tree, detail window, temperature history and chart,
// sounds and mails, and their log files hold the same bytes.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/files.h"
#include "console/app.h"
#include "console/chart_window.h"
#include "console/detail_window.h"
#include "console/device_tree.h"
#include "console/main_window.h"
#include "monitor/debug_window.h"
#include "monitor/device_table.h"
#include "support/app_fixture.h"
#include "support/datagram_hex.h"
#include "support/fake_smtp.h"
#include "support/sim_platform.h"

namespace zol {
namespace {

constexpr int kDevices = 12;
// The last device sends the older 182-byte layout: terminal ID kLegacyId.
constexpr int kLegacyRow = kDevices;
constexpr std::uint16_t kLegacyId = 0x0C;

// The MAC the console gives a device of the older layout.
std::string LegacyMac(std::uint16_t id) {
  char mac[32];
  std::snprintf(mac, sizeof mac, "FF:FF:FF:00:%02X:%02X", (id >> 8) & 0xFF, id & 0xFF);
  return mac;
}

std::string MacText(int suffix) {
  char mac[32];
  std::snprintf(mac, sizeof mac, "02:5A:3C:%02X:%02X:%02X", (suffix >> 16) & 0xFF, (suffix >> 8) & 0xFF, suffix & 0xFF);
  return mac;
}

std::string Digits(std::mt19937& rng, const std::string& alphabet, size_t n) {
  std::string out;
  for (size_t k = 0; k < n; ++k) out += alphabet[rng() % alphabet.size()];
  return out;
}

// A device block of the device file with random kinds, flags and names.
std::vector<std::string> RandomBlock(std::mt19937& rng, int row) {
  const char* names[] = {"Router", "Web", "DB", "Sensor", "Rack-A-Intake", "温度計", "Out7", "Out8"};
  std::string outlet_names;
  for (int i = 0; i < 8; ++i) outlet_names += std::string(names[(rng() + static_cast<unsigned>(i)) % 8]) + ",";
  return {row == kLegacyRow ? LegacyMac(kLegacyId) : MacText(row),
          "20",
          "",
          rng() % 6 == 0 ? "" : std::to_string(1 + rng() % 8) + ",4",
          "telnet,192.168.0.1,23,,23,1,1,1",
          "",
          Digits(rng, "01", 8),
          Digits(rng, "0111", 8),
          Digits(rng, "00112225", 8),
          "Dev" + std::to_string(row),
          outlet_names,
          "G001 グループ1",
          "memo",
          "",
          "",
          Digits(rng, "01", 5) + "000 " + Digits(rng, "01", 4) + "0000",
          "",
          rng() % 4 == 0 ? "junk" : "0009 0009 0009 0009 0009 0009 0009 0009 ",
          "",
          ""};
}

// A datagram of device suffix with random states.
std::string RandomDatagram(std::mt19937& rng, int suffix, std::uint32_t sequence) {
  const size_t n = 8;
  std::vector<sim::OutletWords> outlets(n);
  for (sim::OutletWords& o : outlets) o.b = static_cast<std::uint16_t>(rng() % 2);
  std::vector<sim::PingBlock> blocks(n);
  for (sim::PingBlock& b : blocks) {
    b.f = {1, static_cast<std::uint16_t>(rng() % 4), 10, 10, 4, static_cast<std::uint16_t>(rng() % 5 ? 1 : 0), 1, 1, 0};
    b.targets.assign(4, sim::TargetEntry{});
    if (rng() % 4 == 0) b.targets[rng() % 4].no_response = static_cast<std::uint16_t>(1 + rng() % 3);
  }
  sim::TempFields t;
  for (size_t i = 0; i < n; ++i) t.actions.push_back(static_cast<std::uint8_t>(rng() % 5));
  t.status = static_cast<std::uint8_t>(rng() % 6 == 0 ? 9 : rng() % 5);
  t.cur_temp = static_cast<std::int16_t>(1500 + rng() % 3000);
  return Wire(sim::StatusDatagram(sim::Header(sequence),
                                  {sim::IdentRecord(FamilyMac(static_cast<std::uint32_t>(suffix))),
                                   sim::OutletRecord(outlets), sim::PingRecord(blocks, 4, 4), sim::TempRecord(t),
                                   sim::Rec0811(8), sim::Rec0812()}));
}

// A datagram of the older 182-byte layout from terminal id, random states.
std::string RandomLegacyDatagram(std::mt19937& rng, std::uint16_t id) {
  std::array<sim::OutletWords, 4> outlets;
  for (sim::OutletWords& o : outlets) o.b = static_cast<std::uint16_t>(rng() % 2);
  std::array<sim::LegacyPingBlock, 4> ping;
  for (sim::LegacyPingBlock& b : ping) {
    b.f = {1, static_cast<std::uint16_t>(rng() % 4), 10, 10, 4, static_cast<std::uint16_t>(rng() % 5 ? 1 : 0), 1, 1, 0};
    if (rng() % 4 == 0) b.no_response[rng() % 3] = static_cast<std::uint16_t>(1 + rng() % 3);
  }
  return Wire(sim::LegacyDatagram(id, outlets, ping));
}

// One console of the pair.
struct Side {
  explicit Side(bool plain) {
    f.sim.SetBootMillis(3600 * 1000);
    f.sim.SetNow(DateTime{2024, 5, 1, 23, 50, 0});
    f.app->icons().PlainRoad = plain;
    f.app->system_log().PlainLogSave = plain;
    // The fast side's lines go to the helper thread whenever it can take
    // them: the files compared after each step show every line is in when
    // its datagram's processing ends.
    if (!plain) f.app->system_log().log_files.SetHelper(LineWriter::Helper::Always);
    f.smtp.OnSend = [this](const SmtpMail& mail) { mails.push_back(MailBodyLines(mail)); };
  }
  MainWindow& w() { return f.app->Form2(); }
  Grid& table() { return f.app->Form4().StringGrid1; }
  void Load(const std::vector<std::string>& ini, const std::vector<std::string>& dat) {
    std::string err;
    ASSERT_TRUE(WriteFileAtomic(f.dir.File("zolyab4.Ini"), CrLf(ini), &err)) << err;
    ASSERT_TRUE(WriteFileAtomic(f.dir.File("zolyab4.dat"), CrLf(dat), &err)) << err;
    ASSERT_TRUE(WriteFileAtomic(f.dir.File("zolyab4.lst"), CrLf({"G001 グループ1", "G000 未登録グループ"}), &err)) << err;
    w().IniLoad();
    w().LogDir = f.dir.path();
    UsableMailSettings(w());
    ASSERT_TRUE(f.app->Form4().SettingDataLoad());
    f.app->tree().ReStetingData();
  }
  // The scan is run by the test at the moments it chooses, the same on
  // both sides (a 1 ms timer would fire once per simulated millisecond).
  void StopScanTimer() { w().monitoring.Timer4.SetEnabled(false); }
  bool Monitoring() { return w().monitoring.ToolButton2.Enabled(); }

  // Everything the operator and the world can see, as text.
  std::vector<std::string> Seen() {
    std::vector<std::string> out;
    const IconList& view = w().icons.ListView1;
    out.push_back("icons " + std::to_string(view.Count()) + " selected " + std::to_string(view.Selected()));
    for (size_t k = 0; k < view.Count(); ++k) {
      const IconItem& icon = view.Item(k);
      out.push_back(icon.key + "|" + std::to_string(icon.image) + "|" + icon.caption);
    }
    std::string keys = "keys";
    for (const std::string& k : w().icons.KeyList) keys += " " + k;
    out.push_back(keys);
    const Panel* counters[] = {&w().icons.Panel12, &w().icons.Panel13, &w().icons.Panel14,
                               &w().icons.Panel15, &w().icons.Panel17, &w().icons.Panel19};
    std::string line = "counters";
    for (const Panel* p : counters) line += " " + p->Caption();
    out.push_back(line);
    for (size_t p = 0; p < 5; ++p) out.push_back("status " + w().icons.StatusBar1.Panel(p));
    for (size_t k = 0; k < w().system_log.ListBox2.Count(); ++k) out.push_back(w().system_log.ListBox2.Line(k));
    for (size_t k = 0; k < w().receive.ListBox1.Count(); ++k) out.push_back(w().receive.ListBox1.Line(k));
    out.push_back("time " + w().receive.RefTimePanel.Caption());
    for (int r = 0; r <= kDevices + 3; ++r) {
      for (int c = 0; c < 65; ++c) out.push_back(table().Cell(c, r));
    }
    const Grid& unreg = f.app->Form4().StringGrid2;
    out.push_back("unreg " + std::to_string(unreg.RowCount()));
    for (int r = 0; r < unreg.RowCount(); ++r) out.push_back(unreg.Cell(5, r));
    for (const TreeNode* n : f.app->tree().TreeView1.Nodes())
      out.push_back("node " + n->Text() + "|" + std::to_string(n->ImageIndex()));
    for (const std::string& s : f.sound.calls) out.push_back(s.substr(0, 4));
    out.push_back("mails " + std::to_string(mails.size()) + " count " + std::to_string(w().alerts.MailCount));
    for (const auto& mail : mails) {
      for (const std::string& l : mail) out.push_back(l);
    }
    for (const auto& box : f.boxes.shown) out.push_back("box " + box.text);
    // The detail window (refilled for DetailDevice), the temperature
    // history of TempDevice and the chart.
    const ReceiveView& receive = w().receive;
    out.push_back("detail " + std::to_string(receive.DetailDevice) + " temp " + std::to_string(w().TempDevice) + " " +
                  receive.TempLabel.Caption() + (receive.Panel21.Visible() ? " shown" : " hidden"));
    for (const std::string& h : receive.TempHistory) out.push_back("history " + h);
    DetailWindow& detail = f.app->Form6();
    out.push_back("detail " + detail.NamePanel.Caption() + "|" + detail.DatePanel.Caption() + "|" +
                  detail.MacAddrPanel.Caption() + "|" + detail.IpaddrPanel.Caption() + "|" +
                  detail.TempLabel.Caption() + "|" + std::to_string(detail.OverlayRow));
    for (size_t i = 1; i <= 8; ++i) out.push_back(detail.OlNamePanel[i].Caption());
    for (const Grid* g : {&detail.OlGrid, &detail.OlGrid2}) {
      for (int r = 0; r < g->RowCount(); ++r) {
        for (int c = 0; c < g->ColCount(); ++c) out.push_back(g->Cell(c, r));
      }
    }
    const ChartWindow& chart = f.app->Form11();
    out.push_back("chart " + std::to_string(chart.ChartActive) + " lines " + std::to_string(chart.Memo1.Count()));
    for (const std::string& t : chart.Chart1.Title()) out.push_back("title " + t);
    for (size_t k = 0; k < chart.Chart1.SeriesCount(); ++k) {
      for (const ChartPoint& p : chart.Chart1.Points(k))
        out.push_back(std::to_string(k) + " " + std::to_string(p.x) + " " + std::to_string(p.y) + " " + p.label);
    }
    return out;
  }

  // The log files, read again only where their size changed since the
  // last look (they only grow): cheap enough for every step.
  const std::map<std::string, std::string>& LogFilesNow() {
    if (DIR* d = ::opendir(f.dir.path().c_str())) {
      while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (!(name.size() > 4 && (name.compare(name.size() - 4, 4, ".csv") == 0 || name.rfind("syslog", 0) == 0)))
          continue;
        struct stat st;
        const std::string path = f.dir.File(name);
        if (::stat(path.c_str(), &st) != 0) continue;
        std::string& bytes = log_cache[name];
        if (bytes.size() != static_cast<size_t>(st.st_size)) bytes = ReadAll(path);
      }
      ::closedir(d);
    }
    return log_cache;
  }

  // The log files: name and bytes.
  std::vector<std::string> LogFiles() {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(f.dir.path().c_str())) {
      while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() > 4 && (name.compare(name.size() - 4, 4, ".csv") == 0 || name.rfind("syslog", 0) == 0))
          names.push_back(name);
      }
      ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> out;
    for (const std::string& n : names) out.push_back(n + "\n" + ReadAll(f.dir.File(n)));
    return out;
  }

  AppFixture f;
  std::vector<std::vector<std::string>> mails;
  std::map<std::string, std::string> log_cache;
};

// One random run of steps steps from seed; fails at the first step after
// which the two consoles differ. Returns how often the table's write
// history was taken past its limit.
int RunPair(unsigned seed, int steps) {
  std::mt19937 rng(seed);
  Side plain(true), quick(false);
  Side* sides[2] = {&plain, &quick};
  auto both = [&](const std::function<void(Side&)>& step) {
    for (Side* s : sides) step(*s);
  };

  std::vector<std::string> dat;
  std::vector<std::vector<std::string>> blocks;
  for (int r = 1; r <= kDevices; ++r) {
    blocks.push_back(RandomBlock(rng, r));
    dat.insert(dat.end(), blocks.back().begin(), blocks.back().end());
  }
  const std::vector<std::string> ini = {"[SYSTEM]", "PORT=5000",    "LTIME=1",  "[SYSLOG]", "MODE=1",
                                        "SAVE=1",   "[SOUND]",      "FLG_W=1",  "FLG_A=1",  "FLG_R=1",
                                        "FLG_T=1",  "[EMAIL]",      "FLAG00=1", "DATA07=1"};
  for (Side* s : sides) {
    s->Load(ini, dat);
    if (::testing::Test::HasFatalFailure()) return 0;
    s->w().MailLimit = "40";
  }
  both([](Side& s) {
    s.w().monitoring.ToolButton1Click();
    s.StopScanTimer();
  });

  std::uint32_t sequence = 0;
  std::string last_step;
  int history_limits = 0;
  int next_unknown = 0;
  // A datagram as the port takes it while monitoring runs, else the way
  // the manual entry hands it over.
  auto deliver = [&](const std::string& datagram, const std::string& ip) {
    both([&](Side& s) { s.f.udp.Deliver(datagram, ip, 2100); });
    if (plain.Monitoring() == false) {
      both([&](Side& s) { s.w().reception.NMUDP1DataReceived(datagram, ip, 2100); });
    }
  };
  auto registered = [&](int suffix) {
    deliver(RandomDatagram(rng, suffix, ++sequence), "192.168.0." + std::to_string(suffix));
  };
  for (int step = 0; step < steps; ++step) {
    const unsigned pick = rng() % 100;
    if (pick < 38) {
      // A datagram of a registered device (or one beyond the table).
      const int suffix = 1 + static_cast<int>(rng() % (kDevices + 2));
      last_step = "datagram of " + std::to_string(suffix);
      registered(suffix);
    } else if (pick < 43) {
      // Unknown devices, more than the unregistered list holds.
      const int count = 1 + static_cast<int>(rng() % 8);
      last_step = std::to_string(count) + " unknown datagrams";
      for (int k = 0; k < count; ++k) {
        // New devices in turn (110 of them, more than the list holds), or
        // one heard before.
        const int suffix = 0x100 + (rng() % 2 ? next_unknown++ % 110 : static_cast<int>(rng() % 110));
        const std::string datagram = RandomDatagram(rng, suffix, ++sequence);
        both([&](Side& s) { s.w().reception.NMUDP1DataReceived(datagram, "10.0.0.1", 2100); });
      }
    } else if (pick < 46) {
      // The older layout: the registered device, or an unknown one.
      const std::uint16_t id = rng() % 3 == 0 ? kLegacyId + 1 : kLegacyId;
      const std::string datagram = RandomLegacyDatagram(rng, id);
      if (datagram.size() != 182) {
        ADD_FAILURE() << "a datagram of the older layout has " << datagram.size() << " bytes";
        return history_limits;
      }
      last_step = "182-byte datagram of " + std::to_string(id);
      deliver(datagram, "192.168.1.12");
    } else if (pick < 62) {
      // Time passes, the scan running every so often; now and then across
      // a time-out.
      const unsigned long total = rng() % 5 == 0 ? 40000 + rng() % 200000 : rng() % 3000;
      last_step = "time " + std::to_string(total);
      for (unsigned long done = 0; done < total;) {
        const unsigned long chunk = std::min<unsigned long>(total - done, 200 + rng() % 2000);
        done += chunk;
        both([&](Side& s) {
          s.f.sim.Advance(chunk);
          if (s.Monitoring() && s.w().TimeOutMin != 0) s.w().monitoring.Timer4Timer();
        });
      }
    } else if (pick < 68) {
      const size_t b = rng() % 8;
      last_step = "filter " + std::to_string(b);
      both([&](Side& s) {
        IconView& icons = s.w().icons;
        if (b == 0) {
          icons.ToolButton3Click();
          return;
        }
        icons.ToolButtonChk[b].SetDown(!icons.ToolButtonChk[b].Down());
        icons.ToolButtonChk1Click();
      });
    } else if (pick < 70) {
      last_step = "start/stop";
      both([](Side& s) {
        if (s.Monitoring()) {
          s.w().monitoring.ToolButton2Click();
        } else {
          s.w().monitoring.ToolButton1Click();
          s.StopScanTimer();
        }
      });
    } else if (pick < 77) {
      // A row edited, deleted or added, as the editor and the tree
      // operations write it.
      const int r = 1 + static_cast<int>(rng() % (kDevices + 2));
      const unsigned what = rng() % 8;
      const int col_choice[] = {dtcol::IconFlags, dtcol::ItemKinds, dtcol::OutletNames, dtcol::NotifyFlags,
                                dtcol::OutletInfo, dtcol::LogFlags};
      const int col = col_choice[rng() % 6];
      std::string value;
      if (col == dtcol::OutletInfo) value = std::to_string(rng() % 9) + ",4";
      else if (col == dtcol::OutletNames) value = "A,Bb,温度,Dddddddddddddd,E,F,G,H,";
      else if (col == dtcol::NotifyFlags) value = Digits(rng, "01", 5) + "000 " + Digits(rng, "01", 4) + "0000";
      else value = Digits(rng, col == dtcol::ItemKinds ? "0123" : "01", 8);
      const std::vector<std::string> block = RandomBlock(rng, r);
      last_step = "edit row " + std::to_string(r) + " kind " + std::to_string(what);
      both([&](Side& s) {
        Grid& t = s.table();
        if (what == 0) {
          for (int c = 0; c < t.ColCount(); ++c) t.SetCell(c, r, std::string());  // deleted
        } else if (what == 1) {
          for (int c = 1; c <= 20; ++c) t.SetCell(c, r, block[static_cast<size_t>(c - 1)]);  // added
          t.SetCell(dtcol::ItemImages, r, "0009 0009 0009 0009 0009 0009 0009 0009 ");
        } else if (what == 2) {
          t.SetCell(dtcol::MacAddress, r, MacText(r % kDevices + 1));  // two rows with one MAC
        } else {
          t.SetCell(col, r, value);
        }
        s.f.app->Form4().LastDataCnt();
      });
    } else if (pick < 79) {
      // The editor's store: a device's icons deleted and added singly.
      const int r = 1 + static_cast<int>(rng() % kDevices);
      last_step = "icons of " + std::to_string(r) + " singly";
      both([&](Side& s) {
        for (int i = 1; i <= 8; ++i) s.w().icons.ListDataDel(r, i);
        const std::string& flags = s.table().Cell(dtcol::IconFlags, r);
        for (int i = 1; i <= 8 && static_cast<size_t>(i) <= flags.size(); ++i)
          if (flags[static_cast<size_t>(i - 1)] == '1') s.w().icons.ListDataNew(r, i);
      });
    } else if (pick < 82) {
      const unsigned what = rng() % 3;
      const std::string limit = std::to_string(rng() % 60);
      last_step = "mail " + std::to_string(what);
      both([&](Side& s) {
        if (what == 0) s.w().MailOn = !s.w().MailOn;
        else if (what == 1) s.w().MailLimit = limit;
        else s.w().alerts.MailCount = 0;
      });
    } else if (pick < 87) {
      // The detail window's device (its window opened or closed), the
      // charted device, the chart window.
      const unsigned what = rng() % 4;
      const int r = static_cast<int>(rng() % (kDevices + 2));
      last_step = "detail/chart " + std::to_string(what) + " of " + std::to_string(r);
      both([&](Side& s) {
        if (what == 0) {
          if (r > 0) s.f.app->Form6().OpenDevice(r);
        } else if (what == 1) {
          s.f.app->Form6().Close();
        } else if (what == 2) {
          s.w().TempDevice = r;
        } else if (s.f.app->Form11().ChartActive) {
          s.f.app->Form11().Close();
        } else {
          s.w().icons.BitBtn1Click();
        }
      });
    } else if (pick < 90) {
      const int minutes = static_cast<int>(rng() % 4);
      last_step = "time-out " + std::to_string(minutes) + " min";
      both([&](Side& s) { s.w().TimeOutMin = minutes; });
    } else if (pick < 92) {
      // The table's row count: rows dropped at its end, or empty ones added.
      const int rows = rng() % 2 ? 1000 : kDevices - 2 + static_cast<int>(rng() % 30);
      last_step = "table rows " + std::to_string(rows);
      both([&](Side& s) {
        s.table().SetRowCount(rows);
        s.f.app->Form4().LastDataCnt();
      });
    } else if (pick < 93) {
      // The write history past its limit: edits that nothing reads (the
      // memos of rows 1 and 2 in turn) until the history drops its older
      // half, as seen on the quick side (the same edits on both); every
      // reader then reads (a datagram of D), visible edits follow (D's icon
      // flags, X's item images), then more than half a history of unread
      // edits, then the readers again (a datagram of W). An entry lost at a
      // drop shows as a difference.
      const int d = 3 + static_cast<int>(rng() % 7), x = 3 + (d - 3 + 1 + static_cast<int>(rng() % 6)) % 7;
      int wr = 3;
      while (wr == d || wr == x) ++wr;
      last_step = "history past its limit, D " + std::to_string(d) + " X " + std::to_string(x);
      auto memo = [](Side& s, int n) { s.table().SetCell(dtcol::DeviceMemo, 1 + n % 2, "memo" + std::to_string(n % 3)); };
      Grid& t = quick.table();
      std::vector<int> written;
      int n = 0;
      bool held = false;
      for (; n < 20000; ++n) {
        memo(quick, n);
        if (n < 2050) continue;
        // The revision 2050 edits back is still in the history until it drops.
        const bool holds = t.RowsWrittenSince(t.CellRevision() - 2050, &written);
        if (held && !holds) break;
        held = holds;
      }
      if (n == 20000) {
        ADD_FAILURE() << "seed " << seed << " step " << step << ": the history never dropped its older half";
        return history_limits;
      }
      ++history_limits;
      for (int k = 0; k <= n; ++k) memo(plain, k);
      registered(d);
      const std::string images = rng() % 2 ? "0002 0002 0002 0002 0002 0002 0002 0002 " : "0008 0008 0008 0008 0008 0008 0008 0008 ";
      both([&](Side& s) {
        std::string flags = s.table().Cell(dtcol::IconFlags, d);
        if (!flags.empty()) flags[0] = flags[0] == '1' ? '0' : '1';
        s.table().SetCell(dtcol::IconFlags, d, flags);
        s.table().SetCell(dtcol::ItemImages, x, images);
        for (int k = 0; k < 2100; ++k) memo(s, k);
      });
      registered(wr);
    } else {
      // An icon selected, then perhaps double-clicked.
      const unsigned which = rng();
      const bool dbl = rng() % 2 == 0;
      last_step = dbl ? "double-click" : "select";
      both([&](Side& s) {
        IconView& icons = s.w().icons;
        icons.ListView1.SetSelected(icons.ListView1.Count() ? static_cast<int>(which % icons.ListView1.Count()) : -1);
        icons.ListView1SelectItem();
        if (dbl) icons.ListView1DblClick();
      });
    }
    const std::vector<std::string> a = plain.Seen(), b = quick.Seen();
    if (a != b) {
      size_t k = 0;
      while (k < a.size() && k < b.size() && a[k] == b[k]) ++k;
      ADD_FAILURE() << "seed " << seed << " step " << step << " (" << last_step << "): first difference at line " << k
                    << ":\n plain: " << (k < a.size() ? a[k] : "(end)") << "\n quick: " << (k < b.size() ? b[k] : "(end)");
      return history_limits;
    }
    if (plain.LogFilesNow() != quick.LogFilesNow()) {
      ADD_FAILURE() << "seed " << seed << " step " << step << " (" << last_step << "): the log files differ";
      return history_limits;
    }
  }
  EXPECT_EQ(plain.LogFiles(), quick.LogFiles()) << "seed " << seed;
  // The run went through what it is meant to cover.
  EXPECT_GT(plain.mails.size(), 0u);
  bool timed_out = false;
  for (const std::string& l : plain.Seen()) timed_out = timed_out || l.find("TimeOut") != std::string::npos;
  EXPECT_TRUE(timed_out);
  EXPECT_EQ(plain.f.app->Form4().StringGrid2.RowCount(), 100) << "the unregistered list filled";
  return history_limits;
}

TEST(RoadDifferentialTest, IncrementalRoadShowsWhatThePlainRoadShows) {
  int history_limits = 0;
  for (unsigned seed : {1u, 2u, 3u}) {
    history_limits += RunPair(seed, 900);
    if (::testing::Test::HasFailure()) return;
  }
  std::printf("the table's write history went past its limit %d times\n", history_limits);
  EXPECT_GT(history_limits, 0);
}

}  // namespace
}  // namespace zol
