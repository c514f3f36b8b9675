// Times quillcrd.exe as a user meets it: from its start until the main
// window shows with every name in the name list, from choosing a name in
// the list until that contact's name is in the name box, and from the click
// that saves a new contact, renames one or deletes one (the confirmation's
// OK) until the window answers again, and Add All then Clear All on the Mail
// Merge page; every click sent as a user's click sends it.
//   startup_bench QUILLCRD_EXE RUNS CHOICES BUDGET COUNT...
// For each count a fresh folder gets a copy of the program and a generated
// QUILLCRD.DAT; one start with the first count comes first as the warm-up
// and is reported on its own. Each count gets RUNS starts, but no new start
// once BUDGET seconds have gone on its starts (at least one start each), so
// that a slow start cannot make the run endless; each start chooses CHOICES
// names. The settings file in the Windows folder is set
// to skip the first-start help for the run and put back afterwards.
// Prints lines in the benchmark's format, with wall-clock times only (the
// program, the Wine server and the display share the work):
//   startup|<case>|<count>|0|<median wall ms>|<wall ms of each>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "contacts.h"

namespace {

constexpr char kCaption[] = "Quillcard - 3.1";

double Milliseconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The program's process while it runs, ended when the benchmark fails.
HANDLE running = nullptr;

// Thrown on any failure, so that the folders and the settings file are put
// right on the way out.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& what) {
  if (running) {
    TerminateProcess(running, 1);
    WaitForSingleObject(running, 10000);
    running = nullptr;
  }
  throw Failure(what);
}

std::string ReadAll(const std::string& path, bool& found) {
  std::string bytes;
  found = false;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    found = true;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

void WriteAll(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) Fail("cannot write " + path);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// The settings file for the run, and what was there before it afterwards.
class SettingsForTheRun {
 public:
  SettingsForTheRun() {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    path_ = std::string(windows) + "\\QUILLCRD.INI";
    saved_ = ReadAll(path_, existed_);
    WriteAll(path_, "[Options]\r\nFirstTime=0\r\n");
  }
  ~SettingsForTheRun() {
    if (existed_) WriteAll(path_, saved_);
    else DeleteFileA(path_.c_str());
  }

 private:
  std::string path_, saved_;
  bool existed_ = false;
};

// A folder of its own with the program and a data file of `count` contacts.
class Folder {
 public:
  Folder(const std::string& exe, int count) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "qcbench" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(count) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
    exe_ = path_ + "quillcrd.exe";
    if (!CopyFileA(exe.c_str(), exe_.c_str(), FALSE)) Fail("cannot copy " + exe);
    data_ = qc::bench::MakeBook(count);
    WriteData();
  }
  // Goes with whatever the program left in it.
  ~Folder() {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path_ + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((path_ + found.cFileName).c_str());
      } while (FindNextFileA(h, &found));
      FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
  }
  // The same contacts again before each start (a close writes the file).
  void WriteData() { data_->SaveToFile(path_ + "QUILLCRD.DAT"); }
  const std::string& Exe() const { return exe_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_, exe_;
  std::unique_ptr<qc::TDatabase> data_;
};

struct TopWindow {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM lp) {
  auto* d = reinterpret_cast<TopWindow*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char text[64] = {};
  if (pid != d->pid || !IsWindowVisible(hwnd)) return TRUE;
  GetWindowTextA(hwnd, text, sizeof text);
  if (std::string(text) != kCaption) return TRUE;
  d->found = hwnd;
  return FALSE;
}

struct Child {
  const char* cls;
  const char* text;
  HWND found;
};

// Whether a window's class is `base` or the program's own class built on it.
bool ClassIs(HWND hwnd, const char* base) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  std::string name(cls), wanted(base);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : wanted) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name.size() >= wanted.size() && name.compare(name.size() - wanted.size(), wanted.size(), wanted) == 0;
}

BOOL CALLBACK FindChild(HWND hwnd, LPARAM lp) {
  auto* d = reinterpret_cast<Child*>(lp);
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  if (!ClassIs(hwnd, d->cls) || (d->text && std::string(text) != d->text)) return TRUE;
  d->found = hwnd;
  return FALSE;
}

HWND Descendant(HWND parent, const char* cls, const char* text) {
  Child d{cls, text, nullptr};
  EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&d));
  return d.found;
}

// A message answered by the program's window, or false when it does not
// answer within the time.
// Texts travel between the processes as UTF-16, as they do between any two
// Windows programs.
bool Ask(HWND w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, UINT timeoutMs = 30000) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(w, msg, wp, lp, SMTO_NORMAL, timeoutMs, &r)) return false;
  result = static_cast<LRESULT>(r);
  return true;
}

std::wstring WindowText(HWND w) {
  wchar_t text[512] = {};
  LRESULT n = 0;
  Ask(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), n);
  return text;
}

