#pragma once
// Top-level windows (forms), their hints, the keyboard pipeline and the
// message loop shared by the program and the tests.
#include <functional>
#include <set>
#include <string>

#include "ui/handles.h"
#include "ui/window.h"

namespace qc::ui {

class Button;

// The pop-up hints of one form: a balloon tooltip with one tool per control.
// The controls relay their mouse messages to it (TTM_RELAYEVENT); nothing is
// subclassed.
class HintWindow {
 public:
  HintWindow() = default;
  HintWindow(const HintWindow&) = delete;
  HintWindow& operator=(const HintWindow&) = delete;
  ~HintWindow();
  void Create(HWND owner);
  void SetHint(HWND control, const std::string& text);
  std::string HintOf(HWND control) const;
  void SetActive(bool on);
  bool Active() const { return active_; }
  HWND Handle() const { return tip_; }
  // The tooltip went with its owner (owned windows go first).
  void OwnerDestroyed() { tip_ = nullptr; }

 private:
  bool HasTool(HWND control) const;
  HWND tip_ = nullptr;
  HWND owner_ = nullptr;
  bool active_ = true;
};

enum class ModalResult { None = 0, Ok = 1, Cancel = 2 };

class Form : public Window {
 public:
  Form();
  ~Form() override;

  HintWindow& Hints() { return hints_; }
  std::string Caption() const;
  void SetCaption(const std::string& caption);

  // Sizes the window so that its client area is w x h at 96 DPI (window
  // style and the window's DPI taken into account).
  void SetClientSize(int w, int h);
  RECT WindowRect() const;
  void CenterOnScreen();
  // Left = owner left + (owner width - width) / 2, top likewise, truncating toward zero.
  void CenterOver(HWND owner);

  // Enter clicks this button unless the focused control uses Enter itself.
  void SetDefaultButton(Button* button);
  Button* DefaultButton() const { return defaultButton_; }
  // Keys pass through the form's key handlers before the focused control.
  bool keyPreview = false;

  // Shows the form modally over its owner; returns how it was closed.
  ModalResult ShowModal(HWND owner);
  void SetModalResult(ModalResult r) { modalResult_ = r; }
  ModalResult GetModalResult() const { return modalResult_; }
  bool IsModal() const { return modal_; }

  // The keyboard pipeline; returns true when the message was consumed.
  bool PreTranslateKey(MSG& msg);

  // The control that has the focus when the form becomes active.
  void SetFocusControl(HWND control) { lastFocus_ = control; }

  // Closes the form as its close box does (the close handler may refuse).
  void Close();

  // The colour at the left end of the active caption's gradient, and its repaint.
  void SetCaptionGradient(COLORREF colour);
  COLORREF CaptionGradient() const;

  // Lays the form out for `dpi`: every control of ours in it at its place
  // and with its font for that DPI, the window as large as its client area
  // needs, with its top left corner at `where` (the suggested rectangle of
  // WM_DPICHANGED) or where it is.
  void ApplyDpi(UINT dpi, const RECT* where = nullptr);

 protected:
  // Creates the top-level window: caption, fixed dialog frame with the system
  // menu, a client area of clientW x clientH at 96 DPI, at the DPI of its
  // owner or, without one, of the screen it opens on.
  void CreateForm(const std::string& caption, int clientW, int clientH, HWND owner, DWORD extraStyle = 0);

  // Handlers a form may override.
  virtual void FormKeyDown(WPARAM& key) { (void)key; }
  virtual void FormKeyUp(WPARAM& key) { (void)key; }
  // Return false to keep the window open.
  virtual bool FormCloseQuery() { return true; }
  virtual void FormClose() {}
  virtual void FormDestroyed() {}
  // Escape pressed and not used by the focused control; true when handled.
  virtual bool EscapeKey() { return false; }

  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  HintWindow hints_;
  Button* defaultButton_ = nullptr;
  ModalResult modalResult_ = ModalResult::None;
  bool modal_ = false;
  COLORREF captionColour_ = CLR_INVALID;
  bool active_ = false;
  HWND lastFocus_ = nullptr;
  int clientW_ = 0, clientH_ = 0;  // at 96 DPI
  Icon smallIcon_, bigIcon_;      // the program's icon at the window's DPI
  void PaintCaption();
  SIZE WindowSizeFor(UINT dpi) const;
  void FitClientArea();
  void TakeIcons();
};

// The program's message loop.
class Application {
 public:
  static Application& Get();

  // Sees every message taken from the queue before it is dispatched;
  // returns true when it handled the message.
  std::function<bool(MSG&)> onMessage;
  // Called when a form starts its modal loop (tests script dialogs with it).
  std::function<void(Form&)> onModalShown;

  // Runs until WM_QUIT; returns its exit code.
  int Run();
  // Takes and handles one message, waiting for it; false on WM_QUIT (which is re-posted).
  bool HandleOneMessage();
  // Handles every message that is waiting, without blocking.
  void ProcessMessages();
  // Runs one message through the program's pre-dispatch chain and dispatches it.
  void Dispatch(MSG& msg);

  // All hints of the program on or off.
  void SetShowHints(bool on);
  bool ShowHints() const { return showHints_; }
  void AddHintWindow(HintWindow* h) { hintWindows_.insert(h); }
  void RemoveHintWindow(HintWindow* h) { hintWindows_.erase(h); }

 private:
  bool showHints_ = true;
  std::set<HintWindow*> hintWindows_;
};

}  // namespace qc::ui
