// The Word stand-in over real COM, through Quillcard's own session: that it
// behaves as Word does where Quillcard depends on it, and that the session
// carries arguments, results and Word's errors across.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "word/win32/word_session.h"
#include "word_standin.h"

namespace qc::test {
namespace {

using word::WordArg;

class StandinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin = std::make_unique<WordStandin>(StandinBuild::Word8);
    ASSERT_TRUE(standin->Ready());
    session = word::ConnectWord(word::WordGeneration::Word8);
  }
  void TearDown() override {
    session.reset();
    standin.reset();
  }

  void ReplaceAll(const std::string& find, const std::string& replace, int matchCase = 0) {
    session->Send("EditReplace", {WordArg::Named("Find", find), WordArg::Named("Replace", replace),
                                  WordArg::Named("MatchCase", matchCase), WordArg::Named("ReplaceAll", 1),
                                  WordArg::Named("Wrap", 1)});
  }

  // The error text Word gives for a command.
  std::string ErrorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const word::WordError& e) {
      return e.what();
    }
    return "<no error>";
  }

  std::unique_ptr<WordStandin> standin;
  std::unique_ptr<word::WordBasic> session;
};

TEST_F(StandinTest, ReplaceAllFindsWithoutRegardToCaseAndAdaptsTheCapitalsUnlessAsked) {
  ASSERT_TRUE(standin->OpenText("<Name> and <NAME>, <name>.\r\nAgain: <nAmE>\r\n"));
  ReplaceAll("<Name>", "ann lee");
  EXPECT_EQ(standin->Text(), "Ann lee and ANN LEE, ann lee.\rAgain: ann lee\r");
  ASSERT_TRUE(standin->OpenText("<Name> and <NAME>\r\n"));
  ReplaceAll("<Name>", "ann", 1);
  EXPECT_EQ(standin->Text(), "ann and <NAME>\r");
  // Case folding covers the accented letters of the ANSI code page.
  ASSERT_TRUE(standin->OpenText("<\xC9T\xC9> <\xE9t\xE9>\r\n"));
  ReplaceAll("<\xE9t\xE9>", "\xE9x");
  EXPECT_EQ(standin->Text(), "\xC9X \xE9x\r");
}

TEST_F(StandinTest, AppShowShowsAHiddenWordAndOnlyAppRestoreRestoresAMinimisedOne) {
  ShowWindow(standin->Window(), SW_HIDE);
  session->Send("AppShow");
  EXPECT_EQ(standin->State()["visible"], "1");
  ShowWindow(standin->Window(), SW_MINIMIZE);
  session->Send("AppShow");
  EXPECT_EQ(standin->State()["minimised"], "1");
  session->Send("AppRestore");
  EXPECT_EQ(standin->State()["minimised"], "0");
}

TEST_F(StandinTest, ReplaceTextCodesMeanWhatTheyMeanInWord) {
  OpenClipboard(nullptr);
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 10);
  lstrcpyA(static_cast<char*>(GlobalLock(mem)), "CLIPBOARD");
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();

  ASSERT_TRUE(standin->OpenText("[x]\r\n"));
  ReplaceAll("x", "a^pb^tc^^d^&e^lf^c^0065");
  EXPECT_EQ(standin->Text(), "[a\rb\tc^dxe\x0B" "fCLIPBOARDA]\r");
  // In the find text too: "^^" is a caret and "^t" a tab.
  ASSERT_TRUE(standin->OpenText("a^b\tc\r\n"));
  ReplaceAll("^^b^t", "-");
  EXPECT_EQ(standin->Text(), "a-c\r");
  EXPECT_EQ(ErrorOf([&] { ReplaceAll("x", "^q"); }),
            "Word reported an error on EditReplace:\r\n'^q' is not a valid special character for the Replace With box.");
  EXPECT_EQ(ErrorOf([&] { ReplaceAll("^c", "x"); }),
            "Word reported an error on EditReplace:\r\n'^c' is not a valid special character for the Find What box.");
}

