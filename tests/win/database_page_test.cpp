// The Database page driven through its real controls: modes, saving,
// deleting, the name list's keyboard and the tab keys.
#include <gtest/gtest.h>

#include "main_fixture.h"

namespace qc::test {
namespace {

class DatabasePageTest : public MainWindowFixture {
 protected:
  void ExpectButtons(bool newOn, bool editOn, bool deleteOn, bool insertOn) {
    EXPECT_EQ(main->Database.btNew.Enabled(), newOn);
    EXPECT_EQ(main->Database.btEdit.Enabled(), editOn);
    EXPECT_EQ(main->Database.btDelete.Enabled(), deleteOn);
    EXPECT_TRUE(main->Database.btCancel.Enabled());
    EXPECT_EQ(main->Database.btInsert.Enabled(), insertOn);
  }

  void ExpectPanelsLocked(bool locked) {
    EXPECT_EQ(main->Configuration.btImportExport.Enabled(), !locked);
    EXPECT_EQ(main->MailMerge.lbTotalNames.Enabled(), !locked);
    EXPECT_EQ(main->MailMerge.lbTotalFields.Enabled(), !locked);
  }

  static std::vector<ContactBytes> FourContacts() {
    return {{{"Smith", "Acme"}, 0}, {{"Adams", "Adams & Co", "Director"}, 2}, {{"Taylor"}, 0}, {{"Baker"}, 0}};
  }
};

// The contact book orders the name lists as a list sorting itself would.
TEST_F(DatabasePageTest, NameListsKeepTheOrderOfASortedList) {
  std::vector<std::string> names = {"O'Brien, Pat", "Obrien, Al", "de la Cruz", "De Vries", "Zo\xEB", "zebra",
                                    "\xC9mile",     "Eve",        "co-op",      "coop",     "Co op",  "10 Downing",
                                    "9 Elms",       "_under",     "\xC5ngstr\xF6m", "Smith, Jo", "Smith Jo", "Adams"};
  StartWith([&] {
    std::vector<ContactBytes> contacts;
    for (const std::string& n : names) contacts.push_back({{n}, 0});
    return contacts;
  }());
  ui::ComboBox oneByOne;
  oneByOne.Create(main->Handle(), 0, 0, 10, 10, true);
  for (const std::string& n : names) oneByOne.Add(n);
  EXPECT_EQ(Entries(main->Database.lbName), Entries(oneByOne));
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), Entries(oneByOne));

  // A new contact's name goes where the sorted list would put it.
  AddThroughWindow("aaron");
  oneByOne.Add("aaron");
  EXPECT_EQ(Entries(main->Database.lbName), Entries(oneByOne));
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), Entries(oneByOne));
  DestroyWindow(oneByOne.Handle());
}

TEST_F(DatabasePageTest, BrowseModeShowsOnlyTheNameList) {
  StartWith(FourContacts());
  EXPECT_EQ(main->Database.Mode, EditMode::Browse);
  EXPECT_TRUE(main->Database.lbName.Visible());
  EXPECT_FALSE(main->Database.edName.Visible());
  EXPECT_TRUE(main->Database.lbName.Enabled());
  EXPECT_TRUE(main->Database.lbName.Focused());
  EXPECT_EQ(main->Database.lbName.ItemIndex(), -1);
  EXPECT_FALSE(main->Database.edCompany.Enabled());
  EXPECT_FALSE(main->Database.edAddress1.Enabled());
  EXPECT_FALSE(main->Database.edAdd[0].Enabled());
  EXPECT_EQ(main->Database.btNew.Text(), "Ne&w Record");
  ExpectButtons(true, false, false, false);
  ExpectPanelsLocked(false);
  EXPECT_EQ(main->Status.PanelText(0), "Please select a Name or press 'New Record'");
  EXPECT_EQ(Entries(main->Database.lbName), (std::vector<std::string>{"Adams", "Baker", "Smith", "Taylor"}));
}

