// The settings file format: an INI text in Shift-JIS with CR LF line ends,
// made of "[section]" header lines each followed by "key=value" lines.
//
// The whole file is held as its lines, so a rewrite changes only the keys it
// writes: a written key gets its new value in place, or is added at the end
// of its section; a missing section is added at the end of the file; every
// other line (unknown keys, comments, blank lines) stays as it is. Section
// and key names are matched without regard to case, the first match wins.
// Saving builds the whole text in memory and replaces the file atomically.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zol {

// Longest text a read gives back, in bytes.
constexpr size_t kIniMaxText = 2047;

// An integer value: decimal (optional sign), or hexadecimal after "0x" or
// "0X" when the text is longer than two characters. The whole text must be
// the number and it must fit 32 bits (hexadecimal up to 0xFFFFFFFF, taken
// as the 32-bit pattern); false otherwise.
bool ParseIniInteger(const std::string& text, int32_t* out);

// Names equal without regard to ASCII case; the second byte of a Shift-JIS
// double-byte character is compared exactly.
bool IniNameEqual(const std::string& a, const std::string& b);

class IniDocument {
 public:
  // Takes the lines of bytes (CR LF, CR or LF each end a line).
  void Parse(const std::string& bytes);

  // Reads path into the document. A missing file gives an empty document
  // and true; false (and err) when the file exists but cannot be read.
  bool Load(const std::string& path, std::string* err = nullptr);

  // The value of key in section, cut to kIniMaxText bytes, or def when the
  // key is missing. A present key with an empty value gives the empty text.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  // The value as an integer; def when missing, empty or not a number.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  // Read as an integer, non-zero is true; def when missing, empty or not a number.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);  // "1" / "0"

  // The file's bytes: every line followed by CR LF.
  std::string Bytes() const;

  // Writes Bytes() to path through a temporary file renamed over the old one;
  // on failure the old file is whole and err holds the system's reason.
  bool Save(const std::string& path, std::string* err) const;

  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  // Index of the section's header line, or -1.
  long FindSection(const std::string& section) const;
  // One past the section's last line (the next header or the end).
  size_t SectionEnd(long header) const;
  // Index of the key's line in the section, or -1.
  long FindKey(long header, const std::string& key) const;

  std::vector<std::string> lines_;
};

}  // namespace zol
