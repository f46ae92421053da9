#include "common/ini_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "common/files.h"
#include "common/text.h"

namespace zol {

namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// The section name of a header line, false when the line is no header.
bool HeaderName(const std::string& line, std::string* name) {
  std::string t = Trim(line);
  if (t.empty() || t[0] != '[') return false;
  size_t close = t.find(']');
  *name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

// Key name and value of a key line, false when the line has no "=" or no name.
bool KeyLine(const std::string& line, std::string* key, std::string* value) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  *key = Trim(line.substr(0, eq));
  if (key->empty()) return false;
  if (value) *value = Trim(line.substr(eq + 1));
  return true;
}

}  // namespace

bool ParseIniInteger(const std::string& text, int32_t* out) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint64_t v = 0;
    for (size_t i = 2; i < text.size(); ++i) {
      int d = HexDigitValue(text[i]);
      if (d < 0) return false;
      v = v * 16 + static_cast<uint64_t>(d);
      if (v > 0xFFFFFFFFull) return false;
    }
    *out = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
  }
  return ParseDecimal(text, out);
}

bool IniNameEqual(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (IsSjisLeadByte(static_cast<unsigned char>(a[i]))) {
      if (a[i] != b[i]) return false;
      if (i + 1 < a.size()) {
        ++i;
        if (a[i] != b[i]) return false;
      }
      continue;
    }
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

void IniDocument::Parse(const std::string& bytes) { lines_ = SplitLines(bytes); }

bool IniDocument::Load(const std::string& path, std::string* err) {
  lines_.clear();
  struct stat st;
  if (::stat(FileSystemName(path).c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return true;  // no file: no keys
    if (err) *err = SystemReason(errno);
    return false;
  }
  std::string bytes;
  errno = 0;
  if (S_ISDIR(st.st_mode) || !ReadFile(path, &bytes)) {
    if (err) *err = SystemReason(S_ISDIR(st.st_mode) ? EISDIR : (errno ? errno : EIO));
    return false;
  }
  Parse(bytes);
  return true;
}

long IniDocument::FindSection(const std::string& section) const {
  std::string name;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (HeaderName(lines_[i], &name) && IniNameEqual(name, section)) return static_cast<long>(i);
  }
  return -1;
}

size_t IniDocument::SectionEnd(long header) const {
  std::string name;
  size_t i = static_cast<size_t>(header) + 1;
  while (i < lines_.size() && !HeaderName(lines_[i], &name)) ++i;
  return i;
}

long IniDocument::FindKey(long header, const std::string& key) const {
  if (header < 0) return -1;
  size_t end = SectionEnd(header);
  std::string name;
  for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
    if (KeyLine(lines_[i], &name, nullptr) && IniNameEqual(name, key)) return static_cast<long>(i);
  }
  return -1;
}

std::string IniDocument::ReadString(const std::string& section, const std::string& key,
                                    const std::string& def) const {
  long line = FindKey(FindSection(section), key);
  if (line < 0) return def;
  std::string name, value;
  KeyLine(lines_[static_cast<size_t>(line)], &name, &value);
  if (value.size() > kIniMaxText) value.resize(kIniMaxText);
  return value;
}

int32_t IniDocument::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
  int32_t v;
  return ParseIniInteger(ReadString(section, key, std::string()), &v) ? v : def;
}

bool IniDocument::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniDocument::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  long header = FindSection(section);
  if (header < 0) {
    lines_.push_back("[" + section + "]");
    lines_.push_back(key + "=" + value);
    return;
  }
  long line = FindKey(header, key);
  if (line >= 0) {
    // Keep the name as the file spells it; only the value changes.
    std::string name;
    KeyLine(lines_[static_cast<size_t>(line)], &name, nullptr);
    lines_[static_cast<size_t>(line)] = name + "=" + value;
    return;
  }
  // After the section's last line that is not blank, so blank lines that
  // part it from the next section stay below it.
  size_t at = SectionEnd(header);
  while (at > static_cast<size_t>(header) + 1 && Trim(lines_[at - 1]).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<long>(at), key + "=" + value);
}

void IniDocument::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void IniDocument::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::string IniDocument::Bytes() const {
  std::string out;
  for (const std::string& l : lines_) {
    out += l;
    out += "\r\n";
  }
  return out;
}

bool IniDocument::Save(const std::string& path, std::string* err) const {
  return WriteFileAtomic(path, Bytes(), err);
}

}  // namespace zol