TEST_F(DatabasePageTest, ChoosingANameShowsTheContactAndLocksTheOtherPages) {
  StartWith(FourContacts());
  ChooseByMouse("Adams");
  EXPECT_EQ(main->Database.Mode, EditMode::ShowRecord);
  EXPECT_EQ(main->Database.CurrentName, "Adams");
  EXPECT_EQ(main->Database.CurrentIndex, 1);
  EXPECT_TRUE(main->Database.edName.Visible());
  EXPECT_FALSE(main->Database.lbName.Visible());
  EXPECT_EQ(main->Database.edName.Text(), "Adams");
  EXPECT_EQ(main->Database.edCompany.Text(), "Adams & Co");
  EXPECT_FALSE(main->Database.edCompany.Enabled());
  EXPECT_TRUE(main->Database.cbCompanyL.Checked());
  EXPECT_EQ(main->Database.btEdit.Text(), "&Edit Record");
  ExpectButtons(true, true, true, true);
  EXPECT_TRUE(main->Database.btInsert.Focused());
  ExpectPanelsLocked(true);
  EXPECT_EQ(main->Status.PanelText(0), "Select 'New', 'Edit', 'Delete' or 'Insert'");
  EXPECT_EQ(main->Database.meLetter.Lines(), (std::vector<std::string>{"Adams", "Adams & Co"}));

  // Cancel goes back to browsing with empty boxes.
  main->Database.btCancel.Click();
  EXPECT_EQ(main->Database.Mode, EditMode::Browse);
  EXPECT_EQ(main->Database.edCompany.Text(), "");
  EXPECT_EQ(main->Database.meLetter.Text(), "");
  ExpectPanelsLocked(false);
}

TEST_F(DatabasePageTest, NewRecordIsValidatedSavedAndListedEverywhere) {
  StartWith(FourContacts(), "[Default]\r\nOptions=18\r\nTreatment=Ms.\r\n");
  main->Database.btNew.Click();
  EXPECT_EQ(main->Database.Mode, EditMode::NewRecord);
  EXPECT_EQ(main->Database.btNew.Text(), "Ok");
  EXPECT_EQ(main->Database.edTreatment.Text(), "Ms.");
  EXPECT_TRUE(main->Database.cbCompanyL.Checked());
  EXPECT_TRUE(main->Database.cbCompanyF.Checked());
  EXPECT_TRUE(main->Database.edCompany.Enabled());
  ExpectButtons(true, false, false, false);
  ExpectPanelsLocked(true);
  EXPECT_EQ(main->Status.PanelText(0), "Please fill all fields and press 'Ok'");

  main->Database.btNew.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Name cannot be empty"});
  EXPECT_EQ(main->Database.Mode, EditMode::NewRecord);

  Recorded().Clear();
  main->Database.edName.SetText("ADAMS");
  main->Database.btNew.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Name cannot be duplicated"});
  EXPECT_EQ(main->Database.Mode, EditMode::NewRecord);

  Recorded().Clear();
  main->Database.edName.SetText(" Clark ");
  main->Database.edAdd[7].SetText("extra");
  main->Database.btNew.Click();
  EXPECT_TRUE(Recorded().messages.empty());
  EXPECT_EQ(main->Database.Mode, EditMode::Browse);
  ASSERT_EQ(main->ContactList->Count(), 5);
  const TRecord& added = main->ContactList->Items(4);
  EXPECT_EQ(added.Name(), " Clark ");
  EXPECT_EQ(added.Treatment(), "Ms.");
  EXPECT_EQ(added.User8(), "extra");
  EXPECT_EQ(added.Options, 18);
  EXPECT_GE(main->Database.lbName.IndexOf(" Clark "), 0);
  EXPECT_GE(main->MailMerge.lbTotalNames.IndexOf(" Clark "), 0);
}

TEST_F(DatabasePageTest, NewFromAShownContactKeepsItsBoxesButTakesTheDefaults) {
  StartWith(FourContacts(), "[Default]\r\nTreatment=Dr.\r\n");
  ChooseByMouse("Adams");
  main->Database.btNew.Click();
  EXPECT_EQ(main->Database.Mode, EditMode::NewRecord);
  EXPECT_EQ(main->Database.edName.Text(), "Adams");
  EXPECT_EQ(main->Database.edCompany.Text(), "Adams & Co");
  EXPECT_EQ(main->Database.edTreatment.Text(), "Dr.");
  EXPECT_FALSE(main->Database.cbCompanyL.Checked());
  main->Database.btNew.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Name cannot be duplicated"});
  main->Database.btCancel.Click();
  EXPECT_EQ(main->Database.Mode, EditMode::Browse);
  EXPECT_EQ(main->ContactList->Count(), 4);
}

