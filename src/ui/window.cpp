#include "ui/window.h"

#include "ui/form.h"

namespace qc::ui {
namespace {

constexpr char kWindowClass[] = "QuillcardWindow";
constexpr UINT_PTR kSubclassId = 0x51434331;  // any constant of ours
int g_nextControlId = 1000;

ATOM RegisterWindowClass(WNDPROC proc) {
  static ATOM atom = 0;
  if (atom) return atom;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
  wc.lpszClassName = kWindowClass;
  atom = RegisterClassExA(&wc);
  return atom;
}

}  // namespace

HFONT DialogFont() {
  static HFONT font = [] {
    LOGFONTA lf{};
    lf.lfHeight = -11;  // 8 points at 96 dots per inch
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpyA(lf.lfFaceName, "MS Shell Dlg 2");
    return CreateFontIndirectA(&lf);
  }();
  return font;
}

// ---------------------------------------------------------------- Window

Window::~Window() {
  if (hwnd_) {
    HWND h = hwnd_;
    SetWindowLongPtrA(h, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    DestroyWindow(h);
  }
}

Window* Window::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (GetClassLongPtrA(hwnd, GCW_ATOM) != RegisterWindowClass(&Window::Trampoline)) return nullptr;
  return reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Window::CreateWindowObject(DWORD exStyle, const std::string& caption, DWORD style, int x,
                                int y, int w, int h, HWND parent) {
  RegisterWindowClass(&Window::Trampoline);
  HWND created = CreateWindowExA(exStyle, kWindowClass, caption.c_str(), style, x, y, w, h, parent,
                                 nullptr, GetModuleHandleA(nullptr), this);
  if (!created) throw std::runtime_error("Unable to create a window");
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefaultHandling(msg, wp, lp); }

LRESULT Window::DefaultHandling(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (ReflectToControl(msg, wp, lp, result)) return result;
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Window::Trampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    LRESULT r = 0;
    Guarded([&] { r = self->OnMessage(msg, wp, lp); });
    self->hwnd_ = nullptr;
    return r;
  }
  LRESULT result = 0;
  bool ok = false;
  Guarded([&] {
    result = self->OnMessage(msg, wp, lp);
    ok = true;
  });
  return ok ? result : 0;
}

// ---------------------------------------------------------------- reflection

bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      if (lp) {
        if (Control* c = Control::FromHandle(reinterpret_cast<HWND>(lp))) {
          bool handled = false;
          Guarded([&] { handled = c->HandleCommand(HIWORD(wp)); });
          result = 0;
          return handled;
        }
      }
      return false;
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      if (Control* c = Control::FromHandle(nm->hwndFrom)) {
        bool handled = false;
        Guarded([&] { handled = c->HandleNotify(nm, result); });
        return handled;
      }
      return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (Control* c = Control::FromHandle(reinterpret_cast<HWND>(lp))) {
        if (HBRUSH b = c->HandleCtlColor(reinterpret_cast<HDC>(wp))) {
          result = reinterpret_cast<LRESULT>(b);
          return true;
        }
      }
      return false;
    default:
      return false;
  }
}

// ---------------------------------------------------------------- Control

Control::~Control() {
  if (hwnd_) {
    RemoveWindowSubclass(hwnd_, &Control::SubclassProc, kSubclassId);
    SetPropA(hwnd_, "QcControl", nullptr);
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
  if (bgBrush_) DeleteObject(bgBrush_);
}

Control* Control::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  return static_cast<Control*>(GetPropA(hwnd, "QcControl"));
}

void Control::CreateControl(HWND parent, const char* className, const std::string& text,
                            DWORD style, DWORD exStyle, int x, int y, int w, int h) {
  id_ = g_nextControlId++;
  hwnd_ = CreateWindowExA(exStyle, className, text.c_str(), style | WS_CHILD, x, y, w, h, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)),
                          GetModuleHandleA(nullptr), nullptr);
  if (!hwnd_) throw std::runtime_error(std::string("Unable to create a control of class ") + className);
  SetPropA(hwnd_, "QcControl", this);
  SetWindowSubclass(hwnd_, &Control::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
}

