// File helpers: whole-file reads, crash-safe rewrites, log appends and the
// program's own location.
#pragma once

#include <string>
#include <vector>

namespace zol {

// The system's reason for the error number e, always in English (the C
// locale), whatever the user's language: the text goes into Shift-JIS texts.
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

bool FileExists(const std::string& path);

// Folder part of a path ("" when there is none) and the name part.
std::string DirName(const std::string& path);
std::string BaseName(const std::string& path);

// Joins folder and name with one "/" (none when folder is empty).
std::string JoinPath(const std::string& folder, const std::string& name);

// The entry of folder whose name equals name without regard to ASCII case;
// folder/name itself when none matches.
std::string FindNoCase(const std::string& folder, const std::string& name);

// Splits text into lines at CR LF, CR or LF; a last line without an end is
// kept, an empty text gives no line.
std::vector<std::string> SplitLines(const std::string& text);

// The running program's path (from /proc/self/exe).
std::string ProgramPath();

}  // namespace zol
