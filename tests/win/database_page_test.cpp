// The Database page driven through its real controls: modes, saving,
// deleting, the name list's keyboard and the tab keys.
#include <gtest/gtest.h>

#include "main_fixture.h"

namespace qc::test {
namespace {

class DatabasePageTest : public MainWindowFixture {
 protected:
  void ExpectButtons(bool newOn, bool editOn, bool deleteOn, bool insertOn) {
    EXPECT_EQ(main->btNew.Enabled(), newOn);
    EXPECT_EQ(main->btEdit.Enabled(), editOn);
    EXPECT_EQ(main->btDelete.Enabled(), deleteOn);
    EXPECT_TRUE(main->btCancel.Enabled());
    EXPECT_EQ(main->btInsert.Enabled(), insertOn);
  }

  void ExpectPanelsLocked(bool locked) {
    EXPECT_EQ(main->btImportExport.Enabled(), !locked);
    EXPECT_EQ(main->lbTotalNames.Enabled(), !locked);
    EXPECT_EQ(main->lbTotalFields.Enabled(), !locked);
  }

  static std::vector<ContactBytes> FourContacts() {
    return {{{"Smith", "Acme"}, 0}, {{"Adams", "Adams & Co", "Director"}, 2}, {{"Taylor"}, 0}, {{"Baker"}, 0}};
  }
};

// The name lists are filled all at once at start, each through its own
// messages: the Mail Merge list is a copy of the name list, 8-bit names too.
TEST_F(DatabasePageTest, NameListsFilledAtOnceHoldEveryName) {
  StartWith({{{"Zo\xEB"}, 0}, {{"\xC9mile"}, 0}, {{"adams"}, 0}, {{"Baker"}, 0}});
  std::vector<std::string> shown = Entries(main->lbName);
  EXPECT_EQ(shown, (std::vector<std::string>{"adams", "Baker", "\xC9mile", "Zo\xEB"}));
  EXPECT_EQ(Entries(main->lbTotalNames), shown);
}

TEST_F(DatabasePageTest, BrowseModeShowsOnlyTheNameList) {
  StartWith(FourContacts());
  EXPECT_EQ(main->Mode, EditMode::Browse);
  EXPECT_TRUE(main->lbName.Visible());
  EXPECT_FALSE(main->edName.Visible());
  EXPECT_TRUE(main->lbName.Enabled());
  EXPECT_TRUE(main->lbName.Focused());
  EXPECT_EQ(main->lbName.ItemIndex(), -1);
  EXPECT_FALSE(main->edCompany.Enabled());
  EXPECT_FALSE(main->edAddress1.Enabled());
  EXPECT_FALSE(main->edAdd[0].Enabled());
  EXPECT_EQ(main->btNew.Text(), "Ne&w Record");
  ExpectButtons(true, false, false, false);
  ExpectPanelsLocked(false);
  EXPECT_EQ(main->Status.PanelText(0), "Please select a Name or press 'New Record'");
  EXPECT_EQ(Entries(main->lbName), (std::vector<std::string>{"Adams", "Baker", "Smith", "Taylor"}));
}

TEST_F(DatabasePageTest, ChoosingANameShowsTheContactAndLocksTheOtherPages) {
  StartWith(FourContacts());
  ChooseByMouse("Adams");
  EXPECT_EQ(main->Mode, EditMode::ShowRecord);
  EXPECT_EQ(main->CurrentName, "Adams");
  EXPECT_EQ(main->CurrentIndex, 1);
  EXPECT_TRUE(main->edName.Visible());
  EXPECT_FALSE(main->lbName.Visible());
  EXPECT_EQ(main->edName.Text(), "Adams");
  EXPECT_EQ(main->edCompany.Text(), "Adams & Co");
  EXPECT_FALSE(main->edCompany.Enabled());
  EXPECT_TRUE(main->cbCompanyL.Checked());
  EXPECT_EQ(main->btEdit.Text(), "&Edit Record");
  ExpectButtons(true, true, true, true);
  EXPECT_TRUE(main->btInsert.Focused());
  ExpectPanelsLocked(true);
  EXPECT_EQ(main->Status.PanelText(0), "Select 'New', 'Edit', 'Delete' or 'Insert'");
  EXPECT_EQ(main->meLetter.Lines(), (std::vector<std::string>{"Adams", "Adams & Co"}));

  // Cancel goes back to browsing with empty boxes.
  main->btCancel.Click();
  EXPECT_EQ(main->Mode, EditMode::Browse);
  EXPECT_EQ(main->edCompany.Text(), "");
  EXPECT_EQ(main->meLetter.Text(), "");
  ExpectPanelsLocked(false);
}

TEST_F(DatabasePageTest, NewRecordIsValidatedSavedAndListedEverywhere) {
  StartWith(FourContacts(), "[Default]\r\nOptions=18\r\nTreatment=Ms.\r\n");
  main->btNew.Click();
  EXPECT_EQ(main->Mode, EditMode::NewRecord);
  EXPECT_EQ(main->btNew.Text(), "Ok");
  EXPECT_EQ(main->edTreatment.Text(), "Ms.");
  EXPECT_TRUE(main->cbCompanyL.Checked());
  EXPECT_TRUE(main->cbCompanyF.Checked());
  EXPECT_TRUE(main->edCompany.Enabled());
  ExpectButtons(true, false, false, false);
  ExpectPanelsLocked(true);
  EXPECT_EQ(main->Status.PanelText(0), "Please fill all fields and press 'Ok'");

  main->btNew.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Name cannot be empty"});
  EXPECT_EQ(main->Mode, EditMode::NewRecord);

  Recorded().Clear();
  main->edName.SetText("ADAMS");
  main->btNew.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Name cannot be duplicated"});
  EXPECT_EQ(main->Mode, EditMode::NewRecord);

  Recorded().Clear();
  main->edName.SetText(" Clark ");
  main->edAdd[7].SetText("extra");
  main->btNew.Click();
  EXPECT_TRUE(Recorded().messages.empty());
  EXPECT_EQ(main->Mode, EditMode::Browse);
  ASSERT_EQ(main->ContactList->Count(), 5);
  const TRecord& added = main->ContactList->Items(4);
  EXPECT_EQ(added.Name, " Clark ");
  EXPECT_EQ(added.Treatment, "Ms.");
  EXPECT_EQ(added.User8, "extra");
  EXPECT_EQ(added.Options, 18);
  EXPECT_GE(main->lbName.IndexOf(" Clark "), 0);
  EXPECT_GE(main->lbTotalNames.IndexOf(" Clark "), 0);
}

TEST_F(DatabasePageTest, NewFromAShownContactKeepsItsBoxesButTakesTheDefaults) {
  StartWith(FourContacts(), "[Default]\r\nTreatment=Dr.\r\n");
  ChooseByMouse("Adams");
  main->btNew.Click();
  EXPECT_EQ(main->Mode, EditMode::NewRecord);
  EXPECT_EQ(main->edName.Text(), "Adams");
  EXPECT_EQ(main->edCompany.Text(), "Adams & Co");
  EXPECT_EQ(main->edTreatment.Text(), "Dr.");
  EXPECT_FALSE(main->cbCompanyL.Checked());
  main->btNew.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Name cannot be duplicated"});
  main->btCancel.Click();
  EXPECT_EQ(main->Mode, EditMode::Browse);
  EXPECT_EQ(main->ContactList->Count(), 4);
}

TEST_F(DatabasePageTest, EditingChecksNamesAndKeepsTheContactsPlace) {
  StartWith(FourContacts());
  ChooseByMouse("Adams");
  main->btEdit.Click();
  EXPECT_EQ(main->Mode, EditMode::EditRecord);
  EXPECT_EQ(main->btEdit.Text(), "Ok");
  EXPECT_TRUE(main->edName.Focused());
  ExpectButtons(false, true, false, false);
  EXPECT_EQ(main->Status.PanelText(0), "Please edit the fields and press 'Ok'");

  // A change of case alone matches the old entry and is refused.
  main->edName.SetText("ADAMS");
  main->btEdit.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Name cannot be duplicated"});
  EXPECT_EQ(main->Mode, EditMode::EditRecord);
  Recorded().Clear();
  main->edName.SetText("");
  main->btEdit.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Name cannot be empty"});

  // Cancel shows the stored contact again.
  Recorded().Clear();
  main->edCompany.SetText("changed");
  main->btCancel.Click();
  EXPECT_EQ(main->Mode, EditMode::ShowRecord);
  EXPECT_EQ(main->edName.Text(), "Adams");
  EXPECT_EQ(main->edCompany.Text(), "Adams & Co");

  // Only the company: accepted, list unchanged.
  main->btEdit.Click();
  main->edCompany.SetText("Adams Ltd");
  main->btEdit.Click();
  EXPECT_TRUE(Recorded().messages.empty());
  EXPECT_EQ(main->Mode, EditMode::ShowRecord);
  EXPECT_EQ(main->ContactList->Items(1).Company, "Adams Ltd");
  EXPECT_EQ(Entries(main->lbName), (std::vector<std::string>{"Adams", "Baker", "Smith", "Taylor"}));

  // A rename moves the entry in both name lists; the record stays at index 1.
  main->btEdit.Click();
  main->edName.SetText("Young");
  main->btEdit.Click();
  EXPECT_EQ(main->CurrentName, "Young");
  EXPECT_EQ(main->CurrentIndex, 1);
  EXPECT_EQ(main->ContactList->Items(1).Name, "Young");
  EXPECT_EQ(Entries(main->lbName), (std::vector<std::string>{"Baker", "Smith", "Taylor", "Young"}));
  EXPECT_EQ(Entries(main->lbTotalNames), (std::vector<std::string>{"Baker", "Smith", "Taylor", "Young"}));
}

TEST_F(DatabasePageTest, ConfirmedDeleteRemovesTheContactEverywhereAndCancelKeepsIt) {
  StartWith(FourContacts());
  ChooseByMouse("Smith");
  Recorded().answers.push_back(IDCANCEL);
  main->btDelete.Click();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Are you sure?"});
  EXPECT_EQ(main->Mode, EditMode::ShowRecord);
  EXPECT_EQ(main->ContactList->Count(), 4);

  Recorded().Clear();
  main->btDelete.Click();
  EXPECT_EQ(main->Mode, EditMode::Browse);
  EXPECT_EQ(main->ContactList->Count(), 3);
  EXPECT_EQ(main->lbName.IndexOf("Smith"), -1);
  EXPECT_EQ(main->lbTotalNames.IndexOf("Smith"), -1);
  EXPECT_EQ(main->edName.Text(), "");
}

TEST_F(DatabasePageTest, NamesDifferingOnlyInCaseEachShowTheirOwnContact) {
  StartWith({{{"adams", "lower"}, 0}, {{"Adams", "upper"}, 0}});
  ChooseByMouse("Adams");
  EXPECT_EQ(main->edCompany.Text(), "upper");
  EXPECT_EQ(main->CurrentIndex, 1);
  main->btCancel.Click();
  ChooseByMouse("adams");
  EXPECT_EQ(main->edCompany.Text(), "lower");
  EXPECT_EQ(main->CurrentIndex, 0);
}

TEST_F(DatabasePageTest, LetterSearchChoosesTheFirstEntryAtOrAfterTheLetter) {
  StartWith(FourContacts());
  auto typeLetter = [&](char c) {
    char ch = c;
    main->lbNameKeyPress(ch);
    return main->lbName.ItemIndex() < 0 ? std::string() : main->lbName.Item(main->lbName.ItemIndex());
  };
  EXPECT_EQ(typeLetter('s'), "Smith");
  main->lbName.SetItemIndex(0);
  EXPECT_EQ(typeLetter('r'), "Smith");
  EXPECT_EQ(typeLetter('z'), "Smith");
  EXPECT_EQ(typeLetter('B'), "Baker");
  EXPECT_EQ(typeLetter('1'), "Baker");
}

TEST_F(DatabasePageTest, KeysHeldInTheListOnlyMoveTheChoiceAndEnterShowsTheContact) {
  StartWith(FourContacts());
  HWND list = main->lbName.Handle();
  ASSERT_TRUE(main->lbName.Focused());
  // A key going down (and not yet up) drops the list down and only moves the choice.
  PostMessageA(list, WM_KEYDOWN, VK_DOWN, 1);
  Pump();
  EXPECT_TRUE(main->TypingStarted);
  EXPECT_EQ(main->Mode, EditMode::Browse);
  EXPECT_GE(main->lbName.ItemIndex(), 0);
  PostMessageA(list, WM_KEYUP, VK_DOWN, static_cast<LPARAM>(0xC0000001));
  Pump();
  EXPECT_FALSE(main->KeyHeld);
  main->lbName.ShowDropDown(false);
  Pump();

  std::string chosen = main->lbName.Item(main->lbName.ItemIndex());
  PressKey(list, VK_RETURN);
  EXPECT_EQ(main->Mode, EditMode::ShowRecord);
  EXPECT_EQ(main->CurrentName, chosen);
}

TEST_F(DatabasePageTest, EnterWithNoChoiceInTheListDoesNothing) {
  StartWith(FourContacts());
  PressKey(main->lbName.Handle(), VK_RETURN);
  main->lbName.ShowDropDown(false);
  Pump();
  EXPECT_EQ(main->Mode, EditMode::Browse);
  EXPECT_FALSE(main->Closed);
}

TEST_F(DatabasePageTest, EnterInABoxClicksTheDefaultCancelButton) {
  StartWith(FourContacts());
  main->btNew.Click();
  main->edName.SetText("Someone");
  main->edCompany.SetFocus();
  PressKey(main->edCompany.Handle(), VK_RETURN);
  EXPECT_EQ(main->Mode, EditMode::Browse);
  EXPECT_EQ(main->ContactList->Count(), 4);
}

TEST_F(DatabasePageTest, EnterInShowRecordClicksTheFocusedInsertButton) {
  StartWith(FourContacts());
  ChooseByMouse("Baker");
  ASSERT_TRUE(main->btInsert.Focused());
  bool inserted = false;
  main->btInsert.onClick = [&] { inserted = true; };
  PressKey(main->btInsert.Handle(), VK_RETURN);
  EXPECT_TRUE(inserted);
  EXPECT_EQ(main->Mode, EditMode::ShowRecord);
}

TEST_F(DatabasePageTest, PageKeysSwitchTheTabsExceptFromTheNameList) {
  StartWith(FourContacts());
  // In Browse the focus is in the name list: no switching.
  PressKey(main->lbName.Handle(), VK_NEXT);
  main->lbName.ShowDropDown(false);
  Pump();
  EXPECT_EQ(main->Tabs.Index(), 0);

  main->btNew.Click();
  main->edCompany.SetFocus();
  PressKey(main->edCompany.Handle(), VK_NEXT);
  EXPECT_EQ(main->Tabs.Index(), 1);
  EXPECT_TRUE(main->paAdditional.Visible());
  EXPECT_FALSE(main->paLetter.Visible());
  PressKey(main->edCompany.Handle(), VK_PRIOR);
  EXPECT_EQ(main->Tabs.Index(), 0);
  EXPECT_TRUE(main->paLetter.Visible());
  EXPECT_TRUE(main->PaFax.Visible());
}

TEST_F(DatabasePageTest, ModesSetHintsAndTitleColours) {
  StartWith(FourContacts());
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT), black = RGB(0, 0, 0);
  EXPECT_EQ(main->btNew.Hint(), "Create a new record on the database and enter Edit mode");
  EXPECT_EQ(main->Hints().HintOf(main->lbName.Handle()), "Select the name from the list");
  EXPECT_EQ(main->paGeneralName.TextColor(), black);
  EXPECT_EQ(main->paLetterName.TextColor(), grey);
  EXPECT_EQ(main->paAdditionalName.TextColor(), grey);

