#pragma once
// A test seam in the safe save: a hook called before each step of replacing a
// file's content, which can make that step fail or stop the process there, as
// a full disk or a power cut would. Unset (the normal case) it costs one test.
// Writing over the existing file, in a folder that refuses new files, passes
// the same steps on that file, all but Replace.
#include <functional>

namespace qc {

enum class SaveStep {
  CreateTemporary,  // before the temporary file is created
  WriteHalf,        // after half of the content is written
  WriteRest,        // before the rest of the content is written
  Flush,            // before the content is flushed to disk
  Close,            // before the temporary file is closed
  Replace,          // before it takes the old file's place
  AfterReplace,     // after the new content is in place, before the save returns
};
inline constexpr int kSaveStepCount = 7;

enum class FaultAction { Continue, Fail, Stop };

// The exit code of a process stopped by the seam.
inline constexpr int kStoppedBySeam = 86;

inline std::function<FaultAction(SaveStep)>& SaveFaultHook() {
  static std::function<FaultAction(SaveStep)> hook;
  return hook;
}

inline FaultAction SaveFaultAt(SaveStep step) {
  auto& hook = SaveFaultHook();
  return hook ? hook(step) : FaultAction::Continue;
}

}  // namespace qc
