// The Mail Merge page: its buttons and where they stand, moving names and
// fields between the lists, the lock it puts on the other pages, and the
// document it builds in the Word stand-in.
#include <gtest/gtest.h>

#include "main_fixture.h"
#include "word_standin.h"

namespace qc::test {
namespace {

using Names = std::vector<std::string>;

class MailMergeTest : public MainWindowFixture {
 protected:
  void TearDown() override {
    MainWindowFixture::TearDown();
    word.reset();
  }

  void StartWithNames(const Names& names, const std::string& ini = "") {
    std::vector<ContactBytes> contacts;
    for (const std::string& n : names) contacts.push_back({{n}, 0});
    StartWith(contacts, ini);
    main->Pages.SelectTab(1);
    Pump();
  }

  static void Select(ui::ListBox& list, const std::string& text) {
    int i = list.IndexOf(text);
    ASSERT_GE(i, 0) << text;
    list.SetItemIndex(i);
  }
  static void Press(ui::Button& b) {
    SendMessageA(b.Handle(), BM_CLICK, 0, 0);
    Pump();
  }
  static void DoubleClick(ui::ListBox& list, int item) {
    RECT r;
    SendMessageA(list.Handle(), LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
    SendMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(list.Handle(), WM_LBUTTONUP, 0, at);
    SendMessageA(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageA(list.Handle(), WM_LBUTTONUP, 0, at);
    Pump();
  }

  // Locked by the mail merge: the name list, "New Record" and the Configuration page.
  void ExpectLocked(bool locked) {
    EXPECT_EQ(main->Database.lbName.Enabled(), !locked);
    EXPECT_EQ(main->Database.btNew.Enabled(), !locked);
    EXPECT_EQ(main->Configuration.btImportExport.Enabled(), !locked);
    EXPECT_EQ(main->Configuration.btWordInterface.Enabled(), !locked);
    EXPECT_EQ(main->Configuration.Panel3.TextColor(), locked ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0));
  }

  std::unique_ptr<WordStandin> word;
};

// Every visible child lies inside its parent and on no sibling.
void ExpectLaidOut(HWND parent) {
  RECT client;
  GetClientRect(parent, &client);
  std::vector<std::pair<HWND, RECT>> children;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    char text[64] = {};
    GetWindowTextA(c, text, sizeof text);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
        << "clipped: \"" << text << "\" " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    for (auto& [other, o] : children) {
      RECT overlap;
      char otherText[64] = {};
      GetWindowTextA(other, otherText, sizeof otherText);
      EXPECT_FALSE(IntersectRect(&overlap, &r, &o)) << "\"" << text << "\" overlaps \"" << otherText << "\"";
    }
    children.push_back({c, r});
  }
}

// The caption fits its control with room for a check box's box.
void ExpectCaptionFits(const ui::Control& c, int extra) {
  std::string caption = c.Text();
  std::erase(caption, '&');
  HDC dc = GetDC(c.Handle());
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c.Handle(), WM_GETFONT, 0, 0)));
  SIZE size;
  GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(c.Handle(), dc);
  RECT r = c.Bounds();
  EXPECT_LE(size.cx + extra, r.right - r.left) << caption;
}

