#pragma once
// The program's outward effects that tests must be able to intercept: message
// boxes, help, the shell's open verb and ending the program. Each goes through
// a replaceable function; the defaults call Windows.
#include <windows.h>

#include <functional>
#include <string>

namespace qc::ui {

// The application's title, the caption of every message box.
inline constexpr char kAppTitle[] = "Quillcard";

using MessageBoxFn = std::function<int(HWND owner, const std::string& text, UINT type)>;
using HelpFn = std::function<void(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data)>;
using ShellOpenFn = std::function<void(HWND parent, const std::string& target)>;
using QuitFn = std::function<void(int exitCode)>;

// Shows a message box captioned "Quillcard"; returns the button pressed (IDOK...).
int ShowMessage(HWND owner, const std::string& text, UINT type);
// Opens the help file at a context number.
void ShowHelpTopic(HWND owner, int topic);
// Asks the shell to open a document or address (verb "Open", SW_SHOW).
void ShellOpen(HWND parent, const std::string& target);
// Ends the program at once, without any window's close handling: tells the
// application's message loop to quit (the caller returns to it).
void QuitNow(int exitCode);

// The general error report: the text in a message box; the program goes on.
void ReportError(const std::string& text);

// The help file of the program (the executable's path with ".hlp").
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

}  // namespace qc::ui
