#pragma once
// Where the settings file and the user's own Quillcard files are on this
// machine, and the settings file opened by the rule of platform/file_places.h.
#include <memory>
#include <string>

#include "settings/profile.h"

namespace qc {

// "%APPDATA%\Quillcard": the user's roaming application-data folder with
// Quillcard's own folder in it (which may not exist yet). Empty when Windows
// names no such folder or its path cannot be spelt in the ANSI code page.
std::string UserFilesFolder();

// "QUILLCRD.INI" in the Windows folder, the one settings file of the machine.
std::string MachineSettingsFile();

struct SettingsFile {
  std::unique_ptr<Profile> profile;
  std::string path;  // the file written
};

// The settings file by the rule of ChooseSettingsFile, through the Windows
// profile functions.
SettingsFile OpenSettingsFile(const std::string& userFolder);

}  // namespace qc
