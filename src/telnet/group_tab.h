// The group tab "グループ" of the main window: what a group send shares with
// the session engine - the send log, its counters and status, the send
// queue and the saved send log file.
#pragma once

#include <string>

#include "common/controls.h"
#include "common/platform.h"

namespace zol {

class App;

class GroupTab {
 public:
  explicit GroupTab(App& app);
  GroupTab(const GroupTab&) = delete;
  GroupTab& operator=(const GroupTab&) = delete;

  App& app;

  Memo Memo2;       // Form2.Memo2: the send log
  Panel Panel24;    // 成功: successes of the run
  Panel Panel29;    // 失敗: failures of the run
  Panel Panel27;    // status text: "送信開始", "送信完了"
  Button BitBtn5;   // "送信開始"

  int GrpOkCount = 0, GrpNgCount = 0;

  // Count of queued devices, position of the current one (from 1), then the
  // queued device IDs as three-digit texts.
  std::string SendQueue;
  // Operation 0: the current device ID (0 for none); also loads the
  // engine's SessionPassword and SessionPort of that device. Operation 1:
  // advances and returns the next device ID, 0 past the end.
  int GroupQueue(int operation);
  // Appends "hh:nn:ss" + " " + text to the send log.
  void grpmessin(const std::string& text);
  // Saves the send log as "gs" + yyyymmdd + hhnnss + ".log" (the given end
  // of the run) in the log folder; false after the error box when it
  // cannot be written.
  bool GroupSendLogSave(const DateTime& end);
};

// "gs" + yyyymmdd + hhnnss + ".log".
std::string GroupSendLogName(const DateTime& end);

}  // namespace zol
