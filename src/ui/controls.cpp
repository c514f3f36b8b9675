#include "ui/controls.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "ui/dpi.h"

namespace qc::ui {
namespace {

// Our own class for panels and painted captions (registered with the window
// procedure on first use).
constexpr char kPanelClass[] = "QuillcardPanel";

std::string GetListText(HWND h, UINT lenMsg, UINT textMsg, int i) {
  LRESULT n = SendMessageA(h, lenMsg, static_cast<WPARAM>(i), 0);
  if (n < 0) return {};
  std::string s(static_cast<size_t>(n) + 1, '\0');
  LRESULT got = SendMessageA(h, textMsg, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
  s.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return s;
}

// Redrawing off until the end, whatever happens in between.
class RedrawOff {
 public:
  explicit RedrawOff(HWND h) : h_(h) { SendMessageA(h_, WM_SETREDRAW, FALSE, 0); }
  ~RedrawOff() {
    SendMessageA(h_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(h_, nullptr, TRUE);
  }
  RedrawOff(const RedrawOff&) = delete;
  RedrawOff& operator=(const RedrawOff&) = delete;

 private:
  HWND h_;
};

// Fills a list with its own messages: its storage reserved for the items
// and their texts, redrawn once at the end.
void AddItems(HWND h, UINT reserve, UINT add, size_t count, const TextAt& text) {
  size_t bytes = 0;
  for (size_t i = 0; i < count; ++i) bytes += text(i).size() + 1;
  RedrawOff quiet(h);
  SendMessageA(h, reserve, count, static_cast<LPARAM>(bytes));
  for (size_t i = 0; i < count; ++i) SendMessageA(h, add, 0, reinterpret_cast<LPARAM>(text(i).c_str()));
}

std::vector<std::string> ListTexts(HWND h, UINT countMsg, UINT lenMsg, UINT textMsg) {
  LRESULT count = SendMessageA(h, countMsg, 0, 0);
  std::vector<std::string> texts;
  texts.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (LRESULT i = 0; i < count; ++i) texts.push_back(GetListText(h, lenMsg, textMsg, static_cast<int>(i)));
  return texts;
}

}  // namespace

// ---------------------------------------------------------------- Panel

void Panel::Create(HWND parent, int x, int y, int w, int h, const std::string& caption,
                   Bevel bevel) {
  bevel_ = bevel;
  CreateControl(parent, kPanelClass, caption, WS_VISIBLE | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
                x, y, w, h);
}

void Panel::SetChildrenEnabled(bool on) {
  for (HWND c = GetWindow(Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    EnableWindow(c, on ? TRUE : FALSE);
  SetTextColor(on ? RGB(0, 0, 0) : GetSysColor(COLOR_GRAYTEXT));
}

LRESULT Panel::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT r;
    GetClientRect(Handle(), &r);
    if (bevel_ == Bevel::Raised) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    if (bevel_ == Bevel::Lowered) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    std::string caption = Text();
    if (!caption.empty()) {
      HGDIOBJ old = SelectObject(dc, CurrentFont());
      SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, TextColor() == CLR_INVALID ? GetSysColor(COLOR_BTNTEXT) : TextColor());
      DrawTextA(dc, caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
    }
    EndPaint(Handle(), &ps);
    return 0;
  }
  if (msg == WM_SETTEXT) {
    LRESULT res = CallDefault(msg, wp, lp);
    InvalidateRect(Handle(), nullptr, TRUE);
    return res;
  }
  return Control::OnMessage(msg, wp, lp);
}

// ---------------------------------------------------------------- Button

void Button::Create(HWND parent, const std::string& caption, int x, int y, int w, int h) {
  CreateControl(parent, WC_BUTTONA, caption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, x, y, w, h);
}

void Button::Click() {
  if (!Enabled()) return;
  if (onClick) Guarded([&] { onClick(); });
}

bool Button::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  if (onClick) onClick();
  return true;
}

namespace {

// A black triangle, pointing up or down, `height` rows high and 2 * height - 1
// pixels wide: a monochrome bitmap whose 0 bits take the button's text
// colour and whose 1 bits its face.
Bitmap ArrowBitmap(bool up, int height) {
  const int width = 2 * height - 1;
  const int stride = (width + 15) / 16 * 2;  // rows of whole 16-bit words
  std::vector<BYTE> bits(static_cast<size_t>(stride * height), 0xFF);
  for (int row = 0; row < height; ++row) {
    const int half = up ? row : height - 1 - row;
    for (int col = height - 1 - half; col <= height - 1 + half; ++col)
      bits[static_cast<size_t>(row * stride + col / 8)] &= static_cast<BYTE>(~(0x80u >> (col % 8)));
  }
  return Bitmap(CreateBitmap(width, height, 1, 1, bits.data()));
}

}  // namespace

void Button::ShowArrow(bool up) {
  arrow_ = up ? Arrow::Up : Arrow::Down;
  Bitmap image = ArrowBitmap(up, Scale(5, Dpi()));
  HWND h = Handle();
  SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) | BS_BITMAP);
  SendMessageA(h, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image.Get()));
  arrowImage_ = std::move(image);  // the button no longer shows the one this replaces
}