TEST_F(StandinTest, FindAndReplaceTextsOver255CharactersAreRefused) {
  ASSERT_TRUE(standin->OpenText("<x>\r\n"));
  ReplaceAll("<x>", std::string(255, 'a'));
  EXPECT_EQ(standin->Text(), std::string(255, 'a') + "\r");
  EXPECT_EQ(ErrorOf([&] { ReplaceAll("a", std::string(256, 'b')); }),
            "Word reported an error on EditReplace:\r\nString parameter too long.");
  EXPECT_EQ(ErrorOf([&] { ReplaceAll(std::string(256, 'a'), "b"); }),
            "Word reported an error on EditReplace:\r\nString parameter too long.");
  EXPECT_EQ(standin->Text(), std::string(255, 'a') + "\r");
}

TEST_F(StandinTest, TextBuiltWithTabsBecomesATableCellByCell) {
  session->Send("FileNewDefault");
  session->Send("Insert", {WordArg::Held("Name\tFax#")});
  session->Send("InsertPara");
  session->Send("Insert", {WordArg::Literal("Ann\t")});
  session->Send("InsertPara");
  session->Send("Insert", {WordArg::Held("Bob\t2\t3")});
  session->Send("InsertPara");
  session->Send("StartOfDocument", {WordArg::Int(0)});
  session->Send("EndOfDocument", {WordArg::Int(1)});
  session->Send("TextToTable", {WordArg::Named("ConvertFrom", 1)});
  DocumentView doc = standin->Document();
  EXPECT_TRUE(doc.paragraphs.empty());
  ASSERT_EQ(doc.tables.size(), 1u);
  EXPECT_EQ(doc.tables[0], (std::vector<std::vector<std::string>>{
                               {"Name", "Fax#", ""}, {"Ann", "", ""}, {"Bob", "2", "3"}}));
  EXPECT_EQ(standin->State()["documents"], "2");
}

TEST_F(StandinTest, ResultsComeBackAsNumbersAndTexts) {
  EXPECT_EQ(session->ReadInteger("CountToolbars"), 2);
  EXPECT_EQ(session->ReadText("ToolbarName$", {WordArg::Int(2)}), "Formatting");
  // Word knows its text functions only by their names with "$", and its other commands only without.
  EXPECT_EQ(ErrorOf([&] { session->ReadText("ToolbarName", {WordArg::Int(1)}); }),
            "Word does not know the command ToolbarName");
  EXPECT_EQ(ErrorOf([&] { session->ReadInteger("CountKeys$"); }), "Word does not know the command CountKeys$");
  EXPECT_EQ(session->ReadInteger("CountToolbarButtons", {WordArg::Held("Standard")}), 8);
  session->Send("AddButton", {WordArg::Held("Standard"), WordArg::Int(1), WordArg::Int(2),
                              WordArg::Literal("Quillcard"), WordArg::Int(21)});
  EXPECT_EQ(session->ReadText("ToolbarButtonMacro$", {WordArg::Held("standard"), WordArg::Int(1)}), "Quillcard");
  session->Send("ToolsCustomizeKeyboard", {WordArg::Named("KeyCode", 849), WordArg::Named("Category", 2),
                                           WordArg::Named("Name", "Quillcard", false), WordArg::Named("Add", 1)});
  EXPECT_EQ(session->ReadInteger("CountKeys"), 1);
  EXPECT_EQ(session->ReadInteger("KeyCode", {WordArg::Int(1)}), 849);
  EXPECT_EQ(session->ReadText("KeyMacro$", {WordArg::Int(1)}), "Quillcard");
}

