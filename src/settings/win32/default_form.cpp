#include "settings/win32/default_form.h"

#include "common/option_byte.h"

namespace qc {
namespace {

constexpr int kClientWidth = 380;
constexpr int kClientHeight = 236;

HFONT BoldDialogFont() {
  static const ui::Font font = [] {
    LOGFONTA lf{};
    GetObjectA(ui::DialogFont(), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    return ui::Font(CreateFontIndirectA(&lf));
  }();
  return font.Get();
}

// A frame's heading: a bold caption in a sunken bar across the frame's top.
void CreateHeading(ui::Label& heading, ui::Panel& frame, const char* caption) {
  const RECT r = frame.ClientBounds();
  heading.Create(frame.Handle(), caption, 2, 2, r.right - 4, 18, SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN);
  heading.SetFont(BoldDialogFont());
}

}  // namespace

TfmDefault::~TfmDefault() { DestroyHandle(); }

bool TfmDefault::FocusLabel::HandleCommand(WORD code) {
  if (code != STN_CLICKED) return false;
  if (target) target->SetFocus();
  return true;
}

void TfmDefault::Create(HWND owner, AppSettings& settings) {
  settings_ = &settings;
  CreateForm("Quillcard - Default Settings", kClientWidth, kClientHeight, owner);
  CenterOver(owner);
  HWND form = Handle();

  // Letter or Envelope, on the left. Tab order follows creation order.
  paLetter.Create(form, 6, 6, 182, 156, "", ui::Panel::Bevel::Raised);
  CreateHeading(laLetter, paLetter, "Letter or Envelope");
  HWND l = paLetter.Handle();
  rgFirstItem.Create(l, "First &Item", {"Name", "Company"}, 8, 26, 166, 44, 2);
  cbCompanyL.Create(l, "Use &Company", 12, 78, 160, 17);
  cbTitleL.Create(l, "Use &Title", 12, 100, 160, 17);
  cbTreatmentL.Create(l, "Use T&reatment", 12, 122, 160, 17);

  // Fax and Telephone, lower right; its boxes are tabbed from the bottom up.
  paFax.Create(form, 194, 68, 180, 94, "", ui::Panel::Bevel::Raised);
  CreateHeading(laFax, paFax, "Fax and Telephone");
  HWND f = paFax.Handle();
  cbTreatmentF.Create(f, "Use T&reatment", 12, 70, 160, 17);
  cbTitleF.Create(f, "Use &Title", 12, 48, 160, 17);
  cbCompanyF.Create(f, "Use &Company", 12, 26, 160, 17);

  // The default treatment, upper right.
  paTreatment.Create(form, 194, 6, 180, 58, "", ui::Panel::Bevel::Raised);
  HWND t = paTreatment.Handle();
  laTreatment.Create(t, "Treatment:", 8, 8, 164, 15, SS_LEFT | SS_NOTIFY);
  laTreatment.SetFont(BoldDialogFont());
  edTreatment.Create(t, 8, 27, 164, 21);
  laTreatment.target = &edTreatment;
  SendMessageA(edTreatment.Handle(), EM_LIMITTEXT, 0, 0);  // as long as the edit box takes

  const int buttonY = 201, buttonW = 75, buttonH = 27, buttonGap = 6;
  const int helpX = kClientWidth - 6 - buttonW;
  const int cancelX = helpX - buttonGap - buttonW;
  const int okX = cancelX - buttonGap - buttonW;
  btOk.Create(form, "Ok", okX, buttonY, buttonW, buttonH);
  btCancel.Create(form, "Cancel", cancelX, buttonY, buttonW, buttonH);
  cbHints.Create(form, "Show hints", 12, 172, 150, 17);
  btHelp.Create(form, "Help", helpX, buttonY, buttonW, buttonH);
  cbTray.Create(form, "Tray menu application", 200, 172, 170, 17);

  rgFirstItem.SetHint("Default value for 'First Item'");
  for (int i = 0; i < rgFirstItem.ItemCount(); ++i) rgFirstItem.Item(i).SetHint(rgFirstItem.Hint());
  for (ui::CheckBox* cb : {&cbCompanyL, &cbCompanyF}) cb->SetHint("Default value for 'Use Company'");
  for (ui::CheckBox* cb : {&cbTitleL, &cbTitleF}) cb->SetHint("Default Value for 'Use Title'");
  for (ui::CheckBox* cb : {&cbTreatmentL, &cbTreatmentF}) cb->SetHint("Default value for 'Use Treatment'");
  edTreatment.SetHint("This is the default treatment for new records");
  btOk.SetHint("Save Settings");
  btCancel.SetHint("Close the dialog and lose changes made");
  cbHints.SetHint(
      "Click to enable the Balloon Hints. It is recommended that you keep this setting until you "
      "are familiar with Quillcard");
  btHelp.SetHint("Get help");
  cbTray.SetHint("Check to use Quillcard as a tray menu application");

  SetDefaultButton(&btOk);
  btOk.onClick = [this] { btOkClick(); };
  btCancel.onClick = [this] { btCancelClick(); };
  btHelp.onClick = [this] { btHelpClick(); };

  FormCreate();
}

void TfmDefault::FormCreate() {
  const AppSettings& s = *settings_;
  edTreatment.SetText(s.DefaultTreatment);
  optionBoxes_.Show(s.DefaultOptions);
  cbHints.SetChecked(s.ShowHints);
  cbTray.SetChecked(s.TrayApplication);
  SetFocusControl(rgFirstItem.Item(rgFirstItem.ItemIndex()).Handle());
}

int TfmDefault::OptionsFromControls() const { return optionBoxes_.Options(); }

void TfmDefault::btOkClick() {
  AppSettings& s = *settings_;
  s.DefaultTreatment = edTreatment.Text();
  s.DefaultOptions = OptionsFromControls();
  s.ShowHints = cbHints.Checked();
  ui::Application::Get().SetShowHints(s.ShowHints);
  // Tray mode is switched by the main window once this dialog has closed.
  s.TrayApplication = cbTray.Checked();
  SetModalResult(ui::ModalResult::Ok);
}

void TfmDefault::btCancelClick() { SetModalResult(ui::ModalResult::Cancel); }

void TfmDefault::btHelpClick() { ui::ShowHelpTopic(Handle(), kHelpDefaultSettings); }

LRESULT TfmDefault::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_HELP:
      btHelpClick();
      return TRUE;
  }
  return Form::OnMessage(msg, wp, lp);
}

}  // namespace qc