  main->btNew.Click();
  EXPECT_EQ(main->Hints().HintOf(main->btNew.Handle()), "Save changes and insert record");
  EXPECT_EQ(main->paLetterName.TextColor(), black);
  EXPECT_EQ(main->paFaxName.TextColor(), black);
  main->btCancel.Click();

  ChooseByMouse("Smith");
  EXPECT_EQ(main->paGeneralName.TextColor(), grey);
  main->btEdit.Click();
  EXPECT_EQ(main->Hints().HintOf(main->btEdit.Handle()), "Save changes made to the record");
  main->btCancel.Click();
  EXPECT_EQ(main->Hints().HintOf(main->btEdit.Handle()), "Edit current record");
}

// The locks follow the mode and the chosen merge lists alone, whichever
// button changed them: Clear All, outside the locked groups, unlocks nothing
// while a contact is being edited.
TEST_F(DatabasePageTest, PageLocksFollowTheModeAndTheChosenMergeLists) {
  StartWith(FourContacts());
  main->lbTotalNames.SetItemIndex(0);
  main->btAdd1NameClick();
  EXPECT_FALSE(main->lbName.Enabled());
  EXPECT_FALSE(main->btNew.Enabled());
  EXPECT_FALSE(main->btAbout.Enabled());
  EXPECT_TRUE(main->lbTotalNames.Enabled());
  EXPECT_TRUE(main->btCancel.Enabled());
  main->btClearMailMerge.Click();
  EXPECT_TRUE(main->lbName.Enabled());
  EXPECT_TRUE(main->btNew.Enabled());
  ExpectPanelsLocked(false);

  ChooseByMouse("Smith");
  main->btEdit.Click();
  ASSERT_EQ(main->Mode, EditMode::EditRecord);
  main->Pages.SelectTab(1);
  main->btClearMailMerge.Click();
  EXPECT_FALSE(main->btNew.Enabled());
  ExpectPanelsLocked(true);
  main->btCancel.Click();
  EXPECT_EQ(main->Mode, EditMode::ShowRecord);
  EXPECT_TRUE(main->btNew.Enabled());
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
