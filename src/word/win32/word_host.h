#pragma once
// What Windows tells about the running Word: its main windows, its process
// and the version resource of its executable.
#include <windows.h>

#include <string>

#include "common/user_messages.h"
#include "word/word_probe.h"

namespace qc::word {

// Top-level windows, hidden ones included, whose class is exactly `className`.
int CountTopLevelWindows(const char* className);

// The executable file name, as the process list gives it, of the first
// running process whose name contains `part` without regard to case; empty
// text when there is none.
std::string FindRunningExe(const std::string& part);

// The value under "\StringFileInfo\040904E4\" + key of the file's version
// resource; empty text when it cannot be read.
std::string GetVersionInfoString(const std::string& file, const std::string& key);

// The real host. The process list names a bare file, which the version
// functions would look for only beside this program and in the system
// folders; the running process's full image path is used where it can be had.
class Win32WordHost : public WordHostFacts {
 public:
  int CountWordWindows() override;
  std::string FindRunningExe(const std::string& part) override;
  std::string VersionInfoString(const std::string& file, const std::string& key) override;
};

// True when exactly one Word window exists; shows why not otherwise.
bool WordRunningOnce(UserMessages& messages);

}  // namespace qc::word
