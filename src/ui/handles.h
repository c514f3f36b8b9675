#pragma once
// Move-only owners of handles and COM pointers: each releases what it holds
// exactly once, and none can be copied (a copy would release twice).
#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace qc::ui {

// One owner for every kind of handle; `Free` says how the handle goes.
template <typename H, typename Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}  // takes the handle over
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  // Frees what is held and holds `h` instead.
  void Reset(H h = nullptr) {
    if (H old = std::exchange(h_, h)) Free{}(old);
  }
  // Gives the handle up to a new owner (the clipboard, a window).
  [[nodiscard]] H Release() { return std::exchange(h_, nullptr); }

 private:
  H h_ = nullptr;
};

struct FreeGdiObject {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct FreeMenu {
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct FreeIcon {
  void operator()(HICON h) const { DestroyIcon(h); }
};

using Font = UniqueHandle<HFONT, FreeGdiObject>;
using Brush = UniqueHandle<HBRUSH, FreeGdiObject>;
using Bitmap = UniqueHandle<HBITMAP, FreeGdiObject>;
// A menu that is not attached to a window (a window destroys its own menu).
using Menu = UniqueHandle<HMENU, FreeMenu>;
// An icon that was created or loaded without LR_SHARED.
using Icon = UniqueHandle<HICON, FreeIcon>;

// A device context of a window (GetDC, GetWindowDC) or of the screen (null
// window), given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window, bool wholeWindow = false)
      : window_(window), dc_(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A COM interface pointer holding one reference.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* p) : p_(p) {}  // takes over a reference
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      Reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For functions that hand out a new reference.
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }

 private:
  T* p_ = nullptr;
};

}  // namespace qc::ui