std::string Control::Text() const {
  int n = GetWindowTextLengthA(hwnd_);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  int got = GetWindowTextA(hwnd_, s.data(), n + 1);
  s.resize(static_cast<size_t>(got > 0 ? got : 0));
  return s;
}

void Control::SetText(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }
bool Control::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
void Control::SetEnabled(bool on) { EnableWindow(hwnd_, on ? TRUE : FALSE); }
bool Control::Visible() const { return (GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
void Control::SetVisible(bool on) { ShowWindow(hwnd_, on ? SW_SHOWNA : SW_HIDE); }
void Control::SetFocus() { ::SetFocus(hwnd_); }

bool Control::Focused() const {
  HWND f = GetFocus();
  return f && (f == hwnd_ || IsChild(hwnd_, f));
}

void Control::SetBounds(int x, int y, int w, int h) {
  SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Control::Bounds() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Control::BringToFront() {
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Control::SetHint(const std::string& hint) {
  hint_ = hint;
  if (Form* f = FormOf(hwnd_)) f->Hints().SetHint(hwnd_, hint_);
}

void Control::SetFont(HFONT font) { SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void Control::SetTextColor(COLORREF colour) {
  if (textColor_ == colour) return;
  textColor_ = colour;
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool Control::HandleCommand(WORD) { return false; }
bool Control::HandleNotify(NMHDR*, LRESULT&) { return false; }

HBRUSH Control::HandleCtlColor(HDC dc) {
  if (textColor_ == CLR_INVALID) return nullptr;
  ::SetTextColor(dc, textColor_);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

void Control::FireKeyDown(WPARAM& key) {
  if (onKeyDown) onKeyDown(key);
}

LRESULT Control::CallDefault(UINT msg, WPARAM wp, LPARAM lp) { return DefSubclassProc(hwnd_, msg, wp, lp); }

LRESULT Control::SubclassedProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KEYDOWN:
      if (onKeyDown) {
        onKeyDown(wp);
        if (wp == 0) return 0;
      }
      break;
    case WM_KEYUP:
      if (onKeyUp) {
        onKeyUp(wp);
        if (wp == 0) return 0;
      }
      break;
    case WM_CHAR:
      if (onKeyPress) {
        char ch = static_cast<char>(wp);
        onKeyPress(ch);
        if (ch == 0) return 0;
        wp = static_cast<unsigned char>(ch);
      }
      break;
    case WM_SETFOCUS:
      if (onEnter) onEnter();
      break;
    case WM_KILLFOCUS:
      if (onExit) onExit();
      break;
    case WM_MOUSEMOVE:
      if (!mouseInside_) {
        mouseInside_ = true;
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&t);
        if (onMouseEnter) onMouseEnter();
      }
      break;
    case WM_MOUSELEAVE:
      mouseInside_ = false;
      if (onMouseLeave) onMouseLeave();
      break;
    case WM_LBUTTONDBLCLK:
      if (onDblClick) {
        LRESULT r = CallDefault(msg, wp, lp);
        onDblClick();
        return r;
      }
      break;
    default: {
      LRESULT result = 0;
      if (ReflectToControl(msg, wp, lp, result)) return result;
      break;
    }
  }
  return CallDefault(msg, wp, lp);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR ref) {
  auto* self = reinterpret_cast<Control*>(ref);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &Control::SubclassProc, kSubclassId);
    RemovePropA(hwnd, "QcControl");
    if (self) self->hwnd_ = nullptr;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  LRESULT result = 0;
  bool ok = false;
  Guarded([&] {
    result = self->SubclassedProc(msg, wp, lp);
    ok = true;
  });
  return ok ? result : 0;
}

Form* FormOf(HWND hwnd) {
  if (!hwnd) return nullptr;
  HWND root = GetAncestor(hwnd, GA_ROOT);
  return dynamic_cast<Form*>(Window::FromHandle(root));
}

}  // namespace qc::ui
