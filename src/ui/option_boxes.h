#pragma once
// The seven boxes of a contact's option byte, wherever a window shows them:
// the letter's first item and its three boxes, and the fax's three boxes.
#include "common/option_byte.h"
#include "ui/controls.h"

namespace qc::ui {

struct OptionBoxes {
  RadioGroup& firstItem;  // "Name" or "Company"
  CheckBox &companyL, &titleL, &treatmentL;
  CheckBox &companyF, &titleF, &treatmentF;

  // The boxes as the option byte says.
  void Show(int options) const {
    const OptionChoices c = ChoicesFromOptions(options);
    firstItem.SetItemIndex(c.companyFirst ? 1 : 0);
    companyL.SetChecked(c.companyL);
    titleL.SetChecked(c.titleL);
    treatmentL.SetChecked(c.treatmentL);
    companyF.SetChecked(c.companyF);
    titleF.SetChecked(c.titleF);
    treatmentF.SetChecked(c.treatmentF);
  }

  // The option byte of the boxes (bit 7 clear).
  int Options() const {
    OptionChoices c;
    c.companyFirst = firstItem.ItemIndex() == 1;
    c.companyL = companyL.Checked();
    c.titleL = titleL.Checked();
    c.treatmentL = treatmentL.Checked();
    c.companyF = companyF.Checked();
    c.titleF = titleF.Checked();
    c.treatmentF = treatmentF.Checked();
    return OptionsFromChoices(c);
  }
};

}  // namespace qc::ui