TEST_F(StandinTest, BadCallsFailWithWordsText) {
  EXPECT_EQ(ErrorOf([&] { session->Send("NoSuchCommand"); }), "Word does not know the command NoSuchCommand");
  EXPECT_EQ(ErrorOf([&] { session->Send("EditReplace", {WordArg::Named("Finder", "x")}); }),
            "Word does not know the argument Finder of EditReplace");
  EXPECT_EQ(ErrorOf([&] { session->Send("Insert"); }),
            "Word reported an error on Insert:\r\nWrong number of parameters");
  EXPECT_EQ(ErrorOf([&] { session->Send("Insert", {WordArg::Int(3)}); }),
            "Word reported an error on Insert:\r\nType mismatch");
  EXPECT_EQ(ErrorOf([&] { session->ReadText("ToolbarName$", {WordArg::Int(9)}); }),
            "Word reported an error on ToolbarName$:\r\nValue out of range");
  ASSERT_TRUE(standin->Request("close-all"));
  EXPECT_EQ(ErrorOf([&] { session->Send("InsertPara"); }),
            "Word reported an error on InsertPara:\r\nThis command is not available because no document is open.");
  standin->FailCall("AppShow", 2);
  session->Send("AppShow");
  EXPECT_EQ(ErrorOf([&] { session->Send("AppShow"); }), "Word reported an error on AppShow:\r\nCommand failed");
  session->Send("AppShow");
}

TEST_F(StandinTest, TheLogShowsArgumentsInTheCallersOrderAndHowTheyTravelled) {
  ASSERT_TRUE(standin->Request("clear-log"));
  session->Send("EditReplace", {WordArg::Named("Find", "<a>"), WordArg::Named("Replace", "b\x0B" "c", false),
                                WordArg::Named("MatchCase", 0), WordArg::Named("ReplaceAll", 1)});
  session->Send("StartOfDocument", {WordArg::Int(0)});
  auto log = standin->Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].name, "EditReplace");
  ASSERT_EQ(log[0].args.size(), 4u);
  EXPECT_EQ(log[0].args[0].name, "Find");
  EXPECT_TRUE(log[0].args[0].byRef);
  EXPECT_EQ(log[0].args[1].name, "Replace");
  EXPECT_FALSE(log[0].args[1].byRef);
  EXPECT_EQ(log[0].args[1].value, "b\x0B" "c");
  EXPECT_EQ(log[0].args[2].name, "MatchCase");
  EXPECT_EQ(log[0].args[3].name, "ReplaceAll");
  EXPECT_EQ(log[0].args[3].value, "1");
  EXPECT_EQ(log[1].name, "StartOfDocument");
  EXPECT_FALSE(log[1].args[0].text);
}

// ---------------------------------------------------------------- toolbars, keys and macros

void ClearClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
}

// Puts a bitmap on the clipboard whose pixel (x, y) has the colour 0xRRGGBB
// given by `colour`; returns the image as the control channel writes it.
std::string PutBitmapOnClipboard(int width, int height, const std::function<uint32_t(int, int)>& colour) {
  std::vector<uint32_t> pixels;
  std::string text = std::to_string(width) + "x" + std::to_string(height) + ":";
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t c = colour(x, y) & 0xFFFFFF;
      pixels.push_back(c);
      char hex[8];
      std::snprintf(hex, sizeof hex, "%06X", static_cast<unsigned>(c));
      text += hex;
    }
  }
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  SetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  EXPECT_TRUE(SetClipboardData(CF_BITMAP, bitmap));
  CloseClipboard();
  return text;
}

uint32_t Pattern(int x, int y) { return static_cast<uint32_t>((x * 16 + 5) << 16 | (y * 17) << 8 | ((x ^ y) * 9)); }

void AddQuillcardButton(word::WordBasic& session, const std::string& toolbar, int position,
                        const std::string& macro = "Quillcard") {
  session.Send("AddButton", {WordArg::Held(toolbar), WordArg::Int(position), WordArg::Int(2),
                             WordArg::Literal(macro), WordArg::Int(21)});
}

void AssignKey(word::WordBasic& session, int code, const std::string& macro) {
  session.Send("ToolsCustomizeKeyboard", {WordArg::Named("KeyCode", code), WordArg::Named("Category", 2),
                                          WordArg::Named("Name", macro, false), WordArg::Named("Add", 1)});
}

// The colour on screen at a point of a window's client area.
uint32_t ScreenColour(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return static_cast<uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
}

