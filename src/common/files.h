// File helpers: whole-file reads, crash-safe rewrites, log appends and the
// program's own location.
//
// Paths are Shift-JIS texts like every other text of the core; the file
// system's names are UTF-8. Every helper here converts a path to the file
// system's name as it opens, renames, tests or lists, and converts names
// read from the system (folder entries, the program's path) to Shift-JIS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

namespace zol {

// The system's reason for the error number e as a Shift-JIS text: the C
// library writes it in the locale's language and charset (Qt sets the
// locale from the environment: UTF-8 Japanese on a Japanese desktop), and it
// goes into the console's Shift-JIS texts. No core code passes strerror on.
std::string SystemReason(int e);

// Reads the whole file; false when it cannot be opened.
bool ReadFile(const std::string& path, std::string* bytes);

// Rewrites path with bytes through a temporary file in the same folder
// (created exclusively under a unique name), flushed to disk and renamed
// over the old file, so a crash leaves either the old or the new content.
// The new file keeps the old one's permission bits; when path is a symbolic
// link, the file it points to is replaced and the link kept. On failure the
// old file is untouched and err receives the system's reason.
bool WriteFileAtomic(const std::string& path, const std::string& bytes, std::string* err);

// Opens path for appending, adds text and closes it again. The text goes in
// whole or not at all: a write that stops short is cut back off. Every error
// is ignored (log writers lose the line).
void AppendToFile(const std::string& path, const std::string& text);

// AppendToFile with the files kept open between lines: the same bytes in
// the same order, each text in the file (the kernel's) when Append returns.
// Before each write the path is looked up again, so a file that was moved or
// deleted meanwhile is created again. At most Capacity() files are open
// (the least recently written one is closed first), and CloseIdle closes
// those without a write for a while.
class AppendFiles {
 public:
  // capacity 0: DefaultCapacity().
  explicit AppendFiles(size_t capacity = 0);
  ~AppendFiles();
  AppendFiles(const AppendFiles&) = delete;
  AppendFiles& operator=(const AppendFiles&) = delete;

  // now_ms: any steady millisecond count, for CloseIdle.
  void Append(const std::string& path, const std::string& text, uint64_t now_ms);
  // Closes the files last written idle_ms or longer before now_ms.
  void CloseIdle(uint64_t now_ms, uint64_t idle_ms);
  void CloseAll();
  size_t OpenCount() const { return open_.size(); }
  size_t Capacity() const { return capacity_; }
  // Half the process's limit of open files, at most 8192, at least 16.
  static size_t DefaultCapacity();

 private:
  struct Open {
    std::string path;    // as the caller names it
    std::string system;  // the file system's name
    int fd;
    uint64_t dev, ino;
    uint64_t last_ms;
  };
  void Close(std::list<Open>::iterator it);
  size_t capacity_;
  std::list<Open> open_;  // most recently written first
  std::unordered_map<std::string, std::list<Open>::iterator> by_path_;
};

bool FileExists(const std::string& path);

// The file system's (UTF-8) name of a Shift-JIS path, for the few places
// that call the system themselves.
std::string FileSystemName(const std::string& path);

// Folder part of a path ("" when there is none) and the name part.
std::string DirName(const std::string& path);
std::string BaseName(const std::string& path);

// Joins folder and name with one "/" (none when folder is empty).
std::string JoinPath(const std::string& folder, const std::string& name);

// The entry of folder whose name equals name without regard to ASCII case;
// folder/name itself when none matches. Entries whose names Shift-JIS cannot
// hold are passed over.
std::string FindNoCase(const std::string& folder, const std::string& name);

// Splits text into lines at CR LF, CR or LF; a last line without an end is
// kept, an empty text gives no line.
std::vector<std::string> SplitLines(const std::string& text);

// The running program's path (from /proc/self/exe), as a Shift-JIS text.
// A character that Shift-JIS cannot hold becomes "?" (such a folder cannot
// be reached through the core's paths).
std::string ProgramPath();

}  // namespace zol
