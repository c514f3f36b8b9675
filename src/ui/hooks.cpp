#include "ui/hooks.h"

#include <shellapi.h>

namespace qc::ui {
namespace {
MessageBoxFn g_messageBox;
HelpFn g_help;
ShellOpenFn g_shellOpen;
QuitFn g_quit;
std::string g_helpFile = "quillcrd.hlp";
HWND g_mainWindow = nullptr;
}  // namespace

int ShowMessage(HWND owner, const std::string& text, UINT type) {
  if (!owner) owner = g_mainWindow;
  if (g_messageBox) return g_messageBox(owner, text, type);
  return MessageBoxA(owner, text.c_str(), kAppTitle, type);
}

void ShowHelpTopic(HWND owner, int topic) {
  if (g_help) {
    g_help(owner, g_helpFile, HELP_CONTEXT, static_cast<ULONG_PTR>(topic));
    return;
  }
  WinHelpA(owner, g_helpFile.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(topic));
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

}  // namespace qc::ui
