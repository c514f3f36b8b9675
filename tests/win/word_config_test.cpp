// The Word interface configuration window against the Word stand-in over
// COM: the template in the startup folder named by the registry, the toolbar
// button with its image, the key shortcut in Word's key codes, and clearing.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "main_fixture.h"
#include "ui/hooks.h"
#include "word/win32/word_config_form.h"
#include "word/win32/word_session.h"
#include "word_standin.h"

namespace qc::test {
namespace {

using word::TfmWordConfig;
using word::WordArg;

// The pixels of a pasted image as the stand-in reports them ("WxH:" and RRGGBB each).
struct Image {
  int width = 0, height = 0;
  std::vector<unsigned> pixels;
};
Image ParseImage(const std::string& text) {
  Image image;
  size_t colon = text.find(':');
  if (colon == std::string::npos || std::sscanf(text.c_str(), "%dx%d", &image.width, &image.height) != 2) return image;
  for (size_t i = colon + 1; i + 6 <= text.size(); i += 6)
    image.pixels.push_back(static_cast<unsigned>(std::stoul(text.substr(i, 6), nullptr, 16)));
  return image;
}

class WordConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Recorded().Clear();
    templateBytes = ReadFileBytes(ProgramDirectory() + "qlc8.dot");
    ASSERT_FALSE(templateBytes.empty()) << "the build puts qlc8.dot beside the programs";
    WriteFileBytes(program.File("qlc8.dot"), templateBytes);
    WriteFileBytes(program.File("install.log"), "Installed 3.1\r\n");
    owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 600, 400, nullptr,
                            nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    dialog.reset();
    word::ReleaseConfigSession();
    DestroyWindow(owner);
    Pump();
    standin.reset();
    ui::SetMessageBoxHook({});
    InstallRecordingHooks();
  }

  void StartWord(const std::string& extraArgs = "") {
    standin = std::make_unique<WordStandin>(StandinBuild::Word8, extraArgs);
    ASSERT_TRUE(standin->Ready());
  }

  // Opens the window as the main window does and waits for its connection.
  void Open() {
    dialog = std::make_unique<TfmWordConfig>();
    word::WordConfigEnvironment env;
    env.programFolder = program.Path();
    env.messages = &messages;
    dialog->Create(owner, env);
    ShowWindow(dialog->Handle(), SW_SHOW);
    ASSERT_TRUE(PumpUntil([&] { return dialog->Connected(); }, 20000));
    Pump();
  }

  std::vector<std::string> MessageTexts() {
    std::vector<std::string> v;
    for (auto& m : Recorded().messages) v.push_back(m.text);
    return v;
  }
  bool ActionsEnabled() {
    return dialog->btToolbar.Enabled() && dialog->btKeyboard.Enabled() && dialog->btClear.Enabled();
  }
  bool ActionsDisabled() {
    return !dialog->btToolbar.Enabled() && !dialog->btKeyboard.Enabled() && !dialog->btClear.Enabled();
  }
  std::vector<std::string> ToolbarEntries() {
    std::vector<std::string> v;
    for (int i = 0; i < dialog->cbToolbar.Count(); ++i) v.push_back(dialog->cbToolbar.Item(i));
    return v;
  }
  void Click(ui::Button& b) {
    SendMessageA(b.Handle(), BM_CLICK, 0, 0);
    Pump();
  }
  StandinButton Button(const std::string& toolbar, int position) {
    for (const StandinButton& b : standin->Toolbars())
      if (b.toolbar == toolbar && b.position == position) return b;
    ADD_FAILURE() << "no button " << position << " on " << toolbar;
    return {};
  }
  std::vector<LoggedCommand> Sent(const std::string& name) {
    std::vector<LoggedCommand> found;
    for (const LoggedCommand& c : standin->Log())
      if (c.name == name) found.push_back(c);
    return found;
  }

  // Clears, and gives the result window's list; records the buttons' state
  // while the window was up.
  std::vector<std::string> ClearAndReadResult() {
    std::vector<std::string> items;
    bool resultShown = false;
    ui::Application::Get().onModalShown = [&](ui::Form& f) {
      auto* result = dynamic_cast<word::TfmResult*>(&f);
      if (!result) return;
      resultShown = true;
      EXPECT_EQ(result->Caption(), "Clear Quillcard result");
      for (int i = 0; i < result->lb.Count(); ++i) items.push_back(result->lb.Item(i));
      exitWasDisabled = !dialog->btExit.Enabled();
      result->btExit.Click();
    };
    Click(dialog->btClear);
    ui::Application::Get().onModalShown = nullptr;
    EXPECT_TRUE(resultShown);
    return items;
  }

