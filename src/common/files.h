// File helpers: whole-file reads, crash-safe rewrites, log appends and the
// program's own location.
//
// Paths are Shift-JIS texts like every other text of the core; the file
// system's names are UTF-8. Every helper here converts a path to the file
// system's name as it opens, renames, tests or lists, and converts names
// read from the system (folder entries, the program's path) to Shift-JIS.
#pragma once

#include <cstddef>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/line_writer.h"

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

// The file that the file system's name stands for: a symbolic link is
// followed, hop by hop, to the name it finally points to (which need not
// exist yet); any other name is itself. A rewrite of that file keeps the
// link a link.
std::string LinkedFileName(const std::string& system_name);

// Appends a whole line to fd; after a short write (a full disk, a size
// limit) the file is cut back to where the line began, so the next line
// does not continue a broken one. Errors lose the line quietly.
void AppendLine(int fd, const char* data, size_t size);

// AppendToFile with the files kept open between lines: the same bytes in
// the same order, each text in the file (the kernel's) when Append returns
// (inside a Batch: when the Batch ends), whole or cut back off.
//
// A file that was moved, deleted or replaced while open is created again at
// its next text. The folder of every open file is watched (inotify): before
// a write the watch's pending news are read without waiting (one cheap
// system call, or one per Batch), and the files they name - deleted, moved
// away, or replaced by a rename onto their name - are closed, and all the
// files of a folder that was itself moved, deleted or unmounted, and every
// file when the news overflowed. Where no watch can be had (no inotify, the
// watch limit reached, a network file system whose changes made elsewhere
// are not reported, a name that is a symbolic link) the name is looked up
// again before each write instead. The one change no watch reports is a
// rename of a folder above the log folder (or a link on the way re-pointed):
// until CloseIdle next runs (it compares each watched folder's name with
// the folder it watches) the texts go on into the files at their new place,
// then the names are created again.
//
// A file whose permissions (mode, owner) change while open is closed, so
// its next text is written or lost as a fresh open decides: a watched file
// or folder by the watch's attribute news, a file checked by name by its
// mode and owner.
//
// At most Capacity() files are open (the least recently written one is
// closed first), and CloseIdle closes those without a write for a while.
// The capacity is half of the descriptors the rest of the program leaves
// free (measured when the object is made and again every kMeasureMs by
// CloseIdle). When an open finds no descriptor left (EMFILE, ENFILE), the
// files written longest ago are closed one at a time and the open tried
// again; the capacity then drops to half of the files still open, leaving
// the rest to the program, until the next measure. A text is lost only when
// no descriptor can be had at all.
class AppendFiles {
 public:
  // Names an open file for AppendTo; goes stale when the file is closed.
  struct Handle {
    uint32_t index = UINT32_MAX;
    uint32_t gen = 0;
  };

  // capacity: at most this many files open (0: kMaxCapacity), fewer when
  // the descriptors free call for it. watch_folders false: every name is
  // looked up before each write, as where inotify cannot be had. helper:
  // whether the lines of a Batch may be written by a helper thread while
  // the caller goes on (LineWriter); they are all in when the Batch ends.
  explicit AppendFiles(size_t capacity = 0, bool watch_folders = true,
                       LineWriter::Helper helper = LineWriter::Helper::Off);
  ~AppendFiles();
  AppendFiles(const AppendFiles&) = delete;
  AppendFiles& operator=(const AppendFiles&) = delete;

  // now_ms: any steady millisecond count, for CloseIdle.
  void Append(const std::string& path, const std::string& text, uint64_t now_ms) {
    Append(path, text.data(), text.size(), now_ms, nullptr);
  }
  // The same; *handle (when given) then names the file for AppendTo.
  void Append(const std::string& path, const char* data, size_t size, uint64_t now_ms, Handle* handle);
  // Appends to the file handle names when it is still open and its name
  // still leads to it; false (nothing written) otherwise: then Append by
  // the path opens it again.
  bool AppendTo(const Handle& handle, const char* data, size_t size, uint64_t now_ms);

  // While a Batch lives the watches' news are read once, when it begins,
  // instead of before each write: for the lines of one datagram. A change
  // made meanwhile is seen by the first write after the batch. Its lines
  // may be written while the caller goes on; every one is in its file when
  // the (outermost) Batch ends.
  class Batch {
   public:
    explicit Batch(AppendFiles& files) : files_(files) {
      if (files_.batch_++ == 0) files_.ReadNews();
    }
    ~Batch() { files_.EndBatch(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    AppendFiles& files_;
  };

  // Closes the files last written idle_ms or longer before now_ms, and the
  // files of a watched folder whose name no longer leads to it.
  void CloseIdle(uint64_t now_ms, uint64_t idle_ms);
  void CloseAll();
  void SetHelper(LineWriter::Helper helper) { writer_.SetHelper(helper); }
  size_t OpenCount() const { return open_count_; }
  size_t Capacity() const { return capacity_; }
  // Folders watched now, and open files whose names are looked up per write.
  size_t WatchedFolders() const { return folders_.size(); }
  size_t NameChecked() const;
  // At most n folders watched; the files of others are checked by name.
  void LimitWatches(size_t n) { watch_limit_ = n; }
  // The lines lost because the writer's helper was held up by a write.
  uint64_t LinesLost() const { return writer_.Lost(); }
  static constexpr size_t kMaxCapacity = 8192;
  static constexpr uint64_t kMeasureMs = 10000;

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  struct Entry {
    std::string path;       // as the caller names it
    std::string system;     // the file system's name
    std::string watch_key;  // watch + name, empty when checked by name
    int fd = -1;
    int wd = -1;            // the folder's watch; -1: checked by name
    uint64_t dev = 0, ino = 0;
    mode_t mode = 0;  // as opened
    uid_t uid = 0;
    gid_t gid = 0;
    uint64_t last_ms = 0;
    uint32_t gen = 0;
    uint32_t prev = kNone, next = kNone;  // most recently written first
  };
  struct FolderName {
    std::string name;
    uint64_t dev, ino;
  };
  struct Folder {
    std::vector<FolderName> names;  // the names it was reached by
    size_t files = 0;
  };
  uint32_t Open(const std::string& path, uint64_t now_ms);
  // Half of the descriptors the rest of the program leaves free, within
  // 1 .. max_capacity_.
  size_t MeasuredCapacity() const;
  // Sets the capacity and closes the files over it.
  void FitCapacity(size_t capacity);
  bool Write(uint32_t i, const char* data, size_t size, uint64_t now_ms);
  void Put(int fd, const char* data, size_t size);
  void EndBatch();
  int WatchFolder(const std::string& folder);
  void DropFolderIfEmpty(int wd);
  void Close(uint32_t i);
  void CloseWatched(int wd);  // -1: every watched file
  void ReadNews();
  void Unlink(uint32_t i);
  void PushFront(uint32_t i);

  size_t max_capacity_;
  size_t capacity_ = 0;
  uint64_t next_measure_ms_ = kMeasureMs;
  bool watch_folders_;
  size_t watch_limit_ = SIZE_MAX;
  int notify_fd_ = -1;
  int batch_ = 0;
  std::vector<Entry> entries_;
  std::vector<uint32_t> free_;
  uint32_t head_ = kNone, tail_ = kNone;
  size_t open_count_ = 0;
  std::unordered_map<std::string, uint32_t> by_path_;
  std::unordered_map<std::string, uint32_t> by_watch_name_;
  std::unordered_map<int, Folder> folders_;
  std::unordered_map<std::string, int> folder_by_name_;
  LineWriter writer_;
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