TEST_F(StandinTest, APastedBitmapIsKeptWithItsButtonPixelForPixelAndDrawnOnIt) {
  AddQuillcardButton(*session, "Standard", 1);
  ClearClipboard();
  EXPECT_EQ(ErrorOf([&] { session->Send("PasteButtonImage", {WordArg::Held("Standard"), WordArg::Int(1)}); }),
            "Word reported an error on PasteButtonImage:\r\nCommand failed");

  std::string image = PutBitmapOnClipboard(16, 15, Pattern);
  session->Send("PasteButtonImage", {WordArg::Held("Standard"), WordArg::Int(1)});
  std::vector<StandinButton> buttons = standin->Toolbars();
  ASSERT_EQ(buttons.size(), 15u);
  EXPECT_EQ(buttons[0], (StandinButton{"Standard", 1, "Quillcard", image}));
  EXPECT_EQ(buttons[1], (StandinButton{"Standard", 2, "FileNew", ""}));
  EXPECT_EQ(buttons[14], (StandinButton{"Formatting", 6, "RightPara", ""}));

  // A picture pasted on another button stays with that one, at its own size.
  std::string small = PutBitmapOnClipboard(3, 2, [](int x, int y) { return x == y ? 0xFF0000u : 0x0000FFu; });
  EXPECT_EQ(small, "3x2:FF00000000FF0000FF0000FFFF00000000FF");
  session->Send("PasteButtonImage", {WordArg::Held("Formatting"), WordArg::Int(6)});
  EXPECT_EQ(standin->Toolbars()[14].image, small);
  EXPECT_EQ(standin->Toolbars()[0].image, image);

  // On screen the picture takes the place of the letters, centred in the
  // first button's box (6..28 across, 2..24 down).
  HWND window = standin->Window();
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_TRUE(PumpUntil([&] { return ScreenColour(window, 9 + 15, 5 + 14) == Pattern(15, 14); }));
  for (auto [x, y] : {std::pair{0, 0}, {7, 3}, {15, 0}, {0, 14}})
    EXPECT_EQ(ScreenColour(window, 9 + x, 5 + y), Pattern(x, y)) << x << "," << y;
}

TEST_F(StandinTest, WithoutToolbarsThereIsNothingToCountAddToOrClick) {
  for (int i = 0; i < 6; ++i) session->Send("DeleteButton", {WordArg::Held("Formatting"), WordArg::Int(1)});
  EXPECT_EQ(standin->Toolbars().back(), (StandinButton{"Formatting", 0, "", ""}));
  EXPECT_FALSE(standin->Click("Formatting", 1));

  ASSERT_TRUE(standin->RemoveToolbars());
  EXPECT_EQ(session->ReadInteger("CountToolbars"), 0);
  EXPECT_TRUE(standin->Toolbars().empty());
  EXPECT_EQ(ErrorOf([&] { AddQuillcardButton(*session, "Standard", 1); }),
            "Word reported an error on AddButton:\r\nThe toolbar \"Standard\" does not exist.");
  EXPECT_FALSE(standin->Click("Standard", 1));
  // A mouse click where the first button was finds nothing and runs nothing.
  SendMessageA(standin->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(17, 13));
  SendMessageA(standin->Window(), WM_LBUTTONUP, 0, MAKELPARAM(17, 13));
  EXPECT_TRUE(standin->MacroRuns().empty());
}

TEST_F(StandinTest, KeysAreListedInWordsOrderAndRemovedByCode) {
  AssignKey(*session, 849, "Quillcard");
  AssignKey(*session, 1105, "Other");
  AssignKey(*session, 593, "Third");
  session->Send("ToolsCustomizeKeyboard", {WordArg::Named("KeyCode", 1105), WordArg::Named("Remove", 1)});
  std::vector<StandinKey> keys = standin->Keys();
  EXPECT_EQ(keys, (std::vector<StandinKey>{{849, "Quillcard"}, {593, "Third"}}));
  EXPECT_EQ(session->ReadInteger("KeyCode", {WordArg::Int(2)}), 593);
  EXPECT_EQ(session->ReadText("KeyMacro$", {WordArg::Int(2)}), "Third");
}

