#include "ui/hooks.h"

#include <commctrl.h>
#include <commdlg.h>
#include <htmlhelp.h>
#include <shellapi.h>

#include <thread>

namespace qc::ui {
namespace {
MessageBoxFn g_messageBox;
HelpFn g_help;
ShellOpenFn g_shellOpen;
QuitFn g_quit;
ChoiceFn g_choice;
SaveFileFn g_saveFile;
std::string g_helpFile = "quillcrd.hlp";
HWND g_mainWindow = nullptr;
}  // namespace

int ShowMessage(HWND owner, const std::string& text, UINT type) {
  if (!owner) owner = g_mainWindow;
  if (g_messageBox) return g_messageBox(owner, text, type);
  return MessageBoxA(owner, text.c_str(), kAppTitle, type);
}

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                              static_cast<int>(wide.size()));
  wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return wide;
}

namespace {

// A task dialog with the buttons as given; 0 when the system has none.
int TaskDialogChoice(HWND owner, const std::string& text, const std::vector<ChoiceButton>& buttons) {
  using TaskDialogFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  HMODULE comctl = GetModuleHandleA("comctl32.dll");
  auto taskDialog = comctl ? reinterpret_cast<TaskDialogFn>(
                                 reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")))
                           : nullptr;
  if (!taskDialog) return 0;
  const std::wstring title = Wide(kAppTitle), content = Wide(text);
  std::vector<std::wstring> captions;
  for (const ChoiceButton& b : buttons) captions.push_back(Wide(b.caption));
  std::vector<TASKDIALOG_BUTTON> items;
  for (size_t i = 0; i < buttons.size(); ++i) items.push_back({buttons[i].id, captions[i].c_str()});
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.pszWindowTitle = title.c_str();
  config.pszMainIcon = TD_WARNING_ICON;
  config.pszContent = content.c_str();
  config.cButtons = static_cast<UINT>(items.size());
  config.pButtons = items.data();
  config.nDefaultButton = buttons.front().id;
  int pressed = 0;
  if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr))) return 0;
  return pressed;
}

}  // namespace

int ShowChoice(HWND owner, const std::string& text, const std::vector<ChoiceButton>& buttons) {
  if (!owner) owner = g_mainWindow;
  if (g_choice) return g_choice(owner, text, buttons);
  const int cancel = buttons.back().id;
  int pressed = TaskDialogChoice(owner, text, buttons);
  if (pressed == 0) {
    // Without task dialogs: Yes, No and Cancel stand for the buttons in order.
    std::string legend;
    const char* standIns[] = {"Yes", "No", "Cancel"};
    for (size_t i = 0; i < buttons.size() && i < 3; ++i) {
      std::string caption = buttons[i].caption;
      std::erase(caption, '&');
      legend += std::string("\r\n") + standIns[i] + ": " + caption;
    }
    int answer = MessageBoxA(owner, (text + "\r\n" + legend).c_str(), kAppTitle, MB_YESNOCANCEL | MB_ICONWARNING);
    size_t index = answer == IDYES ? 0 : answer == IDNO ? 1 : 2;
    pressed = index < buttons.size() ? buttons[index].id : cancel;
  }
  for (const ChoiceButton& b : buttons)
    if (b.id == pressed) return pressed;
  return cancel;
}

std::string AskSaveFileName(HWND owner, const std::string& suggestedPath) {
  if (!owner) owner = g_mainWindow;
  if (g_saveFile) return g_saveFile(owner, suggestedPath);
  const size_t slash = suggestedPath.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string() : suggestedPath.substr(0, slash);
  const std::string name = slash == std::string::npos ? suggestedPath : suggestedPath.substr(slash + 1);
  char file[MAX_PATH * 2] = {};
  lstrcpynA(file, name.c_str(), sizeof file);
  static const char filter[] = "Quillcard contacts (*.dat)\0*.dat\0All files (*.*)\0*.*\0";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrDefExt = "dat";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
  return GetSaveFileNameA(&ofn) ? std::string(file) : std::string();
}

namespace {

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// `path` with the extension of its file name replaced (added when it has none).
std::string WithExtension(const std::string& path, const char* extension) {
  const size_t slash = path.find_last_of("\\/:");
  const size_t dot = path.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? path.substr(0, dot) : path) + extension;
}

// The help cannot be shown: said once a run, however often help is asked for.
bool g_helpTroubleTold = false;
void TellHelpTrouble(HWND owner, const std::string& text) {
  if (g_helpTroubleTold) return;
  g_helpTroubleTold = true;
  ShowMessage(owner, text, MB_OK | MB_ICONINFORMATION);
}

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
HMODULE g_hhctrl = nullptr;
HtmlHelpFn g_htmlHelp = nullptr;

// The HTML Help function, from hhctrl.ocx loaded at its first use; null without it.
HtmlHelpFn HtmlHelpFunction() {
  if (!g_htmlHelp) {
    if (!g_hhctrl) g_hhctrl = LoadLibraryA("hhctrl.ocx");
    if (g_hhctrl)
      g_htmlHelp = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(g_hhctrl, "HtmlHelpA")));
  }
  return g_htmlHelp;
}

