// The Word stand-in over real COM, through Quillcard's own session: that it
// behaves as Word does where Quillcard depends on it, and that the session
// carries arguments, results and Word's errors across.
#include <gtest/gtest.h>

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

TEST_F(StandinTest, ReplaceAllFindsWithoutRegardToCaseUnlessAsked) {
  ASSERT_TRUE(standin->OpenText("<Name> and <NAME>, <name>.\r\nAgain: <nAmE>\r\n"));
  ReplaceAll("<Name>", "Ann");
  EXPECT_EQ(standin->Text(), "Ann and Ann, Ann.\rAgain: Ann\r");
  ASSERT_TRUE(standin->OpenText("<Name> and <NAME>\r\n"));
  ReplaceAll("<Name>", "Ann", 1);
  EXPECT_EQ(standin->Text(), "Ann and <NAME>\r");
  // Case folding covers the accented letters of the ANSI code page.
  ASSERT_TRUE(standin->OpenText("<\xC9T\xC9> <\xE9t\xE9>\r\n"));
  ReplaceAll("<\xE9t\xE9>", "x");
  EXPECT_EQ(standin->Text(), "x x\r");
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
  EXPECT_EQ(session->ReadText("ToolbarName", {WordArg::Int(2)}), "Formatting");
  EXPECT_EQ(session->ReadText("ToolbarName$", {WordArg::Int(1)}), "Standard");
  EXPECT_EQ(session->ReadInteger("CountToolbarButtons", {WordArg::Held("Standard")}), 8);
  session->Send("AddButton", {WordArg::Held("Standard"), WordArg::Int(1), WordArg::Int(2),
                              WordArg::Literal("Quillcard"), WordArg::Int(21)});
  EXPECT_EQ(session->ReadText("ToolbarButtonMacro", {WordArg::Held("standard"), WordArg::Int(1)}), "Quillcard");
  session->Send("ToolsCustomizeKeyboard", {WordArg::Named("KeyCode", 849), WordArg::Named("Category", 2),
                                           WordArg::Named("Name", "Quillcard", false), WordArg::Named("Add", 1)});
  EXPECT_EQ(session->ReadInteger("CountKeys"), 1);
  EXPECT_EQ(session->ReadInteger("KeyCode", {WordArg::Int(1)}), 849);
  EXPECT_EQ(session->ReadText("KeyMacro", {WordArg::Int(1)}), "Quillcard");
}

TEST_F(StandinTest, BadCallsFailWithWordsText) {
  EXPECT_EQ(ErrorOf([&] { session->Send("NoSuchCommand"); }), "Word does not know the command NoSuchCommand");
  EXPECT_EQ(ErrorOf([&] { session->Send("EditReplace", {WordArg::Named("Finder", "x")}); }),
            "Word does not know the argument Finder of EditReplace");
  EXPECT_EQ(ErrorOf([&] { session->Send("Insert"); }),
            "Word reported an error on Insert:\r\nWrong number of parameters");
  EXPECT_EQ(ErrorOf([&] { session->Send("Insert", {WordArg::Int(3)}); }),
            "Word reported an error on Insert:\r\nType mismatch");
  EXPECT_EQ(ErrorOf([&] { session->ReadText("ToolbarName", {WordArg::Int(9)}); }),
            "Word reported an error on ToolbarName:\r\nValue out of range");
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
