#include "wordbasic.h"

#include <cstdio>

namespace standin {
namespace {

constexpr int kErrWrongParameterCount = 450;
constexpr int kErrTypeMismatch = 13;
constexpr int kErrCommandFailed = 102;
constexpr int kErrNoDocument = 4248;
constexpr int kErrStringTooLong = 5854;
constexpr int kErrOutOfRange = 4198;
constexpr int kErrNoToolbar = 5187;
constexpr int kErrNotSupported = 4605;

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

constexpr ArgType N = ArgType::Number;
constexpr ArgType T = ArgType::Text;
constexpr ArgType A = ArgType::Any;

}  // namespace

const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> commands = {
      {Cmd::AppShow, "AppShow", {{"WindowName", T, false}}, ResultType::None, false},
      {Cmd::AppRestore, "AppRestore", {{"WindowName", T, false}}, ResultType::None, false},
      {Cmd::EditFindClearFormatting, "EditFindClearFormatting", {}, ResultType::None, true},
      {Cmd::EditReplaceClearFormatting, "EditReplaceClearFormatting", {}, ResultType::None, true},
      {Cmd::StartOfDocument, "StartOfDocument", {{"Select", N, false}}, ResultType::None, true},
      {Cmd::EndOfDocument, "EndOfDocument", {{"Select", N, false}}, ResultType::None, true},
      {Cmd::EditReplace,
       "EditReplace",
       {{"Find", T, false}, {"Replace", T, false}, {"Direction", N, false}, {"MatchCase", N, false},
        {"WholeWord", N, false}, {"PatternMatch", N, false}, {"SoundsLike", N, false},
        {"FindNext", N, false}, {"ReplaceOne", N, false}, {"ReplaceAll", N, false}, {"Format", N, false},
        {"Wrap", N, false}, {"FindAllWordForms", N, false}},
       ResultType::None,
       true},
      {Cmd::FileNewDefault, "FileNewDefault", {}, ResultType::None, false},
      {Cmd::Insert, "Insert", {{"Text", T, true}}, ResultType::None, true},
      {Cmd::InsertPara, "InsertPara", {}, ResultType::None, true},
      {Cmd::TextToTable,
       "TextToTable",
       {{"ConvertFrom", N, false}, {"NumColumns", N, false}, {"NumRows", N, false},
        {"InitialColWidth", A, false}, {"Wizard", N, false}, {"Format", N, false}, {"Apply", N, false}},
       ResultType::None,
       true},
      {Cmd::CountToolbars, "CountToolbars", {{"Context", N, false}}, ResultType::Number, false},
      {Cmd::ToolbarName, "ToolbarName$", {{"Toolbar", N, true}, {"Context", N, false}}, ResultType::Text, false},
      {Cmd::CountToolbarButtons, "CountToolbarButtons", {{"Toolbar", T, true}, {"Context", N, false}},
       ResultType::Number, false},
      {Cmd::ToolbarButtonMacro, "ToolbarButtonMacro$",
       {{"Toolbar", T, true}, {"Tool", N, true}, {"Context", N, false}}, ResultType::Text, false},
      {Cmd::DeleteButton, "DeleteButton", {{"Toolbar", T, true}, {"Position", N, true}, {"Context", N, false}},
       ResultType::None, false},
      {Cmd::AddButton,
       "AddButton",
       {{"Toolbar", T, true}, {"Position", N, true}, {"Category", N, true}, {"Name", T, true},
        {"ButtonOrFace", A, false}, {"Context", N, false}, {"Arguments", T, false}},
       ResultType::None,
       false},
      {Cmd::PasteButtonImage, "PasteButtonImage", {{"Toolbar", T, true}, {"Tool", N, true}, {"Context", N, false}},
       ResultType::None, false},
      {Cmd::ToolsCustomizeKeyboard,
       "ToolsCustomizeKeyboard",
       {{"KeyCode", N, false}, {"KeyCode2", N, false}, {"Category", N, false}, {"Name", T, false},
        {"Add", N, false}, {"Remove", N, false}, {"ResetAll", N, false}, {"CommandValue", T, false},
        {"Context", N, false}},
       ResultType::None,
       false},
      {Cmd::CountKeys, "CountKeys", {{"Context", N, false}}, ResultType::Number, false},
      {Cmd::KeyMacro, "KeyMacro$", {{"Count", N, true}, {"Context", N, false}}, ResultType::Text, false},
      {Cmd::KeyCode, "KeyCode", {{"Count", N, true}, {"Context", N, false}, {"FirstOrSecond", N, false}},
       ResultType::Number, false},
  };
  return commands;
}

