#pragma once
// The notification-area icon: kept in one place, re-added when the taskbar
// is created anew, with left and right click events.
#include <windows.h>

#include <functional>
#include <string>

namespace qc::ui {

class TrayIcon {
 public:
  // The callback message the icon sends to its window.
  static constexpr UINT kCallbackMessage = WM_APP + 100;

  ~TrayIcon();
  void Attach(HWND window, HICON icon, const std::string& tip);
  void SetVisible(bool on);
  bool Visible() const { return visible_; }

  // Let the owning window pass its messages through; true when handled.
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  std::function<void()> onLeftClick;   // on release of the left button
  std::function<void()> onRightClick;  // on release of the right button

 private:
  bool Add();
  void Remove();
  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  std::string tip_;
  bool visible_ = false;
  UINT taskbarCreated_ = 0;
};

}  // namespace qc::ui