void Button::DpiChanged(UINT dpi) {
  Control::DpiChanged(dpi);
  if (arrow_ != Arrow::None) ShowArrow(arrow_ == Arrow::Up);
}

// ---------------------------------------------------------------- CheckBox

void CheckBox::Create(HWND parent, const std::string& caption, int x, int y, int w, int h) {
  CreateControl(parent, WC_BUTTONA, caption, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, x, y, w, h);
}

bool CheckBox::Checked() const { return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void CheckBox::SetChecked(bool on) { SendMessageA(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

bool CheckBox::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  if (onClick) onClick();
  return true;
}

// ---------------------------------------------------------------- RadioGroup

void RadioGroup::Create(HWND parent, const std::string& caption,
                        const std::vector<std::string>& items, int x, int y, int w, int h,
                        int columns) {
  CreateControl(parent, WC_BUTTONA, caption, WS_VISIBLE | BS_GROUPBOX, WS_EX_CONTROLPARENT, x, y, w, h);
  int top = 16, bottom = h - 6, left = 8;
  int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
  int colW = (w - 2 * left) / columns;
  int rowH = rows > 0 ? (bottom - top) / rows : 0;
  if (rowH > 20) rowH = 20;
  for (size_t i = 0; i < items.size(); ++i) {
    int col = static_cast<int>(i) % columns, row = static_cast<int>(i) / columns;
    auto b = std::make_unique<RadioButton>();
    b->group = this;
    b->Create(Handle(), items[i], left + col * colW, top + row * rowH, colW - 4, 17, i == 0);
    buttons_.push_back(std::move(b));
  }
}

int RadioGroup::ItemIndex() const {
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (SendMessageA(buttons_[i]->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
  return -1;
}

void RadioGroup::SetItemIndex(int index) {
  for (size_t i = 0; i < buttons_.size(); ++i)
    SendMessageA(buttons_[i]->Handle(), BM_SETCHECK,
                 static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

void RadioGroup::RadioButton::Create(HWND parent, const std::string& caption, int x, int y, int w,
                                     int h, bool first) {
  CreateControl(parent, WC_BUTTONA, caption,
                WS_VISIBLE | BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0), 0, x, y, w, h);
}

bool RadioGroup::RadioButton::HandleCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  if (group && group->onClick) group->onClick();
  return true;
}

// ---------------------------------------------------------------- Label

void Label::Create(HWND parent, const std::string& caption, int x, int y, int w, int h, DWORD align) {
  CreateControl(parent, WC_STATICA, caption, WS_VISIBLE | align, 0, x, y, w, h);
}

// ---------------------------------------------------------------- Label3D

void Label3D::Create(HWND parent, const std::string& caption, int x, int y, int w, int h,
                     int fontHeight, COLORREF colour) {
  colour_ = colour;
  fontHeight_ = fontHeight;
  CreateControl(parent, kPanelClass, caption, WS_VISIBLE, 0, x, y, w, h);
  MakeFont();
}

void Label3D::MakeFont() {
  LOGFONTA lf{};
  lf.lfHeight = -Scale(fontHeight_, Dpi());
  lf.lfWeight = FW_BOLD;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfQuality = ANTIALIASED_QUALITY;
  lstrcpyA(lf.lfFaceName, "Arial");
  font_.Reset(CreateFontIndirectA(&lf));
}

void Label3D::DpiChanged(UINT dpi) {
  Control::DpiChanged(dpi);
  MakeFont();
  InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT Label3D::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT r;
    GetClientRect(Handle(), &r);
    std::string caption = Text();
    HGDIOBJ old = SelectObject(dc, font_.Get());
    SetBkMode(dc, TRANSPARENT);
    const UINT fmt = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    RECT light = r, dark = r;
    const int offset = std::max(1, Scale(1, Dpi()));
    OffsetRect(&light, -offset, -offset);
    OffsetRect(&dark, offset, offset);
    ::SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, caption.c_str(), -1, &light, fmt);
    ::SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    DrawTextA(dc, caption.c_str(), -1, &dark, fmt);
    ::SetTextColor(dc, colour_);
    DrawTextA(dc, caption.c_str(), -1, &r, fmt);
    SelectObject(dc, old);
    EndPaint(Handle(), &ps);
    return 0;
  }
  if (msg == WM_SETTEXT) {
    LRESULT res = CallDefault(msg, wp, lp);
    InvalidateRect(Handle(), nullptr, TRUE);
    return res;
  }
  return Control::OnMessage(msg, wp, lp);
}

// ---------------------------------------------------------------- Picture

void Picture::Create(HWND parent, int x, int y, int w, int h) {
  CreateControl(parent, WC_STATICA, "", WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE, 0, x, y, w, h);
}

Picture::~Picture() { TakeBack(); }

void Picture::SetBitmap(Bitmap bitmap) {
  TakeBack();
  icon_.Reset();
  iconId_ = 0;
  bitmap_ = std::move(bitmap);
  ShowBitmap();
}

void Picture::ShowBitmap() {
  magnified_.Reset();
  HBITMAP shown = bitmap_.Get();
  BITMAP bm{};
  const int factor = static_cast<int>(Dpi() / kBaseDpi);
  if (shown && factor > 1 && GetObjectA(shown, sizeof bm, &bm)) {
    // Whole pixels: each pixel of the bitmap becomes a square of `factor` pixels.
    WindowDc screen(nullptr);
    HDC from = CreateCompatibleDC(screen.Get()), to = CreateCompatibleDC(screen.Get());
    magnified_.Reset(CreateCompatibleBitmap(screen.Get(), bm.bmWidth * factor, bm.bmHeight * factor));
    if (from && to && magnified_) {
      HGDIOBJ oldFrom = SelectObject(from, shown), oldTo = SelectObject(to, magnified_.Get());
      SetStretchBltMode(to, COLORONCOLOR);
      StretchBlt(to, 0, 0, bm.bmWidth * factor, bm.bmHeight * factor, from, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
      SelectObject(from, oldFrom);
      SelectObject(to, oldTo);
      shown = magnified_.Get();
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
  }
  Show(SS_BITMAP, IMAGE_BITMAP, shown);
}

void Picture::SetIcon(Icon icon) {
  TakeBack();
  bitmap_.Reset();
  magnified_.Reset();
  iconId_ = 0;
  icon_ = std::move(icon);
  Show(SS_ICON, IMAGE_ICON, icon_.Get());
}

void Picture::SetIconResource(int id, int side) {
  iconId_ = id;
  iconSide_ = side;
  LoadIconResource();
}

void Picture::LoadIconResource() {
  const int side = Scale(iconSide_, Dpi());
  Icon icon(static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId_), IMAGE_ICON, side, side, 0)));
  TakeBack();
  bitmap_.Reset();
  magnified_.Reset();
  icon_ = std::move(icon);
  Show(SS_ICON, IMAGE_ICON, icon_.Get());
}

void Picture::DpiChanged(UINT dpi) {
  Control::DpiChanged(dpi);
  if (iconId_) {
    LoadIconResource();
  } else if (bitmap_) {
    TakeBack();
    ShowBitmap();
  }
}

void Picture::Show(DWORD style, UINT type, HANDLE image) {
  if (!Handle() || !image) return;
  // The static control takes an image of the type its style names.
  LONG current = GetWindowLongA(Handle(), GWL_STYLE);
  SetWindowLongA(Handle(), GWL_STYLE, static_cast<LONG>((current & ~SS_TYPEMASK) | style));
  SendMessageA(Handle(), STM_SETIMAGE, type, reinterpret_cast<LPARAM>(image));
  shown_ = type;
  shownImage_ = image;
}

void Picture::TakeBack() {
  if (!Handle() || !shown_) return;
  HANDLE given = shownImage_;
  auto back = reinterpret_cast<HANDLE>(SendMessageA(Handle(), STM_SETIMAGE, shown_, 0));
  // A bitmap with alpha is shown from a copy that the control made and hands
  // back here; it is ours to free (the control never frees an image).
  if (back && back != given) {
    if (shown_ == IMAGE_BITMAP) DeleteObject(back);
    else DestroyIcon(static_cast<HICON>(back));
  }
  shown_ = 0;
  shownImage_ = nullptr;
}

LRESULT Picture::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) TakeBack();
  return Control::OnMessage(msg, wp, lp);
}

