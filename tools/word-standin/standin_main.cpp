// The Word stand-in: a program of ours that plays the running Word towards
// Quillcard. A top-level window of class "OpusApp" shows the toolbars and the
// active document; the automation objects carry out the WordBasic commands on
// them; a click on a toolbar button or an assigned key runs its macro; a
// WM_COPYDATA channel lets tests and demonstrations open, read back and steer it.
//
// At start it loads the stand-in templates ("*.dot") of the startup folder
// named by STARTUP-PATH under the generation's Options key (for the later
// Word, without that value, its default folder in the user's application
// data), as Word loads its startup templates; their macros are command lines
// that it starts.
//
//   winwordN.exe [--open FILE] [--pos X,Y,W,H] [--ready EVENT] [--normal FILE] [-Embedding]
//                                        --normal: toolbars and keys are read from
//                                        FILE at start and written back after each
//                                        change, as Word keeps them in Normal.dot
//   winwordN.exe /RegServer | /UnregServer   registers the automation class for
//                                        the current user to stay, or removes it
//   winwordN.exe --send VERB [ARG...]    sends one request to the running
//                                        stand-in and prints the reply
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "automation.h"
#include "standin_protocol.h"
#include "text_convert.h"
#include "wordbasic.h"

namespace standin {
namespace {

#ifndef QC_STANDIN_GENERATION
#define QC_STANDIN_GENERATION 8
#endif

// Each generation keeps its options, the startup folder among them, in its own key.
// Word 2000 and later have a default startup folder for when the value is not set.
#if QC_STANDIN_GENERATION == 7
constexpr Flavour kFlavour{"7.0a", false, true, false};
constexpr char kOptionsKey[] = "Software\\Microsoft\\Word\\7.0\\Options";
constexpr bool kDefaultStartupFolder = false;
#elif QC_STANDIN_GENERATION == 16
constexpr Flavour kFlavour{"16.0", false, false, true};
constexpr char kOptionsKey[] = "Software\\Microsoft\\Office\\16.0\\Word\\Options";
constexpr bool kDefaultStartupFolder = true;
#else
constexpr Flavour kFlavour{"8.0", true, false, false};
constexpr char kOptionsKey[] = "Software\\Microsoft\\Office\\8.0\\Word\\Options";
constexpr bool kDefaultStartupFolder = false;
#endif

constexpr char kWindowClass[] = "OpusApp";
constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kDesk = RGB(128, 128, 128);
constexpr COLORREF kBar = RGB(212, 208, 200);

struct Options {
  std::string open, ready, normal;
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT, w = 640, h = 560;
  bool embedding = false;
  bool install = false, uninstall = false;
  std::vector<std::string> send;  // verb and arguments
};

std::vector<std::string> Arguments() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(ToAnsi(argv[i], lstrlenW(argv[i])));
  LocalFree(argv);
  return args;
}

Options ParseOptions() {
  Options o;
  std::vector<std::string> args = Arguments();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool more = i + 1 < args.size();
    if (a == "--open" && more) o.open = args[++i];
    else if (a == "--ready" && more) o.ready = args[++i];
    else if (a == "--normal" && more) o.normal = args[++i];
    else if (a == "--pos" && more) std::sscanf(args[++i].c_str(), "%d,%d,%d,%d", &o.x, &o.y, &o.w, &o.h);
    else if (lstrcmpiA(a.c_str(), "-Embedding") == 0 || lstrcmpiA(a.c_str(), "/Embedding") == 0) o.embedding = true;
    else if (lstrcmpiA(a.c_str(), "/RegServer") == 0 || lstrcmpiA(a.c_str(), "-RegServer") == 0) o.install = true;
    else if (lstrcmpiA(a.c_str(), "/UnregServer") == 0 || lstrcmpiA(a.c_str(), "-UnregServer") == 0) o.uninstall = true;
    else if (a == "--send") {
      o.send.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
  }
  return o;
}

std::string ReadFile(const std::string& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  if (path.empty()) return true;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithSlash(const std::string& folder) {
  return folder.empty() || folder.back() == '\\' || folder.back() == '/' ? folder : folder + "\\";
}

// ---------------------------------------------------------------- what Word keeps

// The startup folder as Word's options name it; without the value, the
// later Word's default folder, else empty text.
std::string StartupFolder() {
  char value[MAX_PATH * 4] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kOptionsKey, "STARTUP-PATH", RRF_RT_REG_SZ, nullptr, value, &size) ==
          ERROR_SUCCESS &&
      value[0])
    return value;
  char appData[MAX_PATH] = {};
  if (!kDefaultStartupFolder || FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
    return {};
  return std::string(appData) + "\\Microsoft\\Word\\STARTUP";
}

// Every stand-in template among the folder's "*.dot" files, in name order.
void LoadStartupTemplates(WordApp& app, const std::string& folder) {
  constexpr DWORD kLargestTemplate = 1 << 20;
  if (folder.empty()) return;
  std::string dir = WithSlash(folder);
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((dir + "*.dot").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    // The pattern also matches longer extensions through short names: only ".dot" itself counts.
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() > 4 &&
        lstrcmpiA(name.c_str() + name.size() - 4, ".dot") == 0 && found.nFileSizeHigh == 0 &&
        found.nFileSizeLow <= kLargestTemplate)
      names.push_back(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
  for (const std::string& name : names) {
    bool ok = false;
    std::string text = ReadFile(dir + name, ok);
    if (!ok) continue;
    if (std::optional<std::vector<Macro>> macros = ParseTemplate(text)) app.AddTemplate({dir + name, *macros});
  }
}

// The Normal file: a missing or damaged one leaves the defaults in place.
bool LoadNormal(WordApp& app, const std::string& path) {
  bool ok = false;
  std::string text = ReadFile(path, ok);
  if (!ok) return true;
  std::optional<Customisations> c = ReadNormal(text);
  if (c) app.SetCustomisations(std::move(*c));
  return c.has_value();
}

// Written whole beside the file, then put in its place.
bool SaveNormal(const WordApp& app, const std::string& path) {
  std::string fresh = path + ".new";
  if (!WriteFile(fresh, WriteNormal(app.GetCustomisations()))) return false;
  return MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// ---------------------------------------------------------------- what Word asks of Windows

std::string SystemMessage(DWORD error) {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = text ? text : "";
  LocalFree(text);
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s.empty() ? "error " + std::to_string(error) : s;
}

// Starts a macro's command line without waiting for it. As Windows does, a
// program named without a folder is looked for in Word's own folder first.
std::string StartProgram(const std::string& commandLine) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;  // CreateProcessA may write into it
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return "failed: " + SystemMessage(GetLastError());
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return "started " + std::to_string(pi.dwProcessId);
}

// The pixels of the clipboard's bitmap; nullopt when there is none, or it is
// larger than a button image may be.
std::optional<ButtonImage> ClipboardBitmap(HWND owner) {
  if (!OpenClipboard(owner)) return std::nullopt;
  std::optional<ButtonImage> image;
  BITMAP info{};
  auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  if (bitmap && GetObjectA(bitmap, sizeof info, &info) && info.bmWidth >= 1 && info.bmHeight >= 1 &&
      info.bmWidth <= kMaxImageSide && info.bmHeight <= kMaxImageSide) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = -info.bmHeight;  // rows from the top
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    ButtonImage read{info.bmWidth, info.bmHeight,
                     std::vector<std::uint32_t>(static_cast<size_t>(info.bmWidth) * info.bmHeight)};
    HDC screen = GetDC(nullptr);
    if (GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), read.pixels.data(), &bi, DIB_RGB_COLORS) ==
        info.bmHeight) {
      for (std::uint32_t& p : read.pixels) p &= 0xFFFFFF;  // blue, green, red, unused: 0x00RRGGBB
      image = std::move(read);
    }
    ReleaseDC(nullptr, screen);
  }
  CloseClipboard();
  return image;
}

