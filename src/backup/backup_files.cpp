#include "backup/backup_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "common/charset.h"
#include "common/files.h"

namespace zol {

const DataFileName kDataFiles[3] = {
    {"zolyab4.dat", "zolyab4.dat", ".dat_bak"},
    {"zolyab4.ini", "zolyab4.Ini", ".ini_bak"},
    {"zolyab4.lst", "zolyab4.lst", ".lst_bak"},
};

std::string FindDataFile(const std::string& folder, const DataFileName& f) {
  const std::string found = FindNoCase(folder, f.console_name);
  return FileExists(found) ? found : std::string();
}

std::string DataFileTarget(const std::string& folder, const DataFileName& f) {
  const std::string found = FindDataFile(folder, f);
  if (!found.empty()) return found;
  const std::string entry = FindNoCase(folder, f.console_name);
  struct stat st;
  if (::lstat(FileSystemName(entry).c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return entry;
  return JoinPath(folder, f.name);
}

bool EntryExistsNoCase(const std::string& folder, const std::string& name) {
  struct stat st;
  return ::lstat(FileSystemName(FindNoCase(folder, name)).c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(FileSystemName(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

bool Fail(FileError* err, const std::string& path, int e) {
  if (err) *err = FileError{path, SystemReason(e)};
  return false;
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t w = ::write(fd, data, size);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += w;
    size -= static_cast<size_t>(w);
  }
  return true;
}

// Makes a rename in the folder of the file system's name path durable.
void SyncFolderOf(const std::string& path) {
  const std::string dir = DirName(path);
  const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return;
  ::fsync(dfd);
  ::close(dfd);
}

// Where a copy failed: the system's error, and whether reading the source
// (rather than writing the copy) failed.
struct CopyFailure {
  int e = 0;
  bool at_source = false;
};

// Copies the file src into a new file with a unique hidden name beside
// near (both the file system's names: the same folder, so a rename of it
// onto near is atomic, and no match for any data file's name), with src's
// permission bits, flushed to disk; *tmp receives its name. On failure no
// file is left.
bool CopyBeside(const std::string& src, const std::string& near, std::string* tmp, CopyFailure* why) {
  const int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (in < 0 || ::fstat(in, &st) != 0) {
    *why = CopyFailure{errno, true};
    if (in >= 0) ::close(in);
    return false;
  }
  const std::string dir = DirName(near);
  std::string name = JoinPath(dir.empty() ? "." : dir, "." + BaseName(near) + ".XXXXXX");
  const int out = ::mkostemp(&name[0], O_CLOEXEC);
  if (out < 0) {
    *why = CopyFailure{errno, false};
    ::close(in);
    return false;
  }
  auto fail = [&](int e, bool at_source) {
    ::close(in);
    ::close(out);
    ::unlink(name.c_str());
    *why = CopyFailure{e, at_source};
    return false;
  };
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(in, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno, true);
    }
    if (!WriteAll(out, buf, static_cast<size_t>(n))) return fail(errno, false);
  }
  if (::fchmod(out, st.st_mode & 0777) != 0) return fail(errno, false);
  if (::fsync(out) != 0) return fail(errno, false);
  ::close(in);
  if (::close(out) != 0) {
    *why = CopyFailure{errno, false};
    ::unlink(name.c_str());
    return false;
  }
  *tmp = name;
  return true;
}

// Renames from onto to, never replacing an existing to: 0, or the error.
int RenameNoReplaceSystem(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  const int e = errno;
  if (e != EINVAL && e != ENOSYS) return e;
  // A file system without the flag: test first, then rename.
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Gives the file a second name bak that never replaces an existing entry:
// a hard link, or where none can be made (another file system, a file the
// system does not let us link) a full copy renamed into place. 0, or the
// error.
int SecondName(const std::string& file, const std::string& bak) {
  if (::link(file.c_str(), bak.c_str()) == 0) return 0;
  if (errno == EEXIST) return EEXIST;
  std::string tmp;
  CopyFailure why;
  if (!CopyBeside(file, bak, &tmp, &why)) return why.e;
  const int e = RenameNoReplaceSystem(tmp, bak);
  if (e != 0) ::unlink(tmp.c_str());
  return e;
}

}  // namespace

bool CopyReplacing(const std::string& src, const std::string& dst, FileError* err) {
  const std::string target = LinkedFileName(FileSystemName(dst));
  std::string tmp;
  CopyFailure why;
  if (!CopyBeside(FileSystemName(src), target, &tmp, &why)) return Fail(err, why.at_source ? src : dst, why.e);
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const int e = errno;
    ::unlink(tmp.c_str());
    return Fail(err, dst, e);
  }
  SyncFolderOf(target);
  return true;
}

bool RestoreFile(const std::string& backup, const std::string& dst, const std::string& bak,
                 const std::function<void()>& step, FileError* err) {
  const auto stepped = [&step] {
    if (step) step();
  };
  // 1. The whole copy beside the file it replaces; the current file untouched.
  const std::string target = LinkedFileName(FileSystemName(dst));
  std::string tmp;
  CopyFailure why;
  if (!CopyBeside(FileSystemName(backup), target, &tmp, &why)) return Fail(err, why.at_source ? backup : dst, why.e);
  stepped();
  // 2. The current file keeps its old content under bak as well.
  const std::string bak_name = bak.empty() ? std::string() : FileSystemName(bak);
  const bool made_bak = !bak_name.empty() && SecondName(target, bak_name) == 0;
  if (made_bak) SyncFolderOf(bak_name);
  stepped();
  // 3. The copy takes the current file's place in one rename.
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const int e = errno;
    ::unlink(tmp.c_str());
    if (made_bak) ::unlink(bak_name.c_str());
    return Fail(err, dst, e);
  }
  SyncFolderOf(target);
  stepped();
  return true;
}

bool RenameNoReplace(const std::string& from, const std::string& to, FileError* err) {
  const std::string to_name = FileSystemName(to);
  const int e = RenameNoReplaceSystem(FileSystemName(from), to_name);
  if (e == 0) {
    SyncFolderOf(to_name);
    return true;
  }
  return Fail(err, from, e);
}

}  // namespace zol