TEST_F(DatabasePageTest, EditingChecksNamesAndKeepsTheContactsPlace) {
  StartWith(FourContacts());
  ChooseByMouse("Adams");
  main->Database.btEdit.Click();
  EXPECT_EQ(main->Database.Mode, EditMode::EditRecord);
  EXPECT_EQ(main->Database.btEdit.Text(), "Ok");
  EXPECT_TRUE(main->Database.edName.Focused());
  ExpectButtons(false, true, false, false);
  EXPECT_EQ(main->Status.PanelText(0), "Please edit the fields and press 'Ok'");

  // A change of case alone matches the old entry and is refused.
  main->Database.edName.SetText("ADAMS");
  main->Database.btEdit.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Name cannot be duplicated"});
  EXPECT_EQ(main->Database.Mode, EditMode::EditRecord);
  Recorded().Clear();
  main->Database.edName.SetText("");
  main->Database.btEdit.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Name cannot be empty"});

  // Cancel shows the stored contact again.
  Recorded().Clear();
  main->Database.edCompany.SetText("changed");
  main->Database.btCancel.Click();
  EXPECT_EQ(main->Database.Mode, EditMode::ShowRecord);
  EXPECT_EQ(main->Database.edName.Text(), "Adams");
  EXPECT_EQ(main->Database.edCompany.Text(), "Adams & Co");

  // Only the company: accepted, list unchanged.
  main->Database.btEdit.Click();
  main->Database.edCompany.SetText("Adams Ltd");
  main->Database.btEdit.Click();
  EXPECT_TRUE(Recorded().messages.empty());
  EXPECT_EQ(main->Database.Mode, EditMode::ShowRecord);
  EXPECT_EQ(main->ContactList->Items(1).Company(), "Adams Ltd");
  EXPECT_EQ(Entries(main->Database.lbName), (std::vector<std::string>{"Adams", "Baker", "Smith", "Taylor"}));

  // A rename moves the entry in both name lists; the record stays at index 1.
  main->Database.btEdit.Click();
  main->Database.edName.SetText("Young");
  main->Database.btEdit.Click();
  EXPECT_EQ(main->Database.CurrentName, "Young");
  EXPECT_EQ(main->Database.CurrentIndex, 1);
  EXPECT_EQ(main->ContactList->Items(1).Name(), "Young");
  EXPECT_EQ(Entries(main->Database.lbName), (std::vector<std::string>{"Baker", "Smith", "Taylor", "Young"}));
  EXPECT_EQ(Entries(main->MailMerge.lbTotalNames), (std::vector<std::string>{"Baker", "Smith", "Taylor", "Young"}));
}

TEST_F(DatabasePageTest, ConfirmedDeleteRemovesTheContactEverywhereAndCancelKeepsIt) {
  StartWith(FourContacts());
  ChooseByMouse("Smith");
  Recorded().answers.push_back(IDCANCEL);
  main->Database.btDelete.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Are you sure?"});
  EXPECT_EQ(main->Database.Mode, EditMode::ShowRecord);
  EXPECT_EQ(main->ContactList->Count(), 4);

  Recorded().Clear();
  main->Database.btDelete.Click();
  EXPECT_EQ(main->Database.Mode, EditMode::Browse);
  EXPECT_EQ(main->ContactList->Count(), 3);
  EXPECT_EQ(main->Database.lbName.IndexOf("Smith"), -1);
  EXPECT_EQ(main->MailMerge.lbTotalNames.IndexOf("Smith"), -1);
  EXPECT_EQ(main->Database.edName.Text(), "");
}

