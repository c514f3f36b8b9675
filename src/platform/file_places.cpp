#include "platform/file_places.h"

#include "platform/paths.h"

namespace qc {

std::string PathIn(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const std::string_view separators = PathSeparators();
  if (separators.find(folder.back()) != std::string_view::npos) return folder + name;
  return folder + separators.front() + name;
}

DataFilePlace ChooseDataFile(const std::string& programFolder, const std::string& userFolder,
                             FolderFacts& facts) {
  const std::string beside = PathIn(programFolder, kDataFileName);
  if (facts.FileExists(beside) || userFolder.empty()) return {beside, false};
  const std::string own = PathIn(userFolder, kDataFileName);
  if (facts.FileExists(own)) return {own, false};
  if (facts.AcceptsNewFiles(FolderOf(beside))) return {beside, false};
  if (facts.AcceptsNewFiles(userFolder)) return {own, true};
  return {beside, false};
}

SettingsPlace ChooseSettingsFile(const std::string& machineFile, const std::string& userFolder,
                                 FolderFacts& facts) {
  if (userFolder.empty()) return {machineFile, {}};
  const std::string own = PathIn(userFolder, FileNameOf(machineFile));
  if (facts.FileExists(own)) return {own, machineFile};
  const bool machineWritable = facts.FileExists(machineFile) ? facts.AcceptsWrites(machineFile)
                                                             : facts.AcceptsNewFiles(FolderOf(machineFile));
  if (machineWritable) return {machineFile, {}};
  if (facts.AcceptsNewFiles(userFolder)) return {own, machineFile};
  return {machineFile, {}};
}

std::string UserFolderDataFileNotice(const std::string& dataFile, const std::string& programFolder) {
  return "Windows does not let Quillcard add files to its own folder, \"" + FolderOf(PathIn(programFolder, "x")) +
         "\".\r\nYour contacts are kept in \"" + dataFile +
         "\".\r\nAbout Quillcard, on the Configuration page, shows this place again.";
}

}  // namespace qc
