// Setting Quillcard up in Word: key codes and their texts, the template
// step over a recorded file system, and the clearing over a small Word.
#include <gtest/gtest.h>

#include <map>

#include "recording_messages.h"
#include "word/word_config.h"
#include "word_recording.h"

namespace qc::test {
namespace {

using word::WordArg;
using word::WordGeneration;

TEST(WordKeyCodes, ModifiersUseWordsOwnValues) {
  EXPECT_EQ(word::WordKeyCode('Q', true, true, false), 849);
  EXPECT_EQ(word::WordKeyCode('Q', false, false, true), 1105);
  // Ctrl alone must not come out as Shift: 81 + 512, not 81 + 256 (Shift+Q, the capital letter).
  EXPECT_EQ(word::WordKeyCode('Q', false, true, false), 593);
  EXPECT_EQ(word::WordKeyCode('Q', true, false, false), 337);
}

TEST(WordKeyCodes, TextNamesModifiersInWordsOrderAndTheKey) {
  EXPECT_EQ(word::KeyCodeToText(849), "Shift+Ctrl+Q");
  EXPECT_EQ(word::KeyCodeToText(1105), "Alt+Q");
  EXPECT_EQ(word::KeyCodeToText(593), "Ctrl+Q");
  EXPECT_EQ(word::KeyCodeToText(337), "Shift+Q");
  EXPECT_EQ(word::KeyCodeToText(81 + 256 + 512 + 1024), "Shift+Ctrl+Alt+Q");
  EXPECT_EQ(word::KeyCodeToText(512 + 112), "Ctrl+F1");
  EXPECT_EQ(word::KeyCodeToText(135), "F24");
  EXPECT_EQ(word::KeyCodeToText(512 + 96), "Ctrl+0");
  EXPECT_EQ(word::KeyCodeToText(105), "9");
  EXPECT_EQ(word::KeyCodeToText(512 + '7'), "Ctrl+7");
  EXPECT_EQ(word::KeyCodeToText(1024 + 46), "Alt+Del");
  EXPECT_EQ(word::KeyCodeToText(8), "BkSp");
  EXPECT_EQ(word::KeyCodeToText(34), "PgDn");
}

TEST(WordKeyCodes, OtherKeysTakeTheSystemsNameOnlyWhenItIsOneCharacter) {
  auto system = [](int vk) { return vk == 188 ? std::string(",") : vk == 144 ? std::string("Num Lock") : std::string(); };
  EXPECT_EQ(word::KeyCodeToText(512 + 188, system), "Ctrl+,");
  EXPECT_EQ(word::KeyCodeToText(512 + 144, system), "");
  EXPECT_EQ(word::KeyCodeToText(512 + 188), "");
  EXPECT_EQ(word::KeyCodeToText(512), "");  // Ctrl with no key
}

// ---------------------------------------------------------------- the template

class FakeTemplateHost : public word::TemplateHost {
 public:
  std::map<std::string, std::string> startupFolders;  // registry key -> value
  std::map<std::string, std::vector<std::string>> files;  // path -> lines
  std::vector<std::pair<std::string, std::string>> copies;
  std::vector<std::string> keysRead, made;
  std::string appData = "C:\\Users\\ann\\AppData\\Roaming\\";
  bool copyFails = false, registryFails = false, logUnwritable = false;

  std::string AppDataFolder() override { return appData; }
  void MakeFolder(const std::string& path) override { made.push_back(path); }

  std::string StartupFolder(const std::string& key) override {
    keysRead.push_back(key);
    if (registryFails) throw std::runtime_error("registry");
    auto it = startupFolders.find(key);
    return it == startupFolders.end() ? std::string() : it->second;
  }
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  bool Copy(const std::string& from, const std::string& to) override {
    if (copyFails || !files.count(from)) return false;
    copies.emplace_back(from, to);
    files[to] = files[from];
    return true;
  }
  std::vector<std::string> ReadLines(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) throw std::runtime_error("no such file");
    return it->second;
  }
  void WriteLines(const std::string& path, const std::vector<std::string>& lines) override {
    if (logUnwritable) throw std::runtime_error("read-only");
    files[path] = lines;
  }
};

class TemplateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.startupFolders["Software\\Microsoft\\Office\\8.0\\Word"] = "C:\\Office\\Startup";
    host.startupFolders["Software\\Microsoft\\Word\\7.0"] = "C:\\Word7\\Startup";
    host.files["C:\\QC\\qlc8.dot"] = {"eight"};
    host.files["C:\\QC\\qlc7.dot"] = {"seven"};
    host.files["C:\\QC\\install.log"] = {"earlier entry"};
  }
  bool Install(WordGeneration g = WordGeneration::Word8, const std::string& version = "8.0") {
    return word::InstallTemplate(word::TemplatePlaceFor(g, version), "C:\\QC\\", host, messages);
  }
  FakeTemplateHost host;
  RecordingMessages messages;
};

