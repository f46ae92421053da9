#include "monitor/item_index.h"

#include <algorithm>

#include "common/text.h"
#include "monitor/device_table.h"
#include "monitor/icon_view.h"
#include "monitor/item_state.h"

namespace zol {

namespace {

// The rows from 1 on that a reader of the table must read again: every row
// when all is set or the table no longer knows its history that far back,
// else the rows written since the table's revision was since.
void RowsToRead(const Grid& table, uint64_t since, bool all, std::vector<int>* rows) {
  if (all || !table.RowsWrittenSince(since, rows)) {
    rows->clear();
    for (int r = 1; r < table.RowCount(); ++r) rows->push_back(r);
    return;
  }
  rows->erase(std::remove_if(rows->begin(), rows->end(), [](int r) { return r < 1; }), rows->end());
}

}  // namespace

int64_t TimeOutDeadline(const Grid& table, int row, int timeout_min) {
  // The overlay of ItemState: timed out when tick < now - TimeOutMin * 60,
  // that is from now = tick + TimeOutMin * 60 + 1 on.
  const int64_t tick = DecimalOr(table.Cell(dtcol::RecvTick, row), 0);
  if (table.Cell(dtcol::RecvDate, row).empty() || timeout_min == 0 || tick <= 0) return kNoDeadline;
  return tick + static_cast<int64_t>(timeout_min) * 60 + 1;
}

void DeadlineQueue::Set(int row, int64_t deadline) {
  if (row < 0) return;
  if (static_cast<size_t>(row) >= deadline_.size()) deadline_.resize(static_cast<size_t>(row) + 1, kNoDeadline);
  deadline_[static_cast<size_t>(row)] = deadline;
  if (deadline != kNoDeadline) queue_.emplace(deadline, row);
  // Entries of earlier deadlines stay behind until they come up; a queue
  // that holds mostly such entries is built again.
  if (queue_.size() > 4 * deadline_.size() + 64) {
    std::vector<Entry> live;
    for (size_t r = 0; r < deadline_.size(); ++r) {
      if (deadline_[r] != kNoDeadline) live.emplace_back(deadline_[r], static_cast<int>(r));
    }
    queue_ = decltype(queue_)(std::greater<Entry>(), std::move(live));
  }
}

int64_t DeadlineQueue::Of(int row) const {
  return row >= 0 && static_cast<size_t>(row) < deadline_.size() ? deadline_[static_cast<size_t>(row)] : kNoDeadline;
}

void DeadlineQueue::DropStale() {
  while (!queue_.empty() && Of(queue_.top().second) != queue_.top().first) queue_.pop();
}

void DeadlineQueue::PopDue(int64_t now, std::vector<int>* rows) {
  for (DropStale(); !queue_.empty() && queue_.top().first <= now; DropStale()) {
    const int row = queue_.top().second;
    queue_.pop();
    deadline_[static_cast<size_t>(row)] = kNoDeadline;
    rows->push_back(row);
  }
}

int64_t DeadlineQueue::Next() {
  DropStale();
  return queue_.empty() ? kNoDeadline : queue_.top().first;
}

void DeadlineQueue::Clear() {
  queue_ = decltype(queue_)();
  deadline_.clear();
}

bool ItemIndex::Current(const ViewInputs& inputs, const IconList& view, size_t key_count) const {
  return valid_ && inputs == inputs_ && view.StructureRevision() == view_structure_ && key_count == view.Count();
}

void ItemIndex::Recorded(const Grid& table, const ViewInputs& inputs, const IconList& view, int64_t now) {
  valid_ = true;
  inputs_ = inputs;
  looked_at_ = table.CellRevision();
  deadlines_.Clear();
  row_revision_.assign(static_cast<size_t>(table.RowCount()), 0);
  for (int r = 1; r < table.RowCount(); ++r) RowRecorded(table, r, now);
  ViewRecorded(table, view);
}

void ItemIndex::ChangedRows(const Grid& table, int64_t now, std::vector<int>* rows) {
  rows->clear();
  if (table.CellRevision() != cell_revision_) {
    const int last = std::min(table.RowCount(), static_cast<int>(row_revision_.size()));
    // Every row recorded since was recorded after the table stood at
    // looked_at_, so only the rows written after that can differ.
    RowsToRead(table, looked_at_, false, &written_);
    for (int r : written_) {
      if (r < last && table.RowRevision(r) != row_revision_[static_cast<size_t>(r)]) rows->push_back(r);
    }
  }
  looked_at_ = table.CellRevision();
  const size_t written = rows->size();
  deadlines_.PopDue(now, rows);
  if (rows->size() > written) {
    std::sort(rows->begin(), rows->end());
    rows->erase(std::unique(rows->begin(), rows->end()), rows->end());
  }
}

void ItemIndex::RowRecorded(const Grid& table, int row, int64_t now) {
  if (row < 0 || static_cast<size_t>(row) >= row_revision_.size()) return;
  row_revision_[static_cast<size_t>(row)] = table.RowRevision(row);
  const int64_t deadline = TimeOutDeadline(table, row, inputs_.timeout_min);
  // A row already past its deadline shows the time-out until it is written.
  deadlines_.Set(row, deadline > now ? deadline : kNoDeadline);
}

void ItemIndex::ViewRecorded(const Grid& table, const IconList& view) {
  cell_revision_ = table.CellRevision();
  view_structure_ = view.StructureRevision();
}

}  // namespace zol

