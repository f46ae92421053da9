// The file operations of the backup tool on Linux: the console's three data
// files found without regard to case, copies that either complete or leave
// the destination as it was, and a rename that never replaces. Paths are
// Shift-JIS texts, converted to the file system's names at each call.
#pragma once

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
// spelling (replaced in place, keeping its spelling), else folder + name.
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

// Copies src byte for byte into a new temporary file with a unique name in
// dst's folder, flushed to disk; *tmp receives its path. On failure no
// temporary file is left.
bool CopyToTemp(const std::string& src, const std::string& dst, std::string* tmp, FileError* err);

// Renames the temporary file over dst and makes the rename durable. On
// failure the temporary file is removed and dst stays as it was.
bool ReplaceWithTemp(const std::string& tmp, const std::string& dst, FileError* err);

// CopyToTemp then ReplaceWithTemp: dst ends up either unchanged or a full copy.
bool CopyReplacing(const std::string& src, const std::string& dst, FileError* err);

// Renames from to to; fails (EEXIST) when to exists, never replacing it.
bool RenameNoReplace(const std::string& from, const std::string& to, FileError* err);

}  // namespace zol
