#pragma once
// A main window started in-process on a temporary folder, with the real
// profile functions on a settings file in that folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/win32/main_form.h"
#include "settings/win32/win_profile.h"
#include "ui/message_box_messages.h"
#include "win_test_support.h"

namespace qc::test {

inline std::string Le32(int v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i)
    s[static_cast<size_t>(i)] = static_cast<char>((static_cast<unsigned>(v) >> (8 * i)) & 0xFF);
  return s;
}

// A data file in the current layout; each contact given as its seventeen texts
// (missing ones empty) and an option byte.
struct ContactBytes {
  std::vector<std::string> texts;
  int options = 0;
};

inline std::string DataFile(const std::vector<ContactBytes>& contacts) {
  std::string bytes = Le32(300) + Le32(static_cast<int>(contacts.size())) + std::string(32, '\0');
  for (const ContactBytes& c : contacts) {
    for (size_t i = 0; i < 17; ++i) {
      std::string t = i < c.texts.size() ? c.texts[i] : std::string();
      bytes += static_cast<char>(t.size());
      bytes += t;
    }
    bytes += static_cast<char>(c.options);
    bytes += std::string(24, '\0');
  }
  return bytes;
}

inline std::string DataFileWithNames(const std::vector<std::string>& names) {
  std::vector<ContactBytes> contacts;
  for (const std::string& n : names) contacts.push_back({{n}, 0});
  return DataFile(contacts);
}

inline std::vector<std::string> NamesInDataFile(const std::string& path) {
  TDatabase saved;
  ui::MessageBoxMessages quiet;
  saved.LoadFromFile(path, quiet);
  std::vector<std::string> names;
  for (int i = 0; i < saved.Count(); ++i) names.emplace_back(saved.Items(i).Name());
  return names;
}

class MainWindowFixture : public ::testing::Test {
 protected:
  void SetUp() override { Recorded().Clear(); }
  void TearDown() override {
    main.reset();
    Pump();
  }

  void Start() {
    profile = std::make_unique<WinProfile>(dir.File("QUILLCRD.INI"));
    MainEnvironment env;
    env.dataFilePath = dir.File("QUILLCRD.DAT");
    env.helpFilePath = dir.File("quillcrd.hlp");
    env.settings = profile.get();
    env.settingsFilePath = dir.File("QUILLCRD.INI");
    env.messages = &messages;
    env.quitOnClose = false;
    main = std::make_unique<TfmMain>(env);
    main->Create();
    main->Show();
    Pump();
  }

  // Starts with these contacts and a settings file that is not a first start.
  void StartWith(const std::vector<ContactBytes>& contacts, const std::string& extraIni = "") {
    WriteFileBytes(dir.File("QUILLCRD.DAT"), DataFile(contacts));
    WriteFileBytes(dir.File("QUILLCRD.INI"), "[Options]\r\nFirstTime=0\r\n" + extraIni);
    Start();
  }

  // Closes the window as its close box does; true when it really closed.
  bool CloseMain() {
    SendMessageA(main->Handle(), WM_CLOSE, 0, 0);
    Pump();
    return main->Handle() == nullptr;
  }

  // Chooses a name with the mouse, as a click on the list entry does.
  void ChooseByMouse(const std::string& name) {
    int i = main->Database.lbName.IndexOf(name);
    ASSERT_GE(i, 0) << name;
    main->Database.lbName.SetItemIndex(i);
    SendMessageA(GetParent(main->Database.lbName.Handle()), WM_COMMAND,
                 MAKEWPARAM(main->Database.lbName.Id(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(main->Database.lbName.Handle()));
    Pump();
  }

  // A new contact saved through the Database page's buttons.
  void AddThroughWindow(const std::string& name) {
    main->Database.btNew.Click();
    main->Database.edName.SetText(name);
    main->Database.btNew.Click();
    Pump();
  }

  // The names of the contacts in a file of the test's folder as it is on disk.
  std::vector<std::string> NamesOnDisk(const std::string& file = "QUILLCRD.DAT") {
    return NamesInDataFile(dir.File(file));
  }

  std::vector<std::string> Entries(const ui::ComboBox& c) {
    std::vector<std::string> v;
    for (int i = 0; i < c.Count(); ++i) v.push_back(c.Item(i));
    return v;
  }
  std::vector<std::string> Entries(const ui::ListBox& c) {
    std::vector<std::string> v;
    for (int i = 0; i < c.Count(); ++i) v.push_back(c.Item(i));
    return v;
  }
  std::vector<std::string> MessageTexts() {
    std::vector<std::string> v;
    for (auto& m : Recorded().messages) v.push_back(m.text);
    return v;
  }

  TempDir dir;
  std::unique_ptr<WinProfile> profile;
  ui::MessageBoxMessages messages;
  std::unique_ptr<TfmMain> main;
};

}  // namespace qc::test
