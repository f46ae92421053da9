#include "common/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <langinfo.h>
#include <strings.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/statfs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/charset.h"

namespace zol {

std::string SystemReason(int e) { return LocaleTextToSjis(std::strerror(e), nl_langinfo(CODESET)); }

std::string FileSystemName(const std::string& path) { return SjisToUtf8(path); }

bool ReadFile(const std::string& path, std::string* bytes) {
  FILE* f = std::fopen(FileSystemName(path).c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes->append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

std::string LinkedFileName(const std::string& path) {
  std::string cur = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(cur.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return cur;
    char target[4096];
    const ssize_t n = ::readlink(cur.c_str(), target, sizeof target - 1);
    if (n <= 0) return cur;
    target[n] = '\0';
    const std::string dir = DirName(cur);
    cur = (target[0] == '/' || dir.empty()) ? std::string(target) : JoinPath(dir, target);
  }
  return cur;  // a loop of links: the rename then fails with the system's reason
}

namespace {

// Writes all of bytes to fd; false with errno set on an error.
bool WriteAll(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t w = ::write(fd, data + done, size - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

bool WriteFileAtomic(const std::string& path, const std::string& bytes, std::string* err) {
  const std::string target = LinkedFileName(FileSystemName(path));
  // A name of our own, created exclusively: a file or link planted under a
  // fixed temporary name is never opened, followed or replaced.
  std::string tmp = target + ".tmpXXXXXX";
  bool created = false;
  auto fail = [&](int fd) {
    const int e = errno;
    if (fd >= 0) ::close(fd);
    if (created) ::unlink(tmp.c_str());
    if (err) *err = SystemReason(e);
    return false;
  };
  const int fd = ::mkostemp(&tmp[0], O_CLOEXEC);
  if (fd < 0) return fail(-1);
  created = true;
  // The new file keeps the permission bits (and, where allowed, the owner)
  // of the one it replaces; a new one gets 0644 less the umask.
  struct stat old;
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    if (::fchmod(fd, old.st_mode & 07777) != 0) return fail(fd);
    struct stat now;
    if (::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid))
      (void)!::fchown(fd, old.st_uid, old.st_gid);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0644 & ~mask) != 0) return fail(fd);
  }
  if (!WriteAll(fd, bytes.data(), bytes.size())) return fail(fd);
  if (::fsync(fd) != 0) return fail(fd);
  if (::close(fd) != 0) return fail(-1);
  if (::rename(tmp.c_str(), target.c_str()) != 0) return fail(-1);
  // Make the rename itself durable.
  const std::string dir = DirName(target);
  const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

void AppendLine(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t w = ::write(fd, data + done, size - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      struct stat st;
      if (done > 0 && ::fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_size) >= done)
        (void)!::ftruncate(fd, st.st_size - static_cast<off_t>(done));
      return;
    }
    done += static_cast<size_t>(w);
  }
}

namespace {

// File systems whose changes made by other computers no watch reports:
// their files are looked up by name.
bool RemoteFileSystem(const std::string& folder) {
  struct statfs fs;
  if (::statfs(folder.c_str(), &fs) != 0) return true;
  switch (static_cast<uint64_t>(fs.f_type)) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x65735546:  // FUSE
    case 0x01021997:  // 9P
    case 0x00C36400:  // Ceph
    case 0x564C:      // NCP
    case 0x73757245:  // Coda
    case 0x47504653:  // GPFS
    case 0x0BD00BD0:  // Lustre
    case 0x19830326:  // FhGFS/BeeGFS
    case 0x6B414653:  // AFS
    case 0x5346414F:  // OpenAFS
      return true;
    default:
      return false;
  }
}

std::string WatchKey(int wd, const char* name, size_t len) {
  std::string key(reinterpret_cast<const char*>(&wd), sizeof wd);
  key.append(name, len);
  return key;
}

}  // namespace