TEST_F(DatabasePageTest, NamesDifferingOnlyInCaseEachShowTheirOwnContact) {
  StartWith({{{"adams", "lower"}, 0}, {{"Adams", "upper"}, 0}});
  ChooseByMouse("Adams");
  EXPECT_EQ(main->Database.edCompany.Text(), "upper");
  EXPECT_EQ(main->Database.CurrentIndex, 1);
  main->Database.btCancel.Click();
  ChooseByMouse("adams");
  EXPECT_EQ(main->Database.edCompany.Text(), "lower");
  EXPECT_EQ(main->Database.CurrentIndex, 0);
}

TEST_F(DatabasePageTest, LetterSearchChoosesTheFirstEntryAtOrAfterTheLetter) {
  StartWith(FourContacts());
  auto typeLetter = [&](char c) {
    char ch = c;
    main->Database.lbNameKeyPress(ch);
    return main->Database.lbName.ItemIndex() < 0 ? std::string() : main->Database.lbName.Item(main->Database.lbName.ItemIndex());
  };
  EXPECT_EQ(typeLetter('s'), "Smith");
  main->Database.lbName.SetItemIndex(0);
  EXPECT_EQ(typeLetter('r'), "Smith");
  EXPECT_EQ(typeLetter('z'), "Smith");
  EXPECT_EQ(typeLetter('B'), "Baker");
  EXPECT_EQ(typeLetter('1'), "Baker");
}

TEST_F(DatabasePageTest, KeysHeldInTheListOnlyMoveTheChoiceAndEnterShowsTheContact) {
  StartWith(FourContacts());
  HWND list = main->Database.lbName.Handle();
  ASSERT_TRUE(main->Database.lbName.Focused());
  // A key going down (and not yet up) drops the list down and only moves the choice.
  PostMessageA(list, WM_KEYDOWN, VK_DOWN, 1);
  Pump();
  EXPECT_TRUE(main->Database.TypingStarted);
  EXPECT_EQ(main->Database.Mode, EditMode::Browse);
  EXPECT_GE(main->Database.lbName.ItemIndex(), 0);
  PostMessageA(list, WM_KEYUP, VK_DOWN, static_cast<LPARAM>(0xC0000001));
  Pump();
  EXPECT_FALSE(main->Database.KeyHeld);
  main->Database.lbName.ShowDropDown(false);
  Pump();

  std::string chosen = main->Database.lbName.Item(main->Database.lbName.ItemIndex());
  PressKey(list, VK_RETURN);
  EXPECT_EQ(main->Database.Mode, EditMode::ShowRecord);
  EXPECT_EQ(main->Database.CurrentName, chosen);
}

TEST_F(DatabasePageTest, EnterWithNoChoiceInTheListDoesNothing) {
  StartWith(FourContacts());
  PressKey(main->Database.lbName.Handle(), VK_RETURN);
  main->Database.lbName.ShowDropDown(false);
  Pump();
  EXPECT_EQ(main->Database.Mode, EditMode::Browse);
  EXPECT_FALSE(main->Closed);
}

TEST_F(DatabasePageTest, EnterInABoxClicksTheDefaultCancelButton) {
  StartWith(FourContacts());
  main->Database.btNew.Click();
  main->Database.edName.SetText("Someone");
  main->Database.edCompany.SetFocus();
  PressKey(main->Database.edCompany.Handle(), VK_RETURN);
  EXPECT_EQ(main->Database.Mode, EditMode::Browse);
  EXPECT_EQ(main->ContactList->Count(), 4);
}

TEST_F(DatabasePageTest, EnterInShowRecordClicksTheFocusedInsertButton) {
  StartWith(FourContacts());
  ChooseByMouse("Baker");
  ASSERT_TRUE(main->Database.btInsert.Focused());
  bool inserted = false;
  main->Database.btInsert.onClick = [&] { inserted = true; };
  PressKey(main->Database.btInsert.Handle(), VK_RETURN);
  EXPECT_TRUE(inserted);
  EXPECT_EQ(main->Database.Mode, EditMode::ShowRecord);
}