struct Run {
  double start = 0;
  std::vector<double> choices;
  std::vector<double> saved, renamed, deleted, addAllClearAll;
};

// Sends a click, then waits until the window has handled everything before
// it; the milliseconds from the click.
double ClickUntilAnswered(HWND button, HWND main) {
  const double clicked = Milliseconds();
  LRESULT ignored = 0;
  if (!Ask(button, BM_CLICK, 0, 0, ignored, 120000) || !Ask(main, WM_NULL, 0, 0, ignored, 120000))
    Fail("the window did not answer a click");
  return Milliseconds() - clicked;
}

// Chooses the entry at `index` of the name list as a click does, and waits
// until the contact is shown.
void Choose(HWND names, HWND nameBox, int index) {
  LRESULT n = 0;
  if (!Ask(names, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0, n) || n < 0) Fail("the name list does not answer");
  std::wstring entry(static_cast<size_t>(n) + 1, L'\0');
  if (!Ask(names, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.data()), n))
    Fail("the name list does not answer");
  entry.resize(static_cast<size_t>(n));
  const double chosen = Milliseconds();
  LRESULT ignored = 0;
  Ask(names, CB_SETCURSEL, static_cast<WPARAM>(index), 0, ignored);
  PostMessageA(GetParent(names), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(names), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(names));
  while (!(IsWindowVisible(nameBox) && WindowText(nameBox) == entry)) {
    if (Milliseconds() - chosen > 30000) Fail("entry " + std::to_string(index) + " was not shown");
    Sleep(1);
  }
}

// The message box the program shows, once it shows.
HWND WaitForMessageBox(DWORD pid) {
  const double asked = Milliseconds();
  for (;;) {
    struct Search {
      DWORD pid;
      HWND found;
    } search{pid, nullptr};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
          auto* s = reinterpret_cast<Search*>(lp);
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          char cls[16] = {};
          GetClassNameA(w, cls, sizeof cls);
          if (owner != s->pid || !IsWindowVisible(w) || std::string(cls) != "#32770") return TRUE;
          s->found = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (Milliseconds() - asked > 30000) Fail("no message box came");
    Sleep(1);
  }
}

// The pause between two measured changes, as between a user's: the save of
// the one before has finished (with 100,000 contacts it takes about 0.2 s).
constexpr DWORD kPauseMs = 500;

// Saving a new contact, renaming one and deleting one, `times` each, then
// Add All and Clear All on the Mail Merge page.
void ChangeContacts(HWND main, HWND names, HWND nameBox, DWORD pid, int count, int times, Run& run) {
  HWND newButton = Descendant(main, "Button", "Ne&w Record");
  HWND editButton = Descendant(main, "Button", "&Edit Record");
  HWND deleteButton = Descendant(main, "Button", "&Delete Record");
  HWND cancel = Descendant(main, "Button", "&Cancel");
  HWND allRecords = Descendant(main, "Static", "All records:");
  HWND addAll = allRecords ? Descendant(GetParent(allRecords), "Button", ">>") : nullptr;
  HWND clearAll = Descendant(main, "Button", "Clear &All");
  if (!newButton || !editButton || !deleteButton || !cancel || !addAll || !clearAll)
    Fail("a button of the main window was not found");
  LRESULT ignored = 0;
  for (int t = 0; t < times; ++t) {
    Ask(newButton, BM_CLICK, 0, 0, ignored);
    const std::string added = "Bench, Added " + std::to_string(t);
    SendMessageA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(added.c_str()));
    Sleep(kPauseMs);
    run.saved.push_back(ClickUntilAnswered(Descendant(main, "Button", "Ok"), main));

    Choose(names, nameBox, static_cast<int>((static_cast<long long>(t) * 7919 + count / 3) % count));
    Ask(editButton, BM_CLICK, 0, 0, ignored);
    const std::string renamed = "Bench, Renamed " + std::to_string(t);
    SendMessageA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(renamed.c_str()));
    Sleep(kPauseMs);
    run.renamed.push_back(ClickUntilAnswered(Descendant(main, "Button", "Ok"), main));
    Ask(cancel, BM_CLICK, 0, 0, ignored);

    Choose(names, nameBox, static_cast<int>((static_cast<long long>(t) * 104729 + count / 5) % count));
    Sleep(kPauseMs);
    PostMessageA(deleteButton, BM_CLICK, 0, 0);
    run.deleted.push_back(ClickUntilAnswered(GetDlgItem(WaitForMessageBox(pid), IDOK), main));
  }
  Sleep(kPauseMs);
  const double clicked = Milliseconds();
  ClickUntilAnswered(addAll, main);
  ClickUntilAnswered(clearAll, main);
  run.addAllClearAll.push_back(Milliseconds() - clicked);
}

