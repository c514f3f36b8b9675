// The import/export wizard opened from the main window: modal and centred
// over it, and the name lists refilled from the contacts when it closes.
#include <gtest/gtest.h>

#include "impexp/win32/impexp_form.h"
#include "main_fixture.h"

namespace qc::test {
namespace {

class ImportExportActionTest : public MainWindowFixture {
 protected:
  void TearDown() override {
    ui::Application::Get().onModalShown = nullptr;
    MainWindowFixture::TearDown();
  }
  static void Press(ui::Control& c) { SendMessageA(c.Handle(), BM_CLICK, 0, 0); }
};

TEST_F(ImportExportActionTest, AnImportReplacesTheListsOfNames) {
  StartWith({{{"Zed"}, 0}, {{"Adams"}, 0}, {{"Bob"}, 0}});
  WriteFileBytes(dir.File("in.txt"), "Name\r\nCyd\r\nbob\r\n");
  WriteFileBytes(dir.File("quillcrd.cfg"), "[General]\r\nFilename=" + dir.File("in.txt") +
                                                "\r\n[Import]\r\nFields=Full Name\r\nSeparator=,\r\nType=2\r\n");
  const TDatabase* before = main->ContactList.get();
  main->Pages.SelectTab(2);
  bool shown = false;
  ui::Application::Get().onModalShown = [&](ui::Form& f) {
    auto* w = dynamic_cast<TfmImpExp*>(&f);
    ASSERT_NE(w, nullptr);
    shown = true;
    EXPECT_FALSE(IsWindowEnabled(main->Handle()));
    RECT m = main->WindowRect(), d = w->WindowRect();
    EXPECT_EQ(d.left, m.left + ((m.right - m.left) - (d.right - d.left)) / 2);
    EXPECT_EQ(d.top, m.top + ((m.bottom - m.top) - (d.bottom - d.top)) / 2);
    Press(w->rgOperation.Item(0));
    for (int page : {kPageImportFormat, kPageImportFields, kPageImportType, kPageFinal, kPageProgress}) {
      Press(w->btNext);
      EXPECT_EQ(w->PageIndex(), page);
    }
    EXPECT_EQ(w->paProgress.Text(), kFinishedText);
    // The import is on disk before the wizard closes; the backup holds the book before it.
    EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")), DataFileWithNames({"Cyd", "bob"}));
    EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.BAK")), DataFileWithNames({"Zed", "Adams", "Bob"}));
    PostMessageA(w->btCancel.Handle(), BM_CLICK, 0, 0);
  };
  main->Configuration.btImportExport.Click();
  ASSERT_TRUE(shown);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_NE(main->ContactList.get(), before);
  EXPECT_EQ(Entries(main->Database.lbName), (std::vector<std::string>{"bob", "Cyd"}));
  EXPECT_EQ(main->Database.lbName.ItemIndex(), -1);
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), (std::vector<std::string>{"bob", "Cyd"}));
}

TEST_F(ImportExportActionTest, CancelLeavesContactsAndChoicesAsTheyWere) {
  StartWith({{{"Ann"}, 0}});
  main->Pages.SelectTab(2);
  ui::Application::Get().onModalShown = [&](ui::Form& f) {
    auto& w = dynamic_cast<TfmImpExp&>(f);
    w.edFile.SetText(dir.File("out.txt"));
    PostMessageA(w.btCancel.Handle(), BM_CLICK, 0, 0);
  };
  main->Configuration.btImportExport.Click();
  EXPECT_EQ(Entries(main->Database.lbName), std::vector<std::string>{"Ann"});
  EXPECT_FALSE(FileExists(dir.File("quillcrd.cfg")));
  EXPECT_FALSE(FileExists(dir.File("out.txt")));
}


// The import's own choices on the way: the encoding found, the header line
// taken, the trial run on the Final page, and the undo that puts back the
// list and the data file.
TEST_F(ImportExportActionTest, HeaderLineTrialRunAndUndo) {
  StartWith({{{"Ann"}, 0}});
  const std::string before = ReadFileBytes(dir.File("QUILLCRD.DAT"));
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("First Name\tLast Name\tJob Title\tWhatever\r\nRen\xE9\tRoy\tBoss\tZ\r\n"))
    utf16 += std::string{c, '\0'};
  utf16.replace(utf16.size() - 6, 2, "\x2D\x4E");  // "Z" becomes a character code page 1252 lacks
  WriteFileBytes(dir.File("in.txt"), utf16);
  WriteFileBytes(dir.File("quillcrd.cfg"), "[General]\r\nFilename=" + dir.File("in.txt") + "\r\n[Import]\r\nSeparator=#9\r\n");
  main->Pages.SelectTab(2);
  ui::Application::Get().onModalShown = [&](ui::Form& f) {
    auto& w = dynamic_cast<TfmImpExp&>(f);
    Press(w.rgOperation.Item(0));
    Press(w.btNext);
    EXPECT_EQ(w.laEncodingFound.Text(), "Read as UTF-16 (little-endian)");
    Press(w.btNext);
    ASSERT_TRUE(IsWindowVisible(w.btUseHeaders.Handle()));
    Press(w.btUseHeaders);
    EXPECT_EQ(Entries(w.lbImportSelFields),
              (std::vector<std::string>{"First Name", "Last Name", "Title", "(Skip column)"}));
    EXPECT_EQ(w.rgNameType.ItemIndex(), 1);
    Press(w.btNextRecord);
    EXPECT_EQ(Entries(w.lbImportExisting), (std::vector<std::string>{"Ren\xE9", "Roy", "Boss", "?"}));
    Press(w.btNext);
    EXPECT_TRUE(w.cbIgnoreHeaders.Checked());
    Press(w.btNext);
    const std::string trial = w.laTrialRun.Text();
    EXPECT_NE(trial.find("Add 1 contact."), std::string::npos) << trial;
    EXPECT_NE(trial.find("cannot hold in 1 contact."), std::string::npos) << trial;
    EXPECT_EQ(main->ContactList->Count(), 1);  // the trial changed nothing
    Press(w.btNext);
    EXPECT_EQ(main->ContactList->Count(), 2);
    EXPECT_EQ(main->ContactList->Items(1).Name(), "Roy, Ren\xE9");
    EXPECT_NE(ReadFileBytes(dir.File("QUILLCRD.DAT")), before);
    ASSERT_TRUE(IsWindowVisible(w.btUndoImport.Handle()));
    Press(w.btUndoImport);
    EXPECT_EQ(w.paProgress.Text(), kImportUndoneText);
    EXPECT_FALSE(IsWindowVisible(w.btUndoImport.Handle()));
    PostMessageA(w.btCancel.Handle(), BM_CLICK, 0, 0);
  };
  main->Configuration.btImportExport.Click();
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")), before);
  EXPECT_EQ(Entries(main->Database.lbName), std::vector<std::string>{"Ann"});
  EXPECT_FALSE(main->CanUndoImport());
  EXPECT_FALSE(IsWindowVisible(main->btUndoImport.Handle()));
}

}  // namespace
}  // namespace qc::test
