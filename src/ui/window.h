#pragma once
// The window framework: one window-procedure trampoline that forwards to
// member handlers and never lets an exception through, control wrappers with
// event slots, and forms that own their controls as named members.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qc::ui {

class Form;

// Runs a handler and sends any exception to the general error report.
template <typename F>
void Guarded(F&& f);

// The program-wide dialog font (8 pt, the standard dialog face).
HFONT DialogFont();

// Base of every window whose messages we handle ourselves.
class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const { return hwnd_; }
  static Window* FromHandle(HWND hwnd);

 protected:
  // Creates the window with our window class. `style`'s WS_CHILD decides
  // whether `parent` is a parent or an owner.
  void CreateWindowObject(DWORD exStyle, const std::string& caption, DWORD style, int x, int y,
                          int w, int h, HWND parent);
  // Handles a message; the default reflects control notifications and then
  // calls DefWindowProc.
  virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT DefaultHandling(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK Trampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
};

// Reflects WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR* and owner-draw messages to the
// control that sent them. Returns true when a control handled the message.
bool ReflectToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// A standard or custom control wrapped with typed methods and event slots.
class Control {
 public:
  Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  HWND Handle() const { return hwnd_; }
  int Id() const { return id_; }
  static Control* FromHandle(HWND hwnd);

  std::string Text() const;
  void SetText(const std::string& text);
  bool Enabled() const;
  void SetEnabled(bool on);
  bool Visible() const;
  void SetVisible(bool on);
  void SetFocus();
  bool Focused() const;
  void SetBounds(int x, int y, int w, int h);
  RECT Bounds() const;  // in the parent's client coordinates
  void BringToFront();
  // The pop-up hint shown when the mouse rests over the control.
  void SetHint(const std::string& hint);
  const std::string& Hint() const { return hint_; }
  void SetFont(HFONT font);
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

 protected:
  void CreateControl(HWND parent, const char* className, const std::string& text, DWORD style,
                     DWORD exStyle, int x, int y, int w, int h);
  virtual LRESULT SubclassedProc(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT CallDefault(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR ref);
  HWND hwnd_ = nullptr;
  int id_ = 0;
  std::string hint_;
  COLORREF textColor_ = CLR_INVALID;
  HBRUSH bgBrush_ = nullptr;
  bool mouseInside_ = false;
};

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
