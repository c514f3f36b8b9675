#pragma once
// The Word stand-in seen from a test: started as a separate process beside
// the test program, steered and read back through its control channel, and
// ended when the test is done with it.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
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

class WordStandin {
 public:
  explicit WordStandin(StandinBuild build, const std::string& extraArgs = "") {
    static int counter = 0;
    std::string event = "QcStandinReady" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    std::string exe = StandinExe(build);
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
