// The device table and the unregistered list: column numbers of a device
// row and the small texts built from it.
#pragma once

#include <array>
#include <string>

#include "common/controls.h"

namespace zol {

// The outlets a device row can show, evaluate and log: its eight flag
// characters and the eight slots of ItemImages. Devices have 2, 4 or 8
// outlets; a larger count in OutletInfo or in a datagram (a damaged device
// file, a forged datagram) is taken as 8, so no row costs more than eight
// items and every icon key keeps its four-digit outlet.
constexpr int kOutletSlots = 8;

// Columns of a device-table row (Form4.StringGrid1). Row R is device R.
namespace dtcol {
constexpr int MacAddress = 1;
constexpr int LiveBase = 2;
constexpr int OutletInfo = 4;
constexpr int ConnectInfo = 5;
constexpr int IpAddress = 6;
constexpr int LogFlags = 7;
constexpr int IconFlags = 8;
constexpr int ItemKinds = 9;
constexpr int DeviceName = 10;
constexpr int OutletNames = 11;
constexpr int GroupName = 12;
constexpr int DeviceMemo = 13;
constexpr int GroupSendResult = 14;
constexpr int DeviceInfo = 15;
constexpr int NotifyFlags = 16;
constexpr int TmpActionCopy = 17;
constexpr int ItemImages = 18;
constexpr int PrevRecv = 19;
constexpr int RecvTick = 20;
// Column 21 + k holds live field Lk.
constexpr int Live = 21;
constexpr int RecvDate = 21;
constexpr int RecvTime = 22;
constexpr int SrcIp = 23;
constexpr int SrcMac = 25;
constexpr int OlCount = 26;
constexpr int OlWordA = 27;
constexpr int OlWordB = 28;
constexpr int OlWordC = 29;
constexpr int PngOutlets = 30;
constexpr int PngTargets = 31;
constexpr int PngPower = 32;
constexpr int PngJudge = 33;
constexpr int PngSendNum = 34;
constexpr int PngNoRespLimit = 35;
constexpr int PngTargetNum = 36;
constexpr int PngAction = 37;
constexpr int PngExecNum = 40;
constexpr int PngNoResp = 41;
constexpr int PngNoResp2 = 42;
constexpr int TempEnabled = 44;
constexpr int TestMode = 45;
constexpr int TestSimMode = 46;
constexpr int TmpActions = 48;
constexpr int LowerAlarm = 49;
constexpr int LowerCaution = 50;
constexpr int LowerHys = 51;
constexpr int LowerOff = 52;
constexpr int UpperAlarm = 54;
constexpr int UpperCaution = 55;
constexpr int UpperHys = 56;
constexpr int UpperOff = 57;
constexpr int Status = 59;
constexpr int ActionStatus = 60;
constexpr int CurTemp = 61;
}  // namespace dtcol

// Number of live fields (L0 to L43).
constexpr int kLiveFields = 44;

// The unregistered list stops growing at this many rows (header included).
constexpr int kUnregMaxRows = 100;

// Lines kept in the receive list.
constexpr size_t kRecvLogLines = 20;

// "ID" + the device ID in three digits: ID007.
std::string DeviceIdText(int row);

// The label of a receive-list line before the device part: "[" + ip + "]"
// padded with blanks, cut to 17 characters.
std::string RecvLabel(const std::string& ip);

// One line of the receive list.
std::string RecvLogLine(const std::string& date, const std::string& time, const std::string& label);

// What the registration match (DebugWindow::DataInviteCheck) shows and
// keeps on the main window: the receive list under the icon view, the
// update-time panel, the charted device's temperature and its history, and
// the device of the detail window.
class ReceiveView {
 public:
  ReceiveView();

  ListBox ListBox1;    // receive list, 20 newest on top
  Panel RefTimePanel;  // "更新時刻"
  Panel Panel21;       // temperature panel
  Label TempLabel;     // charted device's temperature
  // Temperature history of the charted device, index 0 newest.
  std::array<std::string, 100> TempHistory;
  // Device row shown in the detail window, 0 for none.
  int DetailDevice = 0;
};

}  // namespace zol
