// The Configuration page's import/export wizard and the refresh after it.
#include "app/win32/main_form.h"
#include "impexp/win32/impexp_form.h"
#include "settings/win32/win_profile.h"
#include "settings/wizard_options.h"

namespace qc {

void TfmMain::btImportExportClick() {
  // The wizard's settings file lives beside the program, as the data file does.
  const std::string& data = env_.dataFilePath;
  const size_t slash = data.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string() : data.substr(0, slash + 1);

  // Whatever happens in the wizard, the name lists show the contacts as they are now:
  // an import may have changed them or put a new list in ContactList's place.
  struct Refill {
    TfmMain& main;
    ~Refill() {
      main.RefillNames();
      main.lbName.SetItemIndex(-1);
      main.RefreshMergeNames();
    }
  } refill{*this};

  WinProfile options(folder + kWizardSettingsFileName);
  ImpExpEnvironment env;
  env.contactList = &ContactList;
  env.settings = &Settings;
  env.options = &options;
  env.dataFile = data;
  env.contactsChanging = [this] { BeginContactChange(); };
  env.contactsChanged = [this] { ContactsChanged(); };
  TfmImpExp wizard(env);
  wizard.Create(Handle());
  wizard.ShowModal(Handle());
}

}  // namespace qc