// Word keeps toolbars and keys in Normal.dot; the stand-in in the file given with --normal.
class StandinNormalTest : public ::testing::Test {
 protected:
  std::string NormalArg() const { return "--normal \"" + normal + "\""; }
  TempDir folder;
  std::string normal = folder.File("Normal.txt");
};

TEST_F(StandinNormalTest, ButtonsImagesAndKeysOutliveARestart) {
  std::vector<StandinButton> before;
  {
    WordStandin standin(StandinBuild::Word8, NormalArg());
    ASSERT_TRUE(standin.Ready());
    auto session = word::ConnectWord(word::WordGeneration::Word8);
    EXPECT_FALSE(FileExists(normal));  // nothing is written until something changes
    AddQuillcardButton(*session, "Formatting", 2);
    PutBitmapOnClipboard(16, 15, Pattern);
    session->Send("PasteButtonImage", {WordArg::Held("Formatting"), WordArg::Int(2)});
    session->Send("DeleteButton", {WordArg::Held("Standard"), WordArg::Int(8)});
    AssignKey(*session, 849, "Quillcard");
    AssignKey(*session, 1105, "Back\\slash\\t");
    before = standin.Toolbars();
    ASSERT_EQ(before.size(), 14u);
    EXPECT_FALSE(before[8].image.empty());
    // Ended without a word of warning: everything must be on disk already.
    session.reset();
    TerminateProcess(standin.Process(), 1);
    WaitForSingleObject(standin.Process(), 10000);
  }
  {
    WordStandin standin(StandinBuild::Word8, NormalArg());
    ASSERT_TRUE(standin.Ready());
    EXPECT_EQ(standin.Toolbars(), before);
    EXPECT_EQ(standin.Keys(), (std::vector<StandinKey>{{849, "Quillcard"}, {1105, "Back\\slash\\t"}}));
    ASSERT_TRUE(standin.RemoveToolbars());
  }
  WordStandin standin(StandinBuild::Word8, NormalArg());
  ASSERT_TRUE(standin.Ready());
  EXPECT_TRUE(standin.Toolbars().empty());
  EXPECT_EQ(standin.Keys().size(), 2u);
}

TEST_F(StandinNormalTest, ADamagedFileGivesTheDefaults) {
  std::vector<StandinButton> defaults;
  std::string whole;
  {
    WordStandin standin(StandinBuild::Word8, NormalArg());
    ASSERT_TRUE(standin.Ready());
    defaults = standin.Toolbars();
    auto session = word::ConnectWord(word::WordGeneration::Word8);
    AddQuillcardButton(*session, "Standard", 1);
    PutBitmapOnClipboard(16, 15, Pattern);
    session->Send("PasteButtonImage", {WordArg::Held("Standard"), WordArg::Int(1)});
    AssignKey(*session, 849, "Quillcard");
  }
  whole = ReadFileBytes(normal);
  size_t image = whole.find("16x15:");
  ASSERT_NE(image, std::string::npos);
  const std::vector<std::string> damaged = {
      whole.substr(0, image + 100),                    // cut off inside the picture
      whole.substr(whole.find('\n') + 1),              // without its first line
      std::string("\0\0\0\xFF garbage", 12),           // not this kind of file at all
      whole + "button\tafter\t3x1:FFFFFF\n",            // a picture of the wrong size
      whole + "key\tabc\tQuillcard\n",                  // a key code that is no number
  };
  for (const std::string& bytes : damaged) {
    SCOPED_TRACE(bytes.substr(0, 40));
    WriteFileBytes(normal, bytes);
    WordStandin standin(StandinBuild::Word8, NormalArg());
    ASSERT_TRUE(standin.Ready());
    EXPECT_EQ(standin.Toolbars(), defaults);
    EXPECT_TRUE(standin.Keys().empty());
  }
}

