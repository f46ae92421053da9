#include "common/program_files.h"

#include "common/files.h"

namespace zol {

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string ProgramFile(const std::string& program_path, const std::string& ext) {
  std::string own = ChangeFileExt(program_path, ext);
  return FindNoCase(DirName(own), BaseName(own));
}

}  // namespace zol
