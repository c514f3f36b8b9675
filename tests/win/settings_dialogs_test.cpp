// The default settings and additional field names dialogs, opened from the
// Configuration page and driven through their real controls while modal.
#include <gtest/gtest.h>

#include <functional>

#include "main_fixture.h"
#include "settings/win32/default_form.h"
#include "settings/win32/user_fields_form.h"

namespace qc::test {
namespace {

std::string TextOf(HWND h) {
  char buf[256] = {};
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

// Every visible control lies inside its parent, overlaps no sibling and shows
// its whole caption.
void ExpectTidyLayout(HWND parent) {
  RECT client;
  GetClientRect(parent, &client);
  std::vector<RECT> placed;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    std::string text = TextOf(c);
    SCOPED_TRACE(text);
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom);
    for (const RECT& o : placed) {
      RECT common;
      EXPECT_FALSE(IntersectRect(&common, &r, &o));
    }
    placed.push_back(r);

    char cls[32] = {};
    GetClassNameA(c, cls, sizeof cls);
    if (!text.empty() && (!lstrcmpiA(cls, "Button") || !lstrcmpiA(cls, "Static"))) {
      std::erase(text, '&');
      HDC dc = GetDC(c);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
      SIZE size;
      GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
      SelectObject(dc, old);
      ReleaseDC(c, dc);
      LONG kind = GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK;
      bool boxed = !lstrcmpiA(cls, "Button") && kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON &&
                   kind != BS_GROUPBOX;
      RECT cr;
      GetClientRect(c, &cr);
      EXPECT_LE(size.cx + (boxed ? 18 : 0), cr.right) << "caption clipped";
    }
    ExpectTidyLayout(c);
  }
}

void ExpectCentredOver(HWND dialog, HWND owner) {
  RECT m, d;
  GetWindowRect(owner, &m);
  GetWindowRect(dialog, &d);
  EXPECT_EQ(d.left, m.left + ((m.right - m.left) - (d.right - d.left)) / 2);
  EXPECT_EQ(d.top, m.top + ((m.bottom - m.top) - (d.bottom - d.top)) / 2);
}

void ExpectDialogFrame(ui::Form& d, const char* caption, int clientW, int clientH) {
  EXPECT_EQ(d.Caption(), caption);
  RECT c;
  GetClientRect(d.Handle(), &c);
  EXPECT_EQ(c.right, clientW);
  EXPECT_EQ(c.bottom, clientH);
  LONG style = GetWindowLongA(d.Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
}

// What F1 sends to the control with the focus.
void PressHelpKey(ui::Control& focused) {
  HELPINFO hi{sizeof hi, HELPINFO_WINDOW, focused.Id(), focused.Handle(), 0, {0, 0}};
  SendMessageA(focused.Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
}

void Click(ui::Control& c) { SendMessageA(c.Handle(), BM_CLICK, 0, 0); }

// Selects a list item as a mouse click on it does.
void ClickItem(ui::ListBox& list, int i) {
  list.SetItemIndex(i);
  SendMessageA(GetParent(list.Handle()), WM_COMMAND, MAKEWPARAM(list.Id(), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list.Handle()));
}

// Types into an edit box as the keyboard does: each character, then its key's release.
void Type(ui::Edit& edit, const std::string& text) {
  for (char ch : text) {
    WPARAM vk = ch == '\b' ? VK_BACK : static_cast<WPARAM>(VkKeyScanA(ch) & 0xFF);
    PostMessageA(edit.Handle(), WM_CHAR, static_cast<unsigned char>(ch), 1);
    PostMessageA(edit.Handle(), WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001));
  }
  Pump();
}

void AppendTyped(ui::Edit& edit, const std::string& text) {
  SendMessageA(edit.Handle(), EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
  Type(edit, text);
}

void ReplaceTyped(ui::Edit& edit, const std::string& text) {
  SendMessageA(edit.Handle(), EM_SETSEL, 0, -1);
  Type(edit, "\b" + text);
}

class SettingsDialogsTest : public MainWindowFixture {
 protected:
  void TearDown() override {
    ui::Application::Get().onModalShown = nullptr;
    ui::Application::Get().SetShowHints(true);
    MainWindowFixture::TearDown();
  }

  // Opens the dialog with its button on the Configuration page and runs the
  // script while it is shown; a dialog the script leaves open is then closed
  // by its close box. Returns whether the dialog was shown.
  template <typename Dialog>
  bool WithDialog(ui::Button& opener, const std::function<void(Dialog&)>& script) {
    bool shown = false;
    ui::Application::Get().onModalShown = [&](ui::Form& f) {
      if (auto* d = dynamic_cast<Dialog*>(&f)) {
        shown = true;
        Pump();
        script(*d);
      }
      PostMessageA(f.Handle(), WM_CLOSE, 0, 0);
    };
    main->Pages.SelectTab(2);
    opener.Click();
    ui::Application::Get().onModalShown = nullptr;
    return shown;
  }
  bool WithDefaults(const std::function<void(TfmDefault&)>& script) {
    return WithDialog<TfmDefault>(main->Configuration.btDefaults, script);
  }
  bool WithFieldNames(const std::function<void(TfmUserFields&)>& script) {
    return WithDialog<TfmUserFields>(main->Configuration.btAdditionalFields, script);
  }

  static std::vector<ui::CheckBox*> OptionBoxes(TfmDefault& d) {
    return {&d.cbCompanyL, &d.cbTitleL, &d.cbTreatmentL, &d.cbCompanyF, &d.cbTitleF, &d.cbTreatmentF};
  }
};

// ---------------------------------------------------------------- default settings

TEST_F(SettingsDialogsTest, DefaultsDialogHasItsFrameTabOrderHintsAndHelp) {
  StartWith({});
  EXPECT_FALSE(main->Hints().HintOf(main->Configuration.btDefaults.Handle()).empty());
  ASSERT_TRUE(WithDefaults([&](TfmDefault& d) {
    ExpectDialogFrame(d, "Quillcard - Default Settings", 380, 236);
    ExpectCentredOver(d.Handle(), main->Handle());
    EXPECT_FALSE(IsWindowEnabled(main->Handle()));
    ExpectTidyLayout(d.Handle());
    EXPECT_EQ(d.DefaultButton(), &d.btOk);
    // The fax boxes read Company, Title, Treatment from the top, and are tabbed the other way.
    EXPECT_LT(d.cbCompanyF.Bounds().top, d.cbTitleF.Bounds().top);
    EXPECT_LT(d.cbTitleF.Bounds().top, d.cbTreatmentF.Bounds().top);
    std::pair<ui::Control*, const char*> tabOrder[] = {
        {&d.rgFirstItem.Item(0), "Name"}, {&d.cbCompanyL, "Use &Company"}, {&d.cbTitleL, "Use &Title"},
        {&d.cbTreatmentL, "Use T&reatment"}, {&d.cbTreatmentF, "Use T&reatment"}, {&d.cbTitleF, "Use &Title"},
        {&d.cbCompanyF, "Use &Company"}, {&d.edTreatment, ""}, {&d.btOk, "Ok"}, {&d.btCancel, "Cancel"},
        {&d.cbHints, "Show hints"}, {&d.btHelp, "Help"}, {&d.cbTray, "Tray menu application"},
    };
    EXPECT_TRUE(d.rgFirstItem.Item(0).Focused());
    HWND at = d.rgFirstItem.Item(0).Handle();
    for (auto& [control, caption] : tabOrder) {
      SCOPED_TRACE(caption);
      EXPECT_EQ(at, control->Handle());
      EXPECT_EQ(TextOf(control->Handle()), caption);
      EXPECT_FALSE(d.Hints().HintOf(control->Handle()).empty());
      at = GetNextDlgTabItem(d.Handle(), at, FALSE);
    }
    EXPECT_EQ(at, d.rgFirstItem.Item(0).Handle());  // and round again

    // A click on the label puts the caret into the treatment box.
    SendMessageA(d.laTreatment.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(d.laTreatment.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(d.edTreatment.Focused());

    Click(d.btHelp);
    PressHelpKey(d.edTreatment);
    EXPECT_EQ(Recorded().helpTopics, (std::vector<int>{6000, 6000}));
  }));
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
}

TEST_F(SettingsDialogsTest, DefaultsDialogShowsTheOptionByteAndOkStoresItWithoutBitSeven) {
  StartWith({});
  struct Case {
    int stored, shownAndSaved;
  } cases[] = {{0, 0}, {127, 127}, {255, 127}, {1, 1}, {2, 2}, {4, 4}, {8, 8}, {16, 16}, {32, 32}, {64, 64}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    main->Settings.DefaultOptions = c.stored;
    ASSERT_TRUE(WithDefaults([&](TfmDefault& d) {
      EXPECT_EQ(d.rgFirstItem.ItemIndex(), c.stored & 1);
      std::vector<ui::CheckBox*> boxes = OptionBoxes(d);
      for (int bit = 1; bit <= 6; ++bit) EXPECT_EQ(boxes[bit - 1]->Checked(), (c.stored >> bit & 1) != 0) << bit;
      Click(d.btOk);
    }));
    EXPECT_EQ(main->Settings.DefaultOptions, c.shownAndSaved);
  }

  // Cancel and the close box keep a value with bit 7, whatever was changed.
  for (bool viaCloseBox : {false, true}) {
    main->Settings.DefaultOptions = 255;
    WithDefaults([&](TfmDefault& d) {
      Click(d.cbTitleL);
      Click(d.rgFirstItem.Item(0));
      if (!viaCloseBox) Click(d.btCancel);
    });
    EXPECT_EQ(main->Settings.DefaultOptions, 255);
  }
}

TEST_F(SettingsDialogsTest, DefaultsOkAppliesHintsAtOnceTrayAfterClosingAndNewContactsUseThem) {
  StartWith({}, "[Default]\r\nTreatment=Mr.\r\n");
  ASSERT_FALSE(main->Tray.Visible());
  // Cancel changes nothing; Escape closes nothing; Enter is Ok.
  WithDefaults([&](TfmDefault& d) {
    EXPECT_EQ(d.edTreatment.Text(), "Mr.");
    EXPECT_TRUE(d.cbHints.Checked());
    EXPECT_FALSE(d.cbTray.Checked());
    d.edTreatment.SetText("");
    Click(d.cbHints);
    Click(d.cbTray);
    PressKey(d.edTreatment.Handle(), VK_ESCAPE);
    EXPECT_EQ(d.GetModalResult(), ui::ModalResult::None);
    Click(d.btCancel);
  });
  EXPECT_EQ(main->Settings.DefaultTreatment, "Mr.");
  EXPECT_TRUE(main->Settings.ShowHints);
  EXPECT_FALSE(main->Settings.TrayApplication);
  EXPECT_FALSE(main->Tray.Visible());

  bool trayDuringDialog = true;
  WithDefaults([&](TfmDefault& d) {
    d.edTreatment.SetText("  Dr. ");
    Click(d.cbHints);
    Click(d.cbTray);
    Click(d.rgFirstItem.Item(1));
    Click(d.cbTreatmentL);
    d.cbHints.SetFocus();
    PostMessageA(d.cbHints.Handle(), WM_KEYDOWN, VK_RETURN, 1);
    Pump();
    trayDuringDialog = main->Tray.Visible();
    EXPECT_FALSE(ui::Application::Get().ShowHints());  // before the dialog has gone
  });
  EXPECT_FALSE(trayDuringDialog);
  EXPECT_TRUE(main->Tray.Visible());
  EXPECT_FALSE(main->Settings.ShowHints);
  EXPECT_FALSE(ui::Application::Get().ShowHints());
  EXPECT_EQ(main->Settings.DefaultTreatment, "  Dr. ");
  EXPECT_EQ(main->Settings.DefaultOptions, 9);

  main->Pages.SelectTab(0);
  main->Database.btNew.Click();
  EXPECT_EQ(main->Database.edTreatment.Text(), "  Dr. ");
  EXPECT_EQ(main->Database.GetOptionBoxes(), 9);
  main->Database.btCancel.Click();

  // Unticking the tray box hides the icon again; the values reach the settings file at close.
  WithDefaults([&](TfmDefault& d) {
    Click(d.cbTray);
    d.edTreatment.SetText("Prof.");
    Click(d.btOk);
  });
  EXPECT_FALSE(main->Tray.Visible());
  ASSERT_TRUE(CloseMain());
  std::string ini = ReadFileBytes(dir.File("QUILLCRD.INI"));
  for (const char* line : {"Hints=0\r\n", "Tray Application=0\r\n", "Options=9\r\n", "Treatment=Prof.\r\n"})
    EXPECT_NE(ini.find(line), std::string::npos) << line;
}

// ---------------------------------------------------------------- additional field names

TEST_F(SettingsDialogsTest, FieldNamesDialogHasItsFrameFocusHintsAndHelp) {
  StartWith({});
  ASSERT_TRUE(WithFieldNames([&](TfmUserFields& d) {
    ExpectDialogFrame(d, "Quillcard - Additional Fields", 461, 140);
    ExpectCentredOver(d.Handle(), main->Handle());
    ExpectTidyLayout(d.Handle());
    EXPECT_EQ(d.Names(), DefaultFieldNames());
    EXPECT_EQ(d.Lista.ItemIndex(), 0);
    EXPECT_EQ(d.edField.Text(), "User 1");
    EXPECT_TRUE(d.edField.Focused());
    EXPECT_LT(d.laField.Bounds().bottom, d.edField.Bounds().top);
    EXPECT_EQ(d.DefaultButton(), &d.btOk);
    for (ui::Control* c : std::initializer_list<ui::Control*>{&d.Lista, &d.edField, &d.btOk, &d.btCancel, &d.btHelp})
      EXPECT_FALSE(d.Hints().HintOf(c->Handle()).empty());
    // Ok, Cancel, Help side by side, left to right, at the bottom right.
    EXPECT_EQ(d.btOk.Bounds().top, d.btHelp.Bounds().top);
    EXPECT_LT(d.btOk.Bounds().right, d.btCancel.Bounds().left);
    EXPECT_LT(d.btCancel.Bounds().right, d.btHelp.Bounds().left);

    Click(d.btHelp);
    PressHelpKey(d.edField);
    EXPECT_EQ(Recorded().helpTopics, (std::vector<int>{5000, 5000}));
  }));
}

TEST_F(SettingsDialogsTest, OkIsAllowedOnlyForEightDistinctNonEmptyNamesAsLastChecked) {
  StartWith({});
  WithFieldNames([&](TfmUserFields& d) {
    PressKey(d.edField.Handle(), VK_DOWN);
    ASSERT_EQ(d.edField.Text(), "User 2");
    AppendTyped(d.edField, "\b");
    EXPECT_EQ(d.Lista.Item(1), "User ");
    EXPECT_TRUE(d.btOk.Enabled());
    Type(d.edField, "1");  // now equal to the first name
    EXPECT_EQ(d.Lista.Item(1), "User 1");
    EXPECT_EQ(d.Lista.ItemIndex(), 1);
    EXPECT_FALSE(d.btOk.Enabled());
    PressKey(d.edField.Handle(), VK_RETURN);  // Enter does not press a disabled Ok
    EXPECT_EQ(d.GetModalResult(), ui::ModalResult::None);
    Type(d.edField, "0");
    EXPECT_TRUE(d.btOk.Enabled());

    // Only case, or a trailing blank, tells these apart: both allowed.
    ReplaceTyped(d.edField, "user 1");
    EXPECT_TRUE(d.btOk.Enabled());
    ReplaceTyped(d.edField, "User 1 ");
    EXPECT_TRUE(d.btOk.Enabled());

    // An empty name is refused.
    SendMessageA(d.edField.Handle(), EM_SETSEL, 0, -1);
    Type(d.edField, "\b");
    EXPECT_EQ(d.Lista.Item(1), "");
    EXPECT_FALSE(d.btOk.Enabled());

    // Choosing another item by mouse shows it but does not check again.
    ClickItem(d.Lista, 4);
    EXPECT_EQ(d.edField.Text(), "User 5");
    EXPECT_FALSE(d.btOk.Enabled());
    // A text put in without a key release stays out of the list until one comes.
    d.edField.SetText("<Region>");
    EXPECT_EQ(d.Lista.Item(4), "User 5");
    ClickItem(d.Lista, 1);
    d.edField.SetText("Fax#");
    PostMessageA(d.edField.Handle(), WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC0000001));
    Pump();
    EXPECT_TRUE(d.btOk.Enabled());
    Click(d.btOk);
  });
  std::vector<std::string> expected = DefaultFieldNames();
  expected[1] = "Fax#";
  EXPECT_EQ(main->Settings.FieldNames, expected);
}

TEST_F(SettingsDialogsTest, UpAndDownWrapAndNeverReachTheControls) {
  StartWith({}, "[User Fields]\r\nField2=User 1\r\nField5=\r\n");
  WithFieldNames([&](TfmUserFields& d) {
    // Names from the file are shown as they are, and Ok starts enabled anyway.
    EXPECT_EQ(d.Lista.Item(2), "User 1");
    EXPECT_EQ(d.Lista.Item(5), "");
    EXPECT_TRUE(d.btOk.Enabled());

    PressKey(d.edField.Handle(), VK_UP);
    EXPECT_EQ(d.Lista.ItemIndex(), 7);
    EXPECT_EQ(d.edField.Text(), "User 8");
    PressKey(d.edField.Handle(), VK_DOWN);
    EXPECT_EQ(d.Lista.ItemIndex(), 0);
    EXPECT_EQ(d.edField.Text(), "User 1");
    // The arrows' releases run no check: Ok stays enabled despite the names.
    EXPECT_TRUE(d.btOk.Enabled());
    // Pressed in the list, Down moves one item, not one for the press and one for the release.
    PressKey(d.Lista.Handle(), VK_DOWN);
    EXPECT_EQ(d.Lista.ItemIndex(), 1);
    EXPECT_EQ(d.edField.Text(), "User 2");
    PressKey(d.btCancel.Handle(), VK_DOWN);
    EXPECT_EQ(d.Lista.ItemIndex(), 2);

    // The first other key released in the box checks: a duplicate and an empty name.
    PostMessageA(d.edField.Handle(), WM_KEYUP, VK_CONTROL, static_cast<LPARAM>(0xC0000001));
    Pump();
    EXPECT_FALSE(d.btOk.Enabled());
    PressKey(d.edField.Handle(), VK_ESCAPE);
    EXPECT_EQ(d.GetModalResult(), ui::ModalResult::None);
  });
  EXPECT_EQ(main->Settings.FieldNames[2], "User 1");
}

TEST_F(SettingsDialogsTest, ARenameReachesTheDatabasePageTheMergeFieldsAndTheNextStart) {
  StartWith({});
  // Cancel and the close box forget a rename.
  for (bool viaCloseBox : {false, true}) {
    WithFieldNames([&](TfmUserFields& d) {
      ReplaceTyped(d.edField, "Region");
      if (!viaCloseBox) Click(d.btCancel);
    });
    EXPECT_EQ(main->Settings.FieldNames, DefaultFieldNames());
    EXPECT_EQ(main->Database.laAdd[0].Text(), "User 1");
  }

  WithFieldNames([&](TfmUserFields& d) {
    ReplaceTyped(d.edField, "R&D");
    PressKey(d.edField.Handle(), VK_UP);
    ReplaceTyped(d.edField, "Birthday");
    PostMessageA(d.edField.Handle(), WM_KEYDOWN, VK_RETURN, 1);
    Pump();
  });
  std::vector<std::string> names = DefaultFieldNames();
  names[0] = "R&D";
  names[7] = "Birthday";
  EXPECT_EQ(main->Settings.FieldNames, names);
  EXPECT_EQ(main->Database.laAdd[0].Text(), "R&D");
  EXPECT_TRUE(GetWindowLongA(main->Database.laAdd[0].Handle(), GWL_STYLE) & SS_NOPREFIX);  // shown with its "&"
  EXPECT_EQ(main->Database.laAdd[7].Text(), "Birthday");
  std::vector<std::string> fields = Entries(main->MailMerge.lbTotalFields);
  ASSERT_EQ(fields.size(), 17u);
  EXPECT_EQ(std::vector<std::string>(fields.begin() + 9, fields.end()), names);

  ASSERT_TRUE(CloseMain());
  main.reset();
  Start();
  EXPECT_EQ(main->Settings.FieldNames, names);
  EXPECT_EQ(main->Database.laAdd[0].Text(), "R&D");
  EXPECT_EQ(main->Database.laAdd[7].Text(), "Birthday");
}

}  // namespace
}  // namespace qc::test
