#pragma once
// Wrappers of the standard controls and of our few painted ones.
#include <memory>
#include <string>
#include <vector>

#include "ui/handles.h"
#include "ui/window.h"

namespace qc::ui {

// The i-th of a number of texts, for filling a list without copying them.
using TextAt = std::function<const std::string&(size_t i)>;

// A plain container: a page of a page control, a group of controls, a title
// bar above a group. It may paint a caption (centred) and a bevelled frame.
class Panel : public Control {
 public:
  enum class Bevel { None, Raised, Lowered };
  void Create(HWND parent, int x, int y, int w, int h, const std::string& caption = {},
              Bevel bevel = Bevel::None);
  // Every control directly inside the panel enabled or disabled, and the
  // panel's own text black or grey. The panel itself stays enabled.
  void SetChildrenEnabled(bool on);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  Bevel bevel_ = Bevel::None;
};

class Button : public Control {
 public:
  void Create(HWND parent, const std::string& caption, int x, int y, int w, int h);
  void Click();
  // Shows a small black triangle pointing up or down in place of the
  // caption, 9 x 5 pixels at 96 DPI and as large at the button's DPI.
  void ShowArrow(bool up);
  std::function<void()> onClick;
  bool HandleCommand(WORD code) override;
  void DpiChanged(UINT dpi) override;

 private:
  enum class Arrow { None, Up, Down };
  Arrow arrow_ = Arrow::None;
  Bitmap arrowImage_;
};

class CheckBox : public Control {
 public:
  void Create(HWND parent, const std::string& caption, int x, int y, int w, int h);
  bool Checked() const;
  void SetChecked(bool on);
  std::function<void()> onClick;
  bool HandleCommand(WORD code) override;
};

// A framed group of radio buttons laid out in `columns` columns.
class RadioGroup : public Control {
 public:
  void Create(HWND parent, const std::string& caption, const std::vector<std::string>& items,
              int x, int y, int w, int h, int columns = 1);
  int ItemIndex() const;  // -1 when none is chosen
  void SetItemIndex(int index);
  Control& Item(int i) { return *buttons_[static_cast<size_t>(i)]; }
  int ItemCount() const { return static_cast<int>(buttons_.size()); }
  std::function<void()> onClick;

