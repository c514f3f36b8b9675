#pragma once
// Setting Quillcard up in Word and taking it out again: the template in
// Word's startup folder, the toolbar button and the key shortcut that run
// the template's "Quillcard" macro, and the clearing of both.
#include <functional>
#include <string>
#include <vector>

#include "common/user_messages.h"
#include "word/word_basic.h"
#include "word/word_probe.h"

namespace qc::word {

// The macro that the template provides and that buttons and keys run.
inline constexpr char kProgramMacro[] = "Quillcard";
// Buttons and keys whose macro name, upper-cased, contains this are ours.
inline constexpr char kProgramMacroMark[] = "QUILLCARD";

// Word's key codes: the virtual-key code plus these for the modifiers held.
inline constexpr int kWordKeyShift = 256;
inline constexpr int kWordKeyCtrl = 512;
inline constexpr int kWordKeyAlt = 1024;

int WordKeyCode(int virtualKey, bool shift, bool ctrl, bool alt);

// "Shift+", "Ctrl+", "Alt+" as held, then the key's name; empty text when the
// key has no name. Keys without a name of their own are asked of
// `systemKeyName`, whose answer counts only when it is one character long.
std::string KeyCodeToText(int wordKeyCode, const std::function<std::string(int virtualKey)>& systemKeyName = {});

// ---- the template

inline constexpr char kStartupPathValue[] = "STARTUP-PATH";
inline constexpr char kInstallLogName[] = "install.log";
inline constexpr char kTemplateDestinationName[] = "qlc.dot";

inline constexpr char kTemplateCopiedMessage[] =
    "Successfully copied Quillcard Template to Startup Dir\r\n"
    "Note that you might need to close and restart Word to make it recognize the new template";
inline constexpr char kTemplateCopyFailedFormat[] =
    "Unable to copy Quillcard Template (%s) to \r\nStartup Dir (%s). Please copy it manually and try again";
inline constexpr char kTemplateErrorMessage[] = "There was an error copying Quillcard Template";

// Where the running Word looks for its startup folder, and the template
// that suits it. The Word 7 generation and every Word of version 8.0 or
// older (or of a version that cannot be read) name the folder under their
// fixed keys. Word 2000 (9.0) and later keep the value under
// "Software\Microsoft\Office\<version>\Word" for their own version and,
// when it is not set, use their default folder in the user's application data.
struct TemplatePlace {
  std::string registryKey;     // under the current user; "STARTUP-PATH" is in its "Options" subkey
  std::string fileName;        // the template in the program's folder
  bool hasDefaultFolder = false;
};
TemplatePlace TemplatePlaceFor(WordGeneration generation, const std::string& productVersion);

// The default startup folder of Word 2000 and later, under the user's application data.
inline constexpr char kDefaultStartupUnderAppData[] = "Microsoft\\Word\\STARTUP";

// Word's startup folder as that Word decides it, without a trailing
// backslash: the "STARTUP-PATH" value when it is set, else the default folder
// under `appDataFolder` when the place has one; empty text when no folder is
// known (never the root of a drive).
std::string StartupFolderOf(const TemplatePlace& place, const std::string& startupPath,
                            const std::string& appDataFolder);

// What the template step asks of the system. Each may throw to report an error.
class TemplateHost {
 public:
  virtual ~TemplateHost() = default;
  // The "STARTUP-PATH" value under `registryKey` + "\Options"; empty text when missing.
  virtual std::string StartupFolder(const std::string& registryKey) = 0;
  // The current user's application data folder; empty text when unknown.
  virtual std::string AppDataFolder() = 0;
  // Makes the folder unless it is there; its parent must exist.
  virtual void MakeFolder(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // Copies, replacing the destination; false when the copy failed.
  virtual bool Copy(const std::string& from, const std::string& to) = 0;
  // The text file's lines; throws when it cannot be read.
  virtual std::vector<std::string> ReadLines(const std::string& path) = 0;
  // Writes the lines as the whole file; throws when it cannot be written.
  virtual void WriteLines(const std::string& path, const std::vector<std::string>& lines) = 0;
};

// Puts the place's template in Word's startup folder as "qlc.dot" unless one
// is there already, tells the user how it went and notes the copy in
// "install.log". Word's default folder is made when it is used and missing.
// With no folder known, nothing is copied and the copy is told as failed.
// `programFolder` ends with a backslash. True when the template is in place
// and noted.
bool InstallTemplate(const TemplatePlace& place, const std::string& programFolder, TemplateHost& host,
                     UserMessages& messages);

// ---- toolbars and keys, over the Word session

// Word knows its functions that give text only by their names with "$"
// ("ToolbarName$", "ToolbarButtonMacro$", "KeyMacro$"), and they are sent so.

std::vector<std::string> ToolbarNames(WordBasic& word);

// A button for the macro at the toolbar's first place, given the image that
// `putImageOnClipboard` puts there. Throws WordError.
void AddProgramButton(WordBasic& word, const std::string& toolbar, const std::function<void()>& putImageOnClipboard);

// Assigns the key combination to the macro. Throws WordError.
void AddProgramKey(WordBasic& word, int wordKeyCode);

// Removes every button and key assignment of ours, last first, telling
// `status` where it is. Each removal is added to `removed` as it happens,
// so that an error (thrown as WordError) leaves the list of what went.
void RemoveProgramItems(WordBasic& word, const std::function<void(const std::string&)>& status,
                        std::vector<std::string>& removed,
                        const std::function<std::string(int)>& systemKeyName = {});

}  // namespace qc::word