TEST_F(MailMergeTest, ThePageIsLaidOutWithoutOverlapOrClipping) {
  StartWithNames({"Adams"});
  for (HWND h : {main->MailMerge.Handle(), main->MailMerge.Panel1.Handle(), main->MailMerge.Panel2.Handle()}) ExpectLaidOut(h);
  ExpectCaptionFits(main->MailMerge.btMailMerge, 8);
  ExpectCaptionFits(main->MailMerge.btClearMailMerge, 8);
  ExpectCaptionFits(main->MailMerge.cbUseTreatment, 20);
  EXPECT_EQ(main->MailMerge.btClearMailMerge.Text(), "Clear &All");
  EXPECT_EQ(main->MailMerge.btMailMerge.Text(), "&Create Mail Merge Document");
  EXPECT_EQ(main->MailMerge.cbUseTreatment.Text(), "Use Treatment");
  EXPECT_FALSE(main->MailMerge.cbUseTreatment.Checked());
  EXPECT_EQ(main->MailMerge.btAdd1Name.Hint(), "Add current record to list");
  EXPECT_EQ(main->MailMerge.btDelAllFields.Hint(), "Delete all fields from list");
  EXPECT_EQ(main->MailMerge.btFieldsUp.Hint(), "Move up");
  EXPECT_EQ(main->MailMerge.btNamesDn.Hint(), "Move Down");
  EXPECT_EQ(main->MailMerge.btMailMerge.Hint(), "Create a Word Mail Merge Document. Requires that Word is already running");
  EXPECT_EQ(main->MailMerge.cbUseTreatment.Hint(), "If checked the Name field will include the Treatment");
  EXPECT_EQ(main->Status.PanelText(0), "Select the records and fields to use");
}

TEST_F(MailMergeTest, NamesMoveOneByOneAndReturnToTheirSortedPlace) {
  StartWithNames({"Taylor", "Smith", "Baker", "Adams"});
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), (Names{"Adams", "Baker", "Smith", "Taylor"}));
  // Nothing chosen: nothing moves and nothing locks.
  main->MailMerge.lbTotalNames.SetItemIndex(-1);
  Press(main->MailMerge.btAdd1Name);
  EXPECT_EQ(main->MailMerge.lbSelNames.Count(), 0);
  ExpectLocked(false);

  Select(main->MailMerge.lbTotalNames, "Baker");
  Press(main->MailMerge.btAdd1Name);
  EXPECT_EQ(Entries(main->MailMerge.lbSelNames), (Names{"Baker"}));
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), (Names{"Adams", "Smith", "Taylor"}));
  EXPECT_EQ(main->MailMerge.lbTotalNames.ItemIndex(), 1);  // the same place: now Smith
  ExpectLocked(true);

  Select(main->MailMerge.lbTotalNames, "Taylor");
  Press(main->MailMerge.btAdd1Name);
  EXPECT_EQ(main->MailMerge.lbTotalNames.ItemIndex(), 1);  // the last one went: the new last
  Press(main->MailMerge.btAdd1Name);
  Press(main->MailMerge.btAdd1Name);
  EXPECT_EQ(Entries(main->MailMerge.lbSelNames), (Names{"Baker", "Taylor", "Smith", "Adams"}));
  EXPECT_EQ(main->MailMerge.lbTotalNames.ItemIndex(), -1);

  Select(main->MailMerge.lbSelNames, "Taylor");
  Press(main->MailMerge.btDel1Name);
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), (Names{"Taylor"}));
  Select(main->MailMerge.lbSelNames, "Baker");
  Press(main->MailMerge.btDel1Name);
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), (Names{"Baker", "Taylor"}));
  EXPECT_EQ(main->MailMerge.lbSelNames.ItemIndex(), 0);
  ExpectLocked(true);
  Press(main->MailMerge.btDelAllNames);
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), (Names{"Adams", "Baker", "Smith", "Taylor"}));
  ExpectLocked(false);
}

TEST_F(MailMergeTest, FieldsComeBackAtTheEndOfTheAvailableList) {
  StartWithNames({"Adams"}, "[User Fields]\r\nField0=Birthday\r\n");
  Names all = Entries(main->MailMerge.lbTotalFields);
  ASSERT_EQ(all.size(), 17u);
  EXPECT_EQ(all[9], "Birthday");
  Select(main->MailMerge.lbTotalFields, "Fax#");
  Press(main->MailMerge.btAdd1Field);
  Select(main->MailMerge.lbTotalFields, "Name");
  Press(main->MailMerge.btAdd1Field);
  EXPECT_EQ(Entries(main->MailMerge.lbSelFields), (Names{"Fax#", "Name"}));
  Select(main->MailMerge.lbSelFields, "Fax#");
  Press(main->MailMerge.btDel1Field);
  Names now = Entries(main->MailMerge.lbTotalFields);
  EXPECT_EQ(now.front(), "Company");
  EXPECT_EQ(now.back(), "Fax#");
  Press(main->MailMerge.btAddAllFields);
  EXPECT_EQ(main->MailMerge.lbSelFields.Count(), 17);
  EXPECT_EQ(main->MailMerge.lbTotalFields.Count(), 0);
  Press(main->MailMerge.btDelAllFields);
  EXPECT_EQ(Entries(main->MailMerge.lbTotalFields).front(), "Name");
  ExpectLocked(false);
}

