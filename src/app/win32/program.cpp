#include "app/win32/program.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/win32/main_form.h"
#include "platform/file_places.h"
#include "platform/paths.h"
#include "settings/win32/settings_places.h"
#include "ui/hooks.h"
#include "ui/message_box_messages.h"
#include "word/win32/word_config_form.h"

namespace qc {

namespace {

// The running executable's full path.
std::string ModulePath() {
  char path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, n);
}

}  // namespace

std::string ExecutableDirectory() { return SiblingPath(ModulePath(), ""); }

int RunProgram() {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
  DWORD created = GetLastError();
  UINT wake = RegisterWindowMessageA(kWakeMessageName);
  if (mutex && created == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    // Windows gives the foreground only to a process it lets take it: this
    // one, started by the user, lets the first copy come to the front.
    AllowSetForegroundWindow(ASFW_ANY);
    PostMessageA(HWND_BROADCAST, wake, 0, 0);
    return 0;
  }

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                           ICC_HOTKEY_CLASS | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  OleInitialize(nullptr);

  // The help file's name is the WinHelp one, beside the program; the help
  // opens the HTML Help file of the same name there in its place when it is
  // there (quillcrd.chm, which the build puts beside quillcrd.exe).
  const std::string helpFile = WithExtension(ModulePath(), ".hlp");
  ui::SetHelpFile(helpFile);
  int exitCode = 0;
  {
    // Beside the program and in the Windows folder where the user may write
    // there, else in the user's own folder.
    const std::string userFolder = UserFilesFolder();
    SettingsFile settings = OpenSettingsFile(userFolder);
    const DataFilePlace data = ChooseDataFile(ExecutableDirectory(), userFolder, SystemFolderFacts());
    ui::MessageBoxMessages messages;
    MainEnvironment env;
    env.dataFilePath = data.path;
    env.newDataFileInUserFolder = data.newInUserFolder;
    env.helpFilePath = helpFile;
    env.programFolder = ExecutableDirectory();
    env.settings = settings.profile.get();
    env.settingsFilePath = settings.path;
    env.messages = &messages;
    TfmMain main(env);
    main.Create();
    main.Show();
    exitCode = ui::Application::Get().Run();
  }
  // Help windows still open go with the program.
  ui::CloseHelpViewers();
  // The Word configuration's session outlives its window, not the program.
  word::ReleaseConfigSession();
  OleUninitialize();
  if (mutex) CloseHandle(mutex);
  return exitCode;
}

}  // namespace qc
