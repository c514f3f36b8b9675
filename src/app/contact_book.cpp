#include "app/contact_book.h"

#include <algorithm>
#include <stdexcept>

#include "common/text.h"

namespace qc {

ContactBook::ContactBook(SortKey sortKey) : sortKey_(std::move(sortKey)) {}

void ContactBook::Reindex() {
  if (!list_) list_ = std::make_unique<TDatabase>();
  const int count = list_->Count();
  order_.clear();
  order_.reserve(static_cast<size_t>(count));
  taken_.clear();
  taken_.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::string_view name = list_->Items(i).Name();
    order_.push_back({sortKey_(name), i});
    CountName(name, +1);
  }
  std::sort(order_.begin(), order_.end(), [](const Entry& a, const Entry& b) {
    return a.key != b.key ? a.key < b.key : a.index < b.index;
  });
}

std::string_view ContactBook::NameAt(int position) const {
  return list_->Items(order_.at(static_cast<size_t>(position)).index).Name();
}

std::vector<std::string_view> ContactBook::Names() const {
  std::vector<std::string_view> names;
  names.reserve(order_.size());
  for (const Entry& e : order_) names.push_back(list_->Items(e.index).Name());
  return names;
}

bool ContactBook::IsTaken(std::string_view name) const {
  auto it = taken_.find(UpperCase(name));
  return it != taken_.end() && it->second > 0;
}

int ContactBook::IndexOf(std::string_view name) const {
  const std::string key = sortKey_(name);
  // Equal keys are in file order: the first exact name among them is the first in the file.
  for (size_t p = static_cast<size_t>(Place(key, 0)); p < order_.size() && order_[p].key == key; ++p)
    if (list_->Items(order_[p].index).Name() == name) return order_[p].index;
  return -1;
}

int ContactBook::InsertionPlace(std::string_view name) const { return Place(sortKey_(name), list_->Count()); }

int ContactBook::PlaceOf(int index) const {
  return Place(sortKey_(list_->Items(index).Name()), index);
}

int ContactBook::Add(std::unique_ptr<TRecord> record) {
  std::string key = sortKey_(record->Name());
  const int index = list_->Count();
  CountName(record->Name(), +1);
  list_->Add(std::move(record));
  const int place = Place(key, index);
  order_.insert(order_.begin() + place, {std::move(key), index});
  return place;
}

ContactBook::Move ContactBook::Change(int index, TRecord values) {
  TRecord& record = list_->Items(index);
  const int from = PlaceOf(index);
  CountName(record.Name(), -1);
  CountName(values.Name(), +1);
  std::string key = sortKey_(values.Name());
  record = std::move(values);
  order_.erase(order_.begin() + from);
  const int to = Place(key, index);
  order_.insert(order_.begin() + to, {std::move(key), index});
  return {from, to};
}

int ContactBook::Delete(int index) {
  const int place = PlaceOf(index);
  CountName(list_->Items(index).Name(), -1);
  list_->Delete(index);
  order_.erase(order_.begin() + place);
  // The contacts behind it moved up by one; their order among the others stays.
  for (Entry& e : order_)
    if (e.index > index) --e.index;
  return place;
}

int ContactBook::Place(const std::string& key, int index) const {
  auto it = std::lower_bound(order_.begin(), order_.end(), key, [&](const Entry& e, const std::string& k) {
    return e.key != k ? e.key < k : e.index < index;
  });
  return static_cast<int>(it - order_.begin());
}

void ContactBook::CountName(std::string_view name, int delta) {
  int& n = taken_[UpperCase(name)];
  n += delta;
  if (n <= 0) taken_.erase(UpperCase(name));
}

}  // namespace qc