void AppendToFile(const std::string& path, const std::string& text) {
  const int fd = ::open(FileSystemName(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) AppendLine(fd, text.data(), text.size());
  ::close(fd);
}

AppendFiles::AppendFiles(size_t capacity, bool watch_folders, LineWriter::Helper helper)
    : max_capacity_(capacity ? capacity : kMaxCapacity), watch_folders_(watch_folders), writer_(helper) {
  capacity_ = MeasuredCapacity();
}

AppendFiles::~AppendFiles() {
  CloseAll();  // each close writes the lines still pending first
  if (notify_fd_ >= 0) ::close(notify_fd_);
}

namespace {

// The descriptors the process holds now, -1 when they cannot be counted
// (no /proc, or no descriptor left to read it with).
long OpenDescriptors() {
  DIR* d = ::opendir("/proc/self/fd");
  if (!d) return -1;
  long n = 0;
  while (const dirent* e = ::readdir(d)) n += e->d_name[0] != '.';
  ::closedir(d);
  return n - 1;  // the listing's own
}

}  // namespace

size_t AppendFiles::MeasuredCapacity() const {
  struct rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return max_capacity_;
  const long held = OpenDescriptors();
  if (held < 0) {
    // Not countable now: what was measured last, at first half the limit.
    if (capacity_) return capacity_;
    return std::min(max_capacity_, std::max<size_t>(1, static_cast<size_t>(limit.rlim_cur) / 2));
  }
  // The rest of the program's descriptors; half of what they leave free.
  const size_t others = static_cast<size_t>(held) > open_count_ ? static_cast<size_t>(held) - open_count_ : 0;
  const size_t free = static_cast<size_t>(limit.rlim_cur) > others ? static_cast<size_t>(limit.rlim_cur) - others : 0;
  return std::min(max_capacity_, std::max<size_t>(1, free / 2));
}

void AppendFiles::FitCapacity(size_t capacity) {
  capacity_ = capacity;
  while (open_count_ > capacity_ && tail_ != kNone) Close(tail_);
}

size_t AppendFiles::NameChecked() const {
  size_t n = 0;
  for (uint32_t i = head_; i != kNone; i = entries_[i].next) n += entries_[i].wd < 0;
  return n;
}

void AppendFiles::Unlink(uint32_t i) {
  Entry& e = entries_[i];
  (e.prev == kNone ? head_ : entries_[e.prev].next) = e.next;
  (e.next == kNone ? tail_ : entries_[e.next].prev) = e.prev;
  e.prev = e.next = kNone;
}

void AppendFiles::PushFront(uint32_t i) {
  Entry& e = entries_[i];
  e.prev = kNone;
  e.next = head_;
  (head_ == kNone ? tail_ : entries_[head_].prev) = i;
  head_ = i;
}

void AppendFiles::Close(uint32_t i) {
  Entry& e = entries_[i];
  writer_.Close(e.fd);  // after its lines
  e.fd = -1;
  ++e.gen;
  Unlink(i);
  by_path_.erase(e.path);
  if (!e.watch_key.empty()) by_watch_name_.erase(e.watch_key);
  const int wd = e.wd;
  e.wd = -1;
  e.path.clear();
  e.system.clear();
  e.watch_key.clear();
  free_.push_back(i);
  --open_count_;
  if (wd >= 0) {
    auto f = folders_.find(wd);
    if (f != folders_.end()) --f->second.files;
    DropFolderIfEmpty(wd);
  }
}

void AppendFiles::DropFolderIfEmpty(int wd) {
  auto f = folders_.find(wd);
  if (f == folders_.end() || f->second.files > 0) return;
  ::inotify_rm_watch(notify_fd_, wd);  // fails harmlessly when the system dropped it already
  for (const FolderName& n : f->second.names) folder_by_name_.erase(n.name);
  folders_.erase(f);
}

void AppendFiles::CloseWatched(int wd) {
  for (uint32_t i = head_; i != kNone;) {
    const uint32_t next = entries_[i].next;
    if (entries_[i].wd >= 0 && (wd < 0 || entries_[i].wd == wd)) Close(i);
    i = next;
  }
  if (wd >= 0) DropFolderIfEmpty(wd);
}

void AppendFiles::CloseAll() {
  while (head_ != kNone) Close(head_);
}

void AppendFiles::CloseIdle(uint64_t now_ms, uint64_t idle_ms) {
  if (writer_.Behind()) writer_.Finish();  // caught up by now: the parked files close
  if (batch_ == 0) ReadNews();
  while (tail_ != kNone && now_ms - entries_[tail_].last_ms >= idle_ms) Close(tail_);
  // The descriptors the rest of the program leaves free change with it.
  if (now_ms >= next_measure_ms_) {
    next_measure_ms_ = now_ms + kMeasureMs;
    FitCapacity(MeasuredCapacity());
  }
  // A folder above a watched one renamed: the watched folder's name leads
  // elsewhere now (or nowhere), and its files are opened again by name.
  std::vector<int> moved;
  for (const auto& [wd, folder] : folders_) {
    for (const FolderName& n : folder.names) {
      struct stat st;
      if (::stat(n.name.c_str(), &st) != 0 || static_cast<uint64_t>(st.st_dev) != n.dev ||
          static_cast<uint64_t>(st.st_ino) != n.ino) {
        moved.push_back(wd);
        break;
      }
    }
  }
  for (int wd : moved) CloseWatched(wd);
}

void AppendFiles::ReadNews() {
  if (notify_fd_ < 0) return;
  alignas(struct inotify_event) char buf[16384];
  for (;;) {
    const ssize_t n = ::read(notify_fd_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // EAGAIN: nothing (more) pending
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(struct inotify_event)) <= n;) {
      const auto* ev = reinterpret_cast<const struct inotify_event*>(buf + at);
      at += static_cast<ssize_t>(sizeof(struct inotify_event) + ev->len);
      if (ev->mask & IN_Q_OVERFLOW) {
        CloseWatched(-1);  // news lost: no watched name can be trusted
      } else if ((ev->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED)) ||
                 ((ev->mask & IN_ATTRIB) && ev->len == 0)) {
        // Gone, or its permissions changed: its files are opened afresh.
        CloseWatched(ev->wd);
      } else if ((ev->mask & (IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB)) && ev->len > 0) {
        // Gone, replaced, or its permissions changed (a fresh open decides).
        const auto found = by_watch_name_.find(WatchKey(ev->wd, ev->name, std::strlen(ev->name)));
        if (found != by_watch_name_.end()) Close(found->second);
      }
    }
  }
}

