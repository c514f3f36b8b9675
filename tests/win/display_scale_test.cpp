// The main window at 144 DPI (ctest runs this program with the prefix's
// LogPixels at 144) and after a move to a 192-DPI screen: every page laid
// out at the scale, fonts at the scale, nothing outside its parent and no
// two visible controls over each other.
#include <cstdlib>
#include <string>
#include <vector>

#include "main_fixture.h"
#include "ui/dpi.h"

namespace qc::test {
namespace {

// DPI awareness for this process, as quillcrd.exe's manifest asks: per
// monitor, version 2 or 1, where the system has it (Wine 8 takes only 1).
bool BecomeDpiAware() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  auto fn = reinterpret_cast<SetContextFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDpiAwarenessContext")));
  for (INT_PTR context : {-4, -3})  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, _PER_MONITOR_AWARE
    if (fn && fn(reinterpret_cast<HANDLE>(context))) return true;
  return SetProcessDPIAware() != FALSE;
}

RECT ScreenRect(HWND h, bool client) {
  RECT r{};
  if (client) {
    GetClientRect(h, &r);
    MapWindowPoints(h, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  } else {
    GetWindowRect(h, &r);
  }
  return r;
}

bool IsTabControl(HWND h) {
  char name[32] = {};
  GetClassNameA(h, name, sizeof name);
  return lstrcmpiA(name, WC_TABCONTROLA) == 0;
}

// Each visible child of `parent`, and theirs, inside its parent's client
// area and clear of its visible siblings. The pages lie on the tab control
// that switches them, by design; the windows inside a combo box are its own.
void ExpectTidy(HWND parent, const std::string& where) {
  const RECT area = ScreenRect(parent, true);
  std::vector<HWND> shown;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (IsWindowVisible(c) && ui::Control::FromHandle(c)) shown.push_back(c);
  for (size_t i = 0; i < shown.size(); ++i) {
    const RECT r = ScreenRect(shown[i], false);
    const std::string what = where + " / " + std::to_string(ui::Control::FromHandle(shown[i])->Id());
    EXPECT_TRUE(r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom)
        << what << " leaves its parent";
    for (size_t j = i + 1; j < shown.size(); ++j) {
      if (IsTabControl(shown[i]) || IsTabControl(shown[j])) continue;
      RECT both{}, s = ScreenRect(shown[j], false);
      EXPECT_FALSE(IntersectRect(&both, &r, &s)) << what << " overlaps " << ui::Control::FromHandle(shown[j])->Id();
    }
    ExpectTidy(shown[i], what);
  }
}

int FontHeight(HWND h) {
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf.lfHeight;
}

// The window, a button and the fonts at `dpi`, and every page tidy.
void ExpectLaidOutAt(TfmMain& main, UINT dpi) {
  SCOPED_TRACE(std::to_string(dpi) + " DPI");
  EXPECT_EQ(main.Dpi(), dpi);
  RECT client{};
  GetClientRect(main.Handle(), &client);
  EXPECT_EQ(client.right, ui::Scale(496, dpi));
  EXPECT_EQ(client.bottom, ui::Scale(426, dpi));
  const RECT b = ScreenRect(main.Database.btNew.Handle(), false);  // 114 x 21 at 96 DPI
  EXPECT_NEAR(b.right - b.left, 114.0 * dpi / 96, 1.0);
  EXPECT_NEAR(b.bottom - b.top, 21.0 * dpi / 96, 1.0);
  EXPECT_EQ(FontHeight(main.Database.btNew.Handle()), ui::Scale(-11, dpi));
  EXPECT_EQ(FontHeight(main.Database.meFax.Handle()), ui::Scale(-10, dpi));  // the preview's own font
  for (int page = 0; page < 3; ++page) {
    main.Pages.SelectTab(page);
    Pump();
    ExpectTidy(main.Handle(), "page " + std::to_string(page));
  }
  main.Pages.SelectTab(0);
}

TEST_F(MainWindowFixture, LaysOutEveryPageAtTheScreensScaleAndFollowsAMoveToAnother) {
  const char* asked = std::getenv("QC_DPI");
  if (!asked) GTEST_SKIP() << "run through ctest, which starts this program at 144 DPI (QC_DPI)";
  ASSERT_TRUE(BecomeDpiAware()) << "no per-monitor DPI awareness on this system";
  ASSERT_EQ(ui::SystemDpi(), static_cast<UINT>(std::atoi(asked))) << "Wine did not take LogPixels";
  StartWith({{{"Smith, John", "Acme Ltd"}, 0}});
  ExpectLaidOutAt(*main, 144);

  // Moved to a screen of 192 DPI: the system's suggested rectangle, then the same checks.
  RECT suggested = main->WindowRect();
  suggested.right = suggested.left + (suggested.right - suggested.left) * 4 / 3;
  suggested.bottom = suggested.top + (suggested.bottom - suggested.top) * 4 / 3;
  SendMessageA(main->Handle(), ui::kDpiChangedMessage, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  Pump();
  EXPECT_EQ(main->WindowRect().left, suggested.left);
  ExpectLaidOutAt(*main, 192);
}

}  // namespace
}  // namespace qc::test
