// "Insert Document" end to end: the main window on a temporary folder, the
// Word stand-in as a separate process with a letter open, real COM between.
#include <gtest/gtest.h>

#include <cstdlib>

#include "main_fixture.h"
#include "word_standin.h"

namespace qc::test {
namespace {

constexpr char kFieldNamesIni[] = "[User Fields]\r\nField0=Birthday\r\nField1=Email\r\n";

// A contact with every field filled; 126: all letter and fax options but "company first".
ContactBytes JohnSmith(int options = 126) {
  return {{"Smith, John", "Acme Ltd", "Director", "Mr.", "1 Main Road", "", "Springfield", "0000", "555",
           "1 May", "js@acme.example", "u3", "u4", "u5", "u6", "u7", "u8"},
          options};
}

class WordInsertTest : public MainWindowFixture {
 protected:
  void TearDown() override {
    MainWindowFixture::TearDown();
    word.reset();
  }

  void StartWord(StandinBuild build = StandinBuild::Word8) {
    word = std::make_unique<WordStandin>(build);
    ASSERT_TRUE(word->Ready());
  }

  void Choose(const std::string& name) {
    int i = main->Database.lbName.IndexOf(name);
    ASSERT_GE(i, 0) << name;
    main->Database.lbName.SetItemIndex(i);
    SendMessageA(GetParent(main->Database.lbName.Handle()), WM_COMMAND, MAKEWPARAM(main->Database.lbName.Id(), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(main->Database.lbName.Handle()));
    Pump();
    ASSERT_EQ(main->Database.Mode, EditMode::ShowRecord);
  }

  // Presses "Insert Document" as Enter on the focused button does.
  void Insert() {
    ASSERT_TRUE(main->Database.btInsert.Enabled());
    SendMessageA(main->Database.btInsert.Handle(), BM_CLICK, 0, 0);
    Pump();
  }

  std::vector<LoggedCommand> Replaces() {
    std::vector<LoggedCommand> r;
    for (const LoggedCommand& c : word->Log())
      if (c.name == "EditReplace") r.push_back(c);
    return r;
  }
  std::vector<std::string> Finds() {
    std::vector<std::string> f;
    for (const LoggedCommand& c : Replaces()) f.push_back(c.Arg("Find"));
    return f;
  }

  std::unique_ptr<WordStandin> word;
};

TEST_F(WordInsertTest, EveryVariableOfTheLetterIsFilledAndTheProgramEnds) {
  StartWord();
  ASSERT_TRUE(word->OpenText("<Header>\r\n\r\nDear <name>,\r\nFax <NUMBER> for <Title> at <company>.\r\n"
                             "<Birthday>|<email>|<User 3>|<User 4>|<User 5>|<User 6>|<User 7>|<User 8>\r\n"
                             "<Phone> <Address1> <Header\r\n"));
  ShowWindow(word->Window(), SW_MINIMIZE);
  StartWith({JohnSmith()}, kFieldNamesIni);
  Choose("Smith, John");
  Insert();

  EXPECT_EQ(word->Document().paragraphs,
            (std::vector<std::string>{"Mr. John Smith\vDirector\vAcme Ltd\v1 Main Road\vSpringfield", "",
                                      "Dear Mr. John Smith,", "Fax 0000 for Director at Acme Ltd.",
                                      // Word gives a value the capital of its variable's first letter.
                                      "1 May|js@acme.example|U3|U4|U5|U6|U7|U8", "<Phone> <Address1> <Header"}));
  EXPECT_EQ(word->State()["visible"], "1");
  EXPECT_FALSE(IsIconic(word->Window()));
  // Outside tray mode the program ends as its close does: contacts and settings written.
  EXPECT_EQ(main->Handle(), nullptr);
  EXPECT_TRUE(main->Closed);
  EXPECT_NE(ReadFileBytes(dir.File("QUILLCRD.INI")).find("Field0=Birthday"), std::string::npos);
  EXPECT_TRUE(Recorded().messages.empty());
  EXPECT_TRUE(Recorded().quits.empty());
}

TEST_F(WordInsertTest, WithoutTheFaxTitleAndCompanyElevenReplaceAllsAreSentInOrder) {
  StartWord();
  StartWith({JohnSmith(0)}, kFieldNamesIni);
  Choose("Smith, John");
  Insert();
  auto log = word->Log();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0].name, "AppShow");
  EXPECT_EQ(log[1].name, "EditFindClearFormatting");
  EXPECT_EQ(log[2].name, "EditReplaceClearFormatting");
  EXPECT_EQ(log[3].name, "StartOfDocument");
  EXPECT_EQ(log[3].args.at(0).value, "0");
  EXPECT_EQ(log.size(), 4u + 11u);
  EXPECT_EQ(Finds(), (std::vector<std::string>{"<Header>", "<Name>", "<Number>", "<Birthday>", "<Email>",
                                               "<User 3>", "<User 4>", "<User 5>", "<User 6>", "<User 7>",
                                               "<User 8>"}));
  LoggedCommand name = Replaces()[1];
  EXPECT_EQ(name.Arg("Replace"), "John Smith");  // "Use Treatment" for the fax is off
  std::vector<std::string> argNames;
  for (const LoggedArg& a : name.args) argNames.push_back(a.name + "=" + a.value);
  EXPECT_EQ(argNames, (std::vector<std::string>{"Find=<Name>", "Replace=John Smith", "MatchCase=0", "WholeWord=0",
                                                "PatternMatch=0", "SoundsLike=0", "FindAllWordForms=0",
                                                "ReplaceAll=1", "Wrap=1"}));
}

TEST_F(WordInsertTest, WithTheFaxTitleAndCompanyThirteenAreSent) {
  StartWord();
  StartWith({JohnSmith(16 + 32)});
  Choose("Smith, John");
  Insert();
  auto finds = Finds();
  ASSERT_EQ(finds.size(), 13u);
  EXPECT_EQ(std::vector<std::string>(finds.begin(), finds.begin() + 6),
            (std::vector<std::string>{"<Header>", "<Name>", "<Title>", "<Company>", "<Number>", "<User 1>"}));
  // The header of option byte 48 is the name and the address lines alone.
  EXPECT_EQ(Replaces()[0].Arg("Replace"), "John Smith\v1 Main Road\vSpringfield");
}

TEST_F(WordInsertTest, TheHeaderSkipsEmptyPreviewLines) {
  StartWord();
  ASSERT_TRUE(word->OpenText("[<Header>]\r\n"));
  StartWith({JohnSmith()});
  Choose("Smith, John");
  main->Database.meLetter.SetText("A\r\n\r\nB");
  Insert();
  EXPECT_EQ(Replaces().at(0).Arg("Replace"), "A\vB");
  EXPECT_EQ(word->Text(), "[A\vB]\r");
}

TEST_F(WordInsertTest, ValuesAndFieldNamesArriveExactlyAsTypedOrAreNamedAsTooLong) {
  OpenClipboard(nullptr);
  EmptyClipboard();
  CloseClipboard();
  StartWord();
  ASSERT_TRUE(word->OpenText("<Company> / <Name> / <fee^total> / <50%^p>\r\n"));
  ContactBytes c = JohnSmith(16);
  c.texts[0] = "Smith, R^2 [x]";
  c.texts[1] = "R&D ^c ^& ^p^^";
  c.texts[9] = "^t tab";
  c.texts[10] = "^";
  const std::string tooLong(127, '^');  // 254 characters once doubled
  StartWith({c}, "[User Fields]\r\nField0=Fee^Total\r\nField1=50%^p\r\nField2=" + tooLong + "\r\n");
  Choose("Smith, R^2 [x]");
  Insert();
  EXPECT_EQ(word->Text(), "R&D ^c ^& ^p^^ / R^2 Smith / ^t tab / ^\r");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Word cannot search for a text longer than 255 characters, "
                                                     "so these variables were not filled:\r\n<" + tooLong + ">"});
  EXPECT_TRUE(Recorded().messages.at(0).type & MB_ICONWARNING);
  EXPECT_EQ(main->Handle(), nullptr);  // then it steps aside as always
}

