// The real program as separate processes: one copy at a time, a second start
// wakes the first (also out of the tray) and ends with exit code 0.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace qc::test {
namespace {

// Each test writes the machine-wide settings file its way.
class SingleInstanceTest : public ProgramFixture {
 protected:
  // A window of the test's own that holds the foreground.
  HWND MakeForegroundWindow() {
    HWND w = CreateWindowExA(0, "STATIC", "other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                             100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(w);
    Pump();
    return w;
  }
};

TEST_F(SingleInstanceTest, SecondStartEndsWithZeroAndBringsTheFirstToTheFront) {
  settings.Write("[Options]\r\nFirstTime=0\r\n");
  ChildProcess first(exe, dir.Path());
  HWND main = WaitForMainWindow(first);
  ASSERT_NE(main, nullptr);

  HWND other = MakeForegroundWindow();
  ASSERT_NE(GetForegroundWindow(), main);

  ChildProcess second(exe, dir.Path());
  EXPECT_EQ(second.Wait(20000), 0u);
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == main; }, 10000));
  EXPECT_EQ(first.Wait(0), static_cast<DWORD>(STILL_ACTIVE));

  // Its close saves the (empty) contact list.
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.Wait(20000), 0u);
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")).size(), 40u);
  DestroyWindow(other);
}

TEST_F(SingleInstanceTest, SecondStartRestoresTheFirstFromTheTray) {
  settings.Write("[Options]\r\nFirstTime=0\r\nTray Application=1\r\n");
  ChildProcess first(exe, dir.Path());
  HWND main = WaitForMainWindow(first);
  ASSERT_NE(main, nullptr);

  // Cancel clicked with the mouse in Browse mode steps aside: in tray mode it hides.
  HWND cancel = FindDescendant(main, "Button", "&Cancel");
  ASSERT_NE(cancel, nullptr);
  SendMessageA(cancel, BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(main); }, 10000));

  ChildProcess second(exe, dir.Path());
  EXPECT_EQ(second.Wait(20000), 0u);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 10000));
  EXPECT_EQ(first.Wait(0), static_cast<DWORD>(STILL_ACTIVE));

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.Wait(20000), 0u);
}

}  // namespace
}  // namespace qc::test
