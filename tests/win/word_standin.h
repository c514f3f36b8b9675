#pragma once
// The Word stand-in seen from a test: started as a separate process beside
// the test program, steered and read back through its control channel, and
// ended when the test is done with it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "../../tools/word-standin/standin_protocol.h"
#include "win_test_support.h"

namespace qc::test {

enum class StandinBuild { Word7, Word8, Word16 };

inline std::string StandinExe(StandinBuild b) {
  const char* name = b == StandinBuild::Word7 ? "winword7.exe" : b == StandinBuild::Word8 ? "winword8.exe" : "winword16.exe";
  return ProgramDirectory() + name;
}

// Where a generation keeps its options, the startup folder ("STARTUP-PATH") among them.
inline std::string StandinOptionsKey(StandinBuild b) {
  return b == StandinBuild::Word7 ? "Software\\Microsoft\\Word\\7.0\\Options"
         : b == StandinBuild::Word8 ? "Software\\Microsoft\\Office\\8.0\\Word\\Options"
                                    : "Software\\Microsoft\\Office\\16.0\\Word\\Options";
}

// Names a generation's startup folder (an empty one: no value at all) for as
// long as it lives, and puts back the value that was there before (or none).
// A stand-in reads it when it starts.
class ScopedStartupFolder {
 public:
  ScopedStartupFolder(StandinBuild b, const std::string& folder) : key_(StandinOptionsKey(b)) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
      ADD_FAILURE() << "cannot open HKCU\\" << key_;
      return;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, kValue, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      old_.resize(size);
      had_ = RegQueryValueExA(key, kValue, nullptr, &type_, reinterpret_cast<BYTE*>(old_.data()), &size) == ERROR_SUCCESS;
      old_.resize(size);
    }
    if (folder.empty())
      RegDeleteValueA(key, kValue);
    else
      EXPECT_EQ(RegSetValueExA(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                               static_cast<DWORD>(folder.size() + 1)),
                ERROR_SUCCESS);
    RegCloseKey(key);
  }
  ~ScopedStartupFolder() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (had_)
      RegSetValueExA(key, kValue, 0, type_, reinterpret_cast<const BYTE*>(old_.data()), static_cast<DWORD>(old_.size()));
    else
      RegDeleteValueA(key, kValue);
    RegCloseKey(key);
  }
  ScopedStartupFolder(const ScopedStartupFolder&) = delete;
  ScopedStartupFolder& operator=(const ScopedStartupFolder&) = delete;

 private:
  static constexpr const char* kValue = "STARTUP-PATH";
  std::string key_;
  bool had_ = false;
  DWORD type_ = REG_SZ;
  std::string old_;
};

// One argument of a logged command.
struct LoggedArg {
  std::string name;  // empty when positional
  bool text = false;
  bool byRef = false;
  std::string value;
};

struct LoggedCommand {
  bool failed = false;
  std::string name;
  std::vector<LoggedArg> args;

  std::string Arg(const std::string& n) const {
    for (const LoggedArg& a : args)
      if (a.name == n) return a.value;
    return "<none>";
  }
};

// Parses one line of the stand-in's log (see standin_protocol.h).
inline LoggedCommand ParseLogLine(const std::string& line) {
  LoggedCommand c;
  size_t i = 0;
  if (i < line.size() && line[i] == '!') {
    c.failed = true;
    ++i;
  }
  while (i < line.size() && line[i] != ' ') c.name += line[i++];
  while (i < line.size()) {
    ++i;  // the blank
    LoggedArg a;
    size_t assign = line.find(":=", i);
    size_t quote = line.find('"', i);
    size_t blank = line.find(' ', i);
    if (assign != std::string::npos && (quote == std::string::npos || assign < quote) &&
        (blank == std::string::npos || assign < blank)) {
      a.name = line.substr(i, assign - i);
      i = assign + 2;
    }
    if (i < line.size() && line[i] == '&') {
      a.byRef = true;
      ++i;
    }
    if (i < line.size() && line[i] == '"') {
      a.text = true;
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] != '\\') {
          a.value += line[i];
          continue;
        }
        char e = line[++i];
        switch (e) {
          case 'r': a.value += '\r'; break;
          case 'n': a.value += '\n'; break;
          case 't': a.value += '\t'; break;
          case 'v': a.value += '\v'; break;
          case 'x': a.value += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16)); i += 2; break;
          default: a.value += e;
        }
      }
      ++i;
    } else {
      while (i < line.size() && line[i] != ' ') a.value += line[i++];
    }
    c.args.push_back(a);
  }
  return c;
}

