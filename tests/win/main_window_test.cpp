// The main window's frame under Wine: start, close, files, pages, tray.
#include <gtest/gtest.h>

#include "main_fixture.h"

namespace qc::test {
namespace {

std::vector<std::string> IniKeysInOrder(const std::string& text) {
  std::vector<std::string> keys;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') keys.push_back(line);
    else if (auto eq = line.find('='); eq != std::string::npos) keys.push_back(line.substr(0, eq));
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return keys;
}

class MainWindowTest : public MainWindowFixture {
 protected:
  std::vector<std::string> NameListEntries() { return Entries(main->Database.lbName); }
};

TEST_F(MainWindowTest, FrameHasTheDesignedCaptionSizePagesAndStatusPanels) {
  Start();
  EXPECT_EQ(main->Caption(), "Quillcard - 3.1");
  RECT client;
  GetClientRect(main->Handle(), &client);
  EXPECT_EQ(client.right, 496);
  EXPECT_EQ(client.bottom, 426);
  LONG style = GetWindowLongA(main->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

  ASSERT_EQ(main->Pages.Count(), 3);
  EXPECT_EQ(main->Pages.TabCaption(0), "Database");
  EXPECT_EQ(main->Pages.TabCaption(1), "Mail Merge");
  EXPECT_EQ(main->Pages.TabCaption(2), "Configuration");
  RECT tab;
  SendMessageA(main->Pages.Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
  EXPECT_EQ(tab.right - tab.left, 164);

  int edges[4] = {};
  ASSERT_EQ(SendMessageA(main->Status.Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], 250);
  EXPECT_EQ(edges[1], 550);

  EXPECT_EQ(main->Configuration.Label3d1.Text(), "Quillcard 3.1");
  EXPECT_EQ(main->Configuration.Label3d2.Text(), "for Microsoft Word for Windows");
  EXPECT_EQ(main->Pages.Index(), 0);
  EXPECT_EQ(main->HelpContext, 1000);
  EXPECT_EQ(main->Database.Mode, EditMode::Browse);
}

TEST_F(MainWindowTest, FirstStartWithoutFilesCreatesTheDataFileAndClosesWithDefaults) {
  Start();
  EXPECT_TRUE(FileExists(dir.File("QUILLCRD.DAT")));
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")).size(), 0u);
  EXPECT_EQ(Recorded().helpTopics, std::vector<int>{500});
  EXPECT_TRUE(Recorded().messages.empty());

  ASSERT_TRUE(CloseMain());
  std::string data = ReadFileBytes(dir.File("QUILLCRD.DAT"));
  EXPECT_EQ(data, Le32(300) + Le32(0) + std::string(32, '\0'));
  std::vector<std::string> expected = {
      "[Options]", "FirstTime", "Hints", "Tray Application",
      "[Default]", "Options", "Treatment", "ImportOptions", "FormatOptions", "AddHeaders", "IncludeOptions",
      "[User Fields]", "Field0", "Field1", "Field2", "Field3", "Field4", "Field5", "Field6", "Field7"};
  EXPECT_EQ(IniKeysInOrder(ReadFileBytes(dir.File("QUILLCRD.INI"))), expected);

  // After one normal close the first-start help no longer opens.
  Recorded().Clear();
  main.reset();
  Start();
  EXPECT_TRUE(Recorded().helpTopics.empty());
}

TEST_F(MainWindowTest, NameListIsSortedWhileTheContactsKeepFileOrder) {
  WriteFileBytes(dir.File("QUILLCRD.DAT"), DataFileWithNames({"zeta", "Alpha", "mike"}));
  Start();
  EXPECT_EQ(NameListEntries(), (std::vector<std::string>{"Alpha", "mike", "zeta"}));
  ASSERT_EQ(main->ContactList->Count(), 3);
  EXPECT_EQ(main->ContactList->Items(0).Name(), "zeta");
  EXPECT_EQ(main->MailMerge.lbTotalNames.Count(), 3);
  ASSERT_TRUE(CloseMain());
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")), DataFileWithNames({"zeta", "Alpha", "mike"}));
}

TEST_F(MainWindowTest, PageChangesSetTheStatusTextAndHelpContext) {
  Start();
  EXPECT_EQ(main->Status.PanelText(0), "Please select a Name or press 'New Record'");
  main->Pages.SelectTab(1);
  EXPECT_EQ(main->Status.PanelText(0), "Select the records and fields to use");
  EXPECT_EQ(main->HelpContext, 2000);
  EXPECT_TRUE(main->MailMerge.Visible());
  EXPECT_FALSE(main->Database.Visible());
  main->Pages.SelectTab(2);
  EXPECT_EQ(main->Status.PanelText(0), "");
  EXPECT_EQ(main->HelpContext, 3000);
  main->Pages.SelectTab(0);
  EXPECT_EQ(main->Status.PanelText(0), "Please select a Name or press 'New Record'");
  EXPECT_EQ(main->HelpContext, 1000);

  // F1 opens the topic of the page in view.
  Recorded().Clear();
  main->Pages.SelectTab(1);
  SendMessageA(main->Handle(), WM_HELP, 0, 0);
  EXPECT_EQ(Recorded().helpTopics, std::vector<int>{2000});
}

TEST_F(MainWindowTest, ConfigurationButtonsShowTheirStatusTextWhileTheMouseIsOver) {
  Start();
  main->Pages.SelectTab(2);
  struct {
    ui::Button& button;
    const char* caption;
    const char* status;
  } cases[] = {
      {main->Configuration.btWordInterface, "Word Interface Configuration", "Configure how is invoked Quillcard"},
      {main->Configuration.btAdditionalFields, "Additional Fields Definition", "Configure the name of the Additional Fields"},
      {main->Configuration.btDefaults, "Default values Configuration", "Configure the initial values of Fields"},
      {main->Configuration.btImportExport, "Import / Export Database", "Import or Export you addresses database"},
      {main->Configuration.btAbout, "About Quillcard", "View the about dialog box"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(c.button.Text(), c.caption);
    SendMessageA(c.button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(main->Status.PanelText(0), c.status);
    SendMessageA(c.button.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(main->Status.PanelText(0), "");
  }
}

TEST_F(MainWindowTest, TrayModeHidesAfterSteppingAsideAndTheIconOrWakeMessageRestores) {
  WriteFileBytes(dir.File("QUILLCRD.INI"), "[Options]\r\nFirstTime=0\r\nTray Application=1\r\n");
  Start();
  EXPECT_TRUE(main->Tray.Visible());
  main->StepAside();
  EXPECT_TRUE(main->HiddenInTray);
  EXPECT_FALSE(IsWindowVisible(main->Handle()));

  // A left click on the icon (on release) restores.
  SendMessageA(main->Handle(), ui::TrayIcon::kCallbackMessage, 1, WM_LBUTTONUP);
  EXPECT_FALSE(main->HiddenInTray);
  EXPECT_TRUE(IsWindowVisible(main->Handle()));

  // So does the wake message of a second start, through the message loop.
  main->StepAside();
  ASSERT_FALSE(IsWindowVisible(main->Handle()));
  PostMessageA(main->Handle(), main->WakeMessage, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main->Handle()) != FALSE; }));
  EXPECT_FALSE(main->HiddenInTray);
}

TEST_F(MainWindowTest, CancelWithTheFocusOffTheNameListEndsTheProgramOutsideTrayMode) {
  WriteFileBytes(dir.File("QUILLCRD.INI"), "[Options]\r\nFirstTime=0\r\n");
  Start();
  EXPECT_FALSE(main->Tray.Visible());
  main->Database.btNew.SetFocus();
  main->Database.btCancelClick();
  Pump();
  EXPECT_TRUE(main->Closed);
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")).size(), 40u);
}

TEST_F(MainWindowTest, UnreadableDataFileAtStartIsReportedAndNeverSavedOver) {
  std::string original = DataFileWithNames({"Ann", "Bob"});
  WriteFileBytes(dir.File("QUILLCRD.DAT"), original);
  HANDLE lock = CreateFileA(dir.File("QUILLCRD.DAT").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Start();
  CloseHandle(lock);
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_NE(Recorded().messages[0].text.find("QUILLCRD.DAT"), std::string::npos);
  EXPECT_EQ(main->ContactList->Count(), 0);
  EXPECT_TRUE(CloseMain());
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")), original);

  // Contacts added in such a run are not dropped at close without the user's word.
  main.reset();
  lock = CreateFileA(dir.File("QUILLCRD.DAT").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Start();
  CloseHandle(lock);
  AddThroughWindow("Cy");
  Recorded().Clear();
  EXPECT_FALSE(CloseMain());  // the question's cancel
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_NE(Recorded().messages[0].text.find("The contact now in Quillcard will be lost"), std::string::npos)
      << Recorded().messages[0].text;
  EXPECT_EQ(Recorded().messages[0].buttons,
            (std::vector<std::string>{"&Save to Another File...", "&Don't Save", "Cancel"}));
  Recorded().answers = {IDYES};
  Recorded().saveAsAnswers = {dir.File("rescued.dat")};
  EXPECT_TRUE(CloseMain());
  EXPECT_EQ(NamesOnDisk("rescued.dat"), std::vector<std::string>{"Cy"});
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")), original);
}

TEST_F(MainWindowTest, AnOldLayoutFileIsConvertedWithItsMessage) {
  // Two contacts in the older layout: a 16-bit count, 4 ignored bytes, nine texts and an option byte each.
  std::string old = std::string("\x02\x00", 2) + std::string(4, '\0');
  for (std::string name : {"Baker", "Adams"}) {
    old += static_cast<char>(name.size()) + name + std::string(8, '\0') + '\x05';
  }
  WriteFileBytes(dir.File("QUILLCRD.DAT"), old);
  Start();
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_EQ(Recorded().messages[0].text, "Succesfully imported Quillcard 2.x database file");
  EXPECT_EQ(NameListEntries(), (std::vector<std::string>{"Adams", "Baker"}));
  ASSERT_TRUE(CloseMain());
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")).substr(0, 4), Le32(300));
}

TEST_F(MainWindowTest, AnExceptionInAHandlerReachesTheErrorReportAndTheProgramGoesOn) {
  Start();
  main->Configuration.btAbout.onClick = [] { throw std::runtime_error("Something went wrong"); };
  SendMessageA(main->Configuration.btAbout.Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_EQ(Recorded().messages[0].text, "Something went wrong");
  EXPECT_TRUE(IsWindow(main->Handle()));
}

}  // namespace
}  // namespace qc::test
