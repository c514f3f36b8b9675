#include "ui/list_moves.h"

#include <algorithm>

namespace qc::ui {

std::vector<std::string> ListItems(const ListBox& list) {
  std::vector<std::string> items;
  const int count = list.Count();
  items.reserve(static_cast<size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) items.push_back(list.Item(i));
  return items;
}

void SetListItems(ListBox& list, const std::vector<std::string>& items, int selected) {
  list.Clear();
  list.AddAll(items);
  list.SetItemIndex(selected < list.Count() ? selected : -1);
}

bool MoveSelectedItem(ListBox& from, ListBox& to) {
  const int i = from.ItemIndex();
  if (i < 0 || i >= from.Count()) return false;
  to.Add(from.Item(i));
  from.Delete(i);
  const int left = from.Count();
  from.SetItemIndex(left == 0 ? -1 : std::min(i, left - 1));
  return true;
}

bool MoveAllItems(ListBox& from, ListBox& to) {
  if (from.Count() == 0) return false;
  to.AddAll(ListItems(from));
  from.Clear();
  return true;
}

bool MoveSelectedItemBy(ListBox& list, int step) {
  const int i = list.ItemIndex();
  const int j = i + step;
  if (step == 0 || i < 0 || i >= list.Count() || j < 0 || j >= list.Count()) return false;
  const std::string text = list.Item(i);
  list.Delete(i);
  list.Insert(j, text);
  list.SetItemIndex(j);
  return true;
}

}  // namespace qc::ui
