#pragma once
// The WordBasic commands the stand-in carries out, on its documents, toolbars
// and key assignments, with a log of every call and failures made to order;
// and the macros Word runs when a button is clicked or an assigned key pressed.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "customisation.h"
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
  AppShow, AppRestore, EditFindClearFormatting, EditReplaceClearFormatting, StartOfDocument, EndOfDocument,
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
// By name without regard to case. Word's functions that give text are known
// only by their names with "$" ("ToolbarName$"), every other command only without.
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

// One macro run, as the record keeps it: "started PID", "not found" or
// "failed: reason".
struct MacroRun {
  std::string name;
  std::string result;
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
  Customisations GetCustomisations() const { return {toolbars_, keys_}; }
  void SetCustomisations(Customisations c);
  void RemoveToolbars();

  // Templates loaded at start, and what their macros start.
  void AddTemplate(Template t) { templates_.push_back(std::move(t)); }
  const std::vector<Template>& Templates() const { return templates_; }
  const Macro* FindMacro(const std::string& name) const;
  // The macro assigned to a key code, or null.
  const std::string* KeyMacro(int code) const;
  // Runs a macro: a template's macro starts its command line; anything else
  // (Word's built-in commands, unknown names) starts nothing. Returns the run
  // as recorded.
  const MacroRun& RunMacro(const std::string& name);
  const std::vector<MacroRun>& MacroRuns() const { return macroRuns_; }

  // What the window supplies: the clipboard's text ("^c") and bitmap (for a
  // button image), showing a hidden Word and bringing it forward (AppShow),
  // restoring a minimised one (AppRestore), starting a program (returns
  // "started PID" or "failed: reason"), and word that the toolbars or keys
  // have changed.
  std::function<std::string()> clipboardText;
  std::function<std::optional<ButtonImage>()> clipboardBitmap;
  std::function<void()> appShow;
  std::function<void()> appRestore;
  std::function<std::string(const std::string& commandLine)> startProgram;
  std::function<void()> customised;

 private:
  Result Run(const CommandSpec& command, const std::vector<std::optional<Value>>& a);
  Toolbar& FindToolbar(const std::string& name);

  std::vector<std::unique_ptr<Document>> documents_;
  size_t active_ = 0;
  int nextDocument_ = 1;
  std::vector<Toolbar> toolbars_;
  std::vector<KeyAssignment> keys_;
  std::vector<Template> templates_;
  std::vector<MacroRun> macroRuns_;
  std::vector<std::string> log_;
  std::map<std::string, int> failures_;  // upper-case command name -> calls until failure
  std::string lastFind_, lastReplace_;
};

// A log entry's text for one argument value: numbers as they are, texts in
// double quotes with C-style escapes, "&" in front of a text passed by reference.
std::string LogValue(const Value& v);

}  // namespace standin
