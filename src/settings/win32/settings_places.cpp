#include "settings/win32/settings_places.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "platform/file_places.h"
#include "settings/app_settings.h"
#include "settings/layered_profile.h"
#include "settings/win32/win_profile.h"

namespace qc {
namespace {

// The ANSI spelling of a path, or nothing when a character has none.
bool ToAnsiPath(const std::wstring& wide, std::string& ansi) {
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
  if (n <= 1 || lossy) return false;
  ansi.assign(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, ansi.data(), n, nullptr, nullptr);
  ansi.resize(static_cast<size_t>(n - 1));
  return true;
}

}  // namespace

std::string UserFilesFolder() {
  PWSTR folder = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &folder))) {
    CoTaskMemFree(folder);
    return {};
  }
  std::wstring wide(folder);
  CoTaskMemFree(folder);
  std::string ansi;
  if (!ToAnsiPath(wide, ansi)) {
    // A name outside the code page may still have a short spelling within it.
    wchar_t shortName[MAX_PATH];
    const DWORD n = GetShortPathNameW(wide.c_str(), shortName, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !ToAnsiPath(shortName, ansi)) return {};
  }
  return PathIn(ansi, "Quillcard");
}

std::string MachineSettingsFile() {
  char folder[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryA(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return kSettingsFileName;  // the profile functions find it themselves
  return PathIn(std::string(folder, n), kSettingsFileName);
}

SettingsFile OpenSettingsFile(const std::string& userFolder) {
  const SettingsPlace place = ChooseSettingsFile(MachineSettingsFile(), userFolder, SystemFolderFacts());
  std::unique_ptr<Profile> fallback;
  if (!place.fallback.empty()) fallback = std::make_unique<WinProfile>(place.fallback);
  return {std::make_unique<LayeredProfile>(std::make_unique<WinProfile>(place.file), std::move(fallback)),
          place.file};
}

}  // namespace qc
