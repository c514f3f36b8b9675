// Help with the real viewers: the built quillcrd.chm opens at the topic of a
// page and of a dialog's Help button while the main window goes on
// answering; a lone .hlp goes to WinHelp without the program waiting for it;
// no help file at all is said once.
#include <gtest/gtest.h>

#include <windows.h>
#include <htmlhelp.h>

#include <atomic>
#include <thread>

#include "main_fixture.h"
#include "settings/win32/default_form.h"
#include "ui/hooks.h"

namespace qc::test {
namespace {

class HelpTest : public MainWindowFixture {
 protected:
  void TearDown() override {
    ui::CloseHelpViewers();
    ui::Application::Get().onModalShown = nullptr;
    MainWindowFixture::TearDown();
    InstallRecordingHooks();
  }

  // The main window answers a message from another thread.
  bool MainAnswers() {
    std::atomic<bool> answered = false;
    std::thread other([&, hwnd = main->Handle()] {
      answered = SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 3000, nullptr) != 0;
    });
    PumpUntil([&] { return answered.load(); }, 4000);
    other.join();
    return answered;
  }
};

TEST_F(HelpTest, F1OnAPageAndAHelpButtonOpenTheViewerAtTheirTopicsWhileTheWindowAnswers) {
  ASSERT_TRUE(CopyFileA((ProgramDirectory() + "quillcrd.chm").c_str(), dir.File("quillcrd.chm").c_str(), FALSE))
      << "the build puts quillcrd.chm beside the tests";
  StartWith({});
  // Each help call reaches the real viewer and is kept with the window that it opened.
  struct Call { std::string file; UINT command; int topic; HWND viewer; };
  std::vector<Call> calls;
  ui::SetHelpHook([&](HWND owner, const std::string& file, UINT command, ULONG_PTR data) {
    calls.push_back({file, command, static_cast<int>(data), ui::OpenHelpViewer(owner, file, command, data)});
  });

  // F1 pressed on the keyboard, in a list of the Mail Merge page.
  main->Pages.SelectTab(1);
  SetForegroundWindow(main->Handle());
  SetFocus(main->MailMerge.lbTotalNames.Handle());
  INPUT keys[2] = {{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
  keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ASSERT_EQ(SendInput(2, keys, sizeof keys[0]), 2u);
  PumpUntil([&] { return !calls.empty(); });
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].file, dir.File("quillcrd.chm"));
  EXPECT_EQ(calls[0].command, static_cast<UINT>(HH_HELP_CONTEXT));
  EXPECT_EQ(calls[0].topic, 2000);
  // The viewer gives a window only for a number that the compiled map leads to a topic;
  // it is not modal: the program's window beside it is usable and answers.
  ASSERT_NE(calls[0].viewer, nullptr);
  EXPECT_TRUE(IsWindowVisible(calls[0].viewer));
  EXPECT_EQ(GetWindow(calls[0].viewer, GW_OWNER), main->Handle());
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_TRUE(MainAnswers());

  // A dialog's Help button: its topic, in a viewer that belongs to the main
  // window (it outlives the dialog) and takes input while the dialog is open.
  ui::Application::Get().onModalShown = [&](ui::Form& f) {
    if (auto* d = dynamic_cast<TfmDefault*>(&f)) {
      d->btHelp.Click();
      ASSERT_EQ(calls.size(), 2u);
      EXPECT_EQ(calls[1].topic, 6000);
      EXPECT_EQ(GetWindow(calls[1].viewer, GW_OWNER), main->Handle());
      EXPECT_TRUE(IsWindowEnabled(calls[1].viewer));
    }
    PostMessageA(f.Handle(), WM_CLOSE, 0, 0);
  };
  main->Pages.SelectTab(2);
  main->Configuration.btDefaults.Click();
  EXPECT_TRUE(calls.size() == 2 && calls[1].viewer && IsWindow(calls[1].viewer));
}

TEST_F(HelpTest, ALoneWinHelpFileIsOpenedWithoutWaitingForTheViewer) {
  WriteFileBytes(dir.File("quillcrd.hlp"), "not a help file");
  StartWith({});
  ui::SetHelpHook({});
  const DWORD start = GetTickCount();
  SendMessageA(main->Handle(), WM_HELP, 0, 0);
  EXPECT_LT(GetTickCount() - start, 1000u) << "the help call waited for WinHelp";
  EXPECT_TRUE(MainAnswers());
  EXPECT_TRUE(Recorded().messages.empty());

  // WinHelp's viewer did start, and is ended here: it waits for an answer about the file.
  HWND winHelp = nullptr;
  PumpUntil([&] { return (winHelp = FindWindowA("MS_WINHELP", nullptr)) != nullptr; }, 15000);
  if (!winHelp) GTEST_SKIP() << "this system has no WinHelp viewer to start";
  DWORD pid = 0;
  GetWindowThreadProcessId(winHelp, &pid);
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  ASSERT_NE(process, nullptr);
  TerminateProcess(process, 0);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
}

TEST_F(HelpTest, NoHelpFileIsSaidOnceWithTheFileThatIsMissing) {
  StartWith({});
  ui::SetHelpHook({});
  SendMessageA(main->Handle(), WM_HELP, 0, 0);
  SendMessageA(main->Handle(), WM_HELP, 0, 0);
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_NE(Recorded().messages[0].text.find(dir.File("quillcrd.chm")), std::string::npos);
}

}  // namespace
}  // namespace qc::test
