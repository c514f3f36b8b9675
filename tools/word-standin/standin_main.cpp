// The Word stand-in: a program of ours that plays the running Word towards
// Quillcard. A top-level window of class "OpusApp" shows the active document;
// the automation objects carry out the WordBasic commands on it; a WM_COPYDATA
// channel lets tests and demonstrations open, read back and steer it.
//
//   winwordN.exe [--open FILE] [--pos X,Y,W,H] [--ready EVENT] [-Embedding]
//   winwordN.exe /RegServer | /UnregServer   registers the automation class for
//                                        the current user to stay, or removes it
//   winwordN.exe --send VERB [ARG...]    sends one request to the running
//                                        stand-in and prints the reply
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
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

#if QC_STANDIN_GENERATION == 7
constexpr Flavour kFlavour{"7.0a", false, true, false};
#elif QC_STANDIN_GENERATION == 16
constexpr Flavour kFlavour{"16.0", false, false, true};
#else
constexpr Flavour kFlavour{"8.0", true, false, false};
#endif

constexpr char kWindowClass[] = "OpusApp";
constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kDesk = RGB(128, 128, 128);
constexpr COLORREF kBar = RGB(212, 208, 200);

struct Options {
  std::string open, ready;
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
  return static_cast<bool>(out);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

  void Changed() {
    Document* doc = app_.ActiveDocument();
    std::string caption = (doc ? doc->Name() + " - " : std::string()) + "Word Stand-in " + kFlavour.version;
    SetWindowTextA(hwnd_, caption.c_str());
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void Show() {
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
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
                        (IsWindowVisible(hwnd_) ? "1" : "0") + "\ndocuments=" +
                        std::to_string(app_.Documents().size()) + "\nactive=" + (doc ? doc->Name() : "") + "\n";
      ok = WriteFile(reply, out);
    } else if (verb == "quit") {
      PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    } else {
      ok = false;
    }
    Changed();
    return ok;
  }

  // ---- painting
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
    for (const Toolbar& t : app_.Toolbars()) {
      RECT row{0, top, client.right, top + 26};
      FillRect(dc, &row, bar);
      int x = 6;
      for (const ToolbarButton& b : t.buttons) {
        RECT box{x, top + 2, x + 22, top + 24};
        DrawEdge(dc, &box, BDR_RAISEDINNER, BF_RECT);
        std::string face;
        for (char c : b.macro)
          if (c >= 'A' && c <= 'Z' && face.size() < 2) face += c;
        if (face.empty() && !b.macro.empty()) face = b.macro.substr(0, 1);
        SetTextColor(dc, b.pastedImage ? RGB(0, 0, 160) : RGB(0, 0, 0));
        DrawTextA(dc, face.c_str(), -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        x += 24;
      }
      top += 26;
    }

    // The status line at the foot.
    RECT status{0, client.bottom - 20, client.right, client.bottom};
    FillRect(dc, &status, bar);
    Document* doc = app_.ActiveDocument();
    std::string statusText = "  " + (doc ? doc->Name() : std::string("No document")) + "    Word " +
                             kFlavour.version + "    " + std::to_string(app_.Log().size()) + " commands received";
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextA(dc, statusText.c_str(), -1, &status, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

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

  WordApp& app_;
  HWND hwnd_ = nullptr;
  HFONT docFont_ = nullptr;
  HFONT uiFont_ = nullptr;
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
    StandinWindow window(app);
    window.Create(options);
    app.appShow = [&] { window.Show(); };
    app.clipboardText = [&] { return window.ClipboardText(); };
    app.clipboardHasBitmap = [] { return IsClipboardFormatAvailable(CF_BITMAP) != FALSE; };
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
