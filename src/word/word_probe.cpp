#include "word/word_probe.h"

#include "common/text.h"

namespace qc::word {

bool WordRunningOnce(WordHostFacts& host, UserMessages& messages) {
  int count = host.CountWordWindows();
  if (count == 0) messages.Information(kWordNotRunningMessage);
  if (count > 1) messages.Information(kSeveralWordsMessage);
  return count == 1;
}

WordGeneration ProbeWord(WordHostFacts& host, UserMessages& messages) {
  if (!WordRunningOnce(host, messages)) return WordGeneration::None;
  std::string exe = host.FindRunningExe(kWordExePart);
  if (exe.empty()) return WordGeneration::None;
  return GenerationOfVersion(host.VersionInfoString(exe, "ProductVersion"));
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

}  // namespace qc::word