TEST_F(WordInsertTest, ValuesLongerThanWordTakesAtOnceArriveWhole) {
  StartWord();
  ASSERT_TRUE(word->OpenText("<Header>|<header>\r\n<Birthday>\r\n"));
  ContactBytes c = JohnSmith(14);
  for (int i = 4; i <= 6; ++i) c.texts[static_cast<size_t>(i)] = std::string(200, static_cast<char>('a' + i)) + "^";
  c.texts[9] = std::string(255, '^');
  StartWith({c}, kFieldNamesIni);
  Choose("Smith, John");
  Insert();
  std::string header = "Mr. John Smith\vDirector\vAcme Ltd\v" + c.texts[4] + "\v" + c.texts[5] + "\v" + c.texts[6];
  EXPECT_EQ(word->Document().paragraphs, (std::vector<std::string>{header + "|" + header, c.texts[9]}));
  for (const LoggedCommand& r : Replaces()) {
    EXPECT_FALSE(r.failed);
    EXPECT_LE(r.Arg("Replace").size(), 255u);
  }
  EXPECT_TRUE(Recorded().messages.empty());
}

TEST_F(WordInsertTest, InTrayModeTheWindowHidesAndTheProgramRunsOn) {
  StartWord();
  StartWith({JohnSmith()}, "Tray Application=1\r\n");
  Choose("Smith, John");
  Insert();
  EXPECT_EQ(Replaces().size(), 13u);
  ASSERT_NE(main->Handle(), nullptr);
  EXPECT_FALSE(IsWindowVisible(main->Handle()));
  EXPECT_TRUE(main->HiddenInTray);
  EXPECT_FALSE(main->Closed);
  EXPECT_TRUE(Recorded().quits.empty());
}