  TempDir program, startup;
  ScopedStartupFolder startupPath{StandinBuild::Word8, startup.Path().substr(0, startup.Path().size() - 1)};
  std::string templateBytes;
  HWND owner = nullptr;
  ui::MessageBoxMessages messages;
  std::unique_ptr<WordStandin> standin;
  std::unique_ptr<TfmWordConfig> dialog;
  bool exitWasDisabled = false;
};

TEST_F(WordConfigTest, FirstOpeningInstallsTheTemplateAndListsWordsToolbars) {
  StartWord();
  Open();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{word::kTemplateCopiedMessage});
  EXPECT_EQ(ReadFileBytes(startup.File("qlc.dot")), templateBytes);
  EXPECT_EQ(ReadFileBytes(program.File("install.log")),
            "Installed 3.1\r\nFile Copy: " + startup.File("qlc.dot") + "\r\n");
  EXPECT_EQ(ToolbarEntries(), (std::vector<std::string>{"Standard", "Formatting"}));
  EXPECT_EQ(dialog->cbToolbar.ItemIndex(), 0);
  EXPECT_EQ(dialog->cbToolbar.Text(), "Standard");
  EXPECT_EQ(dialog->Status.PanelText(0), "Connection to Word successful");
  EXPECT_TRUE(ActionsEnabled());
  EXPECT_EQ(dialog->Caption(), "Word interface configuration");

  // Opening again finds the template: no copy, nothing said, the log as it was.
  Recorded().Clear();
  Open();
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_EQ(ReadFileBytes(program.File("install.log")),
            "Installed 3.1\r\nFile Copy: " + startup.File("qlc.dot") + "\r\n");
  EXPECT_TRUE(ActionsEnabled());
}

TEST_F(WordConfigTest, WithoutAnInstallLogTheActionsStayOffUntilTheNextOpening) {
  DeleteFileA(program.File("install.log").c_str());
  StartWord();
  Open();
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{word::kTemplateCopiedMessage, word::kTemplateErrorMessage}));
  EXPECT_EQ(ReadFileBytes(startup.File("qlc.dot")), templateBytes);
  EXPECT_TRUE(ActionsDisabled());
  EXPECT_TRUE(dialog->btExit.Enabled());
  EXPECT_EQ(dialog->Status.PanelText(0), "Connection to Word successful");

  Recorded().Clear();
  Open();
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_TRUE(ActionsEnabled());
}

TEST_F(WordConfigTest, ATemplateThatCannotBeCopiedIsToldWithBothPaths) {
  DeleteFileA(program.File("qlc8.dot").c_str());
  StartWord();
  Open();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Unable to copy Quillcard Template (" + program.File("qlc8.dot") +
                                                     ") to \r\nStartup Dir (" + startup.File("qlc.dot") +
                                                     "). Please copy it manually and try again"});
  EXPECT_TRUE(ActionsDisabled());
}

TEST_F(WordConfigTest, WithoutWordTheWindowStaysWithItsActionsOff) {
  Open();
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{word::kWordNotRunningMessage, word::kWordConnectionFailedMessage}));
  EXPECT_TRUE(ActionsDisabled());
  EXPECT_EQ(dialog->Status.PanelText(0), "");
  EXPECT_FALSE(FileExists(startup.File("qlc.dot")));
  // Help and Exit still work.
  Click(dialog->btHelp);
  EXPECT_EQ(Recorded().helpTopics, std::vector<int>{4000});
  Click(dialog->btExit);
  EXPECT_EQ(dialog->GetModalResult(), ui::ModalResult::Ok);
}

