#pragma once
// Display scaling. Every position, size and font height of the program is
// written for 96 dots per inch; the framework turns it into pixels at the DPI
// of the window it is for. The newer functions of Windows 10 are looked up
// at run time, with the screen's LOGPIXELSY in their place where they are
// missing (Windows 7 and 8, older Wine), so that the program starts there too.
#include <windows.h>

namespace qc::ui {

inline constexpr UINT kBaseDpi = 96;

// The messages of per-monitor DPI changes, for headers that predate them.
inline constexpr UINT kDpiChangedMessage = 0x02E0;          // WM_DPICHANGED
inline constexpr UINT kGetDpiScaledSizeMessage = 0x02E4;    // WM_GETDPISCALEDSIZE

// The DPI of the screen as the whole process sees it (the system DPI).
UINT SystemDpi();
// The DPI a window is drawn at: GetDpiForWindow where the system has it,
// else the system DPI. Never 0.
UINT DpiOfWindow(HWND hwnd);

// A length at 96 DPI in pixels at `dpi`, rounded to the nearest pixel
// (half away from zero); and back.
int Scale(int length, UINT dpi);
int Unscale(int pixels, UINT dpi);
// A rectangle at 96 DPI in pixels at `dpi`. The edges are scaled, not the
// sizes, so that controls that touch at 96 DPI still touch, and controls
// that do not overlap there do not overlap after rounding either.
RECT ScaleRect(const RECT& r, UINT dpi);
RECT UnscaleRect(const RECT& r, UINT dpi);

// AdjustWindowRectExForDpi where the system has it, else AdjustWindowRectEx
// (whose frame is the system DPI's).
void AdjustWindowRectForDpi(RECT& r, DWORD style, DWORD exStyle, UINT dpi);
// GetSystemMetricsForDpi where the system has it, else the system DPI's
// metric scaled to `dpi`.
int SystemMetricForDpi(int index, UINT dpi);
// The caption font of the window frame at `dpi` (SystemParametersInfoForDpi,
// else the system DPI's font with its height scaled).
LOGFONTA CaptionFontForDpi(UINT dpi);

// A font described at 96 DPI, made for `dpi`. The fonts are kept for the
// whole run, one per description and DPI, and shared: never delete one.
HFONT FontForDpi(const LOGFONTA& at96, UINT dpi);

}  // namespace qc::ui