TEST_F(WordInsertTest, WithoutWordTheUserIsToldAndNothingElseHappens) {
  StartWith({JohnSmith()});
  Choose("Smith, John");
  Insert();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{
                                "Quillcard requires that Microsoft Word is already opened.\r\n Please open Word and try again"});
  ASSERT_NE(main->Handle(), nullptr);
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  EXPECT_EQ(main->Database.Mode, EditMode::ShowRecord);
  EXPECT_TRUE(Recorded().quits.empty());
}

TEST_F(WordInsertTest, ACommandFailingMidwayIsReportedAndTheProgramRunsOn) {
  StartWord();
  ASSERT_TRUE(word->OpenText("<Header>|<Name>|<Title>|<Company>|<Number>\r\n"));
  word->FailCall("EditReplace", 3);
  StartWith({JohnSmith()});
  Choose("Smith, John");
  Insert();
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_EQ(Recorded().messages[0].text, "Word reported an error on EditReplace:\r\nCommand failed");
  EXPECT_TRUE(Recorded().messages[0].type & MB_ICONERROR);
  // Stopped at the failing command: no step aside, the rest left in the letter.
  ASSERT_NE(main->Handle(), nullptr);
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  EXPECT_FALSE(main->HiddenInTray);
  auto log = word->Log();
  EXPECT_TRUE(log.back().failed);
  EXPECT_EQ(log.back().Arg("Find"), "<Title>");
  EXPECT_EQ(word->Text(), "Mr. John Smith\vDirector\vAcme Ltd\v1 Main Road\vSpringfield|Mr. John Smith|<Title>|"
                          "<Company>|<Number>\r");
  // The session was let go: the program can try again.
  Recorded().Clear();
  Insert();
  EXPECT_EQ(word->Text(), "Mr. John Smith\vDirector\vAcme Ltd\v1 Main Road\vSpringfield|Mr. John Smith|Director|"
                          "Acme Ltd|0000\r");
  EXPECT_EQ(main->Handle(), nullptr);
}

// The probe finds Word 7, but its class cannot be created.
void UnregisterWordBasic() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Classes\\Word.Basic");
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "Word.Basic");
}

