#pragma once
// The Word interface configuration window: installs the template in Word's
// startup folder, puts a button and a key shortcut for the "Quillcard" macro
// into Word, and clears them again; the result window lists what went.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/user_messages.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "word/word_basic.h"
#include "word/word_config.h"
#include "word/word_probe.h"

namespace qc::word {

inline constexpr int kHelpWordInterface = 4000;

inline constexpr char kWordConnectionFailedMessage[] = "Unable to open Word connection - Controls disabled.";
inline constexpr char kButtonFailedMessage[] =
    "Unable to add toolbar button.\r\nIf this is the first time that you execute Quillcard you may have to close "
    "it and restart itagain. Please consult the Quick Start Tutorial for details.";
inline constexpr char kKeyFailedMessage[] =
    "Unable to add key shortcut.\r\nIf this is the first time that you execute Quillcard you may have to close "
    "it and restart itagain. Please consult the Quick Start Tutorial for details.";
inline constexpr char kClearFailedMessage[] = "There was an error clearing Quillcard Items";

// The session of the configuration window and the generation it was made
// for, kept for the whole run: filled when the window opens, replaced when
// it opens again, let go when the program ends.
struct WordConfigSlot {
  std::unique_ptr<WordBasic> session;
  WordGeneration generation = WordGeneration::None;
  std::string productVersion;  // of the Word connected to; empty when unknown
};
WordConfigSlot& ConfigSession();
void ReleaseConfigSession();

// Where the window finds the templates and how it talks to the user.
struct WordConfigEnvironment {
  std::string programFolder;  // where the templates and "install.log" are, ending with a backslash
  UserMessages* messages = nullptr;
};

class TfmWordConfig : public ui::Form {
 public:
  TfmWordConfig();
  ~TfmWordConfig() override;

  // Creates the window owned by `owner`, centred over it. It connects to
  // Word when it is shown for the first time.
  void Create(HWND owner, WordConfigEnvironment env);

  ui::Label laToolbar, laKeyboard;
  ui::ComboBox cbToolbar;
  ui::Panel paIcon;
  ui::Picture imIcon;  // the button image, which it owns
  ui::Button btToolbar, btKeyboard, btClear, btHelp, btExit;
  ui::HotKey hkKeyboard;
  ui::StatusBar Status;

  bool OpenWordConnection();
  bool InstallTemplate();
  bool CreateToolbarButton(const std::string& toolbar);
  bool CreateKeyShortcut(WORD hotKey);
  void ClearWordItems();

  void btToolbarClick();
  void btKeyboardClick();
  void btClearClick();
  void btHelpClick();
  void btExitClick();

  // True once the window has tried to connect.
  bool Connected() const { return connected_; }

  // The hot-key field's value (virtual key, HOTKEYF_ flags) as Word's key code; 0 when empty.
  static int WordKeyCodeOfHotKey(WORD hotKey);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  // Escape leaves as Exit does, unless an action is running.
  bool EscapeKey() override;

 private:
  // Runs one of the three actions with the buttons disabled until it ends.
  void RunAction(const std::function<void()>& action);
  void ShowStatus(const std::string& text);
  void SetActionsEnabled(bool on);
  void PutImageOnClipboard();
  WordBasic& Session();

  WordConfigEnvironment env_;
  bool connected_ = false;
  bool shownOnce_ = false;
};

class TfmResult : public ui::Form {
 public:
  ~TfmResult() override;
  // Creates the window owned by `owner`, centred over it, listing `items`.
  void Create(HWND owner, const std::vector<std::string>& items);

  ui::Label laItems;
  ui::ListBox lb;
  ui::Button btExit;

 protected:
  bool EscapeKey() override;
};

// The program's button image: 16 x 15, magenta where the face shows through.
ui::Bitmap CreateProgramButtonImage();
// A copy of `image` with every magenta pixel in the button-face colour.
ui::Bitmap MakeMagentaButtonFace(HBITMAP image, int width, int height);

}  // namespace qc::word