TEST_F(WordConfigTest, TheToolbarButtonGoesFirstOnTheChosenToolbarWithTheProgramsImage) {
  StartWord();
  Open();
  dialog->cbToolbar.SetItemIndex(1);
  Click(dialog->btToolbar);

  std::vector<LoggedCommand> add = Sent("AddButton");
  ASSERT_EQ(add.size(), 1u);
  ASSERT_EQ(add[0].args.size(), 5u);
  EXPECT_EQ(add[0].args[0].value, "Formatting");
  EXPECT_EQ(add[0].args[1].value, "1");
  EXPECT_EQ(add[0].args[2].value, "2");
  EXPECT_EQ(add[0].args[3].value, "Quillcard");
  EXPECT_EQ(add[0].args[4].value, "21");
  ASSERT_EQ(Sent("PasteButtonImage").size(), 1u);
  EXPECT_EQ(dialog->Status.PanelText(0), "Toolbar button creation successful");
  EXPECT_TRUE(ActionsEnabled());
  EXPECT_TRUE(dialog->btExit.Enabled());

  // Word shows the image: magenta became the button face, the card stayed.
  StandinButton button = Button("Formatting", 1);
  EXPECT_EQ(button.macro, "Quillcard");
  Image image = ParseImage(button.image);
  ASSERT_EQ(image.width, 16);
  ASSERT_EQ(image.height, 15);
  ASSERT_EQ(image.pixels.size(), 16u * 15u);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  unsigned facePixel = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
  EXPECT_EQ(image.pixels.front(), facePixel);
  EXPECT_EQ(image.pixels.back(), facePixel);
  EXPECT_EQ(std::count(image.pixels.begin(), image.pixels.end(), 0xFF00FFu), 0);
  EXPECT_EQ(image.pixels[3 * 16 + 0], 0x000000u);   // the card's black edge
  EXPECT_EQ(image.pixels[12 * 16 + 5], 0xFFFFFFu);  // and its white face
}

TEST_F(WordConfigTest, AToolbarButtonFailureIsToldWithTheButtonsOffMeanwhile) {
  StartWord();
  Open();
  Recorded().Clear();
  std::vector<bool> enabledDuringMessage;
  ui::SetMessageBoxHook([&](HWND, const std::string& text, UINT) {
    Recorded().messages.push_back({text, 0, {}});
    enabledDuringMessage = {dialog->btToolbar.Enabled(), dialog->btKeyboard.Enabled(), dialog->btClear.Enabled(),
                            dialog->btExit.Enabled()};
    return IDOK;
  });
  // A name typed into the field goes to Word as it is; this toolbar does not exist.
  SetWindowTextA(dialog->cbToolbar.Handle(), "No Such Bar");
  Click(dialog->btToolbar);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{word::kButtonFailedMessage});
  EXPECT_EQ(enabledDuringMessage, (std::vector<bool>{false, false, false, false}));
  EXPECT_EQ(Sent("AddButton").at(0).args.at(0).value, "No Such Bar");
  EXPECT_TRUE(ActionsEnabled());
  EXPECT_TRUE(dialog->btExit.Enabled());
}

TEST_F(WordConfigTest, KeyShortcutsUseWordsKeyCodes) {
  StartWord();
  Open();
  struct Case {
    BYTE flags;
    int code;
  };
  for (Case c : {Case{HOTKEYF_CONTROL | HOTKEYF_SHIFT, 849}, Case{HOTKEYF_ALT, 1105}, Case{HOTKEYF_CONTROL, 593},
                 Case{HOTKEYF_SHIFT, 337}}) {
    standin->Request("clear-log");
    dialog->hkKeyboard.SetValue(MAKEWORD('Q', c.flags));
    Click(dialog->btKeyboard);
    std::vector<LoggedCommand> sent = Sent("ToolsCustomizeKeyboard");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Arg("KeyCode"), std::to_string(c.code));
    EXPECT_EQ(sent[0].Arg("Category"), "2");
    EXPECT_EQ(sent[0].Arg("Name"), "Quillcard");
    EXPECT_EQ(sent[0].Arg("Add"), "1");
  }
  EXPECT_EQ(dialog->Status.PanelText(0), "Keyboard shortcut creation successful");
  EXPECT_EQ(standin->Keys().size(), 4u);

  // An empty field does nothing at all.
  standin->Request("clear-log");
  dialog->Status.SetPanelText(0, "");
  dialog->hkKeyboard.SetValue(0);
  Click(dialog->btKeyboard);
  EXPECT_TRUE(standin->Log().empty());
  EXPECT_EQ(dialog->Status.PanelText(0), "");
  EXPECT_EQ(MessageTexts().size(), 1u);  // only the template's message of the opening
}