TEST_F(WordInsertTest, AFailedConnectionSavesEverythingAndEndsTheProgram) {
  StartWord(StandinBuild::Word7);
  UnregisterWordBasic();
  StartWith({JohnSmith()}, kFieldNamesIni);
  // A contact added in this run.
  main->Database.btNew.Click();
  main->Database.edName.SetText("Zed");
  main->Database.btNew.Click();
  ASSERT_EQ(main->Database.Mode, EditMode::Browse);
  Choose("Zed");
  Insert();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Unable to connect to Word - QUITING"});
  EXPECT_EQ(Recorded().quits, std::vector<int>{0});
  EXPECT_NE(ReadFileBytes(dir.File("QUILLCRD.DAT")).find("\x03Zed"), std::string::npos);
  EXPECT_NE(ReadFileBytes(dir.File("QUILLCRD.INI")).find("Field1=Email"), std::string::npos);
  // The program ends at once, not through its window's close.
  EXPECT_NE(main->Handle(), nullptr);
  EXPECT_FALSE(main->Closed);
  EXPECT_TRUE(word->Log().empty());
}

TEST_F(WordInsertTest, WhenSavingFailsTheProgramStaysOpenWithItsContacts) {
  StartWord(StandinBuild::Word7);
  UnregisterWordBasic();
  StartWith({JohnSmith()});
  // The data file cannot be replaced: a folder now stands in its place.
  ASSERT_TRUE(DeleteFileA(dir.File("QUILLCRD.DAT").c_str()));
  ASSERT_TRUE(CreateDirectoryA(dir.File("QUILLCRD.DAT").c_str(), nullptr));
  Choose("Smith, John");
  Insert();
  RemoveDirectoryA(dir.File("QUILLCRD.DAT").c_str());
  ASSERT_EQ(Recorded().messages.size(), 2u);
  EXPECT_EQ(Recorded().messages[0].text, "Unable to connect to Word - QUITING");
  // The user is asked what to do with the contacts; Cancel keeps the program open.
  EXPECT_EQ(Recorded().messages[1].buttons,
            (std::vector<std::string>{"&Try Again", "&Save to Another File...", "Cancel"}));
  EXPECT_TRUE(Recorded().quits.empty());
  EXPECT_EQ(main->ContactList->Count(), 1);
}

// The settings file of the real program is machine-wide (in the Windows
// folder): each test writes its own and puts the old one back afterwards.
class MachineSettings {
 public:
  explicit MachineSettings(const std::string& ini) {
    char windir[MAX_PATH];
    GetWindowsDirectoryA(windir, MAX_PATH);
    path_ = std::string(windir) + "\\QUILLCRD.INI";
    had_ = FileExists(path_);
    if (had_) saved_ = ReadFileBytes(path_);
    WriteFileBytes(path_, ini);
  }
  ~MachineSettings() {
    if (had_) WriteFileBytes(path_, saved_);
    else DeleteFileA(path_.c_str());
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_, saved_;
  bool had_ = false;
};

// With QC_DEMO_HOLD naming a file, a demonstration run keeps the scene on
// the screen: Quillcard is brought back beside Word, the file is written, and
// everything stays until the stand-in is ended by hand ("winword8.exe --send quit").
void HoldForDemonstration(WordStandin& word, HWND quillcard) {
  const char* hold = std::getenv("QC_DEMO_HOLD");
  if (!hold || !*hold) return;
  PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("Quillcard Custom Message"), 0, 0);
  PumpUntil([&] { return IsWindowVisible(quillcard) != FALSE; }, 10000);
  SetWindowPos(quillcard, nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  WriteFileBytes(hold, "ready");
  HANDLE process = word.Process();
  while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) Pump();
}

HWND StartProgram(ChildProcess& program) {
  HWND main = nullptr;
  PumpUntil([&] { return (main = FindProcessWindow(program.Id(), "Quillcard - 3.1")) != nullptr; }, 20000);
  return main;
}