// One start of the program: until the names are shown, then `choices` names
// chosen one after the other, `changes` times each change of a contact, then
// the close.
Run StartOnce(Folder& folder, int count, int choices, int changes = 0) {
  folder.WriteData();
  Run run;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + folder.Exe() + "\"";
  const double start = Milliseconds();
  if (!CreateProcessA(folder.Exe().c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.Path().c_str(), &si, &pi))
    Fail("cannot start " + folder.Exe());
  running = pi.hProcess;

  HWND main = nullptr, names = nullptr;
  for (;;) {
    if (Milliseconds() - start > 600000) Fail("no main window with " + std::to_string(count) + " names after 600 s");
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) Fail("the program ended during its start");
    if (!main) {
      TopWindow d{pi.dwProcessId, nullptr};
      EnumWindows(FindTop, reinterpret_cast<LPARAM>(&d));
      main = d.found;
    }
    if (main && !names) {
      // The name list is the combo box beside the "&Name:" label.
      if (HWND label = Descendant(main, "Static", "&Name:")) names = Descendant(GetParent(label), "ComboBox", nullptr);
    }
    LRESULT shown = 0;
    if (names && Ask(names, CB_GETCOUNT, 0, 0, shown) && shown == count) break;
    Sleep(5);
  }
  run.start = Milliseconds() - start;

  HWND nameBox = nullptr;
  RECT listRect;
  GetWindowRect(names, &listRect);
  for (HWND w = GetWindow(GetParent(names), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(w, &r);
    if (ClassIs(w, "Edit") && r.left == listRect.left && r.top == listRect.top) nameBox = w;
  }
  HWND cancel = Descendant(main, "Button", "&Cancel");
  if (!nameBox || !cancel) Fail("the name box or the Cancel button was not found");

  for (int c = 0; c < choices && count > 0; ++c) {
    // As a click on the entry: the choice moves, the list tells its owner.
    const double chosen = Milliseconds();
    Choose(names, nameBox, static_cast<int>((static_cast<long long>(c) * 7919 + count / 2) % count));
    run.choices.push_back(Milliseconds() - chosen);
    // Back to the name list, as Cancel does.
    SendMessageA(cancel, BM_CLICK, 0, 0);
    while (!IsWindowVisible(names)) Sleep(1);
  }
  if (changes > 0 && count > 0) ChangeContacts(main, names, nameBox, pi.dwProcessId, count, changes, run);

  PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 120000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 1);
    Fail("the program did not end after its close");
  }
  running = nullptr;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Report(const char* name, int count, const std::vector<double>& wall) {
  std::printf("startup|%s|%d|0|%.1f|", name, count, Median(wall));
  for (size_t i = 0; i < wall.size(); ++i) std::printf("%s%.0f", i ? " " : "", wall[i]);
  std::printf("\n");
  std::fflush(stdout);
}

// Each start saves, renames and deletes this many contacts.
constexpr int kChangesPerStart = 3;

void Measure(const std::string& exe, int runs, int choices, double budgetMs, const std::vector<std::string>& counts) {
  SettingsForTheRun settings;
  bool warmedUp = false;
  for (const std::string& text : counts) {
    const int count = std::atoi(text.c_str());
    Folder folder(exe, count);
    if (!warmedUp) {
      Run first = StartOnce(folder, count, 1);
      Report("warm-up start (not counted)", count, {first.start});
      warmedUp = true;
    }
    std::vector<double> starts;
    Run all;
    const double begin = Milliseconds();
    while (static_cast<int>(starts.size()) < runs && (starts.empty() || Milliseconds() - begin < budgetMs)) {
      Run run = StartOnce(folder, count, choices, kChangesPerStart);
      starts.push_back(run.start);
      for (auto [into, from] : {std::pair{&all.choices, &run.choices}, {&all.saved, &run.saved},
                                {&all.renamed, &run.renamed}, {&all.deleted, &run.deleted},
                                {&all.addAllClearAll, &run.addAllClearAll}})
        into->insert(into->end(), from->begin(), from->end());
    }
    Report("start until the names are shown", count, starts);
    if (!all.choices.empty()) Report("choosing a name until it is shown", count, all.choices);
    if (!all.saved.empty()) Report("saving a new contact until the window answers", count, all.saved);
    if (!all.renamed.empty()) Report("renaming a contact until the window answers", count, all.renamed);
    if (!all.deleted.empty()) Report("deleting a contact until the window answers", count, all.deleted);
    if (!all.addAllClearAll.empty()) Report("Add All then Clear All on the Mail Merge page", count, all.addAllClearAll);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: startup_bench QUILLCRD_EXE RUNS CHOICES BUDGET_SECONDS COUNT...\n");
    return 2;
  }
  try {
    Measure(argv[1], std::atoi(argv[2]), std::atoi(argv[3]), std::atof(argv[4]) * 1000,
            std::vector<std::string>(argv + 5, argv + argc));
  } catch (const Failure& e) {
    std::fprintf(stderr, "startup_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