TEST_F(TemplateTest, FirstCopyGoesToTheStartupFolderAndIsNoted) {
  EXPECT_TRUE(Install());
  EXPECT_EQ(host.files["C:\\Office\\Startup\\qlc.dot"], std::vector<std::string>{"eight"});
  EXPECT_EQ(messages.informations, std::vector<std::string>{word::kTemplateCopiedMessage});
  EXPECT_EQ(host.files["C:\\QC\\install.log"],
            (std::vector<std::string>{"earlier entry", "File Copy: C:\\Office\\Startup\\qlc.dot"}));
}

TEST_F(TemplateTest, TheWord7GenerationHasItsOwnKeyAndTemplate) {
  EXPECT_TRUE(Install(WordGeneration::Word7));
  EXPECT_EQ(host.keysRead, std::vector<std::string>{"Software\\Microsoft\\Word\\7.0"});
  EXPECT_EQ(host.files["C:\\Word7\\Startup\\qlc.dot"], std::vector<std::string>{"seven"});
}

TEST_F(TemplateTest, ATemplateAlreadyThereIsLeftAloneSilently) {
  host.files["C:\\Office\\Startup\\qlc.dot"] = {"the user's own"};
  EXPECT_TRUE(Install());
  EXPECT_TRUE(host.copies.empty());
  EXPECT_TRUE(messages.informations.empty());
  EXPECT_EQ(host.files["C:\\QC\\install.log"], std::vector<std::string>{"earlier entry"});
  EXPECT_EQ(host.files["C:\\Office\\Startup\\qlc.dot"], std::vector<std::string>{"the user's own"});
}

TEST_F(TemplateTest, WithoutAStartupFolderWord8AndOlderGetNothingCopiedAnywhere) {
  host.startupFolders.clear();
  EXPECT_FALSE(Install(WordGeneration::Word8, ""));
  EXPECT_TRUE(host.copies.empty());  // not "\\qlc.dot" at the root of the drive
  EXPECT_EQ(messages.informations, std::vector<std::string>{"Unable to copy Quillcard Template (C:\\QC\\qlc8.dot) to "
                                                            "\r\nStartup Dir (). Please copy it manually and try again"});
}

TEST_F(TemplateTest, LaterWordsReadTheirOwnVersionsKeyElseUseTheirDefaultFolder) {
  host.startupFolders["Software\\Microsoft\\Office\\16.0\\Word"] = "D:\\Mine\\";
  EXPECT_TRUE(Install(WordGeneration::Word8, "16.0.5110.1000"));
  EXPECT_EQ(host.keysRead, std::vector<std::string>{"Software\\Microsoft\\Office\\16.0\\Word"});
  EXPECT_TRUE(host.files.count("D:\\Mine\\qlc.dot"));
  EXPECT_TRUE(host.made.empty());

  // Word 2007 without the value: its default folder, made as needed; the 8.0 key's folder is not Word 2007's.
  EXPECT_TRUE(Install(WordGeneration::Word8, "12.0"));
  const std::string folder = "C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Word\\STARTUP";
  EXPECT_EQ(host.copies.back(), std::make_pair(std::string("C:\\QC\\qlc8.dot"), folder + "\\qlc.dot"));
  EXPECT_EQ(host.made.back(), folder);
  EXPECT_EQ(host.files["C:\\QC\\install.log"].back(), "File Copy: " + folder + "\\qlc.dot");
  EXPECT_EQ(word::TemplatePlaceFor(WordGeneration::Word8, "").registryKey, "Software\\Microsoft\\Office\\8.0\\Word");
  EXPECT_EQ(word::TemplatePlaceFor(WordGeneration::Word8, "10.0").registryKey, "Software\\Microsoft\\Office\\10.0\\Word");
}

