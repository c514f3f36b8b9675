// The contacts on disk under Wine: every committed change saved at once, the
// session's end, files that cannot be read or written, damaged files, and
// the real program killed or ended by Windows. The user is always told, and
// no contact is dropped without the user's word.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "main_fixture.h"
#include "program_fixture.h"

namespace qc::test {
namespace {

class ReliabilityTest : public MainWindowFixture {
 protected:
  static void SetReadOnly(const std::string& path, bool readOnly) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
    attributes = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
  }

  void AddContact(const std::string& name) {
    auto record = std::make_unique<TRecord>();
    record->Set(TRecord::kName, name);
    main->ContactList->Add(std::move(record));
  }
};

using Names = std::vector<std::string>;

TEST_F(ReliabilityTest, FilesMadeReadOnlyWhileRunningAreReportedAtClose) {
  const std::string ini = "[Options]\r\nFirstTime=0\r\nHints=1\r\n";
  WriteFileBytes(dir.File("QUILLCRD.DAT"), DataFileWithNames({"Ann"}));
  WriteFileBytes(dir.File("QUILLCRD.INI"), ini);
  Start();
  ASSERT_TRUE(Recorded().messages.empty());
  AddContact("Bob");
  main->Settings.ShowHints = false;
  SetReadOnly(dir.File("QUILLCRD.DAT"), true);
  SetReadOnly(dir.File("QUILLCRD.INI"), true);

  // The contacts come first: while they cannot be saved the window stays.
  EXPECT_FALSE(CloseMain());
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_NE(Recorded().messages[0].text.find("QUILLCRD.DAT"), std::string::npos) << Recorded().messages[0].text;
  EXPECT_EQ(NamesOnDisk(), std::vector<std::string>{"Ann"});
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.INI")), ini);

  // With the contacts saved, a settings file that refuses the write is
  // reported by name and the program still ends.
  SetReadOnly(dir.File("QUILLCRD.DAT"), false);
  Recorded().Clear();
  EXPECT_TRUE(CloseMain());
  EXPECT_EQ(NamesOnDisk(), (std::vector<std::string>{"Ann", "Bob"}));
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_EQ(Recorded().messages[0].text, "Unable to write to QUILLCRD.INI");
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.INI")), ini);
}

TEST_F(ReliabilityTest, EveryCommittedChangeIsOnDiskWhenItsButtonReturns) {
  StartWith({{{"Ann"}, 0}, {{"Bob"}, 0}});
  AddThroughWindow("Cy");
  EXPECT_EQ(NamesOnDisk(), (Names{"Ann", "Bob", "Cy"}));

  ChooseByMouse("Bob");
  main->Database.btEdit.Click();
  main->Database.edName.SetText("Bo");
  main->Database.btEdit.Click();
  EXPECT_EQ(NamesOnDisk(), (Names{"Ann", "Bo", "Cy"}));

  ChooseByMouse("Ann");
  main->Database.btDelete.Click();  // "Are you sure?" answered OK
  EXPECT_EQ(NamesOnDisk(), (Names{"Bo", "Cy"}));
  ASSERT_EQ(Recorded().messages.size(), 1u);

  // A change that cannot be saved is reported; the next one saves them all.
  SetReadOnly(dir.File("QUILLCRD.DAT"), true);
  AddThroughWindow("Dee");
  ASSERT_TRUE(PumpUntil([] { return Recorded().messages.size() == 2; }));
  EXPECT_NE(Recorded().messages[1].text.find("QUILLCRD.DAT"), std::string::npos) << Recorded().messages[1].text;
  EXPECT_EQ(NamesOnDisk(), (Names{"Bo", "Cy"}));
  SetReadOnly(dir.File("QUILLCRD.DAT"), false);
  AddThroughWindow("Eve");
  EXPECT_EQ(NamesOnDisk(), (Names{"Bo", "Cy", "Dee", "Eve"}));
}

// A read-only data file loads without a word; at close the user chooses.
TEST_F(ReliabilityTest, AFailedSaveAtCloseOffersToTryAgainToSaveElsewhereOrToStay) {
  const std::string before = DataFileWithNames({"Ann"});
  WriteFileBytes(dir.File("QUILLCRD.DAT"), before);
  WriteFileBytes(dir.File("QUILLCRD.INI"), "[Options]\r\nFirstTime=0\r\n");
  SetReadOnly(dir.File("QUILLCRD.DAT"), true);
  Start();
  EXPECT_TRUE(Recorded().messages.empty());
  AddContact("Bob");  // in memory only, as after a save that failed

  EXPECT_FALSE(CloseMain());  // Cancel: the window stays with its contacts
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_NE(Recorded().messages[0].text.find("QUILLCRD.DAT"), std::string::npos) << Recorded().messages[0].text;
  EXPECT_EQ(Recorded().messages[0].buttons, (Names{"&Try Again", "&Save to Another File...", "Cancel"}));
  ASSERT_TRUE(main->ContactList);

  // Try again (still read-only), then another file: its dialog cancelled once, then a file chosen.
  Recorded().Clear();
  Recorded().answers = {IDRETRY, IDYES, IDYES};
  Recorded().saveAsAnswers = {"", dir.File("elsewhere.dat")};
  EXPECT_TRUE(CloseMain());
  EXPECT_EQ(Recorded().messages.size(), 3u);
  EXPECT_EQ(NamesOnDisk("elsewhere.dat"), (Names{"Ann", "Bob"}));
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")), before);
}

TEST_F(ReliabilityTest, TheSessionEndSavesWhatWasCommittedFromTheTrayAndUnderADialog) {
  StartWith({{{"Ann"}, 0}}, "Tray Application=1\r\n");
  AddContact("Bob");
  main->Settings.ShowHints = false;
  main->StepAside();
  ASSERT_FALSE(IsWindowVisible(main->Handle()));
  EXPECT_EQ(SendMessageA(main->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_EQ(NamesOnDisk(), (Names{"Ann", "Bob"}));
  EXPECT_NE(ReadFileBytes(dir.File("QUILLCRD.INI")).find("Hints=0"), std::string::npos);
  SendMessageA(main->Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // another program said no

  main->RestoreQuillcard1Click();
  AddContact("Cy");
  bool asked = false;
  ui::Application::Get().onModalShown = [&](ui::Form& dialog) {
    asked = true;
    EXPECT_EQ(SendMessageA(main->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(NamesOnDisk(), (Names{"Ann", "Bob", "Cy"}));
    dialog.Close();
  };
  main->Configuration.btAbout.Click();
  ui::Application::Get().onModalShown = nullptr;
  EXPECT_TRUE(asked);
  EXPECT_TRUE(Recorded().messages.empty());
}

TEST_F(ReliabilityTest, ASessionEndThatCannotSaveTheContactsIsHeldUpAndTheUserToldAfterwards) {
  StartWith({{{"Ann"}, 0}}, "Tray Application=1\r\n");
  SetReadOnly(dir.File("QUILLCRD.DAT"), true);
  AddThroughWindow("Bob");
  ASSERT_TRUE(PumpUntil([] { return Recorded().messages.size() == 1; }));
  Recorded().Clear();
  main->StepAside();

  // The window comes out of the tray; nothing waits for the user while
  // Windows asks, the reason comes after.
  EXPECT_EQ(SendMessageA(main->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  EXPECT_TRUE(Recorded().messages.empty());
  SendMessageA(main->Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  ASSERT_TRUE(PumpUntil([] { return Recorded().messages.size() == 1; }));
  EXPECT_NE(Recorded().messages[0].text.find("QUILLCRD.DAT"), std::string::npos) << Recorded().messages[0].text;
  EXPECT_NE(Recorded().messages[0].text.find("kept Windows from ending the session"), std::string::npos);

  SetReadOnly(dir.File("QUILLCRD.DAT"), false);
  EXPECT_EQ(SendMessageA(main->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_EQ(NamesOnDisk(), (Names{"Ann", "Bob"}));
}

// A file that ends inside its last contact: the original is kept under a
// free name beside it, the user told once, and the book saved whole at once.
// Temporary files of a save that was cut off go; files merely like them stay.
TEST_F(ReliabilityTest, ADamagedFileIsKeptBesideTheBookAndLeftOversOfCutSavesGo) {
  std::string damaged = DataFileWithNames({"Ann", "Bob", "Cy"});
  damaged.resize(damaged.size() - 10);
  WriteFileBytes(dir.File("QUILLCRD.DAT"), damaged);
  WriteFileBytes(dir.File("QUILLCRD.DAT.damaged"), "an older one");
  WriteFileBytes(dir.File("QUILLCRD.DAT.tmp99999999-3"), "cut off");
  WriteFileBytes(dir.File("QUILLCRD.DAT.tmp99999999-3.txt"), "someone else's");
  WriteFileBytes(dir.File("QUILLCRD.INI"), "[Options]\r\nFirstTime=0\r\n");
  Start();
  ASSERT_EQ(Recorded().messages.size(), 1u);
  const std::string& told = Recorded().messages[0].text;
  EXPECT_NE(told.find("2 of its 3 contacts"), std::string::npos) << told;
  EXPECT_NE(told.find(dir.File("QUILLCRD.DAT.damaged2")), std::string::npos) << told;
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT.damaged2")), damaged);
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT.damaged")), "an older one");
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")), DataFileWithNames({"Ann", "Bob"}));
  EXPECT_FALSE(FileExists(dir.File("QUILLCRD.DAT.tmp99999999-3")));
  EXPECT_TRUE(FileExists(dir.File("QUILLCRD.DAT.tmp99999999-3.txt")));

  ASSERT_TRUE(CloseMain());
  main.reset();
  Recorded().Clear();
  Start();
  EXPECT_TRUE(Recorded().messages.empty());
}

// The real program in a process of its own, ended the hard ways.
class RealProgramTest : public ProgramFixture {
 protected:
  // The windows of a process, top-level or below `parent`, that `pick` keeps.
  static std::vector<HWND> Windows(DWORD pid, HWND parent, const std::function<bool(HWND)>& pick) {
    std::tuple<DWORD, const std::function<bool(HWND)>&, std::vector<HWND>> search{pid, pick, {}};
    auto visit = [](HWND w, LPARAM data) -> BOOL {
      auto& [process, keep, found] = *reinterpret_cast<decltype(search)*>(data);
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == process && keep(w)) found.push_back(w);
      return TRUE;
    };
    if (parent) EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search));
    else EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    return std::get<2>(search);
  }
  // The visible edit box nearest the window's top: the name box once it shows.
  static HWND NameBox(DWORD pid, HWND main) {
    auto top = [](HWND w) {
      RECT r;
      GetWindowRect(w, &r);
      return r.top;
    };
    std::vector<HWND> edits = Windows(pid, main, [](HWND w) {
      char cls[16] = {};
      GetClassNameA(w, cls, sizeof cls);
      return lstrcmpiA(cls, "Edit") == 0 && IsWindowVisible(w);
    });
    auto first = std::min_element(edits.begin(), edits.end(), [&](HWND a, HWND b) { return top(a) < top(b); });
    return first == edits.end() ? nullptr : *first;
  }
  Names NamesOnDisk() { return NamesInDataFile(dir.File("QUILLCRD.DAT")); }
};

TEST_F(RealProgramTest, KilledRightAfterOkOrEndedByWindowsFromTheTrayItLosesNothing) {
  settings.Write("[Options]\r\nFirstTime=0\r\nTray Application=1\r\n");
  WriteFileBytes(dir.File("QUILLCRD.DAT"), DataFileWithNames({"Ann"}));
  {
    ChildProcess program(exe, dir.Path());
    HWND main = WaitForMainWindow(program);
    ASSERT_NE(main, nullptr);
    SendMessageA(FindDescendant(main, "Button", "Ne&w Record"), BM_CLICK, 0, 0);
    SendMessageA(NameBox(program.Id(), main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Bob"));
    SendMessageA(FindDescendant(main, "Button", "Ok"), BM_CLICK, 0, 0);
    program.Kill();
    program.Wait(10000);
  }
  EXPECT_EQ(NamesOnDisk(), (Names{"Ann", "Bob"}));

  // Hidden in the tray, the program is asked and told as Windows does at a
  // log-off: every top-level window of it, then the process ends.
  ChildProcess program(exe, dir.Path());
  HWND main = WaitForMainWindow(program);
  ASSERT_NE(main, nullptr);
  SendMessageA(FindDescendant(main, "Button", "&Cancel"), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(main); }, 10000));
  const std::vector<HWND> windows = Windows(program.Id(), nullptr, [](HWND) { return true; });
  for (HWND w : windows) {
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer));
    EXPECT_TRUE(answer);
  }
  for (HWND w : windows) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &ignored);
  }
  program.Kill();
  program.Wait(10000);
  // The settings were written though the program never closed.
  const std::string ini = ReadFileBytes(settings.Path());
  EXPECT_NE(ini.find("[User Fields]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Tray Application=1"), std::string::npos) << ini;
  EXPECT_EQ(NamesOnDisk(), (Names{"Ann", "Bob"}));
}

}  // namespace
}  // namespace qc::test
