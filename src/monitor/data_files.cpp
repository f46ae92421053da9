// The device file (program name + ".dat": columns 1 to 20 of every table row
// up to the last registered one, 20 lines per row) and the group list
// (program name + ".lst": the group selector's items, one per line).
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/program_files.h"
#include "console/app.h"
#include "console/console_settings.h"
#include "console/device_tree.h"
#include "monitor/debug_window.h"

namespace zol {

namespace {

constexpr int kSavedColumns = 20;
constexpr int kLastDeviceRow = 999;

// A line break inside a cell would shift every later block of the file, so
// each CR and LF is written as a blank.
std::string OneLine(const std::string& text) {
  std::string s = text;
  for (char& c : s) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return s;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) {
    out += OneLine(l);
    out += "\r\n";
  }
  return out;
}

// Reads path into lines. False with the system's reason when something
// stands under that name that cannot be read as a file (a folder, a file
// without permission, an I/O error). A missing file reads as found = false.
bool ReadLines(const std::string& path, bool* found, std::vector<std::string>* lines, std::string* err) {
  struct stat st;
  if (::stat(FileSystemName(path).c_str(), &st) != 0) {
    if (errno == ENOENT) {
      *found = false;
      return true;
    }
    *err = SystemReason(errno);
    return false;
  }
  *found = true;
  if (!S_ISREG(st.st_mode)) {
    *err = SystemReason(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return false;
  }
  std::string bytes;
  errno = 0;
  if (!ReadFile(path, &bytes)) {
    *err = SystemReason(errno ? errno : EIO);
    return false;
  }
  *lines = SplitLines(bytes);
  return true;
}

// The error box of a data file that cannot be read or written: the path and
// the system's reason. False, so the caller can return it.
bool FileError(App& app, const std::string& path, const std::string& err) {
  app.boxes().Show(path + ": " + err, BoxKind::Error, BoxButtons::Ok);
  return false;
}

// The reason shown when a save is refused for a file the load did not read whole.
const char kNotReadWhole[] = "起動時に全体を読み込めなかったため、上書きしません";

}  // namespace

bool DebugWindow::SettingDataSave() {
  ConsoleSettings& form2 = app.settings();
  ComboBox& ComboBoxEx1 = app.group_selector();
  int last = 0;
  for (int r = 1; r <= kLastDeviceRow; ++r) {
    if (!StringGrid1.Cell(1, r).empty()) last = r;
  }
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(last * kSavedColumns));
  for (int r = 1; r <= last; ++r) {
    for (int c = 1; c <= kSavedColumns; ++c) lines.push_back(OneLine(StringGrid1.Cell(c, r)));
  }
  RichEdit1.Assign(lines);

  // Each file is replaced whole or not at all; on an error the steps after
  // it do not run.
  std::string err;
  const std::string dat = ProgramFile(app.services.program_path, ".dat");
  if (DatFileHeld) return FileError(app, dat, kNotReadWhole);
  if (!WriteFileAtomic(dat, JoinCrLf(lines), &err)) return FileError(app, dat, err);
  const std::string lst = ProgramFile(app.services.program_path, ".lst");
  if (LstFileHeld) return FileError(app, lst, kNotReadWhole);
  if (!WriteFileAtomic(lst, JoinCrLf(ComboBoxEx1.items.All()), &err)) return FileError(app, lst, err);

  LastDataCnt();
  // Saving locks editing again while the password lock is on.
  form2.EditUnlocked = !form2.LockOn;
  return true;
}

bool DebugWindow::SettingDataLoad() {
  ComboBox& ComboBoxEx1 = app.group_selector();
  std::string err;

  // Until a file has been read whole (or found missing) it is held.
  DatFileHeld = true;
  LstFileHeld = true;

  const std::string dat = ProgramFile(app.services.program_path, ".dat");
  std::vector<std::string> lines;
  bool found = false;
  if (!ReadLines(dat, &found, &lines, &err)) return FileError(app, dat, err);
  if (found) {
    RichEdit1.Assign(lines);
    const size_t n = lines.size();
    // Block k fills row k + 1; a last part-block leaves the rest of its row
    // empty. Nothing is checked: a cell takes whatever its line holds.
    for (size_t k = 0; k <= n / kSavedColumns && k + 1 <= static_cast<size_t>(kLastDeviceRow); ++k) {
      for (int c = 1; c <= kSavedColumns; ++c) {
        size_t i = k * kSavedColumns + static_cast<size_t>(c - 1);
        StringGrid1.SetCell(c, static_cast<int>(k + 1), i < n ? lines[i] : std::string());
      }
    }
  }
  // Blocks past the last device row were not taken into the table.
  DatFileHeld = lines.size() > static_cast<size_t>(kLastDeviceRow * kSavedColumns);

  const std::string lst = ProgramFile(app.services.program_path, ".lst");
  std::vector<std::string> groups;
  if (!ReadLines(lst, &found, &groups, &err)) return FileError(app, lst, err);
  LstFileHeld = false;
  if (found) {
    ComboBoxEx1.items.Assign(groups);
  } else {
    // No group list yet: take the groups from the tree as it stands, which
    // at start holds only its two initial groups.
    groups = app.tree().TreeGroupTexts();
    ComboBoxEx1.items.Clear();
    for (const std::string& g : groups) ComboBoxEx1.items.Add(g);
    ComboBoxEx1.SetText(groups.empty() ? std::string() : groups.front());
    app.tree().TreeNodeRef();
  }

  LastDataCnt();
  ComboBoxEx1.SetEnabled(true);
  return true;
}

}  // namespace zol
