// The whole road, with the real programs as separate processes: Quillcard
// sets Word up (template, toolbar button, key shortcut); after Word's restart
// its button starts Quillcard, the chosen contact fills the letter, Quillcard
// steps aside into the tray, and the button or the key brings it back. Once
// with a Word 97 that names its startup folder, once with a Word 2016 that
// offers only "Word.Application" and names none, so that its default folder
// is the one.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "main_fixture.h"
#include "word_standin.h"

namespace qc::test {
namespace {

constexpr char kCaption[] = "Quillcard - 3.1";
// The visible top-level window of the process with this caption.
HWND WaitForWindow(DWORD pid, const std::string& caption, DWORD timeoutMs = 20000) {
  HWND found = nullptr;
  PumpUntil([&] { return (found = FindProcessWindow(pid, caption)) != nullptr; }, timeoutMs);
  return found;
}

// Presses OK on the process's message box with this text.
bool AnswerMessageBox(DWORD pid, const std::string& text) {
  HWND box = nullptr;
  bool seen = PumpUntil(
      [&] {
        box = FindProcessWindow(pid, "Quillcard");
        return box && FindDescendant(box, "Static", text) != nullptr;
      },
      20000);
  if (!seen) return false;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return PumpUntil([&] { return !IsWindow(box); }, 10000);
}

HWND Button(HWND window, const std::string& caption) { return FindDescendant(window, "Button", caption); }

// Clicks a button of another process without waiting for what the click starts.
void Press(HWND button) {
  ASSERT_NE(button, nullptr);
  PostMessageA(button, BM_CLICK, 0, 0);
}

// The combo box of the main window that lists the contacts.
HWND NameList(HWND main, const std::string& someName) {
  struct Find {
    std::string name;
    HWND found = nullptr;
  } f{someName};
  EnumChildWindows(
      main,
      [](HWND h, LPARAM lp) -> BOOL {
        auto* f = reinterpret_cast<Find*>(lp);
        char cls[32] = {};
        GetClassNameA(h, cls, sizeof cls);
        if (lstrcmpiA(cls, "ComboBox") == 0 &&
            SendMessageA(h, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(f->name.c_str())) !=
                CB_ERR) {
          f->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.found;
}

class WordRoadTest : public ::testing::TestWithParam<StandinBuild> {
 protected:
  void SetUp() override {
    later = GetParam() == StandinBuild::Word16;
    wordExe = later ? "winword16.exe" : "winword8.exe";
    char appData[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)));
    folder = later ? std::string(appData) + "\\Microsoft\\Word\\STARTUP" : startup.Path().substr(0, startup.Path().size() - 1);
    startupPath = std::make_unique<ScopedStartupFolder>(GetParam(), later ? "" : folder);
    DeleteFileA(Installed().c_str());
    settings.Write("[Options]\r\nFirstTime=0\r\nTray Application=1\r\n");

    // The installation: the program, its template and log, and Word beside it.
    for (const char* file : {QC_QUILLCRD_EXE, wordExe, "qlc8.dot"})
      ASSERT_TRUE(CopyFileA((ProgramDirectory() + file).c_str(), app.File(file).c_str(), FALSE)) << file;
    WriteFileBytes(app.File("install.log"), "");
    WriteFileBytes(app.File("QUILLCRD.DAT"),
                   DataFile({{{"Smith, John", "Acme Ltd", "Director", "Mr.", "1 Main Road", "", "Springfield", "0000"},
                              126},
                             {{"Brown, Ann", "Brown & Co"}, 0}}));
    normal = data.File("normal.txt");
  }
  void TearDown() override { DeleteFileA(Installed().c_str()); }
  std::string Installed() const { return folder + "\\qlc.dot"; }

  std::unique_ptr<WordStandin> StartWord() {
    auto w = std::make_unique<WordStandin>(app.File(wordExe), "--normal \"" + normal + "\"");
    EXPECT_TRUE(w->Ready());
    return w;
  }

  // The process the last macro run started, from Word's record of its runs.
  static DWORD LastStartedProcess(WordStandin& word) {
    std::vector<StandinMacroRun> runs = word.MacroRuns();
    if (runs.empty() || runs.back().result.rfind("started ", 0) != 0) return 0;
    return static_cast<DWORD>(std::stoul(runs.back().result.substr(8)));
  }

  TempDir app, startup, data;
  bool later = false;
  const char* wordExe = nullptr;
  std::string folder;  // Word's startup folder
  std::unique_ptr<ScopedStartupFolder> startupPath;
  MachineSettingsFile settings;
  std::string normal;
};

TEST_P(WordRoadTest, SetUpInWordThenTheButtonStartsQuillcardWhichFillsTheLetterAndComesBack) {
  // 1. Quillcard sets Word up: the template, a button on Standard, Ctrl+Q.
  {
    std::unique_ptr<WordStandin> word = StartWord();
    ChildProcess setup(app.File(QC_QUILLCRD_EXE), app.Path());
    HWND main = WaitForWindow(setup.Id(), kCaption);
    ASSERT_NE(main, nullptr);
    Press(Button(main, "Word Interface Configuration"));
    HWND config = WaitForWindow(setup.Id(), "Word interface configuration");
    ASSERT_NE(config, nullptr);
    ASSERT_TRUE(AnswerMessageBox(setup.Id(),
                                 "Successfully copied Quillcard Template to Startup Dir\r\nNote that you might need "
                                 "to close and restart Word to make it recognize the new template"));
    EXPECT_EQ(ReadFileBytes(Installed()), ReadFileBytes(app.File("qlc8.dot")));
    // The copy is noted in the log once the message has been answered.
    const std::string noted = "File Copy: " + Installed() + "\r\n";
    EXPECT_TRUE(PumpUntil([&] { return ReadFileBytes(app.File("install.log")) == noted; }, 10000))
        << ReadFileBytes(app.File("install.log"));

    HWND toolbarButton = Button(config, "Create Toolbar Button");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(toolbarButton) != FALSE; }, 10000));
    Press(toolbarButton);
    auto firstOnStandard = [&] {
      for (const StandinButton& b : word->Toolbars())
        if (b.toolbar == "Standard" && b.position == 1) return b.macro;
      return std::string();
    };
    ASSERT_TRUE(PumpUntil([&] { return firstOnStandard() == "Quillcard"; }, 10000));
    HWND hotKey = FindDescendant(config, HOTKEY_CLASSA, "");
    ASSERT_NE(hotKey, nullptr);
    SendMessageA(hotKey, HKM_SETHOTKEY, MAKEWORD('Q', HOTKEYF_CONTROL), 0);
    Press(Button(config, "Create Keyboard Shortcut"));
    ASSERT_TRUE(PumpUntil([&] { return !word->Keys().empty(); }, 10000));
    EXPECT_EQ(word->Keys(), (std::vector<StandinKey>{{593, "Quillcard"}}));  // Ctrl+Q in Word's key codes

