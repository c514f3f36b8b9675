#include "word/win32/com_util.h"

#include <cstdio>

namespace qc::word {

Bstr::Bstr(const std::string& ansi) {
  std::wstring wide = AnsiToWide(ansi);
  b_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::wstring AnsiToWide(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string WideToAnsi(const wchar_t* text, int length) {
  if (!text) return {};
  if (length < 0) length = lstrlenW(text);
  if (length == 0) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, ansi.data(), n, nullptr, nullptr);
  return ansi;
}

std::string BstrToAnsi(BSTR b) { return b ? WideToAnsi(b, static_cast<int>(SysStringLen(b))) : std::string(); }

std::string HresultText(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(hr));
  return buf;
}

}  // namespace qc::word