 private:
  class RadioButton : public Control {
   public:
    RadioGroup* group = nullptr;
    void Create(HWND parent, const std::string& caption, int x, int y, int w, int h, bool first);
    bool HandleCommand(WORD code) override;
  };
  std::vector<std::unique_ptr<RadioButton>> buttons_;
};

class Label : public Control {
 public:
  // `align` takes any static style; a label that shows text the user typed
  // adds SS_NOPREFIX, so that "&" is shown rather than underlining.
  void Create(HWND parent, const std::string& caption, int x, int y, int w, int h,
              DWORD align = SS_LEFT);
};

// A bold caption drawn with a light and a dark offset, so that it seems engraved.
class Label3D : public Control {
 public:
  // `fontHeight` is the character height in pixels at 96 DPI.
  void Create(HWND parent, const std::string& caption, int x, int y, int w, int h,
              int fontHeight, COLORREF colour);
  void DpiChanged(UINT dpi) override;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void MakeFont();
  Font font_;
  int fontHeight_ = 0;
  COLORREF colour_ = 0;
};

// A picture: a bitmap or an icon, centred, owned by the control.
class Picture : public Control {
 public:
  void Create(HWND parent, int x, int y, int w, int h);
  ~Picture() override;
  // A bitmap of a fixed size in pixels. At twice 96 DPI and more it is
  // shown magnified by whole pixels (each pixel a square), never smoothed.
  void SetBitmap(Bitmap bitmap);
  void SetIcon(Icon icon);
  // An icon of the program's resources, `side` pixels square at 96 DPI,
  // loaded at the control's DPI (the icon's own image of that size where
  // the resource has one) and again when the DPI changes.
  void SetIconResource(int id, int side);
  // The bitmap as given (not the magnified copy on the screen).
  HBITMAP BitmapHandle() const { return bitmap_.Get(); }
  HICON IconHandle() const { return icon_.Get(); }
  void DpiChanged(UINT dpi) override;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Show(DWORD style, UINT type, HANDLE image);
  void ShowBitmap();
  void LoadIconResource();
  // Takes the image back from the window, freeing a copy the window made of it.
  void TakeBack();
  Bitmap bitmap_;
  Bitmap magnified_;  // what the window shows of bitmap_ at a high DPI
  Icon icon_;
  int iconId_ = 0, iconSide_ = 0;
  UINT shown_ = 0;  // IMAGE_BITMAP or IMAGE_ICON while the window shows one
  HANDLE shownImage_ = nullptr;
};

class Edit : public Control {
 public:
  void Create(HWND parent, int x, int y, int w, int h, DWORD extraStyle = 0);
  void SetReadOnly(bool on);
  std::function<void()> onChange;
  bool HandleCommand(WORD code) override;
};

// A multi-line edit box; word-wrapped when it has no horizontal scroll bar.
class Memo : public Control {
 public:
  void Create(HWND parent, int x, int y, int w, int h, DWORD extraStyle = 0);
  void Clear();
  void AddLine(const std::string& line);
  // The lines as shown, wrapped lines counting as several.
  std::vector<std::string> Lines() const;
};

// A drop-down list without free text (or with a plain list box, see ListBox).
class ComboBox : public Control {
 public:
  // A drop-down list, or with `editable` a drop-down whose field takes typing.
  void Create(HWND parent, int x, int y, int w, int h, bool sorted, int dropDownCount = 8, bool editable = false);
  int Count() const;
  std::string Item(int i) const;
  int Add(const std::string& text);  // returns the index where it landed
  // Adds many at once: the list's own messages, with its storage reserved
  // and without redrawing until the end. A sorted list sorts them itself.
  void AddAll(const std::vector<std::string>& texts);
  // The same for `count` texts, the i-th given by `text(i)`, without copies.
  void AddAll(size_t count, const TextAt& text);
  std::vector<std::string> Items() const;
  void Insert(int i, const std::string& text);
  void Delete(int i);
  void Clear();
  int IndexOf(const std::string& text) const;  // exact match, -1 when absent
  int ItemIndex() const;
  void SetItemIndex(int i);
  void ShowDropDown(bool on);
  bool DroppedDown() const;
  std::function<void()> onChange;  // the choice changed
  bool HandleCommand(WORD code) override;
};

class ListBox : public Control {
 public:
  void Create(HWND parent, int x, int y, int w, int h, bool sorted, bool multiSelect = false);
  int Count() const;
  std::string Item(int i) const;
  int Add(const std::string& text);
  // Adds many at once: the list's own messages, with its storage reserved
  // and without redrawing until the end. A sorted list sorts them itself.
  void AddAll(const std::vector<std::string>& texts);
  // The same for `count` texts, the i-th given by `text(i)`, without copies.
  void AddAll(size_t count, const TextAt& text);
  void Insert(int i, const std::string& text);
  void Delete(int i);
  void Clear();
  int IndexOf(const std::string& text) const;
  int ItemIndex() const;
  void SetItemIndex(int i);
  bool Selected(int i) const;
  void SetSelected(int i, bool on);
  std::function<void()> onChange;
  bool HandleCommand(WORD code) override;
};

class StatusBar : public Control {
 public:
  // `widths` at 96 DPI; -1 for a last panel that reaches the right edge.
  void Create(HWND parent, const std::vector<int>& widths);
  void SetPanelText(int panel, const std::string& text);
  std::string PanelText(int panel) const;
  // The bar places itself along its parent's bottom.
  void DpiChanged(UINT dpi) override;

 private:
  void SetParts();
  std::vector<int> widths_;
  std::vector<bool> centred_;
  std::vector<std::string> texts_;

 public:
  void SetCentred(int panel, bool on);
};

class ProgressBar : public Control {
 public:
  void Create(HWND parent, int x, int y, int w, int h);
  void SetRange(int min, int max);
  void SetPosition(int pos);
  int Position() const;
};

class HotKey : public Control {
 public:
  void Create(HWND parent, int x, int y, int w, int h);
  WORD Value() const;  // virtual key in the low byte, HOTKEYF_* in the high byte
  void SetValue(WORD v);
};

class TabControl : public Control {
 public:
  void Create(HWND parent, int x, int y, int w, int h, int tabWidth = 0, DWORD extraStyle = 0);
  void AddTab(const std::string& caption);
  int Index() const;
  // Changes the tab and runs onChange, as a click on the tab does.
  void SelectTab(int i);
  int Count() const;
  std::string TabCaption(int i) const;
  RECT DisplayRect() const;  // the page area, in the parent's coordinates at 96 DPI
  std::function<void()> onChange;
  bool HandleNotify(NMHDR* nm, LRESULT& result) override;
  void DpiChanged(UINT dpi) override;

 private:
  int tabWidth_ = 0;  // at 96 DPI; 0 for tabs as wide as their captions
};

}  // namespace qc::ui