// The paragraphs and tables of a document's text (see standin_protocol.h).
struct DocumentView {
  std::vector<std::string> paragraphs;  // outside tables, the final empty one left out
  std::vector<std::vector<std::vector<std::string>>> tables;
};

inline DocumentView ParseDocument(const std::string& text) {
  DocumentView v;
  bool inTable = false;
  size_t start = 0;
  for (size_t end; (end = text.find('\r', start)) != std::string::npos; start = end + 1) {
    std::string para = text.substr(start, end - start);
    if (!para.empty() && para.back() == '\a') {
      std::vector<std::string> cells;
      size_t a = 0;
      for (size_t b; (b = para.find('\a', a)) != std::string::npos; a = b + 1) cells.push_back(para.substr(a, b - a));
      if (!inTable) v.tables.emplace_back();
      v.tables.back().push_back(cells);
      inTable = true;
    } else {
      v.paragraphs.push_back(para);
      inTable = false;
    }
  }
  if (!v.paragraphs.empty() && v.paragraphs.back().empty()) v.paragraphs.pop_back();
  return v;
}

// What the stand-in's control channel reports (see standin_protocol.h).
struct StandinButton {
  std::string toolbar;
  int position = 0;  // 0: the toolbar has no buttons
  std::string macro;
  std::string image;  // "WxH:" and RRGGBB per pixel, empty when none was pasted
  bool operator==(const StandinButton&) const = default;
};
struct StandinKey {
  int code = 0;
  std::string macro;
  bool operator==(const StandinKey&) const = default;
};
struct StandinTemplates {
  std::string startup;
  std::vector<std::string> paths;
};
struct StandinMacroRun {
  std::string name;
  std::string result;  // "started PID", "not found" or "failed: reason"
  bool operator==(const StandinMacroRun&) const = default;
};

inline void PrintTo(const StandinButton& b, std::ostream* os) {
  *os << b.toolbar << "/" << b.position << "/" << b.macro << "/" << b.image.substr(0, 16);
}
inline void PrintTo(const StandinKey& k, std::ostream* os) { *os << k.code << "=" << k.macro; }
inline void PrintTo(const StandinMacroRun& r, std::ostream* os) { *os << r.name << ": " << r.result; }

class WordStandin {
 public:
  explicit WordStandin(StandinBuild build, const std::string& extraArgs = "")
      : WordStandin(StandinExe(build), extraArgs) {}