TEST_F(MailMergeTest, TheLockHoldsWhileEitherChosenListHoldsAnything) {
  StartWithNames({"Adams", "Baker"});
  Press(main->MailMerge.btAddAllNames);
  Press(main->MailMerge.btAdd1Field);  // the first field is chosen by nothing: no move
  Select(main->MailMerge.lbTotalFields, "Phone#");
  Press(main->MailMerge.btAdd1Field);
  ExpectLocked(true);
  Press(main->MailMerge.btDelAllNames);
  ExpectLocked(true);  // a field is still chosen
  Select(main->MailMerge.lbSelFields, "Phone#");
  Press(main->MailMerge.btDel1Field);
  ExpectLocked(false);
  // An add-all on an empty list locks as well.
  Press(main->MailMerge.btAddAllNames);
  Press(main->MailMerge.btDelAllNames);
  ExpectLocked(false);
  Press(main->MailMerge.btAddAllNames);
  Press(main->MailMerge.btAddAllNames);
  ExpectLocked(true);
  Press(main->MailMerge.btClearMailMerge);
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), (Names{"Adams", "Baker"}));
  EXPECT_EQ(main->MailMerge.lbTotalFields.Count(), 17);
  ExpectLocked(false);
}

TEST_F(MailMergeTest, DoubleClicksMoveTheItemUnderTheMouse) {
  StartWithNames({"Adams", "Baker", "Smith"});
  DoubleClick(main->MailMerge.lbTotalNames, 1);
  EXPECT_EQ(Entries(main->MailMerge.lbSelNames), (Names{"Baker"}));
  DoubleClick(main->MailMerge.lbTotalFields, 2);
  EXPECT_EQ(Entries(main->MailMerge.lbSelFields), (Names{"Title"}));
  DoubleClick(main->MailMerge.lbSelFields, 0);
  EXPECT_EQ(Entries(main->MailMerge.lbTotalFields).back(), "Title");
  DoubleClick(main->MailMerge.lbSelNames, 0);
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), (Names{"Adams", "Baker", "Smith"}));
  ExpectLocked(false);
}

TEST_F(MailMergeTest, UpAndDownExchangeTheChosenItemWithItsNeighbour) {
  StartWithNames({"A", "B", "C"});
  Press(main->MailMerge.btAddAllNames);
  Select(main->MailMerge.lbSelNames, "B");
  Press(main->MailMerge.btNamesUp);
  EXPECT_EQ(Entries(main->MailMerge.lbSelNames), (Names{"B", "A", "C"}));
  EXPECT_EQ(main->MailMerge.lbSelNames.ItemIndex(), 0);
  Press(main->MailMerge.btNamesUp);
  EXPECT_EQ(Entries(main->MailMerge.lbSelNames), (Names{"B", "A", "C"}));
  Press(main->MailMerge.btNamesDn);
  Press(main->MailMerge.btNamesDn);
  EXPECT_EQ(Entries(main->MailMerge.lbSelNames), (Names{"A", "C", "B"}));
  EXPECT_EQ(main->MailMerge.lbSelNames.ItemIndex(), 2);
  Press(main->MailMerge.btNamesDn);
  EXPECT_EQ(Entries(main->MailMerge.lbSelNames), (Names{"A", "C", "B"}));

  Select(main->MailMerge.lbTotalFields, "Company");
  Press(main->MailMerge.btAdd1Field);
  Select(main->MailMerge.lbTotalFields, "Title");
  Press(main->MailMerge.btAdd1Field);
  Press(main->MailMerge.btFieldsUp);  // nothing chosen in the chosen list
  EXPECT_EQ(Entries(main->MailMerge.lbSelFields), (Names{"Company", "Title"}));
  Select(main->MailMerge.lbSelFields, "Title");
  Press(main->MailMerge.btFieldsUp);
  EXPECT_EQ(Entries(main->MailMerge.lbSelFields), (Names{"Title", "Company"}));
  Press(main->MailMerge.btFieldsDn);
  EXPECT_EQ(Entries(main->MailMerge.lbSelFields), (Names{"Company", "Title"}));
}

