#include "word/word_config.h"

#include "common/text.h"

namespace qc::word {
namespace {

// Fills the "%s" places of a message in order.
std::string FillIn(std::string format, const std::vector<std::string>& values) {
  size_t from = 0;
  for (const std::string& v : values) {
    size_t at = format.find("%s", from);
    if (at == std::string::npos) break;
    format.replace(at, 2, v);
    from = at + v.size();
  }
  return format;
}

std::string KeyName(int key, const std::function<std::string(int)>& systemKeyName) {
  switch (key) {
    case 8: return "BkSp";
    case 9: return "Tab";
    case 13: return "Enter";
    case 27: return "Esc";
    case 32: return "Space";
    case 33: return "PgUp";
    case 34: return "PgDn";
    case 35: return "End";
    case 36: return "Home";
    case 37: return "Left";
    case 38: return "Up";
    case 39: return "Right";
    case 40: return "Down";
    case 45: return "Ins";
    case 46: return "Del";
  }
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  if (key >= 96 && key <= 105) return std::string(1, static_cast<char>('0' + key - 96));
  if (key >= 112 && key <= 135) return std::string(1, 'F').append(std::to_string(key - 111));
  if (systemKeyName) {
    std::string name = systemKeyName(key);
    if (name.size() == 1) return name;
  }
  return {};
}

bool IsProgramMacro(const std::string& macro) {
  return UpperCase(macro).find(kProgramMacroMark) != std::string::npos;
}

}  // namespace

int WordKeyCode(int virtualKey, bool shift, bool ctrl, bool alt) {
  return (virtualKey & 0xFF) + (shift ? kWordKeyShift : 0) + (ctrl ? kWordKeyCtrl : 0) + (alt ? kWordKeyAlt : 0);
}

std::string KeyCodeToText(int wordKeyCode, const std::function<std::string(int)>& systemKeyName) {
  std::string name = KeyName(wordKeyCode % 256, systemKeyName);
  if (name.empty()) return {};
  std::string text;
  if (wordKeyCode & kWordKeyShift) text += "Shift+";
  if (wordKeyCode & kWordKeyCtrl) text += "Ctrl+";
  if (wordKeyCode & kWordKeyAlt) text += "Alt+";
  return text + name;
}

TemplatePlace TemplatePlaceFor(WordGeneration generation, const std::string& productVersion) {
  if (generation == WordGeneration::Word7) return {"Software\\Microsoft\\Word\\7.0", "qlc7.dot", false};
  int major = MajorVersionOf(productVersion);
  if (major <= 8) return {"Software\\Microsoft\\Office\\8.0\\Word", "qlc8.dot", false};
  return {"Software\\Microsoft\\Office\\" + std::to_string(major) + ".0\\Word", "qlc8.dot", true};
}

std::string StartupFolderOf(const TemplatePlace& place, const std::string& startupPath,
                            const std::string& appDataFolder) {
  std::string folder = startupPath;
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (!folder.empty()) return folder;
  std::string appData = appDataFolder;
  while (!appData.empty() && (appData.back() == '\\' || appData.back() == '/')) appData.pop_back();
  if (!place.hasDefaultFolder || appData.empty()) return {};
  return appData + "\\" + kDefaultStartupUnderAppData;
}

bool InstallTemplate(const TemplatePlace& place, const std::string& programFolder, TemplateHost& host,
                     UserMessages& messages) {
  try {
    const std::string from = programFolder + place.fileName;
    const std::string value = host.StartupFolder(place.registryKey);
    const std::string appData = value.empty() && place.hasDefaultFolder ? host.AppDataFolder() : std::string();
    const std::string startup = StartupFolderOf(place, value, appData);
    if (startup.empty()) {
      // Word names no folder: a copy anywhere else would never be loaded.
      messages.Information(FillIn(kTemplateCopyFailedFormat, {from, ""}));
      return false;
    }
    const std::string to = startup + "\\" + kTemplateDestinationName;
    if (host.FileExists(to)) return true;
    if (value.empty()) {
      // Word's own default folder, which Word makes only when it first needs it.
      std::string made = startup.substr(0, startup.size() - std::string(kDefaultStartupUnderAppData).size());
      for (const char* part : {"Microsoft", "Microsoft\\Word", kDefaultStartupUnderAppData})
        host.MakeFolder(made + part);
    }
    if (!host.Copy(from, to)) {
      messages.Information(FillIn(kTemplateCopyFailedFormat, {from, to}));
      return false;
    }
    messages.Information(kTemplateCopiedMessage);
    std::string log = programFolder + kInstallLogName;
    std::vector<std::string> lines = host.ReadLines(log);
    lines.push_back("File Copy: " + to);
    host.WriteLines(log, lines);
    return true;
  } catch (const std::exception&) {
    messages.Information(kTemplateErrorMessage);
    return false;
  }
}

std::vector<std::string> ToolbarNames(WordBasic& word) {
  std::vector<std::string> names;
  int32_t count = word.ReadInteger("CountToolbars");
  for (int32_t i = 1; i <= count; ++i) names.push_back(word.ReadText("ToolbarName$", {WordArg::Int(i)}));
  return names;
}

void AddProgramButton(WordBasic& word, const std::string& toolbar, const std::function<void()>& putImageOnClipboard) {
  word.Send("AddButton", {WordArg::Held(toolbar), WordArg::Int(1), WordArg::Int(2), WordArg::Literal(kProgramMacro),
                          WordArg::Int(21)});
  putImageOnClipboard();
  word.Send("PasteButtonImage", {WordArg::Held(toolbar), WordArg::Int(1)});
}

void AddProgramKey(WordBasic& word, int wordKeyCode) {
  word.Send("ToolsCustomizeKeyboard", {WordArg::Named("KeyCode", wordKeyCode), WordArg::Named("Category", 2),
                                       WordArg::Named("Name", kProgramMacro, false), WordArg::Named("Add", 1)});
}

void RemoveProgramItems(WordBasic& word, const std::function<void(const std::string&)>& status,
                        std::vector<std::string>& removed, const std::function<std::string(int)>& systemKeyName) {
  int32_t toolbars = word.ReadInteger("CountToolbars");
  for (int32_t t = 1; t <= toolbars; ++t) {
    std::string name = word.ReadText("ToolbarName$", {WordArg::Int(t)});
    int32_t buttons = word.ReadInteger("CountToolbarButtons", {WordArg::Held(name)});
    status("Processing " + name + " toolbar");
    for (int32_t p = buttons; p >= 1; --p) {
      if (!IsProgramMacro(word.ReadText("ToolbarButtonMacro$", {WordArg::Held(name), WordArg::Int(p)}))) continue;
      word.Send("DeleteButton", {WordArg::Held(name), WordArg::Int(p)});
      removed.push_back("Button - " + name + " [position " + std::to_string(p) + "]");
    }
  }
  int32_t keys = word.ReadInteger("CountKeys");
  status("Processing keyboard shortcuts ...");
  for (int32_t k = keys; k >= 1; --k) {
    if (!IsProgramMacro(word.ReadText("KeyMacro$", {WordArg::Int(k)}))) continue;
    int32_t code = word.ReadInteger("KeyCode", {WordArg::Int(k)});
    word.Send("ToolsCustomizeKeyboard", {WordArg::Named("KeyCode", code), WordArg::Named("Remove", 1)});
    removed.push_back("Keyboard Shortcut - [" + KeyCodeToText(code, systemKeyName) + "]");
  }
  status("");
}

}  // namespace qc::word
