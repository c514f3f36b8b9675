#include "ui/tray_icon.h"

#include <shellapi.h>

namespace qc::ui {

TrayIcon::~TrayIcon() {
  if (visible_) Remove();
}

void TrayIcon::Attach(HWND window, HICON icon, const std::string& tip) {
  window_ = window;
  icon_ = icon;
  tip_ = tip;
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
}

void TrayIcon::SetVisible(bool on) {
  if (on == visible_) return;
  visible_ = on;
  if (on) Add(); else Remove();
}

bool TrayIcon::Add() {
  NOTIFYICONDATAA nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = window_;
  nid.uID = 1;
  nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  nid.uCallbackMessage = kCallbackMessage;
  nid.hIcon = icon_;
  lstrcpynA(nid.szTip, tip_.c_str(), sizeof nid.szTip);
  return Shell_NotifyIconA(NIM_ADD, &nid) != FALSE;
}

void TrayIcon::Remove() {
  if (!window_) return;
  NOTIFYICONDATAA nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = window_;
  nid.uID = 1;
  Shell_NotifyIconA(NIM_DELETE, &nid);
}

bool TrayIcon::HandleMessage(UINT msg, WPARAM, LPARAM lp) {
  if (msg == kCallbackMessage) {
    if (lp == WM_LBUTTONUP && onLeftClick) onLeftClick();
    if (lp == WM_RBUTTONUP && onRightClick) onRightClick();
    return true;
  }
  if (taskbarCreated_ && msg == taskbarCreated_) {
    if (visible_) Add();
    return true;
  }
  return false;
}

}  // namespace qc::ui
