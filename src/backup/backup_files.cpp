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
  return found.empty() ? JoinPath(folder, f.name) : found;
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

void SyncFolder(const std::string& path) {
  const std::string dir = FileSystemName(DirName(path));
  const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return;
  ::fsync(dfd);
  ::close(dfd);
}

}  // namespace

bool CopyToTemp(const std::string& src, const std::string& dst, std::string* tmp, FileError* err) {
  const int in = ::open(FileSystemName(src).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Fail(err, src, errno);
  struct stat st;
  if (::fstat(in, &st) != 0) {
    const int e = errno;
    ::close(in);
    return Fail(err, src, e);
  }
  // A hidden name beside the destination: the same file system, so the
  // final rename is atomic, and no match for any data file's name.
  const std::string dir = DirName(dst);
  std::string name = FileSystemName(JoinPath(dir.empty() ? "." : dir, "." + BaseName(dst) + ".XXXXXX"));
  std::vector<char> templ(name.begin(), name.end());
  templ.push_back('\0');
  const int out = ::mkostemp(templ.data(), O_CLOEXEC);
  if (out < 0) {
    const int e = errno;
    ::close(in);
    return Fail(err, dst, e);
  }
  name.assign(templ.data());
  auto fail = [&](const std::string& path, int e) {
    ::close(in);
    ::close(out);
    ::unlink(name.c_str());
    return Fail(err, path, e);
  };
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(in, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(src, errno);
    }
    if (!WriteAll(out, buf, static_cast<size_t>(n))) return fail(dst, errno);
  }
  if (::fchmod(out, st.st_mode & 0777) != 0) return fail(dst, errno);
  if (::fsync(out) != 0) return fail(dst, errno);
  ::close(in);
  if (::close(out) != 0) {
    const int e = errno;
    ::unlink(name.c_str());
    return Fail(err, dst, e);
  }
  *tmp = Utf8ToSjis(name);
  return true;
}

bool ReplaceWithTemp(const std::string& tmp, const std::string& dst, FileError* err) {
  if (::rename(FileSystemName(tmp).c_str(), FileSystemName(dst).c_str()) != 0) {
    const int e = errno;
    ::unlink(FileSystemName(tmp).c_str());
    return Fail(err, dst, e);
  }
  SyncFolder(dst);
  return true;
}

bool CopyReplacing(const std::string& src, const std::string& dst, FileError* err) {
  std::string tmp;
  return CopyToTemp(src, dst, &tmp, err) && ReplaceWithTemp(tmp, dst, err);
}

bool RenameNoReplace(const std::string& from, const std::string& to, FileError* err) {
  const std::string from_name = FileSystemName(from), to_name = FileSystemName(to);
  if (::renameat2(AT_FDCWD, from_name.c_str(), AT_FDCWD, to_name.c_str(), RENAME_NOREPLACE) == 0) {
    SyncFolder(to);
    return true;
  }
  int e = errno;
  if (e == EINVAL || e == ENOSYS) {
    // A file system without the flag: test first, then rename.
    struct stat st;
    if (::lstat(to_name.c_str(), &st) == 0) return Fail(err, to, EEXIST);
    if (::rename(from_name.c_str(), to_name.c_str()) == 0) {
      SyncFolder(to);
      return true;
    }
    e = errno;
  }
  return Fail(err, from, e);
}

}  // namespace zol