// ---------------------------------------------------------------- Edit, Memo

void Edit::Create(HWND parent, int x, int y, int w, int h, DWORD extraStyle) {
  CreateControl(parent, WC_EDITA, "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | extraStyle,
                WS_EX_CLIENTEDGE, x, y, w, h);
}

void Edit::SetReadOnly(bool on) { SendMessageA(Handle(), EM_SETREADONLY, on ? TRUE : FALSE, 0); }

bool Edit::HandleCommand(WORD code) {
  if (code != EN_CHANGE) return false;
  if (onChange) onChange();
  return true;
}

void Memo::Create(HWND parent, int x, int y, int w, int h, DWORD extraStyle) {
  CreateControl(parent, WC_EDITA, "", WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | extraStyle,
                WS_EX_CLIENTEDGE, x, y, w, h);
}

void Memo::Clear() { SetText(""); }

void Memo::AddLine(const std::string& line) {
  std::string text = Text();
  if (!text.empty()) text += "\r\n";
  text += line;
  SetText(text);
}

std::vector<std::string> Memo::Lines() const {
  std::vector<std::string> lines;
  LRESULT n = SendMessageA(Handle(), EM_GETLINECOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    LRESULT start = SendMessageA(Handle(), EM_LINEINDEX, static_cast<WPARAM>(i), 0);
    LRESULT len = SendMessageA(Handle(), EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    std::string s(static_cast<size_t>(len) + 2, '\0');
    *reinterpret_cast<WORD*>(s.data()) = static_cast<WORD>(s.size());
    LRESULT got = SendMessageA(Handle(), EM_GETLINE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(got));
    lines.push_back(s);
  }
  if (lines.size() == 1 && lines[0].empty() && Text().empty()) lines.clear();
  return lines;
}

// ---------------------------------------------------------------- ComboBox

void ComboBox::Create(HWND parent, int x, int y, int w, int h, bool sorted, int dropDownCount, bool editable) {
  CreateControl(parent, WC_COMBOBOXA, "",
                WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST) |
                    (sorted ? CBS_SORT : 0),
                0,
                x, y, w, h);
  SendMessageA(Handle(), CB_SETMINVISIBLE, static_cast<WPARAM>(dropDownCount), 0);
}