int AppendFiles::WatchFolder(const std::string& folder) {
  if (!watch_folders_) return -1;
  if (notify_fd_ < 0) {
    notify_fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (notify_fd_ < 0) return -1;  // tried again at the next open
  }
  constexpr uint32_t kMask = IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF |
                             IN_UNMOUNT | IN_ONLYDIR | IN_EXCL_UNLINK;
  // A folder already watched under this name: the system's answer (the same
  // watch) shows the name still leads to it.
  const auto known = folder_by_name_.find(folder);
  if (known != folder_by_name_.end()) {
    const int wd = ::inotify_add_watch(notify_fd_, folder.c_str(), kMask);
    if (wd == known->second) return wd;
    if (wd >= 0 && !folders_.count(wd)) ::inotify_rm_watch(notify_fd_, wd);
    CloseWatched(known->second);  // the name leads elsewhere now
  }
  struct stat before, after;
  if (::stat(folder.c_str(), &before) != 0 || !S_ISDIR(before.st_mode) || RemoteFileSystem(folder)) return -1;
  const int wd = ::inotify_add_watch(notify_fd_, folder.c_str(), kMask);
  if (wd < 0) return -1;  // the watch limit reached, for one
  auto f = folders_.find(wd);
  if (f == folders_.end() && folders_.size() >= watch_limit_) {
    ::inotify_rm_watch(notify_fd_, wd);
    return -1;
  }
  if (::stat(folder.c_str(), &after) != 0 || after.st_dev != before.st_dev || after.st_ino != before.st_ino) {
    if (f == folders_.end()) ::inotify_rm_watch(notify_fd_, wd);
    return -1;  // swapped while the watch was set: checked by name
  }
  if (f == folders_.end()) f = folders_.emplace(wd, Folder{}).first;
  std::vector<FolderName>& names = f->second.names;
  if (std::none_of(names.begin(), names.end(), [&](const FolderName& n) { return n.name == folder; })) {
    names.push_back(FolderName{folder, static_cast<uint64_t>(after.st_dev), static_cast<uint64_t>(after.st_ino)});
    folder_by_name_[folder] = wd;
  }
  return wd;
}

uint32_t AppendFiles::Open(const std::string& path, uint64_t now_ms) {
  std::string system = FileSystemName(path);
  const std::string folder = DirName(system);
  // The watch is set before the file is opened, so no change after the
  // open goes unseen.
  int wd = WatchFolder(folder.empty() ? std::string(".") : folder);
  int fd = ::open(system.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
    // No descriptor left: the files written longest ago give theirs back,
    // one at a time, until the open succeeds or none is left; then half of
    // what is held is kept, and the rest left to the program.
    while (fd < 0 && (errno == EMFILE || errno == ENFILE) && tail_ != kNone) {
      Close(tail_);
      fd = ::open(system.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    }
    FitCapacity(std::max<size_t>(1, (open_count_ + 1) / 2));
    next_measure_ms_ = 0;  // measured again at the next CloseIdle
    if (wd >= 0 && !folders_.count(wd)) wd = -1;  // its last file closed: the watch went with it
  }
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    if (wd >= 0) DropFolderIfEmpty(wd);
    return kNone;
  }
  std::string key;
  if (wd >= 0) {
    // The name itself must be the file (not a link to one elsewhere) and
    // the only open entry of that name in the folder.
    struct stat named;
    key = WatchKey(wd, system.data() + (folder.empty() ? 0 : system.rfind('/') + 1),
                   system.size() - (folder.empty() ? 0 : system.rfind('/') + 1));
    if (::lstat(system.c_str(), &named) != 0 || named.st_dev != st.st_dev || named.st_ino != st.st_ino ||
        by_watch_name_.count(key)) {
      DropFolderIfEmpty(wd);
      wd = -1;
      key.clear();
    }
  }
  uint32_t i;
  if (free_.empty()) {
    i = static_cast<uint32_t>(entries_.size());
    entries_.emplace_back();
  } else {
    i = free_.back();
    free_.pop_back();
  }
  Entry& e = entries_[i];
  e.path = path;
  e.system = std::move(system);
  e.watch_key = std::move(key);
  e.fd = fd;
  e.wd = wd;
  e.dev = static_cast<uint64_t>(st.st_dev);
  e.ino = static_cast<uint64_t>(st.st_ino);
  e.mode = st.st_mode;
  e.uid = st.st_uid;
  e.gid = st.st_gid;
  e.last_ms = now_ms;
  PushFront(i);
  ++open_count_;
  by_path_[path] = i;
  if (wd >= 0) {
    by_watch_name_[e.watch_key] = i;
    ++folders_[wd].files;
  }
  return i;
}

