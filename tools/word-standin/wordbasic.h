#pragma once
// The WordBasic commands the stand-in carries out, on its documents, toolbars
// and key assignments, with a log of every call and failures made to order.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document.h"

namespace standin {

enum class ArgType { Number, Text, Any };
enum class ResultType { None, Number, Text };

struct ParamSpec {
  const char* name;
  ArgType type;
  bool required;
};

enum class Cmd {
  AppShow, EditFindClearFormatting, EditReplaceClearFormatting, StartOfDocument, EndOfDocument,
  EditReplace, FileNewDefault, Insert, InsertPara, TextToTable, CountToolbars, ToolbarName,
  CountToolbarButtons, ToolbarButtonMacro, DeleteButton, AddButton, PasteButtonImage,
  ToolsCustomizeKeyboard, CountKeys, KeyMacro, KeyCode
};

struct CommandSpec {
  Cmd id;
  const char* name;
  std::vector<ParamSpec> params;
  ResultType result;
  bool needsDocument;
};

const std::vector<CommandSpec>& Commands();
// By name without regard to case; a trailing "$" (string functions) is optional.
const CommandSpec* FindCommand(const std::string& name);
int ParamIndex(const CommandSpec& command, const std::string& name);

// One argument as it arrived.
struct Value {
  bool isText = false;
  int number = 0;
  std::string text;
  bool byRef = false;
  bool missing = false;  // an optional argument left out in its place
};
struct ReceivedArg {
  std::string name;  // empty for a positional argument
  Value value;
};

struct Result {
  ResultType kind = ResultType::None;
  int number = 0;
  std::string text;
};

struct ToolbarButton {
  std::string macro;
  bool pastedImage = false;
};
struct Toolbar {
  std::string name;
  std::vector<ToolbarButton> buttons;
};
struct KeyAssignment {
  int code;
  std::string macro;
};

class WordApp {
 public:
  WordApp();

  // Carries out one call (the command as named by the caller, its arguments
  // in the caller's order) and logs it. Throws WordError as Word would.
  Result Execute(const CommandSpec& command, const std::string& calledName, const std::vector<ReceivedArg>& args);

  // The nth call of `command` from now on fails with Word's "Command failed".
  void FailCall(const std::string& command, int nth);

  Document* ActiveDocument();
  Document& NewDocument();
  Document& OpenDocument(const std::string& name, const std::string& text);
  void CloseAllDocuments();
  const std::vector<std::unique_ptr<Document>>& Documents() const { return documents_; }

  const std::vector<std::string>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  const std::vector<Toolbar>& Toolbars() const { return toolbars_; }
  const std::vector<KeyAssignment>& Keys() const { return keys_; }

  // What the window supplies: the clipboard's text ("^c") and bringing Word forward.
  std::function<std::string()> clipboardText;
  std::function<bool()> clipboardHasBitmap;
  std::function<void()> appShow;

 private:
  Result Run(const CommandSpec& command, const std::vector<std::optional<Value>>& a);
  Toolbar& FindToolbar(const std::string& name);

  std::vector<std::unique_ptr<Document>> documents_;
  size_t active_ = 0;
  int nextDocument_ = 1;
  std::vector<Toolbar> toolbars_;
  std::vector<KeyAssignment> keys_;
  std::vector<std::string> log_;
  std::map<std::string, int> failures_;  // upper-case command name -> calls until failure
  std::string lastFind_, lastReplace_;
};

// A log entry's text for one argument value: numbers as they are, texts in
// double quotes with C-style escapes, "&" in front of a text passed by reference.
std::string LogValue(const Value& v);

}  // namespace standin
