#include "word/win32/word_host.h"

#include <tlhelp32.h>

#include <vector>

namespace qc::word {
namespace {

struct WindowCount {
  const char* className;
  int count;
};

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM lp) {
  auto* c = reinterpret_cast<WindowCount*>(lp);
  char name[257] = {};
  GetClassNameA(hwnd, name, 256);
  if (lstrcmpA(name, c->className) == 0) ++c->count;
  return TRUE;  // always to the last window
}

class Snapshot {
 public:
  Snapshot() : h_(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)) {}
  ~Snapshot() {
    if (Valid()) CloseHandle(h_);
  }
  Snapshot(const Snapshot&) = delete;
  Snapshot& operator=(const Snapshot&) = delete;
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

struct RunningExe {
  std::string file;
  DWORD pid = 0;
};

RunningExe FirstRunning(const std::string& part) {
  Snapshot snap;
  if (!snap.Valid()) return {};
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snap.Get(), &entry); more; more = Process32Next(snap.Get(), &entry)) {
    std::string file(entry.szExeFile, strnlen(entry.szExeFile, MAX_PATH));
    if (!FirstMatchingExe({file}, part).empty()) return {file, entry.th32ProcessID};
  }
  return {};
}

std::string ImagePath(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return {};
  char path[MAX_PATH * 2] = {};
  DWORD size = sizeof path;
  std::string result;
  if (QueryFullProcessImageNameA(process, 0, path, &size)) result.assign(path, size);
  CloseHandle(process);
  return result;
}

}  // namespace

int CountTopLevelWindows(const char* className) {
  WindowCount c{className, 0};
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&c));
  return c.count;
}

std::string FindRunningExe(const std::string& part) { return FirstRunning(part).file; }

std::string GetVersionInfoString(const std::string& file, const std::string& key) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
  if (size == 0) return {};
  std::vector<char> buffer(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, buffer.data())) return {};
  std::string path = "\\StringFileInfo\\040904E4\\" + key;
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(buffer.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
    return {};
  return std::string(value, strnlen(value, length));
}

int Win32WordHost::CountWordWindows() { return CountTopLevelWindows(kWordWindowClass); }

std::string Win32WordHost::FindRunningExe(const std::string& part) {
  RunningExe exe = FirstRunning(part);
  if (exe.file.empty()) return {};
  std::string full = ImagePath(exe.pid);
  return full.empty() ? exe.file : full;
}

std::string Win32WordHost::VersionInfoString(const std::string& file, const std::string& key) {
  return GetVersionInfoString(file, key);
}

bool WordRunningOnce(UserMessages& messages) {
  Win32WordHost host;
  return word::WordRunningOnce(host, messages);
}

}  // namespace qc::word
