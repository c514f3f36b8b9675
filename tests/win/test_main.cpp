// Entry of every Windows test program: common controls, OLE, and hooks that
// record message boxes and help calls instead of blocking on them.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "win_test_support.h"

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                           ICC_HOTKEY_CLASS | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  OleInitialize(nullptr);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  qc::test::InstallRecordingHooks();
  int rc = RUN_ALL_TESTS();
  OleUninitialize();
  return rc;
}
