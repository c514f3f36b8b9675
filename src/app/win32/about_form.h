#pragma once
// The about box: name, version, the home-page button and the caption animation.
#include "ui/controls.h"
#include "ui/form.h"

namespace qc {

inline constexpr char kHomePage[] = "https://www.tarnhollow.com/";

class TfmAbout : public ui::Form {
 public:
  // Creates the window owned by `owner`, centred over it.
  void Create(HWND owner);
  ~TfmAbout() override;

  int ColourStep = 0;
  ui::Panel paIcon;
  ui::Picture imIcon;
  ui::Label3D Label3d1, Label3d2;
  ui::Button btAbout, oxButton1;

  void btAboutClick();
  void oxButton1Click();
  void Timer1Timer();

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace qc
