// Opens each window and dialog of Quillcard in turn, as the user reaches it,
// and saves what the screen shows of it as a bitmap file:
//   qc_screens.exe OUTPUT-FOLDER DATA-FOLDER
// The data folder holds QUILLCRD.DAT and QUILLCRD.INI. Each picture is named
// after the window ("main-database.bmp", "wizard-3.bmp"...). A line per
// picture, and the DPI, go to OUTPUT-FOLDER\screens.txt.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/main_form.h"
#include "impexp/win32/impexp_form.h"
#include "settings/win32/win_profile.h"
#include "ui/dpi.h"
#include "ui/message_box_messages.h"
#include "word/win32/word_config_form.h"

namespace {

std::string g_out;
FILE* g_log = nullptr;

void Settle() {
  for (int i = 0; i < 5; ++i) {
    qc::ui::Application::Get().ProcessMessages();
    Sleep(40);  // Wine paints through the X server: give it time to show the frame
  }
}

// Saves the screen's pixels under a window (frame included) as a 24-bit bitmap file.
void Shoot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle();
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u, size = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) + size, 0, 0,
                        static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
  if (FILE* f = std::fopen((g_out + "\\" + name + ".bmp").c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
    std::fwrite(bits, 1, size, f);
    std::fclose(f);
  }
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  std::fprintf(g_log, "%s %dx%d dpi %u\n", name.c_str(), w, h, qc::ui::DpiOfWindow(window));
  std::fflush(g_log);
}

int g_boxes = 0;

// The message box of the moment: shot, then answered No (or Cancel, or OK).
VOID CALLBACK ShootMessageBox(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowA("#32770", qc::ui::kAppTitle);
  if (!box) return;
  KillTimer(nullptr, id);
  Shoot(box, "message-box-" + std::to_string(++g_boxes));
  const int answer = GetDlgItem(box, IDNO) ? IDNO : GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK;
  PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
}

// Every message box of the program, shown as it is and shot.
int ShowAndShoot(HWND owner, const std::string& text, UINT type) {
  SetTimer(nullptr, 0, 200, ShootMessageBox);
  return MessageBoxA(owner, text.c_str(), qc::ui::kAppTitle, type);
}

void ShowWizardPages(qc::TfmImpExp& w) {
  qc::ui::Panel* pages[] = {&w.tsStart,       &w.tsExportFields, &w.tsExportType, &w.tsImportFormat,
                            &w.tsImportFields, &w.tsImportType,  &w.tsFinal,      &w.tsProgress};
  for (int i = 0; i < qc::kWizardPageCount; ++i) {
    for (int j = 0; j < qc::kWizardPageCount; ++j) pages[j]->SetVisible(j == i);
    Shoot(w.Handle(), "wizard-" + std::to_string(i));
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 2;
  g_out = __argv[1];
  const std::string data = __argv[2];
  g_log = std::fopen((g_out + "\\screens.txt").c_str(), "w");
  if (!g_log) return 3;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                           ICC_HOTKEY_CLASS | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  OleInitialize(nullptr);
  std::fprintf(g_log, "system dpi %u\n", qc::ui::SystemDpi());
  qc::ui::SetMessageBoxHook(ShowAndShoot);

  qc::WinProfile profile(data + "\\QUILLCRD.INI");
  qc::ui::MessageBoxMessages messages;
  qc::MainEnvironment env;
  env.dataFilePath = data + "\\QUILLCRD.DAT";
  env.helpFilePath = data + "\\quillcrd.hlp";
  env.settings = &profile;
  env.messages = &messages;
  env.quitOnClose = false;
  qc::TfmMain main(env);
  main.Create();
  main.Show();
  Settle();

  const char* pages[] = {"main-database", "main-mailmerge", "main-configuration"};
  for (int i = 0; i < 3; ++i) {
    main.Pages.SelectTab(i);
    Shoot(main.Handle(), pages[i]);
  }
  main.Pages.SelectTab(0);
  main.Database.Tabs.SelectTab(1);
  Shoot(main.Handle(), "main-database-additional");
  main.Database.Tabs.SelectTab(0);

  // Each dialog as its button opens it, shot once it is up, then closed.
  std::string dialog;
  qc::ui::Application::Get().onModalShown = [&](qc::ui::Form& form) {
    Settle();  // what the dialog does once it is shown (the Word dialog connects), done
    SetWindowPos(form.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    if (auto* wizard = dynamic_cast<qc::TfmImpExp*>(&form)) ShowWizardPages(*wizard);
    else Shoot(form.Handle(), dialog);
    form.SetModalResult(qc::ui::ModalResult::Cancel);
  };
  struct Opened {
    const char* name;
    qc::ui::Button& button;
  } dialogs[] = {{"about", main.Configuration.btAbout},
                 {"default-settings", main.Configuration.btDefaults},
                 {"field-names", main.Configuration.btAdditionalFields},
                 {"wizard", main.Configuration.btImportExport}};
  for (Opened& d : dialogs) {
    dialog = d.name;
    d.button.Click();
    Settle();
  }
  // The Word interface dialog and its list of removed items, without a Word to ask.
  {
    dialog = "word-interface";
    qc::word::WordConfigEnvironment config;
    config.programFolder = data + "\\";
    config.messages = &messages;
    qc::word::TfmWordConfig word;
    word.Create(main.Handle(), config);
    word.ShowModal(main.Handle());
  }
  {
    dialog = "word-removed-items";
    qc::word::TfmResult result;
    result.Create(main.Handle(), {"Toolbar button on Standard", "Key shortcut Ctrl+Shift+Q"});
    result.ShowModal(main.Handle());
  }
  qc::ui::Application::Get().onModalShown = nullptr;

  // The question before a contact is deleted, answered No.
  main.Pages.SelectTab(0);
  if (main.Database.lbName.Count() > 0) {
    main.Database.lbName.SetItemIndex(0);
    main.Database.lbNameChange();
    main.Database.btDelete.Click();
  }
  Settle();
  std::fclose(g_log);
  main.DestroyHandle();
  OleUninitialize();
  return 0;
}