// The viewer last opened, to tell a new one from one already on the screen.
HWND g_viewer = nullptr;

// A new viewer stands beside the program's window, where there is room for
// it on that window's screen, so that the two can be used side by side.
void PlaceBeside(HWND viewer, HWND top) {
  constexpr int kNarrowest = 320, kWidest = 600;
  RECT window, work;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!top || !GetWindowRect(top, &window) ||
      !GetMonitorInfoA(MonitorFromWindow(top, MONITOR_DEFAULTTONEAREST), &monitor))
    return;
  work = monitor.rcWork;
  const int right = work.right - window.right, left = window.left - work.left;
  int x;
  int width;
  if (right >= kNarrowest) {
    width = right < kWidest ? right : kWidest;
    x = window.right;
  } else if (left >= kNarrowest) {
    width = left < kWidest ? left : kWidest;
    x = window.left - width;
  } else {
    return;
  }
  SetWindowPos(viewer, nullptr, x, work.top, width, work.bottom - work.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void ShowHelpTopic(HWND owner, int topic) {
  const std::string chm = WithExtension(g_helpFile, ".chm");
  const bool winHelp = !FileExists(chm) && FileExists(g_helpFile);
  const std::string file = winHelp ? g_helpFile : chm;
  const UINT command = winHelp ? HELP_CONTEXT : HH_HELP_CONTEXT;
  if (g_help) {
    g_help(owner, file, command, static_cast<ULONG_PTR>(topic));
    return;
  }
  OpenHelpViewer(owner, file, command, static_cast<ULONG_PTR>(topic));
}

HWND OpenHelpViewer(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data) {
  if (!FileExists(helpFile)) {
    TellHelpTrouble(owner, "The help cannot be shown: its file was not found.\r\n\r\n" + helpFile +
                               "\r\n\r\nPut quillcrd.chm in the folder of quillcrd.exe to have help.");
    return nullptr;
  }
  // The viewer belongs to the program's own window, not to a dialog that may
  // close while the help is still read.
  HWND top = owner ? GetAncestor(owner, GA_ROOTOWNER) : nullptr;
  if (!top) top = owner;
  if (command != HH_HELP_CONTEXT) {
    // WinHelp sends its request to the viewer and waits for the answer, which
    // may be a question to the user: that wait is not the program's.
    std::thread([top, helpFile, command, data] { WinHelpA(top, helpFile.c_str(), command, data); }).detach();
    return nullptr;
  }
  HtmlHelpFn htmlHelp = HtmlHelpFunction();
  if (!htmlHelp) {
    TellHelpTrouble(owner, "The help cannot be shown: the HTML Help viewer (hhctrl.ocx) is not available "
                           "on this computer.");
    return nullptr;
  }
  const bool open = g_viewer && IsWindow(g_viewer);
  HWND viewer = htmlHelp(top, helpFile.c_str(), HH_HELP_CONTEXT, data);
  if (!viewer) {
    TellHelpTrouble(owner, "The help file could not show topic " + std::to_string(data) + ".\r\n\r\n" + helpFile);
    return nullptr;
  }
  if (!open || viewer != g_viewer) PlaceBeside(viewer, top);
  g_viewer = viewer;
  return viewer;
}

void CloseHelpViewers() {
  if (g_htmlHelp) g_htmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
  g_viewer = nullptr;
}

void ShellOpen(HWND parent, const std::string& target) {
  if (g_shellOpen) {
    g_shellOpen(parent, target);
    return;
  }
  ShellExecuteA(parent, "Open", target.c_str(), nullptr, nullptr, SW_SHOW);
}

void QuitNow(int exitCode) {
  if (g_quit) {
    g_quit(exitCode);
    return;
  }
  // The message loop ends at its next turn; no window's close handling runs,
  // but the program unwinds (tray icon removed, COM shut down) as it ends.
  PostQuitMessage(exitCode);
}

void ReportError(const std::string& text) {
  ShowMessage(nullptr, text.empty() ? std::string("An unexpected error occurred") : text,
              MB_OK | MB_ICONERROR);
}

void SetHelpFile(const std::string& path) { g_helpFile = path; }
const std::string& HelpFile() { return g_helpFile; }
void SetMainWindow(HWND hwnd) { g_mainWindow = hwnd; }
HWND MainWindow() { return g_mainWindow; }

void SetMessageBoxHook(MessageBoxFn fn) { g_messageBox = std::move(fn); }
void SetHelpHook(HelpFn fn) { g_help = std::move(fn); }
void SetShellOpenHook(ShellOpenFn fn) { g_shellOpen = std::move(fn); }
void SetQuitHook(QuitFn fn) { g_quit = std::move(fn); }
void SetChoiceHook(ChoiceFn fn) { g_choice = std::move(fn); }
void SetSaveFileHook(SaveFileFn fn) { g_saveFile = std::move(fn); }

}  // namespace qc::ui
