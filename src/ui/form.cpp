#include "ui/form.h"

#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/handles.h"

namespace qc::ui {

// ---------------------------------------------------------------- HintWindow

HintWindow::~HintWindow() {
  Application::Get().RemoveHintWindow(this);
  if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
}

void HintWindow::Create(HWND owner) {
  owner_ = owner;
  tip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
  if (!tip_) return;
  SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, Scale(300, DpiForChildrenOf(owner)));
  SendMessageA(tip_, TTM_SETTIPBKCOLOR, RGB(255, 255, 225), 0);
  SendMessageA(tip_, TTM_SETTIPTEXTCOLOR, RGB(0, 0, 0), 0);
  Application::Get().AddHintWindow(this);
  SetActive(Application::Get().ShowHints());
}

bool HintWindow::HasTool(HWND control) const {
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = owner_;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  return tip_ && SendMessageA(tip_, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&ti)) != FALSE;
}

void HintWindow::SetHint(HWND control, const std::string& text) {
  if (!tip_) return;
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND;  // the control relays its mouse messages itself
  ti.hwnd = owner_;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<char*>(text.c_str());
  SendMessageA(tip_, HasTool(control) ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

std::string HintWindow::HintOf(HWND control) const {
  if (!HasTool(control)) return {};
  char buf[1024] = {};
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof ti;
  ti.hwnd = owner_;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = buf;
  SendMessageA(tip_, TTM_GETTEXTA, sizeof buf, reinterpret_cast<LPARAM>(&ti));
  return buf;
}

void HintWindow::SetActive(bool on) {
  active_ = on;
  if (tip_) SendMessageA(tip_, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
}

// ---------------------------------------------------------------- Form

Form::Form() = default;

// The derived form's members are gone by now: the window goes without
// reaching what is left of the object, its tooltip with it.
Form::~Form() {
  DestroyDetached();
  hints_.OwnerDestroyed();
}

void Form::CreateForm(const std::string& caption, int clientW, int clientH, HWND owner,
                      DWORD extraStyle) {
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | extraStyle;
  DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  clientW_ = clientW;
  clientH_ = clientH;
  SetDpi(owner ? DpiForChildrenOf(GetAncestor(owner, GA_ROOT)) : SystemDpi());
  RECT r{0, 0, Scale(clientW, Dpi()), Scale(clientH, Dpi())};
  AdjustWindowRectForDpi(r, style, exStyle, Dpi());
  CreateWindowObject(exStyle, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                     r.bottom - r.top, owner);
  FitClientArea();
  // A window that opened on a screen of another DPI than its owner's is
  // laid out for its own (it has no controls yet).
  const UINT own = DpiOfWindow(Handle());
  if (own != Dpi()) ApplyDpi(own);
  TakeIcons();
  hints_.Create(Handle());
}

SIZE Form::WindowSizeFor(UINT dpi) const {
  RECT r{0, 0, Scale(clientW_, dpi), Scale(clientH_, dpi)};
  AdjustWindowRectForDpi(r, static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE)),
                         static_cast<DWORD>(GetWindowLongA(Handle(), GWL_EXSTYLE)), dpi);
  return {r.right - r.left, r.bottom - r.top};
}

void Form::TakeIcons() {
  HINSTANCE module = GetModuleHandleA(nullptr);
  auto load = [&](int metric) {
    const int side = SystemMetricForDpi(metric, Dpi());
    return Icon(static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, side, side, 0)));
  };
  Icon small = load(SM_CXSMICON), big = load(SM_CXICON);
  if (!small || !big) return;  // a program without the icon keeps the class's
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Get()));
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
  smallIcon_ = std::move(small);  // the window no longer shows the ones these replace
  bigIcon_ = std::move(big);
}

