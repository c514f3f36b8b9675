#pragma once
// Finding the one running Word and telling its generation, over the facts
// the host gives about windows, processes and version resources.
#include <string>
#include <vector>

#include "common/user_messages.h"

namespace qc::word {

// 0: no usable Word; 1: the Word 7 generation (a product version that
// begins with "7"); 2: any other, an unreadable version included.
enum class WordGeneration { None = 0, Word7 = 1, Word8 = 2 };

inline constexpr char kWordWindowClass[] = "OpusApp";
inline constexpr char kWordExePart[] = "winword";
inline constexpr char kWordNotRunningMessage[] =
    "Quillcard requires that Microsoft Word is already opened.\r\n Please open Word and try again";
inline constexpr char kSeveralWordsMessage[] =
    "Quillcard requires that only one instance of Microsoft Word is running.\r\n"
    "Please close all running instances of Word but one and try again";
inline constexpr char kUnableToConnectMessage[] = "Unable to connect to Word - QUITING";

// What the probe asks of the system.
class WordHostFacts {
 public:
  virtual ~WordHostFacts() = default;
  // Top-level windows, hidden ones included, whose class is exactly "OpusApp".
  virtual int CountWordWindows() = 0;
  // The first running process whose executable name contains `part` without
  // regard to case: a path by which its version resource can be read, or
  // empty text when there is none.
  virtual std::string FindRunningExe(const std::string& part) = 0;
  // The value under "\StringFileInfo\040904E4\" + key of the file's version
  // resource; empty text when there is none.
  virtual std::string VersionInfoString(const std::string& file, const std::string& key) = 0;
};

// True when exactly one Word window exists; otherwise tells the user why not.
bool WordRunningOnce(WordHostFacts& host, UserMessages& messages);

// The check every Word action runs first. The running Word's product
// version, as its executable names it (empty when unreadable), goes to
// `productVersion` when asked for.
WordGeneration ProbeWord(WordHostFacts& host, UserMessages& messages, std::string* productVersion = nullptr);

// The first of the executable names (in process-list order) that contains
// `part`, compared without regard to case; empty text when none does.
std::string FirstMatchingExe(const std::vector<std::string>& exeNames, const std::string& part);

// The generation a product version text stands for.
WordGeneration GenerationOfVersion(const std::string& productVersion);

// The major version a product version text begins with ("16.0.5110" gives
// 16, "7.0a" gives 7); 0 when it does not begin with a number.
int MajorVersionOf(const std::string& productVersion);

}  // namespace qc::word
