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
    EXPECT_EQ(main->lbName.Enabled(), !locked);
    EXPECT_EQ(main->btNew.Enabled(), !locked);
    EXPECT_EQ(main->btImportExport.Enabled(), !locked);
    EXPECT_EQ(main->btWordInterface.Enabled(), !locked);
    EXPECT_EQ(main->Panel3.TextColor(), locked ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0));
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
  for (HWND h : {main->MailMerge.Handle(), main->Panel1.Handle(), main->Panel2.Handle()}) ExpectLaidOut(h);
  ExpectCaptionFits(main->btMailMerge, 8);
  ExpectCaptionFits(main->btClearMailMerge, 8);
  ExpectCaptionFits(main->cbUseTreatment, 20);
  EXPECT_EQ(main->btClearMailMerge.Text(), "Clear &All");
  EXPECT_EQ(main->btMailMerge.Text(), "&Create Mail Merge Document");
  EXPECT_EQ(main->cbUseTreatment.Text(), "Use Treatment");
  EXPECT_FALSE(main->cbUseTreatment.Checked());
  EXPECT_EQ(main->btAdd1Name.Hint(), "Add current record to list");
  EXPECT_EQ(main->btDelAllFields.Hint(), "Delete all fields from list");
  EXPECT_EQ(main->btFieldsUp.Hint(), "Move up");
  EXPECT_EQ(main->btNamesDn.Hint(), "Move Down");
  EXPECT_EQ(main->btMailMerge.Hint(), "Create a Word Mail Merge Document. Requires that Word is already running");
  EXPECT_EQ(main->cbUseTreatment.Hint(), "If checked the Name field will include the Treatment");
  EXPECT_EQ(main->Status.PanelText(0), "Select the records and fields to use");
}

TEST_F(MailMergeTest, NamesMoveOneByOneAndReturnToTheirSortedPlace) {
  StartWithNames({"Taylor", "Smith", "Baker", "Adams"});
  EXPECT_EQ(Entries(main->lbTotalNames), (Names{"Adams", "Baker", "Smith", "Taylor"}));
  // Nothing chosen: nothing moves and nothing locks.
  main->lbTotalNames.SetItemIndex(-1);
  Press(main->btAdd1Name);
  EXPECT_EQ(main->lbSelNames.Count(), 0);
  ExpectLocked(false);

  Select(main->lbTotalNames, "Baker");
  Press(main->btAdd1Name);
  EXPECT_EQ(Entries(main->lbSelNames), (Names{"Baker"}));
  EXPECT_EQ(Entries(main->lbTotalNames), (Names{"Adams", "Smith", "Taylor"}));
  EXPECT_EQ(main->lbTotalNames.ItemIndex(), 1);  // the same place: now Smith
  ExpectLocked(true);

  Select(main->lbTotalNames, "Taylor");
  Press(main->btAdd1Name);
  EXPECT_EQ(main->lbTotalNames.ItemIndex(), 1);  // the last one went: the new last
  Press(main->btAdd1Name);
  Press(main->btAdd1Name);
  EXPECT_EQ(Entries(main->lbSelNames), (Names{"Baker", "Taylor", "Smith", "Adams"}));
  EXPECT_EQ(main->lbTotalNames.ItemIndex(), -1);

  Select(main->lbSelNames, "Taylor");
  Press(main->btDel1Name);
  EXPECT_EQ(Entries(main->lbTotalNames), (Names{"Taylor"}));
  Select(main->lbSelNames, "Baker");
  Press(main->btDel1Name);
  EXPECT_EQ(Entries(main->lbTotalNames), (Names{"Baker", "Taylor"}));
  EXPECT_EQ(main->lbSelNames.ItemIndex(), 0);
  ExpectLocked(true);
  Press(main->btDelAllNames);
  EXPECT_EQ(Entries(main->lbTotalNames), (Names{"Adams", "Baker", "Smith", "Taylor"}));
  ExpectLocked(false);
}

TEST_F(MailMergeTest, FieldsComeBackAtTheEndOfTheAvailableList) {
  StartWithNames({"Adams"}, "[User Fields]\r\nField0=Birthday\r\n");
  Names all = Entries(main->lbTotalFields);
  ASSERT_EQ(all.size(), 17u);
  EXPECT_EQ(all[9], "Birthday");
  Select(main->lbTotalFields, "Fax#");
  Press(main->btAdd1Field);
  Select(main->lbTotalFields, "Name");
  Press(main->btAdd1Field);
  EXPECT_EQ(Entries(main->lbSelFields), (Names{"Fax#", "Name"}));
  Select(main->lbSelFields, "Fax#");
  Press(main->btDel1Field);
  Names now = Entries(main->lbTotalFields);
  EXPECT_EQ(now.front(), "Company");
  EXPECT_EQ(now.back(), "Fax#");
  Press(main->btAddAllFields);
  EXPECT_EQ(main->lbSelFields.Count(), 17);
  EXPECT_EQ(main->lbTotalFields.Count(), 0);
  Press(main->btDelAllFields);
  EXPECT_EQ(Entries(main->lbTotalFields).front(), "Name");
  ExpectLocked(false);
}