// ---------------------------------------------------------------- the window

class StandinWindow {
 public:
  explicit StandinWindow(WordApp& app) : app_(app) {}

  HWND Create(const Options& o) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &StandinWindow::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = nullptr;
    wc.lpszClassName = kWindowClass;
    RegisterClassExA(&wc);
    hwnd_ = CreateWindowExA(0, kWindowClass, "", WS_OVERLAPPEDWINDOW, o.x, o.y, o.w, o.h, nullptr, nullptr,
                            GetModuleHandleA(nullptr), this);
    LOGFONTA lf{};
    lf.lfHeight = -15;
    lf.lfCharSet = ANSI_CHARSET;
    lstrcpyA(lf.lfFaceName, "Times New Roman");
    docFont_ = CreateFontIndirectA(&lf);
    lf.lfHeight = -11;
    lstrcpyA(lf.lfFaceName, "Tahoma");
    uiFont_ = CreateFontIndirectA(&lf);
    Changed();
    return hwnd_;
  }

  ~StandinWindow() {
    DeleteObject(docFont_);
    DeleteObject(uiFont_);
  }

  HWND Handle() const { return hwnd_; }
  void SetStartupFolder(const std::string& folder) { startupFolder_ = folder; }
  void SetStatus(const std::string& text) {
    status_ = text;
    Changed();
  }

  void Changed() {
    Document* doc = app_.ActiveDocument();
    std::string caption = (doc ? doc->Name() + " - " : std::string()) + "Word Stand-in " + kFlavour.version;
    SetWindowTextA(hwnd_, caption.c_str());
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  // AppShow: a hidden Word becomes visible, as it was (a minimised one stays
  // minimised), and comes forward.
  void Show() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
  }

  // AppRestore: a minimised or maximised Word takes its normal size again.
  void Restore() {
    if (IsIconic(hwnd_) || IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  }

  std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(hwnd_)) return text;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
      if (const char* p = static_cast<const char*>(GlobalLock(h))) {
        text = p;
        GlobalUnlock(h);
      }
    }
    CloseClipboard();
    return text;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
      SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<StandinWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
      case WM_PAINT: self->Paint(); return 0;
      case WM_ERASEBKGND: return 1;
      case WM_SIZE: InvalidateRect(hwnd, nullptr, FALSE); return 0;
      case WM_LBUTTONDOWN: self->MouseDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}); return 0;
      case WM_LBUTTONUP: self->MouseUp(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}); return 0;
      case WM_CAPTURECHANGED:
        self->pressed_.reset();
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        return self->KeyDown(wp) ? 0 : DefWindowProcA(hwnd, msg, wp, lp);
      case WM_CHAR:
      case WM_SYSCHAR:
        // The character of a key that ran a macro goes no further (Alt+Space would open the system menu).
        if (self->swallowChar_) {
          self->swallowChar_ = false;
          return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
      case WM_COPYDATA: return self->Control(reinterpret_cast<COPYDATASTRUCT*>(lp)) ? 1 : 0;
      case WM_DESTROY: PostQuitMessage(0); return 0;
      default: return DefWindowProcA(hwnd, msg, wp, lp);
    }
  }

  // ---- the control channel
  bool Control(const COPYDATASTRUCT* data) {
    if (!data || data->dwData != protocol::kCopyDataId || !data->lpData) return false;
    std::string request(static_cast<const char*>(data->lpData), data->cbData);
    std::vector<std::string> lines;
    for (size_t a = 0;;) {
      size_t b = request.find('\n', a);
      lines.push_back(request.substr(a, b == std::string::npos ? std::string::npos : b - a));
      if (b == std::string::npos) break;
      a = b + 1;
    }
    while (lines.size() < 2) lines.emplace_back();
    const std::string& verb = lines[0];
    const std::string& reply = lines[1];
    std::vector<std::string> args(lines.begin() + 2, lines.end());
    bool ok = true;
    if (verb == "open" && !args.empty()) {
      std::string text = ReadFile(args[0], ok);
      if (ok) app_.OpenDocument(BaseName(args[0]), text);
    } else if (verb == "text") {
      Document* doc = app_.ActiveDocument();
      ok = doc && WriteFile(reply, doc->Text());
    } else if (verb == "log") {
      std::string out;
      for (const std::string& line : app_.Log()) out += line + "\n";
      ok = WriteFile(reply, out);
    } else if (verb == "clear-log") {
      app_.ClearLog();
    } else if (verb == "fail" && !args.empty()) {
      app_.FailCall(args[0], args.size() > 1 ? std::atoi(args[1].c_str()) : 1);
    } else if (verb == "close-all") {
      app_.CloseAllDocuments();
    } else if (verb == "state") {
      Document* doc = app_.ActiveDocument();
      std::string out = std::string("version=") + kFlavour.version + "\nvisible=" +
                        (IsWindowVisible(hwnd_) ? "1" : "0") + "\nminimised=" + (IsIconic(hwnd_) ? "1" : "0") +
                        "\ndocuments=" +
                        std::to_string(app_.Documents().size()) + "\nactive=" + (doc ? doc->Name() : "") + "\n";
      ok = WriteFile(reply, out);
    } else if (verb == "toolbars") {
      std::string out;
      for (const Toolbar& t : app_.Toolbars()) {
        if (t.buttons.empty()) out += t.name + "\t0\t\t\n";
        for (size_t i = 0; i < t.buttons.size(); ++i)
          out += t.name + "\t" + std::to_string(i + 1) + "\t" + t.buttons[i].macro + "\t" +
                 ImageText(t.buttons[i].image) + "\n";
      }
      ok = WriteFile(reply, out);
    } else if (verb == "keys") {
      std::string out;
      for (const KeyAssignment& k : app_.Keys()) out += std::to_string(k.code) + "\t" + k.macro + "\n";
      ok = WriteFile(reply, out);
    } else if (verb == "remove-toolbars") {
      app_.RemoveToolbars();
    } else if (verb == "click" && args.size() >= 2) {
      ok = Click(args[0], std::atoi(args[1].c_str()));
    } else if (verb == "press" && !args.empty()) {
      Press(std::atoi(args[0].c_str()));
    } else if (verb == "templates") {
      std::string out = "startup=" + startupFolder_ + "\n";
      for (const Template& t : app_.Templates()) out += t.path + "\n";
      ok = WriteFile(reply, out);
    } else if (verb == "macros") {
      std::string out;
      for (const MacroRun& run : app_.MacroRuns()) out += run.name + "\t" + run.result + "\n";
      ok = WriteFile(reply, out);
    } else if (verb == "quit") {
      PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    } else {
      ok = false;
    }
    Changed();
    return ok;
  }

  // ---- macros: from toolbar buttons and keys
  void RunMacro(const std::string& name) {
    // Word's own commands and unknown names are "not found": nothing starts.
    const MacroRun& run = app_.RunMacro(name);
    SetStatus(name + ": " + run.result + (run.result == "not found" ? ", nothing started" : ""));
  }

  // The button (toolbar index, button index) under a point of the client area.
  std::optional<std::pair<size_t, size_t>> ButtonAt(POINT p) const {
    if (p.x < kFirstButtonX || p.y < 0) return std::nullopt;
    size_t row = static_cast<size_t>(p.y / kRowHeight);
    size_t index = static_cast<size_t>((p.x - kFirstButtonX) / kButtonStep);
    if (row >= app_.Toolbars().size() || index >= app_.Toolbars()[row].buttons.size()) return std::nullopt;
    RECT box = ButtonBox(row, index);
    if (!PtInRect(&box, p)) return std::nullopt;
    return std::make_pair(row, index);
  }

  static RECT ButtonBox(size_t row, size_t index) {
    int x = kFirstButtonX + static_cast<int>(index) * kButtonStep, top = static_cast<int>(row) * kRowHeight;
    return RECT{x, top + 2, x + kButtonSize, top + 2 + kButtonSize};
  }

  // A button runs its macro when the mouse button is let go over it.
  void MouseDown(POINT p) {
    pressed_ = ButtonAt(p);
    if (!pressed_) return;
    SetCapture(hwnd_);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void MouseUp(POINT p) {
    std::optional<std::pair<size_t, size_t>> pressed = pressed_;
    if (GetCapture() == hwnd_) ReleaseCapture();
    pressed_.reset();
    InvalidateRect(hwnd_, nullptr, FALSE);
    if (pressed && ButtonAt(p) == pressed) RunMacro(app_.Toolbars()[pressed->first].buttons[pressed->second].macro);
  }

  bool Click(const std::string& toolbar, int position) {
    for (const Toolbar& t : app_.Toolbars()) {
      if (!SameName(t.name, toolbar)) continue;
      if (position < 1 || position > static_cast<int>(t.buttons.size())) return false;
      RunMacro(t.buttons[static_cast<size_t>(position - 1)].macro);
      return true;
    }
    return false;
  }

  // Runs the macro assigned to a Word key code; false when none is.
  bool Press(int code) {
    const std::string* macro = app_.KeyMacro(code);
    if (!macro) return false;
    RunMacro(std::string(*macro));
    return true;
  }

  bool KeyDown(WPARAM vk) {
    swallowChar_ = false;
    if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || (vk >= VK_LSHIFT && vk <= VK_RMENU)) return false;
    if (!Press(WordKeyCode(static_cast<int>(vk), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0,
                           GetKeyState(VK_MENU) < 0)))
      return false;
    swallowChar_ = true;
    return true;
  }

  // ---- painting
  static void DrawImage(HDC dc, const ButtonImage& image, const RECT& box) {
    // Within the button's edge, at its own size or scaled down to fit.
    const int room = kButtonSize - 4;
    int w = image.width, h = image.height;
    if (w > room || h > room) {
      double scale = std::min(static_cast<double>(room) / w, static_cast<double>(room) / h);
      w = std::max(1, static_cast<int>(w * scale));
      h = std::max(1, static_cast<int>(h * scale));
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = image.width;
    bi.bmiHeader.biHeight = -image.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, (box.left + box.right - w) / 2, (box.top + box.bottom - h) / 2, w, h, 0, 0, image.width,
                  image.height, image.pixels.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
  }

  int ParagraphHeight(HDC dc, const std::string& text, int width) {
    RECT r{0, 0, width, 0};
    std::string shown = Displayed(text);
    DrawTextA(dc, shown.empty() ? " " : shown.c_str(), -1, &r,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    return r.bottom - r.top;
  }

  static std::string Displayed(const std::string& text) {
    std::string s;
    for (char c : text) {
      if (c == kLineBreak) s += "\r\n";
      else s += c;
    }
    return s;
  }

  void DrawParagraph(HDC dc, const std::string& text, RECT r) {
    std::string shown = Displayed(text);
    DrawTextA(dc, shown.c_str(), -1, &r, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  }

  void Paint() {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);

    HBRUSH desk = CreateSolidBrush(kDesk), bar = CreateSolidBrush(kBar), paper = CreateSolidBrush(kPaper);
    FillRect(dc, &client, desk);
    SetBkMode(dc, TRANSPARENT);

    // The toolbars across the top, one row each, a box per button.
    HGDIOBJ oldFont = SelectObject(dc, uiFont_);
    int top = 0;
    for (size_t r = 0; r < app_.Toolbars().size(); ++r) {
      const Toolbar& t = app_.Toolbars()[r];
      RECT row{0, top, client.right, top + kRowHeight};
      FillRect(dc, &row, bar);
      for (size_t i = 0; i < t.buttons.size(); ++i) {
        const ToolbarButton& b = t.buttons[i];
        RECT box = ButtonBox(r, i);
        bool down = pressed_ && *pressed_ == std::make_pair(r, i);
        DrawEdge(dc, &box, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        if (!b.image.Empty()) {
          DrawImage(dc, b.image, box);
          continue;
        }
        // Without a picture, the macro's capitals stand in for one.
        std::string face;
        for (char c : b.macro)
          if (c >= 'A' && c <= 'Z' && face.size() < 2) face += c;
        if (face.empty() && !b.macro.empty()) face = b.macro.substr(0, 1);
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextA(dc, face.c_str(), -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      }
      top += kRowHeight;
    }

    // The status line at the foot.
    RECT status{0, client.bottom - 20, client.right, client.bottom};
    FillRect(dc, &status, bar);
    Document* doc = app_.ActiveDocument();
    std::string statusText = "  " + (doc ? doc->Name() : std::string("No document")) + "    Word " +
                             kFlavour.version + "    " + std::to_string(app_.Log().size()) + " commands received" +
                             (status_.empty() ? "" : "    " + status_);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, statusText.c_str(), -1, &status, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);

    // The page.
    RECT page{24, top + 12, client.right - 24, client.bottom - 32};
    if (doc && page.right > page.left + 80 && page.bottom > page.top + 40) {
      FillRect(dc, &page, paper);
      FrameRect(dc, &page, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      SelectObject(dc, docFont_);
      HRGN clip = CreateRectRgn(page.left + 1, page.top + 1, page.right - 1, page.bottom - 1);
      SelectClipRgn(dc, clip);
      const int left = page.left + 40, right = page.right - 40, width = right - left;
      int y = page.top + 30;
      for (const Block& b : doc->Blocks()) {
        if (!b.table) {
          int h = ParagraphHeight(dc, b.paragraph, width);
          DrawParagraph(dc, b.paragraph, RECT{left, y, right, y + h});
          y += h;
          continue;
        }
        size_t columns = 1;
        for (const auto& row : b.rows) columns = std::max(columns, row.size());
        int cellW = width / static_cast<int>(columns);
        for (const auto& row : b.rows) {
          int h = 0;
          for (const std::string& cell : row) h = std::max(h, ParagraphHeight(dc, cell, cellW - 8));
          h += 6;
          for (size_t c = 0; c < columns; ++c) {
            RECT cellRect{left + static_cast<int>(c) * cellW, y, left + static_cast<int>(c + 1) * cellW + 1, y + h + 1};
            FrameRect(dc, &cellRect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            if (c < row.size())
              DrawParagraph(dc, row[c], RECT{cellRect.left + 4, y + 3, cellRect.right - 4, y + h});
          }
          y += h;
        }
      }
      SelectClipRgn(dc, nullptr);
      DeleteObject(clip);
    }

    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    DeleteObject(desk);
    DeleteObject(bar);
    DeleteObject(paper);
    EndPaint(hwnd_, &ps);
  }

  // The toolbar rows across the top, a box per button.
  static constexpr int kRowHeight = 26;
  static constexpr int kFirstButtonX = 6;
  static constexpr int kButtonStep = 24;
  static constexpr int kButtonSize = 22;

  WordApp& app_;
  HWND hwnd_ = nullptr;
  HFONT docFont_ = nullptr;
  HFONT uiFont_ = nullptr;
  std::string startupFolder_;
  std::string status_;
  std::optional<std::pair<size_t, size_t>> pressed_;  // the button under a held mouse button
  bool swallowChar_ = false;  // the character of a key that ran a macro
};

// ---------------------------------------------------------------- --send

int Send(const std::vector<std::string>& request) {
  HWND target = FindWindowA(kWindowClass, nullptr);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  auto print = [&](const std::string& s) {
    DWORD written = 0;
    if (out && out != INVALID_HANDLE_VALUE) ::WriteFile(out, s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
  };
  if (!target || request.empty()) {
    print("no running Word stand-in\n");
    return 2;
  }
  char dir[MAX_PATH], file[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetTempFileNameA(dir, "wsr", 0, file);
  std::string text = request[0] + "\n" + file;
  for (size_t i = 1; i < request.size(); ++i) text += "\n" + request[i];
  COPYDATASTRUCT data{protocol::kCopyDataId, static_cast<DWORD>(text.size()), text.data()};
  LRESULT ok = SendMessageA(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  bool read = false;
  print(ReadFile(file, read));
  DeleteFileA(file);
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace standin

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace standin;
  Options options = ParseOptions();
  if (!options.send.empty()) return Send(options.send);
  if (options.install || options.uninstall) {
    if (options.install) Automation::Install(kFlavour);
    else Automation::Uninstall(kFlavour);
    return 0;
  }

  OleInitialize(nullptr);
  int exitCode = 0;
  {
    WordApp app;
    std::string startup = StartupFolder();
    LoadStartupTemplates(app, startup);
    bool normalRead = options.normal.empty() || LoadNormal(app, options.normal);
    StandinWindow window(app);
    window.Create(options);
    window.SetStartupFolder(startup);
    if (!normalRead) window.SetStatus("The Normal file is damaged: default toolbars and keys");
    app.appShow = [&] { window.Show(); };
    app.appRestore = [&] { window.Restore(); };
    app.clipboardText = [&] { return window.ClipboardText(); };
    app.clipboardBitmap = [&] { return ClipboardBitmap(window.Handle()); };
    app.startProgram = StartProgram;
    app.customised = [&] {
      if (!options.normal.empty() && !SaveNormal(app, options.normal))
        window.SetStatus("Could not save the Normal file " + options.normal);
    };
    if (!options.open.empty()) {
      bool ok = false;
      std::string text = ReadFile(options.open, ok);
      if (ok) app.OpenDocument(BaseName(options.open), text);
    }
    Automation automation(app, kFlavour, [&] { window.Changed(); });
    automation.Register();
    window.Changed();
    // Word started for automation stays out of sight until asked to show itself.
    if (!options.embedding) {
      ShowWindow(window.Handle(), SW_SHOW);
      UpdateWindow(window.Handle());
    }
    if (!options.ready.empty()) {
      if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, options.ready.c_str())) {
        SetEvent(ready);
        CloseHandle(ready);
      }
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    exitCode = static_cast<int>(msg.wParam);
    automation.Revoke();
  }
  OleUninitialize();
  return exitCode;
}
