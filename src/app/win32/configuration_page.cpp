#include "app/win32/configuration_page.h"

#include "app/win32/about_form.h"
#include "app/win32/main_form.h"
#include "app/win32/program.h"
#include "impexp/win32/impexp_form.h"
#include "platform/paths.h"
#include "settings/win32/default_form.h"
#include "settings/win32/user_fields_form.h"
#include "settings/win32/win_profile.h"
#include "settings/wizard_options.h"
#include "word/win32/word_config_form.h"
#include "word/win32/word_host.h"
#include "word/word_probe.h"

namespace qc {

void ConfigurationPage::Create(HWND parent, const RECT& area) {
  ui::Panel::Create(parent, area.left, area.top, area.right - area.left, area.bottom - area.top);
  HWND page = Handle();
  const int w = area.right - area.left;
  Label3d1.Create(page, "", 8, 14, w - 16, 42, 32, RGB(0, 0, 128));
  Label3d2.Create(page, "for Microsoft Word for Windows", 8, 58, w - 16, 30, 21, RGB(0, 0, 128));

  const int panelW = 268, buttonW = 236, buttonH = 30, gap = 10;
  const int panelH = 5 * buttonH + 6 * gap;
  Panel3.Create(page, (w - panelW) / 2, 108, panelW, panelH, "", ui::Panel::Bevel::Raised);
  struct Item {
    ui::Button& button;
    const char* caption;
    const char* status;
  } items[] = {
      {btWordInterface, "Word Interface Configuration", "Configure how is invoked Quillcard"},
      {btAdditionalFields, "Additional Fields Definition", "Configure the name of the Additional Fields"},
      {btDefaults, "Default values Configuration", "Configure the initial values of Fields"},
      {btImportExport, "Import / Export Database", "Import or Export you addresses database"},
      {btAbout, "About Quillcard", "View the about dialog box"},
  };
  int y = gap;
  for (Item& it : items) {
    it.button.Create(Panel3.Handle(), it.caption, (panelW - buttonW) / 2, y, buttonW, buttonH);
    // While the mouse is over a button the status bar describes it.
    const char* status = it.status;
    it.button.onMouseEnter = [this, status] { main_.Status.SetPanelText(0, status); };
    it.button.onMouseLeave = [this] { main_.Status.SetPanelText(0, ""); };
    y += buttonH + gap;
  }
  btWordInterface.SetHint(
      "Configures Quillcard on Microsoft Word. Set and remove toolbar buttons and keyboard shortcuts.");
  btDefaults.SetHint("Set default values of Quillcard and control whether hints are shown");
  btImportExport.SetHint("Wizard to Import or Export the database");
  btAbout.SetHint("About Quillcard");
  btWordInterface.onClick = [this] { btWordInterfaceClick(); };
  btAdditionalFields.onClick = [this] { btAdditionalFieldsClick(); };
  btDefaults.onClick = [this] { btDefaultsClick(); };
  btImportExport.onClick = [this] { btImportExportClick(); };
  btAbout.onClick = [this] { btAboutClick(); };
}

void ConfigurationPage::ApplyLocks(const PageLocks& locks) { Panel3.SetChildrenEnabled(locks.configuration); }

void ConfigurationPage::btWordInterfaceClick() {
  word::Win32WordHost host;
  if (word::ProbeWord(host, main_.Messages()) == word::WordGeneration::None) return;
  word::WordConfigEnvironment config;
  const std::string& folder = main_.Environment().programFolder;
  config.programFolder = folder.empty() ? ExecutableDirectory() : folder;
  config.messages = &main_.Messages();
  word::TfmWordConfig dialog;
  dialog.Create(main_.Handle(), config);
  dialog.ShowModal(main_.Handle());
}

void ConfigurationPage::btAdditionalFieldsClick() {
  TfmUserFields dialog;
  dialog.Create(main_.Handle(), main_.Settings);
  if (dialog.ShowModal(main_.Handle()) == ui::ModalResult::Ok) {
    main_.Database.SetFieldCaptions();
    main_.MailMerge.FillMergeFields();
  }
}

void ConfigurationPage::btDefaultsClick() {
  {
    TfmDefault dialog;
    dialog.Create(main_.Handle(), main_.Settings);
    dialog.ShowModal(main_.Handle());
  }
  // Tray mode follows the setting once the dialog is gone, however it was closed.
  main_.Tray.SetVisible(main_.Settings.TrayApplication);
}

void ConfigurationPage::btImportExportClick() {
  // The wizard's settings file lives beside the program, as the data file does.
  const std::string& data = main_.Environment().dataFilePath;

  // Whatever happens in the wizard, the book and the name lists show the
  // contacts as they are now: an import may have changed them or put a new
  // list in ContactList's place.
  struct Refill {
    TfmMain& main;
    ~Refill() {
      main.Book.Reindex();
      main.Database.RefillNames();
      main.MailMerge.RefreshMergeNames();
    }
  } refill{main_};

  WinProfile options(SiblingPath(data, kWizardSettingsFileName));
  ImpExpEnvironment env;
  env.contactList = &main_.ContactList;
  env.settings = &main_.Settings;
  env.options = &options;
  env.dataFile = data;
  env.contactsChanging = [this] { main_.BeginContactChange(); };
  env.contactsChanged = [this] { main_.ContactsChanged(); };
  env.keepForUndo = [this](std::unique_ptr<TDatabase> before) { main_.KeepListBeforeImport(std::move(before)); };
  env.undoImport = [this] { return main_.UndoLastImport(); };
  TfmImpExp wizard(env);
  wizard.Create(main_.Handle());
  wizard.ShowModal(main_.Handle());
}

void ConfigurationPage::btAboutClick() {
  TfmAbout about;
  const MainEnvironment& env = main_.Environment();
  about.Create(main_.Handle(), env.dataFilePath, env.settingsFilePath);
  about.ShowModal(main_.Handle());
}

}  // namespace qc
