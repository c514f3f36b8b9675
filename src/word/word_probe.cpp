#include "word/word_probe.h"

#include "common/text.h"

namespace qc::word {

bool WordRunningOnce(WordHostFacts& host, UserMessages& messages) {
  int count = host.CountWordWindows();
  if (count == 0) messages.Information(kWordNotRunningMessage);
  if (count > 1) messages.Information(kSeveralWordsMessage);
  return count == 1;
}

WordGeneration ProbeWord(WordHostFacts& host, UserMessages& messages, std::string* productVersion) {
  if (!WordRunningOnce(host, messages)) return WordGeneration::None;
  std::string exe = host.FindRunningExe(kWordExePart);
  if (exe.empty()) return WordGeneration::None;
  std::string version = host.VersionInfoString(exe, "ProductVersion");
  if (productVersion) *productVersion = version;
  return GenerationOfVersion(version);
}

std::string FirstMatchingExe(const std::vector<std::string>& exeNames, const std::string& part) {
  std::string wanted = UpperCase(part);
  for (const std::string& name : exeNames)
    if (UpperCase(name).find(wanted) != std::string::npos) return name;
  return {};
}

WordGeneration GenerationOfVersion(const std::string& productVersion) {
  return !productVersion.empty() && productVersion[0] == '7' ? WordGeneration::Word7
                                                             : WordGeneration::Word8;
}

int MajorVersionOf(const std::string& productVersion) {
  int major = 0;
  for (char c : productVersion) {
    if (c < '0' || c > '9') break;
    major = major * 10 + (c - '0');
    if (major > 999) return 0;  // no Word has such a number
  }
  return major;
}

}  // namespace qc::word
