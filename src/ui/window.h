#pragma once
// The window framework: one window procedure for every window and control of
// ours, forwarding to member handlers and never letting an exception through;
// control wrappers with event slots; forms that own their controls as named
// members.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qc::ui {

class Form;
class Control;

// Runs a handler and sends any exception to the general error report.
template <typename F>
void Guarded(F&& f);

// The program-wide dialog font (8 pt, the standard dialog face) as made for
// 96 DPI: the description of the font, which controls show at their DPI.
HFONT DialogFont();
// The dialog font made for `dpi` (shared; never delete it).
HFONT DialogFont(UINT dpi);

namespace detail {
// The one window procedure of every window and control of ours, and what it
// needs to reach the objects (see window.cpp).
struct Link;
}  // namespace detail

// Base of every window whose messages we handle ourselves. The object is
// linked to its window from WM_NCCREATE to WM_NCDESTROY through the window's
// extra bytes; no message reaches the object outside that time.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  // Lets go of the window first, then destroys it: a window still there when
  // its object goes gets no more messages to the object.
  virtual ~Window();

  HWND Handle() const { return hwnd_; }
  // The object of a window of ours; null for any other window.
  static Window* FromHandle(HWND hwnd);
  // The DPI the window is laid out for (96 until it has a window).
  UINT Dpi() const { return dpi_; }

  // Destroys the window now, with the whole object there to handle
  // WM_DESTROY. A derived window whose destroy handling must also run when
  // the object goes first calls this from its own destructor.
  void DestroyHandle();

 protected:
  // Creates the window with our window class. `style`'s WS_CHILD decides
  // whether `parent` is a parent or an owner.
  void CreateWindowObject(DWORD exStyle, const std::string& caption, DWORD style, int x, int y,
                          int w, int h, HWND parent);
  // Handles a message; the default reflects control notifications and then
  // calls DefWindowProc.
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultHandling(UINT msg, WPARAM wp, LPARAM lp);
  // Unlinks the object from its window, then destroys the window: nothing
  // of the destruction reaches the object (whose derived part may be gone).
  void DestroyDetached();
  void SetDpi(UINT dpi) { dpi_ = dpi; }

 private:
  friend struct detail::Link;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
};

// Reflects WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR* and owner-draw messages to the
// control that sent them. Returns true when a control handled the message.
bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// Relays a mouse message of a window that is not one of our controls but lies
// inside one (the edit field of a combo box) to the hint of that control.
// The message loop calls it; our own controls relay their own messages.
void RelayToOuterHint(const MSG& msg);

// A standard or custom control wrapped with typed methods and event slots.
// Each standard class is superclassed once under its own name (a class of
// this program's that keeps the standard procedure for default handling).
class Control {
 public:
  Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  // Lets go of the window first, then destroys it; the windows around it are
  // not told about that destruction through their objects.
  virtual ~Control();

  HWND Handle() const { return hwnd_; }
  int Id() const { return id_; }
  // The object of a control of ours; null for any other window.
  static Control* FromHandle(HWND hwnd);

  std::string Text() const;
  void SetText(const std::string& text);
  bool Enabled() const;
  void SetEnabled(bool on);
  bool Visible() const;
  void SetVisible(bool on);
  void SetFocus();
  bool Focused() const;
  // Positions and sizes are at 96 DPI, in the parent's client coordinates;
  // the control stands at its DPI's pixels.
  void SetBounds(int x, int y, int w, int h);
  RECT Bounds() const;
  // The client area's size at 96 DPI (left and top 0).
  RECT ClientBounds() const;
  // The DPI the control is laid out for: its parent's when it was made.
  UINT Dpi() const { return dpi_; }
  void BringToFront();
  // The pop-up hint shown when the mouse rests over the control.
  void SetHint(const std::string& hint);
  const std::string& Hint() const { return hint_; }
  // The font as described at 96 DPI; the control shows it at its DPI (a
  // font of the same description made for that DPI, kept by the framework).
  void SetFont(HFONT font);
  // The font the control shows now.
  HFONT CurrentFont() const;
  // Text colour for labels, panels and other painted texts; CLR_INVALID is the default.
  void SetTextColor(COLORREF colour);
  COLORREF TextColor() const { return textColor_; }

  // Event slots. A key handler sets `key` to 0 to consume the key.
  std::function<void(WPARAM& key)> onKeyDown;
  std::function<void(WPARAM& key)> onKeyUp;
  std::function<void(char& ch)> onKeyPress;
  std::function<void()> onMouseEnter;
  std::function<void()> onMouseLeave;
  std::function<void()> onEnter;  // receives the focus
  std::function<void()> onExit;   // loses the focus
  std::function<void()> onDblClick;

  // Called by the parent's reflection; return true when handled.
  virtual bool HandleCommand(WORD code);
  virtual bool HandleNotify(NMHDR* nm, LRESULT& result);
  virtual HBRUSH HandleCtlColor(HDC dc);

  // Runs the key-down event as the control would (used by the form's key pipeline).
  void FireKeyDown(WPARAM& key);

  // The window's DPI changed (WM_DPICHANGED of its form): the control moves
  // to its place at `dpi` and takes its font for `dpi`. Controls with
  // images or pixel measures of their own add theirs.
  virtual void DpiChanged(UINT dpi);

 protected:
  // Creates the control: `className` is a standard class (superclassed on
  // first use) or one of this program's own ("QuillcardPanel").
  void CreateControl(HWND parent, const char* className, const std::string& text, DWORD style,
                     DWORD exStyle, int x, int y, int w, int h);
  // Handles a message of the control; the default runs the event slots and
  // then the standard procedure (CallDefault).
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT CallDefault(UINT msg, WPARAM wp, LPARAM lp);
  // Takes `dpi` and the font for it, without moving the control.
  void TakeDpi(UINT dpi);

 private:
  friend struct detail::Link;
  friend void RelayToOuterHint(const MSG& msg);
  // Takes the control's tool out of its form's tooltip.
  void ForgetHint();
  HWND hwnd_ = nullptr;
  WNDPROC baseProc_ = nullptr;
  int id_ = 0;
  std::string hint_;
  HWND hintTip_ = nullptr;  // the tooltip of the form that shows the hint
  COLORREF textColor_ = CLR_INVALID;
  bool mouseInside_ = false;
  UINT dpi_ = 96;
  RECT place_{};   // where the control was put, at 96 DPI
  LOGFONTA font_{};  // the font's description at 96 DPI
};

// The DPI for the children of a window: a window or control of ours says
// what it is laid out for, any other window what the system says.
UINT DpiForChildrenOf(HWND parent);

// Finds the form (top-level window of ours) that holds a window.
Form* FormOf(HWND hwnd);

}  // namespace qc::ui

#include "ui/hooks.h"
#include <exception>

namespace qc::ui {
template <typename F>
void Guarded(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    ReportError(e.what());
  } catch (...) {
    ReportError("An unexpected error occurred");
  }
}
}  // namespace qc::ui
