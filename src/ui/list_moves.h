#pragma once
// Moving entries between a list of available entries and a list of chosen
// ones, and within the chosen list: the ">", ">>", "<", "<<", "Up" and "Down"
// buttons beside two list boxes. The moves work on the list boxes
// themselves, a few messages each whatever the lists hold, and a sorted list
// puts an entry that comes to it in its sorted place.
#include <string>
#include <vector>

#include "ui/controls.h"

namespace qc::ui {

// The list's entries in the list's order.
std::vector<std::string> ListItems(const ListBox& list);

// Puts `items` in place of the list's entries (a sorted list sorts them)
// and selects entry `selected` (-1 for none).
void SetListItems(ListBox& list, const std::vector<std::string>& items, int selected = -1);

// Add one / Delete one: the selected entry of `from` goes to the end of `to`
// (to its sorted place when `to` is sorted); `from` then selects the entry
// now at the same place, or its new last entry, or none when it is empty.
// False, and nothing changes, when `from` has no selected entry.
bool MoveSelectedItem(ListBox& from, ListBox& to);

// Add all / Delete all: every entry of `from` goes, in order, to the end of
// `to`; `from` is left empty. False when `from` was empty.
bool MoveAllItems(ListBox& from, ListBox& to);

// Up (-1) / Down (+1): the selected entry moves `step` places and stays
// selected. False, and nothing changes, without a selection or when the
// move would leave the list.
bool MoveSelectedItemBy(ListBox& list, int step);

}  // namespace qc::ui