TEST_F(TemplateTest, AFailedCopyNamesBothPaths) {
  host.copyFails = true;
  EXPECT_FALSE(Install());
  EXPECT_EQ(messages.informations, std::vector<std::string>{
                                  "Unable to copy Quillcard Template (C:\\QC\\qlc8.dot) to \r\nStartup Dir "
                                  "(C:\\Office\\Startup\\qlc.dot). Please copy it manually and try again"});
  EXPECT_EQ(host.files["C:\\QC\\install.log"], std::vector<std::string>{"earlier entry"});
}

TEST_F(TemplateTest, AMissingOrUnwritableLogFailsTheStepButKeepsTheCopy) {
  host.files.erase("C:\\QC\\install.log");
  EXPECT_FALSE(Install());
  EXPECT_EQ(messages.informations, (std::vector<std::string>{word::kTemplateCopiedMessage, word::kTemplateErrorMessage}));
  EXPECT_TRUE(host.files.count("C:\\Office\\Startup\\qlc.dot"));
  // The next time the template is found and nothing more is said.
  messages.informations.clear();
  EXPECT_TRUE(Install());
  EXPECT_TRUE(messages.informations.empty());

  host.files.erase("C:\\Office\\Startup\\qlc.dot");
  host.files["C:\\QC\\install.log"] = {};
  host.logUnwritable = true;
  EXPECT_FALSE(Install());
  EXPECT_EQ(messages.informations, (std::vector<std::string>{word::kTemplateCopiedMessage, word::kTemplateErrorMessage}));
}

TEST_F(TemplateTest, AnUnreadableRegistryIsTheGeneralError) {
  host.registryFails = true;
  EXPECT_FALSE(Install());
  EXPECT_EQ(messages.informations, std::vector<std::string>{word::kTemplateErrorMessage});
  EXPECT_TRUE(host.copies.empty());
}

// ---------------------------------------------------------------- toolbars and keys

// Just enough of Word's toolbars and key assignments for setting up and clearing.
class SmallWord : public RecordingWordBasic {
 public:
  std::vector<std::pair<std::string, std::vector<std::string>>> toolbars;
  std::vector<std::pair<int, std::string>> keys;

  SmallWord() {
    answer = [this](const SentCommand& c) -> word::WordResult {
      auto text = [&](size_t i) { return c.args.at(i).Text(); };
      auto number = [&](size_t i) { return c.args.at(i).Integer(); };
      auto bar = [&]() -> std::vector<std::string>& {
        for (auto& t : toolbars)
          if (t.first == text(0)) return t.second;
        throw word::WordError("no such toolbar");
      };
      if (c.name == "CountToolbars") return static_cast<int32_t>(toolbars.size());
      if (c.name == "ToolbarName$") return toolbars.at(static_cast<size_t>(number(0) - 1)).first;
      if (c.name == "CountToolbarButtons") return static_cast<int32_t>(bar().size());
      if (c.name == "ToolbarButtonMacro$") return bar().at(static_cast<size_t>(number(1) - 1));
      if (c.name == "DeleteButton") bar().erase(bar().begin() + (number(1) - 1));
      if (c.name == "AddButton") bar().insert(bar().begin() + (number(1) - 1), text(3));
      if (c.name == "CountKeys") return static_cast<int32_t>(keys.size());
      if (c.name == "KeyMacro$") return keys.at(static_cast<size_t>(number(0) - 1)).second;
      if (c.name == "KeyCode") return static_cast<int32_t>(keys.at(static_cast<size_t>(number(0) - 1)).first);
      if (c.name == "ToolsCustomizeKeyboard") {
        int code = c.Named("KeyCode")->Integer();
        std::erase_if(keys, [&](auto& k) { return k.first == code; });
        if (c.Named("Add")) keys.emplace_back(code, c.Text("Name"));
      }
      return {};
    };
  }
};

