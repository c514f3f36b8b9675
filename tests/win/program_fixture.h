#pragma once
// The real program in processes of its own, started from a copy in a folder
// of the test's own, so that its data file is that folder's; the
// machine-wide settings file is the test's to write and is put back after.
#include <gtest/gtest.h>

#include <string>

#include "win_test_support.h"

namespace qc::test {

class ProgramFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    exe = dir.File("quillcrd.exe");
    ASSERT_TRUE(CopyFileA((ProgramDirectory() + QC_QUILLCRD_EXE).c_str(), exe.c_str(), FALSE));
  }
  // The program's main window once it shows, or null after 20 s.
  HWND WaitForMainWindow(ChildProcess& p) {
    HWND found = nullptr;
    PumpUntil([&] { return (found = FindProcessWindow(p.Id(), "Quillcard - 3.1")) != nullptr; }, 20000);
    return found;
  }

  TempDir dir;
  MachineSettingsFile settings;
  std::string exe;
};

}  // namespace qc::test
