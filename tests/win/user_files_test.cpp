// The real program where Windows refuses new files in its folder or in the
// Windows folder, as for a standard user: settings and contacts persist in
// %APPDATA%\Quillcard.
#include <gtest/gtest.h>

#include <memory>

#include "platform/file_places.h"
#include "platform/paths.h"
#include "program_fixture.h"
#include "settings/win32/settings_places.h"

namespace qc::test {
namespace {

// A folder of the test's prefix that refuses new files while this lives:
// Linux's immutable flag (which binds root too), set by chattr, which Wine
// starts as it starts Windows programs, but without a handle to wait on.
class RefusingFolder {
 public:
  explicit RefusingFolder(const std::string& folder) : probe_(folder + "\\qc-probe.tmp") {
    using UnixName = char*(CDECL*)(const WCHAR*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(std::wstring(folder.begin(), folder.end()).c_str()) : nullptr;
    if (name) unix_ = name, HeapFree(GetProcessHeap(), 0, name);
    refusing = !unix_.empty() && Chattr("+i", false);
  }
  ~RefusingFolder() { EXPECT_TRUE(unix_.empty() || Chattr("-i", true)) << probe_ << ": still refused"; }
  bool refusing = false;

 private:
  // Runs chattr, then waits until a new file can (or cannot) be made; a
  // probe made just as the flag came stays until the flag goes.
  bool Chattr(const char* flag, bool accepting) {
    std::string command = std::string("chattr ") + flag + " \"" + unix_ + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA("Z:\\usr\\bin\\chattr", command.data(), nullptr, nullptr, 0, 0, nullptr, nullptr, &si, &pi))
      return false;
    CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
    return PumpUntil([&] {
      DeleteFileA(probe_.c_str());
      HANDLE h = CreateFileA(probe_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE,
                             nullptr);
      if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
      return (h != INVALID_HANDLE_VALUE) == accepting;
    }, 10000);
  }
  std::string probe_, unix_;
};

// A data file beside the program is the one used, also in a folder that
// refuses new files and with one in the user's folder.
TEST(DataFilePlace, AnExistingFileBesideTheProgramIsAlwaysTheOneUsed) {
  struct : FolderFacts {
    bool FileExists(const std::string& p) override { return p == "C:\\p\\QUILLCRD.DAT" || p == "C:\\u\\QUILLCRD.DAT"; }
    bool AcceptsWrites(const std::string&) override { return true; }
    bool AcceptsNewFiles(const std::string&) override { return false; }
  } facts;
  EXPECT_EQ(ChooseDataFile("C:\\p\\", "C:\\u", facts).path, "C:\\p\\QUILLCRD.DAT");
}

constexpr char kCannotRefuse[] = "chattr +i through Wine made no folder refuse new files (needs Wine and root)";

class UserFilesTest : public ProgramFixture {
 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    ASSERT_FALSE(userFolder.empty());
    TearDown();
  }
  void TearDown() override {
    refusing.reset();  // before the machine-wide settings file is put back
    SetFileAttributesA(settings.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    if (userFolder.empty()) return;
    for (const char* name : {"QUILLCRD.INI", "QUILLCRD.DAT"}) DeleteFileA(PathIn(userFolder, name).c_str());
    RemoveDirectoryA(userFolder.c_str());
  }
  bool Refuse(const std::string& folder) { return (refusing = std::make_unique<RefusingFolder>(folder))->refusing; }
  // Starts the program, presses OK on the message box it shows first when
  // `boxText` is given ("" for any), closes it: true when it ended. A box
  // left open, such as "Unable to write to QUILLCRD.INI", keeps it from ending.
  bool RunAndClose(const char* boxText = nullptr) {
    ChildProcess p(exe, dir.Path());
    HWND box = nullptr, main = nullptr;
    if (boxText && PumpUntil([&] { return (box = FindProcessWindow(p.Id(), "Quillcard")) != nullptr; }, 20000)) {
      EXPECT_TRUE(!*boxText || FindDescendant(box, "Static", boxText)) << boxText;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    if ((box || !boxText) && (main = WaitForMainWindow(p))) PostMessageA(main, WM_CLOSE, 0, 0);
    const DWORD code = p.Wait(main ? 20000 : 0);
    if (code == STILL_ACTIVE) p.Kill();
    return code == 0;
  }

  std::string userFolder = UserFilesFolder();
  std::unique_ptr<RefusingFolder> refusing;
};

TEST_F(UserFilesTest, SettingsPersistInTheUsersFolderWithTheMachineWideFileAsTheirStart) {
  const std::string machine = "[User Fields]\r\nField0=Region\r\n";
  settings.Write(machine);
  SetFileAttributesA(settings.Path().c_str(), FILE_ATTRIBUTE_READONLY);
  if (!Refuse(FolderOf(settings.Path()))) GTEST_SKIP() << kCannotRefuse;
  ASSERT_TRUE(RunAndClose(""));  // the first-start help, which is not there: a box says so
  EXPECT_NE(ReadFileBytes(PathIn(userFolder, "QUILLCRD.INI")).find("Field0=Region"), std::string::npos);
  EXPECT_TRUE(RunAndClose());  // FirstTime=0 read back: no first-start help any more
  EXPECT_EQ(ReadFileBytes(settings.Path()), machine);
}

TEST_F(UserFilesTest, ContactsGoToTheUsersFolderWhenTheProgramsFolderRefusesAndTheUserIsToldOnce) {
  settings.Write("[Options]\r\nFirstTime=0\r\n");
  const std::string data = PathIn(userFolder, kDataFileName);
  if (!Refuse(FolderOf(dir.File(kDataFileName)))) GTEST_SKIP() << kCannotRefuse;
  ASSERT_TRUE(RunAndClose(UserFolderDataFileNotice(data, dir.Path()).c_str()));
  EXPECT_EQ(ReadFileBytes(data).size(), 40u);
  EXPECT_FALSE(FileExists(dir.File(kDataFileName)));
  EXPECT_TRUE(RunAndClose());  // the file is there now: nothing to tell
}

}  // namespace
}  // namespace qc::test
