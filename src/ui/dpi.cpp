#include "ui/dpi.h"

#include <cstring>
#include <vector>

#include "ui/handles.h"

namespace qc::ui {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using MetricForDpiFn = int(WINAPI*)(int, UINT);
using ParametersForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

// The functions of user32 that only newer systems have, looked up once.
struct NewerUser32 {
  GetDpiForWindowFn dpiForWindow = nullptr;
  GetDpiForSystemFn dpiForSystem = nullptr;
  AdjustForDpiFn adjustForDpi = nullptr;
  MetricForDpiFn metricForDpi = nullptr;
  ParametersForDpiFn parametersForDpi = nullptr;

  NewerUser32() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32) return;
    auto find = [user32](const char* name) { return reinterpret_cast<void*>(GetProcAddress(user32, name)); };
    dpiForWindow = reinterpret_cast<GetDpiForWindowFn>(find("GetDpiForWindow"));
    dpiForSystem = reinterpret_cast<GetDpiForSystemFn>(find("GetDpiForSystem"));
    adjustForDpi = reinterpret_cast<AdjustForDpiFn>(find("AdjustWindowRectExForDpi"));
    metricForDpi = reinterpret_cast<MetricForDpiFn>(find("GetSystemMetricsForDpi"));
    parametersForDpi = reinterpret_cast<ParametersForDpiFn>(find("SystemParametersInfoForDpi"));
  }
};

const NewerUser32& Newer() {
  static const NewerUser32 functions;
  return functions;
}

UINT ScreenLogPixels() {
  WindowDc screen(nullptr);
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

struct KeptFont {
  LOGFONTA at96;
  UINT dpi;
  Font font;
};

}  // namespace

UINT SystemDpi() {
  if (Newer().dpiForSystem) {
    const UINT dpi = Newer().dpiForSystem();
    if (dpi) return dpi;
  }
  return ScreenLogPixels();
}

UINT DpiOfWindow(HWND hwnd) {
  if (hwnd && Newer().dpiForWindow) {
    const UINT dpi = Newer().dpiForWindow(hwnd);
    if (dpi) return dpi;
  }
  return SystemDpi();
}

int Scale(int length, UINT dpi) { return MulDiv(length, static_cast<int>(dpi), static_cast<int>(kBaseDpi)); }
int Unscale(int pixels, UINT dpi) {
  return dpi ? MulDiv(pixels, static_cast<int>(kBaseDpi), static_cast<int>(dpi)) : pixels;
}

RECT ScaleRect(const RECT& r, UINT dpi) {
  return {Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.right, dpi), Scale(r.bottom, dpi)};
}

RECT UnscaleRect(const RECT& r, UINT dpi) {
  return {Unscale(r.left, dpi), Unscale(r.top, dpi), Unscale(r.right, dpi), Unscale(r.bottom, dpi)};
}

void AdjustWindowRectForDpi(RECT& r, DWORD style, DWORD exStyle, UINT dpi) {
  if (Newer().adjustForDpi && Newer().adjustForDpi(&r, style, FALSE, exStyle, dpi)) return;
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
}

int SystemMetricForDpi(int index, UINT dpi) {
  if (Newer().metricForDpi) return Newer().metricForDpi(index, dpi);
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

LOGFONTA CaptionFontForDpi(UINT dpi) {
  // The wide structure: SystemParametersInfoForDpi has no ANSI form.
  NONCLIENTMETRICSW wide{};
  wide.cbSize = sizeof wide;
  LOGFONTA lf{};
  if (Newer().parametersForDpi &&
      Newer().parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof wide, &wide, 0, dpi)) {
    const LOGFONTW& w = wide.lfCaptionFont;
    lf.lfHeight = w.lfHeight;
    lf.lfWidth = w.lfWidth;
    lf.lfWeight = w.lfWeight;
    lf.lfItalic = w.lfItalic;
    lf.lfCharSet = w.lfCharSet;
    lf.lfQuality = w.lfQuality;
    lf.lfPitchAndFamily = w.lfPitchAndFamily;
    WideCharToMultiByte(CP_ACP, 0, w.lfFaceName, -1, lf.lfFaceName, LF_FACESIZE, nullptr, nullptr);
    return lf;
  }
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  lf = ncm.lfCaptionFont;
  lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  return lf;
}

HFONT FontForDpi(const LOGFONTA& at96, UINT dpi) {
  // A handful of descriptions times the DPIs of the screens: a list will do.
  static std::vector<KeptFont> kept;
  // Compared as bytes: nothing after the face name's end may differ.
  LOGFONTA key = at96;
  const size_t faceLength = strnlen(key.lfFaceName, LF_FACESIZE);
  std::memset(key.lfFaceName + faceLength, 0, LF_FACESIZE - faceLength);
  for (const KeptFont& k : kept)
    if (k.dpi == dpi && std::memcmp(&k.at96, &key, sizeof key) == 0) return k.font.Get();
  LOGFONTA lf = key;
  lf.lfHeight = Scale(at96.lfHeight, dpi);
  lf.lfWidth = Scale(at96.lfWidth, dpi);
  Font font(CreateFontIndirectA(&lf));
  if (!font) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  kept.push_back({key, dpi, std::move(font)});
  return kept.back().font.Get();
}

}  // namespace qc::ui
