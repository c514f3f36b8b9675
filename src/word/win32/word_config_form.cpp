#include "word/win32/word_config_form.h"

#include <commctrl.h>
#include <shlobj.h>

#include "common/text.h"
#include "platform/files.h"
#include "ui/hooks.h"
#include "word/win32/word_host.h"
#include "word/win32/word_session.h"

namespace qc::word {
namespace {

constexpr int kClientWidth = 456;
constexpr int kClientHeight = 150;
constexpr int kImageWidth = 16;
constexpr int kImageHeight = 15;
constexpr UINT kConnectMessage = WM_APP + 40;
constexpr COLORREF kMagenta = RGB(255, 0, 255);

// The registry and the files, as Windows has them.
class Win32TemplateHost : public TemplateHost {
 public:
  std::string StartupFolder(const std::string& registryKey) override {
    HKEY key = nullptr;
    // Word's key is made when it is missing, as opening it always did.
    if (RegCreateKeyExA(HKEY_CURRENT_USER, registryKey.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return {};
    std::string folder;
    HKEY options = nullptr;
    if (RegOpenKeyExA(key, "Options", 0, KEY_READ, &options) == ERROR_SUCCESS) {
      char value[MAX_PATH * 2] = {};
      DWORD size = sizeof value - 1, type = 0;
      if (RegQueryValueExA(options, kStartupPathValue, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
              ERROR_SUCCESS &&
          (type == REG_SZ || type == REG_EXPAND_SZ))
        folder.assign(value, strnlen(value, size));
      RegCloseKey(options);
    }
    RegCloseKey(key);
    return folder;
  }

  std::string AppDataFolder() override {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
    return folder;
  }

  // A folder that cannot be made shows itself when the copy into it fails.
  void MakeFolder(const std::string& path) override { CreateDirectoryA(path.c_str(), nullptr); }

  bool FileExists(const std::string& path) override { return qc::FileExists(path); }

  bool Copy(const std::string& from, const std::string& to) override {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
  }

  std::vector<std::string> ReadLines(const std::string& path) override {
    ReadResult r = ReadWholeFile(path);
    if (r.status != ReadStatus::Ok) throw FileError(path + ": " + (r.error.empty() ? "not found" : r.error));
    return SplitLines(r.content);
  }

  void WriteLines(const std::string& path, const std::vector<std::string>& lines) override {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    WriteFileAtomically(path, text);
  }
};

// The program's button: an index card with a quill across it.
// M magenta (transparent), K black, W white, G grey, N navy.
constexpr const char* kButtonPixels[kImageHeight] = {
    "MMMMMMMMMMMMMNNM", "MMMMMMMMMMMMNNNM", "MMMMMMMMMMMNNNMM", "KKKKKKKKKKNNNKMM", "KWWWWWWWWNNNWKMM",
    "KWGGGGGGNNNWWKMM", "KWWWWWWNNNWWWKMM", "KWGGGGNNNGGWWKMM", "KWWWWNNNWWWWWKMM", "KWGGGNNGGGGWWKMM",
    "KWWWKNWWWWWWWKMM", "KWWKWWWWWWWWWKMM", "KWWWWWWWWWWWWKMM", "KKKKKKKKKKKKKKMM", "MMMMMMMMMMMMMMMM",
};

COLORREF PixelColour(char c) {
  switch (c) {
    case 'K': return RGB(0, 0, 0);
    case 'W': return RGB(255, 255, 255);
    case 'G': return RGB(128, 128, 128);
    case 'N': return RGB(0, 0, 128);
    default: return kMagenta;
  }
}

// 32-bit pixels, top row first, as 0x00RRGGBB.
std::vector<DWORD> ReadPixels(HBITMAP bitmap, int width, int height) {
  std::vector<DWORD> pixels(static_cast<size_t>(width * height));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  ui::WindowDc screen(nullptr);
  GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  return pixels;
}

ui::Bitmap BitmapOfPixels(const std::vector<DWORD>& pixels, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  ui::WindowDc screen(nullptr);
  ui::Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  SetDIBits(screen.Get(), bitmap.Get(), 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  return bitmap;
}

DWORD AsPixel(COLORREF c) { return (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c); }

std::string SystemKeyName(int virtualKey) {
  UINT scan = MapVirtualKeyA(static_cast<UINT>(virtualKey), 0);
  char name[64] = {};
  int n = scan ? GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name) : 0;
  return std::string(name, n > 0 ? static_cast<size_t>(n) : 0);
}

// Disables the action buttons while one runs and gives them back afterwards, whatever happens.
class ActionRunning {
 public:
  explicit ActionRunning(std::function<void(bool)> enable) : enable_(std::move(enable)) { enable_(false); }
  ~ActionRunning() { enable_(true); }

 private:
  std::function<void(bool)> enable_;
};

}  // namespace

WordConfigSlot& ConfigSession() {
  static WordConfigSlot slot;
  return slot;
}

void ReleaseConfigSession() {
  ConfigSession().session.reset();
  ConfigSession().generation = WordGeneration::None;
  ConfigSession().productVersion.clear();
}

ui::Bitmap CreateProgramButtonImage() {
  std::vector<DWORD> pixels;
  for (const char* row : kButtonPixels)
    for (int x = 0; x < kImageWidth; ++x) pixels.push_back(AsPixel(PixelColour(row[x])));
  return BitmapOfPixels(pixels, kImageWidth, kImageHeight);
}

ui::Bitmap MakeMagentaButtonFace(HBITMAP image, int width, int height) {
  std::vector<DWORD> pixels = ReadPixels(image, width, height);
  const DWORD face = AsPixel(GetSysColor(COLOR_BTNFACE));
  for (DWORD& p : pixels)
    if ((p & 0xFFFFFF) == AsPixel(kMagenta)) p = face;
  return BitmapOfPixels(pixels, width, height);
}

TfmWordConfig::TfmWordConfig() = default;

// The window goes while the whole form is there to see it go.
TfmWordConfig::~TfmWordConfig() { DestroyHandle(); }

void TfmWordConfig::Create(HWND owner, WordConfigEnvironment env) {
  env_ = std::move(env);
  CreateForm("Word interface configuration", kClientWidth, kClientHeight, owner);
  CenterOver(owner);
  HWND form = Handle();

  const int labelW = 78, fieldX = 10 + labelW, fieldW = 160, buttonX = 296, buttonW = 150, rowH = 25;
  laToolbar.Create(form, "Toolbar:", 10, 16, labelW, 15);
  cbToolbar.Create(form, fieldX, 12, fieldW, 200, false, 8, true);
  cbToolbar.SetHint("This is the list of toolbars defined on Word. Select the one you want to use");
  if (HWND field = FindWindowExA(cbToolbar.Handle(), nullptr, "Edit", nullptr))
    Hints().SetHint(field, cbToolbar.Hint());
  paIcon.Create(form, fieldX + fieldW + 10, 11, 26, 25, {}, ui::Panel::Bevel::Lowered);
  paIcon.SetHint("This is how the toolbar button will look like");
  imIcon.Create(paIcon.Handle(), 2, 2, 22, 21);
  btToolbar.Create(form, "Create Toolbar Button", buttonX, 11, buttonW, rowH);
  btToolbar.SetHint("Click to create a Toolbar button");

  laKeyboard.Create(form, "Key Shortcut:", 10, 54, labelW, 15);
  hkKeyboard.Create(form, fieldX, 50, fieldW, 23);
  hkKeyboard.SetHint("Click and press the keyboard combination you want to use");
  btKeyboard.Create(form, "Create Keyboard Shortcut", buttonX, 49, buttonW, rowH);
  btKeyboard.SetHint("Click to create a Keyboard Shorcut on Word");

  const int bottomY = 94;
  btClear.Create(form, "Clear Quillcard", 10, bottomY, 120, rowH);
  btClear.SetHint("Clear all toolbar buttons and keyboard shortcuts defined on Word");
  btHelp.Create(form, "Help", kClientWidth - 10 - 2 * 75 - 6, bottomY, 75, rowH);
  btHelp.SetHint("Get Help");
  btExit.Create(form, "Exit", kClientWidth - 10 - 75, bottomY, 75, rowH);
  btExit.SetHint("Exit this dialog");
  Status.Create(form, {-1});

  SetDefaultButton(&btExit);
  SetActionsEnabled(false);

  // The button image with its magenta turned into the button face.
  imIcon.SetBitmap(MakeMagentaButtonFace(CreateProgramButtonImage().Get(), kImageWidth, kImageHeight));

  btToolbar.onClick = [this] { btToolbarClick(); };
  btKeyboard.onClick = [this] { btKeyboardClick(); };
  btClear.onClick = [this] { btClearClick(); };
  btHelp.onClick = [this] { btHelpClick(); };
  btExit.onClick = [this] { btExitClick(); };
  SetFocusControl(cbToolbar.Handle());
}

LRESULT TfmWordConfig::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SHOWWINDOW:
      // Connect once the window is on the screen, so that what Word makes
      // the user wait for, and any message, comes with the window in view.
      if (wp && !shownOnce_) {
        shownOnce_ = true;
        PostMessageA(Handle(), kConnectMessage, 0, 0);
      }
      break;
    case kConnectMessage:
      OpenWordConnection();
      return 0;
    case WM_HELP:
      btHelpClick();
      return TRUE;
  }
  return Form::OnMessage(msg, wp, lp);
}

void TfmWordConfig::ShowStatus(const std::string& text) {
  Status.SetPanelText(0, text);
  UpdateWindow(Handle());
  UpdateWindow(Status.Handle());
}

void TfmWordConfig::SetActionsEnabled(bool on) {
  btToolbar.SetEnabled(on);
  btKeyboard.SetEnabled(on);
  btClear.SetEnabled(on);
}

WordBasic& TfmWordConfig::Session() {
  if (!ConfigSession().session) throw WordError("Word is not connected");
  return *ConfigSession().session;
}

bool TfmWordConfig::OpenWordConnection() {
  connected_ = true;
  bool result = false;
  try {
    Win32WordHost host;
    std::string version;
    WordGeneration generation = ProbeWord(host, *env_.messages, &version);
    // The slot's earlier session goes before the new one is made.
    ReleaseConfigSession();
    ConfigSession().generation = generation;
    if (generation == WordGeneration::None) throw WordError("no usable Word");
    ConfigSession().session = ConnectWord(generation);
    // An executable whose version cannot be read is asked through Word's application object.
    if (generation == WordGeneration::Word8 && MajorVersionOf(version) == 0) version = RunningApplicationVersion();
    ConfigSession().productVersion = version;

    cbToolbar.Clear();
    for (const std::string& name : ToolbarNames(Session())) cbToolbar.Add(name);
    if (cbToolbar.Count() > 0) cbToolbar.SetItemIndex(0);

    result = InstallTemplate();
    ShowStatus("Connection to Word successful");
  } catch (const std::exception&) {
    env_.messages->Information(kWordConnectionFailedMessage);
    result = false;
  }
  if (result) SetActionsEnabled(true);
  return result;
}

bool TfmWordConfig::InstallTemplate() {
  Win32TemplateHost host;
  return word::InstallTemplate(TemplatePlaceFor(ConfigSession().generation, ConfigSession().productVersion),
                               env_.programFolder, host, *env_.messages);
}

void TfmWordConfig::PutImageOnClipboard() {
  bool open = false;
  for (int attempt = 0; attempt < 10 && !(open = OpenClipboard(Handle()) != FALSE); ++attempt) Sleep(20);
  if (!open) throw WordError("The clipboard is in use");
  EmptyClipboard();
  // The clipboard owns the copy once it has taken it.
  ui::Bitmap copy(static_cast<HBITMAP>(CopyImage(imIcon.BitmapHandle(), IMAGE_BITMAP, 0, 0, 0)));
  bool placed = copy && SetClipboardData(CF_BITMAP, copy.Get());
  if (placed) (void)copy.Release();
  CloseClipboard();
  if (!placed) throw WordError("The button image could not be put on the clipboard");
}

bool TfmWordConfig::CreateToolbarButton(const std::string& toolbar) {
  try {
    AddProgramButton(Session(), toolbar, [this] { PutImageOnClipboard(); });
    ShowStatus("Toolbar button creation successful");
    return true;
  } catch (const std::exception&) {
    env_.messages->Information(kButtonFailedMessage);
    return false;
  }
}

int TfmWordConfig::WordKeyCodeOfHotKey(WORD hotKey) {
  int key = LOBYTE(hotKey), flags = HIBYTE(hotKey);
  if (key == 0) return 0;
  return WordKeyCode(key, flags & HOTKEYF_SHIFT, flags & HOTKEYF_CONTROL, flags & HOTKEYF_ALT);
}

bool TfmWordConfig::CreateKeyShortcut(WORD hotKey) {
  int code = WordKeyCodeOfHotKey(hotKey);
  if (code == 0) return false;
  try {
    AddProgramKey(Session(), code);
    ShowStatus("Keyboard shortcut creation successful");
    return true;
  } catch (const std::exception&) {
    env_.messages->Information(kKeyFailedMessage);
    return false;
  }
}

void TfmWordConfig::ClearWordItems() {
  std::vector<std::string> removed;
  try {
    RemoveProgramItems(Session(), [this](const std::string& s) { ShowStatus(s); }, removed, SystemKeyName);
  } catch (const std::exception&) {
    env_.messages->Information(kClearFailedMessage);
  }
  TfmResult result;
  result.Create(Handle(), removed);
  result.ShowModal(Handle());
}

void TfmWordConfig::RunAction(const std::function<void()>& action) {
  ActionRunning running([this](bool on) {
    SetActionsEnabled(on);
    btExit.SetEnabled(on);
    UpdateWindow(Handle());
  });
  action();
}

void TfmWordConfig::btToolbarClick() {
  RunAction([this] { CreateToolbarButton(cbToolbar.Text()); });
}

void TfmWordConfig::btKeyboardClick() {
  RunAction([this] { CreateKeyShortcut(hkKeyboard.Value()); });
}

void TfmWordConfig::btClearClick() {
  RunAction([this] { ClearWordItems(); });
}

void TfmWordConfig::btHelpClick() { ui::ShowHelpTopic(Handle(), kHelpWordInterface); }

void TfmWordConfig::btExitClick() { SetModalResult(ui::ModalResult::Ok); }

bool TfmWordConfig::EscapeKey() {
  if (btExit.Enabled()) btExitClick();
  return true;
}

// ---------------------------------------------------------------- the result window

TfmResult::~TfmResult() { DestroyHandle(); }

void TfmResult::Create(HWND owner, const std::vector<std::string>& items) {
  const int width = 300, height = 214;
  CreateForm("Clear Quillcard result", width, height, owner);
  CenterOver(owner);
  HWND form = Handle();
  laItems.Create(form, "The following items were deleted:", 10, 10, width - 20, 15);
  lb.Create(form, 10, 30, width - 20, 140, false);
  for (const std::string& item : items) lb.Add(item);
  btExit.Create(form, "Exit", (width - 75) / 2, height - 35, 75, 25);
  SetDefaultButton(&btExit);
  btExit.onClick = [this] { SetModalResult(ui::ModalResult::Ok); };
  SetFocusControl(btExit.Handle());
}

bool TfmResult::EscapeKey() {
  SetModalResult(ui::ModalResult::Cancel);
  return true;
}

}  // namespace qc::word
