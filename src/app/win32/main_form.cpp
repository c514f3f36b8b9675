#include "app/win32/main_form.h"

#include "resource_ids.h"
#include "app/win32/about_form.h"
#include "data/database.h"
#include "platform/files.h"

namespace qc {
namespace {

constexpr int kClientWidth = 496;
constexpr int kClientHeight = 426;
constexpr int kTabWidth = 164;
constexpr UINT kRestoreCommand = 1;
constexpr UINT kCloseCommand = 2;

}  // namespace

TfmMain::TfmMain(MainEnvironment env) : env_(std::move(env)) {}

TfmMain::~TfmMain() {
  if (PopupMenu1) DestroyMenu(PopupMenu1);
  if (ui::Application::Get().onMessage && ui::MainWindow() == Handle()) ui::Application::Get().onMessage = nullptr;
}

void TfmMain::Create() {
  CreateForm("Quillcard - 3.1", kClientWidth, kClientHeight, nullptr);
  keyPreview = true;
  ui::SetMainWindow(Handle());
  CenterOnScreen();

  Status.Create(Handle(), {250, 300});
  Status.SetCentred(1, true);
  RECT sr = Status.Bounds();
  int statusHeight = sr.bottom - sr.top;

  Pages.Create(Handle(), 0, 0, kClientWidth, kClientHeight - statusHeight, kTabWidth);
  Pages.AddTab("Database");
  Pages.AddTab("Mail Merge");
  Pages.AddTab("Configuration");
  RECT page = Pages.DisplayRect();
  for (ui::Panel* p : {&Database, &MailMerge, &Configuration}) {
    p->Create(Handle(), page.left, page.top, page.right - page.left, page.bottom - page.top);
    p->SetVisible(false);
    p->BringToFront();  // above the tab control, which would otherwise paint over it
  }
  Pages.onChange = [this] { PagesChange(); };

  CreateDatabasePage();
  CreateMailMergePage();
  CreateConfigurationPage();

  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUILLCARD),
                                             IMAGE_ICON, 16, 16, 0));
  Tray.Attach(Handle(), icon, "Quillcard");
  Tray.onLeftClick = [this] { RestoreQuillcard1Click(); };
  Tray.onRightClick = [this] { ShowTrayMenu(); };
  PopupMenu1 = CreatePopupMenu();
  AppendMenuA(PopupMenu1, MF_STRING, kRestoreCommand, "&Restore Quillcard");
  AppendMenuA(PopupMenu1, MF_STRING, kCloseCommand, "&Close Quillcard");
  SetMenuDefaultItem(PopupMenu1, kRestoreCommand, FALSE);

  FormCreate();
}

void TfmMain::FormCreate() {
  Label3d1.SetText("Quillcard 3.1");
  Pages.SelectTab(0);
  Database.SetVisible(true);
  HelpContext = PageHelpContext(0);
  Settings.FieldNames.clear();
  SetMode(EditMode::Browse);

  OpenDataFile();
  RefillNames();

  LoadSettings(*env_.settings, Settings);
  ui::Application::Get().SetShowHints(Settings.ShowHints);
  ui::SetHelpFile(env_.helpFilePath);
  SetFieldCaptions();
  RefreshMergeNames();
  FillMergeFields();
  Tray.SetVisible(Settings.TrayApplication);
  HiddenInTray = false;
  WakeMessage = RegisterWindowMessageA("Quillcard Custom Message");
  ui::Application::Get().onMessage = [this](MSG& msg) { return WakeHandler(msg); };
}

void TfmMain::Show() {
  ShowWindow(Handle(), SW_SHOW);
  UpdateWindow(Handle());
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
}

void TfmMain::FormShow() {
  // Until the first normal close the first-start help topic opens.
  if (Settings.FirstTime) ui::ShowHelpTopic(Handle(), kHelpFirstStart);
}

void TfmMain::RefillNames() {
  lbName.Clear();
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(ContactList->Count()));
  for (int i = 0; i < ContactList->Count(); ++i) names.push_back(ContactList->Items(i).Name);
  lbName.AddAll(names);
}

bool TfmMain::WakeHandler(MSG& msg) {
  if (WakeMessage == 0 || msg.message != WakeMessage) return false;
  RestoreQuillcard1Click();
  return true;
}

void TfmMain::RestoreQuillcard1Click() {
  if (HiddenInTray) {
    ShowWindow(Handle(), SW_SHOW);
    ShowWindow(Handle(), SW_RESTORE);
  }
  if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
  SetForegroundWindow(Handle());
  BringWindowToTop(Handle());
  HiddenInTray = false;
}

