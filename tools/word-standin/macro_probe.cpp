// A program for the stand-in's tests to have a macro start: it appends one
// line (its process id, the path it was started from and its whole command
// line, divided by tabs) to the file named by its first argument, or without
// one to "probe-runs.txt" in its own folder, and ends.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return 2;
  char path[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string line = std::to_string(GetCurrentProcessId()) + "\t" + path + "\t" + GetCommandLineA() + "\r\n";
  std::wstring target = argc > 1 ? argv[1] : L"";
  LocalFree(argv);
  if (target.empty()) {
    wchar_t self[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    target = self;
    target = target.substr(0, target.find_last_of(L"\\/") + 1) + L"probe-runs.txt";
  }
  HANDLE out = CreateFileW(target.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  BOOL ok = WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(out);
  return ok && written == line.size() ? 0 : 1;
}