TEST_F(MailMergeTest, WithAnEmptyChosenListNothingIsAskedOfWord) {
  StartWithNames({"Adams"});
  Press(main->MailMerge.btAddAllNames);
  Press(main->MailMerge.btMailMerge);
  EXPECT_TRUE(Recorded().messages.empty());  // not even "Word is not running"
  ASSERT_NE(main->Handle(), nullptr);
}

TEST_F(MailMergeTest, TheDocumentHoldsTheChosenFieldsAndContactsAsATable) {
  word = std::make_unique<WordStandin>(StandinBuild::Word8);
  ASSERT_TRUE(word->Ready());
  StartWith({{{"Smith, John", "Acme", "", "Mr.", "", "", "", "111", "", "1 May"}, 0},
             {{"Adams", "", "", "Dr.", "", "", "", "", "", ""}, 0},
             {{"Baker", "B&B", "", "", "", "", "", "333"}, 0}},
            "[User Fields]\r\nField0=Birthday\r\n");
  main->Pages.SelectTab(1);
  for (const char* f : {"Fax#", "Name", "Treatment", "Birthday"}) {
    Select(main->MailMerge.lbTotalFields, f);
    Press(main->MailMerge.btAdd1Field);
  }
  for (const char* n : {"Smith, John", "Adams"}) {
    Select(main->MailMerge.lbTotalNames, n);
    Press(main->MailMerge.btAdd1Name);
  }
  main->MailMerge.cbUseTreatment.SetChecked(true);
  Press(main->MailMerge.btMailMerge);

  DocumentView doc = word->Document();
  EXPECT_TRUE(doc.paragraphs.empty());
  ASSERT_EQ(doc.tables.size(), 1u);
  EXPECT_EQ(doc.tables[0], (std::vector<Names>{{"Fax#", "Name", "Treatment", "Birthday"},
                                               {"111", "Mr. John Smith", "Mr.", "1 May"},
                                               {"", "Dr. Adams", "Dr.", ""}}));
  EXPECT_EQ(word->State()["documents"], "2");  // a new document beside the one open before
  EXPECT_EQ(main->Handle(), nullptr);          // and the program steps aside
  EXPECT_TRUE(Recorded().messages.empty());
}

TEST_F(MailMergeTest, ACommandFailingMidwayLeavesTheDocumentAsFarAsItGot) {
  word = std::make_unique<WordStandin>(StandinBuild::Word8);
  ASSERT_TRUE(word->Ready());
  StartWithNames({"Adams", "Baker"});
  Press(main->MailMerge.btAddAllNames);
  Select(main->MailMerge.lbTotalFields, "Name");
  Press(main->MailMerge.btAdd1Field);
  word->FailCall("InsertPara", 2);
  Press(main->MailMerge.btMailMerge);
  ASSERT_EQ(MessageTexts(), Names{"Word reported an error on InsertPara:\r\nCommand failed"});
  EXPECT_EQ(word->Text(), "Name\rAdams\r");
  ASSERT_NE(main->Handle(), nullptr);
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  ExpectLocked(true);
}

}  // namespace
}  // namespace qc::test
