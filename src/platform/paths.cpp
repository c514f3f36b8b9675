#include "platform/paths.h"

namespace qc {
namespace {

// The length of the folder part including its last separator; 0 when none.
size_t FolderPrefixLength(std::string_view path) {
  const size_t last = path.find_last_of(PathSeparators());
  return last == std::string_view::npos ? 0 : last + 1;
}

}  // namespace

std::string FolderOf(std::string_view path) {
  std::string_view folder = path.substr(0, FolderPrefixLength(path));
  if (folder.size() <= 1) return std::string(folder);
  const bool drives = PathSeparators().find(':') != std::string_view::npos;
  // "C:" and "C:\" name folders only as they are.
  if (drives && (folder.back() == ':' || folder[folder.size() - 2] == ':')) return std::string(folder);
  folder.remove_suffix(1);
  return std::string(folder);
}

std::string FileNameOf(std::string_view path) { return std::string(path.substr(FolderPrefixLength(path))); }

std::string SiblingPath(std::string_view path, std::string_view name) {
  std::string sibling(path.substr(0, FolderPrefixLength(path)));
  sibling += name;
  return sibling;
}

std::string WithExtension(std::string_view path, std::string_view extension) {
  const size_t nameStart = FolderPrefixLength(path);
  const size_t dot = path.find_last_of('.');
  std::string result(dot != std::string_view::npos && dot >= nameStart ? path.substr(0, dot) : path);
  result += extension;
  return result;
}

}  // namespace qc
