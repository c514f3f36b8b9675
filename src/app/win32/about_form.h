#pragma once
// The about box: name, version, the home-page button and the caption animation.
#include <string>

#include "ui/controls.h"
#include "ui/form.h"

namespace qc {

inline constexpr char kHomePage[] = "https://www.tarnhollow.com/";

class TfmAbout : public ui::Form {
 public:
  // Creates the window owned by `owner`, centred over it, with the places of
  // the data file and of the settings file.
  void Create(HWND owner, const std::string& contactsFile = {}, const std::string& settingsFile = {});
  ~TfmAbout() override;

  int ColourStep = 0;
  ui::Panel paIcon;
  ui::Picture imIcon;
  ui::Label3D Label3d1, Label3d2;
  ui::Label laContacts, laSettings;  // where contacts and settings are kept
  ui::Button btAbout, oxButton1;

  void btAboutClick();
  void oxButton1Click();
  void Timer1Timer();

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace qc