// A Word of its own folder, whose startup folder holds the build's template
// as Quillcard installs it, with a probe program named quillcrd.exe beside
// Word: the template's macro starts whatever "quillcrd.exe" Word finds first.
class StandinMacroTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileA(StandinExe(StandinBuild::Word8).c_str(), wordDir.File("winword8.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((ProgramDirectory() + "standin_probe.exe").c_str(), wordDir.File("quillcrd.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((ProgramDirectory() + "qlc8.dot").c_str(), startupDir.File("qlc.dot").c_str(), FALSE));
    WriteFileBytes(startupDir.File("Letters.dot"), std::string("\xD0\xCF\x11\xE0 a real Word template", 25));
    WriteFileBytes(startupDir.File("notes.txt"), "; Word stand-in template\r\n[Macros]\r\nNotes=quillcrd.exe\r\n");
    standin = std::make_unique<WordStandin>(wordDir.File("winword8.exe"));
    ASSERT_TRUE(standin->Ready());
    session = word::ConnectWord(word::WordGeneration::Word8);
  }
  void TearDown() override {
    session.reset();
    standin.reset();
  }

  // The probe's runs so far: process id and the program's path, one per run.
  std::vector<std::pair<DWORD, std::string>> ProbeRuns() {
    std::vector<std::pair<DWORD, std::string>> runs;
    std::string text = ReadFileBytes(wordDir.File("probe-runs.txt"));
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      std::string line = text.substr(start, end - start);
      size_t tab = line.find('\t');
      runs.push_back({static_cast<DWORD>(std::stoul(line.substr(0, tab))),
                      line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1)});
    }
    return runs;
  }

  // Waits for the process a recorded run started to end; returns its id.
  DWORD WaitForStarted(const StandinMacroRun& run) {
    EXPECT_EQ(run.result.rfind("started ", 0), 0u) << run.result;
    DWORD pid = static_cast<DWORD>(std::strtoul(run.result.c_str() + 8, nullptr, 10));
    if (HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid)) {
      EXPECT_EQ(WaitForSingleObject(p, 10000), WAIT_OBJECT_0);
      CloseHandle(p);
    }
    return pid;
  }

  bool RunsReach(size_t n) {
    return PumpUntil([&] { return standin->MacroRuns().size() >= n; });
  }

  TempDir wordDir, startupDir;
  ScopedStartupFolder startup{StandinBuild::Word8, startupDir.Path()};
  std::unique_ptr<WordStandin> standin;
  std::unique_ptr<word::WordBasic> session;
};

TEST_F(StandinMacroTest, OnlyStandinTemplatesOfTheStartupFolderAreLoadedAndOnlyAtStart) {
  WriteFileBytes(startupDir.File("later.dot"), "; Word stand-in template\r\n[Macros]\r\nLater=quillcrd.exe\r\n");
  StandinTemplates templates = standin->Templates();
  EXPECT_EQ(templates.startup, startupDir.Path());
  EXPECT_EQ(templates.paths, std::vector<std::string>{startupDir.File("qlc.dot")});
  AddQuillcardButton(*session, "Standard", 1, "Later");
  ASSERT_TRUE(standin->Click("Standard", 1));
  EXPECT_EQ(standin->MacroRuns(), (std::vector<StandinMacroRun>{{"Later", "not found"}}));
}