void ChooseInProgram(HWND main, const std::string& name) {
  HWND names = FindDescendant(main, "ComboBox", "");
  ASSERT_NE(names, nullptr);
  LRESULT i = SendMessageA(names, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
  ASSERT_GE(i, 0);
  SendMessageA(names, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
  SendMessageA(GetParent(names), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(names), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(names));
}

// The road of the main action with the real program in tray mode: choose a
// contact, "Insert Document" fills the letter in Word, Quillcard leaves the
// screen and a second start brings it back.
TEST(WordInsertProgram, TheRealProgramFillsTheLetterAndWaitsInTheTray) {
  MachineSettings settings("[Options]\r\nFirstTime=0\r\nTray Application=1\r\n" + std::string(kFieldNamesIni));
  TempDir dir;
  std::string exe = dir.File("quillcrd.exe");
  ASSERT_TRUE(CopyFileA((ProgramDirectory() + QC_QUILLCRD_EXE).c_str(), exe.c_str(), FALSE));
  WriteFileBytes(dir.File("QUILLCRD.DAT"), DataFile({{{"Adams, Ann", "Adams & Co"}, 0}, JohnSmith()}));

  WordStandin word(StandinBuild::Word8, "--pos 560,20,700,760");
  ASSERT_TRUE(word.Ready());
  ASSERT_TRUE(word.OpenText(
      "<Header>\r\n\r\n\r\nDear <Name>,\r\n\r\nThank you for your letter of 12 May. The books you ordered "
      "for <Company> leave our warehouse this week; please tell us at <Number> if your <Title> office has moved.\r\n"
      "\r\nWe note your birthday, <Birthday>, and will write to <Email> as well.\r\n\r\nYours sincerely,\r\n\r\n"
      "\r\nMary Writer\r\n"));
  ChildProcess program(exe, dir.Path());
  HWND main = StartProgram(program);
  ASSERT_NE(main, nullptr);
  ChooseInProgram(main, "Smith, John");
  HWND insert = FindDescendant(main, "Button", "Insert &Document");
  ASSERT_NE(insert, nullptr);
  PostMessageA(insert, BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(main); }, 20000));

  DocumentView letter = word.Document();
  ASSERT_GE(letter.paragraphs.size(), 4u);
  EXPECT_EQ(letter.paragraphs[0], "Mr. John Smith\vDirector\vAcme Ltd\v1 Main Road\vSpringfield");
  EXPECT_EQ(letter.paragraphs[3], "Dear Mr. John Smith,");
  EXPECT_NE(letter.paragraphs[5].find("for Acme Ltd leave"), std::string::npos);
  EXPECT_NE(letter.paragraphs[5].find("at 0000 if your Director office"), std::string::npos);
  EXPECT_EQ(program.Wait(0), static_cast<DWORD>(STILL_ACTIVE));

  // A second start wakes the first out of the tray and ends.
  ChildProcess second(exe, dir.Path());
  EXPECT_EQ(second.Wait(20000), 0u);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 10000));

  HoldForDemonstration(word, main);
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.Wait(20000), 0u);
}

// The real program, as a process of its own: after "Unable to connect to
// Word - QUITING" it ends by itself, its contacts written.
TEST(WordInsertProgram, AFailedConnectionEndsTheRealProgram) {
  MachineSettings settings("[Options]\r\nFirstTime=0\r\n");
  TempDir dir;
  std::string exe = dir.File("quillcrd.exe");
  ASSERT_TRUE(CopyFileA((ProgramDirectory() + QC_QUILLCRD_EXE).c_str(), exe.c_str(), FALSE));
  std::string data = DataFile({JohnSmith()});
  WriteFileBytes(dir.File("QUILLCRD.DAT"), data);

  WordStandin word(StandinBuild::Word7);
  ASSERT_TRUE(word.Ready());
  UnregisterWordBasic();
  ChildProcess program(exe, dir.Path());
  HWND main = StartProgram(program);
  ASSERT_NE(main, nullptr);
  ChooseInProgram(main, "Smith, John");
  HWND insert = FindDescendant(main, "Button", "Insert &Document");
  ASSERT_NE(insert, nullptr);
  // The contacts now live in the program alone.
  ASSERT_TRUE(DeleteFileA(dir.File("QUILLCRD.DAT").c_str()));
  // Posted: the click does not come back until its message box is answered.
  PostMessageA(insert, BM_CLICK, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (box = FindProcessWindow(program.Id(), "Quillcard")) != nullptr; }, 20000));
  EXPECT_NE(FindDescendant(box, "Static", "Unable to connect to Word - QUITING"), nullptr);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program.Wait(20000), 0u);
  // The contacts were written before it ended.
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")), data);
}

}  // namespace
}  // namespace qc::test
