// File helpers: whole-file reads, crash-safe rewrites, log appends and the
// program's own location.
//
// Paths are Shift-JIS texts like every other text of the core; the file
// system's names are UTF-8. Every helper here converts a path to the file
// system's name as it opens, renames, tests or lists, and converts names
// read from the system (folder entries, the program's path) to Shift-JIS.
#pragma once

#include <string>
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
