#pragma once
// Helpers shared by the Windows tests: recorded message boxes and help calls,
// temporary folders, message pumping and child processes.
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace qc::test {

struct ShownMessage {
  std::string text;
  UINT type = 0;
  std::vector<std::string> buttons;  // a choice's own buttons; empty for a message box
};

struct Recorder {
  std::vector<ShownMessage> messages;
  std::vector<int> helpTopics;
  std::vector<std::string> shellOpens;
  std::vector<int> quits;
  // Answers for the next message boxes and choices (IDOK, IDCANCEL...); when
  // empty a message box gets IDOK and a choice its last (cancel) button.
  std::deque<int> answers;
  // Files chosen in the next Save As dialogs; cancelled when empty.
  std::deque<std::string> saveAsAnswers;
  void Clear() { *this = Recorder{}; }
};

Recorder& Recorded();
void InstallRecordingHooks();

// A fresh empty folder under the temporary folder, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& Path() const { return path_; }  // ends with a backslash
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// The machine-wide settings file, "QUILLCRD.INI" in the Windows folder, that
// the real program reads: a test writes its own, and the one that was there
// (or none) is put back when this goes.
class MachineSettingsFile {
 public:
  MachineSettingsFile();
  ~MachineSettingsFile();
  MachineSettingsFile(const MachineSettingsFile&) = delete;
  MachineSettingsFile& operator=(const MachineSettingsFile&) = delete;
  void Write(const std::string& bytes);
  const std::string& Path() const { return path_; }

 private:
  std::string path_, saved_;
  bool had_ = false;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// Handles the waiting messages of this thread (through the program's loop).
void Pump();
// Pumps until the condition holds or the time runs out; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Posts a key press (down, char when printable, up) to a window and pumps.
void PressKey(HWND target, WPARAM vk, char ch = 0);

// The folder of the running test program, with a trailing backslash.
std::string ProgramDirectory();

// A child process with its handle closed on destruction.
class ChildProcess {
 public:
  ChildProcess(const std::string& exe, const std::string& workDir);
  ~ChildProcess();
  DWORD Id() const { return pi_.dwProcessId; }
  HANDLE Handle() const { return pi_.hProcess; }
  // Waits for the end; returns the exit code, or STILL_ACTIVE on time-out.
  DWORD Wait(DWORD timeoutMs);
  void Kill();

 private:
  PROCESS_INFORMATION pi_{};
};

// The visible top-level window of a process with the given caption, or null.
HWND FindProcessWindow(DWORD pid, const std::string& caption, bool visibleOnly = true);
// Finds a child window by class and text anywhere below a window.
HWND FindDescendant(HWND parent, const std::string& className, const std::string& text);

}  // namespace qc::test
