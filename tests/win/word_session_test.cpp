// Finding the running Word and connecting to it, against stand-ins running
// as separate processes: the window count, the process and its version
// resource, the generation, and the three ways to the WordBasic object.
#include <gtest/gtest.h>

#include "ui/message_box_messages.h"
#include "word/win32/word_host.h"
#include "word/win32/word_session.h"
#include "word_standin.h"

namespace qc::test {
namespace {

using word::WordGeneration;

class WordSessionTest : public ::testing::Test {
 protected:
  void SetUp() override { Recorded().Clear(); }

  WordGeneration Probe() {
    word::Win32WordHost host;
    return word::ProbeWord(host, messages);
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> v;
    for (auto& m : Recorded().messages) v.push_back(m.text);
    return v;
  }

  ui::MessageBoxMessages messages;
};

// A top-level window of Word's class, owned by this test program.
class FakeWordWindow {
 public:
  FakeWordWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OpusApp";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, "OpusApp", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);  // hidden
  }
  ~FakeWordWindow() { DestroyWindow(hwnd_); }

 private:
  HWND hwnd_;
};

TEST_F(WordSessionTest, WithoutWordTheUserIsToldToOpenIt) {
  EXPECT_EQ(word::CountTopLevelWindows("OpusApp"), 0);
  EXPECT_EQ(Probe(), WordGeneration::None);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Quillcard requires that Microsoft Word is already opened.\r\n Please open Word and try again"});
  EXPECT_EQ(Recorded().messages[0].type, static_cast<UINT>(MB_OK));
}

TEST_F(WordSessionTest, WithTwoWordsTheUserIsToldToCloseOne) {
  WordStandin first(StandinBuild::Word8), second(StandinBuild::Word8);
  ASSERT_TRUE(first.Ready() && second.Ready());
  EXPECT_EQ(Probe(), WordGeneration::None);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Quillcard requires that only one instance of Microsoft Word is running.\r\n"
                            "Please close all running instances of Word but one and try again"});
}

TEST_F(WordSessionTest, AHiddenWordWindowWithoutAWordProcessEndsSilently) {
  FakeWordWindow window;
  EXPECT_EQ(word::CountTopLevelWindows("OpusApp"), 1);
  EXPECT_EQ(word::CountTopLevelWindows("opusapp"), 0);  // the class name counts exactly
  EXPECT_EQ(word::FindRunningExe("winword"), "");
  EXPECT_EQ(Probe(), WordGeneration::None);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(WordSessionTest, TheRunningWordsExecutableAndVersionAreFound) {
  WordStandin standin(StandinBuild::Word7);
  ASSERT_TRUE(standin.Ready());
  // The process list gives the bare name; the host reads the version from the full path.
  EXPECT_EQ(word::FindRunningExe("WinWord"), "winword7.exe");
  word::Win32WordHost host;
  std::string path = host.FindRunningExe("WINWORD");
  ASSERT_GT(path.size(), 13u);
  EXPECT_EQ(path.substr(path.size() - 13), "\\winword7.exe");
  EXPECT_EQ(word::GetVersionInfoString(path, "ProductVersion"), "7.0a");
  EXPECT_EQ(word::GetVersionInfoString(path, "NoSuchKey"), "");
  EXPECT_EQ(word::GetVersionInfoString(StandinExe(StandinBuild::Word16), "ProductVersion"), "16.0");
  // This test program has no version resource at all.
  EXPECT_EQ(word::GetVersionInfoString(ProgramDirectory() + "win_word_session_test.exe", "ProductVersion"), "");
  EXPECT_EQ(word::GetVersionInfoString(ProgramDirectory() + "no-such-file.exe", "ProductVersion"), "");
}

TEST_F(WordSessionTest, Word7IsCreatedFromItsClass) {
  WordStandin standin(StandinBuild::Word7);
  ASSERT_TRUE(standin.Ready());
  ASSERT_EQ(Probe(), WordGeneration::Word7);
  auto session = word::ConnectWord(WordGeneration::Word7);
  EXPECT_EQ(session->ReadInteger("CountToolbars"), 2);
  auto log = standin.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].name, "CountToolbars");
  // It is not in the running-object table, as the later generation is.
  EXPECT_THROW(word::ConnectWord(WordGeneration::Word8), word::WordError);
}

// Runs a program with arguments and waits for its end; its exit code.
DWORD RunProgram(const std::string& exe, const std::string& args) {
  std::string cmd = "\"" + exe + "\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 255;
  DWORD code = 255;
  if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}

TEST_F(WordSessionTest, Word7NotYetRunningIsStartedByCreatingItsClass) {
  ASSERT_EQ(RunProgram(StandinExe(StandinBuild::Word7), "/RegServer"), 0u);
  {
    auto session = word::ConnectWord(WordGeneration::Word7);
    HWND window = FindWindowA("OpusApp", nullptr);
    ASSERT_NE(window, nullptr);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    ASSERT_NE(process, nullptr);
    // Started for automation, Word stays out of sight until it is asked to show itself.
    EXPECT_FALSE(IsWindowVisible(window));
    session->Send("AppShow");
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(session->ReadInteger("CountToolbars"), 2);
    session.reset();
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 99);
    CloseHandle(process);
  }
  ASSERT_EQ(RunProgram(StandinExe(StandinBuild::Word7), "/UnregServer"), 0u);
  EXPECT_THROW(word::ConnectWord(WordGeneration::Word7), word::WordError);
}

TEST_F(WordSessionTest, Word8IsTheRunningObject) {
  WordStandin standin(StandinBuild::Word8);
  ASSERT_TRUE(standin.Ready());
  ASSERT_EQ(Probe(), WordGeneration::Word8);
  auto session = word::ConnectWord(WordGeneration::Word8);
  session->Send("AppShow");
  EXPECT_EQ(standin.Log().at(0).name, "AppShow");
  EXPECT_TRUE(Messages().empty());
}

TEST_F(WordSessionTest, ALaterWordIsReachedThroughItsApplicationObject) {
  WordStandin standin(StandinBuild::Word16);
  ASSERT_TRUE(standin.Ready());
  ASSERT_EQ(Probe(), WordGeneration::Word8);
  auto session = word::ConnectWord(WordGeneration::Word8);
  session->Send("FileNewDefault");
  session->Send("Insert", {word::WordArg::Held("through WordBasic")});
  EXPECT_EQ(standin.Text(), "through WordBasic\r");
}

TEST_F(WordSessionTest, ConnectingWithoutWordFails) {
  EXPECT_THROW(word::ConnectWord(WordGeneration::Word8), word::WordError);
  EXPECT_THROW(word::ConnectWord(WordGeneration::None), word::WordError);
}

TEST_F(WordSessionTest, ASessionOutlivingItsWordReportsItGone) {
  auto standin = std::make_unique<WordStandin>(StandinBuild::Word8);
  ASSERT_TRUE(standin->Ready());
  auto session = word::ConnectWord(WordGeneration::Word8);
  standin.reset();
  try {
    session->Send("AppShow");
    FAIL() << "no error";
  } catch (const word::WordError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Word could not carry out AppShow", 0), 0u) << e.what();
  }
}

}  // namespace
}  // namespace qc::test