void TfmMain::StepAside() {
  if (!Settings.TrayApplication) {
    Close();
    return;
  }
  // Hidden windows have no taskbar button: the tray icon is the way back.
  ShowWindow(Handle(), SW_HIDE);
  HiddenInTray = true;
}

void TfmMain::ShowTrayMenu() {
  POINT pt;
  GetCursorPos(&pt);
  SetForegroundWindow(Handle());
  UINT cmd = TrackPopupMenu(PopupMenu1, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, pt.x, pt.y,
                            0, Handle(), nullptr);
  PostMessageA(Handle(), WM_NULL, 0, 0);
  if (cmd == kRestoreCommand) RestoreQuillcard1Click();
  if (cmd == kCloseCommand) Close();
}

void TfmMain::PagesChange() {
  int index = Pages.Index();
  ui::Panel* pages[] = {&Database, &MailMerge, &Configuration};
  for (int i = 0; i < 3; ++i) pages[i]->SetVisible(i == index);
  switch (index) {
    case 0: ShowModeHint(); break;
    case 1: Status.SetPanelText(0, kMailMergeHint); break;
    default: Status.SetPanelText(0, ""); break;
  }
  HelpContext = PageHelpContext(index);
}

bool TfmMain::FormCloseQuery() {
  // Not while a dialog of ours is open (the tray menu can still ask): the
  // dialog may be working on the contacts.
  if (!IsWindowEnabled(Handle())) return false;
  // Contacts that could not be saved keep the window open, unless the user
  // saved them elsewhere or chose to let them go.
  if (!SaveContactsAndSettings()) return false;
  saver_.reset();
  ContactList.reset();
  Tray.SetVisible(false);
  Closed = true;
  return true;
}

void TfmMain::FormDestroyed() {
  if (ui::Application::Get().onMessage) ui::Application::Get().onMessage = nullptr;
  if (ui::MainWindow() == Handle()) ui::SetMainWindow(nullptr);
  if (env_.quitOnClose) PostQuitMessage(0);
}

LRESULT TfmMain::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (Tray.HandleMessage(msg, wp, lp)) return 0;
  switch (msg) {
    case WM_QUERYENDSESSION:
      return QuerySessionEnd() ? TRUE : FALSE;
    case WM_ENDSESSION:
      SessionEnded(wp != FALSE);
      return 0;
    case kSaveFinishedMessage:
      ReportFailedSave();
      return 0;
    case kSessionKeptMessage:
      ui::ShowMessage(Handle(), sessionFailure_, MB_OK | MB_ICONERROR);
      return 0;
    case WM_HELP:
      ui::ShowHelpTopic(Handle(), HelpContext);
      return TRUE;
    case WM_SYSCOMMAND:
      // Minimising is not offered by the frame; keep it so from the keyboard too.
      if ((wp & 0xFFF0) == SC_MINIMIZE || (wp & 0xFFF0) == SC_MAXIMIZE || (wp & 0xFFF0) == SC_SIZE) return 0;
      break;
  }
  return Form::OnMessage(msg, wp, lp);
}

// ---------------------------------------------------------------- Configuration page

void TfmMain::HookStatusText(ui::Button& button, const char* text) {
  button.onMouseEnter = [this, text] { Status.SetPanelText(0, text); };
  button.onMouseLeave = [this] { Status.SetPanelText(0, ""); };
}

void TfmMain::CreateConfigurationPage() {
  HWND page = Configuration.Handle();
  RECT r;
  GetClientRect(page, &r);
  int w = r.right;
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
    HookStatusText(it.button, it.status);
    y += buttonH + gap;
  }
  btDefaults.SetHint("Set default values of Quillcard and control whether hints are shown");
  btImportExport.SetHint("Wizard to Import or Export the database");
  btAbout.SetHint("About Quillcard");
  btWordInterface.onClick = [this] { btWordInterfaceClick(); };
  btAdditionalFields.onClick = [this] { btAdditionalFieldsClick(); };
  btDefaults.onClick = [this] { btDefaultsClick(); };
  btImportExport.onClick = [this] { btImportExportClick(); };
  btAbout.onClick = [this] { btAboutClick(); };
}

void TfmMain::btAboutClick() {
  TfmAbout about;
  about.Create(Handle());
  about.ShowModal(Handle());
}

}  // namespace qc
