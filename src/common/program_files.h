// The files that lie beside the program under its own name: the settings
// file (".Ini"), the device file (".dat") and the group list (".lst").
#pragma once

#include <string>

namespace zol {

// path with the extension of its file name replaced by ext (ext includes
// the dot); a name without an extension gets ext added.
std::string ChangeFileExt(const std::string& path, const std::string& ext);

// The program's file with its extension replaced by ext, in the program's
// folder, looked up there without regard to case: an existing file of that
// name in any spelling is taken; when none exists, the console's own
// spelling (program name + ext).
std::string ProgramFile(const std::string& program_path, const std::string& ext);

}  // namespace zol
