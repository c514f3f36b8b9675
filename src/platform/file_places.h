#pragma once
// Where Quillcard keeps its data file and its settings file. The data file
// stands beside the program and the settings file in the Windows folder, as
// long as the user may write there; where the system refuses, both go to the
// user's own folder for Quillcard ("%APPDATA%\Quillcard" on Windows). The
// rules are here; the answers about files and folders come from FolderFacts.
#include <string>

namespace qc {

inline constexpr char kDataFileName[] = "QUILLCRD.DAT";

// What the rules need to know of the files and folders around them.
class FolderFacts {
 public:
  virtual ~FolderFacts() = default;
  virtual bool FileExists(const std::string& path) = 0;
  // The existing file may be written.
  virtual bool AcceptsWrites(const std::string& file) = 0;
  // A new file may be created in the folder; a folder that does not exist
  // is made first, and then answers as it does when it exists.
  virtual bool AcceptsNewFiles(const std::string& folder) = 0;
};

// The answers of the system the program runs on. On Windows the answers are
// tried: the file is opened for writing, a file is created in the folder
// (and deleted at once); attributes and rights are not interpreted.
FolderFacts& SystemFolderFacts();

// `folder` followed by the file `name`, with one separator between them.
std::string PathIn(const std::string& folder, const std::string& name);

struct DataFilePlace {
  std::string path;
  // In the user's folder because the program's folder refuses new files,
  // and created by this run: the user is to be told where it is.
  bool newInUserFolder = false;
};

// The one rule for the data file:
// 1. a data file beside the program is always the one used;
// 2. else one in the user's folder, left there by an earlier run;
// 3. else a new one beside the program, when its folder accepts new files;
// 4. else a new one in the user's folder, when that folder accepts them;
// 5. else beside the program, where creating it fails and says why.
// `userFolder` is empty when the system names none.
DataFilePlace ChooseDataFile(const std::string& programFolder, const std::string& userFolder,
                             FolderFacts& facts);

struct SettingsPlace {
  std::string file;      // read first, and the one written
  std::string fallback;  // read for keys `file` does not hold; empty when none
};

// The one rule for the settings file ("QUILLCRD.INI"), given its
// machine-wide path (in the Windows folder):
// 1. a per-user file that exists is read first and written, and the
//    machine-wide file still gives the keys it lacks;
// 2. else the machine-wide file, when it may be written (or, when missing,
//    created);
// 3. else the per-user file, when its folder accepts new files: the
//    machine-wide file's values are the starting point, the writes go
//    to the user's own file;
// 4. else the machine-wide file, whose refused write is then reported.
SettingsPlace ChooseSettingsFile(const std::string& machineFile, const std::string& userFolder,
                                 FolderFacts& facts);

// The message of the run that made a new data file in the user's folder
// because the program's folder refuses new files.
std::string UserFolderDataFileNotice(const std::string& dataFile, const std::string& programFolder);

}  // namespace qc
