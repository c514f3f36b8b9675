#include "win_test_support.h"

#include <fstream>
#include <sstream>

#include "ui/form.h"
#include "ui/hooks.h"

namespace qc::test {

Recorder& Recorded() {
  static Recorder r;
  return r;
}

void InstallRecordingHooks() {
  ui::SetMessageBoxHook([](HWND, const std::string& text, UINT type) {
    Recorded().messages.push_back({text, type, {}});
    if (Recorded().answers.empty()) return IDOK;
    int a = Recorded().answers.front();
    Recorded().answers.pop_front();
    return a;
  });
  ui::SetHelpHook([](HWND, const std::string&, UINT, ULONG_PTR data) {
    Recorded().helpTopics.push_back(static_cast<int>(data));
  });
  ui::SetShellOpenHook([](HWND, const std::string& target) { Recorded().shellOpens.push_back(target); });
  ui::SetQuitHook([](int code) { Recorded().quits.push_back(code); });
  ui::SetChoiceHook([](HWND, const std::string& text, const std::vector<ui::ChoiceButton>& buttons) {
    ShownMessage shown{text, 0, {}};
    for (const ui::ChoiceButton& b : buttons) shown.buttons.push_back(b.caption);
    Recorded().messages.push_back(shown);
    if (Recorded().answers.empty()) return buttons.back().id;
    int a = Recorded().answers.front();
    Recorded().answers.pop_front();
    return a;
  });
  ui::SetSaveFileHook([](HWND, const std::string&) {
    if (Recorded().saveAsAnswers.empty()) return std::string();
    std::string file = Recorded().saveAsAnswers.front();
    Recorded().saveAsAnswers.pop_front();
    return file;
  });
}

MachineSettingsFile::MachineSettingsFile() {
  char windir[MAX_PATH];
  GetWindowsDirectoryA(windir, MAX_PATH);
  path_ = std::string(windir) + "\\QUILLCRD.INI";
  had_ = FileExists(path_);
  if (had_) saved_ = ReadFileBytes(path_);
}

MachineSettingsFile::~MachineSettingsFile() {
  if (had_) WriteFileBytes(path_, saved_);
  else DeleteFileA(path_.c_str());
}

void MachineSettingsFile::Write(const std::string& bytes) { WriteFileBytes(path_, bytes); }

TempDir::TempDir() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    path_ = std::string(base) + "qctest" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++counter) + "\\";
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

TempDir::~TempDir() {
  std::string pattern = path_ + "*";
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      SetFileAttributesA((path_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA((path_ + name).c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(path_.c_str());
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Pump() { ui::Application::Get().ProcessMessages(); }

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

void PressKey(HWND target, WPARAM vk, char ch) {
  PostMessageA(target, WM_KEYDOWN, vk, 1);
  if (ch) PostMessageA(target, WM_CHAR, static_cast<unsigned char>(ch), 1);
  PostMessageA(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001));
  Pump();
}

std::string ProgramDirectory() {
  char path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.find_last_of("\\/") + 1);
}

ChildProcess::ChildProcess(const std::string& exe, const std::string& workDir) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string cmd = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &si, &pi_))
    pi_ = PROCESS_INFORMATION{};
}

ChildProcess::~ChildProcess() {
  if (pi_.hProcess) {
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
}

DWORD ChildProcess::Wait(DWORD timeoutMs) {
  if (!pi_.hProcess) return static_cast<DWORD>(-1);
  if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return code;
}

void ChildProcess::Kill() {
  if (pi_.hProcess) TerminateProcess(pi_.hProcess, 99);
}

namespace {
struct FindData {
  DWORD pid;
  std::string caption;
  bool visibleOnly;
  HWND found;
};
BOOL CALLBACK FindTop(HWND hwnd, LPARAM lp) {
  auto* d = reinterpret_cast<FindData*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != d->pid) return TRUE;
  if (d->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  if (d->caption != text) return TRUE;
  d->found = hwnd;
  return FALSE;
}
struct ChildData {
  std::string cls, text;
  HWND found;
};
BOOL CALLBACK FindChild(HWND hwnd, LPARAM lp) {
  auto* d = reinterpret_cast<ChildData*>(lp);
  char cls[128] = {}, text[256] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  GetWindowTextA(hwnd, text, sizeof text);
  if (lstrcmpiA(cls, d->cls.c_str()) == 0 && d->text == text) {
    d->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindProcessWindow(DWORD pid, const std::string& caption, bool visibleOnly) {
  FindData d{pid, caption, visibleOnly, nullptr};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&d));
  return d.found;
}

HWND FindDescendant(HWND parent, const std::string& className, const std::string& text) {
  ChildData d{className, text, nullptr};
  EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&d));
  return d.found;
}

}  // namespace qc::test
