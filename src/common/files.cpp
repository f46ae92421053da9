#include "common/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <langinfo.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

namespace {

// The file a data file's name stands for: a symbolic link is followed, hop
// by hop, to the name it finally points to (which need not exist yet), so
// the rewrite replaces the link's target and the link stays a link.
std::string FollowLinks(const std::string& path) {
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
  const std::string target = FollowLinks(FileSystemName(path));
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

void AppendToFile(const std::string& path, const std::string& text) {
  const int fd = ::open(FileSystemName(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  // A line goes in whole or not at all: after a short write (a full disk,
  // a size limit) the file is cut back to where the line began, so the next
  // line does not continue a broken one.
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && !WriteAll(fd, text.data(), text.size()))
    (void)!::ftruncate(fd, st.st_size);
  ::close(fd);
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