    Press(Button(config, "Exit"));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(config); }, 10000));
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(setup.Wait(20000), 0u);
  }

  // 2. Word restarted: it loads the template from its startup folder and keeps the button and key.
  std::unique_ptr<WordStandin> word = StartWord();
  EXPECT_EQ(word->Templates().paths, std::vector<std::string>{Installed()});
  ASSERT_TRUE(word->OpenText("<Header>\r\n\r\nDear <Name>,\r\n"));

  // 3. Word's button starts Quillcard.
  ASSERT_TRUE(word->Click("Standard", 1));
  DWORD pid = 0;
  ASSERT_TRUE(PumpUntil([&] { return (pid = LastStartedProcess(*word)) != 0; }, 10000));
  HWND main = WaitForWindow(pid, kCaption);
  ASSERT_NE(main, nullptr);
  HANDLE quillcard = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  ASSERT_NE(quillcard, nullptr);

  // 4. The contact chosen, "Insert Document" fills the letter and Quillcard steps aside into the tray.
  HWND names = NameList(main, "Smith, John");
  ASSERT_NE(names, nullptr);
  LRESULT index = SendMessageA(names, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>("Smith, John"));
  SendMessageA(names, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(GetParent(names), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(names), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(names));
  Press(Button(main, "Insert &Document"));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(main); }, 20000));
  EXPECT_EQ(word->Document().paragraphs,
            (std::vector<std::string>{"Mr. John Smith\vDirector\vAcme Ltd\v1 Main Road\vSpringfield", "",
                                      "Dear Mr. John Smith,"}));

  // 5. The button again: the second start wakes the first out of the tray and ends.
  ASSERT_TRUE(word->Click("Standard", 1));
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 20000));
  DWORD second = LastStartedProcess(*word);
  EXPECT_NE(second, pid);

  // 6. And the key: the contact is still shown, so insert again to step aside, then Ctrl+Q in Word.
  Press(Button(main, "Insert &Document"));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(main); }, 10000));
  ASSERT_TRUE(word->Press(593));
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 20000));
  EXPECT_EQ(WaitForSingleObject(quillcard, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(quillcard, 20000), WAIT_OBJECT_0);
  CloseHandle(quillcard);
}

INSTANTIATE_TEST_SUITE_P(Words, WordRoadTest, ::testing::Values(StandinBuild::Word8, StandinBuild::Word16),
                         [](const auto& info) { return info.param == StandinBuild::Word8 ? "Word97" : "Word2016"; });

}  // namespace
}  // namespace qc::test