TEST(WordItems, ButtonAndKeyAreMadeForTheMacroWithTheImagePastedBetween) {
  SmallWord w;
  w.toolbars = {{"Standard", {"FileNew", "FileOpen"}}};
  std::vector<size_t> imagePutAfter;
  word::AddProgramButton(w, "Standard", [&] { imagePutAfter.push_back(w.sent.size()); });
  word::AddProgramKey(w, 849);

  ASSERT_EQ(w.Names(), (std::vector<std::string>{"AddButton", "PasteButtonImage", "ToolsCustomizeKeyboard"}));
  EXPECT_EQ(imagePutAfter, std::vector<size_t>{1});
  const word::WordArgs& add = w.sent[0].args;
  ASSERT_EQ(add.size(), 5u);
  EXPECT_EQ(add[0].Text(), "Standard");
  EXPECT_EQ(add[1].Integer(), 1);
  EXPECT_EQ(add[2].Integer(), 2);
  EXPECT_EQ(add[3].Text(), "Quillcard");
  EXPECT_EQ(add[4].Integer(), 21);
  EXPECT_EQ(w.sent[1].args[1].Integer(), 1);
  EXPECT_EQ(w.sent[2].Named("Category")->Integer(), 2);
  EXPECT_EQ(w.sent[2].Named("Add")->Integer(), 1);
  EXPECT_EQ(w.toolbars[0].second, (std::vector<std::string>{"Quillcard", "FileNew", "FileOpen"}));
  EXPECT_EQ(w.keys, (std::vector<std::pair<int, std::string>>{{849, "Quillcard"}}));
}

TEST(WordItems, ClearingRemovesOursLastFirstAndListsEachRemoval) {
  SmallWord w;
  w.toolbars = {{"Standard", {"FileNew", "Quillcard", "FileOpen", "EditCut", "quillcard.Main"}},
                {"Empty", {}},
                {"Formatting", {"Bold"}}};
  w.keys = {{849, "Quillcard"}, {600, "EditCopy"}, {1105, "MyQuillcardMacro"}};
  std::vector<std::string> statuses, removed;
  word::RemoveProgramItems(w, [&](const std::string& s) { statuses.push_back(s); }, removed);

  EXPECT_EQ(removed, (std::vector<std::string>{"Button - Standard [position 5]", "Button - Standard [position 2]",
                                               "Keyboard Shortcut - [Alt+Q]", "Keyboard Shortcut - [Shift+Ctrl+Q]"}));
  EXPECT_EQ(w.toolbars[0].second, (std::vector<std::string>{"FileNew", "FileOpen", "EditCut"}));
  EXPECT_EQ(w.keys, (std::vector<std::pair<int, std::string>>{{600, "EditCopy"}}));
  EXPECT_EQ(statuses, (std::vector<std::string>{"Processing Standard toolbar", "Processing Empty toolbar",
                                                "Processing Formatting toolbar", "Processing keyboard shortcuts ...",
                                                ""}));
}

TEST(WordItems, ClearingWithNothingOfOursRemovesNothing) {
  SmallWord w;
  w.toolbars = {{"Standard", {"FileNew"}}};
  w.keys = {{600, "EditCopy"}};
  std::vector<std::string> removed;
  word::RemoveProgramItems(w, [](const std::string&) {}, removed);
  EXPECT_TRUE(removed.empty());
  EXPECT_TRUE(w.Named("DeleteButton").empty());
  EXPECT_TRUE(w.Named("ToolsCustomizeKeyboard").empty());
}

TEST(WordItems, AnErrorWhileClearingKeepsTheListOfWhatWent) {
  SmallWord w;
  w.toolbars = {{"Standard", {"Quillcard", "FileNew", "Quillcard"}}};
  w.keys = {{849, "Quillcard"}};
  w.failAt = 8;  // the second DeleteButton
  std::vector<std::string> removed;
  EXPECT_THROW(word::RemoveProgramItems(w, [](const std::string&) {}, removed), word::WordError);
  EXPECT_EQ(removed, std::vector<std::string>{"Button - Standard [position 3]"});
  EXPECT_EQ(w.keys.size(), 1u);
}

}  // namespace
}  // namespace qc::test
