#pragma once
#include <string>

namespace qc {

// The name of the single-instance mutex and of the wake message.
inline constexpr char kMutexName[] = "QuillcardMutex";
inline constexpr char kWakeMessageName[] = "Quillcard Custom Message";

// The folder of the running executable, ending with a separator.
std::string ExecutableDirectory();

// The whole program: single instance, main window, message loop. Returns the exit code.
int RunProgram();

}  // namespace qc
