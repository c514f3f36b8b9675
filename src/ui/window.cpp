#include "ui/window.h"

#include <windowsx.h>

#include <array>

#include "ui/dpi.h"
#include "ui/form.h"
#include "ui/handles.h"

namespace qc::ui {
namespace {

constexpr char kWindowClass[] = "QuillcardWindow";
constexpr char kPanelClass[] = "QuillcardPanel";
int g_nextControlId = 1000;

// A window class of ours: one of our own, or a standard class superclassed
// under its own name (an application's local class of a system class's name
// takes that class's place for the application's windows). Windows of these
// classes that no object of ours created (the edit field a combo box makes
// for itself, a window made by hand) pass through to the standard procedure.
struct ClassEntry {
  char name[40] = {};
  ATOM registered = 0;  // as RegisterClassEx gave it
  ATOM seen = 0;        // as GetClassLongPtr reports it (differs where the class name is versioned)
  WNDPROC base = nullptr;
  int slot = 0;         // where the object pointer is, after the standard class's own bytes
  bool window = false;  // its objects are Window objects; else Control objects
};

std::array<ClassEntry, 16> g_classes;
size_t g_classCount = 0;

// The object whose window is being created, until its WM_NCCREATE links it.
thread_local void* g_pending = nullptr;
// The window that an object is destroying: the windows around it are not
// told about it through their objects (one of them may be half destroyed,
// its members going before it).
thread_local HWND g_destroying = nullptr;

class DestroyingScope {
 public:
  explicit DestroyingScope(HWND hwnd) : previous_(std::exchange(g_destroying, hwnd)) {}
  ~DestroyingScope() { g_destroying = previous_; }
  DestroyingScope(const DestroyingScope&) = delete;
  DestroyingScope& operator=(const DestroyingScope&) = delete;

 private:
  HWND previous_;
};

bool Muted(HWND hwnd) { return g_destroying && hwnd != g_destroying && IsChild(hwnd, g_destroying); }

ClassEntry* FindByName(const char* name) {
  for (size_t i = 0; i < g_classCount; ++i)
    if (lstrcmpiA(g_classes[i].name, name) == 0) return &g_classes[i];
  return nullptr;
}

ClassEntry& AddEntry(const char* name, ATOM atom, WNDPROC base, int slot, bool window) {
  if (g_classCount == g_classes.size()) throw std::runtime_error("Too many window classes");
  ClassEntry& e = g_classes[g_classCount++];
  lstrcpynA(e.name, name, sizeof e.name);
  e.registered = atom;
  e.base = base;
  e.slot = slot;
  e.window = window;
  return e;
}

}  // namespace

namespace detail {

struct Link {
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  // The class entry of a window of our procedure; null for any other window.
  static ClassEntry* EntryOf(HWND hwnd) {
    if (!hwnd || reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC)) != &Procedure) return nullptr;
    return KnownEntryOf(hwnd);
  }

  // The entry of a window known to be of our procedure.
  static ClassEntry* KnownEntryOf(HWND hwnd) {
    const ATOM atom = static_cast<ATOM>(GetClassLongPtrA(hwnd, GCW_ATOM));
    for (size_t i = 0; i < g_classCount; ++i)
      if (g_classes[i].seen == atom || g_classes[i].registered == atom) return &g_classes[i];
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    ClassEntry* e = FindByName(name);
    if (e) e->seen = atom;
    return e;
  }

  static void* ObjectOf(HWND hwnd, const ClassEntry& c) {
    return reinterpret_cast<void*>(GetWindowLongPtrA(hwnd, c.slot));
  }

  static const ClassEntry& OwnClass(const char* name, bool window) {
    if (ClassEntry* e = FindByName(name)) return *e;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Procedure;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    if (window) wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
    wc.lpszClassName = name;
    ATOM atom = RegisterClassExA(&wc);
    if (!atom) throw std::runtime_error(std::string("Unable to register the window class ") + name);
    return AddEntry(name, atom, &DefWindowProcA, 0, window);
  }

  // Our class of a standard class's name, registered on first use from the
  // standard class, with room for the object pointer after its own bytes.
  static const ClassEntry& Superclass(const char* name) {
    if (ClassEntry* e = FindByName(name)) return *e;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    bool found = GetClassInfoExA(nullptr, name, &wc) != FALSE;
    if (!found) {
      // The common controls' classes exist once the library has registered them.
      INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                               ICC_HOTKEY_CLASS | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
      InitCommonControlsEx(&icc);
      found = GetClassInfoExA(nullptr, name, &wc) || GetClassInfoExA(GetModuleHandleA("comctl32.dll"), name, &wc);
    }
    if (!found) throw std::runtime_error(std::string("Unable to create a control of class ") + name);
    const WNDPROC base = wc.lpfnWndProc;
    const int slot = wc.cbWndExtra;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Procedure;
    wc.cbWndExtra = slot + static_cast<int>(sizeof(void*));
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = name;
    ATOM atom = RegisterClassExA(&wc);
    if (!atom) throw std::runtime_error(std::string("Unable to create a control of class ") + name);
    return AddEntry(name, atom, base, slot, false);
  }

