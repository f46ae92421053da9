// What the icon view derived from each row of the device table at its last
// rebuild, so that the next rebuild reads again only the rows whose inputs
// changed since: the rows written since (by their grid revisions), the rows
// whose time-out deadline has passed (a queue of deadlines), or everything
// when a view-wide input changed (filter buttons, time-out setting, the
// monitoring state, icons added or deleted outside a rebuild).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <queue>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/controls.h"

namespace zol {

// The second at which a row's items turn to the time-out picture: the first
// whole second of the receive clock past RecvTick + TimeOutMin minutes;
// kNoDeadline when they never do (no receive clock, nothing received since
// start, the time-out off).
constexpr int64_t kNoDeadline = INT64_MAX;
int64_t TimeOutDeadline(const Grid& table, int row, int timeout_min);

// A queue of (deadline, row), earliest first. An entry counts only while it
// is the row's current deadline, so a row's new deadline needs no removal of
// the old one.
class DeadlineQueue {
 public:
  // Sets the row's deadline (kNoDeadline: none).
  void Set(int row, int64_t deadline);
  int64_t Of(int row) const;
  // The rows whose deadline is at or before now, in no particular order;
  // they leave the queue (their deadline becomes kNoDeadline).
  void PopDue(int64_t now, std::vector<int>* rows);
  // The earliest current deadline, kNoDeadline when there is none.
  int64_t Next();
  void Clear();

 private:
  using Entry = std::pair<int64_t, int>;
  void DropStale();
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue_;
  std::vector<int64_t> deadline_;
};

// The inputs of a rebuild that hold for the whole view.
struct ViewInputs {
  std::array<bool, 8> down{};  // filter buttons 1..7
  int timeout_min = 0;
  bool start_enabled = true;  // monitoring stopped (and no settings dialog open)
  int table_rows = 0;
  bool operator==(const ViewInputs& o) const {
    return down == o.down && timeout_min == o.timeout_min && start_enabled == o.start_enabled &&
           table_rows == o.table_rows;
  }
  bool operator!=(const ViewInputs& o) const { return !(*this == o); }
};

class ItemIndex {
 public:
  // Whether the view still holds what the last rebuild made from these
  // inputs, so that only changed rows need reading again.
  bool Current(const ViewInputs& inputs, const IconList& view, size_t key_count) const;
  // Records the whole table as read (after a full rebuild).
  void Recorded(const Grid& table, const ViewInputs& inputs, const IconList& view, int64_t now);
  // The rows to read again at now, ascending: written since they were read,
  // or past their time-out deadline.
  void ChangedRows(const Grid& table, int64_t now, std::vector<int>* rows);
  // Records one row as read again at now.
  void RowRecorded(const Grid& table, int row, int64_t now);
  // Records the view as the rebuild leaves it.
  void ViewRecorded(const Grid& table, const IconList& view);
  void Invalidate() { valid_ = false; }

 private:
  bool valid_ = false;
  ViewInputs inputs_;
  uint64_t cell_revision_ = 0;
  uint64_t looked_at_ = 0;  // the table's revision when its rows were last compared
  uint64_t view_structure_ = 0;
  std::vector<uint64_t> row_revision_;
  std::vector<int> written_;
  DeadlineQueue deadlines_;
};

class IconView;

// The rows of the device table by their MacAddress, kept by the grid's row
// revisions, so the registration match finds a datagram's row without
// comparing every row's MAC.
class MacIndex {
 public:
  // The first row from 1 to last whose MacAddress is not empty and equals
  // mac; 0 for none.
  int Find(const Grid& table, const std::string& mac, int last);

 private:
  uint64_t cell_revision_ = ~uint64_t{0};
  std::vector<uint64_t> row_revision_;
  std::vector<std::string> mac_of_;
  std::vector<int> written_;
  std::unordered_map<std::string, std::vector<int>> rows_;  // each ascending
};

// What the time-out scan knows between its passes, so that a pass while
// nothing can time out costs nothing: the rows' scan deadlines (RecvTick +
// TimeOutMin minutes, whether or not the device was heard since start), the
// rows past theirs, and which of those still show an icon that a pass would
// mark (a picture below 8).
class TimeOutWatch {
 public:
  // false only when a pass of the scan at now would find nothing to mark.
  bool MayFire(const Grid& table, IconView& icons, int timeout_min, int64_t now);

 private:
  bool RowMayFire(IconView& icons, int row, bool* known);
  int timeout_min_ = 0;
  bool valid_ = false;
  uint64_t cell_revision_ = 0;
  uint64_t view_structure_ = 0;
  uint64_t image_stamp_ = 0;
  std::vector<uint64_t> row_revision_;
  DeadlineQueue deadlines_;
  std::vector<int> expired_;          // rows past their deadline (may hold rows no longer so)
  std::vector<char> is_expired_;      // by row
  std::vector<uint64_t> checked_;     // by row: the row's picture stamp when it was last found quiet
  std::vector<int> due_;
  std::vector<int> written_;
};

}  // namespace zol
