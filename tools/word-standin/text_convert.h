#pragma once
// Text between the stand-in's 8-bit (ANSI code page) strings and BSTRs.
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace standin {

inline std::string ToAnsi(const wchar_t* text, int length) {
  if (!text || length <= 0) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, s.data(), n, nullptr, nullptr);
  return s;
}

inline std::string BstrToAnsi(BSTR b) { return b ? ToAnsi(b, static_cast<int>(SysStringLen(b))) : std::string(); }

inline std::wstring ToWide(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
  return w;
}

inline BSTR AnsiToBstr(const std::string& text) {
  std::wstring w = ToWide(text);
  return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

}  // namespace standin
