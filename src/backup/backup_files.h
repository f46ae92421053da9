// The file operations of the backup tool on Linux: the console's three data
// files found without regard to case, copies that either complete or leave
// the destination as it was, and a rename that never replaces. Paths are
// Shift-JIS texts, converted to the file system's names at each call.
#pragma once

#include <functional>
#include <string>

namespace zol {

// One of the three data files: its name, the console's own spelling of it
// and the extension a replaced file gets on restore.
struct DataFileName {
  const char* name;          // "zolyab4.ini"
  const char* console_name;  // "zolyab4.Ini"
  const char* bak_ext;       // ".ini_bak"
};

// The device file, the settings file and the group list, in this order.
extern const DataFileName kDataFiles[3];

// The file f in folder: the console's spelling first, else any spelling
// regardless of case; empty when there is none. Only regular files count.
std::string FindDataFile(const std::string& folder, const DataFileName& f);

// Where a copy of f into folder goes: the file that exists there in any
// spelling (replaced in place, keeping its spelling), else a symbolic link
// of that name whose file is missing (the copy creates the file it points
// to), else folder + name.
std::string DataFileTarget(const std::string& folder, const DataFileName& f);

// An entry of that name in folder, regardless of case and of its kind.
bool EntryExistsNoCase(const std::string& folder, const std::string& name);

bool IsFolder(const std::string& path);

// Why an operation failed: the path it failed on and the system's reason
// (SystemReason: Shift-JIS, in the user's language).
struct FileError {
  std::string path;
  std::string reason;
};

// Copies src over dst through a temporary file beside the file dst stands
// for (a symbolic link followed, so the link stays), flushed to disk and
// renamed over it: dst ends up either unchanged or a full copy. No
// temporary file is left.
bool CopyReplacing(const std::string& src, const std::string& dst, FileError* err);

// Renames from to to; fails (EEXIST) when to exists, never replacing it.
bool RenameNoReplace(const std::string& from, const std::string& to, FileError* err);

// Restores backup over dst, the console's name of the file (a symbolic link
// is followed: the restored data goes to the file it points to and the link
// stays a link). At every instant dst holds a whole file, the old one or the
// new one: the copy is made beside the file it replaces; then, when bak is
// not empty, the current file gets bak as a second name (a hard link, or a
// copy where no link can be made; an existing bak is never replaced); then
// the copy is renamed over the current file. On failure dst is as it was and
// a bak made here is removed again. step (when set) runs after each of the
// three steps.
bool RestoreFile(const std::string& backup, const std::string& dst, const std::string& bak,
                 const std::function<void()>& step, FileError* err);

}  // namespace zol
