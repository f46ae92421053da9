#include "common/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace zol {

std::string SystemReason(int e) {
  const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (c == static_cast<locale_t>(0)) return "error " + std::to_string(e);
  std::string reason = ::strerror_l(e, c);
  ::freelocale(c);
  return reason;
}

bool ReadFile(const std::string& path, std::string* bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes->append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool WriteFileAtomic(const std::string& path, const std::string& bytes, std::string* err) {
  const std::string tmp = path + ".tmp";
  auto fail = [&](int fd) {
    int e = errno;
    if (fd >= 0) ::close(fd);
    struct stat st;
    if (::lstat(tmp.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(tmp.c_str());
    if (err) *err = SystemReason(e);
    return false;
  };
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return fail(-1);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return fail(fd);
    }
    done += static_cast<size_t>(w);
  }
  if (::fsync(fd) != 0) return fail(fd);
  if (::close(fd) != 0) return fail(-1);
  if (::rename(tmp.c_str(), path.c_str()) != 0) return fail(-1);
  // Make the rename itself durable.
  std::string dir = DirName(path);
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

void AppendToFile(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
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
  DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return exact;
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      found = JoinPath(folder, e->d_name);
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
  buf[n] = '\0';
  return buf;
}

}  // namespace zol