  static const ClassEntry& ClassNamed(const char* name) {
    if (lstrcmpiA(name, kWindowClass) == 0) return OwnClass(kWindowClass, true);
    if (lstrcmpiA(name, kPanelClass) == 0) return OwnClass(kPanelClass, false);
    return Superclass(name);
  }

  static void Unlink(HWND hwnd) {
    if (ClassEntry* c = KnownEntryOf(hwnd)) SetWindowLongPtrA(hwnd, c->slot, 0);
  }

  static void RelayToHint(HWND tip, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_MOUSEMOVE:
      case WM_NCMOUSEMOVE:
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
        break;
      default:
        return;
    }
    MSG m{};
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    m.time = static_cast<DWORD>(GetMessageTime());
    const DWORD pos = GetMessagePos();
    m.pt = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    const WPARAM extra = msg == WM_MOUSEMOVE ? static_cast<WPARAM>(GetMessageExtraInfo()) : 0;
    SendMessageA(tip, TTM_RELAYEVENT, extra, reinterpret_cast<LPARAM>(&m));
  }

  static LRESULT Deliver(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    bool ok = false;
    Guarded([&] {
      result = w.OnMessage(msg, wp, lp);
      ok = true;
    });
    return ok ? result : 0;
  }

  static LRESULT Deliver(Control& c, UINT msg, WPARAM wp, LPARAM lp) {
    if (c.hintTip_) RelayToHint(c.hintTip_, c.hwnd_, msg, wp, lp);
    if (msg == WM_NCDESTROY) c.ForgetHint();
    LRESULT result = 0;
    bool ok = false;
    Guarded([&] {
      result = c.OnMessage(msg, wp, lp);
      ok = true;
    });
    return ok ? result : 0;
  }
};

