#include "app/win32/main_form.h"

#include "resource_ids.h"
#include "word/win32/word_host.h"
#include "word/win32/word_session.h"
#include "word/word_probe.h"

namespace qc {
namespace {

constexpr int kClientWidth = 496;
constexpr int kClientHeight = 426;
constexpr int kTabWidth = 164;
constexpr UINT kRestoreCommand = 1;
constexpr UINT kCloseCommand = 2;

// The order of names in the name lists: the user's locale without regard to
// case, as a sort key (whose bytes order as CompareString orders the names).
std::string NameSortKey(std::string_view name) {
  constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = static_cast<int>(name.size());
  char buffer[512];
  int n = LCMapStringA(LOCALE_USER_DEFAULT, kFlags, name.data(), length, buffer, sizeof buffer);
  if (n > 0) return std::string(buffer, static_cast<size_t>(n));
  n = LCMapStringA(LOCALE_USER_DEFAULT, kFlags, name.data(), length, nullptr, 0);
  std::string key(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) LCMapStringA(LOCALE_USER_DEFAULT, kFlags, name.data(), length, key.data(), n);
  return key;
}

}  // namespace

TfmMain::TfmMain(MainEnvironment env)
    : Book(NameSortKey), ContactList(Book.List()), Database(*this), MailMerge(*this), Configuration(*this),
      env_(std::move(env)) {}

// The window goes first, so that FormDestroyed runs whichever goes first.
TfmMain::~TfmMain() { DestroyHandle(); }

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
  const RECT area = Pages.DisplayRect();
  Database.Create(Handle(), area);
  MailMerge.Create(Handle(), area);
  Configuration.Create(Handle(), area);
  for (ui::Panel* p : {static_cast<ui::Panel*>(&Database), static_cast<ui::Panel*>(&MailMerge),
                       static_cast<ui::Panel*>(&Configuration)}) {
    p->SetVisible(false);
    p->BringToFront();  // above the tab control, which would otherwise paint over it
  }
  Pages.onChange = [this] { PagesChange(); };

  // Below the Configuration page's buttons, shown while an import can be undone.
  const RECT buttons = Configuration.Panel3.Bounds();
  const int undoWidth = 236;
  btUndoImport.Create(Configuration.Handle(), "Undo Last Import", (buttons.left + buttons.right - undoWidth) / 2,
                      buttons.bottom + 12, undoWidth, 30);
  btUndoImport.SetHint("Put the contacts back as they were before the last import");
  btUndoImport.onMouseEnter = [this] { Status.SetPanelText(0, "Undo the last import"); };
  btUndoImport.onMouseLeave = [this] { Status.SetPanelText(0, ""); };
  btUndoImport.onClick = [this] { UndoLastImport(); };
  btUndoImport.SetVisible(false);

  // A shared icon: the system keeps it for the whole run.
  const int side = GetSystemMetrics(SM_CXSMICON);  // the notification area's size
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUILLCARD),
                                             IMAGE_ICON, side, side, LR_SHARED));
  Tray.Attach(Handle(), icon, "Quillcard");
  Tray.onLeftClick = [this] { RestoreQuillcard1Click(); };
  Tray.onRightClick = [this] { ShowTrayMenu(); };
  PopupMenu1.Reset(CreatePopupMenu());
  AppendMenuA(PopupMenu1.Get(), MF_STRING, kRestoreCommand, "&Restore Quillcard");
  AppendMenuA(PopupMenu1.Get(), MF_STRING, kCloseCommand, "&Close Quillcard");
  SetMenuDefaultItem(PopupMenu1.Get(), kRestoreCommand, FALSE);

  FormCreate();
}

void TfmMain::FormCreate() {
  Configuration.Label3d1.SetText("Quillcard 3.1");
  Pages.SelectTab(0);
  Database.SetVisible(true);
  HelpContext = PageHelpContext(0);
  Settings.FieldNames.clear();
  Database.SetMode(EditMode::Browse);

  OpenDataFile();
  Book.Reindex();
  Database.RefillNames();

  LoadSettings(*env_.settings, Settings);
  ui::Application::Get().SetShowHints(Settings.ShowHints);
  ui::SetHelpFile(env_.helpFilePath);
  Database.SetFieldCaptions();
  MailMerge.RefreshMergeNames();
  MailMerge.FillMergeFields();
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
  UINT cmd = TrackPopupMenu(PopupMenu1.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, pt.x, pt.y,
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
    case 0: Database.ShowModeHint(); break;
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

// ---------------------------------------------------------------- what the pages share

void TfmMain::UpdatePanelLocks() {
  const PageLocks locks = LocksFor(Database.Mode, MailMerge.HasChoice());
  Database.ApplyLocks(locks);
  MailMerge.ApplyLocks(locks);
  Configuration.ApplyLocks(locks);
  btUndoImport.SetEnabled(locks.configuration);
}

void TfmMain::FormKeyUp(WPARAM& key) {
  if (Pages.Index() == 0) Database.FormKeyUp(key);
}

std::unique_ptr<word::WordBasic> TfmMain::BeginWordAction() {
  try {
    word::Win32WordHost host;
    word::WordGeneration generation = word::ProbeWord(host, *env_.messages);
    if (generation == word::WordGeneration::None) return nullptr;
    return word::ConnectWord(generation);
  } catch (const std::exception&) {
    env_.messages->Information(word::kUnableToConnectMessage);
    // Ending here passes by the window's close, which is where contacts and
    // settings are written: write them first. When that fails the user has
    // been told, and the program stays open with everything still in memory.
    if (SaveContactsAndSettings()) ui::QuitNow(0);
    return nullptr;
  }
}

}  // namespace qc