TEST_F(WordConfigTest, ClearingRemovesOurButtonsLastFirstAndOurKeys) {
  StartWord();
  Open();
  // Word already holds two of our buttons on Standard (at 2 and 5) and two keys.
  auto wb = word::ConnectWord(word::WordGeneration::Word8);
  wb->Send("AddButton", {WordArg::Literal("Standard"), WordArg::Int(2), WordArg::Int(2), WordArg::Literal("Quillcard"),
                         WordArg::Int(21)});
  wb->Send("AddButton", {WordArg::Literal("Standard"), WordArg::Int(5), WordArg::Int(2),
                         WordArg::Literal("Normal.Quillcard"), WordArg::Int(21)});
  for (int code : {849, 600, 1105})
    wb->Send("ToolsCustomizeKeyboard", {WordArg::Named("KeyCode", code), WordArg::Named("Category", 2),
                                        WordArg::Named("Name", code == 600 ? "EditCopy" : "Quillcard", false),
                                        WordArg::Named("Add", 1)});
  wb.reset();
  standin->Request("clear-log");

  EXPECT_EQ(ClearAndReadResult(),
            (std::vector<std::string>{"Button - Standard [position 5]", "Button - Standard [position 2]",
                                      "Keyboard Shortcut - [Alt+Q]", "Keyboard Shortcut - [Shift+Ctrl+Q]"}));
  EXPECT_TRUE(exitWasDisabled);
  std::vector<LoggedCommand> deletes = Sent("DeleteButton");
  ASSERT_EQ(deletes.size(), 2u);
  EXPECT_EQ(deletes[0].args.at(1).value, "5");
  EXPECT_EQ(deletes[1].args.at(1).value, "2");
  for (const StandinButton& b : standin->Toolbars()) EXPECT_EQ(b.macro.find("Quillcard"), std::string::npos) << b.toolbar;
  EXPECT_EQ(standin->Keys(), (std::vector<StandinKey>{{600, "EditCopy"}}));
  EXPECT_EQ(dialog->Status.PanelText(0), "");
  EXPECT_TRUE(ActionsEnabled());

  // With nothing of ours left the result window opens with an empty list.
  EXPECT_TRUE(ClearAndReadResult().empty());
}

TEST_F(WordConfigTest, AnErrorWhileClearingIsToldAndWhatWentIsStillListed) {
  StartWord();
  Open();
  auto wb = word::ConnectWord(word::WordGeneration::Word8);
  for (int at : {1, 3})
    wb->Send("AddButton", {WordArg::Literal("Formatting"), WordArg::Int(at), WordArg::Int(2),
                           WordArg::Literal("Quillcard"), WordArg::Int(21)});
  wb.reset();
  standin->FailCall("DeleteButton", 2);
  Recorded().Clear();
  EXPECT_EQ(ClearAndReadResult(), std::vector<std::string>{"Button - Formatting [position 3]"});
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{word::kClearFailedMessage});
  EXPECT_TRUE(ActionsEnabled());
}

TEST_F(WordConfigTest, WordWithoutToolbarsLeavesTheListEmpty) {
  StartWord();
  ASSERT_TRUE(standin->RemoveToolbars());
  Open();
  EXPECT_EQ(dialog->cbToolbar.Count(), 0);
  EXPECT_EQ(dialog->cbToolbar.ItemIndex(), -1);
  EXPECT_EQ(dialog->cbToolbar.Text(), "");
  EXPECT_TRUE(ActionsEnabled());
}

// ---------------------------------------------------------------- from the main window

class WordInterfaceButtonTest : public MainWindowFixture {
 protected:
  void TearDown() override {
    MainWindowFixture::TearDown();
    word::ReleaseConfigSession();
    ui::Application::Get().onModalShown = nullptr;
  }
};

TEST_F(WordInterfaceButtonTest, OpensTheWindowOnlyWhenWordIsThere) {
  StartWith({});
  int opened = 0;
  ui::Application::Get().onModalShown = [&](ui::Form& f) {
    if (auto* config = dynamic_cast<TfmWordConfig*>(&f)) {
      ++opened;
      RECT m = main->WindowRect(), c = config->WindowRect();
      EXPECT_EQ(c.left, m.left + ((m.right - m.left) - (c.right - c.left)) / 2);
      EXPECT_EQ(c.top, m.top + ((m.bottom - m.top) - (c.bottom - c.top)) / 2);
      config->btExit.Click();
    }
  };
  SendMessageA(main->Configuration.btWordInterface.Handle(), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{word::kWordNotRunningMessage});

  WordStandin standin(StandinBuild::Word8);
  ASSERT_TRUE(standin.Ready());
  Recorded().Clear();
  SendMessageA(main->Configuration.btWordInterface.Handle(), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace qc::test
