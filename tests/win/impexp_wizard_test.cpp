// The import/export wizard driven through its real controls: pages and
// buttons, the file check, the field lists, the import preview, the stored
// choices in "quillcrd.cfg" and complete runs.
#include <gtest/gtest.h>

#include <memory>

#include "impexp/win32/impexp_form.h"
#include "settings/win32/win_profile.h"
#include "win_test_support.h"

namespace qc::test {
namespace {

using Names = std::vector<std::string>;

Names ItemsOf(const ui::ListBox& list) {
  Names v;
  for (int i = 0; i < list.Count(); ++i) v.push_back(list.Item(i));
  return v;
}

bool ShownOnScreen(const ui::Control& c) { return IsWindowVisible(c.Handle()) != FALSE; }

// Clicks as the mouse would; the control must be there to be clicked.
void Click(ui::Control& c) {
  ASSERT_TRUE(ShownOnScreen(c)) << c.Text();
  ASSERT_TRUE(c.Enabled()) << c.Text();
  SendMessageA(c.Handle(), BM_CLICK, 0, 0);
  Pump();
}

void MouseOnItem(ui::ListBox& list, int i, bool twice) {
  RECT r{};
  ASSERT_NE(SendMessageA(list.Handle(), LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)), LB_ERR);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(list.Handle(), WM_LBUTTONUP, 0, at);
  if (twice) {
    SendMessageA(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageA(list.Handle(), WM_LBUTTONUP, 0, at);
  }
  Pump();
}
void ClickItem(ui::ListBox& list, int i) { MouseOnItem(list, i, false); }
void DoubleClickItem(ui::ListBox& list, int i) { MouseOnItem(list, i, true); }

std::unique_ptr<TDatabase> Contacts(const std::vector<Names>& records) {
  auto db = std::make_unique<TDatabase>();
  for (const Names& texts : records) {
    auto r = std::make_unique<TRecord>();
    for (size_t i = 0; i < texts.size(); ++i) r->Set(static_cast<int>(i), texts[i]);
    db->Add(std::move(r));
  }
  return db;
}

Names NamesOf(const TDatabase& db) {
  Names v;
  for (int i = 0; i < db.Count(); ++i) v.emplace_back(db.Items(i).Name());
  return v;
}

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override { Recorded().Clear(); }
  void TearDown() override {
    wizard.reset();
    Pump();
  }

  void Open() {
    wizard.reset();
    cfg = std::make_unique<WinProfile>(dir.File("quillcrd.cfg"));
    ImpExpEnvironment env;
    env.contactList = &list;
    env.settings = &settings;
    env.options = cfg.get();
    env.dataFile = dir.File("QUILLCRD.DAT");
    wizard = std::make_unique<TfmImpExp>(env);
    wizard->Create(nullptr);
    ShowWindow(wizard->Handle(), SW_SHOW);
    Pump();
  }

  void ChooseImport() { Click(wizard->rgOperation.Item(0)); }
  void ChooseExport() { Click(wizard->rgOperation.Item(1)); }
  void Next() { Click(wizard->btNext); }
  void Prior() { Click(wizard->btPrior); }

  // Chooses entries of an available list by name and adds them one by one.
  void Add(ui::ListBox& available, ui::Button& addOne, const Names& names) {
    for (const std::string& n : names) {
      int i = available.IndexOf(n);
      ASSERT_GE(i, 0) << n;
      ClickItem(available, i);
      Click(addOne);
    }
  }

  std::string Cfg() { return ReadFileBytes(dir.File("quillcrd.cfg")); }