void Form::ApplyDpi(UINT dpi, const RECT* where) {
  if (!Handle() || dpi == 0) return;
  SetDpi(dpi);
  const SIZE size = WindowSizeFor(dpi);
  RECT now = WindowRect();
  const int x = where ? where->left : now.left, y = where ? where->top : now.top;
  SetWindowPos(Handle(), nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  FitClientArea();
  // Every control of ours below the form, parents before their children.
  EnumChildWindows(
      Handle(),
      [](HWND child, LPARAM lp) -> BOOL {
        if (Control* c = Control::FromHandle(child)) c->DpiChanged(static_cast<UINT>(lp));
        return TRUE;
      },
      static_cast<LPARAM>(dpi));
  if (hints_.Handle()) SendMessageA(hints_.Handle(), TTM_SETMAXTIPWIDTH, 0, Scale(300, dpi));
  TakeIcons();
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

std::string Form::Caption() const {
  char buf[512] = {};
  GetWindowTextA(Handle(), buf, sizeof buf);
  return buf;
}

void Form::SetCaption(const std::string& caption) { SetWindowTextA(Handle(), caption.c_str()); }

void Form::SetClientSize(int w, int h) {
  clientW_ = w;
  clientH_ = h;
  const SIZE size = WindowSizeFor(Dpi());
  SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  FitClientArea();
}

void Form::FitClientArea() {
  // The frame drawn may differ from the one computed for the DPI (a system
  // that keeps the frame at its own DPI, as Wine does): the window grows or
  // shrinks by the difference, so that the client area is what it must be.
  RECT client{};
  GetClientRect(Handle(), &client);
  const int dx = Scale(clientW_, Dpi()) - client.right, dy = Scale(clientH_, Dpi()) - client.bottom;
  if (dx == 0 && dy == 0) return;
  const RECT r = WindowRect();
  SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT Form::WindowRect() const {
  RECT r{};
  GetWindowRect(Handle(), &r);
  return r;
}

void Form::CenterOnScreen() {
  RECT wa{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  RECT r = WindowRect();
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = wa.left + (wa.right - wa.left - w) / 2;
  int y = wa.top + (wa.bottom - wa.top - h) / 2;
  SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::CenterOver(HWND owner) {
  RECT o{};
  GetWindowRect(owner, &o);
  RECT r = WindowRect();
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = o.left + ((o.right - o.left) - w) / 2;
  int y = o.top + ((o.bottom - o.top) - h) / 2;
  SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetDefaultButton(Button* button) {
  if (defaultButton_ && defaultButton_->Handle())
    SendMessageA(defaultButton_->Handle(), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  defaultButton_ = button;
  if (button) SendMessageA(button->Handle(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void Form::Close() { SendMessageA(Handle(), WM_CLOSE, 0, 0); }

ModalResult Form::ShowModal(HWND owner) {
  modal_ = true;
  modalResult_ = ModalResult::None;
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  if (Application::Get().onModalShown) Application::Get().onModalShown(*this);
  while (modalResult_ == ModalResult::None && Handle() && IsWindow(Handle())) {
    if (!Application::Get().HandleOneMessage()) break;
  }
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (owner) SetActiveWindow(owner);
  if (Handle()) ShowWindow(Handle(), SW_HIDE);
  modal_ = false;
  return modalResult_ == ModalResult::None ? ModalResult::Cancel : modalResult_;
}

bool Form::PreTranslateKey(MSG& msg) {
  if (keyPreview && (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP)) {
    WPARAM key = msg.wParam;
    if (msg.message == WM_KEYDOWN) FormKeyDown(key); else FormKeyUp(key);
    if (key == 0) return true;
  }
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
    HWND focus = GetFocus();
    LRESULT code = focus ? SendMessageA(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) : 0;
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    Control* c = Control::FromHandle(focus);
    if (!c && focus) c = Control::FromHandle(GetParent(focus));  // the edit inside a combo box
    if (c) {
      WPARAM key = msg.wParam;
      c->FireKeyDown(key);
      if (key == 0) return true;
    }
    if (msg.wParam == VK_ESCAPE) return EscapeKey();
    if (c && (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
      if (auto* b = dynamic_cast<Button*>(c)) {
        b->Click();
        return true;
      }
    }
    if (defaultButton_ && defaultButton_->Enabled() && defaultButton_->Visible()) defaultButton_->Click();
    return true;
  }
  return IsDialogMessageA(Handle(), &msg) != FALSE;
}

LRESULT Form::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      if (!FormCloseQuery()) return 0;
      FormClose();
      if (modal_) {
        if (modalResult_ == ModalResult::None) modalResult_ = ModalResult::Cancel;
        return 0;
      }
      DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      hints_.OwnerDestroyed();
      FormDestroyed();
      return 0;
    case WM_NCPAINT:
    case WM_SETTEXT: {
      LRESULT r = DefaultHandling(msg, wp, lp);
      PaintCaption();
      return r;
    }
    case WM_NCACTIVATE: {
      active_ = wp != FALSE;
      LRESULT r = DefaultHandling(msg, wp, lp);
      PaintCaption();
      return r;
    }
    case WM_ACTIVATE:
      // Remember where the caret was, to put it back when the form is active again.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
      }
      return DefaultHandling(msg, wp, lp);
    case WM_SETFOCUS:
      if (lastFocus_ && IsChild(Handle(), lastFocus_)) {
        ::SetFocus(lastFocus_);
        return 0;
      }
      return DefaultHandling(msg, wp, lp);
    case DM_GETDEFID:
      if (defaultButton_) return MAKELRESULT(defaultButton_->Id(), DC_HASDEFID);
      return 0;
    case kGetDpiScaledSizeMessage: {
      // The size the window will have at the new DPI, for the system's suggestion.
      *reinterpret_cast<SIZE*>(lp) = WindowSizeFor(LOWORD(wp));
      return TRUE;
    }
    case kDpiChangedMessage:
      ApplyDpi(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    default:
      return DefaultHandling(msg, wp, lp);
  }
}

// ---------------------------------------------------------------- caption

void Form::SetCaptionGradient(COLORREF colour) {
  captionColour_ = colour;
  PaintCaption();
}

COLORREF Form::CaptionGradient() const {
  return captionColour_ == CLR_INVALID ? GetSysColor(COLOR_ACTIVECAPTION) : captionColour_;
}

// Draws the caption as a gradient with raised text, leaving the system
// menu's buttons at the right as the system drew them.
void Form::PaintCaption() {
  HWND hwnd = Handle();
  if (!hwnd || !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) || !IsWindowVisible(hwnd)) return;
  RECT wr;
  GetWindowRect(hwnd, &wr);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  int border = origin.x - wr.left;
  int clientTop = origin.y - wr.top;
  int width = wr.right - wr.left;
  int captionH = SystemMetricForDpi(SM_CYCAPTION, Dpi()) - 1;
  RECT cap{border, clientTop - captionH - 1, width - border - SystemMetricForDpi(SM_CXSIZE, Dpi()) - 4,
           clientTop - 1};
  if (cap.right <= cap.left || cap.bottom <= cap.top) return;

  COLORREF from = active_ ? CaptionGradient() : GetSysColor(COLOR_INACTIVECAPTION);
  COLORREF to = GetSysColor(active_ ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
  WindowDc windowDc(hwnd, true);
  HDC dc = windowDc.Get();
  const int steps = 64;
  int span = cap.right - cap.left;
  for (int i = 0; i < steps; ++i) {
    RECT band{cap.left + span * i / steps, cap.top, cap.left + span * (i + 1) / steps, cap.bottom};
    auto mix = [&](int a, int b) { return a + (b - a) * i / (steps - 1); };
    Brush brush(CreateSolidBrush(RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
                                     mix(GetBValue(from), GetBValue(to)))));
    FillRect(dc, &band, brush.Get());
  }

  LOGFONTA captionFont = CaptionFontForDpi(Dpi());
  captionFont.lfWeight = FW_BOLD;
  Font font(CreateFontIndirectA(&captionFont));
  HGDIOBJ old = SelectObject(dc, font.Get());
  SetBkMode(dc, TRANSPARENT);
  std::string text = Caption();
  RECT tr = cap;
  tr.left += Scale(6, Dpi());
  const UINT fmt = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
  RECT shadow = tr;
  OffsetRect(&shadow, 1, 1);
  ::SetTextColor(dc, RGB(0, 0, 0));
  DrawTextA(dc, text.c_str(), -1, &shadow, fmt);
  ::SetTextColor(dc, GetSysColor(active_ ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
  DrawTextA(dc, text.c_str(), -1, &tr, fmt);
  SelectObject(dc, old);
}

// ---------------------------------------------------------------- Application

Application& Application::Get() {
  static Application app;
  return app;
}

void Application::Dispatch(MSG& msg) {
  if (onMessage && onMessage(msg)) return;
  RelayToOuterHint(msg);
  if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.hwnd) {
    if (Form* f = FormOf(msg.hwnd)) {
      bool consumed = false;
      Guarded([&] { consumed = f->PreTranslateKey(msg); });
      if (consumed) return;
    }
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

bool Application::HandleOneMessage() {
  MSG msg;
  BOOL r = GetMessageA(&msg, nullptr, 0, 0);
  if (r == 0 || r == -1) {
    PostQuitMessage(r == 0 ? static_cast<int>(msg.wParam) : 1);
    return false;
  }
  Dispatch(msg);
  return true;
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

int Application::Run() {
  MSG msg;
  for (;;) {
    BOOL r = GetMessageA(&msg, nullptr, 0, 0);
    if (r == 0) return static_cast<int>(msg.wParam);
    if (r == -1) return 1;
    Dispatch(msg);
  }
}

void Application::SetShowHints(bool on) {
  showHints_ = on;
  for (HintWindow* h : hintWindows_) h->SetActive(on);
}

}  // namespace qc::ui
