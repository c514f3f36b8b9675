#pragma once
// The program's outward effects that tests must be able to intercept: message
// boxes, help, the shell's open verb and ending the program. Each goes through
// a replaceable function; the defaults call Windows.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qc::ui {

// The application's title, the caption of every message box.
inline constexpr char kAppTitle[] = "Quillcard";

using MessageBoxFn = std::function<int(HWND owner, const std::string& text, UINT type)>;
using HelpFn = std::function<void(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data)>;
using ShellOpenFn = std::function<void(HWND parent, const std::string& target)>;
using QuitFn = std::function<void(int exitCode)>;

// One button of a question whose answers are the program's own.
struct ChoiceButton {
  int id;               // what ShowChoice returns for it (IDRETRY, IDYES...)
  std::string caption;  // "&Try Again"
};
using ChoiceFn = std::function<int(HWND owner, const std::string& text, const std::vector<ChoiceButton>& buttons)>;
using SaveFileFn = std::function<std::string(HWND owner, const std::string& suggestedPath)>;

// An ANSI text as UTF-16, for the functions that take no other (task
// dialogs, the reason that holds up the end of a session).
std::wstring Wide(const std::string& text);

// Shows a message box captioned "Quillcard"; returns the button pressed (IDOK...).
int ShowMessage(HWND owner, const std::string& text, UINT type);
// A question captioned "Quillcard" with buttons of its own, the last one the
// cancel button; returns the id of the button pressed (the last one's when
// the box is closed otherwise).
int ShowChoice(HWND owner, const std::string& text, const std::vector<ChoiceButton>& buttons);
// The common Save As dialog for a data file; the chosen path, or empty when cancelled.
std::string AskSaveFileName(HWND owner, const std::string& suggestedPath);
// Opens the help at a context number without waiting for the viewer: the
// HTML Help file beside the help file's name ("quillcrd.chm") when it is
// there, else the WinHelp file itself ("quillcrd.hlp") when that is there,
// else nothing but a message, once a run, that there is no help. The help
// hook, when set, gets the file and command chosen in place of the viewer.
void ShowHelpTopic(HWND owner, int topic);
// The viewer call that ShowHelpTopic makes when no hook is set. HH_HELP_CONTEXT
// opens the HTML Help viewer (hhctrl.ocx, loaded at its first use), owned by
// the top window of `owner`'s family, and returns its window; HELP_CONTEXT
// hands the request to WinHelp on a thread of its own (WinHelp waits for its
// viewer) and returns null. A missing file or viewer is said in a message, the
// first time in a run, and gives null.
HWND OpenHelpViewer(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data);
// Closes the HTML Help windows that are still open (when the program ends).
void CloseHelpViewers();
// Asks the shell to open a document or address (verb "Open", SW_SHOW).
void ShellOpen(HWND parent, const std::string& target);
// Ends the program at once, without any window's close handling: tells the
// application's message loop to quit (the caller returns to it).
void QuitNow(int exitCode);

// The general error report: the text in a message box; the program goes on.
void ReportError(const std::string& text);

// The help file of the program: the executable's full path with ".hlp"; the
// ".chm" of the same name beside it is preferred (ShowHelpTopic).
void SetHelpFile(const std::string& path);
const std::string& HelpFile();

// The window that owns message boxes shown without an explicit owner.
void SetMainWindow(HWND hwnd);
HWND MainWindow();

// Replacing the hooks; an empty function restores the default.
void SetMessageBoxHook(MessageBoxFn fn);
void SetHelpHook(HelpFn fn);
void SetShellOpenHook(ShellOpenFn fn);
void SetQuitHook(QuitFn fn);
void SetChoiceHook(ChoiceFn fn);
void SetSaveFileHook(SaveFileFn fn);

}  // namespace qc::ui
