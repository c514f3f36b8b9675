// The real program where Windows refuses new files in the Windows folder or
// in the program's folder, as for a standard user on today's Windows: its
// settings and contacts go to %APPDATA%\Quillcard and persist there.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/file_places.h"
#include "program_fixture.h"
#include "settings/win32/settings_places.h"

namespace qc::test {
namespace {

// A folder of the test's prefix that refuses new files while this lives:
// Linux's immutable flag (chattr +i, which binds root too), set through
// Wine, which starts Linux programs as well. Wine gives no handle to wait
// on for them, so the flag's effect is waited for instead.
class RefusingFolder {
 public:
  explicit RefusingFolder(std::string folder) : folder_(std::move(folder)) {
    using UnixName = char*(CDECL*)(const WCHAR*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return;
    std::wstring wide(folder_.begin(), folder_.end());
    char* name = unixName(wide.c_str());
    if (!name) return;
    unixFolder_ = name;
    HeapFree(GetProcessHeap(), 0, name);
    Chattr("+i");
    refusing_ = PumpUntil([&] { return !CanCreateFile(); }, 10000);
  }
  ~RefusingFolder() {
    if (unixFolder_.empty()) return;
    Chattr("-i");
    EXPECT_TRUE(PumpUntil([&] { return CanCreateFile(); }, 10000)) << folder_ << " still refuses";
    for (const std::string& probe : probes_) DeleteFileA(probe.c_str());
  }
  bool Refusing() const { return refusing_; }

 private:
  // Each probe has a name of its own: one made just as the flag came stays.
  bool CanCreateFile() {
    const std::string probe = folder_ + "\\qc-probe" + std::to_string(++probeCount_) + ".tmp";
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    probes_.push_back(probe);
    return true;
  }
  void Chattr(const char* flag) {
    std::string command = std::string("chattr ") + flag + " \"" + unixFolder_ + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA("Z:\\usr\\bin\\chattr", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
      if (pi.hThread) CloseHandle(pi.hThread);
      if (pi.hProcess) CloseHandle(pi.hProcess);
    }
  }
  std::string folder_, unixFolder_;
  std::vector<std::string> probes_;  // made, and perhaps left
  int probeCount_ = 0;
  bool refusing_ = false;
};

constexpr char kCannotRefuse[] =
    "chattr +i through Wine did not make the folder refuse new files (needs Wine, root and a file system "
    "with the immutable flag)";

class UserFilesTest : public ProgramFixture {
 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    ASSERT_FALSE(userFolder.empty());
    RemoveUserFiles();
  }
  void TearDown() override {
    refusing.reset();  // before the machine-wide settings file is put back
    RemoveUserFiles();
  }
  void RemoveUserFiles() {
    for (const char* name : {"QUILLCRD.INI", "QUILLCRD.DAT", "quillcrd.cfg"})
      DeleteFileA(PathIn(userFolder, name).c_str());
    RemoveDirectoryA(userFolder.c_str());
  }
  // Makes the folder refuse new files; false where that cannot be done.
  bool Refuse(const std::string& folder) {
    refusing = std::make_unique<RefusingFolder>(folder);
    return refusing->Refusing();
  }
  std::string WindowsFolder() {
    char windir[MAX_PATH];
    GetWindowsDirectoryA(windir, MAX_PATH);
    return windir;
  }
  // Starts the program, answers the message box it shows first if `box`,
  // and closes it; true when it ended normally.
  bool RunAndClose(bool box, const std::string& boxText = "") {
    ChildProcess p(exe, dir.Path());
    struct Ender {  // nothing of a failed run stays behind in the refusing folders
      ChildProcess& p;
      ~Ender() {
        if (p.Wait(0) == STILL_ACTIVE) p.Kill();
      }
    } ender{p};
    if (box) {
      HWND found = nullptr;
      EXPECT_TRUE(PumpUntil([&] { return (found = FindProcessWindow(p.Id(), "Quillcard")) != nullptr; }, 20000));
      if (!found) return false;
      if (!boxText.empty()) {
        EXPECT_NE(FindDescendant(found, "Static", boxText), nullptr);
      }
      PostMessageA(found, WM_COMMAND, IDOK, 0);
    }
    HWND main = WaitForMainWindow(p);
    if (!main) return false;
    // A message box left open keeps the window from closing: the run would not end.
    PostMessageA(main, WM_CLOSE, 0, 0);
    return p.Wait(20000) == 0;
  }

  std::string userFolder = UserFilesFolder();
  std::string userSettings = PathIn(userFolder, "QUILLCRD.INI");
  std::unique_ptr<RefusingFolder> refusing;
};

TEST_F(UserFilesTest, SettingsPersistInTheUsersFolderWhenTheWindowsFolderRefusesThem) {
  DeleteFileA(settings.Path().c_str());
  if (!Refuse(WindowsFolder())) GTEST_SKIP() << kCannotRefuse;
  // The first start opens the first-start help (which is not there: a message
  // box says so); its close writes the settings, silently, to the user's file.
  ASSERT_TRUE(RunAndClose(true));
  EXPECT_FALSE(FileExists(settings.Path()));
  EXPECT_NE(ReadFileBytes(userSettings).find("FirstTime=0"), std::string::npos);
  // The next start reads them: no first-start help any more.
  EXPECT_TRUE(RunAndClose(false));
}

TEST_F(UserFilesTest, AMachineWideFileThatCannotBeWrittenIsStillRead) {
  const std::string machine = "[Options]\r\nFirstTime=0\r\n[User Fields]\r\nField0=Region\r\n";
  settings.Write(machine);
  SetFileAttributesA(settings.Path().c_str(), FILE_ATTRIBUTE_READONLY);
  if (!Refuse(WindowsFolder())) GTEST_SKIP() << kCannotRefuse;
  EXPECT_TRUE(RunAndClose(false));  // FirstTime=0 read from the machine-wide file
  SetFileAttributesA(settings.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFileBytes(settings.Path()), machine);
  EXPECT_NE(ReadFileBytes(userSettings).find("Field0=Region"), std::string::npos);
}

TEST_F(UserFilesTest, ContactsGoToTheUsersFolderWhenTheProgramsFolderRefusesAndTheUserIsToldOnce) {
  settings.Write("[Options]\r\nFirstTime=0\r\n");
  const std::string data = PathIn(userFolder, "QUILLCRD.DAT");
  if (!Refuse(dir.Path().substr(0, dir.Path().size() - 1))) GTEST_SKIP() << kCannotRefuse;
  ASSERT_TRUE(RunAndClose(true, UserFolderDataFileNotice(data, dir.Path())));
  EXPECT_EQ(ReadFileBytes(data).size(), 40u);
  EXPECT_FALSE(FileExists(dir.File("QUILLCRD.DAT")));
  EXPECT_TRUE(RunAndClose(false));  // the file is there now: nothing to tell
}

}  // namespace
}  // namespace qc::test