  TempDir dir;
  AppSettings settings;
  std::unique_ptr<TDatabase> list = std::make_unique<TDatabase>();
  std::unique_ptr<WinProfile> cfg;
  std::unique_ptr<TfmImpExp> wizard;
};

// ---------------------------------------------------------------- first look and navigation

TEST_F(WizardTest, OpensOnStartWithExportChosenAndNothingStored) {
  Open();
  TfmImpExp& w = *wizard;
  EXPECT_EQ(w.Caption(), "Quillcard import/export database");
  EXPECT_EQ(w.PageIndex(), kPageStart);
  EXPECT_TRUE(ShownOnScreen(w.tsStart));
  EXPECT_EQ(w.laHeading[0].Text(), "Step 1 - Select the Operation and File");
  EXPECT_EQ(w.rgOperation.ItemIndex(), 1);
  EXPECT_EQ(w.edFile.Text(), "");
  EXPECT_FALSE(w.btNext.Enabled());
  EXPECT_FALSE(ShownOnScreen(w.btPrior));
  EXPECT_EQ(w.btNext.Text(), "Next >>");
  EXPECT_EQ(w.DefaultButton(), &w.btCancel);
  // The browse button is a square as high as the file box, level with it.
  RECT e = w.edFile.Bounds(), b = w.btBrowse.Bounds();
  EXPECT_EQ(b.top, e.top);
  EXPECT_EQ(b.bottom - b.top, e.bottom - e.top);
  EXPECT_EQ(b.right - b.left, b.bottom - b.top);
  // The import's defaults: no separator, the double quote, a single name field.
  EXPECT_EQ(w.edSeparator.Text(), "");
  EXPECT_FALSE(w.cbTAB.Checked());
  EXPECT_EQ(w.edQuote.Text(), "\"");
  EXPECT_EQ(w.ImportQuote, '"');
  EXPECT_EQ(w.rgNameType.ItemIndex(), 0);
  EXPECT_EQ(ItemsOf(w.lbImportFields).front(), "Full Name");
  EXPECT_EQ(w.lbExportSelFields.Count(), 0);
  EXPECT_EQ(w.rgImport.ItemIndex(), 0);
  EXPECT_TRUE(w.cbIgnoreHeaders.Checked());
  EXPECT_TRUE(w.cbBackup.Checked());
  EXPECT_EQ(w.rgExportType.ItemIndex(), 0);
  EXPECT_TRUE(w.cbAddHeaders.Checked());
  // Cancel (and Enter, its default button) closes with the cancel result.
  PressKey(w.edFile.Handle(), VK_RETURN);
  EXPECT_EQ(w.GetModalResult(), ui::ModalResult::Cancel);
}

TEST_F(WizardTest, ExportWalksItsPagesAndBack) {
  Open();
  TfmImpExp& w = *wizard;
  w.edFile.SetText(dir.File("out.txt"));
  std::vector<int> help;
  auto helpHere = [&] {
    Click(w.btHelp);
    help.push_back(Recorded().helpTopics.back());
  };
  helpHere();
  Next();
  EXPECT_EQ(w.PageIndex(), kPageExportFields);
  EXPECT_TRUE(ShownOnScreen(w.btPrior));
  EXPECT_FALSE(w.btNext.Enabled());  // nothing chosen yet
  // Back on Start, Next follows the file again, whatever page 1 made of it.
  Prior();
  EXPECT_TRUE(w.btNext.Enabled());
  Next();
  Click(w.btAddAllExportFields);
  helpHere();
  Next();
  EXPECT_EQ(w.PageIndex(), kPageExportType);
  helpHere();
  Next();
  EXPECT_EQ(w.PageIndex(), kPageFinal);
  EXPECT_EQ(w.btNext.Text(), "Start");
  helpHere();
  Prior();
  EXPECT_EQ(w.PageIndex(), kPageExportType);
  EXPECT_EQ(w.btNext.Text(), "Next >>");
  Prior();
  Prior();
  EXPECT_EQ(w.PageIndex(), kPageStart);
  EXPECT_FALSE(ShownOnScreen(w.btPrior));
  EXPECT_TRUE(w.btNext.Enabled());
  EXPECT_EQ(help, (std::vector<int>{7000, 7200, 7200, 7000}));
  EXPECT_FALSE(FileExists(dir.File("out.txt")));
}

TEST_F(WizardTest, ImportWalksItsPagesAndBack) {
  WriteFileBytes(dir.File("in.txt"), "Ann,Acme\r\n");
  Open();
  TfmImpExp& w = *wizard;
  ChooseImport();
  w.edFile.SetText(dir.File("in.txt"));
  Next();
  EXPECT_EQ(w.PageIndex(), kPageImportFormat);
  EXPECT_FALSE(ShownOnScreen(w.btPrior));  // left as page 0 had it
  EXPECT_FALSE(w.btNext.Enabled());        // no separator yet
  Click(w.btHelp);
  w.edSeparator.SetText(",");
  Pump();
  EXPECT_TRUE(w.btNext.Enabled());
  Next();
  EXPECT_EQ(w.PageIndex(), kPageImportFields);
  EXPECT_TRUE(ShownOnScreen(w.btPrior));
  Click(w.btHelp);
  // No chosen field, no way on: such a run would create no contact.
  EXPECT_FALSE(w.btNext.Enabled());
  Click(w.btAddAllImport);
  EXPECT_TRUE(w.btNext.Enabled());
  Prior();
  EXPECT_EQ(w.PageIndex(), kPageImportFormat);
  EXPECT_TRUE(ShownOnScreen(w.btPrior));  // shown when coming back
  Next();
  Next();
  EXPECT_EQ(w.PageIndex(), kPageImportType);
  Click(w.btHelp);
  Next();
  EXPECT_EQ(w.PageIndex(), kPageFinal);
  EXPECT_EQ(w.btNext.Text(), "Start");
  Prior();
  EXPECT_EQ(w.PageIndex(), kPageImportType);
  EXPECT_EQ(w.btNext.Text(), "Next >>");
  EXPECT_EQ(Recorded().helpTopics, (std::vector<int>{7400, 7100, 7300}));
}

// ---------------------------------------------------------------- the file check

TEST_F(WizardTest, FileCheckForEitherOperation) {
  WriteFileBytes(dir.File("there.txt"), "x");
  CreateDirectoryA(dir.File("folder").c_str(), nullptr);
  Open();
  TfmImpExp& w = *wizard;
  struct Case {
    std::string name;
    bool exportOk, importOk;
  } cases[] = {
      {dir.File("new.txt"), true, false},
      {dir.File("there.txt"), true, true},
      {"", false, false},
      {dir.File("folder"), false, false},
      {dir.File("missing\\new.txt"), false, false},
      {dir.File("*.txt"), false, false},
  };
  for (const Case& c : cases) {
    ChooseExport();
    w.edFile.SetText(c.name);
    Pump();
    EXPECT_EQ(w.btNext.Enabled(), c.exportOk) << c.name;
    ChooseImport();
    EXPECT_EQ(w.btNext.Enabled(), c.importOk) << c.name;
  }
  // The export's check leaves nothing behind.
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(dir.File("new.txt").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST_F(WizardTest, BrowseStartsInTheFileFolderAndTakesTheChosenName) {
  Open();
  TfmImpExp& w = *wizard;
  std::string seenDir, seenFilter;
  bool confirm = true;
  w.dgOpen.show = [&](OpenFileDialog& d, HWND owner) {
    EXPECT_EQ(owner, w.Handle());
    seenDir = d.initialDir;
    seenFilter = d.filter;
    d.fileName = dir.File("picked.txt");
    return confirm;
  };
  w.edFile.SetText(dir.File("old.txt"));
  Click(w.btBrowse);
  EXPECT_EQ(seenDir + "\\", dir.Path());
  EXPECT_EQ(seenFilter, "Text Files|*.txt");
  EXPECT_EQ(w.edFile.Text(), dir.File("picked.txt"));
  EXPECT_TRUE(w.btNext.Enabled());  // the check ran: the export may create it

  confirm = false;
  w.edFile.SetText("plain.txt");
  Click(w.btBrowse);
  EXPECT_EQ(seenDir, "");
  EXPECT_EQ(w.edFile.Text(), "plain.txt");
}

// ---------------------------------------------------------------- the field lists

TEST_F(WizardTest, ExportFieldMovesAndNext) {
  settings.FieldNames[0] = "Region";
  Open();
  TfmImpExp& w = *wizard;
  w.edFile.SetText(dir.File("out.txt"));
  Next();
  Add(w.lbExportFields, w.btAdd1ExportField, {"Phone#", "Name"});
  EXPECT_TRUE(w.btNext.Enabled());
  EXPECT_EQ(w.lbExportFields.ItemIndex(), 0);  // "Name" was first: the new first entry is selected
  // Double-clicks add and delete one; a deleted field goes to the end of the list.
  DoubleClickItem(w.lbExportFields, w.lbExportFields.IndexOf("Region"));
  DoubleClickItem(w.lbExportSelFields, 1);
  EXPECT_EQ(ItemsOf(w.lbExportSelFields), (Names{"Phone#", "Region"}));
  EXPECT_EQ(w.lbExportFields.Item(w.lbExportFields.Count() - 1), "Name");
  EXPECT_EQ(w.lbExportSelFields.ItemIndex(), 1);
  Click(w.btExportUp);
  EXPECT_EQ(ItemsOf(w.lbExportSelFields), (Names{"Region", "Phone#"}));
  Click(w.btExportDn);
  EXPECT_EQ(ItemsOf(w.lbExportSelFields), (Names{"Phone#", "Region"}));
  EXPECT_EQ(w.lbExportSelFields.ItemIndex(), 1);
  // Deleting the last chosen field disables Next; adding one enables it again.
  Click(w.btDelAllExportFields);
  EXPECT_FALSE(w.btNext.Enabled());
  EXPECT_EQ(w.lbExportFields.Count(), 18);
  Click(w.btAddAllExportFields);
  EXPECT_TRUE(w.btNext.Enabled());
  ClickItem(w.lbExportSelFields, 0);
  for (int i = 0; i < 18; ++i) Click(w.btDel1ExportField);
  EXPECT_FALSE(w.btNext.Enabled());
  EXPECT_EQ(w.lbExportSelFields.ItemIndex(), -1);
}

TEST_F(WizardTest, OnlyAChangedNameLayoutRebuildsTheImportLists) {
  WriteFileBytes(dir.File("in.txt"), "");
  Open();
  TfmImpExp& w = *wizard;
  ChooseImport();
  w.edFile.SetText(dir.File("in.txt"));
  Next();
  Click(w.cbTAB);
  Next();
  Click(w.btAddAllImport);
  ASSERT_EQ(w.lbImportSelFields.Count(), 21);
  Prior();
  Click(w.rgNameType.Item(0));  // the layout already chosen
  EXPECT_EQ(w.lbImportSelFields.Count(), 21);
  bool nextBefore = w.btNext.Enabled();
  Click(w.rgNameType.Item(1));
  EXPECT_EQ(w.lbImportSelFields.Count(), 0);
  Names fields = ItemsOf(w.lbImportFields);
  EXPECT_EQ(Names(fields.begin(), fields.begin() + 4), (Names{"First Name", "Middle Name", "Last Name", "Company"}));
  EXPECT_EQ(fields.size(), 24u);
  EXPECT_EQ(w.btNext.Enabled(), nextBefore);
  Click(w.rgNameType.Item(0));
  EXPECT_EQ(ItemsOf(w.lbImportFields).front(), "Full Name");
}

TEST_F(WizardTest, SeparatorTabAndQuote) {
  Open();
  TfmImpExp& w = *wizard;
  ChooseImport();
  WriteFileBytes(dir.File("in.txt"), "");
  w.edFile.SetText(dir.File("in.txt"));
  Next();
  w.edSeparator.SetText(";,");
  Pump();
  EXPECT_EQ(w.ImportSeparators, ";,");
  EXPECT_TRUE(w.btNext.Enabled());
  Click(w.cbTAB);
  EXPECT_EQ(w.ImportSeparators, "\t");
  EXPECT_FALSE(w.edSeparator.Enabled());
  Click(w.cbTAB);
  EXPECT_EQ(w.ImportSeparators, ";,");
  EXPECT_TRUE(w.edSeparator.Enabled());
  w.edSeparator.SetText("");
  Pump();
  EXPECT_FALSE(w.btNext.Enabled());
  Click(w.cbTAB);
  EXPECT_TRUE(w.btNext.Enabled());
  w.edQuote.SetText("");
  Pump();
  EXPECT_EQ(w.ImportQuote, std::nullopt);
  w.edQuote.SetText("'");
  Pump();
  EXPECT_EQ(w.ImportQuote, '\'');
}

// ---------------------------------------------------------------- the preview

TEST_F(WizardTest, PreviewShowsOneLineAtATimeLinkedToTheChosenFields) {
  WriteFileBytes(dir.File("in.txt"), "Name,Company,Phone#\r\n\"Smith, John\",Acme,555\r\nLee,,\"\"\r\n");
  Open();
  TfmImpExp& w = *wizard;
  ChooseImport();
  w.edFile.SetText(dir.File("in.txt"));
  Next();
  w.edSeparator.SetText(",");
  Next();
  EXPECT_EQ(w.laImportRecord.Text(), "Record: 0");
  EXPECT_EQ(w.ImportLines.size(), 3u);
  EXPECT_EQ(ItemsOf(w.lbImportExisting), (Names{"Name", "Company", "Phone#"}));
  Click(w.btPrevRecord);
  EXPECT_EQ(w.PreviewLine, 0);
  Click(w.btNextRecord);
  EXPECT_EQ(w.laImportRecord.Text(), "Record: 1");
  EXPECT_EQ(ItemsOf(w.lbImportExisting), (Names{"Smith, John", "Acme", "555"}));
  Click(w.btNextRecord);
  Click(w.btNextRecord);
  EXPECT_EQ(w.PreviewLine, 2);
  EXPECT_EQ(ItemsOf(w.lbImportExisting), (Names{"Lee", ""}));

  Add(w.lbImportFields, w.btAdd1Import, {"Full Name", "Company", "Phone#"});
  ClickItem(w.lbImportSelFields, 1);
  EXPECT_EQ(w.lbImportExisting.ItemIndex(), 1);
  ClickItem(w.lbImportExisting, 0);
  EXPECT_EQ(w.lbImportSelFields.ItemIndex(), 0);
  // A chosen row the line does not have selects nothing there.
  ClickItem(w.lbImportSelFields, 2);
  EXPECT_EQ(w.lbImportExisting.ItemIndex(), -1);
  // A refresh keeps the chosen row's partner selected.
  ClickItem(w.lbImportSelFields, 1);
  Click(w.btPrevRecord);
  EXPECT_EQ(w.lbImportExisting.ItemIndex(), 1);

  // Other separators, read again on the next visit of the page.
  Prior();
  w.edSeparator.SetText(", ");
  Next();
  EXPECT_EQ(ItemsOf(w.lbImportExisting), (Names{"Smith, John", "Acme", "555"}));
  EXPECT_EQ(w.PreviewLine, 1);
}

TEST_F(WizardTest, UnreadableOrEmptyImportFile) {
  list = Contacts({{"Ann"}, {"Bob"}});
  WriteFileBytes(dir.File("in.txt"), "a,b\r\n");
  Open();
  TfmImpExp& w = *wizard;
  ChooseImport();
  w.edFile.SetText(dir.File("in.txt"));
  Next();
  w.edSeparator.SetText(",");
  DeleteFileA(dir.File("in.txt").c_str());
  Next();
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_EQ(Recorded().messages[0].text, "There was an error reading the Import File");
  EXPECT_EQ(w.lbImportExisting.Count(), 0);
  EXPECT_EQ(w.PreviewLine, -1);
  // The next preview tries again.
  WriteFileBytes(dir.File("in.txt"), "");
  Click(w.btNextRecord);
  EXPECT_EQ(Recorded().messages.size(), 1u);
  EXPECT_EQ(w.PreviewLine, -1);
  EXPECT_EQ(w.lbImportExisting.Count(), 0);
  WriteFileBytes(dir.File("in.txt"), "x\ty\r\n");
  Click(w.btNextRecord);
  EXPECT_EQ(w.PreviewLine, 0);
  EXPECT_EQ(ItemsOf(w.lbImportExisting), Names{"x\ty"});

  // Lines held from an earlier read are not used when the file cannot be
  // read again: a "Replace" run fails and leaves the contacts alone.
  Prior();
  Prior();
  Next();
  DeleteFileA(dir.File("in.txt").c_str());
  Next();
  EXPECT_EQ(Recorded().messages.size(), 2u);
  Click(w.btAddAllImport);
  Next();
  Click(w.rgImport.Item(2));
  Next();
  Next();
  EXPECT_EQ(w.paProgress.Text(), "There was an error");
  EXPECT_EQ(NamesOf(*list), (Names{"Ann", "Bob"}));
}

// ---------------------------------------------------------------- stored choices

TEST_F(WizardTest, StoredChoicesComeBackInTheirPlaces) {
  WriteFileBytes(dir.File("in.txt"), "Ann\tAcme\r\n");
  WriteFileBytes(dir.File("quillcrd.cfg"),
                 "[General]\r\nFilename=" + dir.File("in.txt") +
                     "\r\n[Export]\r\nFields=phone#,,Nonsense,Name\r\nType=1\r\nAdd Headers=0\r\n"
                     "[Import]\r\nFields=Last Name,Company,Full Name\r\nSeparator=#9\r\nQuote=39\r\n"
                     "Name Type=1\r\nType=2\r\nHeaders=0\r\nBackup=0\r\n");
  Open();
  TfmImpExp& w = *wizard;
  EXPECT_EQ(w.edFile.Text(), dir.File("in.txt"));
  EXPECT_TRUE(w.btNext.Enabled());
  EXPECT_EQ(ItemsOf(w.lbExportSelFields), (Names{"Phone#", "Name"}));
  EXPECT_EQ(w.lbExportFields.Count(), 16);
  EXPECT_EQ(w.rgExportType.ItemIndex(), 1);
  EXPECT_FALSE(w.cbAddHeaders.Checked());
  EXPECT_EQ(w.rgNameType.ItemIndex(), 1);
  EXPECT_EQ(ItemsOf(w.lbImportSelFields), (Names{"Last Name", "Company"}));
  EXPECT_EQ(w.lbImportFields.Item(0), "First Name");
  EXPECT_TRUE(w.cbTAB.Checked());
  EXPECT_FALSE(w.edSeparator.Enabled());
  EXPECT_EQ(w.ImportSeparators, "\t");
  EXPECT_EQ(w.edQuote.Text(), "'");
  EXPECT_EQ(w.rgImport.ItemIndex(), 2);
  EXPECT_FALSE(w.cbIgnoreHeaders.Checked());
  EXPECT_FALSE(w.cbBackup.Checked());
  // TAB splits the preview.
  ChooseImport();
  Next();
  Next();
  EXPECT_EQ(ItemsOf(w.lbImportExisting), (Names{"Ann", "Acme"}));
}

TEST_F(WizardTest, StoredValuesThatDoNotFitAreLeftOut) {
  WriteFileBytes(dir.File("quillcrd.cfg"),
                 "[General]\r\nFilename=" + dir.File("gone.txt") +
                     "\r\n[Export]\r\nType=7\r\n[Import]\r\nSeparator=;\r\nQuote=300\r\nType=-1\r\nName Type=5\r\n");
  Open();
  TfmImpExp& w = *wizard;
  EXPECT_EQ(w.edFile.Text(), "");
  // A stored separator does not enable Next while the choices are applied.
  EXPECT_FALSE(w.btNext.Enabled());
  EXPECT_EQ(w.edSeparator.Text(), ";");
  EXPECT_EQ(w.ImportSeparators, ";");
  EXPECT_EQ(w.edQuote.Text(), "");
  EXPECT_EQ(w.ImportQuote, std::nullopt);
  EXPECT_EQ(w.rgExportType.ItemIndex(), 0);
  EXPECT_EQ(w.rgImport.ItemIndex(), 0);
  EXPECT_EQ(w.rgNameType.ItemIndex(), 0);
}

// ---------------------------------------------------------------- runs

TEST_F(WizardTest, ExportRunWritesTheFileAndTheChoices) {
  list = Contacts({{"Ann Lee", "Acme"}, {"Bob", "", "Dr"}});
  WriteFileBytes(dir.File("quillcrd.cfg"), "[Import]\r\nFields=Company\r\n");
  Open();
  TfmImpExp& w = *wizard;
  w.edFile.SetText(dir.File("out.txt"));
  Next();
  Add(w.lbExportFields, w.btAdd1ExportField, {"Name", "Title", "Address 1"});
  Next();
  Click(w.cbAddHeaders);
  Click(w.cbAddHeaders);
  Next();
  // The run takes the window's messages as it goes, and refuses to close meanwhile.
  PostMessageA(w.Handle(), WM_CLOSE, 0, 0);
  Next();
  EXPECT_NE(w.Handle(), nullptr);
  EXPECT_EQ(w.PageIndex(), kPageProgress);
  EXPECT_EQ(ReadFileBytes(dir.File("out.txt")), "Name,Title,\"Address 1\"\r\n\"Ann Lee\",,\r\nBob,Dr,\r\n");
  EXPECT_TRUE(ShownOnScreen(w.paProgress));
  EXPECT_EQ(w.paProgress.Text(), "Finished. No errors found");
  EXPECT_EQ(w.btCancel.Text(), "Exit");
  EXPECT_TRUE(w.btCancel.Enabled());
  EXPECT_FALSE(ShownOnScreen(w.btNext));
  EXPECT_FALSE(ShownOnScreen(w.btPrior));
  EXPECT_EQ(SendMessageA(w.pbProgress.Handle(), PBM_GETRANGE, FALSE, 0), 2);
  EXPECT_EQ(w.pbProgress.Position(), 2);
  std::string cfgText = Cfg();
  EXPECT_NE(cfgText.find("Filename=" + dir.File("out.txt")), std::string::npos) << cfgText;
  EXPECT_NE(cfgText.find("Fields=Name,Title,Address 1\r\nType=0\r\nAdd Headers=1"), std::string::npos) << cfgText;
  EXPECT_NE(cfgText.find("[Import]\r\nFields=Company\r\n"), std::string::npos) << cfgText;  // untouched
  EXPECT_EQ(cfgText.find("Separator"), std::string::npos);
  Click(w.btCancel);
  EXPECT_EQ(w.GetModalResult(), ui::ModalResult::Cancel);
}

TEST_F(WizardTest, ImportRunChangesTheListAndStoresTheChoices) {
  list = Contacts({{"Ann"}, {"Bob", "Old"}});
  WriteFileBytes(dir.File("QUILLCRD.DAT"), "data file bytes");
  WriteFileBytes(dir.File("in.txt"), "Name\tCompany\r\nbob\tNew\r\nCyd\t\r\n");
  Open();
  TfmImpExp& w = *wizard;
  ChooseImport();
  w.edFile.SetText(dir.File("in.txt"));
  Next();
  Click(w.cbTAB);
  Next();
  Add(w.lbImportFields, w.btAdd1Import, {"Full Name", "Company"});
  Next();
  EXPECT_EQ(w.rgImport.ItemIndex(), 0);
  Next();
  Next();
  EXPECT_EQ(w.paProgress.Text(), "Finished. No errors found");
  EXPECT_EQ(NamesOf(*list), (Names{"Ann", "bob", "Cyd"}));
  EXPECT_EQ(list->Items(1).Company(), "New");
  EXPECT_EQ(list->Items(2).Company(), " ");
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.BAK")), "data file bytes");
  EXPECT_EQ(SendMessageA(w.pbProgress.Handle(), PBM_GETRANGE, FALSE, 0), 3);
  EXPECT_EQ(w.pbProgress.Position(), 3);
  std::string cfgText = Cfg();
  EXPECT_NE(cfgText.find("[Import]\r\nFields=Full Name,Company\r\nSeparator=#9\r\nQuote=34\r\nName Type=0\r\n"
                         "Type=0\r\nHeaders=1\r\nBackup=1\r\n"),
            std::string::npos)
      << cfgText;
  EXPECT_EQ(cfgText.find("[Export]"), std::string::npos);

  // A second opening finds the TAB choice again.
  Open();
  EXPECT_TRUE(wizard->cbTAB.Checked());
  EXPECT_EQ(wizard->rgOperation.ItemIndex(), 1);  // the operation is not stored
  EXPECT_TRUE(wizard->btNext.Enabled());
}

// vCard both ways: page 0's format choice skips the field and format pages,
// the last page previews the import, and the export comes back whole.
TEST_F(WizardTest, VCardExportAndImportSkipTheDelimitedPages) {
  list = Contacts({{"Lee, Ann", "Acme", "", "Ms", "1 Main St"}, {"Bob"}});
  const std::vector<TRecord> before = {list->Items(0), list->Items(1)};
  Open();
  TfmImpExp& w = *wizard;
  // The new group fits on the page below the file box.
  RECT page{}, group = w.rgFileFormat.Bounds(), file = w.edFile.Bounds();
  GetClientRect(w.tsStart.Handle(), &page);
  EXPECT_GE(group.top, file.bottom);
  EXPECT_LE(group.bottom, page.bottom);
  Click(w.rgFileFormat.Item(1));
  EXPECT_EQ(w.dgOpen.filter, "vCard Files|*.vcf");
  w.edFile.SetText(dir.File("out.vcf"));
  Next();
  EXPECT_EQ(w.PageIndex(), kPageFinal);
  EXPECT_FALSE(ShownOnScreen(w.lbVCardPreview));
  Prior();
  EXPECT_EQ(w.PageIndex(), kPageStart);
  Next();
  Next();
  EXPECT_EQ(w.paProgress.Text(), "Finished. No errors found");
  EXPECT_EQ(ReadFileBytes(dir.File("out.vcf")).substr(0, 26), "BEGIN:VCARD\r\nVERSION:3.0\r\n");

  // The stored .vcf brings vCard back; a Replace import gives the same list.
  Open();
  TfmImpExp& v = *wizard;
  EXPECT_EQ(v.rgFileFormat.ItemIndex(), 1);
  ChooseImport();
  Next();
  EXPECT_EQ(v.PageIndex(), kPageImportType);
  EXPECT_TRUE(ShownOnScreen(v.btPrior));
  EXPECT_FALSE(v.cbIgnoreHeaders.Enabled());
  Click(v.rgImport.Item(2));
  Click(v.cbBackup);
  Next();
  EXPECT_EQ(ItemsOf(v.lbVCardPreview), (Names{"Lee, Ann  -  Acme", "Bob"}));
  Next();
  EXPECT_EQ(v.paProgress.Text(), "Finished. No errors found");
  ASSERT_EQ(list->Count(), 2);
  EXPECT_TRUE(list->Items(0) == before[0] && list->Items(1) == before[1]);
  EXPECT_EQ(v.laVCardResult.Text().substr(0, 22), "2 added, 0 replaced, 0");
}

TEST_F(WizardTest, ReplaceWithoutQuoteInTheSecondNameLayout) {
  list = Contacts({{"Old"}});
  WriteFileBytes(dir.File("in.txt"), "\"John\";Q;Smith\r\n");
  Open();
  TfmImpExp& w = *wizard;
  ChooseImport();
  w.edFile.SetText(dir.File("in.txt"));
  Next();
  w.edSeparator.SetText(";");
  w.edQuote.SetText("");
  Click(w.rgNameType.Item(1));
  Next();
  Click(w.btAddAllImport);
  Next();
  Click(w.rgImport.Item(2));
  Click(w.cbIgnoreHeaders);
  Click(w.cbBackup);
  Next();
  Next();
  EXPECT_EQ(NamesOf(*list), Names{"Smith, \"John\" Q"});
  EXPECT_FALSE(FileExists(dir.File("QUILLCRD.BAK")));
}

TEST_F(WizardTest, FailedRunsSayThereWasAnErrorInRed) {
  list = Contacts({{"Ann"}});
  CreateDirectoryA(dir.File("sub").c_str(), nullptr);
  Open();
  TfmImpExp& w = *wizard;
  w.edFile.SetText(dir.File("sub\\out.txt"));
  Next();
  Click(w.btAddAllExportFields);
  Next();
  Next();
  ASSERT_TRUE(RemoveDirectoryA(dir.File("sub").c_str()));
  Next();
  EXPECT_EQ(w.paProgress.Text(), "There was an error");
  EXPECT_EQ(w.paProgress.TextColor(), RGB(255, 0, 0));
  EXPECT_TRUE(ShownOnScreen(w.paProgress));
  EXPECT_TRUE(w.btCancel.Enabled());
  EXPECT_TRUE(Recorded().messages.empty());
}

TEST_F(WizardTest, UnwritableChoicesStopTheRunBeforeItStarts) {
  list = Contacts({{"Ann"}});
  CreateDirectoryA(dir.File("quillcrd.cfg").c_str(), nullptr);
  Open();
  TfmImpExp& w = *wizard;
  w.edFile.SetText(dir.File("out.txt"));
  Next();
  Click(w.btAddAllExportFields);
  Next();
  Next();
  Next();
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_EQ(Recorded().messages[0].text, "Unable to write to quillcrd.cfg");
  EXPECT_FALSE(ShownOnScreen(w.paProgress));
  EXPECT_FALSE(w.btCancel.Enabled());
  EXPECT_FALSE(FileExists(dir.File("out.txt")));
  // The close box still closes.
  SendMessageA(w.Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(w.GetModalResult(), ui::ModalResult::None);  // not modal here: the window is gone instead
  EXPECT_EQ(w.Handle(), nullptr);
}

}  // namespace
}  // namespace qc::test
