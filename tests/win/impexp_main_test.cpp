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

}  // namespace
}  // namespace qc::test
