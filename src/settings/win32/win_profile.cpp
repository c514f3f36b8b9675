#include "settings/win32/win_profile.h"

#include <windows.h>

#include <utility>

#include "settings/ini_file.h"

namespace qc {

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
  std::string line = OneLineProfileValue(value);
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), line.c_str(),
                                    fileName_.c_str()) != FALSE;
}

std::string WinProfile::FileName() const {
  std::string::size_type slash = fileName_.find_last_of("\\/:");
  return slash == std::string::npos ? fileName_ : fileName_.substr(slash + 1);
}

}  // namespace qc