LRESULT CALLBACK Link::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const ClassEntry* c = KnownEntryOf(hwnd);
  if (!c) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCCREATE && g_pending &&
      reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams == g_pending) {
    // Link the object being created to its window, before anything else reaches either.
    void* object = std::exchange(g_pending, nullptr);
    SetWindowLongPtrA(hwnd, c->slot, reinterpret_cast<LONG_PTR>(object));
    if (c->window) static_cast<Window*>(object)->hwnd_ = hwnd;
    else static_cast<Control*>(object)->hwnd_ = hwnd;
  }
  void* object = ObjectOf(hwnd, *c);
  if (!object || Muted(hwnd)) return CallWindowProcA(c->base, hwnd, msg, wp, lp);
  LRESULT result = c->window ? Deliver(*static_cast<Window*>(object), msg, wp, lp)
                             : Deliver(*static_cast<Control*>(object), msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    // The window is gone: the object keeps no handle of it.
    SetWindowLongPtrA(hwnd, c->slot, 0);
    if (c->window) static_cast<Window*>(object)->hwnd_ = nullptr;
    else static_cast<Control*>(object)->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace detail

using detail::Link;

HFONT DialogFont() {
  static const Font font = [] {
    LOGFONTA lf{};
    lf.lfHeight = -11;  // 8 points at 96 dots per inch
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpyA(lf.lfFaceName, "MS Shell Dlg 2");
    return Font(CreateFontIndirectA(&lf));
  }();
  return font.Get();
}

HFONT DialogFont(UINT dpi) {
  LOGFONTA lf{};
  GetObjectA(DialogFont(), sizeof lf, &lf);
  return FontForDpi(lf, dpi);
}

UINT DpiForChildrenOf(HWND parent) {
  if (const Control* c = Control::FromHandle(parent)) return c->Dpi();
  if (const Window* w = Window::FromHandle(parent)) return w->Dpi();
  return DpiOfWindow(parent);
}

// ---------------------------------------------------------------- Window

Window::~Window() { DestroyDetached(); }

void Window::DestroyDetached() {
  if (!hwnd_) return;
  HWND h = std::exchange(hwnd_, nullptr);
  Link::Unlink(h);
  DestroyingScope destroying(h);
  DestroyWindow(h);
}

void Window::DestroyHandle() {
  if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY unlinks the object
}

Window* Window::FromHandle(HWND hwnd) {
  const ClassEntry* c = Link::EntryOf(hwnd);
  if (!c || !c->window) return nullptr;
  return static_cast<Window*>(Link::ObjectOf(hwnd, *c));
}

void Window::CreateWindowObject(DWORD exStyle, const std::string& caption, DWORD style, int x,
                                int y, int w, int h, HWND parent) {
  Link::ClassNamed(kWindowClass);
  g_pending = static_cast<void*>(this);
  HWND created = CreateWindowExA(exStyle, kWindowClass, caption.c_str(), style, x, y, w, h, parent,
                                 nullptr, GetModuleHandleA(nullptr), static_cast<void*>(this));
  g_pending = nullptr;
  if (!created) throw std::runtime_error("Unable to create a window");
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) { return DefaultHandling(msg, wp, lp); }

LRESULT Window::DefaultHandling(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (ReflectToControl(msg, wp, lp, result)) return result;
  return DefWindowProcA(hwnd_, msg, wp, lp);
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

void RelayToOuterHint(const MSG& msg) {
  if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST || !msg.hwnd) return;
  if (Control::FromHandle(msg.hwnd)) return;  // a control of ours relays its own
  const Control* outer = Control::FromHandle(GetParent(msg.hwnd));
  if (outer && outer->hintTip_) Link::RelayToHint(outer->hintTip_, msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

// ---------------------------------------------------------------- Control

Control::~Control() {
  if (!hwnd_) return;
  HWND h = hwnd_;
  ForgetHint();
  Link::Unlink(h);
  hwnd_ = nullptr;
  DestroyingScope destroying(h);
  DestroyWindow(h);
}

Control* Control::FromHandle(HWND hwnd) {
  const ClassEntry* c = Link::EntryOf(hwnd);
  if (!c || c->window) return nullptr;
  return static_cast<Control*>(Link::ObjectOf(hwnd, *c));
}

void Control::CreateControl(HWND parent, const char* className, const std::string& text,
                            DWORD style, DWORD exStyle, int x, int y, int w, int h) {
  const ClassEntry& c = Link::ClassNamed(className);
  baseProc_ = c.base;
  id_ = g_nextControlId++;
  dpi_ = DpiForChildrenOf(parent);
  place_ = {x, y, x + w, y + h};
  GetObjectA(DialogFont(), sizeof font_, &font_);
  const RECT at = ScaleRect(place_, dpi_);
  g_pending = static_cast<void*>(this);
  HWND created = CreateWindowExA(exStyle, className, text.c_str(), style | WS_CHILD, at.left, at.top,
                                 at.right - at.left, at.bottom - at.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), GetModuleHandleA(nullptr),
                                 static_cast<void*>(this));
  g_pending = nullptr;
  if (created && created != hwnd_) DestroyWindow(created);  // never linked: not ours to keep
  if (!created || created != hwnd_)
    throw std::runtime_error(std::string("Unable to create a control of class ") + className);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), FALSE);
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
  place_ = {x, y, x + w, y + h};
  const RECT at = ScaleRect(place_, dpi_);
  SetWindowPos(hwnd_, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Control::Bounds() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return UnscaleRect(r, dpi_);
}

RECT Control::ClientBounds() const {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return UnscaleRect(r, dpi_);
}

void Control::TakeDpi(UINT dpi) {
  dpi_ = dpi;
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), TRUE);
}

void Control::DpiChanged(UINT dpi) {
  dpi_ = dpi;
  const RECT at = ScaleRect(place_, dpi_);
  SetWindowPos(hwnd_, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  TakeDpi(dpi);
}

void Control::BringToFront() {
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Control::SetHint(const std::string& hint) {
  hint_ = hint;
  if (Form* f = FormOf(hwnd_)) {
    f->Hints().SetHint(hwnd_, hint_);
    hintTip_ = f->Hints().Handle();
  }
}

void Control::ForgetHint() {
  HWND tip = std::exchange(hintTip_, nullptr);
  if (!tip || !hwnd_ || !IsWindow(tip)) return;
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = GetWindow(tip, GW_OWNER);
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void Control::SetFont(HFONT font) {
  LOGFONTA lf{};
  if (!font || !GetObjectA(font, sizeof lf, &lf)) return;
  font_ = lf;
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), TRUE);
}

HFONT Control::CurrentFont() const { return FontForDpi(font_, dpi_); }

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

LRESULT Control::CallDefault(UINT msg, WPARAM wp, LPARAM lp) { return CallWindowProcA(baseProc_, hwnd_, msg, wp, lp); }

LRESULT Control::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
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

Form* FormOf(HWND hwnd) {
  if (!hwnd) return nullptr;
  HWND root = GetAncestor(hwnd, GA_ROOT);
  return dynamic_cast<Form*>(Window::FromHandle(root));
}

}  // namespace qc::ui