namespace zol {

namespace {

// The scan's test: RecvTick read as a decimal number, and marked when
// tick > 0 and tick < now - TimeOutMin * 60, that is from
// now = tick + TimeOutMin * 60 + 1 on.
int64_t ScanDeadline(const Grid& table, int row, int timeout_min) {
  const int64_t tick = DecimalOr(table.Cell(dtcol::RecvTick, row), 0);
  if (tick <= 0) return kNoDeadline;
  return tick + static_cast<int64_t>(timeout_min) * 60 + 1;
}

constexpr uint64_t kUnchecked = ~uint64_t{0};

}  // namespace

int MacIndex::Find(const Grid& table, const std::string& mac, int last) {
  if (table.CellRevision() != cell_revision_) {
    const size_t rows = static_cast<size_t>(table.RowCount());
    const bool fresh = row_revision_.size() != rows;
    if (fresh) {
      row_revision_.assign(rows, ~uint64_t{0});
      mac_of_.assign(rows, std::string());
      rows_.clear();
    }
    // A fresh index reads every row; else the rows written since it last
    // read the table.
    RowsToRead(table, cell_revision_, fresh, &written_);
    for (int wr : written_) {
      const size_t r = static_cast<size_t>(wr);
      const uint64_t rev = table.RowRevision(wr);
      if (rev == row_revision_[r]) continue;
      row_revision_[r] = rev;
      const std::string& now = table.Cell(dtcol::MacAddress, wr);
      if (now == mac_of_[r]) continue;
      if (!mac_of_[r].empty()) {
        auto it = rows_.find(mac_of_[r]);
        if (it != rows_.end()) {
          std::vector<int>& v = it->second;
          v.erase(std::lower_bound(v.begin(), v.end(), static_cast<int>(r)));
          if (v.empty()) rows_.erase(it);
        }
      }
      mac_of_[r] = now;
      if (!now.empty()) {
        std::vector<int>& v = rows_[now];
        v.insert(std::lower_bound(v.begin(), v.end(), static_cast<int>(r)), static_cast<int>(r));
      }
    }
    cell_revision_ = table.CellRevision();
  }
  if (mac.empty()) return 0;
  const auto it = rows_.find(mac);
  if (it == rows_.end() || it->second.front() > last) return 0;
  return it->second.front();
}

bool TimeOutWatch::RowMayFire(IconView& icons, int row, bool* known) {
  size_t begin = 0, end = 0;
  if (!icons.RowIcons(row, &begin, &end)) {
    *known = false;  // icons out of the rebuild's order: the pass finds out
    return true;
  }
  for (size_t k = begin; k < end; ++k) {
    if (icons.ListView1.Item(k).image < kImageTimeOut) return true;
  }
  return false;
}

bool TimeOutWatch::MayFire(const Grid& table, IconView& icons, int timeout_min, int64_t now) {
  if (timeout_min == 0) return false;
  const size_t rows = static_cast<size_t>(table.RowCount());
  if (!valid_ || timeout_min != timeout_min_ || row_revision_.size() != rows) {
    valid_ = true;
    timeout_min_ = timeout_min;
    row_revision_.assign(rows, kUnchecked);
    is_expired_.assign(rows, 0);
    checked_.assign(rows, kUnchecked);
    expired_.clear();
    deadlines_.Clear();
    cell_revision_ = kUnchecked;
  }
  const IconList& view = icons.ListView1;
  const bool view_changed = view.StructureRevision() != view_structure_;
  bool look = view_changed || icons.ImageStamp() != image_stamp_;

  // Rows written since the last pass: their deadlines again.
  if (table.CellRevision() != cell_revision_) {
    RowsToRead(table, cell_revision_, cell_revision_ == kUnchecked, &written_);
    for (int wr : written_) {
      const size_t r = static_cast<size_t>(wr);
      const uint64_t rev = table.RowRevision(wr);
      if (rev == row_revision_[r]) continue;
      row_revision_[r] = rev;
      is_expired_[r] = 0;
      checked_[r] = kUnchecked;
      deadlines_.Set(static_cast<int>(r), ScanDeadline(table, static_cast<int>(r), timeout_min));
    }
    cell_revision_ = table.CellRevision();
  }
  // Rows whose deadline has come.
  due_.clear();
  deadlines_.PopDue(now, &due_);
  for (int r : due_) {
    if (is_expired_[static_cast<size_t>(r)]) continue;
    is_expired_[static_cast<size_t>(r)] = 1;
    checked_[static_cast<size_t>(r)] = kUnchecked;
    expired_.push_back(r);
    look = true;
  }
  if (!look) return false;

  // Among the rows past their deadline, one that shows a picture below 8
  // is marked by the pass.
  size_t kept = 0;
  bool fire = false;
  for (size_t k = 0; k < expired_.size(); ++k) {
    const int r = expired_[k];
    const size_t ur = static_cast<size_t>(r);
    if (!is_expired_[ur]) continue;  // written since: left the list
    expired_[kept++] = r;
    if (fire) continue;
    const uint64_t stamp = icons.RowImageStamp(r);
    if (!view_changed && checked_[ur] == stamp) continue;
    bool known = true;
    if (RowMayFire(icons, r, &known)) {
      fire = true;
    } else {
      checked_[ur] = stamp;
    }
  }
  expired_.resize(kept);
  if (fire) return true;
  view_structure_ = view.StructureRevision();
  image_stamp_ = icons.ImageStamp();
  return false;
}

}  // namespace zol