const CommandSpec* FindCommand(const std::string& name) {
  for (const CommandSpec& c : Commands())
    if (SameName(c.name, name)) return &c;
  return nullptr;
}

int ParamIndex(const CommandSpec& command, const std::string& name) {
  for (size_t i = 0; i < command.params.size(); ++i)
    if (SameName(command.params[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::string LogValue(const Value& v) {
  if (v.missing) return "?";
  if (!v.isText) return std::to_string(v.number);
  std::string s = v.byRef ? "&\"" : "\"";
  for (char c : v.text) {
    switch (c) {
      case '\\': s += "\\\\"; break;
      case '"': s += "\\\""; break;
      case '\r': s += "\\r"; break;
      case '\n': s += "\\n"; break;
      case '\t': s += "\\t"; break;
      case '\v': s += "\\v"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
          s += buf;
        } else {
          s += c;
        }
    }
  }
  return s + "\"";
}

WordApp::WordApp() {
  const std::vector<std::pair<const char*, std::vector<const char*>>> defaults = {
      {"Standard", {"FileNew", "FileOpen", "FileSave", "FilePrintDefault", "EditCut", "EditCopy", "EditPaste", "EditUndo"}},
      {"Formatting", {"Bold", "Italic", "Underline", "LeftPara", "CenterPara", "RightPara"}},
  };
  for (const auto& [name, macros] : defaults) {
    toolbars_.push_back({name, {}});
    for (const char* macro : macros) toolbars_.back().buttons.push_back({macro, {}});
  }
  NewDocument();
}

void WordApp::SetCustomisations(Customisations c) {
  toolbars_ = std::move(c.toolbars);
  keys_ = std::move(c.keys);
}

void WordApp::RemoveToolbars() {
  toolbars_.clear();
  if (customised) customised();
}

const Macro* WordApp::FindMacro(const std::string& name) const {
  for (const Template& t : templates_)
    for (const Macro& m : t.macros)
      if (SameName(m.name, name)) return &m;
  return nullptr;
}

const std::string* WordApp::KeyMacro(int code) const {
  for (const KeyAssignment& k : keys_)
    if (k.code == code) return &k.macro;
  return nullptr;
}

const MacroRun& WordApp::RunMacro(const std::string& name) {
  const Macro* macro = FindMacro(name);
  std::string result = "not found";
  if (macro) result = startProgram ? startProgram(macro->commandLine) : "failed: no way to start programs";
  macroRuns_.push_back({name, result});
  return macroRuns_.back();
}

Document* WordApp::ActiveDocument() {
  return active_ < documents_.size() ? documents_[active_].get() : nullptr;
}

Document& WordApp::NewDocument() {
  documents_.push_back(std::make_unique<Document>("Document" + std::to_string(nextDocument_++)));
  active_ = documents_.size() - 1;
  return *documents_.back();
}

Document& WordApp::OpenDocument(const std::string& name, const std::string& text) {
  documents_.push_back(std::make_unique<Document>(name, text));
  active_ = documents_.size() - 1;
  return *documents_.back();
}

void WordApp::CloseAllDocuments() {
  documents_.clear();
  active_ = 0;
}

void WordApp::FailCall(const std::string& command, int nth) {
  const CommandSpec* known = FindCommand(command);
  if (!known) known = FindCommand(command + "$");  // a test may name a text function without its "$"

  failures_[Upper(known ? known->name : command)] = nth < 1 ? 1 : nth;
}

Toolbar& WordApp::FindToolbar(const std::string& name) {
  for (Toolbar& t : toolbars_)
    if (SameName(t.name, name)) return t;
  throw WordError(kErrNoToolbar, "The toolbar \"" + name + "\" does not exist.");
}

Result WordApp::Execute(const CommandSpec& command, const std::string& calledName,
                        const std::vector<ReceivedArg>& args) {
  std::string entry = calledName;
  for (const ReceivedArg& a : args) {
    entry += ' ';
    if (!a.name.empty()) entry.append(a.name).append(":=");
    entry += LogValue(a.value);
  }
  try {
    auto failure = failures_.find(Upper(command.name));
    if (failure != failures_.end() && --failure->second == 0) {
      failures_.erase(failure);
      throw WordError(kErrCommandFailed, "Command failed");
    }
    // Arguments into their places: positional ones first, then by name.
    std::vector<std::optional<Value>> slots(command.params.size());
    size_t position = 0;
    for (const ReceivedArg& a : args) {
      size_t index = position;
      if (a.value.missing) {
        if (a.name.empty()) ++position;
        continue;
      }
      if (a.name.empty()) {
        ++position;
      } else {
        int found = ParamIndex(command, a.name);
        if (found < 0) throw WordError(kErrWrongParameterCount, "Wrong number of parameters");
        index = static_cast<size_t>(found);
      }
      if (index >= slots.size() || slots[index]) throw WordError(kErrWrongParameterCount, "Wrong number of parameters");
      const ParamSpec& p = command.params[index];
      if ((p.type == ArgType::Number && a.value.isText) || (p.type == ArgType::Text && !a.value.isText))
        throw WordError(kErrTypeMismatch, "Type mismatch");
      slots[index] = a.value;
    }
    for (size_t i = 0; i < slots.size(); ++i)
      if (command.params[i].required && !slots[i]) throw WordError(kErrWrongParameterCount, "Wrong number of parameters");
    if (command.needsDocument && !ActiveDocument())
      throw WordError(kErrNoDocument, "This command is not available because no document is open.");
    Result r = Run(command, slots);
    log_.push_back(entry);
    switch (command.id) {
      case Cmd::DeleteButton:
      case Cmd::AddButton:
      case Cmd::PasteButtonImage:
      case Cmd::ToolsCustomizeKeyboard:
        if (customised) customised();
        break;
      default: break;
    }
    return r;
  } catch (const WordError&) {
    entry.insert(entry.begin(), '!');
    log_.push_back(entry);
    throw;
  }
}

Result WordApp::Run(const CommandSpec& command, const std::vector<std::optional<Value>>& a) {
  auto number = [&](size_t i, int fallback) { return a[i] ? a[i]->number : fallback; };
  auto text = [&](size_t i) { return a[i] ? a[i]->text : std::string(); };
  Document* doc = ActiveDocument();
  Result result;
  switch (command.id) {
    case Cmd::AppShow:
      if (appShow) appShow();
      break;
    case Cmd::AppRestore:
      if (appRestore) appRestore();
      break;
    case Cmd::EditFindClearFormatting:
    case Cmd::EditReplaceClearFormatting:
      break;  // the stand-in's searches carry no formatting
    case Cmd::StartOfDocument: doc->GoToStart(number(0, 0) != 0); break;
    case Cmd::EndOfDocument: doc->GoToEnd(number(0, 0) != 0); break;
    case Cmd::EditReplace: {
      std::string find = a[0] ? text(0) : lastFind_;
      std::string replace = a[1] ? text(1) : lastReplace_;
      if (find.size() > kMaxFindReplaceLength || replace.size() > kMaxFindReplaceLength)
        throw WordError(kErrStringTooLong, "String parameter too long.");
      if (number(5, 0) || number(6, 0) || number(12, 0))
        throw WordError(kErrNotSupported, "Pattern matching, sounds-like and word-form searches are not available.");
      std::vector<FindItem> findItems = ParseFindText(find);
      std::vector<ReplaceItem> replaceItems = ParseReplaceText(replace);
      lastFind_ = find;
      lastReplace_ = replace;
      ReplaceOptions options;
      options.matchCase = number(3, 0) != 0;
      options.wholeWord = number(4, 0) != 0;
      options.replaceOne = number(8, 0) != 0;
      options.replaceAll = number(9, 0) != 0;
      options.wrap = number(11, 0) != 0;
      std::string clipboard;
      for (const ReplaceItem& item : replaceItems)
        if (item.kind == ReplaceItem::Clipboard && clipboardText) clipboard = clipboardText();
      doc->Replace(findItems, replaceItems, clipboard, options);
      break;
    }
    case Cmd::FileNewDefault: NewDocument(); break;
    case Cmd::Insert: doc->Insert(text(0)); break;
    case Cmd::InsertPara: doc->Insert(std::string(1, kParagraphMark)); break;
    case Cmd::TextToTable: {
      int from = number(0, 1);
      if (from < 0 || from > 2) throw WordError(kErrOutOfRange, "Value out of range");
      doc->TextToTable(from == 0 ? '\0' : from == 1 ? '\t' : ',');
      break;
    }
    case Cmd::CountToolbars:
      result = {ResultType::Number, static_cast<int>(toolbars_.size()), {}};
      break;
    case Cmd::ToolbarName: {
      int n = number(0, 0);
      if (n < 1 || n > static_cast<int>(toolbars_.size())) throw WordError(kErrOutOfRange, "Value out of range");
      result = {ResultType::Text, 0, toolbars_[static_cast<size_t>(n - 1)].name};
      break;
    }
    case Cmd::CountToolbarButtons:
      result = {ResultType::Number, static_cast<int>(FindToolbar(text(0)).buttons.size()), {}};
      break;
    case Cmd::ToolbarButtonMacro: {
      Toolbar& t = FindToolbar(text(0));
      int n = number(1, 0);
      if (n < 1 || n > static_cast<int>(t.buttons.size())) throw WordError(kErrOutOfRange, "Value out of range");
      result = {ResultType::Text, 0, t.buttons[static_cast<size_t>(n - 1)].macro};
      break;
    }
    case Cmd::DeleteButton: {
      Toolbar& t = FindToolbar(text(0));
      int n = number(1, 0);
      if (n < 1 || n > static_cast<int>(t.buttons.size())) throw WordError(kErrOutOfRange, "Value out of range");
      t.buttons.erase(t.buttons.begin() + (n - 1));
      break;
    }
    case Cmd::AddButton: {
      Toolbar& t = FindToolbar(text(0));
      int n = number(1, 0);
      if (n < 1) throw WordError(kErrOutOfRange, "Value out of range");
      size_t at = std::min(static_cast<size_t>(n - 1), t.buttons.size());
      t.buttons.insert(t.buttons.begin() + static_cast<std::ptrdiff_t>(at), ToolbarButton{text(3), {}});
      break;
    }
    case Cmd::PasteButtonImage: {
      Toolbar& t = FindToolbar(text(0));
      int n = number(1, 0);
      if (n < 1 || n > static_cast<int>(t.buttons.size())) throw WordError(kErrOutOfRange, "Value out of range");
      std::optional<ButtonImage> image = clipboardBitmap ? clipboardBitmap() : std::nullopt;
      if (!image) throw WordError(kErrCommandFailed, "Command failed");
      t.buttons[static_cast<size_t>(n - 1)].image = std::move(*image);
      break;
    }
    case Cmd::ToolsCustomizeKeyboard: {
      int code = number(0, 0);
      if (number(6, 0)) keys_.clear();
      if (number(5, 0)) {
        std::erase_if(keys_, [&](const KeyAssignment& k) { return k.code == code; });
      } else if (number(4, 0)) {
        if (code <= 0) throw WordError(kErrOutOfRange, "Value out of range");
        std::erase_if(keys_, [&](const KeyAssignment& k) { return k.code == code; });
        keys_.push_back({code, text(3)});
      }
      break;
    }
    case Cmd::CountKeys: result = {ResultType::Number, static_cast<int>(keys_.size()), {}}; break;
    case Cmd::KeyMacro:
    case Cmd::KeyCode: {
      int n = number(0, 0);
      if (n < 1 || n > static_cast<int>(keys_.size())) throw WordError(kErrOutOfRange, "Value out of range");
      const KeyAssignment& k = keys_[static_cast<size_t>(n - 1)];
      result = command.id == Cmd::KeyMacro ? Result{ResultType::Text, 0, k.macro}
                                           : Result{ResultType::Number, k.code, {}};
      break;
    }
  }
  return result;
}

}  // namespace standin