int ComboBox::Count() const { return static_cast<int>(SendMessageA(Handle(), CB_GETCOUNT, 0, 0)); }
std::string ComboBox::Item(int i) const { return GetListText(Handle(), CB_GETLBTEXTLEN, CB_GETLBTEXT, i); }
void ComboBox::AddAll(const std::vector<std::string>& texts) {
  AddAll(texts.size(), [&](size_t i) -> const std::string& { return texts[i]; });
}
void ComboBox::AddAll(size_t count, const TextAt& text) { AddItems(Handle(), CB_INITSTORAGE, CB_ADDSTRING, count, text); }
std::vector<std::string> ComboBox::Items() const {
  return ListTexts(Handle(), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}
int ComboBox::Add(const std::string& text) {
  return static_cast<int>(SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
void ComboBox::Insert(int i, const std::string& text) {
  SendMessageA(Handle(), CB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.c_str()));
}
void ComboBox::Delete(int i) { SendMessageA(Handle(), CB_DELETESTRING, static_cast<WPARAM>(i), 0); }
void ComboBox::Clear() { SendMessageA(Handle(), CB_RESETCONTENT, 0, 0); }
int ComboBox::IndexOf(const std::string& text) const {
  int n = Count();
  for (int i = 0; i < n; ++i)
    if (Item(i) == text) return i;
  return -1;
}
int ComboBox::ItemIndex() const { return static_cast<int>(SendMessageA(Handle(), CB_GETCURSEL, 0, 0)); }
void ComboBox::SetItemIndex(int i) { SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(i), 0); }
void ComboBox::ShowDropDown(bool on) { SendMessageA(Handle(), CB_SHOWDROPDOWN, on ? TRUE : FALSE, 0); }
bool ComboBox::DroppedDown() const { return SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != FALSE; }

bool ComboBox::HandleCommand(WORD code) {
  if (code != CBN_SELCHANGE) return false;
  if (onChange) onChange();
  return true;
}

// ---------------------------------------------------------------- ListBox

void ListBox::Create(HWND parent, int x, int y, int w, int h, bool sorted, bool multiSelect) {
  CreateControl(parent, WC_LISTBOXA, "",
                WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                    (sorted ? LBS_SORT : 0) | (multiSelect ? LBS_EXTENDEDSEL : 0),
                WS_EX_CLIENTEDGE, x, y, w, h);
}

int ListBox::Count() const { return static_cast<int>(SendMessageA(Handle(), LB_GETCOUNT, 0, 0)); }
std::string ListBox::Item(int i) const { return GetListText(Handle(), LB_GETTEXTLEN, LB_GETTEXT, i); }
void ListBox::AddAll(const std::vector<std::string>& texts) {
  AddAll(texts.size(), [&](size_t i) -> const std::string& { return texts[i]; });
}
void ListBox::AddAll(size_t count, const TextAt& text) { AddItems(Handle(), LB_INITSTORAGE, LB_ADDSTRING, count, text); }
int ListBox::Add(const std::string& text) {
  return static_cast<int>(SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
void ListBox::Insert(int i, const std::string& text) {
  SendMessageA(Handle(), LB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.c_str()));
}
void ListBox::Delete(int i) { SendMessageA(Handle(), LB_DELETESTRING, static_cast<WPARAM>(i), 0); }
void ListBox::Clear() { SendMessageA(Handle(), LB_RESETCONTENT, 0, 0); }
int ListBox::IndexOf(const std::string& text) const {
  int n = Count();
  for (int i = 0; i < n; ++i)
    if (Item(i) == text) return i;
  return -1;
}
int ListBox::ItemIndex() const {
  if (GetWindowLongA(Handle(), GWL_STYLE) & LBS_EXTENDEDSEL)
    return static_cast<int>(SendMessageA(Handle(), LB_GETCARETINDEX, 0, 0));
  return static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
}
void ListBox::SetItemIndex(int i) {
  if (GetWindowLongA(Handle(), GWL_STYLE) & LBS_EXTENDEDSEL) {
    SendMessageA(Handle(), LB_SETSEL, FALSE, -1);
    if (i >= 0) SendMessageA(Handle(), LB_SETSEL, TRUE, i);
    SendMessageA(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(i < 0 ? 0 : i), FALSE);
  } else {
    SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(i), 0);
  }
}
bool ListBox::Selected(int i) const { return SendMessageA(Handle(), LB_GETSEL, static_cast<WPARAM>(i), 0) > 0; }
void ListBox::SetSelected(int i, bool on) {
  if (GetWindowLongA(Handle(), GWL_STYLE) & LBS_EXTENDEDSEL)
    SendMessageA(Handle(), LB_SETSEL, on ? TRUE : FALSE, i);
  else if (on)
    SetItemIndex(i);
}

bool ListBox::HandleCommand(WORD code) {
  if (code != LBN_SELCHANGE) return false;
  if (onChange) onChange();
  return true;
}

// ---------------------------------------------------------------- StatusBar

void StatusBar::Create(HWND parent, const std::vector<int>& widths) {
  CreateControl(parent, STATUSCLASSNAMEA, "", WS_VISIBLE, 0, 0, 0, 0, 0);
  widths_ = widths;
  SetParts();
  centred_.assign(widths.size(), false);
  texts_.assign(widths.size(), std::string());
}

void StatusBar::SetParts() {
  std::vector<int> edges;
  int right = 0;
  for (int w : widths_) {
    right += w;
    edges.push_back(w < 0 ? -1 : Scale(right, Dpi()));
  }
  SendMessageA(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void StatusBar::DpiChanged(UINT dpi) {
  TakeDpi(dpi);
  SetParts();
  SendMessageA(Handle(), WM_SIZE, 0, 0);  // its height follows the font, its place the parent
}

void StatusBar::SetCentred(int panel, bool on) {
  centred_[static_cast<size_t>(panel)] = on;
  SetPanelText(panel, texts_[static_cast<size_t>(panel)]);
}

void StatusBar::SetPanelText(int panel, const std::string& text) {
  texts_[static_cast<size_t>(panel)] = text;
  std::string shown = centred_[static_cast<size_t>(panel)] ? "\t" + text : text;
  SendMessageA(Handle(), SB_SETTEXTA, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(shown.c_str()));
}

std::string StatusBar::PanelText(int panel) const { return texts_[static_cast<size_t>(panel)]; }

// ---------------------------------------------------------------- ProgressBar, HotKey

void ProgressBar::Create(HWND parent, int x, int y, int w, int h) {
  CreateControl(parent, PROGRESS_CLASSA, "", WS_VISIBLE, 0, x, y, w, h);
}
void ProgressBar::SetRange(int min, int max) { SendMessageA(Handle(), PBM_SETRANGE32, min, max); }
void ProgressBar::SetPosition(int pos) { SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(pos), 0); }
int ProgressBar::Position() const { return static_cast<int>(SendMessageA(Handle(), PBM_GETPOS, 0, 0)); }

void HotKey::Create(HWND parent, int x, int y, int w, int h) {
  CreateControl(parent, HOTKEY_CLASSA, "", WS_VISIBLE | WS_TABSTOP, WS_EX_CLIENTEDGE, x, y, w, h);
}
WORD HotKey::Value() const { return static_cast<WORD>(SendMessageA(Handle(), HKM_GETHOTKEY, 0, 0)); }
void HotKey::SetValue(WORD v) { SendMessageA(Handle(), HKM_SETHOTKEY, v, 0); }

// ---------------------------------------------------------------- TabControl

void TabControl::Create(HWND parent, int x, int y, int w, int h, int tabWidth, DWORD extraStyle) {
  CreateControl(parent, WC_TABCONTROLA, "",
                WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | (tabWidth ? TCS_FIXEDWIDTH : 0) | extraStyle,
                0, x, y, w, h);
  tabWidth_ = tabWidth;
  if (tabWidth) SendMessageA(Handle(), TCM_SETITEMSIZE, 0, MAKELPARAM(Scale(tabWidth, Dpi()), Scale(20, Dpi())));
}

void TabControl::DpiChanged(UINT dpi) {
  Control::DpiChanged(dpi);
  if (tabWidth_) SendMessageA(Handle(), TCM_SETITEMSIZE, 0, MAKELPARAM(Scale(tabWidth_, dpi), Scale(20, dpi)));
}

void TabControl::AddTab(const std::string& caption) {
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(caption.c_str());
  SendMessageA(Handle(), TCM_INSERTITEMA, static_cast<WPARAM>(Count()), reinterpret_cast<LPARAM>(&item));
}

int TabControl::Index() const { return static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0)); }
int TabControl::Count() const { return static_cast<int>(SendMessageA(Handle(), TCM_GETITEMCOUNT, 0, 0)); }

void TabControl::SelectTab(int i) {
  if (i == Index()) return;
  SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(i), 0);
  if (onChange) onChange();
}

std::string TabControl::TabCaption(int i) const {
  char buf[256] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = buf;
  item.cchTextMax = sizeof buf;
  SendMessageA(Handle(), TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  return buf;
}

RECT TabControl::DisplayRect() const {
  RECT r{};
  GetClientRect(Handle(), &r);
  SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  MapWindowPoints(Handle(), GetParent(Handle()), reinterpret_cast<POINT*>(&r), 2);
  return UnscaleRect(r, Dpi());
}

bool TabControl::HandleNotify(NMHDR* nm, LRESULT& result) {
  if (nm->code != TCN_SELCHANGE) return false;
  result = 0;
  if (onChange) onChange();
  return true;
}

}  // namespace qc::ui
