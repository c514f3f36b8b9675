// The about box: opened modally from the Configuration page, its buttons and
// the caption colour animation.
#include <gtest/gtest.h>

#include "app/about_colours.h"
#include "app/win32/about_form.h"
#include "main_fixture.h"

namespace qc::test {
namespace {

class AboutBoxTest : public MainWindowFixture {
 protected:
  void TearDown() override {
    ui::Application::Get().onModalShown = nullptr;
    MainWindowFixture::TearDown();
  }
};

TEST_F(AboutBoxTest, OpensCentredOverTheMainWindowAndExitCloses) {
  StartWith({});
  main->Pages.SelectTab(2);
  bool sawIt = false;
  ui::Application::Get().onModalShown = [&](ui::Form& f) {
    auto* about = dynamic_cast<TfmAbout*>(&f);
    ASSERT_NE(about, nullptr);
    sawIt = true;
    EXPECT_EQ(about->Caption(), "About Quillcard");
    RECT c;
    GetClientRect(about->Handle(), &c);
    EXPECT_EQ(c.right, 428);
    EXPECT_EQ(c.bottom, 212);
    RECT m = main->WindowRect(), a = about->WindowRect();
    EXPECT_EQ(a.left, m.left + ((m.right - m.left) - (a.right - a.left)) / 2);
    EXPECT_EQ(a.top, m.top + ((m.bottom - m.top) - (a.bottom - a.top)) / 2);
    EXPECT_EQ(about->Label3d1.Text(), "Quillcard 3.1");
    EXPECT_EQ(about->Label3d2.Text(), "for Microsoft Word for Windows");
    EXPECT_EQ(about->btAbout.Text(), "Go to Tarnhollow Homepage");
    EXPECT_EQ(about->oxButton1.Text(), "Exit");
    // Where contacts and settings are kept.
    EXPECT_EQ(about->laContacts.Text(), "Contacts: " + dir.File("QUILLCRD.DAT"));
    EXPECT_EQ(about->laSettings.Text(), "Settings: " + dir.File("QUILLCRD.INI"));
    EXPECT_EQ(about->DefaultButton(), &about->oxButton1);
    EXPECT_FALSE(IsWindowEnabled(main->Handle()));
    // Enter presses the default button, Exit.
    about->oxButton1.SetFocus();
    PostMessageA(about->oxButton1.Handle(), WM_KEYDOWN, VK_RETURN, 1);
  };
  main->Configuration.btAbout.Click();
  EXPECT_TRUE(sawIt);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_TRUE(Recorded().shellOpens.empty());
}

TEST_F(AboutBoxTest, HomePageButtonOpensTheBrowserAndCloses) {
  StartWith({});
  ui::Application::Get().onModalShown = [&](ui::Form& f) {
    PostMessageA(dynamic_cast<TfmAbout&>(f).btAbout.Handle(), BM_CLICK, 0, 0);
  };
  main->Configuration.btAbout.Click();
  ASSERT_EQ(Recorded().shellOpens.size(), 1u);
  EXPECT_EQ(Recorded().shellOpens[0], kHomePage);
}

TEST_F(AboutBoxTest, CaptionColourStepsThroughTheTableEveryTick) {
  StartWith({});
  TfmAbout about;
  about.Create(main->Handle());
  EXPECT_EQ(about.ColourStep, 0);
  std::vector<COLORREF> seen;
  for (int i = 0; i < 8; ++i) {
    about.Timer1Timer();
    seen.push_back(about.CaptionGradient());
  }
  EXPECT_EQ(seen.front(), RGB(0, 0, 128));  // the first tick shows navy
  EXPECT_EQ(seen.back(), RGB(0, 0, 0));     // the eighth black
  EXPECT_EQ(seen[3], RGB(255, 255, 255));
  EXPECT_EQ(about.ColourStep, 0);
}

}  // namespace
}  // namespace qc::test
