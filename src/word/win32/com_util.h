#pragma once
// Owners for COM pointers, BSTRs and VARIANTs: move-only, released exactly once.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

#include "ui/handles.h"

namespace qc::word {

// The one COM pointer owner of the program.
template <typename T>
using ComPtr = ui::ComPtr<T>;

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::string& ansi);
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  ~Bstr() { SysFreeString(b_); }
  BSTR Get() const { return b_; }
  BSTR* Out() {
    SysFreeString(std::exchange(b_, nullptr));
    return &b_;
  }
  BSTR Release() { return std::exchange(b_, nullptr); }

 private:
  BSTR b_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }
  VARIANT* Get() { return &v_; }
  const VARIANT* Get() const { return &v_; }

 private:
  VARIANT v_;
};

// Text conversions through the ANSI code page; nothing here assumes UTF-8.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const wchar_t* text, int length = -1);
std::string BstrToAnsi(BSTR b);

// "0x80020009"
std::string HresultText(HRESULT hr);

}  // namespace qc::word
