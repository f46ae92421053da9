// The device-table window (Form4, caption "通信debug"): owns the console's
// live data - the device table, the unregistered list, the record ring, the
// receive text and the live record text - and the debug tools on them.
#pragma once

#include <string>
#include <vector>

#include "common/controls.h"
#include "monitor/item_index.h"

namespace zol {

class App;

class DebugWindow : public Form {
 public:
  explicit DebugWindow(App& app);

  App& app;

  // --- Record parser (monitor/record_parser.cpp) ---
  void RevDataLoging();

  // --- Device table and registration match (monitor/device_table.cpp) ---
  void DataInviteCheck(int ring_row);
  void LastDataCnt();

  // --- Change detection and alerts (monitor/change_detection.cpp) ---
  // Hands the collected notice lines to mail sending, one mail per device,
  // within the daily limit, and returns: the mails go out beside the
  // window, and a mail error reaches the mail form's error box later.
  void eMailSend1(int row);

  // --- Debug tools (monitor/debug_window.cpp) ---
  void FormCreate();    // grid headers, sample datagram, counters
  void BitBtn1Click();  // row dump "吐き出し"
  void BitBtn2Click();  // test injection "追加"
  void StringGrid2ColDelete(int row);

  // --- Device and group data files (monitor/data_files.cpp) ---
  // Each returns false after the error box when a file cannot be written or
  // read; the caller then stops.
  bool SettingDataSave();
  bool SettingDataLoad();
  // A data file that the load could not read whole (an error, a folder in
  // its place, more than 999 device blocks, or not reached after the device
  // file failed) is never written again in this run, so what it holds is not
  // replaced by the part that was read.
  bool DatFileHeld = false;
  bool LstFileHeld = false;

  Label Label1;  // LastRow "/" UsedRows
  Label Label2;  // "Max: " UsedRows
  Memo Memo1;    // receive text (RecordText of the last datagram)
  Memo Memo2;    // live record text
  Memo Memo3;    // row dump output
  Memo RichEdit1;  // line buffer of the device file
  Grid StringGrid1{70, 1000};  // DeviceTable
  Grid StringGrid2{70, 2};     // UnregList
  Grid StringGridBuff{70, 21};  // ring of the last 20 live records: row = slot 1..20
  int StringGridBuffTag = 0;    // slot last written
  Memo Memo4;   // sample RecordText of the test injection
  Edit Edit1;   // IdentRecord line of the next test datagram
  Edit Edit2;   // sender address of the test datagram
  Button BitBtn1;  // "吐き出し" (row dump)
  Button BitBtn2;  // "追加" (test injection)

  // The strings of the live record before the last, reused by the parser.
  std::vector<std::string> live_scratch_;
  std::string prev_recv_;  // the PrevRecv text being made

  int CaptureNo = 0;
  int LiveColumnOffset = 20;
  int LastRow = 0;
  MacIndex mac_index;  // the match's rows by MAC
  int UsedRows = 0;
  bool UnregGuard = true;
  int TestCounter = 0;
};

}  // namespace zol