TEST_F(MailMergeTest, TheLockHoldsWhileEitherChosenListHoldsAnything) {
  StartWithNames({"Adams", "Baker"});
  Press(main->btAddAllNames);
  Press(main->btAdd1Field);  // the first field is chosen by nothing: no move
  Select(main->lbTotalFields, "Phone#");
  Press(main->btAdd1Field);
  ExpectLocked(true);
  Press(main->btDelAllNames);
  ExpectLocked(true);  // a field is still chosen
  Select(main->lbSelFields, "Phone#");
  Press(main->btDel1Field);
  ExpectLocked(false);
  // An add-all on an empty list locks as well.
  Press(main->btAddAllNames);
  Press(main->btDelAllNames);
  ExpectLocked(false);
  Press(main->btAddAllNames);
  Press(main->btAddAllNames);
  ExpectLocked(true);
  Press(main->btClearMailMerge);
  EXPECT_EQ(Entries(main->lbTotalNames), (Names{"Adams", "Baker"}));
  EXPECT_EQ(main->lbTotalFields.Count(), 17);
  ExpectLocked(false);
}

TEST_F(MailMergeTest, DoubleClicksMoveTheItemUnderTheMouse) {
  StartWithNames({"Adams", "Baker", "Smith"});
  DoubleClick(main->lbTotalNames, 1);
  EXPECT_EQ(Entries(main->lbSelNames), (Names{"Baker"}));
  DoubleClick(main->lbTotalFields, 2);
  EXPECT_EQ(Entries(main->lbSelFields), (Names{"Title"}));
  DoubleClick(main->lbSelFields, 0);
  EXPECT_EQ(Entries(main->lbTotalFields).back(), "Title");
  DoubleClick(main->lbSelNames, 0);
  EXPECT_EQ(Entries(main->lbTotalNames), (Names{"Adams", "Baker", "Smith"}));
  ExpectLocked(false);
}

TEST_F(MailMergeTest, UpAndDownExchangeTheChosenItemWithItsNeighbour) {
  StartWithNames({"A", "B", "C"});
  Press(main->btAddAllNames);
  Select(main->lbSelNames, "B");
  Press(main->btNamesUp);
  EXPECT_EQ(Entries(main->lbSelNames), (Names{"B", "A", "C"}));
  EXPECT_EQ(main->lbSelNames.ItemIndex(), 0);
  Press(main->btNamesUp);
  EXPECT_EQ(Entries(main->lbSelNames), (Names{"B", "A", "C"}));
  Press(main->btNamesDn);
  Press(main->btNamesDn);
  EXPECT_EQ(Entries(main->lbSelNames), (Names{"A", "C", "B"}));
  EXPECT_EQ(main->lbSelNames.ItemIndex(), 2);
  Press(main->btNamesDn);
  EXPECT_EQ(Entries(main->lbSelNames), (Names{"A", "C", "B"}));

  Select(main->lbTotalFields, "Company");
  Press(main->btAdd1Field);
  Select(main->lbTotalFields, "Title");
  Press(main->btAdd1Field);
  Press(main->btFieldsUp);  // nothing chosen in the chosen list
  EXPECT_EQ(Entries(main->lbSelFields), (Names{"Company", "Title"}));
  Select(main->lbSelFields, "Title");
  Press(main->btFieldsUp);
  EXPECT_EQ(Entries(main->lbSelFields), (Names{"Title", "Company"}));
  Press(main->btFieldsDn);
  EXPECT_EQ(Entries(main->lbSelFields), (Names{"Company", "Title"}));
}

TEST_F(MailMergeTest, WithAnEmptyChosenListNothingIsAskedOfWord) {
  StartWithNames({"Adams"});
  Press(main->btAddAllNames);
  Press(main->btMailMerge);
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
    Select(main->lbTotalFields, f);
    Press(main->btAdd1Field);
  }
  for (const char* n : {"Smith, John", "Adams"}) {
    Select(main->lbTotalNames, n);
    Press(main->btAdd1Name);
  }
  main->cbUseTreatment.SetChecked(true);
  Press(main->btMailMerge);

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
  Press(main->btAddAllNames);
  Select(main->lbTotalFields, "Name");
  Press(main->btAdd1Field);
  word->FailCall("InsertPara", 2);
  Press(main->btMailMerge);
  ASSERT_EQ(MessageTexts(), Names{"Word reported an error on InsertPara:\r\nCommand failed"});
  EXPECT_EQ(word->Text(), "Name\rAdams\r");
  ASSERT_NE(main->Handle(), nullptr);
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  ExpectLocked(true);
}

}  // namespace
}  // namespace qc::test