TEST_F(StandinMacroTest, AButtonClickStartsTheTemplatesProgramFromWordsFolder) {
  AddQuillcardButton(*session, "Standard", 1, "quillCARD");
  AddQuillcardButton(*session, "Standard", 2, "NoSuchMacro");
  // Built-in commands and unknown macros start nothing.
  ASSERT_TRUE(standin->Click("Standard", 2));
  ASSERT_TRUE(standin->Click("Standard", 3));
  EXPECT_FALSE(standin->Click("Standard", 11));
  EXPECT_FALSE(standin->Click("Drawing", 1));
  EXPECT_EQ(standin->MacroRuns(),
            (std::vector<StandinMacroRun>{{"NoSuchMacro", "not found"}, {"FileNew", "not found"}}));

  // Pressed on one button, let go over another: no click.
  SendMessageA(standin->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(17, 13));
  SendMessageA(standin->Window(), WM_LBUTTONUP, 0, MAKELPARAM(41, 13));
  EXPECT_EQ(standin->MacroRuns().size(), 2u);
  // The mouse on the first button of the first row.
  PostMessageA(standin->Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(17, 13));
  PostMessageA(standin->Window(), WM_LBUTTONUP, 0, MAKELPARAM(17, 13));
  ASSERT_TRUE(RunsReach(3));
  StandinMacroRun run = standin->MacroRuns()[2];
  EXPECT_EQ(run.name, "quillCARD");
  DWORD pid = WaitForStarted(run);
  auto runs = ProbeRuns();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].first, pid);
  EXPECT_EQ(lstrcmpiA(runs[0].second.c_str(), wordDir.File("quillcrd.exe").c_str()), 0) << runs[0].second;
  EXPECT_FALSE(FileExists(ProgramDirectory() + "probe-runs.txt"));
}

TEST_F(StandinMacroTest, AssignedKeysRunTheirMacrosAndAreConsumed) {
  AssignKey(*session, 849, "QUILLCARD");   // Ctrl+Shift+Q
  AssignKey(*session, 1056, "NoSuchMacro");  // Alt+Space, which would open the system menu
  AssignKey(*session, 121, "Quillcard");     // F10, which would enter the menu
  AssignKey(*session, 123, "Last");          // F12
  ASSERT_TRUE(standin->Press(593));  // not assigned: nothing happens
  ASSERT_TRUE(standin->Press(849));
  ASSERT_EQ(standin->MacroRuns().size(), 1u);
  WaitForStarted(standin->MacroRuns()[0]);
  EXPECT_EQ(ProbeRuns().size(), 1u);

  // Real key strokes: Ctrl+Shift+Q, Ctrl+Q (not assigned), Alt+Space, F10,
  // and F12 to know that those have all been handled.
  HWND window = standin->Window();
  SetForegroundWindow(window);
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }));
  auto key = [](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
  };
  std::vector<INPUT> strokes = {
      key(VK_CONTROL, false), key(VK_SHIFT, false), key('Q', false),    key('Q', true),   key(VK_SHIFT, true),
      key('Q', false),        key('Q', true),       key(VK_CONTROL, true), key(VK_MENU, false), key(VK_SPACE, false),
      key(VK_SPACE, true),    key(VK_MENU, true),   key(VK_F10, false), key(VK_F10, true), key(VK_F12, false),
      key(VK_F12, true)};
  ASSERT_EQ(SendInput(static_cast<UINT>(strokes.size()), strokes.data(), sizeof(INPUT)), strokes.size());
  ASSERT_TRUE(RunsReach(5));
  std::vector<StandinMacroRun> runs = standin->MacroRuns();
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_EQ(runs[1].name, "QUILLCARD");
  EXPECT_EQ(runs[2], (StandinMacroRun{"NoSuchMacro", "not found"}));
  EXPECT_EQ(runs[3].name, "Quillcard");
  EXPECT_EQ(runs[4], (StandinMacroRun{"Last", "not found"}));
  WaitForStarted(runs[1]);
  WaitForStarted(runs[3]);
  EXPECT_EQ(ProbeRuns().size(), 3u);
  // The keys went to their macros, not to the window's menus.
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info));
  EXPECT_EQ(info.flags & (GUI_INMENUMODE | GUI_SYSTEMMENUMODE | GUI_POPUPMENUMODE), 0u);
}

TEST(StandinProcess, EndsWhenItsWindowIsClosedAndLetsGoOfItsRegistration) {
  WordStandin standin(StandinBuild::Word8);
  ASSERT_TRUE(standin.Ready());
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes\\Word.Basic\\CLSID", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  PostMessageA(standin.Window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(standin.Process(), 10000), WAIT_OBJECT_0);
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes\\Word.Basic\\CLSID", 0, KEY_READ, &key), ERROR_SUCCESS);
}

}  // namespace
}  // namespace qc::test
