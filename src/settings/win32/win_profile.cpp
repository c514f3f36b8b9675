#include "settings/win32/win_profile.h"

#include <windows.h>

#include <utility>

#include "platform/paths.h"
#include "settings/ini_file.h"

namespace qc {
namespace {

// Where the profile functions keep the file: a name without a drive or a
// leading separator is taken from the Windows directory.
std::string ProfileFilePath(const std::string& name) {
  const bool full = (name.size() >= 2 && name[1] == ':') ||
                    (!name.empty() && (name[0] == '\\' || name[0] == '/'));
  if (full) return name;
  char dir[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryA(dir, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return name;
  return std::string(dir, length) + "\\" + name;
}

}  // namespace

WinProfile::WinProfile(std::string fileName) : fileName_(std::move(fileName)) {}

std::string WinProfile::ReadString(const std::string& section, const std::string& key,
                                   const std::string& def) {
  char buffer[kMaxProfileValueLength + 1] = {};
  DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer,
                                          sizeof buffer, fileName_.c_str());
  if (length >= sizeof buffer) length = sizeof buffer - 1;
  return std::string(buffer, length);
}

bool WinProfile::WriteString(const std::string& section, const std::string& key,
                             const std::string& value) {
  if (!IsWritableSectionName(section) || !IsWritableKeyName(key)) return false;
  // A read-only file refuses the write, as on Windows. Wine reports such a
  // write as done while the file keeps its old content.
  DWORD attributes = GetFileAttributesA(ProfileFilePath(fileName_).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  std::string line = OneLineProfileValue(value);
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), line.c_str(),
                                    fileName_.c_str()) != FALSE;
}

std::string WinProfile::FileName() const { return FileNameOf(fileName_); }

}  // namespace qc
