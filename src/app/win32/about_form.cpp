#include "app/win32/about_form.h"

#include "resource_ids.h"
#include "app/about_colours.h"

namespace qc {
namespace {
constexpr UINT_PTR kTimer1 = 1;
}

void TfmAbout::Create(HWND owner, const std::string& contactsFile, const std::string& settingsFile) {
  CreateForm("About Quillcard", 428, 212, owner);
  CenterOver(owner);
  ColourStep = 0;

  paIcon.Create(Handle(), 12, 12, 40, 40, "", ui::Panel::Bevel::Lowered);
  imIcon.Create(paIcon.Handle(), 4, 4, 32, 32);
  imIcon.SetIconResource(IDI_QUILLCARD, 32);

  Label3d1.Create(Handle(), "Quillcard 3.1", 60, 30, 308, 44, 32, RGB(0, 0, 128));
  Label3d2.Create(Handle(), "for Microsoft Word for Windows", 20, 86, 388, 32, 21, RGB(0, 0, 128));
  // A long path loses its middle on screen, not its file name.
  constexpr DWORD kPathStyle = SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS | SS_NOTIFY;  // notified: hints
  laContacts.Create(Handle(), "Contacts: " + contactsFile, 12, 124, 404, 15, kPathStyle);
  laContacts.SetHint(contactsFile);
  laSettings.Create(Handle(), "Settings: " + settingsFile, 12, 142, 404, 15, kPathStyle);
  laSettings.SetHint(settingsFile);
  btAbout.Create(Handle(), "Go to Tarnhollow Homepage", 12, 168, 190, 30);
  btAbout.SetHint("Open your browser and navigate to Tarnhollow Homepage");
  oxButton1.Create(Handle(), "Exit", 316, 168, 100, 30);
  oxButton1.SetHint("Close the dialog and return to Quillcard");
  SetDefaultButton(&oxButton1);
  btAbout.onClick = [this] { btAboutClick(); };
  oxButton1.onClick = [this] { oxButton1Click(); };
  SetTimer(Handle(), kTimer1, 500, nullptr);
}

// The window goes first, so that its timer stops whichever goes first.
TfmAbout::~TfmAbout() { DestroyHandle(); }

void TfmAbout::btAboutClick() {
  ui::ShellOpen(Handle(), kHomePage);
  SetModalResult(ui::ModalResult::Ok);
}

void TfmAbout::oxButton1Click() { SetModalResult(ui::ModalResult::Ok); }

void TfmAbout::Timer1Timer() {
  ColourStep = NextColourStep(ColourStep);
  Rgb c = kAboutCaptionColours[ColourStep];
  SetCaptionGradient(RGB(c.r, c.g, c.b));
}

LRESULT TfmAbout::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kTimer1) {
    Timer1Timer();
    return 0;
  }
  if (msg == WM_DESTROY) KillTimer(Handle(), kTimer1);
  return Form::OnMessage(msg, wp, lp);
}

}  // namespace qc