TEST_F(DatabasePageTest, PageKeysSwitchTheTabsExceptFromTheNameList) {
  StartWith(FourContacts());
  // In Browse the focus is in the name list: no switching.
  PressKey(main->Database.lbName.Handle(), VK_NEXT);
  main->Database.lbName.ShowDropDown(false);
  Pump();
  EXPECT_EQ(main->Database.Tabs.Index(), 0);

  main->Database.btNew.Click();
  main->Database.edCompany.SetFocus();
  PressKey(main->Database.edCompany.Handle(), VK_NEXT);
  EXPECT_EQ(main->Database.Tabs.Index(), 1);
  EXPECT_TRUE(main->Database.paAdditional.Visible());
  EXPECT_FALSE(main->Database.paLetter.Visible());
  PressKey(main->Database.edCompany.Handle(), VK_PRIOR);
  EXPECT_EQ(main->Database.Tabs.Index(), 0);
  EXPECT_TRUE(main->Database.paLetter.Visible());
  EXPECT_TRUE(main->Database.PaFax.Visible());
}

TEST_F(DatabasePageTest, ModesSetHintsAndTitleColours) {
  StartWith(FourContacts());
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT), black = RGB(0, 0, 0);
  EXPECT_EQ(main->Database.btNew.Hint(), "Create a new record on the database and enter Edit mode");
  EXPECT_EQ(main->Hints().HintOf(main->Database.lbName.Handle()), "Select the name from the list");
  EXPECT_EQ(main->Database.paGeneralName.TextColor(), black);
  EXPECT_EQ(main->Database.paLetterName.TextColor(), grey);
  EXPECT_EQ(main->Database.paAdditionalName.TextColor(), grey);

  main->Database.btNew.Click();
  EXPECT_EQ(main->Hints().HintOf(main->Database.btNew.Handle()), "Save changes and insert record");
  EXPECT_EQ(main->Database.paLetterName.TextColor(), black);
  EXPECT_EQ(main->Database.paFaxName.TextColor(), black);
  main->Database.btCancel.Click();

  ChooseByMouse("Smith");
  EXPECT_EQ(main->Database.paGeneralName.TextColor(), grey);
  main->Database.btEdit.Click();
  EXPECT_EQ(main->Hints().HintOf(main->Database.btEdit.Handle()), "Save changes made to the record");
  main->Database.btCancel.Click();
  EXPECT_EQ(main->Hints().HintOf(main->Database.btEdit.Handle()), "Edit current record");
}

// The locks follow the mode and the chosen merge lists alone, whichever
// button changed them: Clear All, outside the locked groups, unlocks nothing
// while a contact is being edited.
TEST_F(DatabasePageTest, PageLocksFollowTheModeAndTheChosenMergeLists) {
  StartWith(FourContacts());
  main->MailMerge.lbTotalNames.SetItemIndex(0);
  main->MailMerge.btAdd1NameClick();
  EXPECT_FALSE(main->Database.lbName.Enabled());
  EXPECT_FALSE(main->Database.btNew.Enabled());
  EXPECT_FALSE(main->Configuration.btAbout.Enabled());
  EXPECT_TRUE(main->MailMerge.lbTotalNames.Enabled());
  EXPECT_TRUE(main->Database.btCancel.Enabled());
  main->MailMerge.btClearMailMerge.Click();
  EXPECT_TRUE(main->Database.lbName.Enabled());
  EXPECT_TRUE(main->Database.btNew.Enabled());
  ExpectPanelsLocked(false);

  ChooseByMouse("Smith");
  main->Database.btEdit.Click();
  ASSERT_EQ(main->Database.Mode, EditMode::EditRecord);
  main->Pages.SelectTab(1);
  main->MailMerge.btClearMailMerge.Click();
  EXPECT_FALSE(main->Database.btNew.Enabled());
  ExpectPanelsLocked(true);
  main->Database.btCancel.Click();
  EXPECT_EQ(main->Database.Mode, EditMode::ShowRecord);
  EXPECT_TRUE(main->Database.btNew.Enabled());
  ExpectPanelsLocked(true);
}

TEST_F(DatabasePageTest, HintsFollowTheProgramWideSwitch) {
  StartWith(FourContacts(), "Hints=0\r\n");
  EXPECT_FALSE(ui::Application::Get().ShowHints());
  EXPECT_FALSE(main->Hints().Active());
  ui::Application::Get().SetShowHints(true);
  EXPECT_TRUE(main->Hints().Active());
}

}  // namespace
}  // namespace qc::test