  // A stand-in started from any copy of its executable, so that a test can
  // give it a folder of its own (a macro's program is looked for there first).
  // Options such as "--normal \"FILE\"" go in extraArgs.
  explicit WordStandin(const std::string& exe, const std::string& extraArgs = "") {
    static int counter = 0;
    std::string event = "QcStandinReady" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    std::string cmd = "\"" + exe + "\" --ready " + event + " --pos 600,10,640,600 " + extraArgs;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) {
      HANDLE waits[] = {ready, pi_.hProcess};
      // Ready, or gone: either way no longer than a generous bound.
      if (WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0) window_ = FindWindowOf(pi_.dwProcessId);
    }
    CloseHandle(ready);
  }

  ~WordStandin() {
    Quit();
    if (pi_.hProcess) {
      CloseHandle(pi_.hProcess);
      CloseHandle(pi_.hThread);
    }
  }

  WordStandin(const WordStandin&) = delete;
  WordStandin& operator=(const WordStandin&) = delete;

  bool Ready() const { return window_ != nullptr; }
  HWND Window() const { return window_; }
  DWORD ProcessId() const { return pi_.dwProcessId; }
  HANDLE Process() const { return pi_.hProcess; }

  // Sends one request; the reply file's bytes go to `reply` when given.
  bool Request(const std::string& verb, const std::vector<std::string>& args = {}, std::string* reply = nullptr) {
    if (!window_) return false;
    char dir[MAX_PATH], file[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "wsr", 0, file);
    std::string text = verb + "\n" + (reply ? file : "");
    for (const std::string& a : args) text += "\n" + a;
    COPYDATASTRUCT data{standin::protocol::kCopyDataId, static_cast<DWORD>(text.size()), text.data()};
    DWORD_PTR result = 0;
    bool sent = SendMessageTimeoutA(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                    10000, &result) != 0;
    if (reply) *reply = ReadFileBytes(file);
    DeleteFileA(file);
    return sent && result == 1;
  }

  std::string Text() {
    std::string t;
    EXPECT_TRUE(Request("text", {}, &t));
    return t;
  }
  DocumentView Document() { return ParseDocument(Text()); }

  std::vector<LoggedCommand> Log() {
    std::string t;
    EXPECT_TRUE(Request("log", {}, &t));
    std::vector<LoggedCommand> log;
    size_t start = 0;
    for (size_t end; (end = t.find('\n', start)) != std::string::npos; start = end + 1)
      log.push_back(ParseLogLine(t.substr(start, end - start)));
    return log;
  }

  std::map<std::string, std::string> State() {
    std::string t;
    EXPECT_TRUE(Request("state", {}, &t));
    std::map<std::string, std::string> state;
    size_t start = 0;
    for (size_t end; (end = t.find('\n', start)) != std::string::npos; start = end + 1) {
      std::string line = t.substr(start, end - start);
      size_t eq = line.find('=');
      if (eq != std::string::npos) state[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return state;
  }

  bool Open(const std::string& path) { return Request("open", {path}); }
  // Opens a document holding these bytes, named as the file it came from.
  bool OpenText(const std::string& text, const std::string& name = "Letter.txt") {
    TempDir folder;
    WriteFileBytes(folder.File(name), text);
    return Open(folder.File(name));
  }
  void FailCall(const std::string& command, int nth) { EXPECT_TRUE(Request("fail", {command, std::to_string(nth)})); }

  // Every button of every toolbar, in order.
  std::vector<StandinButton> Toolbars() {
    std::vector<StandinButton> buttons;
    for (const auto& f : Records("toolbars"))
      if (f.size() == 4) buttons.push_back({f[0], std::atoi(f[1].c_str()), f[2], f[3]});
    return buttons;
  }
  // The key assignments in Word's order (as KeyCode and KeyMacro count them).
  std::vector<StandinKey> Keys() {
    std::vector<StandinKey> keys;
    for (const auto& f : Records("keys"))
      if (f.size() == 2) keys.push_back({std::atoi(f[0].c_str()), f[1]});
    return keys;
  }
  StandinTemplates Templates() {
    StandinTemplates t;
    for (const auto& f : Records("templates")) {
      if (f[0].rfind("startup=", 0) == 0) t.startup = f[0].substr(8);
      else t.paths.push_back(f[0]);
    }
    return t;
  }
  std::vector<StandinMacroRun> MacroRuns() {
    std::vector<StandinMacroRun> runs;
    for (const auto& f : Records("macros"))
      if (f.size() == 2) runs.push_back({f[0], f[1]});
    return runs;
  }
  // As a click on the button (position from 1); false when there is no such button.
  bool Click(const std::string& toolbar, int position) { return Request("click", {toolbar, std::to_string(position)}); }
  // As pressing the key combination with this Word key code in the window.
  bool Press(int code) { return Request("press", {std::to_string(code)}); }
  bool RemoveToolbars() { return Request("remove-toolbars"); }

  // Asks the stand-in to end and waits for it; kills it if it does not.
  void Quit() {
    if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0) return;
    if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 10000);
    }
  }
  bool Ended() const { return !pi_.hProcess || WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0; }

 private:
  // A reply's lines, each split at its tabs.
  std::vector<std::vector<std::string>> Records(const std::string& verb) {
    std::string t;
    EXPECT_TRUE(Request(verb, {}, &t)) << verb;
    std::vector<std::vector<std::string>> records;
    size_t start = 0;
    for (size_t end; (end = t.find('\n', start)) != std::string::npos; start = end + 1) {
      std::vector<std::string> fields(1);
      for (size_t i = start; i < end; ++i) {
        if (t[i] == '\t') fields.emplace_back();
        else fields.back() += t[i];
      }
      records.push_back(std::move(fields));
    }
    return records;
  }

  static HWND FindWindowOf(DWORD pid) {
    struct Find {
      DWORD pid;
      HWND found;
    } f{pid, nullptr};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
          auto* f = reinterpret_cast<Find*>(lp);
          DWORD owner = 0;
          GetWindowThreadProcessId(h, &owner);
          char cls[64] = {};
          GetClassNameA(h, cls, sizeof cls);
          if (owner == f->pid && lstrcmpA(cls, "OpusApp") == 0) {
            f->found = h;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.found;
  }

  PROCESS_INFORMATION pi_{};
  HWND window_ = nullptr;
};

}  // namespace qc::test