bool AppendFiles::Write(uint32_t i, const char* data, size_t size, uint64_t now_ms) {
  Entry& e = entries_[i];
  if (e.wd < 0 && !writer_.Behind()) {
    // No watch: the name must still lead to the open file, with the
    // permissions it was opened with. (While the writer is held up by a
    // write the name is not looked up: the lines go to the helper, and no
    // call of this thread waits on a folder that may have stopped answering.)
    struct stat st;
    if (::stat(e.system.c_str(), &st) != 0 || static_cast<uint64_t>(st.st_dev) != e.dev ||
        static_cast<uint64_t>(st.st_ino) != e.ino || st.st_mode != e.mode || st.st_uid != e.uid ||
        st.st_gid != e.gid) {
      Close(i);
      return false;
    }
  }
  Put(e.fd, data, size);
  e.last_ms = now_ms;
  if (head_ != i) {
    Unlink(i);
    PushFront(i);
  }
  return true;
}

void AppendFiles::Put(int fd, const char* data, size_t size) {
  if (batch_ > 0 || writer_.Behind())
    writer_.Post(fd, data, size);
  else
    AppendLine(fd, data, size);
}

void AppendFiles::EndBatch() {
  if (--batch_ == 0) writer_.Finish();
}

bool AppendFiles::AppendTo(const Handle& handle, const char* data, size_t size, uint64_t now_ms) {
  if (handle.index >= entries_.size() || entries_[handle.index].gen != handle.gen || entries_[handle.index].fd < 0)
    return false;
  if (batch_ == 0) {
    ReadNews();
    if (entries_[handle.index].gen != handle.gen) return false;
  }
  return Write(handle.index, data, size, now_ms);
}

void AppendFiles::Append(const std::string& path, const char* data, size_t size, uint64_t now_ms, Handle* handle) {
  if (batch_ == 0) ReadNews();
  const auto found = by_path_.find(path);
  if (found != by_path_.end()) {
    const uint32_t i = found->second;
    if (Write(i, data, size, now_ms)) {
      if (handle) *handle = Handle{i, entries_[i].gen};
      return;
    }
    // moved, deleted or replaced: the name is opened again
  }
  const uint32_t i = Open(path, now_ms);
  if (i == kNone) return;  // the line is lost, quietly
  Put(entries_[i].fd, data, size);
  if (handle) *handle = Handle{i, entries_[i].gen};
  while (open_count_ > capacity_ && tail_ != i) Close(tail_);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(FileSystemName(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string DirName(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string FindNoCase(const std::string& folder, const std::string& name) {
  std::string exact = JoinPath(folder, name);
  if (FileExists(exact)) return exact;
  DIR* d = ::opendir(folder.empty() ? "." : FileSystemName(folder).c_str());
  if (!d) return exact;
  std::string found;
  while (dirent* e = ::readdir(d)) {
    bool held = true;
    const std::string entry = Utf8ToSjis(e->d_name, &held);
    if (held && ::strcasecmp(entry.c_str(), name.c_str()) == 0) {
      found = JoinPath(folder, entry);
      break;
    }
  }
  ::closedir(d);
  return found.empty() ? exact : found;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  bool pending = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(cur);
      cur.clear();
      pending = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      cur.push_back(c);
      pending = true;
    }
  }
  if (pending) lines.push_back(cur);
  return lines;
}

std::string ProgramPath() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  return Utf8ToSjis(std::string(buf, static_cast<size_t>(n)));
}

}  // namespace zol
